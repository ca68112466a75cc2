// Top-level windows as a person sees them: found by their title (the UTF-8
// _NET_WM_NAME, or WM_NAME for windows without one) among the windows shown
// on the screen, with their client area's place, what they are transient
// for, their state, and the requests a desktop makes of them (close,
// minimize, restore, resize).
//
// A window that has gone answers every query harmlessly: an empty title,
// an empty rectangle, no state.
#pragma once

#include <X11/Xlib.h>

#include <string>
#include <vector>

#include "x_session.h"

class Process;

namespace e2e {

std::string WindowTitle(const XSession &s, Window w);
// The 32-bit items of a property of type `type` (at most `most`), or none.
std::vector<unsigned long> PropertyItems(const XSession &s, Window w, const char *name,
                                         Atom type, long most = 1024);
bool IsShown(const XSession &s, Window w);

// The windows shown (viewable) whose title is exactly `title`, in the
// order the window tree lists them.
std::vector<Window> FindWindows(const XSession &s, const std::string &title);
Window FindWindow(const XSession &s, const std::string &title);  // first, or None

// Waits up to `limit` for a window called `title` to be shown; None if it
// is not. When `owner` is given, stops early once that process has ended.
Window WaitForWindow(const XSession &s, const std::string &title, Seconds limit,
                     Process *owner = nullptr);
// Watches a window, from before it is asked to go, until it has left the
// screen (unmapped or destroyed). Window ids are reused at once (a box's
// successor often has its predecessor's), so a window shown later under the
// same id is not taken for this one: the watch goes by the events.
class GoneWatch {
public:
    GoneWatch(const XSession &s, Window w);
    ~GoneWatch();
    GoneWatch(const GoneWatch &) = delete;
    GoneWatch &operator=(const GoneWatch &) = delete;
    bool Wait(Seconds limit);

private:
    ::Display *x_ = nullptr;
    Window w_;
    bool gone_ = false;
};

// The window's top-level ancestor: the window manager's frame around it,
// or the window itself when it has none.
Window TopLevel(const XSession &s, Window w);
// The client area on the screen (without any frame); empty if gone.
Rect ClientRect(const XSession &s, Window w);
// The window `w` says it belongs to (WM_TRANSIENT_FOR), or None.
Window TransientFor(const XSession &s, Window w);
bool IsFullscreen(const XSession &s, Window w);  // _NET_WM_STATE_FULLSCREEN
bool IsIconic(const XSession &s, Window w);      // minimized (WM_STATE)
bool IsManaged(const XSession &s, Window w);     // in the window manager's list

// The close button's request (WM_DELETE_WINDOW), sent straight to the window.
void AskToClose(const XSession &s, Window w);
// The same asked of the window manager (_NET_CLOSE_WINDOW), as a taskbar does.
void AskWindowManagerToClose(const XSession &s, Window w);
void Minimize(const XSession &s, Window w);
// Restore and raise through the window manager (_NET_ACTIVE_WINDOW).
void Activate(const XSession &s, Window w);
void ResizeClient(const XSession &s, Window w, int width, int height);

}  // namespace e2e
