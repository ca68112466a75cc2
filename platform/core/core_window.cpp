// The window operations of the core: the one class, the one window and its
// device context, showing, raising and focus, the frame rectangle and the
// pixel format. Every rule a call checks is here, once; the backend only
// makes, shows and takes down the native window.
#include "platform/core/core_backend.h"
#include "platform/platform_hooks.h"

static PlatformModule *const kModule = reinterpret_cast<PlatformModule *>(0x400000);

CoreState &Core()
{
    static CoreState state;
    return state;
}

void CoreReset(void)
{
    CoreState &core = Core();
    if (core.window != nullptr) {
        BackendDestroyWindow(core.window);
        delete core.window;
    }
    core = CoreState();
    CoreForgetTerminationRequest();
}

HMODULE GetModuleHandleA(const char *)
{
    if (PlatformCallFails("GetModuleHandleA"))
        return nullptr;
    return kModule;
}

// Stock resources are named by small integers; their handle is that name.
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
    CoreState &core = Core();
    if (PlatformCallFails("RegisterClassA") || core.class_registered || window_class == nullptr ||
        window_class->lpfnWndProc == nullptr || window_class->lpszClassName == nullptr)
        return 0;
    core.class_registered = true;
    core.class_procedure = window_class->lpfnWndProc;
    return 0xC001;
}

BOOL UnregisterClassA(const char *, HINSTANCE)
{
    CoreState &core = Core();
    // A class with a live window cannot go.
    if (PlatformCallFails("UnregisterClassA") || !core.class_registered || core.window != nullptr)
        return FALSE;
    core.class_registered = false;
    return TRUE;
}

BOOL AdjustWindowRectEx(RECT *rect, DWORD style, BOOL, DWORD)
{
    if (PlatformCallFails("AdjustWindowRectEx") || rect == nullptr)
        return FALSE;
    RECT frame = {};
    BackendFrameInsets(style, &frame);
    rect->left -= frame.left;
    rect->top -= frame.top;
    rect->right += frame.right;
    rect->bottom += frame.bottom;
    return TRUE;
}

HWND CreateWindowExA(DWORD ex_style, const char *, const char *title, DWORD style, int x,
                     int y, int width, int height, HWND, HMENU, HINSTANCE, void *)
{
    CoreState &core = Core();
    if (PlatformCallFails("CreateWindowExA") || !core.class_registered || core.window != nullptr)
        return nullptr;
    PlatformWindow *w = new PlatformWindow();
    w->procedure = core.class_procedure;
    w->style = style;
    w->ex_style = ex_style;
    w->title = title != nullptr ? title : "";
    w->x = x;
    w->y = y;
    w->outer_width = width;
    w->outer_height = height;
    RECT frame = {};
    BackendFrameInsets(style, &frame);
    w->client_width = width - frame.left - frame.right;
    w->client_height = height - frame.top - frame.bottom;
    w->dc = PlatformDC{w, nullptr};
    if (!BackendCreateWindow(w)) {
        delete w;
        return nullptr;
    }
    core.window = w;
    CoreSend(w, WM_CREATE, 0, 0);
    return w;
}

BOOL DestroyWindow(HWND window)
{
    CoreState &core = Core();
    if (PlatformCallFails("DestroyWindow") || window == nullptr || window != core.window)
        return FALSE;
    CoreSend(window, WM_DESTROY, 0, 0);
    if (core.focus == window)
        core.focus = nullptr;
    BackendDestroyWindow(window);
    core.window = nullptr;
    // Messages for the window go with it; the quit message stays.
    for (auto it = core.queue.begin(); it != core.queue.end();)
        it = it->hwnd == window ? core.queue.erase(it) : it + 1;
    BackendHoldScreenSaver(false);
    delete window;
    return TRUE;
}

BOOL ShowWindow(HWND window, int command)
{
    CoreState &core = Core();
    if (PlatformCallFails("ShowWindow") || window == nullptr || window != core.window)
        return FALSE;
    bool was_visible = window->visible;
    bool show = command != SW_HIDE;
    if (show == was_visible)
        return was_visible;
    BackendShowWindow(window, show);
    window->visible = show;
    CoreSend(window, WM_SHOWWINDOW, show ? TRUE : FALSE, 0);
    if (!show) {
        CoreInputFocus(window, false);
        return was_visible;
    }
    // Showing activates the window; the first show also tells it its size.
    CoreInputFocus(window, true);
    if (!window->shown_before) {
        window->shown_before = true;
        CoreSend(window, WM_SIZE, SIZE_RESTORED,
                 MAKELPARAM(window->client_width, window->client_height));
    }
    return was_visible;
}

BOOL SetForegroundWindow(HWND window)
{
    CoreState &core = Core();
    if (PlatformCallFails("SetForegroundWindow") || window == nullptr || window != core.window)
        return FALSE;
    BackendRaiseWindow(window);
    if (window->visible)
        CoreInputFocus(window, true);
    return TRUE;
}

// Takes effect at once, so GetFocus right after it answers the window; the
// window system is asked to follow.
HWND SetFocus(HWND window)
{
    CoreState &core = Core();
    if (PlatformCallFails("SetFocus"))
        return nullptr;
    HWND previous = core.focus;
    if (window == nullptr) {
        core.focus = nullptr;
    } else if (window == core.window) {
        core.focus = window;
        BackendFocusWindow(window);
    }
    return previous;
}

HWND GetFocus(void)
{
    if (PlatformCallFails("GetFocus"))
        return nullptr;
    return Core().focus;
}

HDC GetDC(HWND window)
{
    if (PlatformCallFails("GetDC") || window == nullptr || window != Core().window)
        return nullptr;
    return &window->dc;
}

int ReleaseDC(HWND window, HDC dc)
{
    if (PlatformCallFails("ReleaseDC") || window == nullptr || dc != &window->dc)
        return 0;
    return 1;
}

// One format is on offer: double-buffered RGBA for OpenGL, with the colour
// and depth the request names as near as the window system has them. Its
// index is 1.
int ChoosePixelFormat(HDC dc, const PIXELFORMATDESCRIPTOR *request)
{
    if (PlatformCallFails("ChoosePixelFormat") || dc == nullptr || request == nullptr)
        return 0;
    if (!(request->dwFlags & PFD_SUPPORT_OPENGL) || request->iPixelType != PFD_TYPE_RGBA)
        return 0;
    Core().chosen_format = *request;
    return 1;
}

// A window's pixel format can be set once only.
BOOL SetPixelFormat(HDC dc, int format, const PIXELFORMATDESCRIPTOR *)
{
    if (PlatformCallFails("SetPixelFormat") || dc == nullptr || format != 1 ||
        dc->window == nullptr || dc->window != Core().window || dc->window->pixel_format != 0)
        return FALSE;
    if (!BackendSetPixelFormat(dc->window, Core().chosen_format))
        return FALSE;
    dc->window->pixel_format = format;
    return TRUE;
}
