// The animation steps of the scene pass: each angle's cycle, the three orbits
// keeping their spacing, the right-button nudge and the title's wrap.
#include <cmath>

#include "scene_view.h"

namespace {

// A small view: these tests read angles, not pixels.
using Animation = SceneFixture<80, 60>;

// The angle drawn by a pass is the value it finds; the step comes after.
TEST_F(Animation, KoreaSpinCyclesInSeventyTwoPassesWithout360)
{
    for (int pass = 0; pass < 72; ++pass) {
        ASSERT_EQ(center_spin, 5.0f * pass) << "before pass " << pass;
        DrawScene();
    }
    EXPECT_EQ(center_spin, 0.0f) << "the pass that reaches 360 stores 0";
}

TEST_F(Animation, OrbitsTurnInOneEightyPassesAThirdOfATurnApart)
{
    for (int pass = 0; pass <= 180; ++pass) {
        ASSERT_EQ(togo_orbit, (float)(2 * pass % 360)) << "before pass " << pass;
        ASSERT_EQ(std::fmod(france_orbit - togo_orbit + 360.0f, 360.0f), 120.0f)
            << "France ahead of Togo before pass " << pass;
        ASSERT_EQ(std::fmod(swiss_orbit - france_orbit + 360.0f, 360.0f), 120.0f)
            << "Switzerland ahead of France before pass " << pass;
        DrawScene();
    }
}

TEST_F(Animation, OrbitingSpinsCycleInOneTwentyPasses)
{
    for (int pass = 0; pass <= 120; ++pass) {
        float expected = (float)(3 * pass % 360);
        ASSERT_EQ(togo_spin, expected) << "before pass " << pass;
        ASSERT_EQ(france_spin, expected) << "before pass " << pass;
        ASSERT_EQ(swiss_spin, expected) << "before pass " << pass;
        DrawScene();
    }
}

// Kept in [0, 360) so it never reaches the size where adding 5 is lost to
// rounding; the title looks the same either way.
TEST_F(Animation, TitleSpinWrapsAtAFullTurnInsteadOfGrowing)
{
    for (int pass = 0; pass <= 80; ++pass) {
        ASSERT_EQ(title_spin, (float)(5 * pass % 360)) << "before pass " << pass;
        DrawScene();
    }
    title_spin = 357.5f;
    DrawScene();
    EXPECT_EQ(title_spin, 2.5f) << "a value off the 5-degree grid wraps the same way";
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
