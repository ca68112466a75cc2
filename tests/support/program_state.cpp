#include "program_state.h"

#include <cstring>

#include "assets/outline_font.h"
#include "platform/fake/fake_platform.h"
#include "scene/draw_scene.h"
#include "scene/render_setup.h"
#include "shell/main_loop.h"
#include "shell/scene_window.h"

void ResetProgramState()
{
    FakeReset();
    memset(key_down, 0, sizeof key_down);
    memset(key_pressed, 0, sizeof key_pressed);
    focused_object = kNoFocus;
    window_active = lighting_on = texturing_on = solid_spheres = filled_polygons = true;
    fullscreen = false;
    module_instance = nullptr;
    window_handle = nullptr;
    device_context = nullptr;
    render_context = nullptr;
    pixel_format.cColorBits = 0;
    sphere_quadric = nullptr;
    aspect_ratio = 0.0f;
    title_spin = center_spin = togo_orbit = togo_spin = 0.0f;
    france_orbit = 120.0f;
    swiss_orbit = 240.0f;
    france_spin = swiss_spin = 0.0f;
    font_base = 0;
}
