// A Wayland session for the journeys: a compositor (Mutter or Weston) nested
// in the test's X display, showing its whole output in one X window. Input
// reaches its seat through XTest on that window; its clients, having no X
// windows, are read from screenshots of it.
#pragma once

#include <X11/Xlib.h>

#include <functional>
#include <string>

#include "child_process.h"
#include "screenshot.h"
#include "x_session.h"

namespace e2e {

// Where a journey runs the program: on the X display, or natively on a
// nested compositor (Weston also at output scale 2).
enum class Session { kX11, kMutter, kWeston, kWestonScale2 };
std::string SessionName(Session session);  // "X11", "Mutter", "Weston", "WestonScale2"
bool IsWeston(Session session);
// Screen pixels per pixel of the program's window.
int OutputScale(Session session);

class Compositor {
public:
    Compositor() = default;
    ~Compositor() { Stop(); }
    Compositor(const Compositor &) = delete;
    Compositor &operator=(const Compositor &) = delete;

    // Starts `session`'s compositor on `x`'s display, logging to `log_dir`,
    // and waits for its socket and its X window; false, with the reason in
    // `error`, when it does not come up.
    bool Start(Session session, const XSession &x, const std::string &log_dir,
               std::string *error);
    // Kills it at once, as a crash would; then Stop cleans up.
    void Kill() { process_.Kill(); }
    void Stop();
    Window output() const { return output_; }  // its X window
    // A client's WAYLAND_DISPLAY and XDG_RUNTIME_DIR.
    std::string socket() const { return socket_; }
    std::string runtime_dir() const { return runtime_dir_; }

private:
    Process process_;
    Window output_ = None;
    std::string socket_;
    std::string runtime_dir_;
};

// A click at (x, y) of `output`, the pointer first leaving and entering it
// again: a compositor that missed its entering (while it started) takes
// clicks for ones at its last known place.
void ClickOutput(const XSession &s, Window output, int x, int y, int button);
// Drags from (x0, y0) to (x1, y1) of `output`, left button held, until
// `arrived` holds (true) or `limit` passes. The compositor starts a move
// only once the client asks, after the press: till then the pointer keeps
// nudging towards the goal rather than racing ahead.
bool DragOnOutput(const XSession &s, Window output, int x0, int y0, int x1, int y1,
                  Seconds limit, const std::function<bool()> &arrived);

// The scene's 640x480 client area (times `scale`) in a picture of the
// compositor's window: found by its green-tinted backdrop. False if none.
bool FindSceneArea(const Image &output, Rect *area, int scale = 1);
// A message box in `output`: the bounds of GTK's light dialog background,
// when big enough to be one. False when none is shown.
bool FindBoxArea(const Image &output, Rect *box);
// Whether the band just above `area` is a title bar: dark, with light text.
bool TitleBarAbove(const Image &output, const Rect &area);
// The part of `image` inside `r` (clipped).
Image Crop(const Image &image, const Rect &r);

}  // namespace e2e
