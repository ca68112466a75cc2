// Reading the scene from a screenshot of its 640x480 client area: where the
// scene puts its spheres and title, computed from the program's own
// constants and projection, and which pixels show which object, judged by
// the colours the scene gives them: the backdrop, lit from behind, is dark;
// the title is pure green; Togo's sphere has no blue; sphere fronts facing
// the light are bright.
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

// The centre and radius of an orbiting sphere at `orbit` degrees.
Spot OrbitSpot(double orbit);
// The Korea sphere, at the centre.
Spot KoreaSpot();
// Where the orbiting spheres start relative to Togo: 0, France, Switzerland.
double OrbitOffset(int sphere);

bool IsDark(Rgb c);         // the backdrop as lit from behind
bool IsBright(Rgb c);       // a sphere's lit front
bool IsTogo(Rgb c);         // no blue: Togo's colours
bool IsPlainYellow(Rgb c);  // Togo's own colour without its picture
bool IsRed(Rgb c);
bool IsGreenStripe(Rgb c);  // pure green, as Togo's stripes (and the title)
bool IsTitleGreen(Rgb c);
bool IsPlainGrey(Rgb c);    // an object's plain colour under light, no picture

// A corner of the backdrop that no object reaches.
const Rect kBackdropCorner{10, 440, 30, 30};

// Counts of each class over a grid of points (every third pixel) of a disc.
struct DiscCounts {
    int n = 0, bright = 0, togo = 0, plain = 0, red = 0, stripe = 0, dark = 0;
    double Share(int count) const { return n > 0 ? double(count) / n : 0.0; }
};
DiscCounts CountDisc(const Image &image, double x, double y, double radius);
// The share of 48 points on a circle that are dark.
double DarkRingShare(const Image &image, double x, double y, double radius);

// The orbit angle of the Togo sphere that best explains the picture: its
// three sphere places (Togo, France, Switzerland while no nudge has carried
// an angle past 360) show sphere colours inside, the dark backdrop just
// outside, and Togo's blue-less colours at the first. `found` is false,
// with the reasons in `why`, when no angle explains the picture.
struct OrbitFit {
    bool found = false;
    double phase = 0;
    std::string why;
};
OrbitFit FindOrbit(const Image &image);

// The share of pixels along the left, right and bottom edges that show the
// backdrop's green (the top is left out: the tumbling title can reach it).
double BackdropBorderShare(const Image &image);

// A point of the title in `frozen` that is title green there with all its
// neighbours, and was green in at least two thirds of `earlier`: it lies
// near the axis the title tumbles about and stays on the title for the few
// frames a program may draw before it reads a click. Of equals, the one
// nearest that axis on the screen wins. False if there is none.
bool StableTitlePoint(const std::vector<Image> &earlier, const Image &frozen, int *x, int *y);

}  // namespace e2e
