// The keyboard focus mark over real Mesa frames: exactly its bands around
// each object in each mode, and no trace without a focus or in the next frame.
#include <algorithm>
#include <vector>

#include "scene/focus_mark.h"
#include "scene_view.h"

namespace {

using Pixels = std::vector<unsigned char>;

// The bands: two pixels each, black outside, white, black inside.
constexpr int kBand = 2;

class FocusMarkTest : public SceneFixture<640, 480> {
protected:
    // A frame from the angles the test set with `mark` over it, after a pass
    // that leaves the title's texture and the sphere style as a frame would.
    Pixels Frame(const FocusMark &mark)
    {
        DrawScene();
        ResetAngles();
        DrawScene();
        DrawFocusMark(mark);
        glFinish();
        return gl_->Pixels();
    }
    // Every object apart from the others, the orbiters below the title.
    static void ResetAngles()
    {
        title_spin = 40.0f;
        center_spin = 10.0f;
        togo_orbit = 30.0f;
        france_orbit = 150.0f;
        swiss_orbit = 270.0f;
        togo_spin = france_spin = swiss_spin = 0.0f;
    }
};

// What the mark should leave at window pixel (x, y), GL's y up: -1 for
// "as the frame had it", else the grey level of its band.
int Expected(const FocusMark &m, int x, int y)
{
    int depth = std::min(std::min(x - m.left, m.right - 1 - x),
                         std::min(y - m.bottom, m.top - 1 - y));
    if (depth < 0 || depth >= 3 * kBand)
        return -1;
    return depth / kBand == 1 ? 255 : 0;
}

struct MarkCase {
    const char *object;
    GLuint name;
};

class FocusMarkAround : public FocusMarkTest, public ::testing::WithParamInterface<MarkCase> {};

TEST_P(FocusMarkAround, BandsAroundTheObjectInEveryModeAndNothingElseChanged)
{
    const MarkCase &c = GetParam();
    struct Mode {
        const char *name;
        bool *flag;
    } modes[] = {{"default", nullptr}, {"no lighting (F2)", &lighting_on},
                 {"no textures (F3)", &texturing_on}, {"wire-frame spheres (F4)", &solid_spheres},
                 {"outlined polygons (F5)", &filled_polygons}};
    for (const Mode &mode : modes) {
        ResetAnglesAndFlags();
        if (mode.flag != nullptr)
            *mode.flag = false;
        Pixels plain = Frame(FocusMark{false, 0, 0, 0, 0});
        ResetAngles();
        FocusMark mark = PlaceFocusMark(c.name);
        Spot spot = c.name == kBackdropName ? Spot{320, 240, 0}
                    : c.name == kTitleName ? Spot{ProjectFrom(kTitleName, 2.0, 0.3, 0.0).x,
                                                  ProjectFrom(kTitleName, 2.0, 0.3, 0.0).y, 0}
                                           : SphereSpot(c.name);
        Pixels marked = Frame(mark);
        ASSERT_TRUE(mark.shown) << c.object << ", " << mode.name;

        int wrong = 0;
        for (int y = 0; y < 480 && wrong < 5; ++y) {
            for (int x = 0; x < 640 && wrong < 5; ++x) {
                size_t i = 4 * ((size_t)(479 - y) * 640 + x);
                int want = Expected(mark, x, y);
                if (want < 0 ? std::equal(&plain[i], &plain[i] + 3, &marked[i])
                             : marked[i] == want && marked[i + 1] == want && marked[i + 2] == want)
                    continue;
                ++wrong;
                ADD_FAILURE() << c.object << ", " << mode.name << ": pixel (" << x << ", " << y
                              << ") should be "
                              << (want < 0 ? "the frame's" : want ? "white" : "black") << ", is ("
                              << (int)marked[i] << ", " << (int)marked[i + 1] << ", "
                              << (int)marked[i + 2] << ")";
            }
        }
        // The object's middle (the title's: a point of its text) inside the
        // mark, a sphere whole; the backdrop's mark runs round the window.
        int gl_y = 480 - (int)spot.y;
        EXPECT_TRUE(spot.x - spot.radius > mark.left + 3 * kBand &&
                    spot.x + spot.radius < mark.right - 3 * kBand &&
                    gl_y - spot.radius > mark.bottom + 3 * kBand &&
                    gl_y + spot.radius < mark.top - 3 * kBand)
            << c.object << ", " << mode.name << ": the object at (" << spot.x << ", " << spot.y
            << ") radius " << spot.radius << " is not inside the mark " << mark.left << ".."
            << mark.right << " x " << mark.bottom << ".." << mark.top;
        EXPECT_TRUE(c.name != kBackdropName ||
                    (mark.left == 0 && mark.bottom == 0 && mark.right == 640 && mark.top == 480))
            << "the backdrop fills the window, and its mark runs round it";
    }
}

INSTANTIATE_TEST_SUITE_P(
    SixObjects, FocusMarkAround,
    ::testing::Values(MarkCase{"Title", kTitleName}, MarkCase{"Korea", kKoreaName},
                      MarkCase{"Togo", kTogoName}, MarkCase{"France", kFranceName},
                      MarkCase{"Switzerland", kSwissName}, MarkCase{"Backdrop", kBackdropName}),
    [](const ::testing::TestParamInfo<MarkCase> &info) { return std::string(info.param.object); });

// Without a focus no pixel changes; after a mark, the next pass draws as if
// there had been none (no colour, texture coordinate, enable or matrix left).
TEST_F(FocusMarkTest, NoFocusChangesNothingAndAMarkLeavesNoTraceInTheNextFrame)
{
    Pixels plain = Frame(FocusMark{false, 0, 0, 0, 0});
    ResetAngles();
    EXPECT_TRUE(plain == Frame(PlaceFocusMark(0))) << "no focus, yet the frame changed";

    ResetAngles();
    DrawScene();
    DrawScene();
    glFinish();
    Pixels second_plain = gl_->Pixels();
    DrawScene();
    ResetAngles();
    FocusMark mark = PlaceFocusMark(kTitleName);
    DrawScene();
    DrawFocusMark(mark);
    DrawScene();
    glFinish();
    EXPECT_TRUE(second_plain == gl_->Pixels()) << "the frame after a mark differs";
}

}  // namespace
