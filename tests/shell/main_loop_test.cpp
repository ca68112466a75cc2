// The message loop and window procedure, run for real on the recording
// backend.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstring>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "platform/fake/fake_platform.h"
#include "platform/user32.h"
#include "scene/picking.h"
#include "scene/draw_scene.h"
#include "scene/render_setup.h"
#include "shell/main_loop.h"
#include "shell/scene_window.h"
#include "support/program_state.h"

namespace {

void Down(int vk) { FakeKey(vk, kFakeKeyDown); }
void Up(int vk) { FakeKey(vk, kFakeKeyUp); }
void Tap(int vk)
{
    Down(vk);
    Up(vk);
}

class MainLoop : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_EQ(0, chdir(GROUP_G_RUN_DIR));
        ResetProgramState();
    }
    void TearDown() override { ResetProgramState(); }

    // Runs the program with `script` called after each presented frame and
    // Esc pressed after frame `esc_after`; a safety net ends a run that
    // neither ended.
    static int Run(std::function<void(int frame)> script, int esc_after = 0)
    {
        FakeOnSwap([script, esc_after](int frame) {
            script(frame);
            if (frame == esc_after)
                Down(VK_ESCAPE);
            if (frame > 500)
                key_pressed[VK_ESCAPE] = true;
        });
        return RunPresentation();
    }

    // The box `i` is the Selection box of object `name`, owned by `owner`.
    static void ExpectSelectionBox(size_t i, GLuint name, HWND owner)
    {
        ASSERT_LT(i, FakeMessageBoxes().size()) << "box " << i << " never came";
        const RecordedMessageBox &box = FakeMessageBoxes()[i];
        EXPECT_EQ(PickText(name), box.text) << "box " << i << " should name object " << name;
        EXPECT_EQ("Selection", box.caption);
        EXPECT_EQ(MB_OK, box.type);
        EXPECT_EQ(owner, box.owner);
    }
};

// A run with `before` done first and `burst` after frame 1 (Esc after frame
// 4): its exit code, frames, windows, F2 flips and boxes, and nothing left.
// A press counts once however soon it is released, presses not yet looked at
// once together; the pass that sees Esc or a close presents nothing.
struct Ending {
    const char *name;
    void (*before)();
    void (*burst)();
    int code, frames, windows, lighting_flips;
    size_t boxes;
    const char *last_box;
};

class MainLoopEnding : public MainLoop, public ::testing::WithParamInterface<Ending> {};

TEST_P(MainLoopEnding, EndsWithItsCodeAfterItsFramesAndLeavesNothing)
{
    const Ending &c = GetParam();
    if (c.before != nullptr)
        c.before();
    int flips = 0;
    bool was_lit = lighting_on, held_off = false;
    int code = Run([&](int frame) {
        flips += lighting_on != was_lit;
        was_lit = lighting_on;
        if (frame == 1) {
            held_off = FakeScreenSaverHeldOff();
            c.burst();
        }
    }, 4);
    EXPECT_EQ(c.code, code);
    EXPECT_EQ(c.frames, FakeSwapCount()) << "frames presented";
    EXPECT_EQ(c.windows, FakeCallCount("CreateWindowExA")) << "windows opened";
    EXPECT_EQ(c.lighting_flips, flips);
    EXPECT_FALSE(key_down[VK_F10]) << "F10 is a system key: the default path takes it";
    EXPECT_EQ(c.frames > 0, held_off) << "the active window holds the screen saver off";
    ASSERT_EQ(c.boxes, FakeMessageBoxes().size());
    EXPECT_EQ(c.last_box, c.boxes ? FakeMessageBoxes().back().text : "");
    if (c.code == 0) {
        EXPECT_EQ(c.windows, FakeCallCount("DestroyWindow")) << "only the close after the loop destroys";
    }
    int quit = FakeCallIndex("PostQuitMessage");
    EXPECT_TRUE(quit < 0 || FakeCallIndex("DestroyWindow") > quit) << "destroyed before the quit";
    EXPECT_FALSE(FakeWindowInfo().exists);
    EXPECT_EQ(c.last_box == std::string("Program Will Now Close."), FakeClassRegistered())
        << "only a refused mode answered No leaves the class registered";
    EXPECT_EQ(0, FakeLiveContexts());
    EXPECT_EQ(0, FakeCursorCount());
    EXPECT_EQ(1280, FakeCurrentDisplayMode().width);
}

INSTANTIATE_TEST_SUITE_P(
    EveryWay, MainLoopEnding,
    ::testing::Values(
        Ending{"EscTapped", nullptr, [] { Tap(VK_ESCAPE); }, 0, 1, 1, 0, 0, ""},
        Ending{"CloseButton", nullptr, FakeCloseButton, 0, 1, 1, 0, 0, ""},
        Ending{"EscAndF1SwitchFirstThenEnd", nullptr, [] { Down(VK_F1); Down(VK_ESCAPE); },
               0, 1, 2, 0, 0, ""},
        Ending{"F2Tapped", nullptr, [] { Tap(VK_F2); }, 0, 4, 1, 1, 0, ""},
        Ending{"F2TappedTwiceBeforeAFrame", nullptr, [] { Tap(VK_F2); Tap(VK_F2); },
               0, 4, 1, 1, 0, ""},
        Ending{"F2RepeatedThenUp", nullptr,
               [] { Down(VK_F2); FakeKey(VK_F2, kFakeKeyRepeat); Up(VK_F2); }, 0, 4, 1, 1, 0, ""},
        Ending{"F2ReleasedOnly", nullptr, [] { Up(VK_F2); }, 0, 4, 1, 0, 0, ""},
        Ending{"OtherKeyTapped", nullptr, [] { Tap(VK_F12); }, 0, 4, 1, 0, 0, ""},
        Ending{"AltF2AndF10ToggleNothingAltF4Closes", nullptr,
               [] { FakeKey(VK_F2, kFakeKeyDown, true); Down(VK_F10); FakeKey(VK_F4, kFakeKeyDown, true); },
               0, 1, 1, 0, 0, ""},
        // The close, or SIGTERM, SIGINT or SIGHUP, during a Selection box
        // closes it and ends the program as a close does.
        Ending{"CloseButtonDuringABox", [] { FakeOnMessageBox([](auto &) { FakeCloseButton(); }); },
               [] { FakeClick(320, 240); }, 0, 1, 1, 0, 1, PickText(kKoreaName)},
        Ending{"SignalDuringABox", [] { FakeOnMessageBox([](auto &) { FakeTerminationSignal(); }); },
               [] { FakeClick(320, 240); }, 0, 1, 1, 0, 1, PickText(kKoreaName)},
        Ending{"FailedStart", [] { FakeFailCall("CreateWindowExA"); }, [] {},
               1, 0, 1, 0, 1, "Window Creation Error."},
        Ending{"FailedReopenAfterF1", nullptr, [] { Down(VK_F1); FakeFailCall("GetDC"); },
               1, 2, 2, 0, 1, "Can't Create A GL Device Context."},
        Ending{"RefusedFullscreenAnsweredNo",
               [] { FakeSetDisplayModes({{1280, 1024, 24}}); FakeQueueMessageBoxAnswers({IDNO}); },
               [] { Down(VK_F1); }, 1, 2, 1, 0, 2, "Program Will Now Close."}),
    [](const ::testing::TestParamInfo<Ending> &info) { return std::string(info.param.name); });

TEST_F(MainLoop, HeldFunctionKeyFlipsOncePerKeyDownIncludingRepeats)
{
    std::vector<bool> lit;  // after each frame
    Run([&](int frame) {
        lit.push_back(lighting_on);
        if (frame >= 1 && frame <= 3)  // the first press, then two repeats
            FakeKey(VK_F2, frame == 1 ? kFakeKeyDown : kFakeKeyRepeat);
        if (frame == 4)
            Up(VK_F2);
    }, 6);
    // A key posted after frame n is acted on after frame n + 1 is presented;
    // the key-up after frame 4 flips nothing.
    EXPECT_EQ((std::vector<bool>{true, true, false, true, false, false}), lit);
}

// F2 and F4 flip their own flags; F3 pressed and released within one burst
// counts as a press all the same.
TEST_F(MainLoop, EachFunctionKeyTogglesItsOwnFlagEvenWhenReleasedInTheSameBurst)
{
    Run([&](int frame) {
        if (frame == 1) {
            Down(VK_F2);
            Down(VK_F4);
            Down(VK_F3);
            Up(VK_F3);
            Down(VK_F5);
        }
    }, 2);
    EXPECT_EQ((std::vector<bool>{false, false, false, false}),
              (std::vector<bool>{lighting_on, texturing_on, solid_spheres, filled_polygons}));
    EXPECT_FALSE(key_pressed[VK_F2]) << "the loop takes the presses it acts on";
    EXPECT_TRUE(key_down[VK_F2]) << "a key not yet released stays down";
    EXPECT_FALSE(key_down[VK_F3]);
}

TEST_F(MainLoop, F1SwitchesToFullscreenAndBackKeepingFlagsAndAngles)
{
    bool was_fullscreen = false;
    int opens_seen = 0;
    Run([&](int frame) {
        if (frame == 1) {
            lighting_on = false;
            Down(VK_F1);
        }
        if (frame == 3) {
            was_fullscreen = fullscreen && FakeCurrentDisplayMode().width == 640 &&
                             FakeCursorCount() == -1;
            Down(VK_F1);
        }
        if (frame == 5) {
            opens_seen = FakeCallCount("CreateWindowExA");
            Down(VK_ESCAPE);
        }
    });
    EXPECT_TRUE(was_fullscreen);
    EXPECT_EQ(3, opens_seen);
    EXPECT_FALSE(fullscreen);
    EXPECT_FALSE(lighting_on) << "display flags survive the switch";
    EXPECT_EQ(0, FakeCursorCount());
    EXPECT_EQ(1280, FakeCurrentDisplayMode().width);
    EXPECT_EQ(0, FakeLiveContexts());
}

// An inactive window keeps animating; a minimized one presents frames but
// stands still until the restore, with an aspect of 0 from its 0 by 0 area.
TEST_F(MainLoop, OnlyMinimizingStopsTheAnimationAndSizesKeepTheAspect)
{
    std::map<int, float> spin;
    float wide = -1, minimized = -1;
    Run([&](int frame) {
        spin[frame] = center_spin;
        if (frame == 1)
            FakeResize(1000, 480);
        if (frame == 2)
            FakeFocus(false);
        if (frame == 3)
            wide = aspect_ratio;
        if (frame == 4)
            FakeMinimize();
        if (frame == 5)
            minimized = aspect_ratio;
        if (frame == 11)
            FakeRestore();
    }, 13);
    EXPECT_NE(spin[2], spin[3]) << "an inactive window keeps animating";
    EXPECT_NE(spin[3], spin[4]);
    for (int frame = 5; frame <= 11; ++frame)
        EXPECT_EQ(spin[4], spin[frame]) << "frame " << frame << ": minimized, yet the scene moved";
    EXPECT_NE(spin[11], spin[12]) << "the restore resumes the animation";
    EXPECT_EQ(13, FakeSwapCount()) << "presenting goes on while minimized";
    EXPECT_FLOAT_EQ(1000.0f / 480.0f, wide);
    EXPECT_EQ(0.0f, minimized);
    EXPECT_FLOAT_EQ(1000.0f / 480.0f, aspect_ratio);
}

// Two right clicks through the loop, against the same run without them:
// one nudge each to the three orbits, no other angle moved.
TEST_F(MainLoop, RightClicksNudgeTheThreeOrbitsAndAddUp)
{
    auto angles_after = [](bool clicks) {
        ResetProgramState();
        Run([clicks](int frame) {
            if (frame == 1 && clicks) {
                FakeClick(10, 10, kFakeRight);
                FakeClick(600, 400, kFakeRight);
            }
        }, 3);
        return std::vector<float>{togo_orbit, france_orbit, swiss_orbit, togo_spin,
                                  france_spin, swiss_spin, center_spin, title_spin};
    };
    std::vector<float> plain = angles_after(false), nudged = angles_after(true);
    for (size_t i = 0; i < plain.size(); ++i)
        EXPECT_FLOAT_EQ(plain[i] + (i < 3 ? 2 * kOrbitNudge : 0.0f), nudged[i]) << "angle " << i;
}

// Key codes past the tables write to neither (the tables are filled with
// the opposite of what the message writes); system keys go by default.
TEST_F(MainLoop, WindowProcedureKeepsKeysInsideTheTableAndLeavesSystemKeysAlone)
{
    for (UINT message : {WM_KEYDOWN, WM_KEYUP})
        for (WPARAM code : {(WPARAM)256, (WPARAM)100000, (WPARAM)-1}) {
            bool fill = message == WM_KEYUP;
            memset(key_down, fill, sizeof key_down);
            memset(key_pressed, fill, sizeof key_pressed);
            SceneWindowProc(nullptr, message, code, 0);
            int changed = 0;
            for (int k = 0; k < 256; ++k)
                changed += (key_down[k] != fill) + (key_pressed[k] != fill);
            EXPECT_EQ(0, changed) << "message 0x" << std::hex << message << ", code " << code;
        }
    memset(key_down, 0, sizeof key_down);
    SceneWindowProc(nullptr, WM_SYSKEYDOWN, VK_F10, 0);
    EXPECT_FALSE(key_down[VK_F10]) << "system keys take the default path";
    const WPARAM kKeyA = 'A';  // virtual-key codes of letters are their capitals
    SceneWindowProc(nullptr, WM_KEYDOWN, kKeyA, 0);
    EXPECT_TRUE(key_down[kKeyA]);
    SceneWindowProc(nullptr, WM_KEYUP, kKeyA, 0);
    EXPECT_FALSE(key_down[kKeyA]);
}

// Tab from no focus reaches the objects in drawing order, Shift+Tab from the
// other end, round again after the last; Return or Space shows its box.
struct FocusCase {
    const char *object;
    GLuint name;
    int tabs, shift_tabs;
    int key;
};

class MainLoopFocus : public MainLoop, public ::testing::WithParamInterface<FocusCase> {};

TEST_P(MainLoopFocus, TabsReachTheObjectAndItsKeyShowsItsBox)
{
    const FocusCase &c = GetParam();
    GLuint forward = 0, backward = 0;
    HWND owner = nullptr;
    Run([&](int frame) {
        if (frame == 1)
            for (int i = 0; i < c.tabs; ++i)
                Tap(VK_TAB);
        if (frame == 2) {
            forward = focused_object;
            focused_object = kNoFocus;
            for (int i = 0; i < c.shift_tabs; ++i) {
                Down(VK_SHIFT);
                Tap(VK_TAB);
                Up(VK_SHIFT);
            }
        }
        if (frame == 3) {
            backward = focused_object;
            owner = window_handle;
            Tap(c.key);
        }
    }, 5);
    EXPECT_EQ(c.name, forward) << c.tabs << " Tabs from no focus";
    EXPECT_EQ(c.name, backward) << c.shift_tabs << " Shift+Tabs from no focus";
    ASSERT_EQ(1u, FakeMessageBoxes().size());
    ExpectSelectionBox(0, c.name, owner);
}

INSTANTIATE_TEST_SUITE_P(
    SixObjects, MainLoopFocus,
    ::testing::Values(FocusCase{"Title", kTitleName, 1, 6, VK_RETURN},
                      FocusCase{"Korea", kKoreaName, 2, 5, VK_SPACE},
                      FocusCase{"Togo", kTogoName, 3, 4, VK_RETURN},
                      FocusCase{"France", kFranceName, 4, 3, VK_SPACE},
                      FocusCase{"Switzerland", kSwissName, 5, 2, VK_RETURN},
                      FocusCase{"Backdrop", kBackdropName, 6, 1, VK_SPACE},
                      FocusCase{"TitleRoundAgain", kTitleName, 7, 12, VK_RETURN},
                      FocusCase{"BackdropRoundAgain", kBackdropName, 12, 7, VK_SPACE}),
    [](const ::testing::TestParamInfo<FocusCase> &info) { return std::string(info.param.object); });

// Return held and repeating while its box is open and after, and Space typed
// during the box: one box; the next fresh press shows the next.
TEST_F(MainLoop, ReturnRepeatsAndKeysDuringTheBoxOpenNoSecondBox)
{
    FakeOnMessageBox([](const RecordedMessageBox &) {
        if (FakeMessageBoxes().size() == 1) {
            FakeKey(VK_RETURN, kFakeKeyRepeat);
            FakeKey(VK_RETURN, kFakeKeyRepeat);
            Tap(VK_SPACE);
        }
    });
    size_t boxes_before_fresh_press = 0;
    HWND owner = nullptr;
    Run([&](int frame) {
        if (frame == 1) {
            owner = window_handle;
            Tap(VK_TAB);
            Tap(VK_TAB);
            Down(VK_RETURN);
        }
        if (frame == 3)
            FakeKey(VK_RETURN, kFakeKeyRepeat);
        if (frame == 5) {
            Up(VK_RETURN);
            boxes_before_fresh_press = FakeMessageBoxes().size();
            Tap(VK_RETURN);
        }
    }, 7);
    EXPECT_EQ(1u, boxes_before_fresh_press);
    ASSERT_EQ(2u, FakeMessageBoxes().size());
    ExpectSelectionBox(1, kKoreaName, owner);
}

// The focus survives F1's new window, whose Return box it owns; a left
// click takes the focus away, so Return then shows nothing.
TEST_F(MainLoop, FocusSurvivesF1AndALeftClickClearsIt)
{
    HWND new_window = nullptr;
    GLuint after_switch = 0, after_click = 1;
    Run([&](int frame) {
        if (frame == 1) {
            Tap(VK_TAB);
            Tap(VK_TAB);
            Tap(VK_F1);
        }
        if (frame == 3) {
            after_switch = focused_object;
            new_window = window_handle;
            Tap(VK_RETURN);
        }
        if (frame == 5)
            FakeClick(20, 460);  // the backdrop
        if (frame == 7) {
            after_click = focused_object;
            Tap(VK_RETURN);
        }
    }, 9);
    EXPECT_EQ(kKoreaName, after_switch);
    EXPECT_EQ(kNoFocus, after_click);
    ASSERT_EQ(2u, FakeMessageBoxes().size()) << "Return's box and the click's, nothing after";
    ExpectSelectionBox(0, kKoreaName, new_window);
    ExpectSelectionBox(1, kBackdropName, new_window);
}

}  // namespace
