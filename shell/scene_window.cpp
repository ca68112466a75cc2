// The scene window and its rendering context: one call builds everything the
// first frame needs (class, display mode, window, pixel format, context,
// scene state), one call takes it all down again. A failure after the window
// exists first tears down what was made, then says what went wrong.
#include "shell/scene_window.h"

#include "platform/user32.h"
#include "platform/wgl.h"
#include "scene/render_setup.h"
#include "shell/window_procedure.h"

bool fullscreen = false;
HINSTANCE module_instance = nullptr;
HWND window_handle = nullptr;
HDC device_context = nullptr;
HGLRC render_context = nullptr;

// Every field but the colour depth is fixed; the depth is filled in by the
// first open that gets past window creation and kept for the whole run.
PIXELFORMATDESCRIPTOR pixel_format = {
    sizeof(PIXELFORMATDESCRIPTOR),
    1,
    PFD_DRAW_TO_WINDOW | PFD_SUPPORT_OPENGL | PFD_DOUBLEBUFFER,
    PFD_TYPE_RGBA,
    0,                 // colour depth, see above
    0, 0, 0, 0, 0, 0,  // colour bits and shifts: the platform's choice
    0, 0,              // no alpha
    0, 0, 0, 0, 0,     // no accumulation buffer
    16,                // depth buffer
    0,                 // no stencil
    0,                 // no auxiliary buffers
    PFD_MAIN_PLANE,
    0,
    0, 0, 0,
};

static const char kClassName[] = "OpenGL";

static void show_open_error(const char *text)
{
    MessageBoxA(nullptr, text, "ERROR", MB_OK | MB_ICONEXCLAMATION);
}

static void show_close_error(const char *text)
{
    MessageBoxA(nullptr, text, "SHUTDOWN ERROR", MB_OK | MB_ICONINFORMATION);
}

// Teardown of a partly made window, then its own message.
static int fail_open(const char *text)
{
    CloseSceneWindow();
    show_open_error(text);
    return 0;
}

// The window class "OpenGL", filled afresh for every open. Nothing else
// exists yet, so a refusal needs no teardown.
static int register_scene_class(void)
{
    module_instance = GetModuleHandleA(nullptr);

    WNDCLASSA window_class = {};
    window_class.style = CS_HREDRAW | CS_VREDRAW | CS_OWNDC;
    window_class.lpfnWndProc = SceneWindowProc;
    window_class.cbClsExtra = 0;
    window_class.cbWndExtra = 0;
    window_class.hInstance = module_instance;
    window_class.hIcon = LoadIconA(nullptr, IDI_WINLOGO);
    window_class.hCursor = LoadCursorA(nullptr, IDC_ARROW);
    window_class.hbrBackground = nullptr;
    window_class.lpszMenuName = nullptr;
    window_class.lpszClassName = kClassName;
    if (!RegisterClassA(&window_class)) {
        show_open_error("Failed To Register The Window Class.");
        return 0;
    }
    return 1;
}

// The temporary display-mode change of a fullscreen open. A refused mode
// asks whether to go on windowed: Yes clears `fullscreen`, anything else
// ends the open with the class still registered and the mode unchanged.
static int change_display_mode(int width, int height, int bits)
{
    DEVMODEA mode = {};
    mode.dmSize = sizeof(DEVMODEA);
    mode.dmPelsWidth = (DWORD)width;
    mode.dmPelsHeight = (DWORD)height;
    mode.dmBitsPerPel = (DWORD)bits;
    mode.dmFields = DM_BITSPERPEL | DM_PELSWIDTH | DM_PELSHEIGHT;
    if (ChangeDisplaySettingsA(&mode, CDS_FULLSCREEN) == DISP_CHANGE_SUCCESSFUL)
        return 1;
    if (MessageBoxA(nullptr,
                    "The Requested Fullscreen Mode Is Not Supported By\n"
                    "Your Video Card. Use Windowed Mode Instead?",
                    "2nd Term OpenGL Tarsel", MB_YESNO | MB_ICONEXCLAMATION) == IDYES) {
        fullscreen = false;
        return 1;
    }
    MessageBoxA(nullptr, "Program Will Now Close.", "ERROR", MB_OK | MB_ICONSTOP);
    return 0;
}

// The window, hidden, with its top-left corner at the screen's and a client
// area of width by height: a borderless popup with the cursor hidden in
// fullscreen, an overlapped window otherwise.
static int create_scene_window(const char *title, int width, int height)
{
    RECT window_rect = {0, 0, width, height};
    DWORD ex_style;
    DWORD style;
    if (fullscreen) {
        ex_style = WS_EX_APPWINDOW;
        style = WS_POPUP;
        ShowCursor(FALSE);
    } else {
        ex_style = WS_EX_APPWINDOW | WS_EX_WINDOWEDGE;
        style = WS_OVERLAPPEDWINDOW;
    }
    AdjustWindowRectEx(&window_rect, style, FALSE, ex_style);

    window_handle = CreateWindowExA(ex_style, kClassName, title,
                                    style | WS_CLIPSIBLINGS | WS_CLIPCHILDREN, 0, 0,
                                    window_rect.right - window_rect.left,
                                    window_rect.bottom - window_rect.top, nullptr,
                                    nullptr, module_instance, nullptr);
    if (window_handle == nullptr)
        return fail_open("Window Creation Error.");
    return 1;
}

// The device context, its pixel format and a rendering context made current
// on it. The colour depth of the request is fixed by the first open of the
// run that gets this far.
static int make_rendering_context(int bits)
{
    if (pixel_format.cColorBits == 0)
        pixel_format.cColorBits = (BYTE)bits;

    device_context = GetDC(window_handle);
    if (device_context == nullptr)
        return fail_open("Can't Create A GL Device Context.");

    int chosen_format = ChoosePixelFormat(device_context, &pixel_format);
    if (chosen_format == 0)
        return fail_open("Can't Find A Suitable PixelFormat.");
    if (!SetPixelFormat(device_context, chosen_format, &pixel_format))
        return fail_open("Can't Set The PixelFormat.");

    render_context = wglCreateContext(device_context);
    if (render_context == nullptr)
        return fail_open("Can't Create A GL Rendering Context.");
    if (!wglMakeCurrent(device_context, render_context))
        return fail_open("Can't Activate The GL Rendering Context.");
    return 1;
}

int OpenSceneWindow(const char *title, int width, int height, int bits,
                    bool fullscreen_flag)
{
    fullscreen = fullscreen_flag;
    if (!register_scene_class())
        return 0;
    if (fullscreen && !change_display_mode(width, height, bits))
        return 0;
    if (!create_scene_window(title, width, height))
        return 0;
    if (!make_rendering_context(bits))
        return 0;

    // Shown only now that its context is current.
    ShowWindow(window_handle, SW_SHOW);
    SetForegroundWindow(window_handle);
    SetFocus(window_handle);
    ResizeScene(width, height);

    if (!InitScene())
        return fail_open("Initialization Failed.");
    return 1;
}

// Each handle is cleared once its resource is released (or its release was
// reported as failed), so a close after a partial reopen never releases
// anything twice.
void CloseSceneWindow(void)
{
    if (fullscreen) {
        ChangeDisplaySettingsA(nullptr, 0);
        ShowCursor(TRUE);
    }

    if (render_context != nullptr) {
        if (!wglMakeCurrent(nullptr, nullptr))
            show_close_error("Release Of DC And RC Failed.");
        if (!wglDeleteContext(render_context))
            show_close_error("Release Rendering Context Failed.");
        render_context = nullptr;
    }

    if (device_context != nullptr) {
        if (!ReleaseDC(window_handle, device_context))
            show_close_error("Release Device Context Failed.");
        device_context = nullptr;
    }

    if (window_handle != nullptr) {
        if (!DestroyWindow(window_handle))
            show_close_error("Could Not Release hWnd.");
        window_handle = nullptr;
    }

    if (!UnregisterClassA(kClassName, module_instance))
        show_close_error("Could Not Unregister Class.");
    module_instance = nullptr;

    // The quadric lived in the context just deleted; a fresh one comes with
    // the next InitScene. Deleting a null quadric would crash GLU.
    if (sphere_quadric != nullptr) {
        gluDeleteQuadric(sphere_quadric);
        sphere_quadric = nullptr;
    }
}
