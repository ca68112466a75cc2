// Display modes and the cursor over SDL2 (the recording backend's twin is
// fake_display.cpp). A fullscreen request is granted only when the display
// really offers that width and height; the switch itself happens when the
// fullscreen window appears, and SDL puts the desktop mode back when that
// window goes.
#include "platform/platform_hooks.h"
#include "platform/sdl/sdl_state.h"

// The offered mode of the request's size, preferring the asked-for depth.
static bool FindOfferedMode(DWORD width, DWORD height, DWORD bits, SDL_DisplayMode *found)
{
    int count = SDL_GetNumDisplayModes(0);
    bool any = false;
    for (int i = 0; i < count; ++i) {
        SDL_DisplayMode mode;
        if (SDL_GetDisplayMode(0, i, &mode) != 0)
            continue;
        if ((DWORD)mode.w != width || (DWORD)mode.h != height)
            continue;
        if (!any || SDL_BITSPERPIXEL(mode.format) == bits) {
            *found = mode;
            any = true;
        }
    }
    return any;
}

LONG ChangeDisplaySettingsA(DEVMODEA *mode, DWORD)
{
    SdlState &s = Sdl();
    if (PlatformCallFails("ChangeDisplaySettingsA"))
        return DISP_CHANGE_FAILED;
    if (mode == nullptr) {
        s.mode_changed = false;
        return DISP_CHANGE_SUCCESSFUL;
    }
    if (!SdlEnsureVideo())
        return DISP_CHANGE_FAILED;
    SDL_DisplayMode offered;
    if (!FindOfferedMode(mode->dmPelsWidth, mode->dmPelsHeight, mode->dmBitsPerPel, &offered))
        return DISP_CHANGE_BADMODE;
    s.mode = offered;
    s.mode_changed = true;
    return DISP_CHANGE_SUCCESSFUL;
}

int ShowCursor(BOOL show)
{
    SdlState &s = Sdl();
    PlatformCallFails("ShowCursor");
    s.cursor_count += show ? 1 : -1;
    if (s.video_ready)
        SDL_ShowCursor(s.cursor_count >= 0 ? SDL_ENABLE : SDL_DISABLE);
    return s.cursor_count;
}
