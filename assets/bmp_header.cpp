// Header reading for BMP files in memory (see bmp_header.h). Every field is
// read only after the bytes under it are known to be inside the view; the
// headers are only 2-byte aligned behind a file header, so fields are
// assembled byte by byte.
#include "assets/bmp_header.h"

#include <cstring>


uint16_t ReadLe16(const uint8_t *at)
{
    return static_cast<uint16_t>(at[0] | at[1] << 8);
}

uint32_t ReadLe32(const uint8_t *at)
{
    return static_cast<uint32_t>(at[0]) | static_cast<uint32_t>(at[1]) << 8 |
           static_cast<uint32_t>(at[2]) << 16 | static_cast<uint32_t>(at[3]) << 24;
}

namespace {

// The bytes CountDibColors looks at: up to bcBitCount in the core form, up
// to biClrUsed in every other.
size_t bytes_read_by_color_count(uint32_t header_size)
{
    return header_size == BMP_CORE_HEADER_SIZE ? 12u : 36u;
}

void read_info_form(const uint8_t *dib, DibInfoHeader *h)
{
    h->biSize = BMP_INFO_HEADER_SIZE;
    h->biWidth = static_cast<int32_t>(ReadLe32(dib + 4));
    h->biHeight = static_cast<int32_t>(ReadLe32(dib + 8));
    h->biPlanes = ReadLe16(dib + 12);
    h->biBitCount = ReadLe16(dib + 14);
    h->biCompression = ReadLe32(dib + 16);
    h->biSizeImage = ReadLe32(dib + 20);
    h->biXPelsPerMeter = static_cast<int32_t>(ReadLe32(dib + 24));
    h->biYPelsPerMeter = static_cast<int32_t>(ReadLe32(dib + 28));
    h->biClrUsed = ReadLe32(dib + 32);
    h->biClrImportant = ReadLe32(dib + 36);
}

void read_core_form(const uint8_t *dib, uint16_t color_count, DibInfoHeader *h)
{
    memset(h, 0, sizeof(*h));
    h->biSize = BMP_INFO_HEADER_SIZE;
    h->biWidth = ReadLe16(dib + 4);
    h->biHeight = ReadLe16(dib + 6);
    h->biPlanes = ReadLe16(dib + 8);
    h->biBitCount = ReadLe16(dib + 10);
    h->biCompression = BI_RGB;
    h->biClrUsed = color_count;
    h->biClrImportant = color_count;
}

}  // namespace

void ReadBmpHeader(const uint8_t *data, size_t size, BmpHeaderInfo *info)
{
    memset(info, 0, sizeof(*info));
    size_t dib_offset = 0;
    if (size >= 2 && ReadLe16(data) == 0x4D42) {
        info->has_file_header = true;
        // "BM" with no room for bfOffBits, let alone a DIB header.
        if (size < BMP_FILE_HEADER_SIZE)
            return;
        info->file_bits_offset = ReadLe32(data + 10);
        dib_offset = BMP_FILE_HEADER_SIZE;
    }
    if (size - dib_offset < 4)
        return;
    info->dib = data + dib_offset;
    info->dib_room = size - dib_offset;
    info->header_size = ReadLe32(info->dib);
    info->known_form = info->header_size == BMP_CORE_HEADER_SIZE ||
                       info->header_size == BMP_INFO_HEADER_SIZE;
    info->header_fits = info->known_form && info->dib_room >= info->header_size;
    info->color_count_readable =
        info->dib_room >= bytes_read_by_color_count(info->header_size) &&
        (!info->known_form || info->header_fits);
    if (!info->color_count_readable)
        return;
    info->color_count = CountDibColors(info->dib);
    if (!info->header_fits)
        return;

    uint64_t tables_end;
    if (info->header_size == BMP_INFO_HEADER_SIZE) {
        read_info_form(info->dib, &info->header);
        info->has_masks = info->header.biCompression == BI_BITFIELDS;
        uint64_t masks_end = BMP_INFO_HEADER_SIZE + (info->has_masks ? 12u : 0u);
        // The loader copies the colour table from right behind the header;
        // in a bit-field file that is where the masks are, and the table
        // proper follows them.
        uint64_t table_end = BMP_INFO_HEADER_SIZE + 4ull * info->color_count;
        tables_end = masks_end + 4ull * info->color_count;
        info->headers_end = dib_offset + masks_end;
        info->tables_fit = masks_end <= info->dib_room && table_end <= info->dib_room;
        if (info->has_masks && masks_end <= info->dib_room) {
            for (int c = 0; c < 3; ++c)
                info->masks[c] = ReadLe32(info->dib + BMP_INFO_HEADER_SIZE + 4 * c);
        }
    } else {
        read_core_form(info->dib, info->color_count, &info->header);
        tables_end = BMP_CORE_HEADER_SIZE + 3ull * info->color_count;
        info->headers_end = dib_offset + BMP_CORE_HEADER_SIZE;
        info->tables_fit = tables_end <= info->dib_room;
    }
    info->bits_offset = info->has_file_header ? info->file_bits_offset
                                              : dib_offset + tables_end;
}

uint16_t CountDibColors(const void *header)
{
    const uint8_t *h = static_cast<const uint8_t *>(header);
    uint16_t bit_count;
    if (ReadLe32(h) == BMP_CORE_HEADER_SIZE) {
        bit_count = ReadLe16(h + 10);
    } else {
        uint32_t used = ReadLe32(h + 32);
        if (used != 0)
            return static_cast<uint16_t>(used);  // its low 16 bits
        bit_count = ReadLe16(h + 14);
    }
    switch (bit_count) {
    case 1:
        return 2;
    case 4:
        return 16;
    case 8:
        return 256;
    default:
        return 0;
    }
}
