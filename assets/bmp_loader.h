// Reads one BMP file into a 24-bit RGB image, rows bottom first.
#pragma once

#include <cstdint>

struct RgbImage {
    int32_t width;
    int32_t height;
    unsigned char *pixels;  // 3 * width * height bytes, red-green-blue
};

extern bool popup_errors;

// Null on failure, after one "Error" message box while popup_errors is set.
RgbImage *LoadBmpImage(const char *path);
uint16_t CountDibColors(const void *header);
