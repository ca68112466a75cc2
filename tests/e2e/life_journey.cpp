// The program's life on a desktop: termination and hang-up signals end it
// as its close button does, and losing a Wayland compositor ends it as a
// failure; a session that ends (the signal and the X
// server going away together) never leaves it running, nor does a window
// system that stops answering; without a display it fails at once and says
// why; and a window that merely loses the focus to another one keeps its
// scene moving.
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

// The compositor gone (crashed, or its session ended): the program ends as
// for a lost X display, with status 1 and its own line on standard error,
// not as if it had been closed. With a box open the box's own connection
// (GTK's) may see the loss first; the end is the same.
using LifeJourneyOnWayland = SessionJourney;

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
            ClickScene(scene, static_cast<int>(KoreaSpot().x), static_cast<int>(KoreaSpot().y));
            WaitForBox("Selection");
        }
        compositor_.Kill();
        ExpectExit(kExitAfterFailedOpen, kReact);
        std::string err = Tail(artifacts_ + "/program.err");
        EXPECT_NE(err.find("The connection to the compositor was lost."), std::string::npos)
            << "expected the program's line on the lost compositor; stderr: " << err;
    }
}

// A failure SDL never reports (a GL swap that read the broken connection
// with events still queued sends the decorations' dispatch round for ever,
// and no quit comes): looked for before every pump, it ends the program
// the same way. A preloaded library makes the connection read as failed
// while the compositor goes on.
TEST_P(LifeJourneyOnWayland, AFailureSdlNeverReportsEndsItToo)
{
    const std::string flag = artifacts_ + "/connection-failed";
    program_env_ = {"LD_PRELOAD=" GROUP_G_FAIL_CONNECTION_LIB,
                    "GROUP_G_CONNECTION_FAILED_FLAG=" + flag};
    asan_options_ = "verify_asan_link_order=0";
    StartShow();
    std::ofstream(flag) << "failed\n";
    ExpectExit(kExitAfterFailedOpen, kReact);
    std::string err = Tail(artifacts_ + "/program.err");
    EXPECT_NE(err.find("The connection to the compositor was lost."), std::string::npos)
        << "expected the program's line on the lost compositor; stderr: " << err;
}

INSTANTIATE_IN_SESSIONS(LifeJourneyOnWayland, Session::kMutter, Session::kWeston);

// Logging out: SIGTERM and the X server's end come together. Whichever the
// program notices first, it must be gone soon after, with no process left,
// every time.
TEST_F(LifeJourney, SessionEndingNeverLeavesItRunning)
{
    for (int round = 1; round <= 20; ++round) {
        SCOPED_TRACE(::testing::Message() << "round " << round);
        StartDisplay(kDesktop, false);
        PrepareRunFolder();
        StartProgram();
        WaitForScene();
        program_.Signal(SIGTERM);
        x_.Stop();
        ASSERT_TRUE(program_.WaitExit(kReact))
            << "still running " << kReact.count() << "s after SIGTERM and the display's end";
        EXPECT_TRUE(WIFEXITED(program_.status())) << DescribeStatus(program_.status());
        std::vector<std::string> left = program_.LeftBehind();
        ASSERT_TRUE(left.empty()) << "left behind: " << ::testing::PrintToString(left);
    }
}

// A window system that stops answering: this test's connection takes the
// window manager's part and never maps the window the program asks to
// show, so the program waits for ever inside the window system. A
// termination signal must still end it, within its deadline, as a failure.
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

// A display number no server of this machine holds. The number of a
// server this test stopped would not do: servers of tests running beside
// it take the lowest free number, often that very one.
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

// No DISPLAY at all, and a DISPLAY no server answers: no window can be
// made, so the program says so on standard error (no box can be shown
// either) and fails.
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

// Another window takes the focus: the scene goes on moving, as it stops
// only while minimized. Judged by the orbit's angle on frozen frames some
// frames apart (a window that stopped drawing but kept presenting would
// show the same angle, or one step on).
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
