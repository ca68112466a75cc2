// Display modes and the cursor over SDL2 (the recording backend's twin is
// fake_display.cpp). On X11 a fullscreen request switches the monitor at
// once (platform/x11/x11_modes.cpp) and the call with no request puts the
// desktop's mode back. Where the display emulates modes by scaling
// (Wayland, Xwayland), or has no XRandR, a request is granted when SDL
// offers that size, and SDL scales or switches when the fullscreen window
// appears. Either way the window is given SDL's matching mode, so SDL's
// picture of the display agrees with the monitor.
#include "platform/core/core_backend.h"
#include "platform/platform_hooks.h"
#include "platform/sdl/sdl_state.h"
#include "platform/x11/x11_modes.h"

// SDL's display holding the screen's top-left corner, where the window goes.
static int CornerDisplay(void)
{
    SDL_Point corner = {0, 0};
    int index = SDL_GetPointDisplayIndex(&corner);
    return index >= 0 ? index : 0;
}

// The offered mode of the request's size, preferring the refresh rate the
// monitor was switched to, then the asked-for depth; SDL lists the fastest
// modes of a size first.
static bool FindOfferedMode(DWORD width, DWORD height, DWORD bits, int refresh_hz,
                            SDL_DisplayMode *found)
{
    int display = CornerDisplay();
    int count = SDL_GetNumDisplayModes(display);
    int best_score = -1;
    for (int i = 0; i < count; ++i) {
        SDL_DisplayMode mode;
        if (SDL_GetDisplayMode(display, i, &mode) != 0)
            continue;
        if ((DWORD)mode.w != width || (DWORD)mode.h != height)
            continue;
        int score = (refresh_hz == 0 || mode.refresh_rate == refresh_hz ? 2 : 0) +
                    (SDL_BITSPERPIXEL(mode.format) == bits ? 1 : 0);
        if (score > best_score) {
            *found = mode;
            best_score = score;
        }
    }
    return best_score >= 0;
}

LONG ChangeDisplaySettingsA(DEVMODEA *mode, DWORD)
{
    SdlState &s = Sdl();
    if (PlatformCallFails("ChangeDisplaySettingsA"))
        return DISP_CHANGE_FAILED;
    if (mode == nullptr) {
        X11RestoreMode();
        s.mode_changed = false;
        return DISP_CHANGE_SUCCESSFUL;
    }
    if (!SdlEnsureVideo())
        return DISP_CHANGE_FAILED;
    int refresh_hz = 0;
    bool switched = false;
    if (s.x11) {
        switch (X11SwitchMode((int)mode->dmPelsWidth, (int)mode->dmPelsHeight, &refresh_hz)) {
        case kX11ModeSwitched: switched = true; break;
        case kX11ModeNotOffered: return DISP_CHANGE_BADMODE;
        case kX11ModeFailed: return DISP_CHANGE_FAILED;
        case kX11ModeUnavailable: break;
        }
    }
    SDL_DisplayMode offered;
    if (!FindOfferedMode(mode->dmPelsWidth, mode->dmPelsHeight, mode->dmBitsPerPel, refresh_hz,
                         &offered)) {
        // A mode SDL does not know could not be given to the window.
        if (switched)
            X11RestoreMode();
        return DISP_CHANGE_BADMODE;
    }
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

void BackendEndingAbruptly(void)
{
    X11RestoreMode();
}
