// The BMP loader: maps a file read-only through the platform's kernel
// services, rebuilds its header and colour table in the 40-byte form, has
// the DIB conversion write the pixels straight into the result's RGB rows,
// and reports every failure in one "Error" box, with its particulars in
// BmpFailureReason. Relies on bmp_header for the bounded reading of headers
// and on dib_convert for the pixels. Reads only files on disk and only the
// pages a picture needs; never copies the file, keeps no state between calls
// and needs no GL context.
#include "assets/bmp_loader.h"

#include <cstdarg>
#include <cstdio>
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

// What the loader's user-facing texts do not say: which check a file failed.
// Filled by every failure, emptied by each new load.
char failure_reason[192];

// The view LoadBmpImage is decoding, so that a failure found in it can be
// told apart from a file that changed underneath; null outside a load and
// for bytes in memory.
const void *view_being_read = nullptr;
size_t view_bytes = 0;

void set_reason(const char *format, ...) __attribute__((format(printf, 1, 2)));
void set_reason(const char *format, ...)
{
    va_list arguments;
    va_start(arguments, format);
    vsnprintf(failure_reason, sizeof failure_reason, format, arguments);
    va_end(arguments);
}

// True when part of the view no longer holds the file: the platform puts
// zero pages in place of what a file loses while it is read (another
// program truncating it, say) and reports them as private memory. A view
// the platform cannot describe counts as lost too.
bool view_went_bad()
{
    if (view_being_read == nullptr)
        return false;
    MEMORY_BASIC_INFORMATION region;
    return VirtualQuery(view_being_read, &region, sizeof region) == 0 ||
           region.Type != MEM_MAPPED || region.RegionSize < view_bytes;
}

void report_changed_file()
{
    set_reason("the file changed while it was read");
    show_error(kConversionError);
}

// Every failure after the file is mapped ends here: `message` in the box and
// the particulars in failure_reason. When the file changed underneath, what
// was read is not the file, so the one honest message is the conversion
// error, whatever check happened to fail.
void fail(const char *message, const char *format, ...) __attribute__((format(printf, 2, 3)));
void fail(const char *message, const char *format, ...)
{
    if (view_went_bad()) {
        report_changed_file();
        return;
    }
    va_list arguments;
    va_start(arguments, format);
    vsnprintf(failure_reason, sizeof failure_reason, format, arguments);
    va_end(arguments);
    show_error(message);
}

// "2.5 GiB", "300.0 MiB" or "1000 bytes", for the reasons.
void format_bytes(uint64_t bytes, char *text, size_t room)
{
    if (bytes >= (1ull << 30))
        snprintf(text, room, "%.1f GiB", static_cast<double>(bytes) / (1ull << 30));
    else if (bytes >= (1ull << 20))
        snprintf(text, room, "%.1f MiB", static_cast<double>(bytes) / (1ull << 20));
    else
        snprintf(text, room, "%llu bytes", static_cast<unsigned long long>(bytes));
}

// abs(biHeight) of a header whose geometry is usable.
uint32_t image_rows(const DibInfoHeader *h)
{
    return h->biHeight < 0 ? 0u - static_cast<uint32_t>(h->biHeight)
                           : static_cast<uint32_t>(h->biHeight);
}

// Judges a header of a known form from its fields alone, before anything is
// allocated for it: a table that fits, a size within the loader's limits,
// and pixel bits that start behind the headers and inside the file. False
// after its message.
bool header_is_decodable(const BmpHeaderInfo &info, size_t size)
{
    const DibInfoHeader &h = info.header;
    if (h.biClrUsed > 0xFFFFu) {
        // The colour count is 16 bits wide; a larger table would be cut to
        // its low 16 bits and its pixels would come out wrong, not fail.
        fail(kConversionError, "colour count %u is over the largest table of 65535", h.biClrUsed);
        return false;
    }
    if (!info.tables_fit) {
        fail(kConversionError, "the colour table or masks run past the end of the file");
        return false;
    }
    if (h.biWidth <= 0 || h.biHeight == 0) {
        fail(kConversionError, "a picture of %d x %d pixels has nothing to show", h.biWidth,
             h.biHeight);
        return false;
    }
    uint64_t width = static_cast<uint64_t>(h.biWidth);
    uint64_t rows = static_cast<uint64_t>(h.biHeight < 0 ? -static_cast<int64_t>(h.biHeight)
                                                         : h.biHeight);
    if (width > BMP_MAX_SIDE || rows > BMP_MAX_SIDE) {
        fail(kConversionError, "%s %llu is over the limit of %u",
             width > BMP_MAX_SIDE ? "width" : "height",
             static_cast<unsigned long long>(width > BMP_MAX_SIDE ? width : rows), BMP_MAX_SIDE);
        return false;
    }
    uint64_t pixel_bytes = width * rows * 3;
    if (pixel_bytes > BMP_MAX_PIXEL_BYTES) {
        char amount[32];
        format_bytes(pixel_bytes, amount, sizeof amount);
        fail(kConversionError,
             "pixel buffer of %s (%llu x %llu x 3 bytes) is over the limit of 256 MiB", amount, static_cast<unsigned long long>(width), static_cast<unsigned long long>(rows));
        return false;
    }
    // biSizeImage's default is a 32-bit field: refuse what it cannot hold.
    uint64_t row_bytes = (width * h.biBitCount + 7) >> 3;
    if (h.biSizeImage == 0 && row_bytes * rows > UINT32_MAX) {
        fail(kConversionError, "%u bits a pixel at this size pass 32 bits of image size",
             h.biBitCount);
        return false;
    }
    // An offset inside the headers would decode the headers as pixels.
    if (info.has_file_header && info.bits_offset < info.headers_end) {
        fail(kConversionError, "bits offset %llu lies inside the headers, which end at %llu",
             static_cast<unsigned long long>(info.bits_offset),
             static_cast<unsigned long long>(info.headers_end));
        return false;
    }
    if (info.bits_offset > size) {
        fail(kConversionError, "bits offset %llu is past the end of the file (%zu bytes)",
             static_cast<unsigned long long>(info.bits_offset), size);
        return false;
    }
    return true;
}

// Rebuilds the header of a judged, known form in the 40-byte form in the
// source header block, with the colour table in 4-byte entries, and fills in
// the defaults of biSizeImage and biClrUsed.
void fill_source_block(const BmpHeaderInfo &info, unsigned char *source_block)
{
    DibInfoHeader *source = reinterpret_cast<DibInfoHeader *>(source_block);
    DibColor *colors = reinterpret_cast<DibColor *>(source_block + BMP_INFO_HEADER_SIZE);
    uint32_t count = info.color_count;
    const uint8_t *header = info.dib;

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
    if (source->biSizeImage == 0) {
        // Rows rounded to whole bytes only, not to the 4 bytes stored rows
        // take: this is the field's customary default.
        uint64_t row_bytes = (static_cast<uint64_t>(source->biWidth) * source->biBitCount + 7) >> 3;
        source->biSizeImage = static_cast<uint32_t>(row_bytes * image_rows(source));
    }
    if (source->biClrUsed == 0)
        source->biClrUsed = count;
}

// Allocates the target header block and the pixel buffer, converts the
// pixel bits straight into the buffer's RGB rows, and wraps the buffer in a
// record. Null after its message on failure, with nothing left allocated.
// Conversion and reorder are one pass: the pixel buffer takes the place (and
// the failure message) of the 24-bit image a separate conversion would
// render into first.
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
        fail(kOutOfMemory, "no memory for the target header block");
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
        fail(kOutOfMemory, "no memory for a pixel buffer of %u bytes", target->biSizeImage);
    } else {
        // The offset was judged to lie inside the file.
        DibBits bits = {view + info.bits_offset, size - static_cast<size_t>(info.bits_offset)};
        char why[DIB_REASON_BYTES];
        int lines = ConvertDibToRgb(source, colors, info.color_count,
                                    info.has_masks ? info.masks : nullptr, bits, pixels, why);
        if (lines == 0) {
            fail(kConversionError, "%s", why);
        } else {
            image = static_cast<RgbImage *>(malloc(sizeof(RgbImage)));
            if (image == nullptr) {
                fail(kOutOfMemory, "no memory for the image record");
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

const char *BmpFailureReason(void)
{
    return failure_reason;
}

RgbImage *DecodeBmpImage(const void *data, size_t size)
{
    failure_reason[0] = '\0';
    const uint8_t *view = static_cast<const uint8_t *>(data);
    BmpHeaderInfo info;
    ReadBmpHeader(view, size, &info);
    if (!info.color_count_readable) {
        // Too short for the header's own size, or for the header it names.
        if (info.known_form)
            fail(kConversionError, "the %u-byte DIB header is cut off after %zu bytes",
                 info.header_size, info.dib_room);
        else if (info.dib == nullptr)
            fail(kUnknownFormat, "%zu bytes are too few for a DIB header", size);
        else
            fail(kUnknownFormat, "a %u-byte DIB header is not one of the 12- and 40-byte forms",
                 info.header_size);
        return nullptr;
    }
    if (info.known_form && !header_is_decodable(info, size))
        return nullptr;
    unsigned char *source_block = static_cast<unsigned char *>(
        LocalAlloc(LMEM_FIXED, kHeaderBlockBytes + 4u * info.color_count));
    if (source_block == nullptr) {
        fail(kOutOfMemory, "no memory for the source header block");
        return nullptr;
    }
    RgbImage *image = nullptr;
    if (!info.known_form) {
        fail(kUnknownFormat, "a %u-byte DIB header is not one of the 12- and 40-byte forms",
             info.header_size);
    } else {
        fill_source_block(info, source_block);
        image = allocate_and_convert(view, size, info, source_block);
    }
    LocalFree(source_block);
    return image;
}

// Maps a view of the whole of an open file: null, with the reason, when the
// file is not on disk or no view can be made; `mapping` and `size` receive
// the mapping (to be closed, when made) and the file's length.
static const void *map_whole_file(HANDLE file, HANDLE *mapping, uint64_t *size)
{
    // A pipe or a device could block the reader or never end; pictures are
    // files on disk.
    if (GetFileType(file) != FILE_TYPE_DISK) {
        set_reason("not a file on disk");
        return nullptr;
    }
    DWORD size_high = 0;
    DWORD size_low = GetFileSize(file, &size_high);
    *size = static_cast<uint64_t>(size_high) << 32 | size_low;
    // A failed size counts as a failed open: there is no view to bound.
    if (size_low == INVALID_FILE_SIZE && size_high == 0) {
        set_reason("the file's size cannot be read");
        return nullptr;
    }
    *mapping = CreateFileMappingA(file, nullptr, PAGE_READONLY, 0, 0, nullptr);
    if (*mapping == nullptr) {
        set_reason(*size == 0 ? "the file is empty" : "the file cannot be mapped");
        return nullptr;
    }
    const void *view = MapViewOfFile(*mapping, FILE_MAP_READ, 0, 0, 0);
    if (view == nullptr)
        set_reason("no view of the file can be mapped");
    return view;
}

RgbImage *LoadBmpImage(const char *path)
{
    failure_reason[0] = '\0';
    HANDLE file = CreateFileA(path, GENERIC_READ, FILE_SHARE_READ, nullptr,
                              OPEN_EXISTING, 0, nullptr);
    HANDLE mapping = nullptr;
    const void *view = nullptr;
    RgbImage *image = nullptr;
    uint64_t size = 0;
    if (file == INVALID_HANDLE_VALUE)
        set_reason("the file cannot be opened for reading");
    else
        view = map_whole_file(file, &mapping, &size);
    if (view != nullptr) {
        view_being_read = view;
        view_bytes = size > SIZE_MAX ? SIZE_MAX : static_cast<size_t>(size);
        // A view shorter than the size measured before it was made means the
        // file shrank in between: nothing past the view's end may be read.
        if (view_went_bad())
            report_changed_file();
        else
            image = DecodeBmpImage(view, view_bytes);
        // A load that went through may still have read zeros where the file
        // lost pages under it.
        if (image != nullptr && view_went_bad()) {
            free(image->pixels);
            free(image);
            image = nullptr;
            report_changed_file();
        }
        view_being_read = nullptr;
        UnmapViewOfFile(view);
    }
    if (mapping != nullptr)
        CloseHandle(mapping);
    if (file != INVALID_HANDLE_VALUE)
        CloseHandle(file);
    if (view == nullptr)
        show_open_failure(path != nullptr ? path : "");
    return image;
}
