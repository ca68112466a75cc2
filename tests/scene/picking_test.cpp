// Left-click picking on a real Mesa context: each object's box, the texts
// behind the names, and what a pick pass does to the angles and projection.
#include <cstring>
#include <string>
#include <vector>

#include "platform/platform_internal.h"
#include "scene/picking.h"
#include "scene_view.h"

namespace {

using Picking = SceneFixture<640, 480>;
// Wider than the backdrop reaches: about 1.36 to 1 is where it stops.
using WidePicking = SceneFixture<1000, 480>;

void ExpectOneBoxSaying(const char *text, const char *where)
{
    const auto &boxes = FakeMessageBoxes();
    ASSERT_EQ(boxes.size(), 1u) << where << ": expected exactly one box";
    EXPECT_EQ(boxes[0].text, text) << where << ": expected \"" << Cp949ToUtf8(text)
                                   << "\", got \"" << Cp949ToUtf8(boxes[0].text.c_str()) << "\"";
    EXPECT_EQ(boxes[0].caption, "Selection") << where;
    EXPECT_EQ(boxes[0].type, MB_OK) << where << ": one OK button, no icon";
    EXPECT_EQ(boxes[0].owner, kSceneWindow) << where << ": owned by the scene window";
}

TEST_F(Picking, ClickOnEachSphereNamesItsTeam)
{
    // At the start and well into the animation, each spot taken just before.
    for (int round = 0; round < 2; ++round) {
        for (GLuint name : {101u, 102u, 104u, 105u}) {
            FakeReset();
            PickAt((int)std::lround(SphereSpot(name).x), (int)std::lround(SphereSpot(name).y));
            std::string where = "round " + std::to_string(round) + ", sphere " + std::to_string(name);
            ExpectOneBoxSaying(PickText(name), where.c_str());
        }
        for (int pass = 0; pass < 53; ++pass)
            DrawScene();
    }
}

// The title, in front of the backdrop, is found drawn flat green.
TEST_F(Picking, ClickOnTheTitleShowsTeamTarsel)
{
    lighting_on = texturing_on = false;
    DrawScene();
    ResetAnglesAndFlags();
    std::vector<unsigned char> pixels = gl_->Pixels();
    size_t i = 0;  // the first green pixel of the top half
    while (i < 640 * 240 && !(pixels[4 * i] == 0 && pixels[4 * i + 1] == 255 && pixels[4 * i + 2] == 0))
        ++i;
    ASSERT_LT(i, 640u * 240) << "no title drawn; were the glyph lists built?";
    int x = (int)(i % 640), y = (int)(i / 640);
    PickAt(x, y);
    std::string where = "title pixel (" + std::to_string(x) + ", " + std::to_string(y) + ")";
    ExpectOneBoxSaying("Team Tarsel", where.c_str());
}

TEST_F(Picking, ClickOnTheBackdropShowsTheStandingsAdvancesEveryAngleAndRestoresTheProjection)
{
    for (int pass = 0; pass < 10; ++pass)
        DrawScene();
    GLdouble before[16], after[16];
    glGetDoublev(GL_PROJECTION_MATRIX, before);
    auto angles = [] {
        return std::vector<float>{title_spin, center_spin, togo_orbit, france_orbit,
                                  swiss_orbit, togo_spin, france_spin, swiss_spin};
    };
    const std::vector<float> angles_before = angles(), steps = {5, 5, 2, 2, 2, 3, 3, 3};

    PickAt(40, 440);
    ExpectOneBoxSaying(PickText(103), "lower left corner");
    for (size_t i = 0; i < steps.size(); ++i)
        EXPECT_EQ(angles_before[i] + steps[i], angles()[i]) << "angle " << i << " after the pick pass";
    glGetDoublev(GL_PROJECTION_MATRIX, after);
    EXPECT_EQ(std::memcmp(before, after, sizeof before), 0) << "the screen projection is back";
    GLint mode = 0, render_mode = 0;
    glGetIntegerv(GL_MATRIX_MODE, &mode);
    glGetIntegerv(GL_RENDER_MODE, &render_mode);
    EXPECT_EQ(mode, GL_MODELVIEW);
    EXPECT_EQ(render_mode, GL_RENDER);
}

// A resize while the box is open: its projection stays after the click.
TEST_F(Picking, ResizeWhileTheBoxIsOpenKeepsTheNewProjection)
{
    GLdouble resized[16], after[16];
    ResizeScene(800, 480);
    glGetDoublev(GL_PROJECTION_MATRIX, resized);
    ResizeScene(640, 480);
    FakeOnMessageBox([](const RecordedMessageBox &) {
        SceneWindowProc(window_handle, WM_SIZE, 0, MAKELPARAM(800, 480));
    });
    PickAt(40, 440);
    ASSERT_EQ(FakeMessageBoxes().size(), 1u);
    glGetDoublev(GL_PROJECTION_MATRIX, after);
    EXPECT_EQ(std::memcmp(resized, after, sizeof after), 0)
        << "projection after the box: the 800x480 one, not the 640x480 one saved by the pick";
}

TEST_F(WidePicking, EdgeStripsShowNoBoxButStillAdvanceTheScene)
{
    for (auto xy : {std::make_pair(20, 240), std::make_pair(980, 240), std::make_pair(20, 20)}) {
        float before = center_spin;
        PickAt(xy.first, xy.second);
        EXPECT_TRUE(FakeMessageBoxes().empty())
            << "click at (" << xy.first << ", " << xy.second << ") beside the backdrop";
        EXPECT_EQ(center_spin, before + 5.0f) << "a miss costs a pass all the same";
    }
    PickAt(250, 400);
    ExpectOneBoxSaying(PickText(103), "inside the backdrop of a wide view");
}

// The records come in drawing order, not by depth: the first one decides.
TEST(ReportPick, FirstRecordDecidesWhateverItsDepth)
{
    FakeReset();
    window_handle = kSceneWindow;
    const GLuint title_behind_sphere[] = {1, 0xF0000000u, 0xF0000000u, 100,
                                          1, 0x10000000u, 0x10000000u, 104};
    ReportPick(title_behind_sphere);
    ExpectOneBoxSaying("Team Tarsel", "title record first");

    for (GLuint stray : {0u, 99u, 106u, 0xFFFFFFFFu}) {
        FakeReset();
        const GLuint record[] = {1, 0, 0, stray};
        ReportPick(record);
        ExpectOneBoxSaying("What?", ("name " + std::to_string(stray)).c_str());
    }
}

// Stored as code page 949, read as the same UTF-8 by iconv and our decoder.
TEST(PickText, Cp949BytesAndTheirUtf8FormAgree)
{
    const size_t cp949_bytes[] = {11, 34, 30, 40, 31, 32};
    for (GLuint name = 100; name <= 105; ++name) {
        const char *stored = PickText(name);
        EXPECT_EQ(std::strlen(stored), cp949_bytes[name - 100]) << "name " << name;
        EXPECT_EQ(Cp949ToUtf8(stored), PickTextUtf8(name)) << "name " << name << ", with iconv";
        EXPECT_EQ(Cp949HangulToUtf8(stored), PickTextUtf8(name))
            << "name " << name << ", without iconv";
    }
    EXPECT_STREQ(PickText(100), "Team Tarsel");
    EXPECT_STREQ(PickTextUtf8(106), "What?");
}

}  // namespace
