// A Wayland session for the journeys: a compositor (Mutter or Weston)
// nested in the test's X display, where it shows its whole output in one X
// window. Input reaches its seat through XTest on that window; what its
// clients show is read from screenshots of it, since they have no X windows
// of their own: the scene by its green-tinted backdrop, a box by GTK's light
// background, the title bar by its dark band with light text.
#pragma once

#include <X11/Xlib.h>

#include <functional>
#include <string>

#include "child_process.h"
#include "screenshot.h"
#include "x_session.h"

namespace e2e {

// Where a journey runs the program: straight on the X display, or natively
// on a compositor nested in it (Weston also at output scale 2, where each
// of the program's pixels is drawn as two by two).
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

    // Starts `session`'s compositor on `x`'s display with its log in
    // `log_dir`, and waits for its socket and its X window. False, with the
    // reason in `error`, when it does not come up.
    bool Start(Session session, const XSession &x, const std::string &log_dir,
               std::string *error);
    // Kills it at once, as a crash would; then Stop cleans up.
    void Kill() { process_.Kill(); }
    void Stop();
    Window output() const { return output_; }  // its X window
    // What a client needs in its environment to connect.
    std::string socket() const { return socket_; }
    std::string runtime_dir() const { return runtime_dir_; }

private:
    Process process_;
    Window output_ = None;
    std::string socket_;
    std::string runtime_dir_;
};

// A click at (x, y) of the compositor's window `output`. The pointer first
// leaves the window and enters it again: a compositor that missed its
// entering (while it started) takes clicks for ones at its last known place.
void ClickOutput(const XSession &s, Window output, int x, int y, int button);
// Drags from (x0, y0) to (x1, y1) of `output` with the left button held
// until `arrived` holds or `limit` passes; true if it held. The compositor
// starts a move only once the client has asked for it, after the press:
// until then the pointer keeps nudging towards the goal, never racing ahead.
bool DragOnOutput(const XSession &s, Window output, int x0, int y0, int x1, int y1,
                  Seconds limit, const std::function<bool()> &arrived);

// The scene's 640x480 client area in `output`, a picture of the
// compositor's window at output scale `scale`: its left and top edges are
// the first column and row where the backdrop's green fills most of a
// scene's height or width. False when no scene is shown.
bool FindSceneArea(const Image &output, Rect *area, int scale = 1);
// A message box in `output`: the bounding rectangle of GTK's light dialog
// background, when it is big enough to be one. False when none is shown.
bool FindBoxArea(const Image &output, Rect *box);
// Whether the band just above `area` is a title bar: mostly dark and
// neutral, with light text in it.
bool TitleBarAbove(const Image &output, const Rect &area);
// The part of `image` inside `r` (clipped).
Image Crop(const Image &image, const Rect &r);

}  // namespace e2e
