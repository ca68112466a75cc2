// libFuzzer target: any bytes decoded as LoadBmpImage decodes a mapped file,
// from a buffer exactly as long as the data (a read past it is an ASan
// report). The answer must be a valid record or null.
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "assets/bmp_header.h"
#include "assets/bmp_loader.h"

// Accepted images larger than this are skipped: allocating them honestly
// (up to 256 MiB) tells the fuzzer little and costs most of its speed. Claims
// past the loader's limits are still fuzzed, so the limit checks are reached.
static const uint64_t kLargestFuzzedImage = 1ull << 20;

static bool within_loader_limits(int64_t width, int64_t rows)
{
    return width <= BMP_MAX_SIDE && rows <= BMP_MAX_SIDE &&
           uint64_t(width) * uint64_t(rows) * 3 <= BMP_MAX_PIXEL_BYTES;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    popup_errors = false;
    BmpHeaderInfo info;
    ReadBmpHeader(data, size, &info);
    if (info.header_fits) {
        int64_t width = info.header.biWidth;
        int64_t rows = info.header.biHeight < 0 ? -int64_t(info.header.biHeight)
                                                : int64_t(info.header.biHeight);
        if (width > 0 && within_loader_limits(width, rows) &&
            uint64_t(width) * uint64_t(rows) * 3 > kLargestFuzzedImage)
            return 0;
    }
    RgbImage *image = DecodeBmpImage(data, size);
    if (image != nullptr) {
        if (image->width <= 0 || image->height <= 0 || image->pixels == nullptr ||
            !within_loader_limits(image->width, image->height))
            abort();
        // Touch the last byte: the buffer must be 3 x width x height long.
        volatile unsigned char last =
            image->pixels[size_t(image->width) * size_t(image->height) * 3 - 1];
        (void)last;
        free(image->pixels);
        free(image);
    }
    return 0;
}
