// Reads the headers of a BMP file held in memory: the optional 14-byte file
// header, the 40- or 12-byte DIB header, where the colour table, the masks
// and the pixel bits lie, and whether all of that is inside the bytes given.
// Allocates nothing and shows nothing; the loader decides what a gap means,
// and the picture checker prints what it finds.
#pragma once

#include <cstddef>
#include <cstdint>

#include "assets/dib_convert.h"

#define BMP_FILE_HEADER_SIZE 14u
#define BMP_CORE_HEADER_SIZE 12u
#define BMP_INFO_HEADER_SIZE 40u

struct BmpHeaderInfo {
    bool has_file_header;       // the bytes start with "BM"
    uint32_t file_bits_offset;  // bfOffBits, when has_file_header
    const uint8_t *dib;         // the DIB header, or null when its size field
                                // is not inside the bytes
    size_t dib_room;            // bytes from dib to the end
    uint32_t header_size;       // the DIB header's size field
    bool known_form;            // header_size is 12 or 40
    bool header_fits;           // a known form, and all of it inside the bytes
    bool color_count_readable;  // every field CountDibColors reads is inside
    uint16_t color_count;       // CountDibColors, when readable
    // The header in its 40-byte form, when header_fits: core fields widened,
    // biClrUsed and biSizeImage as the file has them (no defaults filled in).
    DibInfoHeader header;
    bool has_masks;             // 40-byte form with BI_BITFIELDS
    uint32_t masks[3];          // red, green, blue, when has_masks and they fit
    bool tables_fit;            // colour table and masks inside the bytes
    uint64_t headers_end;       // where the file and DIB headers and the
                                // masks end, from the first byte
    uint64_t bits_offset;       // where the pixel bits start, from the first byte
};

// Fills `info` from the `size` bytes at `data`. Never reads outside them.
void ReadBmpHeader(const uint8_t *data, size_t size, BmpHeaderInfo *info);

// The number of colour-table entries a DIB header of either form implies:
// biClrUsed (its low 16 bits) when set in the 40-byte form, otherwise 2, 16
// or 256 for 1, 4 or 8 bits and 0 for every other bit count. `header` points
// at the DIB header's size field; the caller knows the fields are there.
uint16_t CountDibColors(const void *header);

// Little-endian field readers for bytes known to be inside the view.
uint16_t ReadLe16(const uint8_t *at);
uint32_t ReadLe32(const uint8_t *at);
