// BMP files as bytes (see bmp_bytes.h). Writes whatever it is told, so tests
// can make broken files as easily as good ones; depends on nothing but the
// standard library, so the picture generator can use it too.
#include "tools/bmp_bytes.h"

#include <cstdio>

namespace {

void put16(Bytes *out, uint32_t v)
{
    out->push_back(static_cast<uint8_t>(v));
    out->push_back(static_cast<uint8_t>(v >> 8));
}

void put32(Bytes *out, uint32_t v)
{
    put16(out, v & 0xFFFFu);
    put16(out, v >> 16);
}

void pad_to_4(Bytes *out, size_t row_start)
{
    while ((out->size() - row_start) % 4 != 0)
        out->push_back(0);
}

uint32_t value_at(const std::vector<uint32_t> &values, size_t i)
{
    return i < values.size() ? values[i] : 0;
}

// Length of the run of equal values starting at x, at most `limit`.
int equal_run(const std::vector<uint32_t> &row, int x, int limit)
{
    int n = 1;
    while (x + n < static_cast<int>(row.size()) && n < limit && row[x + n] == row[x])
        ++n;
    return n;
}

// Run-length encoding shared by both depths: pixels_per_byte is 1 or 2.
Bytes encode_rle(int width, int height, const std::vector<uint32_t> &indices,
                 int pixels_per_byte)
{
    Bytes out;
    for (int y = 0; y < height; ++y) {
        std::vector<uint32_t> row(width);
        for (int x = 0; x < width; ++x)
            row[x] = value_at(indices, static_cast<size_t>(y) * width + x);
        int x = 0;
        while (x < width) {
            int run = equal_run(row, x, 255);
            if (run >= 2 || width - x < 3) {
                run = run >= 2 ? run : 1;
                uint32_t v = row[x] & (pixels_per_byte == 1 ? 0xFFu : 0x0Fu);
                out.push_back(static_cast<uint8_t>(run));
                out.push_back(static_cast<uint8_t>(pixels_per_byte == 1 ? v : (v << 4 | v)));
                x += run;
                continue;
            }
            // An absolute run: gather pixels until a run of two starts.
            int n = 0;
            while (x + n < width && n < 255 && (n < 3 || equal_run(row, x + n, 2) < 2))
                ++n;
            out.push_back(0);
            out.push_back(static_cast<uint8_t>(n));
            size_t start = out.size();
            if (pixels_per_byte == 1) {
                for (int i = 0; i < n; ++i)
                    out.push_back(static_cast<uint8_t>(row[x + i]));
            } else {
                for (int i = 0; i < n; i += 2) {
                    uint32_t hi = row[x + i] & 0x0Fu;
                    uint32_t lo = i + 1 < n ? row[x + i + 1] & 0x0Fu : 0;
                    out.push_back(static_cast<uint8_t>(hi << 4 | lo));
                }
            }
            if ((out.size() - start) % 2 != 0)
                out.push_back(0);
            x += n;
        }
        out.push_back(0);
        out.push_back(0);  // end of line
    }
    out.push_back(0);
    out.push_back(1);  // end of bitmap
    return out;
}

}  // namespace

RgbPicture SolidPicture(int width, int height, uint32_t rgb)
{
    RgbPicture picture{width, height, {}};
    picture.rgb.resize(static_cast<size_t>(width) * height * 3);
    for (size_t i = 0; i < picture.rgb.size(); i += 3) {
        picture.rgb[i] = static_cast<uint8_t>(rgb >> 16);
        picture.rgb[i + 1] = static_cast<uint8_t>(rgb >> 8);
        picture.rgb[i + 2] = static_cast<uint8_t>(rgb);
    }
    return picture;
}

void SetPixel(RgbPicture *picture, int x, int y, uint32_t rgb)
{
    uint8_t *p = &picture->rgb[(static_cast<size_t>(y) * picture->width + x) * 3];
    p[0] = static_cast<uint8_t>(rgb >> 16);
    p[1] = static_cast<uint8_t>(rgb >> 8);
    p[2] = static_cast<uint8_t>(rgb);
}

uint32_t PixelOf(const RgbPicture &picture, int x, int y)
{
    const uint8_t *p = &picture.rgb[(static_cast<size_t>(y) * picture.width + x) * 3];
    return static_cast<uint32_t>(p[0]) << 16 | static_cast<uint32_t>(p[1]) << 8 | p[2];
}

Bytes BuildBmp(const BmpFields &f)
{
    bool core = f.header_size == 12;
    Bytes dib;
    put32(&dib, f.header_size);
    if (core) {
        put16(&dib, static_cast<uint32_t>(f.width) & 0xFFFFu);
        put16(&dib, static_cast<uint32_t>(f.height) & 0xFFFFu);
        put16(&dib, f.planes);
        put16(&dib, f.bit_count);
    } else {
        put32(&dib, static_cast<uint32_t>(f.width));
        put32(&dib, static_cast<uint32_t>(f.height));
        put16(&dib, f.planes);
        put16(&dib, f.bit_count);
        put32(&dib, f.compression);
        put32(&dib, f.size_image);
        put32(&dib, 2835);  // 72 dots per inch
        put32(&dib, 2835);
        put32(&dib, f.clr_used);
        put32(&dib, f.clr_important);
        while (dib.size() < f.header_size)
            dib.push_back(0);
    }
    for (uint32_t mask : f.masks)
        put32(&dib, mask);
    for (uint32_t colour : f.palette) {
        dib.push_back(static_cast<uint8_t>(colour));
        dib.push_back(static_cast<uint8_t>(colour >> 8));
        dib.push_back(static_cast<uint8_t>(colour >> 16));
        if (!core)
            dib.push_back(0);
    }

    Bytes out;
    if (f.file_header) {
        uint32_t offset = f.bits_offset >= 0 ? static_cast<uint32_t>(f.bits_offset)
                                             : static_cast<uint32_t>(14 + dib.size());
        out.push_back('B');
        out.push_back('M');
        put32(&out, static_cast<uint32_t>(14 + dib.size() + f.bits.size()));
        put32(&out, 0);
        put32(&out, offset);
    }
    out.insert(out.end(), dib.begin(), dib.end());
    // A bits offset past the tables leaves a gap, as some writers do.
    if (f.file_header && f.bits_offset > static_cast<int64_t>(out.size()))
        out.resize(static_cast<size_t>(f.bits_offset), 0);
    out.insert(out.end(), f.bits.begin(), f.bits.end());
    return out;
}

Bytes RunLengthClaim(int32_t width, int32_t height, uint32_t colour)
{
    BmpFields f;
    f.file_header = false;
    f.width = width;
    f.height = height;
    f.bit_count = 8;
    f.compression = 1;
    f.clr_used = 1;
    f.palette = {colour};
    f.bits = {0, 1};
    return BuildBmp(f);
}

Bytes PackRows(int width, int height, int bit_count, const std::vector<uint32_t> &values)
{
    Bytes out;
    for (int y = 0; y < height; ++y) {
        size_t row_start = out.size();
        size_t first = static_cast<size_t>(y) * width;
        if (bit_count < 8) {
            int per_byte = 8 / bit_count;
            for (int x = 0; x < width; x += per_byte) {
                uint32_t byte = 0;
                for (int i = 0; i < per_byte; ++i) {
                    uint32_t v = x + i < width ? value_at(values, first + x + i) : 0;
                    byte |= (v & ((1u << bit_count) - 1u)) << (8 - bit_count * (i + 1));
                }
                out.push_back(static_cast<uint8_t>(byte));
            }
        } else {
            for (int x = 0; x < width; ++x) {
                uint32_t v = value_at(values, first + x);
                switch (bit_count) {
                case 8:
                    out.push_back(static_cast<uint8_t>(v));
                    break;
                case 16:
                    put16(&out, v & 0xFFFFu);
                    break;
                case 24:
                    out.push_back(static_cast<uint8_t>(v));
                    out.push_back(static_cast<uint8_t>(v >> 8));
                    out.push_back(static_cast<uint8_t>(v >> 16));
                    break;
                default:
                    put32(&out, v);
                    break;
                }
            }
        }
        pad_to_4(&out, row_start);
    }
    return out;
}

Bytes EncodeRle8(int width, int height, const std::vector<uint32_t> &indices)
{
    return encode_rle(width, height, indices, 1);
}

Bytes EncodeRle4(int width, int height, const std::vector<uint32_t> &indices)
{
    return encode_rle(width, height, indices, 2);
}

Bytes PackRgbPicture(const RgbPicture &picture, int bit_count)
{
    std::vector<uint32_t> values(static_cast<size_t>(picture.width) * picture.height);
    for (int y = 0; y < picture.height; ++y)
        for (int x = 0; x < picture.width; ++x)
            values[static_cast<size_t>(y) * picture.width + x] = PixelOf(picture, x, y);
    return PackRows(picture.width, picture.height, bit_count, values);
}

Bytes Bmp24(const RgbPicture &picture)
{
    BmpFields f;
    f.width = picture.width;
    f.height = picture.height;
    f.bits = PackRgbPicture(picture, 24);
    return BuildBmp(f);
}

bool WriteBytes(const std::string &path, const Bytes &bytes)
{
    FILE *file = fopen(path.c_str(), "wb");
    if (file == nullptr)
        return false;
    bool written = bytes.empty() || fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
    return fclose(file) == 0 && written;
}

bool WriteBmp24(const std::string &path, const RgbPicture &picture)
{
    return WriteBytes(path, Bmp24(picture));
}
