// Pixel formats and GL contexts over SDL2. On X11 the GL visual is chosen
// when the native window is created, so setting the pixel format is where
// the native window is made, hidden until it is shown, from the request.
#include "platform/core/core_backend.h"
#include "platform/posix/box_heap.h"
#include "platform/sdl/sdl_state.h"
#include "platform/x11/x11_display.h"
#include "platform/wgl.h"

static void RequestAttributes(const PIXELFORMATDESCRIPTOR &format, bool exact_colour)
{
    SDL_GL_ResetAttributes();
    int colour = exact_colour ? format.cColorBits : 0;
    // 16-bit colour is 5-6-5; anything deeper asks for 8 bits a channel.
    int red = colour >= 24 ? 8 : colour >= 15 ? 5 : 0;
    int green = colour >= 24 ? 8 : colour >= 16 ? 6 : colour >= 15 ? 5 : 0;
    SDL_GL_SetAttribute(SDL_GL_RED_SIZE, red);
    SDL_GL_SetAttribute(SDL_GL_GREEN_SIZE, green);
    SDL_GL_SetAttribute(SDL_GL_BLUE_SIZE, red);
    SDL_GL_SetAttribute(SDL_GL_ALPHA_SIZE, format.cAlphaBits);
    SDL_GL_SetAttribute(SDL_GL_DEPTH_SIZE, format.cDepthBits);
    SDL_GL_SetAttribute(SDL_GL_STENCIL_SIZE, format.cStencilBits);
    SDL_GL_SetAttribute(SDL_GL_DOUBLEBUFFER, (format.dwFlags & PFD_DOUBLEBUFFER) ? 1 : 0);
}

bool BackendSetPixelFormat(PlatformWindow *w, const PIXELFORMATDESCRIPTOR &format)
{
    if (w->native == nullptr || w->native->sdl != nullptr)
        return false;
    SdlState &s = Sdl();
    bool popup = (w->style & WS_POPUP) != 0;
    Uint32 flags = SDL_WINDOW_OPENGL | SDL_WINDOW_HIDDEN;
    if (popup && s.mode_changed)
        flags |= SDL_WINDOW_FULLSCREEN;
    else if (popup)
        flags |= SDL_WINDOW_BORDERLESS;
    else
        flags |= SDL_WINDOW_RESIZABLE;

    // The colour depth asked for is a minimum the display may not offer (a
    // 16-bit request on a 24-bit screen is met by 24 bits); the nearest
    // format it has is taken.
    std::string title = Cp949ToUtf8(w->title.c_str());
    SDL_Window *sdl = nullptr;
    for (int attempt = 0; attempt < 2 && sdl == nullptr; ++attempt) {
        RequestAttributes(format, attempt == 0);
        sdl = SDL_CreateWindow(title.c_str(), w->x, w->y, w->client_width, w->client_height,
                               flags);
    }
    if (sdl == nullptr)
        return false;
    if (popup && s.mode_changed && SDL_SetWindowDisplayMode(sdl, &s.mode) != 0) {
        SDL_DestroyWindow(sdl);
        return false;
    }
    w->native->sdl = sdl;
    return true;
}

HGLRC wglCreateContext(HDC dc)
{
    SDL_Window *sdl = dc != nullptr ? SdlWindowOf(dc->window) : nullptr;
    if (sdl == nullptr)
        return nullptr;
    SDL_GLContext gl = SDL_GL_CreateContext(sdl);
    if (gl == nullptr)
        return nullptr;
    // SDL makes a new context current; the platform does not, so undo it.
    SDL_GL_MakeCurrent(sdl, nullptr);
    // The driver is now held by the program's own connection.
    X11FinishWarmUp();
    return new PlatformGLContext{gl, dc->window};
}

BOOL wglMakeCurrent(HDC dc, HGLRC context)
{
    if (context == nullptr) {
        SDL_Window *current = SDL_GL_GetCurrentWindow();
        return current == nullptr || SDL_GL_MakeCurrent(current, nullptr) == 0;
    }
    SDL_Window *sdl = dc != nullptr ? SdlWindowOf(dc->window) : nullptr;
    if (sdl == nullptr || dc->window != context->window)
        return FALSE;
    return SDL_GL_MakeCurrent(sdl, context->gl) == 0;
}

BOOL wglDeleteContext(HGLRC context)
{
    if (context == nullptr)
        return FALSE;
    SDL_GL_DeleteContext(context->gl);
    delete context;
    return TRUE;
}

BOOL SwapBuffers(HDC dc)
{
    SDL_Window *sdl = dc != nullptr ? SdlWindowOf(dc->window) : nullptr;
    if (sdl == nullptr)
        return FALSE;
    SDL_GL_SwapWindow(sdl);
    HeapFrameShown();
    return TRUE;
}
