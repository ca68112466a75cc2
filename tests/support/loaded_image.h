// What the loader's tests share on both systems: an image freed, compared
// with the picture it should hold, the one Error box of a failure, and a
// test card of runs, lone pixels and stripes that every encoding can hold.
#pragma once

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "assets/bmp_loader.h"
#include "tools/bmp_bytes.h"

inline void FreeImage(RgbImage *image)
{
    if (image != nullptr) {
        free(image->pixels);
        free(image);
    }
}

// A width x height picture's fields at `bits` per pixel, the rest default.
inline BmpFields Fields(int width, int height, int bits = 24)
{
    BmpFields f;
    f.width = width;
    f.height = height;
    f.bit_count = static_cast<uint16_t>(bits);
    return f;
}

inline std::string Hex(uint32_t rgb)
{
    char text[16];
    snprintf(text, sizeof text, "%06X", rgb);
    return text;
}

// The pixels of a loaded image, or a reason they differ from `expected`.
inline ::testing::AssertionResult SamePixels(const RgbImage *image, const RgbPicture &expected)
{
    if (image == nullptr)
        return ::testing::AssertionFailure() << "expected an image, got null";
    if (image->width != expected.width || image->height != expected.height)
        return ::testing::AssertionFailure()
               << "expected " << expected.width << "x" << expected.height << ", got "
               << image->width << "x" << image->height;
    for (int y = 0; y < expected.height; ++y)
        for (int x = 0; x < expected.width; ++x) {
            const unsigned char *p = image->pixels + (static_cast<size_t>(y) * image->width + x) * 3;
            uint32_t got = static_cast<uint32_t>(p[0]) << 16 | p[1] << 8 | p[2];
            if (got != PixelOf(expected, x, y))
                return ::testing::AssertionFailure() << "pixel (" << x << ", " << y << ") expected "
                                                     << Hex(PixelOf(expected, x, y)) << ", got "
                                                     << Hex(got);
        }
    return ::testing::AssertionSuccess();
}

// Exactly one "Error" box, MB_OK, with `text` among the recorded `boxes`.
template <class Box>
::testing::AssertionResult OneErrorBox(const std::vector<Box> &boxes, const std::string &text)
{
    if (boxes.size() != 1)
        return ::testing::AssertionFailure() << "expected 1 box \"" << text << "\", got "
                                             << boxes.size()
                                             << (boxes.empty() ? "" : ", first: " + boxes[0].text);
    if (boxes[0].text != text || boxes[0].caption != "Error" || boxes[0].type != MB_OK)
        return ::testing::AssertionFailure()
               << "expected \"" << text << "\" / \"Error\" / MB_OK, got \"" << boxes[0].text
               << "\" / \"" << boxes[0].caption << "\" / " << boxes[0].type;
    return ::testing::AssertionSuccess();
}

// Eight colours every encoding holds exactly (5-bit 0 and 31 widen to 0 and
// 255); a card of `colours` uses the first ones.
const std::vector<uint32_t> kPalette = {0x000000, 0xFF0000, 0x00FF00, 0x0000FF,
                                        0xFFFF00, 0x00FFFF, 0xFF00FF, 0xFFFFFF};

// Indices into kPalette for a width x height card, bottom row first.
inline std::vector<uint32_t> CardIndices(int width, int height, uint32_t colours = 8)
{
    std::vector<uint32_t> indices(static_cast<size_t>(width) * height);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            indices[static_cast<size_t>(y) * width + x] =
                x < width / 3 ? static_cast<uint32_t>(y) % colours
                              : static_cast<uint32_t>((x * 7 + y * 3) / (1 + y % 3)) % colours;
    return indices;
}

inline RgbPicture CardPicture(int width, int height, uint32_t colours = 8)
{
    std::vector<uint32_t> indices = CardIndices(width, height, colours);
    RgbPicture picture = SolidPicture(width, height, 0);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            SetPixel(&picture, x, y, kPalette[indices[static_cast<size_t>(y) * width + x]]);
    return picture;
}
