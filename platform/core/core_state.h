// The window core that every backend shares: the window class, the one
// window's record, the message queue, focus and activation, the termination
// requests, and the translation of what the window system did into the
// messages a window procedure receives, sent or posted as the platform
// does. Backends report window-system events through the CoreInput* calls
// and provide the native operations of core_backend.h; none of them
// delivers a message itself, so no two backends can disagree on when or how
// a message arrives. Nothing outside platform/ includes this.
#pragma once

#include <deque>
#include <string>

#include "platform/gdi32.h"
#include "platform/platform_internal.h"
#include "platform/user32.h"

// Each backend's own part of a window (its native window, say).
struct BackendWindow;

// The one window, as the core keeps it.
struct PlatformWindow {
    WNDPROC procedure;
    DWORD style;
    DWORD ex_style;
    std::string title;  // as the program gave it, code page 949
    int x, y;           // outer top-left corner
    int outer_width, outer_height;
    int client_width, client_height;
    bool visible;
    bool shown_before;  // the first show also reports the size
    bool minimized;
    bool active;        // the window system's active window
    int pixel_format;   // 0 until SetPixelFormat
    PlatformDC dc;
    BackendWindow *native;
};

struct CoreState {
    bool class_registered = false;
    WNDPROC class_procedure = nullptr;
    PlatformWindow *window = nullptr;
    // Keyboard focus: set at once by SetFocus and by activation, cleared
    // when the window system takes it elsewhere or the window goes.
    PlatformWindow *focus = nullptr;
    std::deque<MSG> queue;
    // The request of the last successful ChoosePixelFormat: with one
    // format on offer, its index stands for this request.
    PIXELFORMATDESCRIPTOR chosen_format = {};
    bool saver_let_through = false;
    bool box_open = false;
};

CoreState &Core();
// Back to a fresh process: no class, no window, an empty queue, no pending
// termination. The recording backend's reset uses it.
void CoreReset(void);

// Calls the window procedure now, as the platform sends a message.
LRESULT CoreSend(PlatformWindow *window, UINT message, WPARAM wparam, LPARAM lparam);
// Appends a message to the queue, as the platform posts one.
void CorePost(PlatformWindow *window, UINT message, WPARAM wparam, LPARAM lparam);
// Hands a removed message to its window's procedure; 0 for a message of no
// live window (the quit message among them).
LRESULT CoreDeliver(const MSG &msg);
// Takes in what the window system has waiting (the backend reports it
// through the calls below) and any termination request.
void CorePumpEvents(void);
// True while the quit message waits in the queue.
bool CoreQuitPending(void);

// ---- what the window system did, reported by the backends ---------------

enum CoreModifier : unsigned { kCoreAlt = 1, kCoreCtrl = 2 };
enum CoreButton { kCoreLeftButton, kCoreRightButton, kCoreMiddleButton };

// A key, by virtual-key code; posted as a key message (a system-key message
// for F10, Alt and Alt chords without Ctrl).
void CoreInputKey(PlatformWindow *window, int virtual_key, int scancode, bool down,
                  bool repeat, unsigned modifiers);
// A mouse button at client coordinates; posted.
void CoreInputButton(PlatformWindow *window, CoreButton button, bool down, int x, int y);
// The client area's new size; sent as WM_SIZE when it changed.
void CoreInputClientSize(PlatformWindow *window, int width, int height);
// The window system made the window active, or took that away.
void CoreInputFocus(PlatformWindow *window, bool focused);
// Minimized, or restored from being minimized.
void CoreInputMinimized(PlatformWindow *window, bool minimized);
// The close button, or the window manager asking the window to close.
void CoreInputCloseRequest(PlatformWindow *window);

// ---- ending the program from outside --------------------------------------

// Async-signal-safe: notes that the program was asked to end and wakes any
// wait on CoreWakeFd. The next pump closes the window as its close button
// does, or posts the quit message when there is no window.
void CoreRequestTermination(void);
// Installs handlers that make SIGTERM, SIGINT and SIGHUP such requests; a
// process still running two seconds after one ends at once with status 1,
// and a second signal ends it the default way.
void CoreCatchTerminationSignals(void);
// Readable once a termination was requested; -1 before the handlers exist.
int CoreWakeFd(void);
// Part of every pump: turns a request that came in into the close (or the
// quit message), once.
void CoreTakeTerminationRequest(void);
// Back to no request (a fresh process); for CoreReset.
void CoreForgetTerminationRequest(void);
