// The scene's geometry and colours on screen; see scene_probe.h.
#include "scene_probe.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "scene/draw_scene.h"
#include "scene/render_setup.h"

namespace e2e {
namespace {

constexpr double kPi = 3.14159265358979323846;

struct Vec {
    double x, y, z;
};

double radians(double degrees) { return degrees * kPi / 180.0; }

// A turn by `degrees` about `axis`, right-handed, as glRotate turns.
Vec rotate(Vec v, Vec axis, double degrees)
{
    double length = std::sqrt(axis.x * axis.x + axis.y * axis.y + axis.z * axis.z);
    Vec u{axis.x / length, axis.y / length, axis.z / length};
    double c = std::cos(radians(degrees)), s = std::sin(radians(degrees));
    double dot = u.x * v.x + u.y * v.y + u.z * v.z;
    Vec cross{u.y * v.z - u.z * v.y, u.z * v.x - u.x * v.z, u.x * v.y - u.y * v.x};
    return Vec{v.x * c + cross.x * s + u.x * dot * (1 - c),
               v.y * c + cross.y * s + u.y * dot * (1 - c),
               v.z * c + cross.z * s + u.z * dot * (1 - c)};
}

// The scene turns its title and its spheres' frame about this axis.
const Vec kTurnAxis{1, 1, 0};

// A point in eye space on the client area, through the program's
// perspective (the same scale both ways, whatever the aspect).
Spot project(Vec eye, double world_radius)
{
    double f = (kClientHeight / 2.0) / std::tan(radians(kFieldOfView / 2.0));
    double depth = -eye.z;
    return Spot{kClientWidth / 2.0 + f * eye.x / depth, kClientHeight / 2.0 - f * eye.y / depth,
                f * world_radius / depth};
}

int max_channel(Rgb c) { return std::max(c.r, std::max(c.g, c.b)); }
bool is_dark(Rgb c) { return max_channel(c) <= 60; }  // the backdrop as lit from behind
bool is_bright(Rgb c) { return max_channel(c) >= 70; }  // a sphere's lit front
bool is_togo(Rgb c) { return c.b <= 3 && c.r >= 30; }
bool is_plain_yellow(Rgb c) { return is_togo(c) && std::abs(c.r - c.g) <= 0.06 * c.r + 3; }
bool is_red(Rgb c) { return c.r >= 60 && c.r > 2 * c.g && c.r > 2 * c.b; }
bool is_green_stripe(Rgb c) { return c.r <= 3 && c.b <= 3 && c.g >= 40; }

bool sample(const Image &image, double x, double y, Rgb *c)
{
    int px = static_cast<int>(std::floor(x)), py = static_cast<int>(std::floor(y));
    if (!image.Contains(px, py))
        return false;
    *c = image.At(px, py);
    return true;
}

double orbit_score(const Image &image, double phase)
{
    double score = 0;
    for (int k = 0; k < 3; ++k) {
        Spot s = OrbitSpot(phase + OrbitOffset(k));
        DiscCounts d = CountDisc(image, s.x, s.y, 0.85 * s.radius);
        double togo = d.Share(d.togo);
        score += d.Share(d.bright) + DarkRingShare(image, s.x, s.y, 1.2 * s.radius) +
                 (k == 0 ? togo : -togo);
    }
    return score;
}

}  // namespace

Spot OrbitSpot(double orbit)
{
    Vec v{kStartOrbitRadius * std::cos(radians(orbit)), 0,
          -kStartOrbitRadius * std::sin(radians(orbit))};
    v = rotate(v, kTurnAxis, kTiltAngle);
    v.z -= kSceneDistance;
    return project(v, kSphereRadius);
}

Spot KoreaSpot() { return project(Vec{0, 0, -kSceneDistance}, kSphereRadius); }

double OrbitOffset(int sphere)
{
    const double offsets[3] = {0, kFranceStartOrbit, kSwissStartOrbit};
    return offsets[sphere];
}

bool IsTitleGreen(Rgb c) { return c.r <= 3 && c.b <= 3 && c.g >= 15; }
bool IsPlainGrey(Rgb c)
{
    return std::abs(c.r - c.g) <= 3 && std::abs(c.g - c.b) <= 3 && c.g >= 20;
}
bool IsGreenTinted(Rgb c) { return c.g >= c.r + 5 && c.g >= c.b + 5; }

DiscCounts CountDisc(const Image &image, double x, double y, double radius)
{
    DiscCounts d;
    for (double dy = -radius; dy <= radius; dy += 3)
        for (double dx = -radius; dx <= radius; dx += 3) {
            Rgb c;
            if (dx * dx + dy * dy > radius * radius || !sample(image, x + dx, y + dy, &c))
                continue;
            ++d.n;
            d.bright += is_bright(c);
            d.togo += is_togo(c);
            d.plain += is_plain_yellow(c);
            d.red += is_red(c);
            d.stripe += is_green_stripe(c);
            d.dark += is_dark(c);
            d.coloured += max_channel(c) - std::min(c.r, std::min(c.g, c.b)) > 40;
        }
    return d;
}

double DarkRingShare(const Image &image, double x, double y, double radius)
{
    int n = 0, dark = 0;
    for (int k = 0; k < 48; ++k) {
        Rgb c;
        if (!sample(image, x + radius * std::cos(radians(7.5 * k)),
                    y + radius * std::sin(radians(7.5 * k)), &c))
            continue;
        ++n;
        dark += is_dark(c);
    }
    return n > 0 ? double(dark) / n : 0.0;
}

OrbitFit FindOrbit(const Image &image)
{
    // The score changes slowly with the angle (4 degrees move a sphere by
    // less than half its radius): a coarse search, refined around its best.
    auto best_angle = [&](double from, double to, double step) {
        double best = -1e9, angle = from;
        for (double a = from; a <= to; a += step) {
            double score = orbit_score(image, a);
            if (score > best) {
                best = score;
                angle = a;
            }
        }
        return angle;
    };
    double coarse = best_angle(0, 356, 4);
    OrbitFit fit;
    fit.phase = std::fmod(best_angle(coarse - 3, coarse + 3, 0.5) + 360, 360);
    fit.found = true;
    fit.why = "best angle " + std::to_string(fit.phase) + ":";
    double togo = 0;
    for (int k = 0; k < 3; ++k) {
        Spot s = OrbitSpot(fit.phase + OrbitOffset(k));
        DiscCounts d = CountDisc(image, s.x, s.y, 0.6 * s.radius);
        fit.found = fit.found && d.Share(d.bright) >= 0.6 && (k == 0 || d.Share(d.togo) < togo);
        if (k == 0)
            togo = d.Share(d.togo);
        char line[128];
        snprintf(line, sizeof line, " sphere %d at (%.0f, %.0f): bright %.2f, togo %.2f;", k,
                 s.x, s.y, d.Share(d.bright), d.Share(d.togo));
        fit.why += line;
    }
    if (togo < 0.15)
        fit.found = false;
    return fit;
}

double BackdropBorderShare(const Image &image)
{
    int n = 2 * image.height + image.width, green = 0;
    for (int y = 0; y < image.height; ++y)
        green += IsGreenTinted(image.At(0, y)) + IsGreenTinted(image.At(image.width - 1, y));
    for (int x = 0; x < image.width; ++x)
        green += IsGreenTinted(image.At(x, image.height - 1));
    return n > 0 ? double(green) / n : 0.0;
}

bool StableTitlePoint(const std::vector<Image> &earlier, const Image &frozen, int *x, int *y)
{
    Spot pivot = project(Vec{0, kTitleLift, -kSceneDistance}, 0);
    Spot along = project(Vec{kTurnAxis.x, kTitleLift + kTurnAxis.y, -kSceneDistance}, 0);
    double ax = along.x - pivot.x, ay = along.y - pivot.y, length = std::hypot(ax, ay);
    auto green = [](const Image &image, int px, int py) {
        return image.Contains(px, py) && IsTitleGreen(image.At(px, py));
    };
    double best = -1;
    for (int py = 0; py < frozen.height; ++py)
        for (int px = 0; px < frozen.width; ++px) {
            int around = 0;
            for (int dy = -1; dy <= 1; ++dy)
                for (int dx = -1; dx <= 1; ++dx)
                    around += green(frozen, px + dx, py + dy);
            if (around < 9)
                continue;
            size_t seen = 0;
            for (const Image &e : earlier)
                seen += green(e, px, py);
            if (seen * 3 < earlier.size() * 2)
                continue;
            double off_axis = std::abs((px - pivot.x) * ay - (py - pivot.y) * ax) / length;
            double score = seen * 1000.0 - off_axis;
            if (score > best) {
                best = score;
                *x = px;
                *y = py;
            }
        }
    return best >= 0;
}

}  // namespace e2e
