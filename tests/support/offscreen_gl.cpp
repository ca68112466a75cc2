#include "offscreen_gl.h"

#include <GL/gl.h>

#include <stdexcept>

OffscreenGL::OffscreenGL(int width, int height)
    : buffer_((size_t)width * height * 4), width_(width)
{
    // 16 bits of depth, as the program asks of its window.
    context_ = OSMesaCreateContextExt(OSMESA_RGBA, 16, 0, 0, nullptr);
    if (context_ == nullptr)
        throw std::runtime_error("OSMesaCreateContextExt failed");
    if (!OSMesaMakeCurrent(context_, buffer_.data(), GL_UNSIGNED_BYTE, width, height))
        throw std::runtime_error("OSMesaMakeCurrent failed");
    // Rows top first, like a window.
    OSMesaPixelStore(OSMESA_Y_UP, 0);
}

OffscreenGL::~OffscreenGL()
{
    glFinish();
    OSMesaMakeCurrent(nullptr, nullptr, GL_UNSIGNED_BYTE, 0, 0);
    OSMesaDestroyContext(context_);
}

OffscreenGL::Rgba OffscreenGL::PixelAt(int x, int y) const
{
    glFinish();
    const unsigned char *p = &buffer_[((size_t)y * width_ + x) * 4];
    return Rgba{p[0], p[1], p[2], p[3]};
}

std::vector<unsigned char> OffscreenGL::Pixels() const
{
    glFinish();
    return buffer_;
}

std::vector<int> CurrentViewport()
{
    GLint viewport[4];
    glGetIntegerv(GL_VIEWPORT, viewport);
    return std::vector<int>(viewport, viewport + 4);
}
