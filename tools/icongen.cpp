// icongen PICTURE OUTDIR SIZE...: draws the program's icon at build time, the
// Korea team sphere as the show presents it, wrapped in PICTURE (the Korea
// flag the picture generator drew) and lit from the upper left, and writes
// OUTDIR/group-g-SIZE.png for each SIZE in pixels; icongen --ico PICTURE
// FILE SIZE... writes every SIZE into one Windows icon file instead. The
// picture is read with the program's own loader; the sphere is ray-cast in
// software, so the build needs no GL context. Edges are smoothed by
// supersampling into the alpha channel. Exit status 0 when all was written.
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "assets/bmp_loader.h"
#include "tools/ico_writer.h"
#include "tools/png_writer.h"

namespace {

const double kPi = 3.14159265358979323846;
const int kSamples = 4;  // per pixel side

// Sphere and light, in a frame with x to the right, y up and z towards the
// viewer. The sphere is turned so its top leans back a little, which shows
// the flag's middle slightly below the centre, as on a ball seen from above.
const double kTilt = 10.0 * kPi / 180.0;
const double kMargin = 0.06;  // share of the icon left clear around the ball

struct Colour {
    double r, g, b;
};

// The picture's colour at (u, v), both 0 to 1 from the bottom left,
// interpolated between its four nearest pixels; u wraps round the ball.
Colour sample(const RgbImage *picture, double u, double v)
{
    double x = u * picture->width - 0.5, y = v * picture->height - 0.5;
    double fx = std::floor(x), fy = std::floor(y);
    double ax = x - fx, ay = y - fy;
    Colour out = {0, 0, 0};
    for (int dy = 0; dy <= 1; dy++) {
        for (int dx = 0; dx <= 1; dx++) {
            int px = (static_cast<int>(fx) + dx) % picture->width;
            if (px < 0)
                px += picture->width;
            int py = static_cast<int>(fy) + dy;
            py = py < 0 ? 0 : py >= picture->height ? picture->height - 1 : py;
            const unsigned char *p =
                picture->pixels + (static_cast<size_t>(py) * picture->width + px) * 3;
            double w = (dx ? ax : 1 - ax) * (dy ? ay : 1 - ay);
            out.r += w * p[0];
            out.g += w * p[1];
            out.b += w * p[2];
        }
    }
    return out;
}

// The lit colour of the ball where the ray through (x, y), both -1 to 1,
// meets it; false when it misses.
bool shade(const RgbImage *picture, double x, double y, Colour *out)
{
    double rr = x * x + y * y;
    if (rr > 1.0)
        return false;
    double z = std::sqrt(1.0 - rr);

    // The point on the unturned ball: longitude from its front, latitude up.
    double ty = y * std::cos(kTilt) + z * std::sin(kTilt);
    double tz = z * std::cos(kTilt) - y * std::sin(kTilt);
    double u = 0.5 + std::atan2(x, tz) / (2 * kPi);
    double v = 0.5 + std::asin(ty < -1 ? -1 : ty > 1 ? 1 : ty) / kPi;
    Colour texel = sample(picture, u, v);

    // Diffuse and ambient light, and a soft white highlight.
    const double lx = -0.45, ly = 0.6, lz = 0.66;
    double diffuse = std::fmax(0.0, x * lx + y * ly + z * lz);
    double hx = lx, hy = ly, hz = lz + 1.0;
    double hl = std::sqrt(hx * hx + hy * hy + hz * hz);
    double specular = std::pow(std::fmax(0.0, (x * hx + y * hy + z * hz) / hl), 40.0);
    double light = 0.32 + 0.78 * diffuse;
    out->r = texel.r * light + 150 * specular;
    out->g = texel.g * light + 150 * specular;
    out->b = texel.b * light + 150 * specular;
    return true;
}

unsigned char to_byte(double value)
{
    return static_cast<unsigned char>(value <= 0 ? 0 : value >= 255 ? 255 : value + 0.5);
}

// RGBA rows, top row first. Colours are averaged over the samples that hit
// the ball, and the share of samples that hit becomes the alpha.
std::vector<unsigned char> draw_icon(const RgbImage *picture, int size)
{
    std::vector<unsigned char> rgba(static_cast<size_t>(size) * size * 4, 0);
    double radius = size * (0.5 - kMargin);
    for (int row = 0; row < size; row++) {
        for (int column = 0; column < size; column++) {
            Colour sum = {0, 0, 0};
            int hits = 0;
            for (int sy = 0; sy < kSamples; sy++) {
                for (int sx = 0; sx < kSamples; sx++) {
                    double px = column + (sx + 0.5) / kSamples - size / 2.0;
                    double py = size / 2.0 - (row + (sy + 0.5) / kSamples);
                    Colour c;
                    if (shade(picture, px / radius, py / radius, &c)) {
                        sum.r += c.r;
                        sum.g += c.g;
                        sum.b += c.b;
                        hits++;
                    }
                }
            }
            if (hits == 0)
                continue;
            unsigned char *p = &rgba[(static_cast<size_t>(row) * size + column) * 4];
            p[0] = to_byte(sum.r / hits);
            p[1] = to_byte(sum.g / hits);
            p[2] = to_byte(sum.b / hits);
            p[3] = to_byte(255.0 * hits / (kSamples * kSamples));
        }
    }
    return rgba;
}

}  // namespace

int main(int argc, char **argv)
{
    bool ico = argc > 1 && std::string(argv[1]) == "--ico";
    if (ico) {
        argv++;
        argc--;
    }
    if (argc < 4) {
        fprintf(stderr, "usage: icongen PICTURE OUTDIR SIZE...\n"
                        "       icongen --ico PICTURE FILE.ico SIZE...\n");
        return 2;
    }
    int largest = ico ? 256 : 1024;
    for (int i = 3; i < argc; i++) {
        int size = atoi(argv[i]);
        if (size < 16 || size > largest) {
            fprintf(stderr, "icongen: size %s is not between 16 and %d\n", argv[i], largest);
            return 2;
        }
    }
    RgbImage *picture = LoadBmpImage(argv[1]);
    if (picture == nullptr)
        return 1;
    int status = 0;
    std::vector<IcoPicture> pictures;
    for (int i = 3; i < argc; i++) {
        int size = atoi(argv[i]);
        std::vector<unsigned char> rgba = draw_icon(picture, size);
        if (ico) {
            pictures.push_back({size, rgba});
            continue;
        }
        std::string path = std::string(argv[2]) + "/group-g-" + argv[i] + ".png";
        if (!WriteRgbaPng(path, size, size, rgba.data())) {
            fprintf(stderr, "icongen: cannot write %s\n", path.c_str());
            status = 1;
        }
    }
    if (ico && !WriteIco(argv[2], pictures)) {
        fprintf(stderr, "icongen: cannot write %s\n", argv[2]);
        status = 1;
    }
    free(picture->pixels);
    free(picture);
    return status;
}
