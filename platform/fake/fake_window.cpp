// The recording backend's window system (the program's twin is
// sdl_window.cpp): a desktop whose titled windows have a frame of 8 pixels
// and a caption of 23, a screen-saver inhibitor, and the user's actions,
// which wait like a window system's events until the core's next pump
// reports them through the same CoreInput* calls as SDL's events.
// Implemented: the window core's native operations on a desktop of its own;
//  keys, clicks, resize, minimize and restore, focus, the close button and
//  termination signals as user actions; display modes to switch between; a
//  real offscreen Mesa context per window; every call recorded, any one made
//  to fail; message boxes recorded and answered as told.
// Missing: anything on a screen (nothing is shown); WM_CHAR, as in the SDL
//  backend; losing the display connection.
#include "platform/core/core_backend.h"
#include "platform/fake/fake_state.h"

// ---- the native window ------------------------------------------------------

bool BackendCreateWindow(PlatformWindow *window)
{
    window->native = new BackendWindow{false};
    return true;
}

void BackendDestroyWindow(PlatformWindow *window)
{
    delete window->native;
    window->native = nullptr;
}

void BackendShowWindow(PlatformWindow *window, bool show)
{
    PlatformGLContext *current = Fake().current_context;
    if (show)
        window->native->shown_while_context_current =
            current != nullptr && current->window == window;
}

void BackendRaiseWindow(PlatformWindow *) {}
void BackendFocusWindow(PlatformWindow *) {}

void BackendFrameInsets(DWORD style, RECT *insets)
{
    if (style & WS_CAPTION)
        *insets = RECT{8, 31, 8, 8};
    else
        *insets = RECT{0, 0, 0, 0};
}

void BackendHoldScreenSaver(bool hold) { Fake().saver_held_off = hold; }

// Messages are stamped with the number of calls so far: a clock that only
// goes forward, and the same in every run.
DWORD BackendTime(void) { return (DWORD)Fake().log.size(); }

// ---- the user's actions -----------------------------------------------------

static void Queue(FakeEvent event) { Fake().events.push_back(event); }

void FakeKey(int virtual_key, FakeKeyAction action, bool alt, bool ctrl)
{
    unsigned modifiers = (alt ? kCoreAlt : 0u) | (ctrl ? kCoreCtrl : 0u);
    Queue(FakeEvent{FakeEvent::kKey, virtual_key, action != kFakeKeyUp,
                    action == kFakeKeyRepeat, modifiers, false});
}

void FakeClick(int x, int y, FakeMouseButton button)
{
    Queue(FakeEvent{FakeEvent::kButton, button, x, y, 0, true});
    Queue(FakeEvent{FakeEvent::kButton, button, x, y, 0, false});
}

void FakeResize(int client_width, int client_height)
{
    Queue(FakeEvent{FakeEvent::kSize, client_width, client_height, 0, 0, false});
}

void FakeMinimize() { Queue(FakeEvent{FakeEvent::kMinimize, 0, 0, 0, 0, true}); }

void FakeRestore()
{
    Queue(FakeEvent{FakeEvent::kMinimize, 0, 0, 0, 0, false});
    Queue(FakeEvent{FakeEvent::kFocus, 0, 0, 0, 0, true});
}

void FakeFocus(bool focused) { Queue(FakeEvent{FakeEvent::kFocus, 0, 0, 0, 0, focused}); }
void FakeCloseButton() { Queue(FakeEvent{FakeEvent::kClose, 0, 0, 0, 0, false}); }
void FakeTerminationSignal() { CoreRequestTermination(); }

static void Report(PlatformWindow *w, const FakeEvent &e)
{
    switch (e.kind) {
    case FakeEvent::kKey:
        CoreInputKey(w, e.a, 0, e.b != 0, e.c != 0, e.modifiers);
        break;
    case FakeEvent::kButton:
        CoreInputButton(w, static_cast<CoreButton>(e.a), e.on, e.b, e.c);
        break;
    case FakeEvent::kSize:
        // The drawable has the new size by the time the procedure hears of it.
        for (PlatformGLContext *context : Fake().contexts)
            if (context->window == w)
                FakeSizeContext(context, e.a, e.b);
        CoreInputClientSize(w, e.a, e.b);
        break;
    case FakeEvent::kFocus: CoreInputFocus(w, e.on); break;
    case FakeEvent::kMinimize: CoreInputMinimized(w, e.on); break;
    case FakeEvent::kClose: CoreInputCloseRequest(w); break;
    }
}

void BackendPollEvents(void)
{
    FakeState &s = Fake();
    while (!s.events.empty()) {
        FakeEvent event = s.events.front();
        s.events.pop_front();
        if (PlatformWindow *w = Core().window)
            Report(w, event);
    }
}
