// libFuzzer target: any bytes, decoded as a BMP file held in memory by the
// same code LoadBmpImage runs after mapping a file. The input buffer is
// exactly as long as the data, so a read past the end is an ASan report.
// Message boxes are off; the loader's answer must be a valid record or null.
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "assets/bmp_header.h"
#include "assets/bmp_loader.h"

// Images that would need more than this many bytes of RGB are skipped: the
// loader allocates them honestly (up to 4 GiB), which tells the fuzzer
// nothing but trips its memory limit. Larger ones are refused before any
// allocation and are fuzzed like the rest.
static const uint64_t kLargestFuzzedImage = 1ull << 20;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    popup_errors = false;
    BmpHeaderInfo info;
    ReadBmpHeader(data, size, &info);
    if (info.header_fits) {
        int64_t width = info.header.biWidth;
        int64_t height = info.header.biHeight < 0 ? -int64_t(info.header.biHeight)
                                                  : int64_t(info.header.biHeight);
        uint64_t bytes = width > 0 ? uint64_t(width) * uint64_t(height) * 3 : 0;
        if (bytes > kLargestFuzzedImage && bytes <= UINT32_MAX)
            return 0;
    }
    RgbImage *image = DecodeBmpImage(data, size);
    if (image != nullptr) {
        if (image->width <= 0 || image->height <= 0 || image->pixels == nullptr)
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
