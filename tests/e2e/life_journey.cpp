// The program's life on a desktop: termination and hang-up signals end it
// as its close button does, a lost compositor as a failure; neither a session
// that ends nor a window system that stops answering leaves it running;
// without a display it fails at once and says why; and a window that loses
// the focus keeps its scene moving.
#include <cmath>
#include <csignal>
#include <fstream>
#include <tuple>

#include <unistd.h>

#include "driver/journey.h"

namespace e2e {
namespace {

using LifeJourney = Journey;

// A signal in each session: the program's own handling, whatever draws it.
class LifeJourneySignal : public Journey,
                          public ::testing::WithParamInterface<std::tuple<int, Session>> {
protected:
    void SetUp() override
    {
        session_ = std::get<1>(GetParam());
        Journey::SetUp();
    }
};

TEST_P(LifeJourneySignal, EndsTheProgramAsForAClose)
{
    StartShow();
    program_.Signal(std::get<0>(GetParam()));
    ExpectExit(kExitAfterInterrupt);
}

INSTANTIATE_TEST_SUITE_P(
    TermAndHangUp, LifeJourneySignal,
    ::testing::Combine(::testing::Values(SIGTERM, SIGHUP), ::testing::Values(EVERY_SESSION)),
    [](const ::testing::TestParamInfo<std::tuple<int, Session>> &info) {
        return std::string(std::get<0>(info.param) == SIGTERM ? "SIGTERM_" : "SIGHUP_") +
               SessionName(std::get<1>(info.param));
    });

class LifeJourneyOnWayland : public SessionJourney {
protected:
    // As for a lost X display: status 1 and the program's own line, not as a close.
    void ExpectLostCompositorEnd()
    {
        ExpectExit(kExitAfterFailedOpen, kReact);
        std::string err = Tail(artifacts_ + "/program.err");
        EXPECT_NE(err.find("The connection to the compositor was lost."), std::string::npos)
            << "expected the program's line on the lost compositor; stderr: " << err;
    }
};

// The compositor gone (crashed, or its session ended). With a box open, the
// box's own connection (GTK's) may see the loss first; the end is the same.

TEST_P(LifeJourneyOnWayland, LosingTheCompositorEndsWithOneAndSaysSo)
{
    for (bool box_open : {false, true}) {
        SCOPED_TRACE(box_open ? "with a box open" : "with no box");
        Window scene = None;
        if (!box_open) {
            scene = StartShow();
        } else {
            std::string error;
            ASSERT_TRUE(compositor_.Start(session_, x_, artifacts_, &error)) << error;
            StartProgram();
            scene = WaitForScene();
            ClickKorea(scene, "Selection");
        }
        compositor_.Kill();
        ExpectLostCompositorEnd();
    }
}

// A failure SDL never reports (a GL swap that read the broken connection
// with events queued spins the decorations' dispatch, and no quit comes),
// made by a preloaded library: only the look before every pump ends it.
TEST_P(LifeJourneyOnWayland, AFailureSdlNeverReportsEndsItToo)
{
    const std::string flag = artifacts_ + "/connection-failed";
    program_env_ = {"LD_PRELOAD=" GROUP_G_FAIL_CONNECTION_LIB,
                    "GROUP_G_CONNECTION_FAILED_FLAG=" + flag};
    asan_options_ = "verify_asan_link_order=0";
    StartShow();
    std::ofstream(flag) << "failed\n";
    ExpectLostCompositorEnd();
}

INSTANTIATE_IN_SESSIONS(LifeJourneyOnWayland, Session::kMutter, Session::kWeston);

// Logging out: SIGTERM and the X server's end together, whichever the
// program notices first, twenty times.
TEST_F(LifeJourney, SessionEndingNeverLeavesItRunning)
{
    for (int round = 1; round <= 20; ++round) {
        SCOPED_TRACE(::testing::Message() << "round " << round);
        StartShow(false);
        program_.Signal(SIGTERM);
        x_.Stop();
        ASSERT_TRUE(program_.WaitExit(kReact))
            << "still running " << kReact.count() << "s after SIGTERM and the display's end";
        EXPECT_TRUE(WIFEXITED(program_.status())) << DescribeStatus(program_.status());
        std::vector<std::string> left = program_.LeftBehind();
        ASSERT_TRUE(left.empty()) << "left behind: " << ::testing::PrintToString(left);
    }
}

// This test's connection takes the window manager's part and never maps the
// window, so the program waits for ever inside the window system: SIGTERM
// must still end it, within its deadline, as a failure.
TEST_F(LifeJourney, EndsEvenWhenTheWindowSystemStopsAnswering)
{
    StartDisplay(kDesktop, false);
    XSelectInput(x_.x(), x_.root(), SubstructureRedirectMask);
    x_.Sync();
    PrepareRunFolder();
    StartProgram();
    ASSERT_TRUE(WaitUntil(kAppear, [&] {
        while (XPending(x_.x())) {
            XEvent event;
            XNextEvent(x_.x(), &event);
            if (event.type == MapRequest)
                return true;
        }
        return false;
    })) << "the program never asked to show its window";
    program_.Signal(SIGTERM);
    ExpectExit(1, kReact);
}

// A display number no server holds: one this test stopped would soon be
// taken by a test running beside it.
std::string DisplayNobodyServes()
{
    for (int n = 900; n < 1000; ++n) {
        std::string socket = "/tmp/.X11-unix/X" + std::to_string(n);
        std::string lock = "/tmp/.X" + std::to_string(n) + "-lock";
        if (access(socket.c_str(), F_OK) != 0 && access(lock.c_str(), F_OK) != 0)
            return ":" + std::to_string(n);
    }
    return ":999";
}

// No DISPLAY, and one no server answers: the reason goes to standard error.
TEST_F(LifeJourney, WithoutADisplayItFailsAtOnceAndSaysWhy)
{
    std::string gone = DisplayNobodyServes();
    PrepareRunFolder();
    for (const std::string &display : {std::string(), gone}) {
        SCOPED_TRACE("DISPLAY=" + display);
        ProcessOptions o = GroupGOptions("", run_dir_, display, artifacts_);
        o.env.push_back("WAYLAND_DISPLAY=");
        std::string error;
        ASSERT_TRUE(program_.Start(o, &error)) << error;
        ASSERT_TRUE(program_.WaitExit(kReact))
            << "still running " << kReact.count() << "s after its start";
        EXPECT_TRUE(WIFEXITED(program_.status()) && WEXITSTATUS(program_.status()) != 0)
            << "expected a failure, got " << DescribeStatus(program_.status());
        std::string err = Tail(artifacts_ + "/program.err", 100);
        EXPECT_NE(err.find("Window Creation Error."), std::string::npos)
            << "expected the reason on standard error, got: " << err;
        EXPECT_TRUE(program_.LeftBehind().empty());
    }
}

// The scene stops only while minimized. Judged by the orbit's angle on frozen
// frames apart: a window presenting without drawing would show one step at most.
TEST_F(LifeJourney, LosingTheFocusKeepsTheSceneMoving)
{
    Window scene = StartShow();
    Window other = XCreateSimpleWindow(x_.x(), x_.root(), 700, 100, 300, 200, 0, 0, 0xffffff);
    XStoreName(x_.x(), other, "another program");
    XMapWindow(x_.x(), other);
    x_.Sync();
    ASSERT_TRUE(WaitUntil(kReact, [&] { return IsManaged(x_, other); }));
    Activate(x_, other);
    ASSERT_TRUE(WaitUntil(kReact, [&] {
        Window focus;
        int revert;
        XGetInputFocus(x_.x(), &focus, &revert);
        return focus == other;
    })) << "the other window did not take the focus";

    WaitFrames(scene, 3);
    OrbitFit before = FindOrbit(Look(scene, "unfocused-1"));
    Thaw();
    WaitFrames(scene, 15);
    OrbitFit after = FindOrbit(Look(scene, "unfocused-2"));
    Thaw();
    ASSERT_TRUE(before.found && after.found) << before.why << after.why;
    double moved = std::fmod(after.phase - before.phase + 360.0, 360.0);
    EXPECT_GE(moved, 10.0) << "the orbit moved " << moved
                           << " degrees over 15 frames while another window had the focus";
    EndWithEscape(scene);
}

}  // namespace
}  // namespace e2e
