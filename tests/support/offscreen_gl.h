// A real Mesa GL context without a window, current from construction until
// destruction.
#pragma once

#include <GL/osmesa.h>

#include <vector>

class OffscreenGL {
public:
    OffscreenGL(int width = 640, int height = 480);
    ~OffscreenGL();
    OffscreenGL(const OffscreenGL &) = delete;
    OffscreenGL &operator=(const OffscreenGL &) = delete;

    int width() const { return width_; }
    // RGBA of the pixel at window coordinates (x, y), y measured from the top
    // as a window system measures it.
    struct Rgba { unsigned char r, g, b, a; };
    Rgba PixelAt(int x, int y) const;
    // The whole colour buffer, rows top first, 4 bytes a pixel.
    std::vector<unsigned char> Pixels() const;

private:
    OSMesaContext context_;
    std::vector<unsigned char> buffer_;
    int width_;
};

// The current context's viewport: x, y, width, height.
std::vector<int> CurrentViewport();
