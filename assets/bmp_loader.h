// Reads one BMP file into a 24-bit RGB image, rows bottom first.
#pragma once

#include <cstddef>
#include <cstdint>

struct RgbImage {
    int32_t width;
    int32_t height;
    unsigned char *pixels;  // 3 * width * height bytes, red-green-blue
};

// The largest picture the loader decodes: no side longer than BMP_MAX_SIDE
// pixels and no RGB buffer larger than BMP_MAX_PIXEL_BYTES. Both are judged
// from the header before anything is allocated, so a small file that claims
// a huge picture costs nothing. They are beyond what a GL shows unscaled
// (and keep every size the texture code computes well inside an int).
#define BMP_MAX_SIDE 16384u
#define BMP_MAX_PIXEL_BYTES (256u * 1024u * 1024u)

extern bool popup_errors;

// Null on failure, after one "Error" message box while popup_errors is set.
RgbImage *LoadBmpImage(const char *path);

// LoadBmpImage for a file already in memory: the same checks, messages and
// result, except that there is nothing to open. For tools and tests.
RgbImage *DecodeBmpImage(const void *data, size_t size);

// Why the last LoadBmpImage or DecodeBmpImage failed, in words for someone
// checking a picture ("width 30000 is over the limit of 16384"); users see
// only the box's fixed text. Empty after a load that succeeded.
const char *BmpFailureReason(void);
