// The BMP loader: maps a file read-only through the platform's kernel
// services, rebuilds its header and colour table in the 40-byte form, has
// the DIB conversion write the pixels straight into the result's RGB rows,
// and reports every failure in one "Error" box. Relies on bmp_header for the
// bounded reading of headers and on dib_convert for the pixels. It never
// copies the file, keeps no state between calls and needs no GL context.
//
// The conversion and the reorder into RGB rows are one pass: the pixel
// buffer takes the place (and the failure message) of the 24-bit image that
// a separate conversion would render into first.
#include "assets/bmp_loader.h"

#include <cstdlib>
#include <cstring>

#include "assets/bmp_header.h"
#include "assets/dib_convert.h"
#include "platform/kernel32.h"
#include "platform/user32.h"

#if defined(__BYTE_ORDER__) && __BYTE_ORDER__ != __ORDER_LITTLE_ENDIAN__
#error "header fields are copied as stored: a little-endian host is assumed"
#endif

bool popup_errors = true;

namespace {

const char kOutOfMemory[] = "Out of memory.";
const char kUnknownFormat[] = "Unknown DIB file format.";
const char kConversionError[] = "Image file conversion error.";

// The open-failure text is formatted into this many bytes; the fixed words
// take 26 of them and the terminator one, which leaves 229 for the path.
const size_t kOpenMessageBytes = 256;
const size_t kOpenMessagePathBytes = 229;

// Source and target header blocks: a 40-byte header, colour entries, and 4
// bytes never written.
const size_t kHeaderBlockBytes = 44;

void show_error(const char *text)
{
    if (popup_errors)
        MessageBoxA(GetFocus(), text, "Error", MB_OK);
}

// Length of the longest prefix of `path` of at most `limit` bytes that does
// not split a double-byte character of the program's code page (949), whose
// lead bytes are 0x81 to 0xFE.
size_t whole_character_prefix(const char *path, size_t limit)
{
    size_t at = 0;
    while (path[at] != '\0') {
        unsigned char c = static_cast<unsigned char>(path[at]);
        size_t step = (c >= 0x81 && c <= 0xFE && path[at + 1] != '\0') ? 2 : 1;
        if (at + step > limit)
            break;
        at += step;
    }
    return at;
}

// A path too long for the box's buffer keeps its beginning, cut on a
// character boundary and marked with "...", rather than overflowing it.
void show_open_failure(const char *path)
{
    char shown[kOpenMessagePathBytes + 1];
    size_t length = strlen(path);
    if (length <= kOpenMessagePathBytes) {
        memcpy(shown, path, length + 1);
    } else {
        size_t kept = whole_character_prefix(path, kOpenMessagePathBytes - 3);
        memcpy(shown, path, kept);
        memcpy(shown + kept, "...", 4);
    }
    char text[kOpenMessageBytes];
    wsprintfA(text, "Failed to open DIB file %s.\n", shown);
    show_error(text);
}

// abs(biHeight) of a header whose geometry is usable.
uint32_t image_rows(const DibInfoHeader *h)
{
    return h->biHeight < 0 ? 0u - static_cast<uint32_t>(h->biHeight)
                           : static_cast<uint32_t>(h->biHeight);
}

// Sizes that the record and its 32-bit fields can hold: a positive width, a
// non-zero height, and 3 x width x rows and biSizeImage within 32 bits.
bool geometry_is_usable(const DibInfoHeader *h)
{
    if (h->biWidth <= 0 || h->biHeight == 0 || h->biHeight == INT32_MIN)
        return false;
    uint64_t width = static_cast<uint64_t>(h->biWidth);
    uint64_t rows = static_cast<uint64_t>(h->biHeight < 0 ? -static_cast<int64_t>(h->biHeight)
                                                          : h->biHeight);
    if (width * 3 * rows > UINT32_MAX)
        return false;
    uint64_t row_bytes = (width * h->biBitCount + 7) >> 3;
    return h->biSizeImage != 0 || row_bytes * rows <= UINT32_MAX;
}

// Rebuilds the header in the 40-byte form in the source header block, with
// the colour table in 4-byte entries, and fills in the defaults of
// biSizeImage and biClrUsed. False after its message when the header is of
// an unknown form, its tables lie past the end, or its sizes are unusable.
bool normalise_source_block(const BmpHeaderInfo &info, unsigned char *source_block)
{
    DibInfoHeader *source = reinterpret_cast<DibInfoHeader *>(source_block);
    DibColor *colors = reinterpret_cast<DibColor *>(source_block + BMP_INFO_HEADER_SIZE);
    uint32_t count = info.color_count;
    const uint8_t *header = info.dib;

    if (!info.known_form) {
        show_error(kUnknownFormat);
        return false;
    }
    if (!info.tables_fit) {
        show_error(kConversionError);
        return false;
    }
    if (info.header_size == BMP_INFO_HEADER_SIZE) {
        source->biSize = BMP_INFO_HEADER_SIZE;
        memcpy(source_block + 4, header + 4, BMP_INFO_HEADER_SIZE - 4);
        memcpy(colors, header + BMP_INFO_HEADER_SIZE, 4u * count);
    } else {
        *source = info.header;  // the core fields, widened without sign
        const uint8_t *entry = header + BMP_CORE_HEADER_SIZE;
        for (uint32_t i = 0; i < count; ++i, entry += 3) {
            colors[i].blue = entry[0];
            colors[i].green = entry[1];
            colors[i].red = entry[2];
            colors[i].reserved = 0;
        }
    }
    if (!geometry_is_usable(source)) {
        show_error(kConversionError);
        return false;
    }
    if (source->biSizeImage == 0) {
        // Rows rounded to whole bytes only, not to the 4 bytes stored rows
        // take: this is the field's customary default.
        uint64_t row_bytes = (static_cast<uint64_t>(source->biWidth) * source->biBitCount + 7) >> 3;
        source->biSizeImage = static_cast<uint32_t>(row_bytes * image_rows(source));
    }
    if (source->biClrUsed == 0)
        source->biClrUsed = count;
    return true;
}

// Allocates the target header block and the pixel buffer, converts the
// pixel bits straight into the buffer's RGB rows, and wraps the buffer in a
// record. Null after its message on failure, with nothing left allocated.
RgbImage *allocate_and_convert(const uint8_t *view, size_t size, const BmpHeaderInfo &info,
                               const unsigned char *source_block)
{
    const DibInfoHeader *source = reinterpret_cast<const DibInfoHeader *>(source_block);
    const DibColor *colors =
        reinterpret_cast<const DibColor *>(source_block + BMP_INFO_HEADER_SIZE);
    uint32_t width = static_cast<uint32_t>(source->biWidth);
    uint32_t rows = image_rows(source);

    // Nothing reads the target header: the pixel buffer below takes the place
    // of the 24-bit image it would describe. It is still made, so that a
    // failing allocation here says "Out of memory." at the same point of the
    // load as before the conversion, and the header describes what the
    // buffer holds for anyone inspecting the load.
    unsigned char *target_block =
        static_cast<unsigned char *>(LocalAlloc(LMEM_ZEROINIT, kHeaderBlockBytes));
    if (target_block == nullptr) {
        show_error(kOutOfMemory);
        return nullptr;
    }
    DibInfoHeader *target = reinterpret_cast<DibInfoHeader *>(target_block);
    target->biSize = BMP_INFO_HEADER_SIZE;
    target->biWidth = source->biWidth;
    target->biHeight = source->biHeight;
    target->biPlanes = 1;
    target->biBitCount = 24;
    target->biCompression = BI_RGB;
    target->biSizeImage = rows * width * 3;

    RgbImage *image = nullptr;
    unsigned char *pixels = static_cast<unsigned char *>(malloc(target->biSizeImage));
    if (pixels == nullptr) {
        show_error(kOutOfMemory);
    } else {
        DibBits bits = {nullptr, 0};
        if (info.bits_offset <= size) {
            bits.data = view + info.bits_offset;
            bits.size = size - static_cast<size_t>(info.bits_offset);
        }
        int lines = ConvertDibToRgb(source, colors, info.color_count,
                                    info.has_masks ? info.masks : nullptr, bits, pixels);
        if (lines == 0) {
            show_error(kConversionError);
        } else {
            image = static_cast<RgbImage *>(malloc(sizeof(RgbImage)));
            if (image == nullptr) {
                show_error(kOutOfMemory);
            } else {
                image->width = source->biWidth;
                // Stored top-down or not, the rows now run bottom first.
                image->height = static_cast<int32_t>(rows);
                image->pixels = pixels;
            }
        }
    }
    LocalFree(target_block);
    if (image == nullptr)
        free(pixels);
    return image;
}

}  // namespace

RgbImage *DecodeBmpImage(const void *data, size_t size)
{
    const uint8_t *view = static_cast<const uint8_t *>(data);
    BmpHeaderInfo info;
    ReadBmpHeader(view, size, &info);
    if (!info.color_count_readable) {
        // Too short for the header's own size, or for the header it names.
        show_error(info.known_form ? kConversionError : kUnknownFormat);
        return nullptr;
    }
    unsigned char *source_block = static_cast<unsigned char *>(
        LocalAlloc(LMEM_FIXED, kHeaderBlockBytes + 4u * info.color_count));
    if (source_block == nullptr) {
        show_error(kOutOfMemory);
        return nullptr;
    }
    RgbImage *image = nullptr;
    if (normalise_source_block(info, source_block))
        image = allocate_and_convert(view, size, info, source_block);
    LocalFree(source_block);
    return image;
}

RgbImage *LoadBmpImage(const char *path)
{
    HANDLE file = CreateFileA(path, GENERIC_READ, FILE_SHARE_READ, nullptr,
                              OPEN_EXISTING, 0, nullptr);
    HANDLE mapping = nullptr;
    const void *view = nullptr;
    RgbImage *image = nullptr;
    if (file != INVALID_HANDLE_VALUE) {
        DWORD size_high = 0;
        DWORD size_low = GetFileSize(file, &size_high);
        // A failed size counts as a failed open: there is no view to bound.
        if (size_low != INVALID_FILE_SIZE || size_high != 0)
            mapping = CreateFileMappingA(file, nullptr, PAGE_READONLY, 0, 0, nullptr);
        if (mapping != nullptr)
            view = MapViewOfFile(mapping, FILE_MAP_READ, 0, 0, 0);
        if (view != nullptr) {
            uint64_t size = static_cast<uint64_t>(size_high) << 32 | size_low;
            image = DecodeBmpImage(view, size > SIZE_MAX ? SIZE_MAX : static_cast<size_t>(size));
        }
    }
    if (view != nullptr)
        UnmapViewOfFile(view);
    if (mapping != nullptr)
        CloseHandle(mapping);
    if (file != INVALID_HANDLE_VALUE)
        CloseHandle(file);
    if (view == nullptr)
        show_open_failure(path != nullptr ? path : "");
    return image;
}
