// The animation steps of the scene pass: each angle's cycle, the three orbits
// keeping their spacing, the right-button nudge and the title's wrap.
#include <cmath>

#include "scene_view.h"

namespace {

// A small view: these tests read angles, not pixels.
using Animation = SceneFixture<80, 60>;

// Each angle before each pass: its start plus a step per pass, round a full
// turn and never 360; the title kept in [0, 360), where adding 5 is not lost.
TEST_F(Animation, EachAngleStepsRoundAFullTurn)
{
    const struct {
        const char *name;
        float *angle;
        float start, step;
    } angles[] = {{"Korea spin", &center_spin, 0, 5},   {"title", &title_spin, 0, 5},
                  {"Togo orbit", &togo_orbit, 0, 2},    {"France orbit", &france_orbit, 120, 2},
                  {"Swiss orbit", &swiss_orbit, 240, 2}, {"Togo spin", &togo_spin, 0, 3},
                  {"France spin", &france_spin, 0, 3},  {"Swiss spin", &swiss_spin, 0, 3}};
    for (int pass = 0; pass <= 180; ++pass) {
        for (const auto &a : angles)
            ASSERT_EQ(*a.angle, std::fmod(a.start + a.step * pass, 360.0f))
                << a.name << " before pass " << pass;
        DrawScene();
    }
    title_spin = 357.5f;
    DrawScene();
    EXPECT_EQ(title_spin, 2.5f) << "a title angle off the 5-degree grid wraps the same way";
}

TEST_F(Animation, RightButtonNudgeAtThe358MarkIsDrawnThenResets)
{
    for (int pass = 0; pass < 179; ++pass)
        DrawScene();
    ASSERT_EQ(togo_orbit, 358.0f);
    SceneWindowProc(window_handle, WM_RBUTTONDOWN, 0, 0);
    EXPECT_EQ(togo_orbit, 361.0f) << "the nudge itself never wraps";
    EXPECT_EQ(france_orbit, 121.0f);
    EXPECT_EQ(swiss_orbit, 241.0f);
    DrawScene();
    EXPECT_EQ(togo_orbit, 0.0f) << "363 is past 359.95";
    EXPECT_EQ(france_orbit, 123.0f);
    EXPECT_EQ(swiss_orbit, 243.0f);
}

TEST_F(Animation, OddOrbitsAfterANudgeClimbTo359ThenReset)
{
    SceneWindowProc(window_handle, WM_RBUTTONDOWN, 0, 0);
    ASSERT_EQ(togo_orbit, 3.0f);
    for (int pass = 0; pass < 178; ++pass)
        DrawScene();
    EXPECT_EQ(togo_orbit, 359.0f) << "359 is under 359.95, so it is drawn";
    DrawScene();
    EXPECT_EQ(togo_orbit, 0.0f) << "361 is reset";
    // France and Switzerland went past 360 earlier, at 361 as well.
    EXPECT_EQ(france_orbit, 120.0f);
    EXPECT_EQ(swiss_orbit, 240.0f);
}

}  // namespace
