// What a person sees once the show has started, and what F2 to F5 do to it.
#include <cmath>

#include "driver/journey.h"

namespace e2e {
namespace {

using SceneJourney = Journey;

// The Korea sphere's inner disc.
DiscCounts korea_disc(const Image &f)
{
    Spot k = KoreaSpot();
    return CountDisc(f, k.x, k.y, 0.6 * k.radius);
}

// The backdrop over the whole client area, the Korea sphere at the centre,
// the three others on their orbit wearing their flags, the green title above.
TEST_F(SceneJourney, StartShowsBackdropSpheresAndTitle)
{
    Window scene = StartShow();
    Image f = Look(scene, "start");
    Thaw();

    double edge = BackdropBorderShare(f);
    EXPECT_GE(edge, 0.99) << "backdrop at the client area's edges: expected on every edge "
                          << "pixel, seen on a share of " << edge;

    Spot korea = KoreaSpot();
    DiscCounts inner = korea_disc(f);
    double around = DarkRingShare(f, korea.x, korea.y, 1.2 * korea.radius);
    EXPECT_TRUE(inner.Share(inner.bright) >= 0.7 && around >= 0.6)
        << "Korea sphere at the centre: expected a lit sphere (share >= 0.7) with backdrop "
           "around it (>= 0.6), got "
        << inner.Share(inner.bright) << " and " << around;

    OrbitFit orbit = FindOrbit(f);
    ASSERT_TRUE(orbit.found) << "the three orbiting spheres are not where the orbit puts them: "
                             << orbit.why;

    // Flags, not plain colours: Togo's stripes or red corner, not its plain yellow.
    Spot togo = OrbitSpot(orbit.phase), swiss = OrbitSpot(orbit.phase + OrbitOffset(2));
    DiscCounts t = CountDisc(f, togo.x, togo.y, 0.85 * togo.radius);
    DiscCounts s = CountDisc(f, swiss.x, swiss.y, 0.85 * swiss.radius);
    double flag = t.Share(t.togo - t.plain + t.stripe);
    EXPECT_TRUE(flag >= 0.1 && s.Share(s.red) >= 0.3)
        << "textured spheres: expected Togo's flag colours (share >= 0.1) and Switzerland's "
           "red (>= 0.3), got "
        << flag << " and " << s.Share(s.red);

    // The title: pure green pixels above the spheres (Togo's stripes left out).
    long n = 0;
    double sum_x = 0, sum_y = 0;
    for (int y = 0; y < f.height; ++y)
        for (int x = 0; x < f.width; ++x)
            if (IsTitleGreen(f.At(x, y)) &&
                std::hypot(x - togo.x, y - togo.y) > 1.2 * togo.radius) {
                ++n;
                sum_x += x;
                sum_y += y;
            }
    double mean_x = n ? sum_x / n : 0, mean_y = n ? sum_y / n : 0;
    EXPECT_TRUE(n >= 300 && mean_x >= 220 && mean_x <= 420 && mean_y <= 170)
        << "green title above the spheres: expected >= 300 green pixels centred near x 320 "
           "above y 170, got "
        << n << " around (" << mean_x << ", " << mean_y << ")";

    EndWithEscape(scene);
}

// Each of F2 to F5 changes the picture, and the same key again brings it
// back: F2 lighting (the backdrop, lit from behind, is dark with it), F3
// textures (a grey backdrop, Korea without its flag), F4 wire-frame spheres,
// F5 outlines (the backdrop's edges lie off screen: the clear colour's black).
using SceneJourneyInSessions = SessionJourney;

TEST_P(SceneJourneyInSessions, FunctionKeysToggleAndRestore)
{
    Window scene = StartShow();
    Image base = Look(scene, "base");
    Thaw();
    Rgb c0 = MeanColour(base, kBackdropCorner);
    ASSERT_TRUE(c0.g >= c0.r + 5 && c0.g >= c0.b + 5 && c0.g >= 10)
        << "backdrop corner at start: expected dark green, got " << ToString(c0);
    DiscCounts k0 = korea_disc(base);

    // The key acts after the frame that follows it; two more frames show it.
    auto toggle = [&](KeySym key, const std::string &name) {
        Press(scene, key);
        WaitFrames(scene, 2);
        Image f = Look(scene, name);
        Thaw();
        return f;
    };
    auto expect_back = [&](KeySym key) {
        Rgb c = MeanColour(toggle(key, std::string(XKeysymToString(key)) + "-off"), kBackdropCorner);
        EXPECT_EQ(c, c0) << XKeysymToString(key) << " pressed again: expected the backdrop "
                         << "corner back at " << ToString(c0) << ", got " << ToString(c);
    };

    Rgb c = MeanColour(toggle(XK_F2, "F2-on"), kBackdropCorner);
    EXPECT_GE(c.g, 3 * c0.g) << "F2: expected the unlit backdrop at least 3 times brighter "
                             << "than " << ToString(c0) << ", got " << ToString(c);
    expect_back(XK_F2);

    Image f = toggle(XK_F3, "F3-on");
    c = MeanColour(f, kBackdropCorner);
    EXPECT_TRUE(IsPlainGrey(c)) << "F3: expected the untextured backdrop grey, got " << ToString(c);
    EXPECT_EQ(korea_disc(f).coloured, 0)
        << "F3: expected the untextured Korea sphere without hue";
    expect_back(XK_F3);

    DiscCounts k = korea_disc(toggle(XK_F4, "F4-on"));
    EXPECT_TRUE(k.Share(k.dark) >= 0.4 && k.Share(k.dark) >= k0.Share(k0.dark) + 0.25)
        << "F4: expected backdrop between the Korea sphere's lines (dark share >= 0.4, at "
        << "start " << k0.Share(k0.dark) << "), got " << k.Share(k.dark);
    k = korea_disc(toggle(XK_F4, "F4-off"));
    EXPECT_LE(k.Share(k.dark), 0.3) << "F4 pressed again: expected a solid Korea sphere, got a "
                                    << "dark share of " << k.Share(k.dark);

    c = MeanColour(toggle(XK_F5, "F5-on"), kBackdropCorner);
    EXPECT_EQ(c, Rgb{}) << "F5: expected the backdrop reduced to its outline (black corner), "
                        << "got " << ToString(c);
    expect_back(XK_F5);

    EndWithEscape(scene);
}

INSTANTIATE_IN_SESSIONS(SceneJourneyInSessions, EVERY_SESSION);

}  // namespace
}  // namespace e2e
