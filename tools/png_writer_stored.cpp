// bmpcheck's PNG output without libpng: the zlib stream holds the rows in
// stored (uncompressed) deflate blocks, which every PNG reader takes. Files
// are about as large as the picture's raw pixels; that is the price of not
// carrying a compressor in the Windows build.
#include <cstdint>
#include <cstdio>
#include <vector>

#include "tools/png_writer.h"

namespace {

typedef std::vector<uint8_t> Bytes;

void put_be32(Bytes *out, uint32_t v)
{
    out->push_back(static_cast<uint8_t>(v >> 24));
    out->push_back(static_cast<uint8_t>(v >> 16));
    out->push_back(static_cast<uint8_t>(v >> 8));
    out->push_back(static_cast<uint8_t>(v));
}

uint32_t crc32_of(const uint8_t *data, size_t size)
{
    static uint32_t table[256];
    if (table[1] == 0) {
        for (uint32_t n = 0; n < 256; ++n) {
            uint32_t c = n;
            for (int k = 0; k < 8; ++k)
                c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
            table[n] = c;
        }
    }
    uint32_t crc = 0xFFFFFFFFu;
    for (size_t i = 0; i < size; ++i)
        crc = table[(crc ^ data[i]) & 0xFF] ^ (crc >> 8);
    return crc ^ 0xFFFFFFFFu;
}

// Length, type, data, and the CRC of type and data.
void put_chunk(Bytes *out, const char type[5], const Bytes &data)
{
    put_be32(out, static_cast<uint32_t>(data.size()));
    size_t start = out->size();
    out->insert(out->end(), type, type + 4);
    out->insert(out->end(), data.begin(), data.end());
    put_be32(out, crc32_of(out->data() + start, out->size() - start));
}

// A zlib stream of stored blocks of at most 65535 bytes each.
Bytes zlib_stored(const Bytes &raw)
{
    Bytes out = {0x78, 0x01};
    size_t at = 0;
    do {
        size_t length = raw.size() - at < 65535 ? raw.size() - at : 65535;
        bool last = at + length == raw.size();
        out.push_back(last ? 1 : 0);
        out.push_back(static_cast<uint8_t>(length));
        out.push_back(static_cast<uint8_t>(length >> 8));
        out.push_back(static_cast<uint8_t>(~length));
        out.push_back(static_cast<uint8_t>(~length >> 8));
        out.insert(out.end(), raw.begin() + static_cast<ptrdiff_t>(at),
                   raw.begin() + static_cast<ptrdiff_t>(at + length));
        at += length;
    } while (at < raw.size());
    uint32_t a = 1, b = 0;
    for (uint8_t byte : raw) {
        a = (a + byte) % 65521;
        b = (b + a) % 65521;
    }
    put_be32(&out, b << 16 | a);
    return out;
}

}  // namespace

bool WritePng(const std::string &path, const RgbImage *image)
{
    size_t stride = static_cast<size_t>(image->width) * 3;
    // Each row: filter type 0 (none), then its pixels, top row first.
    Bytes raw;
    raw.reserve((stride + 1) * static_cast<size_t>(image->height));
    for (int32_t row = image->height - 1; row >= 0; --row) {
        const uint8_t *pixels = image->pixels + stride * static_cast<size_t>(row);
        raw.push_back(0);
        raw.insert(raw.end(), pixels, pixels + stride);
    }

    Bytes png = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    Bytes header;
    put_be32(&header, static_cast<uint32_t>(image->width));
    put_be32(&header, static_cast<uint32_t>(image->height));
    header.insert(header.end(), {8, 2, 0, 0, 0});  // 8-bit RGB, no interlace
    put_chunk(&png, "IHDR", header);
    put_chunk(&png, "IDAT", zlib_stored(raw));
    put_chunk(&png, "IEND", Bytes());

    FILE *file = fopen(path.c_str(), "wb");
    if (file == nullptr)
        return false;
    bool written = fwrite(png.data(), 1, png.size(), file) == png.size();
    return fclose(file) == 0 && written;
}
