// The DIB conversion: turns the pixel bits of a device-independent bitmap,
// described by a 40-byte header and its colour table, into 8-bit red, green,
// blue triples. Used by the BMP loader; works on memory only, so it knows no
// files and shows no messages.
#pragma once

#include <cstddef>
#include <cstdint>

// The 40-byte header in the layout the format stores it, so a block laid out
// as header then colour table can be read in place.
struct DibInfoHeader {
    uint32_t biSize;
    int32_t biWidth;
    int32_t biHeight;
    uint16_t biPlanes;
    uint16_t biBitCount;
    uint32_t biCompression;
    uint32_t biSizeImage;
    int32_t biXPelsPerMeter;
    int32_t biYPelsPerMeter;
    uint32_t biClrUsed;
    uint32_t biClrImportant;
};
static_assert(sizeof(DibInfoHeader) == 40, "the format's 40-byte header");

// One colour-table entry in its 4-byte form.
struct DibColor {
    uint8_t blue;
    uint8_t green;
    uint8_t red;
    uint8_t reserved;
};

#define BI_RGB 0u
#define BI_RLE8 1u
#define BI_RLE4 2u
#define BI_BITFIELDS 3u

// Where the pixel bits are and how many bytes may be read from there.
struct DibBits {
    const uint8_t *data;
    size_t size;
};

// Decodes `bits` as header->biBitCount and header->biCompression say: 1, 4
// and 8 bits indexing `colors` (color_count entries; indices past the end are
// black), 16 bits (5-5-5 unless masked), 24 and 32 bits, BI_RLE8, BI_RLE4,
// and BI_BITFIELDS at 16 and 32 bits with `masks` (red, green, blue; null
// otherwise). Writes abs(biHeight) rows of 3 * biWidth bytes, red, green,
// blue, bottom row first whatever the stored order, into `rgb`, which holds
// exactly that many bytes. Pixels an RLE stream skips stay black. Never
// reads outside `bits`.
// Returns the number of rows written, or 0 when the bits cannot be decoded
// (unknown encoding, bad masks, too few bytes, width or height not usable),
// with the reason in `why` (DIB_REASON_BYTES long) when it is given.
#define DIB_REASON_BYTES 128
int ConvertDibToRgb(const DibInfoHeader *header, const DibColor *colors,
                    uint32_t color_count, const uint32_t *masks, DibBits bits,
                    uint8_t *rgb, char *why);
