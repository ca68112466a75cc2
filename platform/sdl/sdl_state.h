// Shared state of the SDL2 backend's files.
#pragma once

#include <SDL.h>

#include <deque>
#include <string>

#include "platform/platform_internal.h"
#include "platform/user32.h"

struct PlatformWindow {
    WNDPROC procedure;
    DWORD style;
    DWORD ex_style;
    std::string title;
    int x, y;
    int client_width, client_height;
    bool minimized;
    SDL_Window *sdl;   // made when the pixel format is set (see sdl_gl_context.cpp)
    PlatformDC dc;
};

struct PlatformGLContext {
    SDL_GLContext gl;
    PlatformWindow *window;
};

struct SdlState {
    bool video_ready = false;
    bool class_registered = false;
    WNDPROC class_procedure = nullptr;
    PlatformWindow *window = nullptr;
    std::deque<MSG> queue;
    // The fullscreen mode granted by ChangeDisplaySettingsA; the display
    // switches to it when the fullscreen window appears.
    bool mode_changed = false;
    SDL_DisplayMode mode = {};
    int cursor_count = 0;
    bool saver_let_through = false;
};

SdlState &Sdl();
// Starts SDL's video on first use; false when there is no display.
bool SdlEnsureVideo(void);
// Starts loading, on threads of its own, what the first GL context and the
// first font request need (sdl_warm_up.cpp); the program's thread goes on.
void SdlStartWarmUp(void);
// Waits for that work and lets go of what it held; also run at exit.
void SdlFinishWarmUp(void);
// Calls the scene window's procedure now, as the platform sends a message.
LRESULT SdlSend(PlatformWindow *window, UINT message, WPARAM wparam, LPARAM lparam);
