// Shared state of the SDL2 backend's files.
#pragma once

#include <SDL.h>

#include "platform/core/core_state.h"

// The native side of the scene window: SDL's window, made when the pixel
// format is set (see sdl_gl_context.cpp).
struct BackendWindow {
    SDL_Window *sdl;
};

struct PlatformGLContext {
    SDL_GLContext gl;
    PlatformWindow *window;
};

struct SdlState {
    bool video_tried = false;
    bool video_ready = false;
    bool x11 = false;  // the video driver in use is X11's
    // The fullscreen mode granted by ChangeDisplaySettingsA, SDL's record of
    // it, given to the fullscreen window: on X11 the monitor already shows
    // it, elsewhere SDL switches or scales when the window appears.
    bool mode_changed = false;
    SDL_DisplayMode mode = {};
    int cursor_count = 0;
};

SdlState &Sdl();
// Starts SDL's video on first use with a driver that gives a visible
// window; false when there is none (no display, no compositor).
bool SdlEnsureVideo(void);
// SDL's window of the scene window, or null.
SDL_Window *SdlWindowOf(PlatformWindow *window);
struct SDL_SysWMinfo;
// The Wayland connection and surface of `sdl`; false on X11 (without
// asking SDL) or for a null window.
bool SdlWaylandInfo(SDL_Window *sdl, SDL_SysWMinfo *info);
// Whether the desktop session has a message bus. Without one, the D-Bus
// library would start a bus of its own for SDL and GTK, forking a helper
// whose bus outlives the program (and a fork while other threads hold
// locks can hang it); so the program is then told to do without a bus.
bool SdlSessionBusAround(void);
