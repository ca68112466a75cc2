// Clicks: left clicks open a "Selection" box about what is under the cursor
// while the scene stands still; right clicks nudge the orbiting spheres
// forward; and a minimized window's animation stands still.
//
// The scene moves every frame, so a click that must land on a sphere is
// aimed on a frozen frame (the program stopped, see Journey::Freeze), where
// the spheres are found from the picture and the program's own geometry,
// and given before the program goes on. Once thawed it may finish the frame
// it was drawing before it reads the click, and its pick pass draws with
// the angles as they then stand: one or two orbit steps past the frozen
// picture. The aim is taken halfway between and must hold for both.
#include <algorithm>
#include <chrono>
#include <cmath>
#include <thread>

#include "driver/journey.h"
#include "scene/draw_scene.h"
#include "shell/main_loop.h"

namespace e2e {
namespace {

const char kBox[] = "Selection";
// The tumbling title can reach down to here; a click below it cannot hit it.
constexpr double kBelowTitle = 165;

struct Aim {
    int sphere = -1;  // 0 Togo, 1 France, 2 Switzerland
    int x = 0, y = 0;
};

class PickJourney : public Journey {
protected:
    // Freezes the program on frames until one offers a place to aim at:
    // where one of `spheres` will be `ahead` degrees on (after nudges),
    // inside that sphere whichever of the two angles the pick sees, clear
    // of every other sphere, below the title, and showing the sphere now
    // when `ahead` is 0 or the backdrop otherwise. With `ahead`, a frame is
    // also passed over when the nudge would carry an angle past 360, whose
    // reset would put that sphere out of step with the others. The program
    // is left frozen.
    Aim FrozenAim(Window scene, std::vector<int> spheres, double ahead, const std::string &name)
    {
        for (int attempt = 1; attempt <= 12; ++attempt) {
            Image f = Look(scene, name + "-frame");
            OrbitFit orbit = FindOrbit(f);
            if (!orbit.found)
                JOURNEY_FAIL() << name << ": no orbit angle explains the frozen frame: "
                               << orbit.why;
            bool wraps = ahead > 0 && std::fmod(orbit.phase, 120) + kSwissStartOrbit + ahead +
                                              3 * kOrbitStep >= 359;
            for (int k : spheres) {
                Aim aim{k, 0, 0};
                if (!wraps && Fits(f, orbit.phase, ahead, &aim))
                    return aim;
            }
            Thaw();
            WaitFrames(scene, 1 + attempt % 3);
        }
        JOURNEY_FAIL() << name << ": no frame offered a place to aim at (see its last frame)";
        return Aim{};
    }

    bool Fits(const Image &f, double phase, double ahead, Aim *aim)
    {
        double sees[2] = {phase + kOrbitStep + ahead, phase + 2 * kOrbitStep + ahead};
        Spot mid = OrbitSpot(phase + 1.5 * kOrbitStep + ahead + OrbitOffset(aim->sphere));
        if (mid.y < kBelowTitle)
            return false;
        for (double seen : sees)
            for (int k = -1; k < 3; ++k) {
                Spot s = k < 0 ? KoreaSpot() : OrbitSpot(seen + OrbitOffset(k));
                double d = std::hypot(mid.x - s.x, mid.y - s.y);
                if (k == aim->sphere ? d > 0.5 * s.radius : d < 1.2 * s.radius)
                    return false;
            }
        DiscCounts now = CountDisc(f, mid.x, mid.y, 6);
        if (now.Share(ahead == 0 ? now.bright : now.dark) < 0.9)
            return false;
        aim->x = static_cast<int>(std::lround(mid.x));
        aim->y = static_cast<int>(std::lround(mid.y));
        return true;
    }

    // Waits for the box, keeps its picture as `name`, closes it with Return
    // and waits for the scene to go on; returns the box's height.
    int BoxHeight(Window scene, const std::string &name)
    {
        Window box = WaitForBox(kBox, name);
        int height = ClientRect(x_, box).height;
        AnswerBox(box, XK_Return, kBox);
        // Where the box was, the screen shows it until the scene draws
        // again; uncovering may count as one drawing of its own.
        WaitFrames(scene, 3);
        return height;
    }
};

// On the Korea sphere a box opens over the window and the scene stands
// still until Return closes it; then the animation goes on. On the backdrop
// the box holds the standings (five lines, so taller than a team's three);
// on the title, the one line "Team Tarsel".
TEST_F(PickJourney, LeftClicksNameWhatIsUnderTheCursor)
{
    Window scene = StartShow();
    Rect window = ClientRect(x_, scene);
    // Long enough for the scene to present several frames, were it running.
    Seconds still = std::max(Seconds(0.5), 2 * FrameTime(scene, 5));

    Click(x_, scene, static_cast<int>(KoreaSpot().x), static_cast<int>(KoreaSpot().y), 1);
    Window box = WaitForBox(kBox, "korea-box");
    Rect b = ClientRect(x_, box);
    int cx = b.x + b.width / 2, cy = b.y + b.height / 2;
    EXPECT_TRUE(cx > window.x && cx < window.x + window.width && cy > window.y &&
                cy < window.y + window.height)
        << "Selection box: expected over the window " << ToString(window) << ", got at "
        << ToString(b);
    EXPECT_EQ(TransientFor(x_, box), scene) << "the box should belong to the scene window";
    {
        FrameWatch watch(x_, scene);
        std::this_thread::sleep_for(still);  // an absence can only be watched for a while
        EXPECT_EQ(watch.Frames(), 0) << "while the box is open the scene should stand still";
    }
    AnswerBox(box, XK_Return, kBox);
    WaitFrames(scene, 3);  // the animation goes on

    Click(x_, scene, 20, 460, 1);
    int standings = BoxHeight(scene, "standings-box");
    EXPECT_GT(standings, b.height)
        << "backdrop click: expected the standings box taller than a team's (" << b.height
        << "), got height " << standings;

    // The title is clicked on a frozen frame, at a point that is green there
    // and was green in most of several frames before.
    int tx = 0, ty = 0;
    ASSERT_TRUE(FreezeOnTitle(scene, &tx, &ty))
        << "no frozen frame showed the title where it had mostly been";
    Click(x_, scene, tx, ty, 1);
    Thaw();
    int title = BoxHeight(scene, "title-box");
    EXPECT_LT(title, b.height) << "title click at (" << tx << ", " << ty
                               << "): expected the one-line box shorter than a team's ("
                               << b.height << "), got height " << title;
    EndWithEscape(scene);
}

// Fourteen right clicks given on a frozen frame, then a left click on a
// place that shows backdrop where the nudge will have carried a sphere,
// bring up that team's box instead of the standings; without the nudge the
// sphere would still be short of the place. Each sphere is checked once,
// and the three boxes differ. A first round without right clicks shows
// that aiming at a sphere on a frozen frame hits it.
TEST_F(PickJourney, RightClicksNudgeTheOrbits)
{
    const int kNudges = 14;
    Window scene = StartShow();
    Click(x_, scene, 20, 460, 1);
    int standings = BoxHeight(scene, "standings-box");

    Aim aim = FrozenAim(scene, {0, 1, 2}, 0, "aimed");
    Click(x_, scene, aim.x, aim.y, 1);
    Thaw();
    int height = BoxHeight(scene, "aimed-box");
    ASSERT_LT(height, standings) << "a left click on sphere " << aim.sphere
                                 << "'s place on a frozen frame should show its team (a box "
                                    "lower than the standings' "
                                 << standings << "), got height " << height;

    std::vector<int> left = {0, 1, 2};
    std::map<int, Image> boxes;
    while (!left.empty()) {
        aim = FrozenAim(scene, left, kNudges * kOrbitNudge, "nudged");
        Click(x_, scene, aim.x, aim.y, 3, kNudges);
        Click(x_, scene, aim.x, aim.y, 1);
        Thaw();
        std::string name = "nudged-" + std::to_string(aim.sphere) + "-box";
        height = BoxHeight(scene, name);
        ASSERT_LT(height, standings)
            << "sphere " << aim.sphere << ": after " << kNudges << " right clicks it should "
            << "stand " << kNudges * kOrbitNudge << " degrees on, where the left click should "
            << "find it; got a box of height " << height << " (the standings' is " << standings
            << ")";
        boxes[aim.sphere] = kept_[name];
        left.erase(std::find(left.begin(), left.end(), aim.sphere));
    }
    for (int a = 0; a < 3; ++a)
        for (int b = a + 1; b < 3; ++b)
            EXPECT_NE(DifferingPixels(boxes[a], boxes[b]), 0)
                << "spheres " << a << " and " << b << " gave the same box: one team was hit twice";
    EndWithEscape(scene);
}

// Without TOGO.bmp, the window is resized while the picture's Error box is
// open, that is while Togo's texture list is being compiled. The size acts
// after the lists: back at 640x480 the scene is drawn as usual, a click on
// the Togo sphere names a team and a click in the corner the standings.
TEST_F(PickJourney, ResizeDuringAPictureErrorBoxLeavesPickingWhole)
{
    Window error = StartWithoutTogo();
    Window scene = FindWindow(x_, kSceneTitle);
    ASSERT_NE(scene, static_cast<Window>(None)) << "no scene window behind the Error box";
    ResizeClient(x_, scene, 800, 600);
    // Time for the box's loop to hand the new size to the program.
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    AnswerBox(error, XK_Return, "Error");
    scene = WaitForScene();
    ResizeClient(x_, scene, 640, 480);
    WaitFrames(scene, 3);

    Click(x_, scene, 20, 460, 1);
    int standings = BoxHeight(scene, "standings-box");
    Aim aim = FrozenAim(scene, {0}, 0, "togo");
    Click(x_, scene, aim.x, aim.y, 1);
    Thaw();
    int togo = BoxHeight(scene, "togo-box");
    EXPECT_LT(togo, standings) << "a click on the Togo sphere should name its team (a box lower "
                                  "than the standings' " << standings << "), got height " << togo;
    EndWithEscape(scene);
}

// Minimized, the animation stands still and goes on from where it stopped
// once restored: a click aimed at a sphere on the frame shown just before
// the window was minimized, and given as it comes back, must still find
// that sphere's team, however long it was away. Then the picture runs on at
// full size.
TEST_F(PickJourney, MinimizedAnimationStandsStill)
{
    Window scene = StartShow();
    Aim aim = FrozenAim(scene, {0, 1, 2}, 0, "aimed");
    Click(x_, scene, aim.x, aim.y, 1);
    Thaw();
    BoxHeight(scene, "reference-box");
    // Away for as long as the running scene takes to carry a sphere well
    // past its place, were it still moving.
    Seconds away = std::max(Seconds(3), 30 * FrameTime(scene, 10) / 10);

    aim = FrozenAim(scene, {aim.sphere}, 0, "before-minimize");
    Rect placed = ClientRect(x_, scene);
    Minimize(x_, scene);
    ASSERT_TRUE(WaitUntil(kReact, [&] { return IsIconic(x_, scene); }))
        << "the window manager did not minimize the window";
    Thaw();
    std::this_thread::sleep_for(away);
    ASSERT_TRUE(program_.Running()) << "the program ended while minimized: "
                                    << DescribeStatus(program_.status());
    ASSERT_TRUE(IsIconic(x_, scene)) << "the window did not stay minimized";
    Freeze();
    Activate(x_, scene);
    ASSERT_TRUE(WaitUntil(kReact, [&] {
        return IsShown(x_, scene) && ClientRect(x_, scene) == placed;
    })) << "the window did not come back to " << ToString(placed);
    Click(x_, scene, aim.x, aim.y, 1);
    Thaw();
    BoxHeight(scene, "restored-box");
    long n = DifferingPixels(kept_["reference-box"], kept_["restored-box"]);
    EXPECT_EQ(n, 0) << "after " << away.count() << "s minimized, sphere " << aim.sphere
                    << " should have been where it was; the box differs from its team's box in "
                    << n << " pixels";

    WaitFrames(scene, 3);
    Image f = Look(scene, "running");
    Thaw();
    EXPECT_GE(BackdropBorderShare(f), 0.99)
        << "after the restore the backdrop should fill the client area";
    OrbitFit orbit = FindOrbit(f);
    EXPECT_TRUE(orbit.found) << "after the restore the spheres are not where the orbit puts "
                                "them: "
                             << orbit.why;
    EndWithEscape(scene);
}

}  // namespace
}  // namespace e2e
