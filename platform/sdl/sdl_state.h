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
    // The fullscreen mode granted by ChangeDisplaySettingsA; the display
    // switches to it when the fullscreen window appears.
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
// The descriptor SDL's events arrive on (its X connection), or -1.
int SdlEventFd(void);
// True when events were already read from that connection (by a reply the
// GL waited for, say) and wait in memory: its descriptor will not show them.
bool SdlEventsWaiting(void);
// The X window of the scene window, or 0 (no window, not X11).
unsigned long SdlX11WindowOf(PlatformWindow *window);
// Whether the desktop session has a message bus. Without one, the D-Bus
// library would start a bus of its own for SDL and GTK, forking a helper
// whose bus outlives the program (and a fork while other threads hold
// locks can hang it); so the program is then told to do without a bus.
bool SdlSessionBusAround(void);
// Makes the loss of any X connection of the process end it at once, with
// status 1. Called again after anything else that sets the X handlers.
void SdlEndOnDisplayLoss(void);
// Starts loading, on threads of its own, what the first GL context and the
// first font request need (sdl_warm_up.cpp); the program's thread goes on.
void SdlStartWarmUp(void);
// Waits for that work and lets go of what it held; also run at exit.
void SdlFinishWarmUp(void);
