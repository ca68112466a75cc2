// The journeys' GoogleTest fixture: a virtual display of the test's own (with
// openbox unless asked otherwise), a run folder with the five pictures, the
// real group_g in it, and the steps every journey takes. A failing test keeps
// its pictures and the screen as PNG files in its artifacts folder (printed
// at its start; GROUP_G_E2E_KEEP keeps them when it passes too). Every fatal
// failure throws, so a failed ASSERT inside a helper ends the whole test.
// A SessionJourney also runs the program natively on a nested compositor:
// the scene and its boxes are then parts of the compositor's window.
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
    // run_dir_, with the five pictures.
    void PrepareRunFolder();
    // group_g of this build unless given, in run_dir_ unless given.
    void StartProgram(const std::string &binary = "", const std::string &cwd = "",
                      bool terminal = false);
    // The usual start: a desktop, a fresh run folder, the program drawing.
    Window StartShow(bool window_manager = true, const std::string &screen = kDesktop);
    // The usual start with TOGO.bmp missing: the picture's Error box.
    Window StartWithoutTogo();
    // The scene window, once shown and presenting frames.
    Window WaitForScene();
    // A box called `title`, once shown and drawn, its picture kept as
    // `name` (or `title`).
    Window WaitForBox(const std::string &title, const std::string &name = "");
    // `key` tapped into the box, then a wait until it has gone.
    void AnswerBox(Window box, KeySym key, const std::string &title);
    // `key` tapped into the box, and `next` into the scene as soon as the
    // box starts to go, before the window system need give the keyboard back.
    void AnswerBoxThenTap(Window box, KeySym key, const std::string &title, Window scene,
                          KeySym next);
    void StartAnswering(Window box, KeySym key, const std::string &title);  // the two's start
    // A key tapped, then frames waited for until the program has acted on it.
    void Press(Window w, KeySym key);
    void WaitFrames(Window w, int frames);
    Seconds FrameTime(Window w, int frames);
    // Esc tapped; the program must end as promised.
    void EndWithEscape(Window scene);

    // SIGSTOP, waited for: the screen holds the last frame, input queues.
    void Freeze();
    void Thaw();
    // The frozen client area, kept as `name`; freezes first if need be.
    Image Look(Window w, const std::string &name);
    // Freezes on a frame where the title stands where it mostly stood over
    // a few frames, and gives that point; false, thawed, if none does.
    bool FreezeOnTitle(Window scene, int *x, int *y);
    // Freezes on frames until one offers a point inside one of `spheres`
    // `ahead` degrees on (after nudges), whichever of the two angles the pick
    // may see, clear of the others and the title; the point shows the sphere
    // now when `ahead` is 0, the backdrop otherwise. With `ahead`, frames
    // whose nudge would wrap an angle past 360 are passed over.
    Aim FrozenAim(Window scene, std::vector<int> spheres, double ahead, const std::string &name);
    const Image &Keep(const std::string &name, const Image &image);

    // Clicks (x, y) of the scene's client area.
    void ClickScene(Window scene, int x, int y, int button = 1);
    // Clicks the Korea sphere (at the centre in every frame); its box, kept as `name`.
    Window ClickKorea(Window scene, const std::string &name);
    // The title bar's close button (on X11, the window manager's close).
    void CloseWithButton(Window scene);
    bool OnWayland() const { return session_ != Session::kX11; }
    int TitleBarY() const { return scene_area_.y - 12 * OutputScale(session_); }
    Image GrabScene(Window scene);
    bool SceneChanges(Window scene, int n, Seconds limit);

    // Ends within `limit` with `code`, nothing left behind, no sanitizer report.
    void ExpectExit(int code, Seconds limit = kAppear);
    // "the program runs" or how it ended, for messages.
    std::string ProgramState();

    std::vector<std::string> program_env_;  // added to the program's
    std::string asan_options_;
    Session session_ = Session::kX11;
    XSession x_;
    Compositor compositor_;
    // On a compositor: the scene's client area and the last box, in its window.
    Rect scene_area_;
    Rect box_area_;
    Process program_;
    std::string artifacts_;
    std::string run_dir_;
    std::map<std::string, Image> kept_;
    bool frozen_ = false;
};

// A journey run in each session INSTANTIATE_IN_SESSIONS names.
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
