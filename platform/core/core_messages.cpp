// The message side of the core: the queue (post, peek, purge), dispatch,
// the default handling, and the translation of window-system events into
// messages. Input (keys, buttons, the close button) is posted and waits in
// the queue; size and activation changes are sent, reaching the window
// procedure from inside PeekMessageA or the call that caused them.
#include "platform/core/core_backend.h"
#include "platform/platform_hooks.h"

LRESULT CoreSend(PlatformWindow *window, UINT message, WPARAM wparam, LPARAM lparam)
{
    if (window == nullptr || window->procedure == nullptr)
        return 0;
    return window->procedure(window, message, wparam, lparam);
}

void CorePost(PlatformWindow *window, UINT message, WPARAM wparam, LPARAM lparam)
{
    MSG msg = {};
    msg.hwnd = window;
    msg.message = message;
    msg.wParam = wparam;
    msg.lParam = lparam;
    msg.time = BackendTime();
    Core().queue.push_back(msg);
}

LRESULT CoreDeliver(const MSG &msg)
{
    if (msg.hwnd == nullptr || msg.hwnd != Core().window)
        return 0;
    return CoreSend(msg.hwnd, msg.message, msg.wParam, msg.lParam);
}

bool CoreQuitPending(void)
{
    for (const MSG &msg : Core().queue)
        if (msg.message == WM_QUIT)
            return true;
    return false;
}

BOOL PeekMessageA(MSG *msg, HWND, UINT, UINT, UINT remove)
{
    CoreState &core = Core();
    if (PlatformCallFails("PeekMessageA") || msg == nullptr)
        return FALSE;
    CorePumpEvents();
    if (core.queue.empty())
        return FALSE;
    *msg = core.queue.front();
    if (remove & PM_REMOVE)
        core.queue.pop_front();
    return TRUE;
}

// Nothing in the program reads character messages.
BOOL TranslateMessage(const MSG *)
{
    PlatformCallFails("TranslateMessage");
    return FALSE;
}

LRESULT DispatchMessageA(const MSG *msg)
{
    if (PlatformCallFails("DispatchMessageA") || msg == nullptr)
        return 0;
    return CoreDeliver(*msg);
}

LRESULT DefWindowProcA(HWND window, UINT message, WPARAM wparam, LPARAM lparam)
{
    PlatformCallFails("DefWindowProcA");
    switch (message) {
    case WM_SYSCOMMAND:
        if (wparam == SC_CLOSE)
            CoreSend(window, WM_CLOSE, 0, 0);
        else if (wparam == SC_SCREENSAVE || wparam == SC_MONITORPOWER)
            Core().saver_let_through = true;
        return 0;
    case WM_SYSKEYDOWN:
        // Alt+F4 asks the window to close.
        if (wparam == VK_F4 && (lparam & ((LPARAM)1 << 29)))
            CorePost(window, WM_SYSCOMMAND, SC_CLOSE, 0);
        return 0;
    case WM_CLOSE:
        DestroyWindow(window);
        return 0;
    }
    return 0;
}

void PostQuitMessage(int exit_code)
{
    PlatformCallFails("PostQuitMessage");
    CorePost(nullptr, WM_QUIT, (WPARAM)exit_code, 0);
}

void CorePumpEvents(void)
{
    BackendPollEvents();
    CoreTakeTerminationRequest();
}

// ---- window-system events -------------------------------------------------

// While the window is active it is asked whether the screen saver and the
// display's power saving may start; a procedure that swallows both
// requests keeps them off.
static void AskAboutScreenSaver(PlatformWindow *window)
{
    CoreState &core = Core();
    core.saver_let_through = false;
    CoreSend(window, WM_SYSCOMMAND, SC_SCREENSAVE, 0);
    CoreSend(window, WM_SYSCOMMAND, SC_MONITORPOWER, 2);
    BackendHoldScreenSaver(!core.saver_let_through);
}

// WM_ACTIVATE: the activation in the low word, non-zero in the high word
// while the window is minimized.
static void SendActivation(PlatformWindow *window)
{
    CoreSend(window, WM_ACTIVATE,
             MAKEWPARAM(window->active ? WA_ACTIVE : WA_INACTIVE, window->minimized ? 1 : 0), 0);
}

void CoreInputKey(PlatformWindow *window, int virtual_key, int scancode, bool down, bool repeat,
                  unsigned modifiers)
{
    if (window == nullptr || window != Core().window || virtual_key <= 0 || virtual_key > 0xFF)
        return;
    bool alt = (modifiers & kCoreAlt) != 0 || virtual_key == VK_MENU;
    // F10, Alt and Alt chords are system keys; with Ctrl held, Alt makes an
    // ordinary chord (AltGr on many keyboards).
    bool system = virtual_key == VK_F10 || (alt && !(modifiers & kCoreCtrl));
    UINT message = down ? (system ? WM_SYSKEYDOWN : WM_KEYDOWN) : (system ? WM_SYSKEYUP : WM_KEYUP);
    LPARAM lparam = 1 | ((LPARAM)(scancode & 0xff) << 16);
    if (alt)
        lparam |= (LPARAM)1 << 29;
    if (repeat || !down)
        lparam |= (LPARAM)1 << 30;
    if (!down)
        lparam |= (LPARAM)1 << 31;
    CorePost(window, message, (WPARAM)virtual_key, lparam);
}

void CoreInputButton(PlatformWindow *window, CoreButton button, bool down, int x, int y)
{
    if (window == nullptr || window != Core().window)
        return;
    static const UINT kMessages[3][2] = {{WM_LBUTTONUP, WM_LBUTTONDOWN},
                                         {WM_RBUTTONUP, WM_RBUTTONDOWN},
                                         {WM_MBUTTONUP, WM_MBUTTONDOWN}};
    // A press that the window system reports just outside (a grab, say)
    // lands on the nearest client pixel.
    CorePost(window, kMessages[button][down ? 1 : 0], 0,
             MAKELPARAM(x < 0 ? 0 : x, y < 0 ? 0 : y));
}

void CoreInputClientSize(PlatformWindow *window, int width, int height)
{
    if (window == nullptr || window != Core().window)
        return;
    if (width == window->client_width && height == window->client_height)
        return;
    RECT frame = {};
    BackendFrameInsets(window->style, &frame);
    window->client_width = width;
    window->client_height = height;
    window->outer_width = width + frame.left + frame.right;
    window->outer_height = height + frame.top + frame.bottom;
    // A minimized window has already been told its size is 0 by 0; it
    // hears of the new size when it is restored.
    if (!window->minimized)
        CoreSend(window, WM_SIZE, SIZE_RESTORED, MAKELPARAM(width, height));
}

void CoreInputFocus(PlatformWindow *window, bool focused)
{
    CoreState &core = Core();
    if (window == nullptr || window != core.window)
        return;
    if (focused) {
        core.focus = window;
        if (window->active)
            return;
        window->active = true;
        SendActivation(window);
        if (!window->minimized)
            AskAboutScreenSaver(window);
    } else {
        if (core.focus == window)
            core.focus = nullptr;
        if (!window->active)
            return;
        window->active = false;
        SendActivation(window);
        BackendHoldScreenSaver(false);
    }
}

void CoreInputMinimized(PlatformWindow *window, bool minimized)
{
    CoreState &core = Core();
    if (window == nullptr || window != core.window || window->minimized == minimized)
        return;
    window->minimized = minimized;
    if (minimized) {
        // Minimizing also deactivates.
        window->active = false;
        if (core.focus == window)
            core.focus = nullptr;
        SendActivation(window);
        CoreSend(window, WM_SIZE, SIZE_MINIMIZED, MAKELPARAM(0, 0));
        BackendHoldScreenSaver(false);
        return;
    }
    // Restored: the activation message's high word goes back to 0 whether
    // or not the window system has activated the window yet.
    SendActivation(window);
    CoreSend(window, WM_SIZE, SIZE_RESTORED,
             MAKELPARAM(window->client_width, window->client_height));
    if (window->active)
        AskAboutScreenSaver(window);
}

void CoreInputCloseRequest(PlatformWindow *window)
{
    if (window == nullptr || window != Core().window)
        return;
    CorePost(window, WM_SYSCOMMAND, SC_CLOSE, 0);
}
