// bmpgen OUTDIR: draws the five pictures of the scene and writes them into
// OUTDIR at build time: the flags of Korea, Togo, France and Switzerland at
// their true proportions, and a football pitch as the backdrop. Edges are
// smoothed by supersampling. Each file is stored in a different encoding the
// loader reads, so every start of the program runs it over all of them:
//   KOREA.bmp   24 bits, file header and 40-byte header
//   TOGO.bmp    8-bit run-length (RLE8)
//   BACK.bmp    8 bits indexing a 256-colour table
//   FRANCE.bmp  4-bit run-length (RLE4)
//   SWIS.bmp    1 bit, 12-byte core header
// Sizes are powers of two. A flag that is not 2:1 sits in the middle of its
// 2:1 picture at its own proportions, between grey bands that become the
// back of its ball.
#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

#include "tools/bmp_bytes.h"

namespace {

struct Rgb {
    double r, g, b;
};

Rgb hex(uint32_t v)
{
    return {double(v >> 16 & 0xFF), double(v >> 8 & 0xFF), double(v & 0xFF)};
}

const Rgb kBandGrey = hex(0x6E6E6E);

const Rgb kKoreaRed = hex(0xCD2E3A);
const Rgb kKoreaBlue = hex(0x0047A0);
const Rgb kWhite = hex(0xFFFFFF);
const Rgb kBlack = hex(0x000000);

const Rgb kTogoGreen = hex(0x006A4E);
const Rgb kTogoYellow = hex(0xFFCE00);
const Rgb kTogoRed = hex(0xD21034);

const Rgb kFranceBlue = hex(0x0055A4);
const Rgb kFranceRed = hex(0xEF4135);

const Rgb kSwissRed = hex(0xDA291C);

const Rgb kGrassLight = hex(0x4C9A3F);
const Rgb kGrassDark = hex(0x3B8532);
const Rgb kSurround = hex(0x2E6B28);
const Rgb kLine = hex(0xF4F4F0);
const Rgb kNet = hex(0xB8BCC0);

const double kPi = 3.14159265358979323846;

enum Picture { kKorea, kTogo, kBack, kFrance, kSwiss };

// ---- Korea: white field, the red-and-blue taegeuk, four black trigrams.
// Flag units: height 1, width 1.5, origin at the centre, y up.

struct Vec {
    double x, y;
};

double dot(Vec a, Vec b) { return a.x * b.x + a.y * b.y; }

double length(Vec a) { return std::sqrt(dot(a, a)); }

Vec unit(Vec a)
{
    double l = length(a);
    return {a.x / l, a.y / l};
}

// Trigram bars counted from the one nearest the taegeuk: true = unbroken.
bool trigram_bar_unbroken(int trigram, int bar)
{
    switch (trigram) {
    case 0:  // geon, heaven, upper left: three unbroken bars
        return true;
    case 1:  // gam, water, upper right: broken, unbroken, broken
        return bar == 1;
    case 2:  // gon, earth, lower right: three broken bars
        return false;
    default:  // ri, fire, lower left: unbroken, broken, unbroken
        return bar != 1;
    }
}

Rgb korea_at(double x, double y)
{
    const double diameter = 0.5;
    const double radius = diameter / 2;
    Vec p = {x, y};
    // The taegeuk lies along the diagonal from the upper-left corner (geon)
    // to the lower-right (gon); red above it, blue below, each swelling
    // into the other's half on its own side.
    Vec axis = unit({-0.75, 0.5});
    Vec up = {-axis.y, axis.x};
    if (dot(up, {0, 1}) < 0)
        up = {axis.y, -axis.x};
    if (length(p) <= radius) {
        Vec red_centre = {axis.x * radius / 2, axis.y * radius / 2};
        Vec blue_centre = {-red_centre.x, -red_centre.y};
        if (length({p.x - red_centre.x, p.y - red_centre.y}) <= radius / 2)
            return kKoreaRed;
        if (length({p.x - blue_centre.x, p.y - blue_centre.y}) <= radius / 2)
            return kKoreaBlue;
        return dot(p, up) >= 0 ? kKoreaRed : kKoreaBlue;
    }
    // Trigrams: bars across the diagonals, the first a quarter diameter out
    // from the circle; bars diameter/12 thick, diameter/24 apart, half a
    // diameter long, broken by a gap of diameter/24.
    const Vec corners[4] = {{-0.75, 0.5}, {0.75, 0.5}, {0.75, -0.5}, {-0.75, -0.5}};
    const double bar = diameter / 12;
    const double space = diameter / 24;
    const double start = radius + diameter / 4;
    for (int t = 0; t < 4; ++t) {
        Vec along = unit(corners[t]);
        Vec across = {-along.y, along.x};
        double a = dot(p, along) - start;
        double c = dot(p, across);
        if (a < 0 || a > 3 * bar + 2 * space || std::fabs(c) > diameter / 4)
            continue;
        int index = static_cast<int>(a / (bar + space));
        double within = a - index * (bar + space);
        if (index > 2 || within > bar)
            continue;  // in a space between bars
        if (!trigram_bar_unbroken(t, index) && std::fabs(c) < space / 2)
            continue;  // in the gap of a broken bar
        return kBlack;
    }
    return kWhite;
}

// ---- Togo: five stripes green and yellow, a red square canton over the
// top three with a white five-pointed star. Height 1, width the golden
// ratio, origin at the bottom-left, y up.

const double kGolden = 1.6180339887498949;

bool inside_star(Vec p, Vec centre, double outer)
{
    const double inner = outer * 0.38196601125010515;  // regular pentagram
    Vec points[10];
    for (int i = 0; i < 10; ++i) {
        double angle = kPi / 2 + i * kPi / 5;
        double r = i % 2 == 0 ? outer : inner;
        points[i] = {centre.x + r * std::cos(angle), centre.y + r * std::sin(angle)};
    }
    bool inside = false;
    for (int i = 0, j = 9; i < 10; j = i++) {
        if ((points[i].y > p.y) != (points[j].y > p.y)) {
            double x = points[j].x + (p.y - points[j].y) * (points[i].x - points[j].x) /
                                         (points[i].y - points[j].y);
            if (p.x < x)
                inside = !inside;
        }
    }
    return inside;
}

Rgb togo_at(double x, double y)
{
    const double stripe = 1.0 / 5;
    const double canton = 3 * stripe;
    if (x < canton && y > 1 - canton) {
        Vec centre = {canton / 2, 1 - canton / 2};
        return inside_star({x, y}, centre, canton * 0.32) ? kWhite : kTogoRed;
    }
    int from_top = static_cast<int>((1 - y) / stripe);
    return from_top % 2 == 0 ? kTogoGreen : kTogoYellow;
}

// ---- France: blue, white and red vertical thirds. Height 1, width 1.5.

Rgb france_at(double x, double)
{
    return x < 0.5 ? kFranceBlue : x < 1.0 ? kWhite : kFranceRed;
}

// ---- Switzerland: a square red field with a white cross whose arms are a
// sixth longer than wide; on a 32-unit square the arms are 6 wide and 7
// long, the cross 20 across. Units 0..32, origin bottom-left.

Rgb swiss_at(double x, double y)
{
    auto in = [](double v, double lo, double hi) { return v >= lo && v < hi; };
    bool vertical = in(x, 13, 19) && in(y, 6, 26);
    bool horizontal = in(y, 13, 19) && in(x, 6, 26);
    return vertical || horizontal ? kWhite : kSwissRed;
}

// ---- The backdrop: a pitch of 105 by 68 metres seen from above, mown in
// stripes, with its markings and goals, on a darker surround. Metres,
// origin at the centre spot, x along the pitch.

bool near_segment(Vec p, Vec a, Vec b, double half_width)
{
    Vec ab = {b.x - a.x, b.y - a.y};
    double t = dot({p.x - a.x, p.y - a.y}, ab) / dot(ab, ab);
    t = t < 0 ? 0 : t > 1 ? 1 : t;
    return length({p.x - a.x - t * ab.x, p.y - a.y - t * ab.y}) <= half_width;
}

bool near_rectangle(Vec p, double x0, double y0, double x1, double y1, double half_width)
{
    return near_segment(p, {x0, y0}, {x1, y0}, half_width) ||
           near_segment(p, {x1, y0}, {x1, y1}, half_width) ||
           near_segment(p, {x1, y1}, {x0, y1}, half_width) ||
           near_segment(p, {x0, y1}, {x0, y0}, half_width);
}

bool near_circle(Vec p, Vec centre, double radius, double half_width)
{
    return std::fabs(length({p.x - centre.x, p.y - centre.y}) - radius) <= half_width;
}

Rgb pitch_at(double x, double y)
{
    const double half_length = 52.5;
    const double half_width = 34.0;
    const double line = 0.16;  // half the width of a line, a little over true
                               // so the markings hold up when the picture is
                               // shrunk onto the screen
    Vec p = {x, y};
    bool on_pitch = std::fabs(x) <= half_length + 1.5 && std::fabs(y) <= half_width + 1.5;

    // Goals behind each goal line: 7.32 m between the posts, 2 m deep.
    for (int side = -1; side <= 1; side += 2) {
        double gx = side * half_length;
        double back = gx + side * 2.0;
        double lo = std::fmin(gx, back), hi = std::fmax(gx, back);
        if (x >= lo && x <= hi && std::fabs(y) <= 3.66 + line) {
            if (near_rectangle(p, gx, -3.66, back, 3.66, line * 1.4))
                return kLine;
            // The net as a fine mesh.
            double u = std::fmod(std::fabs(x) * 4, 1.0), v = std::fmod(std::fabs(y) * 4, 1.0);
            return u < 0.25 || v < 0.25 ? kNet : kSurround;
        }
    }

    bool marked = false;
    // Touchlines and goal lines, halfway line, centre circle and spot.
    marked |= near_rectangle(p, -half_length, -half_width, half_length, half_width, line);
    marked |= near_segment(p, {0, -half_width}, {0, half_width}, line);
    marked |= near_circle(p, {0, 0}, 9.15, line);
    marked |= length(p) <= 0.35;
    for (int side = -1; side <= 1; side += 2) {
        double gx = side * half_length;
        // Penalty area, goal area, penalty spot and the arc outside the area.
        marked |= near_rectangle(p, gx, -20.16, gx - side * 16.5, 20.16, line);
        marked |= near_rectangle(p, gx, -9.16, gx - side * 5.5, 9.16, line);
        Vec spot = {gx - side * 11.0, 0};
        marked |= length({x - spot.x, y - spot.y}) <= 0.3;
        if (side * (x - (gx - side * 16.5)) < 0)
            marked |= near_circle(p, spot, 9.15, line);
        // Corner arcs of one metre.
        for (int corner = -1; corner <= 1; corner += 2) {
            Vec c = {gx, corner * half_width};
            if (side * (x - gx) <= 0 && corner * (y - c.y) <= 0)
                marked |= near_circle(p, c, 1.0, line);
        }
    }
    if (marked)
        return kLine;
    if (!on_pitch)
        return kSurround;
    // Mowing stripes across the pitch, fourteen along its length.
    int stripe = static_cast<int>(std::floor((x + half_length + 1.5) / 7.7));
    return stripe % 2 == 0 ? kGrassLight : kGrassDark;
}

// ---- Rendering.

// The colour of the picture at a point given in pixels from its bottom-left
// corner; flags that are not 2:1 are centred between grey bands.
Rgb picture_at(Picture picture, int width, int height, double px, double py)
{
    switch (picture) {
    case kKorea:
    case kTogo:
    case kFrance: {
        double aspect = picture == kTogo ? kGolden : 1.5;
        double flag_width = height * aspect;
        double left = (width - flag_width) / 2;
        double x = (px - left) / height;
        double y = py / height;
        if (x < 0 || x >= aspect)
            return kBandGrey;
        if (picture == kKorea)
            return korea_at(x - 0.75, y - 0.5);
        return picture == kTogo ? togo_at(x, y) : france_at(x, y);
    }
    case kSwiss:
        return swiss_at(px / width * 32, py / height * 32);
    case kBack: {
        // 76 m from top to bottom keeps the whole pitch with 4 m of
        // surround above and below it in view; metres are square.
        double scale = 76.0 / height;
        return pitch_at((px - width / 2.0) * scale, (py - height / 2.0) * scale);
    }
    }
    return kBlack;
}

RgbPicture render(Picture picture, int width, int height, int samples)
{
    RgbPicture out = SolidPicture(width, height, 0);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            Rgb sum = {0, 0, 0};
            for (int sy = 0; sy < samples; ++sy) {
                for (int sx = 0; sx < samples; ++sx) {
                    Rgb c = picture_at(picture, width, height, x + (sx + 0.5) / samples,
                                       y + (sy + 0.5) / samples);
                    sum.r += c.r;
                    sum.g += c.g;
                    sum.b += c.b;
                }
            }
            double n = samples * samples;
            auto level = [n](double v) { return static_cast<uint32_t>(std::lround(v / n)); };
            SetPixel(&out, x, y, level(sum.r) << 16 | level(sum.g) << 8 | level(sum.b));
        }
    }
    return out;
}

// A colour table for a picture drawn from a few base colours: the bases and
// 15 steps between every pair of them, which is what smoothed edges are made
// of. Returns 0xRRGGBB entries.
std::vector<uint32_t> blend_palette(const std::vector<Rgb> &bases, int steps)
{
    std::vector<uint32_t> palette;
    auto pack = [](Rgb c) {
        return static_cast<uint32_t>(std::lround(c.r)) << 16 |
               static_cast<uint32_t>(std::lround(c.g)) << 8 |
               static_cast<uint32_t>(std::lround(c.b));
    };
    for (const Rgb &b : bases)
        palette.push_back(pack(b));
    for (size_t i = 0; i < bases.size(); ++i) {
        for (size_t j = i + 1; j < bases.size(); ++j) {
            for (int s = 1; s < steps; ++s) {
                double t = double(s) / steps;
                palette.push_back(pack({bases[i].r + (bases[j].r - bases[i].r) * t,
                                        bases[i].g + (bases[j].g - bases[i].g) * t,
                                        bases[i].b + (bases[j].b - bases[i].b) * t}));
            }
        }
    }
    return palette;
}

// Index of the nearest table entry for every pixel, bottom row first.
std::vector<uint32_t> map_to_palette(const RgbPicture &picture,
                                     const std::vector<uint32_t> &palette)
{
    std::vector<uint32_t> indices;
    indices.reserve(static_cast<size_t>(picture.width) * picture.height);
    uint32_t last_colour = 0xFFFFFFFFu, last_index = 0;
    for (int y = 0; y < picture.height; ++y) {
        for (int x = 0; x < picture.width; ++x) {
            uint32_t c = PixelOf(picture, x, y);
            if (c != last_colour) {
                long best = -1;
                for (size_t i = 0; i < palette.size(); ++i) {
                    long dr = long(c >> 16 & 0xFF) - long(palette[i] >> 16 & 0xFF);
                    long dg = long(c >> 8 & 0xFF) - long(palette[i] >> 8 & 0xFF);
                    long db = long(c & 0xFF) - long(palette[i] & 0xFF);
                    long d = dr * dr + dg * dg + db * db;
                    if (best < 0 || d < best) {
                        best = d;
                        last_index = static_cast<uint32_t>(i);
                    }
                }
                last_colour = c;
            }
            indices.push_back(last_index);
        }
    }
    return indices;
}

bool write_picture(const std::string &dir, const char *name, const Bytes &bytes)
{
    std::string path = dir + "/" + name;
    if (!WriteBytes(path, bytes)) {
        fprintf(stderr, "bmpgen: cannot write %s\n", path.c_str());
        return false;
    }
    return true;
}

bool write_korea(const std::string &dir)
{
    return write_picture(dir, "KOREA.bmp", Bmp24(render(kKorea, 256, 128, 4)));
}

bool write_togo(const std::string &dir)
{
    RgbPicture picture = render(kTogo, 256, 128, 4);
    BmpFields f;
    f.width = picture.width;
    f.height = picture.height;
    f.bit_count = 8;
    f.compression = 1;  // BI_RLE8
    f.palette = blend_palette({kTogoGreen, kTogoYellow, kTogoRed, kWhite, kBandGrey}, 16);
    f.clr_used = static_cast<uint32_t>(f.palette.size());
    f.bits = EncodeRle8(f.width, f.height, map_to_palette(picture, f.palette));
    return write_picture(dir, "TOGO.bmp", BuildBmp(f));
}

bool write_back(const std::string &dir)
{
    RgbPicture picture = render(kBack, 1024, 512, 3);
    BmpFields f;
    f.width = picture.width;
    f.height = picture.height;
    f.bit_count = 8;
    f.palette = blend_palette({kGrassLight, kGrassDark, kSurround, kLine, kNet}, 16);
    f.palette.resize(256, 0);
    f.bits = PackRows(f.width, f.height, 8, map_to_palette(picture, f.palette));
    return write_picture(dir, "BACK.bmp", BuildBmp(f));
}

bool write_france(const std::string &dir)
{
    RgbPicture picture = render(kFrance, 256, 128, 4);
    BmpFields f;
    f.width = picture.width;
    f.height = picture.height;
    f.bit_count = 4;
    f.compression = 2;  // BI_RLE4
    // The thirds fall on whole pixels: four colours are all there is.
    f.palette = blend_palette({kFranceBlue, kWhite, kFranceRed, kBandGrey}, 1);
    f.clr_used = static_cast<uint32_t>(f.palette.size());
    f.bits = EncodeRle4(f.width, f.height, map_to_palette(picture, f.palette));
    return write_picture(dir, "FRANCE.bmp", BuildBmp(f));
}

bool write_swiss(const std::string &dir)
{
    RgbPicture picture = render(kSwiss, 256, 256, 1);
    BmpFields f;
    f.header_size = 12;
    f.width = picture.width;
    f.height = picture.height;
    f.bit_count = 1;
    f.palette = blend_palette({kSwissRed, kWhite}, 1);
    f.bits = PackRows(f.width, f.height, 1, map_to_palette(picture, f.palette));
    return write_picture(dir, "SWIS.bmp", BuildBmp(f));
}

}  // namespace

int main(int argc, char **argv)
{
    if (argc != 2) {
        fprintf(stderr, "usage: bmpgen OUTDIR\n");
        return 2;
    }
    std::string dir = argv[1];
    bool ok = write_korea(dir) && write_togo(dir) && write_back(dir) &&
              write_france(dir) && write_swiss(dir);
    return ok ? 0 : 1;
}
