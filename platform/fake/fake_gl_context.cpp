// The recording backend's GL: every context is a real offscreen Mesa context
// drawing into a buffer the size of its window's client area, so tests can
// read back what the program drew.
#include <GL/gl.h>

#include <algorithm>

#include "platform/fake/fake_state.h"
#include "platform/gdi32.h"
#include "platform/platform_hooks.h"
#include "platform/wgl.h"

int ChoosePixelFormat(HDC dc, const PIXELFORMATDESCRIPTOR *request)
{
    FakeState &s = Fake();
    if (PlatformCallFails("ChoosePixelFormat") || dc == nullptr || request == nullptr)
        return 0;
    s.requested_color_bits = request->cColorBits;
    s.requested_depth_bits = request->cDepthBits;
    return 1;
}

BOOL SetPixelFormat(HDC dc, int format, const PIXELFORMATDESCRIPTOR *)
{
    // A window's pixel format can be set once only.
    if (PlatformCallFails("SetPixelFormat") || dc == nullptr || format < 1 ||
        dc->window->pixel_format != 0)
        return FALSE;
    dc->window->pixel_format = format;
    return TRUE;
}

HGLRC wglCreateContext(HDC dc)
{
    FakeState &s = Fake();
    if (PlatformCallFails("wglCreateContext") || dc == nullptr || dc->window->pixel_format == 0)
        return nullptr;
    OSMesaContext mesa = OSMesaCreateContextExt(OSMESA_RGBA, s.requested_depth_bits, 0, 0, nullptr);
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
    if (dc == nullptr || dc->window != context->window)
        return FALSE;
    int w = context->window->client_width > 0 ? context->window->client_width : 1;
    int h = context->window->client_height > 0 ? context->window->client_height : 1;
    if (!OSMesaMakeCurrent(context->mesa, context->buffer.data(), GL_UNSIGNED_BYTE, w, h))
        return FALSE;
    OSMesaPixelStore(OSMESA_Y_UP, 0);
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
