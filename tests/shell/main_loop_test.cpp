// The message loop and window procedure, run for real against the recording
// backend: keys seen between frames, the F1 switch, minimizing, closing, and
// the exit code.
#include <gtest/gtest.h>
#include <unistd.h>

#include <functional>
#include <map>

#include "platform/fake/fake_platform.h"
#include "platform/user32.h"
#include "scene/draw_scene.h"
#include "scene/render_setup.h"
#include "shell/main_loop.h"
#include "shell/scene_window.h"
#include "support/program_state.h"

namespace {

class MainLoop : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_EQ(0, chdir(GROUP_G_RUN_DIR));
        ResetProgramState();
    }
    void TearDown() override { ResetProgramState(); }

    // Runs the program with `script` called after each presented frame; a
    // safety net ends a run that the script forgot to end.
    int Run(std::function<void(int frame)> script)
    {
        FakeOnSwap([script](int frame) {
            script(frame);
            if (frame > 500)
                key_down[VK_ESCAPE] = true;
        });
        return RunPresentation();
    }

    static void Key(UINT message, WPARAM vk) { FakePostMessage(message, vk, 1); }
};

TEST_F(MainLoop, EscEndsWithExitCodeZeroAndEverythingReleased)
{
    int frames = 0;
    int code = Run([&](int frame) {
        frames = frame;
        if (frame == 3)
            Key(WM_KEYDOWN, VK_ESCAPE);
    });
    EXPECT_EQ(0, code);
    // The pass that sees Esc ends the loop without presenting.
    EXPECT_EQ(3, frames);
    EXPECT_FALSE(FakeWindowInfo().exists);
    EXPECT_FALSE(FakeClassRegistered());
    EXPECT_EQ(0, FakeLiveContexts());
    EXPECT_TRUE(FakeMessageBoxes().empty());
}

TEST_F(MainLoop, ClosingTheWindowPostsQuitZeroAndEndsTheProgram)
{
    int code = Run([&](int frame) {
        if (frame == 2)
            FakePostMessage(WM_SYSCOMMAND, SC_CLOSE, 0);
    });
    EXPECT_EQ(0, code);
    int quit = FakeCallIndex("PostQuitMessage");
    ASSERT_GE(quit, 0);
    EXPECT_EQ(1, FakeCallCount("DestroyWindow")) << "only the close after the loop destroys";
    EXPECT_GT(FakeCallIndex("DestroyWindow"), quit);
    EXPECT_EQ(2, FakeSwapCount());
    EXPECT_FALSE(FakeClassRegistered());
}

TEST_F(MainLoop, HeldFunctionKeyFlipsOncePerKeyDownIncludingRepeats)
{
    std::map<int, bool> lighting_after;
    Run([&](int frame) {
        lighting_after[frame] = lighting_on;
        if (frame >= 1 && frame <= 3)
            Key(WM_KEYDOWN, VK_F2);  // the first press, then two repeats
        if (frame == 4)
            Key(WM_KEYUP, VK_F2);
        if (frame == 6)
            Key(WM_KEYDOWN, VK_ESCAPE);
    });
    // A key posted after frame n is acted on after frame n + 1 is presented.
    EXPECT_TRUE(lighting_after[2]);
    EXPECT_FALSE(lighting_after[3]);
    EXPECT_TRUE(lighting_after[4]);
    EXPECT_FALSE(lighting_after[5]);
    EXPECT_FALSE(lighting_after[6]) << "a key-up flips nothing";
}

TEST_F(MainLoop, KeyPressedAndReleasedWithinOneBurstHasNoEffect)
{
    Run([&](int frame) {
        if (frame == 1) {
            Key(WM_KEYDOWN, VK_F3);
            Key(WM_KEYUP, VK_F3);
            Key(WM_KEYDOWN, VK_F5);
        }
        if (frame == 3)
            Key(WM_KEYDOWN, VK_ESCAPE);
    });
    EXPECT_TRUE(texturing_on);
    EXPECT_FALSE(filled_polygons);
    EXPECT_TRUE(lighting_on);
    EXPECT_TRUE(solid_spheres);
}

TEST_F(MainLoop, EachFunctionKeyTogglesItsOwnFlag)
{
    Run([&](int frame) {
        if (frame == 1) {
            Key(WM_KEYDOWN, VK_F2);
            Key(WM_KEYDOWN, VK_F4);
        }
        if (frame == 2)
            Key(WM_KEYDOWN, VK_ESCAPE);
    });
    EXPECT_FALSE(lighting_on);
    EXPECT_TRUE(texturing_on);
    EXPECT_FALSE(solid_spheres);
    EXPECT_TRUE(filled_polygons);
    EXPECT_FALSE(key_down[VK_F2]) << "the loop clears the keys it acts on";
    EXPECT_TRUE(key_down[VK_ESCAPE]) << "Esc is never cleared";
}

TEST_F(MainLoop, F1SwitchesToFullscreenAndBackKeepingFlagsAndAngles)
{
    bool was_fullscreen = false;
    int opens_seen = 0;
    Run([&](int frame) {
        if (frame == 1) {
            lighting_on = false;
            Key(WM_KEYDOWN, VK_F1);
        }
        if (frame == 3) {
            was_fullscreen = fullscreen && FakeCurrentDisplayMode().width == 640 &&
                             FakeCursorCount() == -1;
            Key(WM_KEYDOWN, VK_F1);
        }
        if (frame == 5) {
            opens_seen = FakeCallCount("CreateWindowExA");
            Key(WM_KEYDOWN, VK_ESCAPE);
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

TEST_F(MainLoop, EscAndF1InOnePassSwitchFirstThenEnd)
{
    int code = Run([&](int frame) {
        if (frame == 1) {
            Key(WM_KEYDOWN, VK_F1);
            Key(WM_KEYDOWN, VK_ESCAPE);
        }
    });
    EXPECT_EQ(0, code);
    EXPECT_EQ(2, FakeCallCount("CreateWindowExA"));
    EXPECT_EQ(2, FakeCallCount("DestroyWindow"));
    EXPECT_EQ(1, FakeSwapCount());
    EXPECT_FALSE(FakeWindowInfo().exists);
    EXPECT_EQ(0, FakeCursorCount());
}

TEST_F(MainLoop, FailedReopenAfterF1EndsWithZeroAndNoFurtherClose)
{
    int code = Run([&](int frame) {
        if (frame == 1) {
            Key(WM_KEYDOWN, VK_F1);
            FakeFailCall("GetDC");
        }
    });
    EXPECT_EQ(0, code);
    ASSERT_EQ(1u, FakeMessageBoxes().size());
    EXPECT_EQ("Can't Create A GL Device Context.", FakeMessageBoxes()[0].text);
    EXPECT_EQ(2, FakeCallCount("UnregisterClassA")) << "F1 close and the failed open's teardown";
    EXPECT_EQ(0, FakeCursorCount());
    EXPECT_EQ(1280, FakeCurrentDisplayMode().width);
}

TEST_F(MainLoop, RefusedFullscreenAnsweredNoEndsTheProgramWithZero)
{
    FakeSetDisplayModes({{1280, 1024, 24}});
    FakeQueueMessageBoxAnswers({IDNO});
    int code = Run([&](int frame) {
        if (frame == 1)
            Key(WM_KEYDOWN, VK_F1);
    });
    EXPECT_EQ(0, code);
    ASSERT_EQ(2u, FakeMessageBoxes().size());
    EXPECT_EQ("Program Will Now Close.", FakeMessageBoxes()[1].text);
}

TEST_F(MainLoop, MinimizedWindowStillPresentsButDrawsNothing)
{
    float spin_when_minimized = -1, spin_before_restore = -2;
    int swaps_while_minimized = 0;
    Run([&](int frame) {
        if (frame == 2)
            FakePostMessage(WM_ACTIVATE, MAKEWPARAM(WA_INACTIVE, 1), 0);
        if (frame == 3)
            spin_when_minimized = center_spin;
        if (frame > 3 && frame < 10)
            ++swaps_while_minimized;
        if (frame == 10) {
            spin_before_restore = center_spin;
            FakePostMessage(WM_ACTIVATE, MAKEWPARAM(WA_ACTIVE, 0), 0);
        }
        if (frame == 12)
            Key(WM_KEYDOWN, VK_ESCAPE);
    });
    EXPECT_EQ(6, swaps_while_minimized) << "presenting goes on while minimized";
    EXPECT_EQ(spin_when_minimized, spin_before_restore) << "animation must stand still";
    EXPECT_NE(spin_before_restore, center_spin) << "animation resumes after restore";
}

TEST_F(MainLoop, SizeMessagesKeepTheViewportAndAspect)
{
    float aspect_after_minimize = -1, aspect_after_wide = -1;
    Run([&](int frame) {
        if (frame == 1)
            FakePostMessage(WM_SIZE, SIZE_MINIMIZED, MAKELPARAM(0, 0));
        if (frame == 2) {
            aspect_after_minimize = aspect_ratio;
            FakePostMessage(WM_SIZE, SIZE_RESTORED, MAKELPARAM(1000, 480));
        }
        if (frame == 3) {
            aspect_after_wide = aspect_ratio;
            Key(WM_KEYDOWN, VK_ESCAPE);
        }
    });
    EXPECT_EQ(0.0f, aspect_after_minimize);
    EXPECT_FLOAT_EQ(1000.0f / 480.0f, aspect_after_wide);
}

TEST_F(MainLoop, RightClicksNudgeTheThreeOrbitsAndAddUp)
{
    SceneWindowProc(nullptr, WM_RBUTTONDOWN, 0, MAKELPARAM(10, 10));
    SceneWindowProc(nullptr, WM_RBUTTONDOWN, 0, MAKELPARAM(600, 400));
    EXPECT_FLOAT_EQ(6.0f, togo_orbit);
    EXPECT_FLOAT_EQ(126.0f, france_orbit);
    EXPECT_FLOAT_EQ(246.0f, swiss_orbit);
    EXPECT_FLOAT_EQ(0.0f, togo_spin);
}

TEST_F(MainLoop, WindowProcedureKeepsKeysInsideTheTableAndLeavesSystemKeysAlone)
{
    EXPECT_EQ(0, SceneWindowProc(nullptr, WM_KEYDOWN, 256, 0));
    EXPECT_EQ(0, SceneWindowProc(nullptr, WM_KEYDOWN, (WPARAM)-1, 0));
    EXPECT_EQ(0, SceneWindowProc(nullptr, WM_KEYUP, 100000, 0));
    SceneWindowProc(nullptr, WM_SYSKEYDOWN, VK_F10, 0);
    EXPECT_FALSE(key_down[VK_F10]) << "system keys take the default path";
    SceneWindowProc(nullptr, WM_KEYDOWN, 'A', 0);
    EXPECT_TRUE(key_down['A']);
    SceneWindowProc(nullptr, WM_KEYUP, 'A', 0);
    EXPECT_FALSE(key_down['A']);
}

TEST_F(MainLoop, ScreenSaverIsHeldOffWhileTheWindowIsActive)
{
    bool held_off = false;
    Run([&](int frame) {
        if (frame == 1) {
            held_off = FakeScreenSaverHeldOff();
            Key(WM_KEYDOWN, VK_ESCAPE);
        }
    });
    EXPECT_TRUE(held_off);
    EXPECT_EQ(0, SceneWindowProc(nullptr, WM_SYSCOMMAND, SC_SCREENSAVE, 0));
    EXPECT_EQ(0, SceneWindowProc(nullptr, WM_SYSCOMMAND, SC_MONITORPOWER, 2));
}

}  // namespace
