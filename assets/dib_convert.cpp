// The DIB conversion: every pixel encoding of the 40-byte and 12-byte header
// forms, decoded straight into RGB rows (see dib_convert.h). Relies on the
// caller for the output buffer's size; checks every read of the bits against
// their length itself. Knows nothing of files, headers in the file or
// messages.
#include "assets/dib_convert.h"

#include <cstdarg>
#include <cstdio>
#include <cstring>

#if defined(__BYTE_ORDER__) && __BYTE_ORDER__ != __ORDER_LITTLE_ENDIAN__
#error "pixels are moved as little-endian words"
#endif

namespace {

// Rows and sizes are computed in 64 bits, whatever size the caller chose to
// allocate, and compared against what is really there.
typedef uint64_t Size64;

// A colour table resolved to RGB triples; 256 entries so any 8-bit index is
// in range, the ones past the file's table black. `packed` holds the same
// triples as little-endian words (red in the low byte) so a pixel can be
// written with one 4-byte store whose fourth byte the next pixel overwrites.
struct Palette {
    uint8_t rgb[256][3];
    uint32_t packed[256];
};

// One colour channel of a masked 16- or 32-bit pixel.
struct Channel {
    uint32_t mask;
    int shift;
    uint32_t max;       // the channel's largest value, mask >> shift
    uint8_t table[256]; // widened values when max < 256
};

struct Geometry {
    uint32_t width;
    uint32_t rows;       // abs(biHeight)
    bool top_down;
    size_t out_stride;   // 3 * width
};

// Writes why the bits were refused, when the caller asked, and gives the
// 0 rows of a refusal.
int refuse(char *why, const char *format, ...) __attribute__((format(printf, 2, 3)));
int refuse(char *why, const char *format, ...)
{
    if (why != nullptr) {
        va_list arguments;
        va_start(arguments, format);
        vsnprintf(why, DIB_REASON_BYTES, format, arguments);
        va_end(arguments);
    }
    return 0;
}

void build_palette(const DibColor *colors, uint32_t color_count, Palette *palette)
{
    memset(palette, 0, sizeof(*palette));
    uint32_t used = color_count < 256 ? color_count : 256;
    for (uint32_t i = 0; i < used; ++i) {
        palette->rgb[i][0] = colors[i].red;
        palette->rgb[i][1] = colors[i].green;
        palette->rgb[i][2] = colors[i].blue;
        palette->packed[i] = static_cast<uint32_t>(colors[i].red) |
                             static_cast<uint32_t>(colors[i].green) << 8 |
                             static_cast<uint32_t>(colors[i].blue) << 16;
    }
}

// Stores the low three bytes of `rgb` at out[0..2] and, on little-endian
// hosts, garbage at out[3]; only for pixels that are not the last of a row.
inline void store_4(uint8_t *out, uint32_t rgb)
{
    memcpy(out, &rgb, 4);
}

int count_trailing_zeros(uint32_t value)
{
    int n = 0;
    while ((value & 1u) == 0) {
        value >>= 1;
        ++n;
    }
    return n;
}

// Scales a channel value of 0..max to 0..255, rounding to nearest, so that a
// full 5-bit value becomes 255 and not 248 as a plain shift would give.
uint8_t widen(uint32_t value, uint32_t max)
{
    return static_cast<uint8_t>((static_cast<Size64>(value) * 255u + max / 2) / max);
}

// Accepts a non-empty run of ones that fits in bits_per_pixel bits.
bool prepare_channel(uint32_t mask, int bits_per_pixel, Channel *channel)
{
    if (mask == 0)
        return false;
    if (bits_per_pixel == 16 && (mask >> 16) != 0)
        return false;
    int shift = count_trailing_zeros(mask);
    uint32_t max = mask >> shift;
    if ((max & (max + 1u)) != 0)
        return false;  // not contiguous
    channel->mask = mask;
    channel->shift = shift;
    channel->max = max;
    if (max < 256) {
        for (uint32_t v = 0; v <= max; ++v)
            channel->table[v] = widen(v, max);
    }
    return true;
}

inline uint8_t channel_value(const Channel &channel, uint32_t pixel)
{
    uint32_t v = (pixel & channel.mask) >> channel.shift;
    return channel.max < 256 ? channel.table[v] : widen(v, channel.max);
}

// The output row that stored row `stored` lands in: rows go out bottom first.
inline uint8_t *output_row(uint8_t *rgb, const Geometry &g, uint32_t stored)
{
    uint32_t row = g.top_down ? g.rows - 1 - stored : stored;
    return rgb + static_cast<size_t>(row) * g.out_stride;
}

void convert_indexed_row(const uint8_t *in, uint8_t *out, uint32_t width,
                         int bits, const Palette &palette)
{
    if (bits == 8) {
        // Every pixel but the last of the row is written 4 bytes wide.
        uint32_t x = 0;
        for (; x + 1 < width; ++x) {
            store_4(out, palette.packed[in[x]]);
            out += 3;
        }
        const uint8_t *c = palette.rgb[in[x]];
        out[0] = c[0];
        out[1] = c[1];
        out[2] = c[2];
        return;
    }
    int per_byte = 8 / bits;
    uint32_t index_mask = (1u << bits) - 1u;
    for (uint32_t x = 0; x < width; ++x) {
        // The leftmost pixel sits in the most significant bits.
        int slot = static_cast<int>(x % per_byte);
        uint32_t index = (in[x / per_byte] >> (8 - bits * (slot + 1))) & index_mask;
        const uint8_t *c = palette.rgb[index];
        out[0] = c[0];
        out[1] = c[1];
        out[2] = c[2];
        out += 3;
    }
}

void convert_bgr_row(const uint8_t *in, uint8_t *out, uint32_t width)
{
    // All but the last pixel: one 4-byte load (blue, green, red and a byte
    // of the next pixel), byte order reversed to red, green, blue, one
    // 4-byte store. The last pixel may end the input, so it goes bytewise.
    uint32_t x = 0;
    for (; x + 1 < width; ++x) {
        uint32_t bgr;
        memcpy(&bgr, in, 4);
        store_4(out, __builtin_bswap32(bgr) >> 8);
        in += 3;
        out += 3;
    }
    for (; x < width; ++x) {
        out[0] = in[2];
        out[1] = in[1];
        out[2] = in[0];
        in += 3;
        out += 3;
    }
}

void convert_bgrx_row(const uint8_t *in, uint8_t *out, uint32_t width)
{
    for (uint32_t x = 0; x < width; ++x) {
        out[0] = in[2];
        out[1] = in[1];
        out[2] = in[0];
        in += 4;
        out += 3;
    }
}

void convert_masked_row(const uint8_t *in, uint8_t *out, uint32_t width, int bits,
                        const Channel *channels)
{
    for (uint32_t x = 0; x < width; ++x) {
        uint32_t pixel;
        if (bits == 16) {
            pixel = static_cast<uint32_t>(in[0]) | static_cast<uint32_t>(in[1]) << 8;
            in += 2;
        } else {
            pixel = static_cast<uint32_t>(in[0]) | static_cast<uint32_t>(in[1]) << 8 |
                    static_cast<uint32_t>(in[2]) << 16 | static_cast<uint32_t>(in[3]) << 24;
            in += 4;
        }
        out[0] = channel_value(channels[0], pixel);
        out[1] = channel_value(channels[1], pixel);
        out[2] = channel_value(channels[2], pixel);
        out += 3;
    }
}

// Uncompressed rows, each padded to a multiple of 4 bytes in the file. The
// last row's padding may be missing; its pixels may not.
int convert_uncompressed(const DibInfoHeader *header, const Geometry &g,
                         const DibColor *colors, uint32_t color_count,
                         const uint32_t *masks, DibBits bits, uint8_t *rgb, char *why)
{
    int depth = header->biBitCount;
    Palette palette;
    Channel channels[3];
    bool masked = false;
    bool plain_bgrx = false;
    switch (depth) {
    case 1:
    case 4:
    case 8:
    case 24:
        if (header->biCompression != BI_RGB)
            return refuse(why, "bit fields need 16 or 32 bits, not %d", depth);
        if (depth <= 8)
            build_palette(colors, color_count, &palette);
        break;
    case 16:
    case 32: {
        static const uint32_t kDefault16[3] = {0x7C00u, 0x03E0u, 0x001Fu};
        static const uint32_t kDefault32[3] = {0x00FF0000u, 0x0000FF00u, 0x000000FFu};
        const uint32_t *use;
        if (header->biCompression == BI_RGB)
            use = depth == 16 ? kDefault16 : kDefault32;
        else if (masks != nullptr)
            use = masks;
        else
            return refuse(why, "the bit-field masks are missing");
        if (depth == 32 && use[0] == kDefault32[0] && use[1] == kDefault32[1] &&
            use[2] == kDefault32[2]) {
            plain_bgrx = true;
            break;
        }
        for (int c = 0; c < 3; ++c)
            if (!prepare_channel(use[c], depth, &channels[c]))
                return refuse(why, "colour mask %08X is empty, broken or wider than %d bits",
                              use[c], depth);
        masked = true;
        break;
    }
    default:
        return refuse(why, "bit count %d is not one of 1, 4, 8, 16, 24 and 32", depth);
    }

    Size64 row_bits = static_cast<Size64>(g.width) * static_cast<Size64>(depth);
    Size64 row_bytes = (row_bits + 7) / 8;
    Size64 stride = (row_bits + 31) / 32 * 4;
    Size64 needed = stride * (g.rows - 1) + row_bytes;
    if (bits.data == nullptr || needed > bits.size)
        return refuse(why, "the pixel bits need %llu bytes, the file holds %zu",
                      static_cast<unsigned long long>(needed),
                      bits.data != nullptr ? bits.size : 0);

    for (uint32_t stored = 0; stored < g.rows; ++stored) {
        const uint8_t *in = bits.data + static_cast<size_t>(stride) * stored;
        uint8_t *out = output_row(rgb, g, stored);
        if (depth <= 8)
            convert_indexed_row(in, out, g.width, depth, palette);
        else if (depth == 24)
            convert_bgr_row(in, out, g.width);
        else if (plain_bgrx)
            convert_bgrx_row(in, out, g.width);
        else if (masked)
            convert_masked_row(in, out, g.width, depth, channels);
    }
    return static_cast<int>(g.rows);
}

// Writes `count` pixels of one run from column x of an output row, cutting
// what lies past the row's end. `index_at(i)` gives the i-th index.
template <typename IndexAt>
void put_run(uint8_t *row, uint32_t width, uint32_t x, uint32_t count,
             const Palette &palette, IndexAt index_at)
{
    if (x >= width)
        return;
    uint32_t visible = count < width - x ? count : width - x;
    uint8_t *out = row + static_cast<size_t>(x) * 3;
    for (uint32_t i = 0; i < visible; ++i) {
        const uint8_t *c = palette.rgb[index_at(i)];
        out[0] = c[0];
        out[1] = c[1];
        out[2] = c[2];
        out += 3;
    }
}

// BI_RLE8 (depth 8) and BI_RLE4 (depth 4): pairs of (count, value) runs and
// escapes (0,0) end of line, (0,1) end of bitmap, (0,2,dx,dy) delta, and
// (0,n) absolute runs of n pixels padded to an even number of bytes. Runs
// past the right edge are cut; a stream that ends, or is cut off, before
// the end of bitmap or its last line is rejected.
int convert_rle(const Geometry &g, int depth, const DibColor *colors,
                uint32_t color_count, DibBits bits, uint8_t *rgb, char *why)
{
    static const char kCutShort[] = "the run-length bits end before the picture does";
    if (g.top_down)
        return refuse(why, "run-length pictures are stored bottom-up only");
    if (bits.data == nullptr)
        return refuse(why, "%s", kCutShort);
    Palette palette;
    build_palette(colors, color_count, &palette);
    // Skipped pixels are black, as in a freshly made 24-bit image.
    memset(rgb, 0, g.out_stride * g.rows);

    const uint8_t *data = bits.data;
    size_t size = bits.size;
    size_t at = 0;
    uint32_t x = 0;
    uint32_t y = 0;
    while (y < g.rows) {
        if (size - at < 2)
            return refuse(why, "%s", kCutShort);
        uint32_t count = data[at];
        uint32_t value = data[at + 1];
        at += 2;
        uint8_t *row = rgb + static_cast<size_t>(y) * g.out_stride;
        if (count > 0) {
            if (depth == 8) {
                put_run(row, g.width, x, count, palette, [value](uint32_t) { return value; });
            } else {
                uint32_t hi = value >> 4;
                uint32_t lo = value & 0x0Fu;
                put_run(row, g.width, x, count, palette,
                        [hi, lo](uint32_t i) { return (i & 1u) ? lo : hi; });
            }
            x = x + count < x ? UINT32_MAX : x + count;
            continue;
        }
        switch (value) {
        case 0:  // end of line
            x = 0;
            ++y;
            break;
        case 1:  // end of bitmap
            return static_cast<int>(g.rows);
        case 2: {  // delta: move right dx and up dy
            if (size - at < 2)
                return refuse(why, "%s", kCutShort);
            uint32_t dx = data[at];
            uint32_t dy = data[at + 1];
            at += 2;
            x = x + dx < x ? UINT32_MAX : x + dx;
            y += dy;
            break;
        }
        default: {  // absolute run of `value` pixels
            uint32_t n = value;
            size_t used = depth == 8 ? n : (n + 1) / 2;
            size_t padded = used + (used & 1u);
            if (size - at < padded)
                return refuse(why, "%s", kCutShort);
            const uint8_t *run = data + at;
            if (depth == 8) {
                put_run(row, g.width, x, n, palette, [run](uint32_t i) { return run[i]; });
            } else {
                put_run(row, g.width, x, n, palette, [run](uint32_t i) {
                    return (i & 1u) ? (run[i / 2] & 0x0Fu) : (run[i / 2] >> 4);
                });
            }
            at += padded;
            x = x + n < x ? UINT32_MAX : x + n;
            break;
        }
        }
    }
    return static_cast<int>(g.rows);
}

}  // namespace

int ConvertDibToRgb(const DibInfoHeader *header, const DibColor *colors,
                    uint32_t color_count, const uint32_t *masks, DibBits bits,
                    uint8_t *rgb, char *why)
{
    if (header == nullptr || rgb == nullptr || header->biWidth <= 0 ||
        header->biHeight == 0 || header->biHeight == INT32_MIN)
        return refuse(why, "no header, no output, or no width or height");
    if (colors == nullptr)
        color_count = 0;
    Geometry g;
    g.width = static_cast<uint32_t>(header->biWidth);
    g.top_down = header->biHeight < 0;
    g.rows = static_cast<uint32_t>(g.top_down ? -header->biHeight : header->biHeight);
    Size64 out_stride = static_cast<Size64>(g.width) * 3;
    if (out_stride * g.rows > SIZE_MAX || g.rows > INT32_MAX)
        return refuse(why, "the picture is too large for this machine");
    g.out_stride = static_cast<size_t>(out_stride);

    switch (header->biCompression) {
    case BI_RGB:
    case BI_BITFIELDS:
        return convert_uncompressed(header, g, colors, color_count, masks, bits, rgb, why);
    case BI_RLE8:
        if (header->biBitCount != 8)
            return refuse(why, "BI_RLE8 needs 8 bits, not %u", header->biBitCount);
        return convert_rle(g, 8, colors, color_count, bits, rgb, why);
    case BI_RLE4:
        if (header->biBitCount != 4)
            return refuse(why, "BI_RLE4 needs 4 bits, not %u", header->biBitCount);
        return convert_rle(g, 4, colors, color_count, bits, rgb, why);
    default:
        return refuse(why, "compression %u is not one the loader decodes", header->biCompression);
    }
}
