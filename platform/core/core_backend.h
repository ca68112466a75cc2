// What each backend provides to the window core: the native side of the one
// window, the window system's events, the screen saver, and the native
// message box. The core calls these; they never call a window procedure.
#pragma once

#include "platform/core/core_message_box.h"
#include "platform/core/core_state.h"

// Makes the backend's part of a new window (window->native); false when
// there is no window system to make it on.
bool BackendCreateWindow(PlatformWindow *window);
// Takes down the backend's part and forgets window->native.
void BackendDestroyWindow(PlatformWindow *window);
void BackendShowWindow(PlatformWindow *window, bool show);
// Asks the window system to bring the window to the front and to give it
// the keyboard focus; it may follow later, or not at all.
void BackendRaiseWindow(PlatformWindow *window);
void BackendFocusWindow(PlatformWindow *window);
// Sets the window's pixel format from the request; false when it cannot.
bool BackendSetPixelFormat(PlatformWindow *window, const PIXELFORMATDESCRIPTOR &format);
// The frame the window system draws around a client area of this style.
void BackendFrameInsets(DWORD style, RECT *insets);
// Reports every waiting window-system event through the CoreInput* calls.
void BackendPollEvents(void);
// True: keep the screen saver and display power saving from starting.
void BackendHoldScreenSaver(bool hold);
// Milliseconds of a clock that only goes forward, for the messages' time.
DWORD BackendTime(void);
// The process is about to end without closing its window (a termination
// signal was not answered in time, or came twice): put back what must not
// outlive it, the desktop's display mode. Runs in a signal handler, so it
// must be quick and may be cut short.
void BackendEndingAbruptly(void);

// A message box as the program asked for it, and as the core worked it out.
struct BoxRequest {
    HWND owner_asked;       // the owner argument, as given
    PlatformWindow *owner;  // the live window it names, or null
    const char *text;       // as given (see BoxTextEncoding)
    const char *caption;
    UINT type;
    BoxLayout layout;
};

// The native message box, one at a time. Open shows it and returns false
// when no box can be shown. Wait blocks until the user
// answers (true, with the answer) or until something else may have
// happened: window-system events, a termination request (false); the core
// then delivers what came in and waits again. Close takes the box down.
bool BackendOpenBox(const BoxRequest &request);
bool BackendWaitForBox(int *answer);
void BackendCloseBox(int answer);
