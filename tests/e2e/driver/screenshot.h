// Screenshots in memory, read with XGetImage into 8-bit RGB whatever the
// display's depth, and the measures tests judge pictures by; PNG files only
// as artifacts of a failure.
#pragma once

#include <X11/Xlib.h>

#include <cstdint>
#include <string>
#include <vector>

#include "x_session.h"

namespace e2e {

struct Rgb {
    int r = 0, g = 0, b = 0;
    bool operator==(const Rgb &o) const { return r == o.r && g == o.g && b == o.b; }
};
std::string ToString(const Rgb &c);  // "(r, g, b)"

struct Image {
    int width = 0, height = 0;
    std::vector<uint8_t> rgb;  // rows top first, 3 bytes a pixel
    bool empty() const { return width == 0 || height == 0; }
    bool Contains(int x, int y) const { return x >= 0 && y >= 0 && x < width && y < height; }
    Rgb At(int x, int y) const
    {
        const uint8_t *p = &rgb[(static_cast<size_t>(y) * width + x) * 3];
        return Rgb{p[0], p[1], p[2]};
    }
};

// What the screen shows in `r` (clipped to it), whatever is on top included.
Image Grab(const XSession &s, const Rect &r);
Image GrabScreen(const XSession &s);
Image GrabClient(const XSession &s, Window w);  // the window's client area

// The mean colour of a rectangle of the image, each channel rounded.
Rgb MeanColour(const Image &image, const Rect &r);
// Pixels differing by more than `tolerance` in a channel; -1 if sizes differ.
long DifferingPixels(const Image &a, const Image &b, int tolerance = 0);

// The window's picture once it is not one flat colour and stays the same
// across two looks (message boxes draw once); empty if not within `limit`.
Image WaitForSettledPicture(const XSession &s, Window w, Seconds limit);

bool WritePng(const Image &image, const std::string &path);

}  // namespace e2e
