// Reading the scene from a screenshot of its 640x480 client area: where its
// spheres and title are, from the program's own constants and projection, and
// which pixels show which object, by the colours the scene gives them: the
// backdrop, lit from behind, is dark; the title is pure green; Togo's sphere
// has no blue; sphere fronts facing the light are bright.
#pragma once

#include <string>
#include <vector>

#include "screenshot.h"

namespace e2e {

constexpr int kClientWidth = 640;
constexpr int kClientHeight = 480;
// The tumbling title can reach down to here; a click below it cannot hit it.
constexpr double kBelowTitle = 165;

// A place on the client area with the on-screen radius of a sphere there.
struct Spot {
    double x = 0, y = 0, radius = 0;
};
Spot OrbitSpot(double orbit);  // an orbiting sphere at `orbit` degrees
Spot KoreaSpot();              // the sphere at the centre
// Where the orbiting spheres start relative to Togo: 0, France, Switzerland.
double OrbitOffset(int sphere);

bool IsTitleGreen(Rgb c);
bool IsPlainGrey(Rgb c);    // an object's plain colour under light, no picture
bool IsGreenTinted(Rgb c);  // the backdrop's hue, which nothing else around it has

// A corner of the backdrop that no object reaches.
const Rect kBackdropCorner{10, 440, 30, 30};

// Counts of each class over a grid of points (every third pixel) of a disc.
struct DiscCounts {
    int n = 0, bright = 0, togo = 0, plain = 0, red = 0, stripe = 0, dark = 0;
    int coloured = 0;  // of a clear hue: its channels more than 40 apart
    double Share(int count) const { return n > 0 ? double(count) / n : 0.0; }
};
DiscCounts CountDisc(const Image &image, double x, double y, double radius);
// The share of 48 points on a circle that are dark.
double DarkRingShare(const Image &image, double x, double y, double radius);

// The Togo sphere's orbit angle that best explains the picture: its three
// sphere places (while no nudge has carried an angle past 360) bright inside,
// dark just outside, and Togo's blue-less colours at the first. `found` is
// false, with the reasons in `why`, when no angle explains it.
struct OrbitFit {
    bool found = false;
    double phase = 0;
    std::string why;
};
OrbitFit FindOrbit(const Image &image);

// The share of the left, right and bottom edges' pixels that are green-tinted
// (the tumbling title can reach the top).
double BackdropBorderShare(const Image &image);

// A point of the title in `frozen`, green there with all its neighbours and
// in at least two thirds of `earlier`: near the axis the title tumbles about,
// it stays on the title for the few frames a program may draw before it reads
// a click. Of equals, the nearest that axis wins. False if there is none.
bool StableTitlePoint(const std::vector<Image> &earlier, const Image &frozen, int *x, int *y);

}  // namespace e2e
