// A private X display for one test (tests/support/virtual_display, with a
// window manager if asked) or one already there (a benchmark's), and our one
// Xlib connection to it. X errors on it are ignored: windows come and go while
// tests look at them, and every query answers a vanished window harmlessly.
#pragma once

#include <X11/Xlib.h>

#include <string>

#include "virtual_display.h"

namespace e2e {

using ::Seconds;
using ::WaitUntil;

// A rectangle of the screen (or of an image), in pixels.
struct Rect {
    int x = 0, y = 0, width = 0, height = 0;
    bool operator==(const Rect &o) const
    {
        return x == o.x && y == o.y && width == o.width && height == o.height;
    }
};
std::string ToString(const Rect &r);  // "WxH+X+Y"

class XSession {
public:
    XSession() = default;
    ~XSession() { Stop(); }
    XSession(const XSession &) = delete;
    XSession &operator=(const XSession &) = delete;

    // Starts a display (see StartVirtualDisplay) and connects to it with
    // keyboard auto-repeat off, so a key held while a slow frame is drawn is
    // seen once. False, with the reason in `error`, on failure.
    bool Start(const std::string &screen, bool window_manager, const std::string &log_dir,
               std::string *error);
    // Connects a fresh session to the display `name` someone else started,
    // leaving its keyboard settings alone; Stop then only disconnects.
    bool Connect(const std::string &name, std::string *error);
    void Stop();

    ::Display *x() const { return x_; }
    Window root() const { return DefaultRootWindow(x_); }
    const std::string &name() const { return display_.name; }  // for DISPLAY
    Atom Intern(const char *atom_name) const { return XInternAtom(x_, atom_name, False); }
    // Our requests done and their events out, as the server sees it.
    void Sync() const { XSync(x_, False); }

private:
    VirtualDisplay display_;
    ::Display *x_ = nullptr;
};

}  // namespace e2e
