// Top-level windows as a person sees them: found by title (_NET_WM_NAME, or
// WM_NAME without one) among those shown, with their client area, owner,
// state, and the requests a desktop makes of them. A window that has gone
// answers every query harmlessly (empty title and rectangle, no state).
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

// The windows shown whose title is exactly `title`, in window tree order.
std::vector<Window> FindWindows(const XSession &s, const std::string &title);
Window FindWindow(const XSession &s, const std::string &title);  // first, or None
// Up to `limit` for a window `title` to be shown (None if not); stops early
// once `owner`, if given, has ended.
Window WaitForWindow(const XSession &s, const std::string &title, Seconds limit,
                     Process *owner = nullptr);

// Watches a window, from before it is asked to go, until it has left the
// screen. Window ids are reused at once (a box's successor often has its
// predecessor's), so the watch goes by the events, not by looking again.
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

// `w`'s children, bottom first, and its parent; none once it has gone.
std::vector<Window> Children(const XSession &s, Window w, Window *parent = nullptr);
// The window manager's frame around `w`, or `w` when it has none.
Window TopLevel(const XSession &s, Window w);
Rect ClientRect(const XSession &s, Window w);  // on the screen, frame left out
Window TransientFor(const XSession &s, Window w);  // WM_TRANSIENT_FOR, or None
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
