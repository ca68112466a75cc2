// Clicks: a left click opens a "Selection" box about what is under the
// cursor while the scene stands still; right clicks nudge the orbits; a
// minimized window's animation stands still. Spheres are aimed at on frozen frames.
#include <algorithm>
#include <thread>

#include "driver/journey.h"
#include "scene/draw_scene.h"
#include "shell/main_loop.h"

namespace e2e {
namespace {

const char kBox[] = "Selection";

class PickJourney : public Journey {
protected:
    // A left click (thawing a frozen program), its box kept as `name` and
    // answered, the scene going on again; gives the box's height.
    int PickBoxHeight(Window scene, int x, int y, const std::string &name)
    {
        Click(x_, scene, x, y, 1);
        if (frozen_)
            Thaw();
        Window box = WaitForBox(kBox, name);
        int height = ClientRect(x_, box).height;
        AnswerBox(box, XK_Return, kBox);
        // The box shows until the scene draws again; uncovering may count as a frame.
        WaitFrames(scene, 3);
        return height;
    }
};

// Korea: a box over the window, the scene still until it is answered. The
// backdrop: the standings, taller than a team's; the title: one line.
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

    int standings = PickBoxHeight(scene, 20, 460, "standings-box");
    EXPECT_GT(standings, b.height)
        << "backdrop click: expected the standings box taller than a team's (" << b.height
        << "), got height " << standings;

    int tx = 0, ty = 0;
    ASSERT_TRUE(FreezeOnTitle(scene, &tx, &ty))
        << "no frozen frame showed the title where it had mostly been";
    int title = PickBoxHeight(scene, tx, ty, "title-box");
    EXPECT_LT(title, b.height) << "title click at (" << tx << ", " << ty
                               << "): expected the one-line box shorter than a team's ("
                               << b.height << "), got height " << title;
    EndWithEscape(scene);
}

// Fourteen right clicks on a frozen frame, then a left click on backdrop
// where the nudge will have carried a sphere, show that team's box, not the
// standings; once per sphere, the three boxes differing. A first round
// without right clicks shows that aiming on a frozen frame hits.
TEST_F(PickJourney, RightClicksNudgeTheOrbits)
{
    const int kNudges = 14;
    Window scene = StartShow();
    int standings = PickBoxHeight(scene, 20, 460, "standings-box");

    Aim aim = FrozenAim(scene, {0, 1, 2}, 0, "aimed");
    int height = PickBoxHeight(scene, aim.x, aim.y, "aimed-box");
    ASSERT_LT(height, standings) << "sphere " << aim.sphere << " aimed on a frozen frame: "
                                 << "expected its team's box (lower than the standings' "
                                 << standings << "), got height " << height;

    std::vector<int> left = {0, 1, 2};
    std::map<int, Image> boxes;
    while (!left.empty()) {
        aim = FrozenAim(scene, left, kNudges * kOrbitNudge, "nudged");
        Click(x_, scene, aim.x, aim.y, 3, kNudges);
        std::string name = "nudged-" + std::to_string(aim.sphere) + "-box";
        height = PickBoxHeight(scene, aim.x, aim.y, name);
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

// Resized to 800x600 while the picture's Error box is open: the scene fills
// the window, and a click outside the first 640x480 names the standings.
TEST_F(PickJourney, ResizeDuringAPictureErrorBoxLeavesPickingWhole)
{
    Window error = StartWithoutTogo();
    Window scene = FindWindow(x_, kSceneTitle);
    ASSERT_NE(scene, static_cast<Window>(None)) << "no scene window behind the Error box";
    ResizeClient(x_, scene, 800, 600);
    ASSERT_TRUE(WaitUntil(kReact, [&] { return ClientRect(x_, scene).width == 800; }))
        << "the window was not resized: " << ToString(ClientRect(x_, scene));
    AnswerBox(error, XK_Return, "Error");
    scene = WaitForScene();
    Image f = Look(scene, "resized");
    EXPECT_EQ(800, f.width);
    EXPECT_GE(BackdropBorderShare(f), 0.99) << "the scene should fill the 800x600 window";
    PickBoxHeight(scene, 780, 20, "corner-box");
    EndWithEscape(scene);
}

// A click aimed on the last frame before minimizing, given as the window
// comes back, still finds that sphere however long it was away; then the
// picture runs on at full size.
TEST_F(PickJourney, MinimizedAnimationStandsStill)
{
    Window scene = StartShow();
    Aim aim = FrozenAim(scene, {0, 1, 2}, 0, "aimed");
    PickBoxHeight(scene, aim.x, aim.y, "reference-box");
    // Long enough for a moving sphere to pass well beyond its place.
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
    PickBoxHeight(scene, aim.x, aim.y, "restored-box");
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
    EXPECT_TRUE(orbit.found) << "after the restore the spheres are off their orbit: "
                             << orbit.why;
    EndWithEscape(scene);
}

}  // namespace
}  // namespace e2e
