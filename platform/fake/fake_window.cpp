// The recording backend's window system: one class, one window with a real
// client size, a posted-message queue, focus, a display with a list of modes,
// and the cursor counter. Messages the real platform sends (creation,
// activation, size, close) go to the window procedure at the same moments.
#include <cstring>

#include "platform/fake/fake_state.h"
#include "platform/platform_hooks.h"

static PlatformModule *const kModule = reinterpret_cast<PlatformModule *>(0x400000);

void FakeFrameInsets(DWORD style, int *left, int *top, int *right, int *bottom)
{
    if (style & WS_CAPTION) {
        *left = *right = *bottom = 8;
        *top = 31;
    } else {
        *left = *top = *right = *bottom = 0;
    }
}

LRESULT FakeDeliver(PlatformWindow *window, UINT message, WPARAM wparam, LPARAM lparam)
{
    if (window == nullptr || window->procedure == nullptr)
        return 0;
    return window->procedure(window, message, wparam, lparam);
}

void FakePostMessage(UINT message, WPARAM wparam, LPARAM lparam)
{
    MSG msg = {};
    msg.hwnd = Fake().window;
    msg.message = message;
    msg.wParam = wparam;
    msg.lParam = lparam;
    Fake().queue.push_back(msg);
}

LRESULT FakeSendMessage(UINT message, WPARAM wparam, LPARAM lparam)
{
    return FakeDeliver(Fake().window, message, wparam, lparam);
}

HMODULE GetModuleHandleA(const char *)
{
    if (PlatformCallFails("GetModuleHandleA"))
        return nullptr;
    return kModule;
}

HICON LoadIconA(HINSTANCE, const char *name)
{
    if (PlatformCallFails("LoadIconA"))
        return nullptr;
    return reinterpret_cast<HICON>(const_cast<char *>(name));
}

HCURSOR LoadCursorA(HINSTANCE, const char *name)
{
    if (PlatformCallFails("LoadCursorA"))
        return nullptr;
    return reinterpret_cast<HCURSOR>(const_cast<char *>(name));
}

WORD RegisterClassA(const WNDCLASSA *window_class)
{
    FakeState &s = Fake();
    if (PlatformCallFails("RegisterClassA") || s.class_registered)
        return 0;
    s.class_registered = true;
    s.class_procedure = window_class->lpfnWndProc;
    return 0xC001;
}

BOOL UnregisterClassA(const char *, HINSTANCE)
{
    FakeState &s = Fake();
    // A class with a live window cannot go, as on the real platform.
    if (PlatformCallFails("UnregisterClassA") || !s.class_registered || s.window != nullptr)
        return FALSE;
    s.class_registered = false;
    return TRUE;
}

BOOL AdjustWindowRectEx(RECT *rect, DWORD style, BOOL, DWORD)
{
    if (PlatformCallFails("AdjustWindowRectEx"))
        return FALSE;
    int l, t, r, b;
    FakeFrameInsets(style, &l, &t, &r, &b);
    rect->left -= l;
    rect->top -= t;
    rect->right += r;
    rect->bottom += b;
    return TRUE;
}

HWND CreateWindowExA(DWORD ex_style, const char *, const char *title, DWORD style,
                     int x, int y, int width, int height, HWND, HMENU, HINSTANCE, void *)
{
    FakeState &s = Fake();
    if (PlatformCallFails("CreateWindowExA") || !s.class_registered || s.window != nullptr)
        return nullptr;
    PlatformWindow *w = new PlatformWindow();
    w->procedure = s.class_procedure;
    w->style = style;
    w->ex_style = ex_style;
    w->title = title ? title : "";
    w->x = x;
    w->y = y;
    w->outer_width = width;
    w->outer_height = height;
    int l, t, r, b;
    FakeFrameInsets(style, &l, &t, &r, &b);
    w->client_width = width - l - r;
    w->client_height = height - t - b;
    w->dc = PlatformDC{w, nullptr};
    s.window = w;
    FakeDeliver(w, WM_CREATE, 0, 0);
    return w;
}

BOOL DestroyWindow(HWND window)
{
    FakeState &s = Fake();
    if (PlatformCallFails("DestroyWindow") || window == nullptr || window != s.window)
        return FALSE;
    FakeDeliver(window, WM_DESTROY, 0, 0);
    if (s.focus == window)
        s.focus = nullptr;
    // Messages for the window go with it; the quit message stays.
    for (auto it = s.queue.begin(); it != s.queue.end();)
        it = it->hwnd == window ? s.queue.erase(it) : it + 1;
    s.window = nullptr;
    s.saver_held_off = false;
    delete window;
    return TRUE;
}

// The scene window asks its procedure whether the screen saver and display
// power saving may start; swallowing both keeps them off while it is active.
static void AskAboutScreenSaver(PlatformWindow *window)
{
    FakeState &s = Fake();
    s.saver_let_through = false;
    FakeDeliver(window, WM_SYSCOMMAND, SC_SCREENSAVE, 0);
    FakeDeliver(window, WM_SYSCOMMAND, SC_MONITORPOWER, 2);
    s.saver_held_off = !s.saver_let_through;
}

BOOL ShowWindow(HWND window, int command)
{
    FakeState &s = Fake();
    if (PlatformCallFails("ShowWindow") || window != s.window || window == nullptr)
        return FALSE;
    bool was_visible = window->visible;
    window->visible = command != SW_HIDE;
    if (window->visible && !was_visible) {
        window->shown_while_context_current =
            s.current_context != nullptr && s.current_context->window == window;
        FakeDeliver(window, WM_SHOWWINDOW, TRUE, 0);
        FakeDeliver(window, WM_ACTIVATE, WA_ACTIVE, 0);
        FakeDeliver(window, WM_SIZE, SIZE_RESTORED,
                    MAKELPARAM(window->client_width, window->client_height));
        AskAboutScreenSaver(window);
    }
    return was_visible;
}

BOOL SetForegroundWindow(HWND window)
{
    if (PlatformCallFails("SetForegroundWindow"))
        return FALSE;
    return window != nullptr && window == Fake().window;
}

HWND SetFocus(HWND window)
{
    FakeState &s = Fake();
    if (PlatformCallFails("SetFocus"))
        return nullptr;
    HWND previous = s.focus;
    if (window == s.window)
        s.focus = window;
    return previous;
}

HWND GetFocus(void)
{
    if (PlatformCallFails("GetFocus"))
        return nullptr;
    return Fake().focus;
}

HDC GetDC(HWND window)
{
    if (PlatformCallFails("GetDC") || window == nullptr || window != Fake().window)
        return nullptr;
    return &window->dc;
}

int ReleaseDC(HWND window, HDC dc)
{
    if (PlatformCallFails("ReleaseDC") || window == nullptr || dc != &window->dc)
        return 0;
    return 1;
}

BOOL PeekMessageA(MSG *msg, HWND, UINT, UINT, UINT remove)
{
    FakeState &s = Fake();
    if (PlatformCallFails("PeekMessageA") || s.queue.empty())
        return FALSE;
    *msg = s.queue.front();
    if (remove & PM_REMOVE)
        s.queue.pop_front();
    return TRUE;
}

BOOL TranslateMessage(const MSG *)
{
    PlatformCallFails("TranslateMessage");
    return FALSE;
}

LRESULT DispatchMessageA(const MSG *msg)
{
    if (PlatformCallFails("DispatchMessageA"))
        return 0;
    return FakeDeliver(msg->hwnd, msg->message, msg->wParam, msg->lParam);
}

LRESULT DefWindowProcA(HWND window, UINT message, WPARAM wparam, LPARAM)
{
    PlatformCallFails("DefWindowProcA");
    switch (message) {
    case WM_SYSCOMMAND:
        if (wparam == SC_CLOSE)
            FakeDeliver(window, WM_CLOSE, 0, 0);
        else if (wparam == SC_SCREENSAVE || wparam == SC_MONITORPOWER)
            Fake().saver_let_through = true;
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
    MSG msg = {};
    msg.message = WM_QUIT;
    msg.wParam = (WPARAM)exit_code;
    Fake().queue.push_back(msg);
}

LONG ChangeDisplaySettingsA(DEVMODEA *mode, DWORD)
{
    FakeState &s = Fake();
    if (PlatformCallFails("ChangeDisplaySettingsA"))
        return DISP_CHANGE_FAILED;
    if (mode == nullptr) {
        s.current = s.desktop;
        return DISP_CHANGE_SUCCESSFUL;
    }
    for (const FakeDisplayMode &offered : s.modes) {
        if ((DWORD)offered.width == mode->dmPelsWidth &&
            (DWORD)offered.height == mode->dmPelsHeight) {
            s.current = FakeDisplayMode{offered.width, offered.height,
                                        (int)mode->dmBitsPerPel};
            return DISP_CHANGE_SUCCESSFUL;
        }
    }
    return DISP_CHANGE_BADMODE;
}

int ShowCursor(BOOL show)
{
    PlatformCallFails("ShowCursor");
    return show ? ++Fake().cursor_count : --Fake().cursor_count;
}
