// The program's control flow: open the scene window, then alternate between
// handing one message to the window procedure and drawing one frame, act on
// the function keys between frames, and close the window at the end. There
// is no clock, and all of the program's own code runs on this one thread
// (the backend's start-up warm-up has threads of its own that run none of
// it); the animation moves one step per frame.
#include "shell/main_loop.h"

#include <GL/gl.h>

#include "assets/outline_font.h"
#include "platform/gdi32.h"
#include "platform/user32.h"
#include "scene/draw_scene.h"
#include "scene/focus_mark.h"
#include "scene/picking.h"
#include "scene/render_setup.h"
#include "shell/scene_window.h"

bool key_down[256];
bool key_pressed[256];
bool window_active = true;
bool lighting_on = true;
bool texturing_on = true;
bool solid_spheres = true;
bool filled_polygons = true;
unsigned int focused_object = kNoFocus;

static const char kTitle[] = "OpenGL Team Tarsel";

// The display flag each of F2..F5 inverts, in the order they are handled.
static bool *const kToggledFlags[4] = {&lighting_on, &texturing_on,
                                       &solid_spheres, &filled_polygons};

// A press the loop has not yet acted on: true once, then cleared. A key
// pressed and released between two frames still counts; a held key counts
// again with each repeated WM_KEYDOWN, at most once per frame.
static bool take_key_press(int key)
{
    bool pressed = key_pressed[key];
    key_pressed[key] = false;
    return pressed;
}

// The objects a click can name, in the order the scene draws them, which
// is the order Tab visits them in.
static const unsigned int kFocusOrder[] = {kTitleName, kKoreaName, kTogoName,
                                           kFranceName, kSwissName, kBackdropName};
static const int kFocusCount = (int)(sizeof kFocusOrder / sizeof kFocusOrder[0]);

// Tab: the next object, round to the first after the last; the first Tab
// goes to the first object, the first Shift+Tab to the last.
static void move_focus(bool backwards)
{
    int at = -1;
    for (int i = 0; i < kFocusCount; ++i)
        if (kFocusOrder[i] == focused_object)
            at = i;
    if (at < 0)
        at = backwards ? 0 : kFocusCount - 1;
    at = (at + (backwards ? kFocusCount - 1 : 1)) % kFocusCount;
    focused_object = kFocusOrder[at];
}

// Return and Space that came while a box was up, or were handed on by it,
// were meant for that box, not for a new one.
static void forget_box_keys(void)
{
    key_pressed[VK_RETURN] = false;
    key_pressed[VK_SPACE] = false;
}

// Return or Space on the focused object: the box a click on it shows, by
// the same path, from a hit record that names the object alone. No pick
// pass is drawn, so unlike a click it costs the animation no step.
static void report_focused_object(void)
{
    bool pressed = take_key_press(VK_RETURN);
    pressed = take_key_press(VK_SPACE) || pressed;
    if (!pressed || focused_object == kNoFocus)
        return;
    const GLuint record[4] = {1, 0, 0, focused_object};
    ReportPick(record);
    forget_box_keys();
}

int RunPresentation(void)
{
    // A loop ended by Esc removed no quit message; starting from a cleared
    // record makes its exit code 0 rather than whatever was removed last.
    MSG msg = {};
    bool done = false;

    // A window that could not be opened (its box has said why) ends the run
    // as a failure, so scripts and desktops can tell it from a normal end.
    fullscreen = false;
    if (!OpenSceneWindow(kTitle, 640, 480, 16, fullscreen))
        return 1;

    while (!done) {
        if (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
            if (msg.message == WM_QUIT) {
                done = true;
            } else {
                TranslateMessage(&msg);
                DispatchMessageA(&msg);
            }
            continue;
        }

        if (window_active) {
            // Taken before the pass, which moves the objects on once drawn.
            FocusMark mark = PlaceFocusMark(focused_object);
            if (!DrawScene())
                done = true;
            DrawFocusMark(mark);
        }
        if (!done && take_key_press(VK_ESCAPE))
            done = true;
        if (!done)
            SwapBuffers(device_context);

        if (take_key_press(VK_F1)) {
            CloseSceneWindow();
            fullscreen = !fullscreen;
            if (!OpenSceneWindow(kTitle, 640, 480, 16, fullscreen))
                return 1;
        }
        for (int i = 0; i < 4; ++i) {
            if (take_key_press(VK_F2 + i))
                *kToggledFlags[i] = !*kToggledFlags[i];
        }
        if (!done)
            report_focused_object();
    }

    CloseSceneWindow();
    // After the quit message this is its code (0, from WM_CLOSE).
    return msg.message == WM_QUIT ? (int)msg.wParam : 0;
}

// A size that came while a display list was being compiled: a picture's
// Error box delivers WM_SIZE from inside the texture list it interrupts, and
// ResizeScene's calls would be compiled into that list instead of carried
// out. It is kept here until the open has closed its lists.
static bool resize_held = false;
static int held_width = 0;
static int held_height = 0;

static bool compiling_a_list(void)
{
    GLint list = 0;  // stays 0 without a current context
    glGetIntegerv(GL_LIST_INDEX, &list);
    return list != 0;
}

void ApplyHeldResize(void)
{
    if (resize_held)
        ResizeScene(held_width, held_height);
    resize_held = false;
}

LRESULT SceneWindowProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam)
{
    switch (message) {
    case WM_ACTIVATE:
        // The high word is non-zero exactly while the window is minimized.
        window_active = HIWORD(wparam) == 0;
        return 0;
    case WM_SYSCOMMAND:
        if (wparam == SC_SCREENSAVE || wparam == SC_MONITORPOWER)
            return 0;
        break;
    case WM_CLOSE:
        DeleteOutlineFont();
        PostQuitMessage(0);
        return 0;
    case WM_KEYDOWN:
        if (wparam < 256) {
            // Return and Space open a box: a key held down opens it once,
            // not again with each repeat.
            bool repeat = (lparam & kKeyWasDown) != 0;
            if (!repeat || (wparam != VK_RETURN && wparam != VK_SPACE))
                key_pressed[wparam] = true;
            key_down[wparam] = true;
        }
        // The focus moves at once, with the Shift held as Tab went down.
        if (wparam == VK_TAB)
            move_focus(key_down[VK_SHIFT]);
        return 0;
    case WM_KEYUP:
        if (wparam < 256)
            key_down[wparam] = false;
        return 0;
    case WM_SIZE:
        if (compiling_a_list()) {
            resize_held = true;
            held_width = LOWORD(lparam);
            held_height = HIWORD(lparam);
        } else {
            ResizeScene(LOWORD(lparam), HIWORD(lparam));
        }
        return 0;
    case WM_LBUTTONDOWN:
        // A click takes the keyboard focus away: the mark goes.
        focused_object = kNoFocus;
        // A pick draws the scene; inside a list it would be compiled, not
        // drawn. No click is meant then: a box is open over the window.
        if (!compiling_a_list())
            PickAt(LOWORD(lparam), HIWORD(lparam));
        forget_box_keys();
        return 0;
    case WM_RBUTTONDOWN:
        togo_orbit += kOrbitNudge;
        france_orbit += kOrbitNudge;
        swiss_orbit += kOrbitNudge;
        return 0;
    }
    return DefWindowProcA(window, message, wparam, lparam);
}
