// The recording backend's GL (the program's twin is sdl_gl_context.cpp):
// every context is a real offscreen Mesa context drawing into a buffer the
// size of its window's client area, so tests can read back what the program
// drew.
#include <GL/gl.h>

#include <algorithm>

#include "platform/core/core_backend.h"
#include "platform/fake/fake_state.h"
#include "platform/platform_hooks.h"
#include "platform/wgl.h"

// The fake desktop draws every format asked for; nothing to make here.
bool BackendSetPixelFormat(PlatformWindow *, const PIXELFORMATDESCRIPTOR &) { return true; }

static bool Bind(PlatformGLContext *context)
{
    int w = context->window->client_width > 0 ? context->window->client_width : 1;
    int h = context->window->client_height > 0 ? context->window->client_height : 1;
    if (!OSMesaMakeCurrent(context->mesa, context->buffer.data(), GL_UNSIGNED_BYTE, w, h))
        return false;
    OSMesaPixelStore(OSMESA_Y_UP, 0);
    return true;
}

void FakeSizeContext(PlatformGLContext *context, int width, int height)
{
    width = width > 0 ? width : 1;
    height = height > 0 ? height : 1;
    bool current = Fake().current_context == context;
    if (current)
        glFinish();
    context->buffer.assign((size_t)width * height * 4, 0);
    if (current)
        OSMesaMakeCurrent(context->mesa, context->buffer.data(), GL_UNSIGNED_BYTE, width, height);
}

HGLRC wglCreateContext(HDC dc)
{
    FakeState &s = Fake();
    if (PlatformCallFails("wglCreateContext") || dc == nullptr || dc->window->pixel_format == 0)
        return nullptr;
    OSMesaContext mesa =
        OSMesaCreateContextExt(OSMESA_RGBA, Core().chosen_format.cDepthBits, 0, 0, nullptr);
    if (mesa == nullptr)
        return nullptr;
    PlatformGLContext *context = new PlatformGLContext();
    context->mesa = mesa;
    context->window = dc->window;
    int w = dc->window->client_width > 0 ? dc->window->client_width : 1;
    int h = dc->window->client_height > 0 ? dc->window->client_height : 1;
    context->buffer.assign((size_t)w * h * 4, 0);
    s.contexts.push_back(context);
    return context;
}

BOOL wglMakeCurrent(HDC dc, HGLRC context)
{
    FakeState &s = Fake();
    if (PlatformCallFails("wglMakeCurrent"))
        return FALSE;
    if (context == nullptr) {
        if (s.current_context != nullptr) {
            glFinish();
            OSMesaMakeCurrent(nullptr, nullptr, 0, 0, 0);
        }
        s.current_context = nullptr;
        return TRUE;
    }
    if (dc == nullptr || dc->window != context->window || !Bind(context))
        return FALSE;
    s.current_context = context;
    return TRUE;
}

BOOL wglDeleteContext(HGLRC context)
{
    FakeState &s = Fake();
    if (PlatformCallFails("wglDeleteContext") || context == nullptr)
        return FALSE;
    if (s.current_context == context) {
        OSMesaMakeCurrent(nullptr, nullptr, 0, 0, 0);
        s.current_context = nullptr;
    }
    OSMesaDestroyContext(context->mesa);
    s.contexts.erase(std::find(s.contexts.begin(), s.contexts.end(), context));
    delete context;
    return TRUE;
}

BOOL SwapBuffers(HDC dc)
{
    FakeState &s = Fake();
    if (PlatformCallFails("SwapBuffers") || dc == nullptr)
        return FALSE;
    if (s.current_context != nullptr)
        glFinish();
    ++s.swaps;
    if (s.on_swap)
        s.on_swap(s.swaps);
    return TRUE;
}
