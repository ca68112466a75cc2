// The icon file's layout: a directory of one entry per picture, then the
// pictures. A bitmap picture is a BITMAPINFOHEADER whose height counts the
// colour rows and the mask rows together, the colour rows bottom first as
// BGRA, then a 1-bit mask (set where the picture is fully transparent),
// each of its rows padded to 4 bytes.
#include "tools/ico_writer.h"

#include <cstdint>
#include <cstdio>

#include "tools/png_writer.h"

namespace {

typedef std::vector<unsigned char> Bytes;

void put16(Bytes *out, unsigned v)
{
    out->push_back(static_cast<unsigned char>(v));
    out->push_back(static_cast<unsigned char>(v >> 8));
}

void put32(Bytes *out, uint32_t v)
{
    put16(out, v & 0xFFFF);
    put16(out, v >> 16);
}

const int kLargestBitmap = 128;

Bytes bitmap_picture(const IcoPicture &picture)
{
    const int n = picture.size;
    const size_t mask_stride = ((static_cast<size_t>(n) + 31) / 32) * 4;
    Bytes out;
    put32(&out, 40);                  // header size
    put32(&out, static_cast<uint32_t>(n));
    put32(&out, static_cast<uint32_t>(2 * n));
    put16(&out, 1);                   // planes
    put16(&out, 32);                  // bits per pixel
    put32(&out, 0);                   // BI_RGB
    put32(&out, static_cast<uint32_t>(n * n * 4 + mask_stride * n));
    for (int i = 0; i < 4; ++i)       // resolution and palette: none
        put32(&out, 0);
    for (int row = n - 1; row >= 0; --row) {
        const unsigned char *p = &picture.rgba[static_cast<size_t>(row) * n * 4];
        for (int x = 0; x < n; ++x, p += 4)
            out.insert(out.end(), {p[2], p[1], p[0], p[3]});
    }
    for (int row = n - 1; row >= 0; --row) {
        Bytes mask(mask_stride, 0);
        for (int x = 0; x < n; ++x)
            if (picture.rgba[(static_cast<size_t>(row) * n + x) * 4 + 3] == 0)
                mask[x / 8] |= static_cast<unsigned char>(0x80 >> (x % 8));
        out.insert(out.end(), mask.begin(), mask.end());
    }
    return out;
}

}  // namespace

bool WriteIco(const std::string &path, const std::vector<IcoPicture> &pictures)
{
    std::vector<Bytes> encoded;
    for (const IcoPicture &picture : pictures) {
        if (picture.size < 16 || picture.size > 256 ||
            picture.rgba.size() != static_cast<size_t>(picture.size) * picture.size * 4)
            return false;
        Bytes bytes;
        if (picture.size <= kLargestBitmap)
            bytes = bitmap_picture(picture);
        else if (!EncodeRgbaPng(picture.size, picture.size, picture.rgba.data(), &bytes))
            return false;
        encoded.push_back(bytes);
    }

    Bytes file;
    put16(&file, 0);  // reserved
    put16(&file, 1);  // an icon, not a cursor
    put16(&file, static_cast<unsigned>(pictures.size()));
    uint32_t offset = static_cast<uint32_t>(6 + 16 * pictures.size());
    for (size_t i = 0; i < pictures.size(); ++i) {
        // A side of 256 is written as 0, the byte's one spare value.
        unsigned char side = static_cast<unsigned char>(pictures[i].size & 0xFF);
        file.insert(file.end(), {side, side, 0, 0});  // no palette, reserved
        put16(&file, 1);
        put16(&file, 32);
        put32(&file, static_cast<uint32_t>(encoded[i].size()));
        put32(&file, offset);
        offset += static_cast<uint32_t>(encoded[i].size());
    }
    for (const Bytes &bytes : encoded)
        file.insert(file.end(), bytes.begin(), bytes.end());

    FILE *out = fopen(path.c_str(), "wb");
    if (out == nullptr)
        return false;
    bool written = fwrite(file.data(), 1, file.size(), out) == file.size();
    return fclose(out) == 0 && written;
}
