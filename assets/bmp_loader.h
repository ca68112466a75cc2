// Reads one BMP file into a 24-bit RGB image, rows bottom first.
#pragma once

#include <cstddef>
#include <cstdint>

struct RgbImage {
    int32_t width;
    int32_t height;
    unsigned char *pixels;  // 3 * width * height bytes, red-green-blue
};

extern bool popup_errors;

// Null on failure, after one "Error" message box while popup_errors is set.
RgbImage *LoadBmpImage(const char *path);

// LoadBmpImage for a file already in memory: the same checks, messages and
// result, except that there is nothing to open. For tools and tests.
RgbImage *DecodeBmpImage(const void *data, size_t size);
