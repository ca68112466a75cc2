// Builds BMP files as bytes: for tests that need a picture on disk, for the
// fuzzer's seed corpus, and for the picture generator. The quick path is
// Bmp24 / WriteBmp24 (a plain 24-bit bottom-up file from RGB rows); BuildBmp
// writes any header and table combination, valid or not, around pixel bits
// made by the encoders below.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

typedef std::vector<uint8_t> Bytes;

// A picture as RGB rows, bottom row first, 3 * width bytes a row, no gaps:
// the loader's own result layout.
struct RgbPicture {
    int width;
    int height;
    std::vector<uint8_t> rgb;
};

// A width x height picture filled with one colour (0xRRGGBB).
RgbPicture SolidPicture(int width, int height, uint32_t rgb);
// Sets or reads pixel (x, y), y counted from the bottom row.
void SetPixel(RgbPicture *picture, int x, int y, uint32_t rgb);
uint32_t PixelOf(const RgbPicture &picture, int x, int y);

// A 24-bit file with the "BM" file header and a 40-byte header.
Bytes Bmp24(const RgbPicture &picture);
bool WriteBytes(const std::string &path, const Bytes &bytes);
bool WriteBmp24(const std::string &path, const RgbPicture &picture);

// Every field of a file, as it is to be stored.
struct BmpFields {
    bool file_header = true;
    uint32_t header_size = 40;     // 12, 40, or any other: zero-filled past 40
    int32_t width = 1;             // the core form stores the low 16 bits
    int32_t height = 1;            // negative: top-down (40-byte form only)
    uint16_t planes = 1;
    uint16_t bit_count = 24;
    uint32_t compression = 0;      // BI_RGB 0, BI_RLE8 1, BI_RLE4 2, BI_BITFIELDS 3
    uint32_t size_image = 0;
    uint32_t clr_used = 0;
    uint32_t clr_important = 0;
    std::vector<uint32_t> masks;   // written right after the header
    std::vector<uint32_t> palette; // 0xRRGGBB; 3-byte entries in the core form
    Bytes bits;                    // the pixel bits as stored
    int64_t bits_offset = -1;      // bfOffBits; -1: right after the tables
};
Bytes BuildBmp(const BmpFields &fields);
// A 46-byte packed run-length file that claims width x height pixels of one
// colour (0xRRGGBB in its one-entry table) but holds only an end of bitmap:
// any size a header can state, for the loader's limits.
Bytes RunLengthClaim(int32_t width, int32_t height, uint32_t colour = 0);

// Pixel bits. `values` holds width x height values, bottom row first:
// palette indices for 1, 4 and 8 bits, the stored word for 16 bits, and
// 0xRRGGBB for 24 and 32 bits. Rows are padded to 4 bytes.
Bytes PackRows(int width, int height, int bit_count, const std::vector<uint32_t> &values);
// Run-length bits of palette indices, bottom row first: runs of equal pixels,
// absolute runs for the rest, an end of line per row and an end of bitmap.
Bytes EncodeRle8(int width, int height, const std::vector<uint32_t> &indices);
Bytes EncodeRle4(int width, int height, const std::vector<uint32_t> &indices);
// The pixel bits of a 24-bit picture (PackRows of its colours).
Bytes PackRgbPicture(const RgbPicture &picture, int bit_count);
