// The common ground of the end-to-end journeys: a GoogleTest fixture that
// gives each test its own virtual display (with openbox unless asked
// otherwise), a run folder with the five pictures, the real group_g started
// in it, and the steps every journey takes (waiting for the scene or a box,
// keys, freezing the program on a frame, ending it and judging how it
// ended). When a test fails, the pictures it kept and the screen as it
// stood are written as PNG files beside the program's output in its
// artifacts folder (printed at the start of each test); with
// GROUP_G_E2E_KEEP set in the environment, also when it passes.
//
// The journeys' main installs a listener that turns every fatal failure
// into an exception, so a failed ASSERT (or JOURNEY_FAIL) inside a helper
// ends the whole test, not just the helper; TearDown still runs.
//
// A journey that takes a Session as its parameter (SessionJourney) runs
// the program natively on a nested compositor too: the scene and its boxes
// are then parts of the compositor's window, found in its pictures, and the
// Window the steps take and give is that window.
//
// The driver, for journeys of your own (see x_session.h, x_windows.h,
// x_input.h, screenshot.h, scene_probe.h, wayland_session.h,
// tests/support/child_process.h):
//   Window scene = StartShow();            // desktop, pictures, program, frames
//   Press(scene, XK_F2);                   // tapped; frames wait for the program
//   Window box = WaitForBox("Selection");  // shown and drawn
//   AnswerBox(box, XK_Return, "Selection");
//   Image frame = Look(scene, "name");     // frozen frame, kept for artifacts
//   Thaw();
//   ExpectExit(kExitAfterClose);           // status, nothing left, no reports
#pragma once

// GoogleTest before Xlib, which makes None (a name GoogleTest uses) a macro.
#include <gtest/gtest.h>

#include <X11/Xlib.h>
#include <X11/keysym.h>

#include <map>
#include <string>
#include <vector>

#include "group_g.h"
#include "child_process.h"
#include "scene_probe.h"
#include "screenshot.h"
#include "wayland_session.h"
#include "x_input.h"
#include "x_session.h"
#include "x_windows.h"

// A fatal failure where ASSERT_* cannot stand (a helper returning a value).
#define JOURNEY_FAIL() GTEST_MESSAGE_("Failed", ::testing::TestPartResult::kFatalFailure)

namespace e2e {

inline const std::string kDesktop = "1280x1024x24";

// Deadlines: long enough for a sanitized build on a busy machine.
constexpr Seconds kAppear{60};
constexpr Seconds kReact{30};

// The last lines of a file, for messages.
std::string Tail(const std::string &path, int lines = 5);

// Where to click to hit an orbiting sphere (0 Togo, 1 France, 2 Switzerland).
struct Aim {
    int sphere = -1;
    int x = 0, y = 0;
};

class Journey : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    void StartDisplay(const std::string &screen = kDesktop, bool window_manager = true);
    // A run folder of the test's own with the five pictures, in run_dir_.
    void PrepareRunFolder();
    // The program (group_g of this build unless given) in `cwd` (run_dir_
    // unless given), on a terminal of its own if asked.
    void StartProgram(const std::string &binary = "", const std::string &cwd = "",
                      bool terminal = false);
    // The usual start: a desktop, a fresh run folder, the program drawing.
    Window StartShow(bool window_manager = true);
    // The usual start with TOGO.bmp missing: the picture's Error box, shown
    // while the scene window opens.
    Window StartWithoutTogo();
    // The scene window, once shown and presenting frames.
    Window WaitForScene();
    // A box called `title`, once shown and drawn; its picture is kept
    // under `title` (or `name`).
    Window WaitForBox(const std::string &title, const std::string &name = "");
    // Answers the box with a key and waits until it has gone.
    void AnswerBox(Window box, KeySym key, const std::string &title);
    // Answers the box with `key` and taps `next` into the scene window as
    // soon as the box starts to go (on a compositor, as it starts to fade),
    // before the window system need have given the keyboard back.
    void AnswerBoxThenTap(Window box, KeySym key, const std::string &title, Window scene,
                          KeySym next);
    // The two's common start: `key` tapped, then a wait until the box is
    // gone (X11) or no longer shown as it was (a compositor).
    void StartAnswering(Window box, KeySym key, const std::string &title);
    // A key tapped, then frames waited for until the program has acted on it
    // (see x_input.h).
    void Press(Window w, KeySym key);
    void WaitFrames(Window w, int frames);
    // How long the window takes to present `frames` frames as things stand.
    Seconds FrameTime(Window w, int frames);
    // Esc tapped, then a wait until the program ends, which it must do as
    // promised.
    void EndWithEscape(Window scene);

    // Stops the program (SIGSTOP) and waits until it has; the screen then
    // holds still at the last frame presented, and input waits in order.
    void Freeze();
    void Thaw();
    // The frozen client area, kept as `name`; freezes first if need be.
    Image Look(Window w, const std::string &name);
    // Watches the title over a few frames, then freezes on one where it
    // stands where it mostly stood (see StableTitlePoint) and gives that
    // point; the program is left frozen there for a click. False, thawed,
    // when no frame offers one.
    bool FreezeOnTitle(Window scene, int *x, int *y);
    // Freezes the program on frames until one offers a place to aim at:
    // where one of `spheres` will be `ahead` degrees on (after nudges),
    // inside that sphere whichever of the two angles the pick may see (one
    // or two steps on), clear of every other sphere, below the title, and
    // showing the sphere now when `ahead` is 0 or the backdrop otherwise.
    // With `ahead`, a frame is also passed over when the nudge would carry
    // an angle past 360, whose reset would put that sphere out of step with
    // the others. The program is left frozen.
    Aim FrozenAim(Window scene, std::vector<int> spheres, double ahead, const std::string &name);
    const Image &Keep(const std::string &name, const Image &image);

    // Clicks (x, y) of the scene's client area.
    void ClickScene(Window scene, int x, int y, int button = 1);
    // The title bar's close button (on X11, the window manager's close).
    void CloseWithButton(Window scene);
    bool OnWayland() const { return session_ != Session::kX11; }
    // The middle of the title bar's height, over the scene's area.
    int TitleBarY() const { return scene_area_.y - 12 * OutputScale(session_); }
    // The scene's client area as the screen shows it.
    Image GrabScene(Window scene);
    // Waits up to `limit` for the scene's picture to change `n` times.
    bool SceneChanges(Window scene, int n, Seconds limit);

    // The program ends by itself within `limit` with exit code `code`,
    // leaves no process behind and printed no sanitizer report.
    void ExpectExit(int code, Seconds limit = kAppear);
    // "the program runs" or how it ended, for messages.
    std::string ProgramState();

    // Further environment for the program, and sanitizer options.
    std::vector<std::string> program_env_;
    std::string asan_options_;
    Session session_ = Session::kX11;
    XSession x_;
    Compositor compositor_;
    // On a compositor: the scene's client area and the last box, in its
    // window.
    Rect scene_area_;
    Rect box_area_;
    Process program_;
    std::string artifacts_;
    std::string run_dir_;
    std::map<std::string, Image> kept_;
    bool frozen_ = false;
};

// A journey run in every session it is instantiated with (see
// INSTANTIATE_IN_SESSIONS).
class SessionJourney : public Journey, public ::testing::WithParamInterface<Session> {
protected:
    void SetUp() override
    {
        session_ = GetParam();
        Journey::SetUp();
    }
};

std::string SessionParamName(const ::testing::TestParamInfo<Session> &info);

}  // namespace e2e

// Runs `suite`'s cases in each of the sessions listed after it.
#define INSTANTIATE_IN_SESSIONS(suite, ...)                                           \
    INSTANTIATE_TEST_SUITE_P(Sessions, suite, ::testing::Values(__VA_ARGS__),       \
                             ::e2e::SessionParamName)
#define EVERY_SESSION ::e2e::Session::kX11, ::e2e::Session::kMutter, ::e2e::Session::kWeston
