// PNG output through libpng, compressed: bmpcheck's pictures and the icon.
#include <png.h>

#include <cstdio>

#include "tools/png_writer.h"

// Writes an 8-bit PNG of `color_type` whose row `n` (top first) is row(n).
template <typename RowAt>
static bool write_rows(const std::string &path, int width, int height, int color_type,
                       RowAt row)
{
    FILE *file = fopen(path.c_str(), "wb");
    if (file == nullptr)
        return false;
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png != nullptr ? png_create_info_struct(png) : nullptr;
    if (info == nullptr || setjmp(png_jmpbuf(png))) {
        png_destroy_write_struct(&png, &info);
        fclose(file);
        return false;
    }
    png_init_io(png, file);
    png_set_IHDR(png, info, static_cast<png_uint_32>(width), static_cast<png_uint_32>(height), 8,
                 color_type, PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT,
                 PNG_FILTER_TYPE_DEFAULT);
    png_write_info(png, info);
    for (int n = 0; n < height; ++n)
        png_write_row(png, row(n));
    png_write_end(png, nullptr);
    png_destroy_write_struct(&png, &info);
    return fclose(file) == 0;
}

bool WritePng(const std::string &path, const RgbImage *image)
{
    size_t stride = static_cast<size_t>(image->width) * 3;
    return write_rows(path, image->width, image->height, PNG_COLOR_TYPE_RGB, [&](int n) {
        return image->pixels + stride * static_cast<size_t>(image->height - 1 - n);
    });
}

bool WriteRgbaPng(const std::string &path, int width, int height, const unsigned char *rgba)
{
    size_t stride = static_cast<size_t>(width) * 4;
    return write_rows(path, width, height, PNG_COLOR_TYPE_RGB_ALPHA,
                      [&](int n) { return rgba + stride * static_cast<size_t>(n); });
}
