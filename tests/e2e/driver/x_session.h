// A private X display for one test and our connection to it: the virtual
// display (and optionally its window manager) from
// tests/support/virtual_display, or a display already there (a
// benchmark's); one Xlib connection; and waiting for conditions with a
// deadline.
//
// Every wait in the driver is WaitUntil: a condition polled every few
// milliseconds until it holds or its deadline passes. Deadlines are
// generous, since a busy machine may be slow; nothing is ever judged by how
// long it took.
//
// X errors on this connection are ignored: windows come and go while tests
// look at them (a box closing between finding it and reading its title),
// and every query reports a vanished window as its own kind of answer.
#pragma once

#include <X11/Xlib.h>

#include <chrono>
#include <functional>
#include <string>

#include "virtual_display.h"

namespace e2e {

using Seconds = std::chrono::duration<double>;

// Polls `ready` until it returns true (true) or `limit` has passed (false).
bool WaitUntil(Seconds limit, const std::function<bool()> &ready);

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

    // Starts a display with one screen of `screen` ("WxHxDEPTH") and, when
    // asked, openbox, with their logs in `log_dir`; connects to it and
    // turns keyboard auto-repeat off, so a key held while a slow frame is
    // drawn is seen once. False, with the reason in `error`, on failure.
    bool Start(const std::string &screen, bool window_manager, const std::string &log_dir,
               std::string *error);
    // Connects to a display someone else started (`name`, as in DISPLAY),
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
