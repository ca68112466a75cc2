// PNG output through libpng, compressed: bmpcheck's pictures and the icon.
#include <png.h>

#include <cstdio>

#include "tools/png_writer.h"

namespace {

void append_bytes(png_structp png, png_bytep data, png_size_t length)
{
    auto *out = static_cast<std::vector<unsigned char> *>(png_get_io_ptr(png));
    out->insert(out->end(), data, data + length);
}

void flush_nothing(png_structp) {}

// Encodes an 8-bit PNG of `color_type` whose row `n` (top first) is row(n).
template <typename RowAt>
bool encode_rows(int width, int height, int color_type, RowAt row,
                 std::vector<unsigned char> *out)
{
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png != nullptr ? png_create_info_struct(png) : nullptr;
    if (info == nullptr || setjmp(png_jmpbuf(png))) {
        png_destroy_write_struct(&png, &info);
        return false;
    }
    png_set_write_fn(png, out, append_bytes, flush_nothing);
    png_set_IHDR(png, info, static_cast<png_uint_32>(width), static_cast<png_uint_32>(height), 8,
                 color_type, PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT,
                 PNG_FILTER_TYPE_DEFAULT);
    png_write_info(png, info);
    for (int n = 0; n < height; ++n)
        png_write_row(png, row(n));
    png_write_end(png, nullptr);
    png_destroy_write_struct(&png, &info);
    return true;
}

bool write_file(const std::string &path, const std::vector<unsigned char> &bytes)
{
    FILE *file = fopen(path.c_str(), "wb");
    if (file == nullptr)
        return false;
    bool written = fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
    return fclose(file) == 0 && written;
}

}  // namespace

bool WritePng(const std::string &path, const RgbImage *image)
{
    size_t stride = static_cast<size_t>(image->width) * 3;
    std::vector<unsigned char> bytes;
    return encode_rows(image->width, image->height, PNG_COLOR_TYPE_RGB,
                       [&](int n) {
                           return image->pixels +
                                  stride * static_cast<size_t>(image->height - 1 - n);
                       },
                       &bytes) &&
           write_file(path, bytes);
}

bool EncodeRgbaPng(int width, int height, const unsigned char *rgba,
                   std::vector<unsigned char> *out)
{
    size_t stride = static_cast<size_t>(width) * 4;
    return encode_rows(width, height, PNG_COLOR_TYPE_RGB_ALPHA,
                       [&](int n) { return rgba + stride * static_cast<size_t>(n); }, out);
}

bool WriteRgbaPng(const std::string &path, int width, int height, const unsigned char *rgba)
{
    std::vector<unsigned char> bytes;
    return EncodeRgbaPng(width, height, rgba, &bytes) && write_file(path, bytes);
}
