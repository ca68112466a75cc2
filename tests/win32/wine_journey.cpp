// What only the Windows build under Wine shows: its frames against the Linux
// build's on the same display, its boxes' texts read back (by box_text.exe in
// the same prefix) in a Wine whose code page is not 949, and the Hangul drawn
// in a Korean- and a German-locale Wine. The shared journeys (tests/e2e) run
// the rest against group_g.exe; GROUP_G_BIN here is the Linux build.
#include <algorithm>
#include <cmath>
#include <set>

#include "driver/journey.h"
#include "scene/draw_scene.h"

#include <X11/Xatom.h>

namespace e2e {
namespace {

const char kBox[] = "Selection";
// The orbit comes round every 180 frames (2 degrees a frame).
constexpr int kOrbitFrames = 180;

// The selection texts as the program means them, UTF-8 here.
const char kKoreaText[] = "대한민국\nFIFA 랭킹 : 29위\n1승(3점)";
const char kStandingsText[] = "순위\n1.대한민국\n2.프랑스\n2.스위스\n4.토고";
const char *const kOrbitTexts[3] = {"토고\nFIFA 랭킹 : 61위\n1패(0점)", "프랑스\nFIFA 랭킹 : 8위\n1무(1점)",
                                    "스위스\nFIFA 랭킹 : 35위\n1무(1점)"};

// The distinct glyph shapes of a box's first line: its ink cut at blank
// columns. Missing glyphs are all one empty box: a single shape.
size_t FirstLineShapes(const Image &box)
{
    auto ink = [&](int x, int y) {
        Rgb c = box.At(x, y);
        return c.r + c.g + c.b < 3 * 110;
    };
    int top = -1, bottom = -1;
    for (int y = 0; y < box.height && bottom < 0; ++y) {
        bool any = false;
        for (int x = 0; x < box.width && !any; ++x)
            any = ink(x, y);
        if (any && top < 0)
            top = y;
        if (!any && top >= 0)
            bottom = y;
    }
    if (top < 0 || bottom < 0)
        return 0;
    std::set<std::string> shapes;
    std::string piece;
    for (int x = 0; x < box.width; ++x) {
        std::string column;
        for (int y = top; y < bottom; ++y)
            column += ink(x, y) ? '#' : '.';
        if (column.find('#') != std::string::npos) {
            piece += column + "|";
        } else if (!piece.empty()) {
            shapes.insert(piece);
            piece.clear();
        }
    }
    return shapes.size();
}

// Shares of the Korea sphere's red and blue in the window's 32-pixel icon as
// Wine hands it on (the class's stock icon stands in for a missing big one).
void BigIconShares(const XSession &x, Window w, double *red, double *blue)
{
    std::vector<unsigned long> v = PropertyItems(x, w, "_NET_WM_ICON", XA_CARDINAL, 1 << 16);
    *red = *blue = 0;
    for (size_t i = 0; i + 2 <= v.size(); i += 2 + v[i] * v[i + 1]) {
        if (v[i] != 32 || v[i + 1] != 32 || i + 2 + 1024 > v.size())
            continue;
        for (size_t p = i + 2; p < i + 2 + 1024; ++p) {
            unsigned long a = v[p] >> 24 & 255, r = v[p] >> 16 & 255, g = v[p] >> 8 & 255,
                          b = v[p] & 255;
            *red += a > 128 && r > 150 && g < 90 && b < 90 ? 1.0 / 1024 : 0;
            *blue += a > 128 && b > 100 && r < 90 && g < 90 ? 1.0 / 1024 : 0;
        }
    }
}

class WineJourney : public Journey {
protected:
    // group_g.exe in a fresh run folder, in a Wine of the given locale.
    Window StartWindowsShow(const std::string &locale)
    {
        StartDisplay();
        PrepareRunFolder();
        locale_ = locale;
        ProcessOptions o = GroupGOptions("", run_dir_, x_.name(), artifacts_);
        o.env.push_back("LC_ALL=" + locale);
        std::string error;
        EXPECT_TRUE(program_.Start(o, &error)) << "could not start group_g.exe: " << error;
        return WaitForScene();
    }

    // box_text.exe's output for `arg`, in the program's prefix and locale.
    std::string BoxText(const std::string &arg)
    {
        ProcessOptions o;
        o.argv = {GROUP_G_WINE_RUN, GROUP_G_WINE_DIR, GROUP_G_BOX_TEXT, arg};
        o.env = {"DISPLAY=" + x_.name(), "LC_ALL=" + locale_};
        o.out_path = artifacts_ + "/box_text.out";
        o.err_path = artifacts_ + "/box_text.err";
        std::string out, error;
        RunToEnd(o, kAppear, &out, &error);
        if (!error.empty())
            JOURNEY_FAIL() << "box_text did not run: " << error;
        return out;
    }

    // Clicks at (x, y), reads the box that opens back from the box itself,
    // closes it with Return and waits for the scene to go on.
    void ExpectBoxText(Window scene, int x, int y, const std::string &expected,
                       const std::string &what)
    {
        Click(x_, scene, x, y, 1);
        if (frozen_)
            Thaw();
        Window box = WaitForBox(kBox, what + "-box");
        EXPECT_EQ(BoxText(kBox), expected) << what << ": the box's text should be the team text";
        AnswerBox(box, XK_Return, kBox);
        WaitFrames(scene, 2);
    }

    std::string locale_;
};

// The window (its frame at the screen's corner, as Windows places it; the
// Korea sphere as its big icon) and its first frame, against the Linux
// build's frame of the same moment on the same display. They differ only in
// the title's face (Windows' font mapper honours the Korean character set)
// and the spheres' facets (Wine's GLU cuts them a little differently).
TEST_F(WineJourney, FramesMatchTheLinuxBuild)
{
    Window scene = StartWindowsShow("C.UTF-8");
    Rect client = ClientRect(x_, scene);
    EXPECT_TRUE(client.width == 640 && client.height == 480 && client.x < 16 && client.y < 48)
        << "expected a 640x480 client area just inside a frame at the screen's corner, got "
        << ToString(client);
    double red, blue;
    BigIconShares(x_, scene, &red, &blue);
    EXPECT_TRUE(red > 0.04 && blue > 0.02) << "expected the program's icon as the big icon; "
                                           << red << " of it red, " << blue << " blue";
    Image windows = Look(scene, "windows-frame");
    EXPECT_GE(BackdropBorderShare(windows), 0.99) << "the backdrop should fill the client area";
    OrbitFit orbit = FindOrbit(windows);
    ASSERT_TRUE(orbit.found) << "the spheres are not where the orbit puts them: " << orbit.why;
    long title = 0;
    for (int y = 0; y < kBelowTitle; ++y)
        for (int x = 0; x < windows.width; ++x)
            title += IsTitleGreen(windows.At(x, y));
    EXPECT_GE(title, 200) << "the title's green should show above the spheres";
    Thaw();
    EndWithEscape(scene);

    StartProgram(GROUP_G_BIN);
    scene = WaitForScene();
    const long pixels = 640L * 480;
    const int target = static_cast<int>(std::lround(orbit.phase / kOrbitStep)) % kOrbitFrames;
    long best = pixels;
    int near_tries = 0;
    for (int round = 0; round < 300 && best > pixels / 20; ++round) {
        Image linux = Look(scene, "linux-frame");
        OrbitFit fit = FindOrbit(linux);
        int behind = 1;
        if (fit.found) {
            int at = static_cast<int>(std::lround(fit.phase / kOrbitStep)) % kOrbitFrames;
            behind = (target - at + kOrbitFrames) % kOrbitFrames;
        }
        if (behind <= 1 || behind >= kOrbitFrames - 1) {
            long n = DifferingPixels(windows, linux, 24);
            if (n < best) {
                best = n;
                Keep("linux-best", linux);
            }
            // The title turns every 72 frames: try the next few, then come round.
            behind = ++near_tries % 4 == 0 ? kOrbitFrames - 4 : 1;
        }
        Thaw();
        WaitFrames(scene, behind > 6 ? behind - 3 : 1);
    }
    Image linux = kept_["linux-best"];
    long exact = DifferingPixels(windows, linux);
    std::cout << "Windows frame against the Linux build's: " << (pixels - exact) << " of "
              << pixels << " pixels identical, " << (pixels - best) << " within 24 levels"
              << std::endl;
    RecordProperty("identical_pixels", static_cast<int>(pixels - exact));
    RecordProperty("pixels_within_24", static_cast<int>(pixels - best));
    EXPECT_LE(best, pixels / 20)
        << "expected the two builds' frames of the same moment to agree on 95% of the "
           "pixels; "
        << best << " of " << pixels << " differ by more than 24 levels (see windows-frame "
        << "and linux-best)";
    if (frozen_)
        Thaw();
    EndWithEscape(scene);
}

// Under code page 1252 every box shows the team's text, its code page 949
// bytes converted, not shown as they are; the title is picked by its glyphs.
TEST_F(WineJourney, BoxTextsReadBackAsUnicodeOutsideAKoreanLocale)
{
    Window scene = StartWindowsShow("C.UTF-8");
    ASSERT_NE(BoxText("--code-page"), "949") << "this check needs a code page other than 949";

    Spot korea = KoreaSpot();
    ExpectBoxText(scene, static_cast<int>(korea.x), static_cast<int>(korea.y), kKoreaText,
                  "korea");
    ExpectBoxText(scene, 20, 460, kStandingsText, "standings");
    for (int k = 0; k < 3; ++k) {
        Aim aim = FrozenAim(scene, {k}, 0, "aim");
        ExpectBoxText(scene, aim.x, aim.y, kOrbitTexts[k], "orbiter-" + std::to_string(k));
    }

    int tx = 0, ty = 0;
    ASSERT_TRUE(FreezeOnTitle(scene, &tx, &ty))
        << "no frozen frame showed the title where it had mostly been";
    ExpectBoxText(scene, tx, ty, "Team Tarsel", "title");
    EndWithEscape(scene);
}

// Tab, Tab and Return give Korea's box (nothing in the Windows build takes
// Tab for itself), and the Return that answers it opens no other.
TEST_F(WineJourney, TabAndReturnShowTheFocusedObjectsBox)
{
    Window scene = StartWindowsShow("C.UTF-8");
    Press(scene, XK_Tab);
    Press(scene, XK_Tab);
    ASSERT_TRUE(Tap(x_, scene, XK_Return));
    Window box = WaitForBox(kBox, "korea-key-box");
    EXPECT_EQ(BoxText(kBox), kKoreaText) << "the box of the object Tab reached should be Korea's";
    AnswerBox(box, XK_Return, kBox);
    WaitFrames(scene, 2 * kFramesToSeeAKey);
    EXPECT_EQ(None, FindWindow(x_, kBox)) << "the Return that answered the box opened another";
    EndWithEscape(scene);
}

// The box draws the Hangul: its first line of four syllables holds several
// glyph shapes, where missing glyphs would be one empty box four times. In
// Korean through Wine's font link; in German through the prefix's "Gulim"
// replacement, as docs/windows.md tells users.
class WineHangul : public WineJourney, public ::testing::WithParamInterface<const char *> {};

TEST_P(WineHangul, IsDrawnInTheBox)
{
    const std::string locale = GetParam();
    Window scene = StartWindowsShow(locale + ".UTF-8");
    ASSERT_EQ(BoxText("--code-page"), locale == "ko_KR" ? "949" : "1252")
        << "the " << locale << " locale did not take";
    Spot korea = KoreaSpot();
    Click(x_, scene, static_cast<int>(korea.x), static_cast<int>(korea.y), 1);
    Window box = WaitForBox(kBox, "korea-box");
    size_t shapes = FirstLineShapes(kept_["korea-box"]);
    EXPECT_GE(shapes, 3u) << "the first line should show the four Hangul syllables of the "
                             "Korea text; it holds "
                          << shapes << " glyph shape(s) (see korea-box)";
    AnswerBox(box, XK_Return, kBox);
    EndWithEscape(scene);
}

INSTANTIATE_TEST_SUITE_P(Locales, WineHangul, ::testing::Values("ko_KR", "de_DE"),
                         [](const auto &info) { return std::string(info.param); });

}  // namespace
}  // namespace e2e
