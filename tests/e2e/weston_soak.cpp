// weston_soak: the sanitized program natively on Weston for SOAK_SECONDS
// (120) of random input: clicks with their boxes answered (at times with an
// F-key typed as the box goes), F2 to F5 in pairs, F1 there and back, pauses;
// then Esc. A heap fault on the Wayland paths (the boxes' connection, the
// decorations, the fullscreen switch) shows in the sanitizers' reports.
// SOAK_SEED replays the run whose seed was printed.
#include <chrono>
#include <cstdlib>
#include <iostream>
#include <random>
#include <thread>

#include "driver/journey.h"

namespace e2e {
namespace {

const KeySym kFlagKeys[] = {XK_F2, XK_F3, XK_F4, XK_F5};

using WestonSoak = SessionJourney;

int from_environment(const char *name, int otherwise)
{
    const char *given = getenv(name);
    return given != nullptr && *given != '\0' ? atoi(given) : otherwise;
}

TEST_P(WestonSoak, BoxesAndKeysLeaveNoReport)
{
    int seconds = from_environment("SOAK_SECONDS", 120);
    unsigned seed = static_cast<unsigned>(
        from_environment("SOAK_SEED", static_cast<int>(std::random_device{}() % 32768)));
    std::cout << "weston soak: " << seconds << "s, seed " << seed << " (SOAK_SEED=" << seed
              << " replays it)" << std::endl;
    std::mt19937 random(seed);
    auto roll = [&](int n) { return std::uniform_int_distribution<int>(0, n - 1)(random); };

    Window scene = StartShow();
    using Clock = std::chrono::steady_clock;
    int actions = 0;
    for (Clock::time_point start = Clock::now(); Clock::now() - start < Seconds(seconds);
         ++actions) {
        SCOPED_TRACE(::testing::Message() << "action " << actions << ", seed " << seed);
        int what = roll(100);
        if (what < 40) {
            // On and off again: the backdrop, by which the scene is found, as at the start.
            KeySym key = kFlagKeys[roll(4)];
            Press(scene, key);
            Press(scene, key);
        } else if (what < 80) {
            Spot korea = KoreaSpot();
            if (roll(2) == 0)
                ClickScene(scene, static_cast<int>(korea.x), static_cast<int>(korea.y));
            else
                ClickScene(scene, kBackdropCorner.x + 15, kBackdropCorner.y + 15);
            Window box = WaitForBox("Selection", "box");
            if (roll(3) == 0) {
                KeySym key = kFlagKeys[roll(4)];
                AnswerBoxThenTap(box, XK_Return, "Selection", scene, key);
                WaitFrames(scene, kFramesToSeeAKey);
                Press(scene, key);
            } else {
                AnswerBox(box, XK_Return, "Selection");
                WaitFrames(scene, 2);
            }
        } else if (what < 90) {
            // Each switch seen before the next tap: two between frames count as one.
            ASSERT_TRUE(PressUntil(x_, scene, XK_F1, kAppear, [&] {
                return BackdropBorderShare(GrabClient(x_, scene)) >= 0.95;
            })) << "F1 did not fill the output";
            Rect ignored;
            ASSERT_TRUE(PressUntil(x_, scene, XK_F1, kAppear, [&] {
                return FindSceneArea(GrabClient(x_, scene), &ignored);
            })) << "F1 again did not bring the window back";
            WaitForScene();
        } else {
            std::this_thread::sleep_for(Seconds(0.1 * (1 + roll(9))));  // a person's pause
        }
        ASSERT_TRUE(program_.Running()) << "the program ended: " << ProgramState();
    }
    std::cout << "weston soak: " << actions << " actions" << std::endl;
    EndWithEscape(scene);
}

INSTANTIATE_IN_SESSIONS(WestonSoak, Session::kWeston);

}  // namespace
}  // namespace e2e
