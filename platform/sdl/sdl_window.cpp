// The window system over SDL2: the class, the one scene window, the message
// queue fed from SDL's events, focus and the default handling of messages.
// Keyboard and mouse input is posted to the queue; size, activation and
// close requests are sent to the window procedure straight away, inside
// PeekMessageA, as the platform sends them. The native window itself is made
// when its pixel format is set, since an X11 GL visual is fixed at creation.
#include <cstdlib>

#include "platform/platform_hooks.h"
#include "platform/sdl/sdl_keys.h"
#include "platform/sdl/sdl_state.h"

static PlatformModule *const kModule = reinterpret_cast<PlatformModule *>(0x400000);

SdlState &Sdl()
{
    static SdlState state;
    return state;
}

bool SdlEnsureVideo(void)
{
    SdlState &s = Sdl();
    if (s.video_ready)
        return true;
    // The program decides about the screen saver itself (see below), keeps a
    // fullscreen window up while a message box has the focus, takes the
    // click that activates the window as a click, and ends only through its
    // own close handling.
    SdlStartWarmUp();
    atexit(SdlFinishWarmUp);
    SDL_SetHint(SDL_HINT_VIDEO_ALLOW_SCREENSAVER, "1");
    SDL_SetHint(SDL_HINT_VIDEO_MINIMIZE_ON_FOCUS_LOSS, "0");
    SDL_SetHint(SDL_HINT_MOUSE_FOCUS_CLICKTHROUGH, "1");
    SDL_SetHint(SDL_HINT_QUIT_ON_LAST_WINDOW_CLOSE, "0");
    if (SDL_Init(SDL_INIT_VIDEO) != 0)
        return false;
    atexit(SDL_Quit);
    s.video_ready = true;
    return true;
}

LRESULT SdlSend(PlatformWindow *window, UINT message, WPARAM wparam, LPARAM lparam)
{
    if (window == nullptr || window->procedure == nullptr)
        return 0;
    return window->procedure(window, message, wparam, lparam);
}

static void Post(PlatformWindow *window, UINT message, WPARAM wparam, LPARAM lparam)
{
    MSG msg = {};
    msg.hwnd = window;
    msg.message = message;
    msg.wParam = wparam;
    msg.lParam = lparam;
    msg.time = SDL_GetTicks();
    Sdl().queue.push_back(msg);
}

// While the scene window is active it is asked whether the screen saver and
// the display's power saving may start; a procedure that swallows both
// requests keeps them off.
static void AskAboutScreenSaver(PlatformWindow *window)
{
    SdlState &s = Sdl();
    s.saver_let_through = false;
    SdlSend(window, WM_SYSCOMMAND, SC_SCREENSAVE, 0);
    SdlSend(window, WM_SYSCOMMAND, SC_MONITORPOWER, 2);
    if (s.saver_let_through)
        SDL_EnableScreenSaver();
    else
        SDL_DisableScreenSaver();
}

static void Activate(PlatformWindow *w, WORD state)
{
    SdlSend(w, WM_ACTIVATE, MAKEWPARAM(state, w->minimized ? 1 : 0), 0);
}

static void HandleWindowEvent(PlatformWindow *w, const SDL_WindowEvent &e)
{
    switch (e.event) {
    case SDL_WINDOWEVENT_SIZE_CHANGED:
        w->client_width = e.data1;
        w->client_height = e.data2;
        if (!w->minimized)
            SdlSend(w, WM_SIZE, SIZE_RESTORED, MAKELPARAM(e.data1, e.data2));
        break;
    case SDL_WINDOWEVENT_MINIMIZED:
        w->minimized = true;
        Activate(w, WA_INACTIVE);
        SdlSend(w, WM_SIZE, SIZE_MINIMIZED, MAKELPARAM(0, 0));
        SDL_EnableScreenSaver();
        break;
    case SDL_WINDOWEVENT_RESTORED:
    case SDL_WINDOWEVENT_MAXIMIZED:
        if (w->minimized) {
            w->minimized = false;
            SDL_GetWindowSize(w->sdl, &w->client_width, &w->client_height);
            Activate(w, WA_ACTIVE);
            SdlSend(w, WM_SIZE, SIZE_RESTORED, MAKELPARAM(w->client_width, w->client_height));
            AskAboutScreenSaver(w);
        }
        break;
    case SDL_WINDOWEVENT_FOCUS_GAINED:
        Activate(w, WA_ACTIVE);
        AskAboutScreenSaver(w);
        break;
    case SDL_WINDOWEVENT_FOCUS_LOST:
        Activate(w, WA_INACTIVE);
        SDL_EnableScreenSaver();
        break;
    case SDL_WINDOWEVENT_CLOSE:
        SdlSend(w, WM_SYSCOMMAND, SC_CLOSE, 0);
        break;
    }
}

static void PostKey(PlatformWindow *w, const SDL_KeyboardEvent &e, bool down)
{
    int vk = SdlKeyToVirtualKey(e.keysym.sym);
    if (vk == 0)
        return;
    // Alt chords and F10 are system keys: they take the default path.
    bool system = (e.keysym.mod & KMOD_ALT) != 0 || vk == VK_F10 || vk == VK_MENU;
    UINT message = down ? (system ? WM_SYSKEYDOWN : WM_KEYDOWN) : (system ? WM_SYSKEYUP : WM_KEYUP);
    LPARAM lparam = 1 | ((LPARAM)(e.keysym.scancode & 0xff) << 16);
    if (system)
        lparam |= (LPARAM)1 << 29;
    if (e.repeat || !down)
        lparam |= (LPARAM)1 << 30;
    if (!down)
        lparam |= (LPARAM)1 << 31;
    Post(w, message, (WPARAM)vk, lparam);
}

static void PostButton(PlatformWindow *w, const SDL_MouseButtonEvent &e, bool down)
{
    UINT message;
    switch (e.button) {
    case SDL_BUTTON_LEFT: message = down ? WM_LBUTTONDOWN : WM_LBUTTONUP; break;
    case SDL_BUTTON_RIGHT: message = down ? WM_RBUTTONDOWN : WM_RBUTTONUP; break;
    case SDL_BUTTON_MIDDLE: message = down ? WM_MBUTTONDOWN : WM_MBUTTONUP; break;
    default: return;
    }
    int x = e.x < 0 ? 0 : e.x;
    int y = e.y < 0 ? 0 : e.y;
    Post(w, message, 0, MAKELPARAM(x, y));
}

// Turns everything SDL has waiting into messages for the scene window.
static void PumpEvents(void)
{
    SdlState &s = Sdl();
    if (!s.video_ready)
        return;
    SDL_Event e;
    while (SDL_PollEvent(&e)) {
        PlatformWindow *w = s.window;
        if (w == nullptr || w->sdl == nullptr)
            continue;
        switch (e.type) {
        case SDL_QUIT:
            // An interrupt or termination request closes the window the way
            // its close button does.
            SdlSend(w, WM_SYSCOMMAND, SC_CLOSE, 0);
            break;
        case SDL_WINDOWEVENT:
            if (e.window.windowID == SDL_GetWindowID(w->sdl))
                HandleWindowEvent(w, e.window);
            break;
        case SDL_KEYDOWN:
        case SDL_KEYUP:
            PostKey(w, e.key, e.type == SDL_KEYDOWN);
            break;
        case SDL_MOUSEBUTTONDOWN:
        case SDL_MOUSEBUTTONUP:
            PostButton(w, e.button, e.type == SDL_MOUSEBUTTONDOWN);
            break;
        }
        if (s.window != w)
            break;  // the window went away while handling; drop the rest
    }
}

HMODULE GetModuleHandleA(const char *) { return kModule; }

HICON LoadIconA(HINSTANCE, const char *name)
{
    return reinterpret_cast<HICON>(const_cast<char *>(name));
}

HCURSOR LoadCursorA(HINSTANCE, const char *name)
{
    return reinterpret_cast<HCURSOR>(const_cast<char *>(name));
}

WORD RegisterClassA(const WNDCLASSA *window_class)
{
    SdlState &s = Sdl();
    if (s.class_registered || window_class == nullptr || window_class->lpfnWndProc == nullptr)
        return 0;
    s.class_registered = true;
    s.class_procedure = window_class->lpfnWndProc;
    return 0xC001;
}

BOOL UnregisterClassA(const char *, HINSTANCE)
{
    SdlState &s = Sdl();
    if (!s.class_registered || s.window != nullptr)
        return FALSE;
    s.class_registered = false;
    return TRUE;
}

// The desktop's frame is drawn by the window manager, outside the client
// area, so the client size asked for is the size of the native window.
BOOL AdjustWindowRectEx(RECT *, DWORD, BOOL, DWORD) { return TRUE; }

HWND CreateWindowExA(DWORD ex_style, const char *, const char *title, DWORD style,
                     int x, int y, int width, int height, HWND, HMENU, HINSTANCE, void *)
{
    SdlState &s = Sdl();
    if (!s.class_registered || s.window != nullptr || !SdlEnsureVideo())
        return nullptr;
    PlatformWindow *w = new PlatformWindow();
    w->procedure = s.class_procedure;
    w->style = style;
    w->ex_style = ex_style;
    w->title = title ? Cp949ToUtf8(title) : std::string();
    w->x = x;
    w->y = y;
    w->client_width = width;
    w->client_height = height;
    w->minimized = false;
    w->sdl = nullptr;
    w->dc = PlatformDC{w, nullptr};
    s.window = w;
    SdlSend(w, WM_CREATE, 0, 0);
    return w;
}

BOOL DestroyWindow(HWND window)
{
    SdlState &s = Sdl();
    if (window == nullptr || window != s.window)
        return FALSE;
    SdlSend(window, WM_DESTROY, 0, 0);
    if (window->sdl != nullptr)
        SDL_DestroyWindow(window->sdl);
    s.window = nullptr;
    // Messages for the window go with it; the quit message stays.
    for (auto it = s.queue.begin(); it != s.queue.end();)
        it = it->hwnd == window ? s.queue.erase(it) : it + 1;
    delete window;
    SDL_EnableScreenSaver();
    return TRUE;
}

BOOL ShowWindow(HWND window, int command)
{
    if (window == nullptr || window != Sdl().window || window->sdl == nullptr)
        return FALSE;
    bool was_visible = (SDL_GetWindowFlags(window->sdl) & SDL_WINDOW_SHOWN) != 0;
    if (command == SW_HIDE)
        SDL_HideWindow(window->sdl);
    else
        SDL_ShowWindow(window->sdl);
    return was_visible;
}

BOOL SetForegroundWindow(HWND window)
{
    if (window == nullptr || window != Sdl().window || window->sdl == nullptr)
        return FALSE;
    SDL_RaiseWindow(window->sdl);
    return TRUE;
}

HWND SetFocus(HWND window)
{
    HWND previous = GetFocus();
    if (window != nullptr && window == Sdl().window && window->sdl != nullptr)
        SDL_SetWindowInputFocus(window->sdl);
    return previous;
}

HWND GetFocus(void)
{
    PlatformWindow *w = Sdl().window;
    if (w == nullptr || w->sdl == nullptr)
        return nullptr;
    return SDL_GetKeyboardFocus() == w->sdl ? w : nullptr;
}

HDC GetDC(HWND window)
{
    if (window == nullptr || window != Sdl().window)
        return nullptr;
    return &window->dc;
}

int ReleaseDC(HWND window, HDC dc)
{
    return window != nullptr && dc == &window->dc ? 1 : 0;
}

BOOL PeekMessageA(MSG *msg, HWND, UINT, UINT, UINT remove)
{
    SdlState &s = Sdl();
    if (s.queue.empty())
        PumpEvents();
    if (s.queue.empty())
        return FALSE;
    *msg = s.queue.front();
    if (remove & PM_REMOVE)
        s.queue.pop_front();
    return TRUE;
}

// Nothing in the program reads character messages.
BOOL TranslateMessage(const MSG *) { return FALSE; }

LRESULT DispatchMessageA(const MSG *msg)
{
    if (msg->hwnd == nullptr || msg->hwnd != Sdl().window)
        return 0;
    return SdlSend(msg->hwnd, msg->message, msg->wParam, msg->lParam);
}

LRESULT DefWindowProcA(HWND window, UINT message, WPARAM wparam, LPARAM lparam)
{
    switch (message) {
    case WM_SYSCOMMAND:
        if (wparam == SC_CLOSE)
            SdlSend(window, WM_CLOSE, 0, 0);
        else if (wparam == SC_SCREENSAVE || wparam == SC_MONITORPOWER)
            Sdl().saver_let_through = true;
        return 0;
    case WM_SYSKEYDOWN:
        // Alt+F4 asks the window to close.
        if (wparam == VK_F4 && (lparam & ((LPARAM)1 << 29)))
            SdlSend(window, WM_SYSCOMMAND, SC_CLOSE, 0);
        return 0;
    case WM_CLOSE:
        DestroyWindow(window);
        return 0;
    }
    return 0;
}

void PostQuitMessage(int exit_code)
{
    Post(nullptr, WM_QUIT, (WPARAM)exit_code, 0);
}
