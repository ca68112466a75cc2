// Screenshots in memory and as PNG; see screenshot.h.
#include "screenshot.h"

#include <X11/Xutil.h>
#include <png.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>

#include "x_windows.h"

namespace e2e {
namespace {

// The channel of `pixel` under `mask`, scaled to 0..255.
uint8_t channel(unsigned long pixel, unsigned long mask)
{
    if (mask == 0)
        return 0;
    int shift = __builtin_ctzl(mask);
    return static_cast<uint8_t>(((pixel & mask) >> shift) * 255 / (mask >> shift));
}

bool flat(const Image &image)
{
    for (size_t i = 3; i < image.rgb.size(); i += 3)
        if (!std::equal(&image.rgb[i], &image.rgb[i] + 3, &image.rgb[0]))
            return false;
    return true;
}

}  // namespace

std::string ToString(const Rgb &c)
{
    return "(" + std::to_string(c.r) + ", " + std::to_string(c.g) + ", " + std::to_string(c.b) +
           ")";
}

Image Grab(const XSession &s, const Rect &wanted)
{
    ::Display *x = s.x();
    int screen = DefaultScreen(x);
    Rect r = wanted;
    r.width = std::min(r.x + r.width, DisplayWidth(x, screen)) - std::max(r.x, 0);
    r.height = std::min(r.y + r.height, DisplayHeight(x, screen)) - std::max(r.y, 0);
    r.x = std::max(r.x, 0);
    r.y = std::max(r.y, 0);
    Image image;
    if (r.width <= 0 || r.height <= 0)
        return image;
    XImage *xi = XGetImage(x, s.root(), r.x, r.y, static_cast<unsigned>(r.width),
                           static_cast<unsigned>(r.height), AllPlanes, ZPixmap);
    if (xi == nullptr)
        return image;
    Visual *visual = DefaultVisual(x, screen);
    image.width = r.width;
    image.height = r.height;
    image.rgb.resize(static_cast<size_t>(r.width) * r.height * 3);
    uint8_t *out = image.rgb.data();
    for (int y = 0; y < r.height; ++y)
        for (int px = 0; px < r.width; ++px) {
            unsigned long pixel = XGetPixel(xi, px, y);
            *out++ = channel(pixel, visual->red_mask);
            *out++ = channel(pixel, visual->green_mask);
            *out++ = channel(pixel, visual->blue_mask);
        }
    XDestroyImage(xi);
    return image;
}

Image GrabScreen(const XSession &s)
{
    int screen = DefaultScreen(s.x());
    return Grab(s, Rect{0, 0, DisplayWidth(s.x(), screen), DisplayHeight(s.x(), screen)});
}

Image GrabClient(const XSession &s, Window w)
{
    Rect r = ClientRect(s, w);
    return r.width > 0 ? Grab(s, r) : Image{};
}

Rgb MeanColour(const Image &image, const Rect &r)
{
    long sum[3] = {0, 0, 0}, n = 0;
    for (int y = r.y; y < r.y + r.height; ++y)
        for (int x = r.x; x < r.x + r.width; ++x) {
            if (!image.Contains(x, y))
                continue;
            Rgb c = image.At(x, y);
            sum[0] += c.r;
            sum[1] += c.g;
            sum[2] += c.b;
            ++n;
        }
    if (n == 0)
        return Rgb{};
    auto mean = [n](long total) { return static_cast<int>(std::lround(double(total) / n)); };
    return Rgb{mean(sum[0]), mean(sum[1]), mean(sum[2])};
}

long DifferingPixels(const Image &a, const Image &b, int tolerance)
{
    if (a.width != b.width || a.height != b.height)
        return -1;
    long differing = 0;
    for (size_t i = 0; i < a.rgb.size(); i += 3)
        differing += std::abs(a.rgb[i] - b.rgb[i]) > tolerance ||
                     std::abs(a.rgb[i + 1] - b.rgb[i + 1]) > tolerance ||
                     std::abs(a.rgb[i + 2] - b.rgb[i + 2]) > tolerance;
    return differing;
}

Image WaitForSettledPicture(const XSession &s, Window w, Seconds limit)
{
    Image last, now;
    bool settled = WaitUntil(limit, [&] {
        now = GrabClient(s, w);
        bool same = !now.empty() && !flat(now) && DifferingPixels(now, last) == 0;
        last = now;
        return same;
    });
    return settled ? now : Image{};
}

bool WritePng(const Image &image, const std::string &path)
{
    if (image.empty())
        return false;
    png_image png{};
    png.version = PNG_IMAGE_VERSION;
    png.width = static_cast<png_uint_32>(image.width);
    png.height = static_cast<png_uint_32>(image.height);
    png.format = PNG_FORMAT_RGB;
    return png_image_write_to_file(&png, path.c_str(), 0, image.rgb.data(), 0, nullptr) != 0;
}

}  // namespace e2e
