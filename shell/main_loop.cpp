// The program's control flow: open the scene window, then alternate between
// handing one message to the window procedure and drawing one frame, act on
// the function keys between frames, and close the window at the end. There
// is no clock, and all of the program's own code runs on this one thread
// (the backend's start-up warm-up has threads of its own that run none of
// it); the animation moves one step per frame.
#include "shell/main_loop.h"

#include "platform/gdi32.h"
#include "platform/user32.h"
#include "scene/draw_scene.h"
#include "scene/focus_mark.h"
#include "scene/picking.h"
#include "shell/scene_window.h"

bool window_active = true;
bool lighting_on = true;
bool texturing_on = true;
bool solid_spheres = true;
bool filled_polygons = true;

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
    ForgetBoxKeys();
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
