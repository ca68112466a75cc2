// F1: fullscreen and back on a screen that offers 640x480 (X11, and any
// Wayland compositor), the monitor switched to that mode on a larger X
// screen and put back however the program ends, and the question a screen
// without that mode asks instead.
#include "driver/journey.h"

#include <X11/extensions/Xrandr.h>

#include <csignal>

namespace e2e {
namespace {

using FullscreenJourney = Journey;

const char kStayWindowed[] = "2nd Term OpenGL Tarsel";

Window switch_window(const XSession &x, Window scene)
{
    Window next = SwitchWithF1(x, scene, kAppear);
    if (next == None)
        JOURNEY_FAIL() << "F1: expected a new scene window within " << kAppear.count() << "s";
    return next;
}

// The mode of the monitor at the screen's corner, as "WxH".
std::string MonitorMode(const XSession &x)
{
    std::string shown = "none";
    XRRScreenResources *res = XRRGetScreenResourcesCurrent(x.x(), x.root());
    for (int i = 0; res != nullptr && i < res->ncrtc; ++i) {
        XRRCrtcInfo *crtc = XRRGetCrtcInfo(x.x(), res, res->crtcs[i]);
        if (crtc != nullptr && crtc->mode != None && crtc->x == 0 && crtc->y == 0)
            shown = std::to_string(crtc->width) + "x" + std::to_string(crtc->height);
        if (crtc != nullptr)
            XRRFreeCrtcInfo(crtc);
    }
    if (res != nullptr)
        XRRFreeScreenResources(res);
    return shown;
}

// Gives the virtual screen's monitor a 640x480 mode beside its own. The
// mode belongs to our connection, so it lasts as long as the test's
// display.
void Offer640x480(const XSession &x)
{
    XRRScreenResources *res = XRRGetScreenResourcesCurrent(x.x(), x.root());
    ASSERT_TRUE(res != nullptr && res->noutput > 0) << "the display has no XRandR output";
    char name[] = "640x480";
    XRRModeInfo mode = {};
    mode.width = 640;
    mode.height = 480;
    mode.dotClock = 25175000;
    mode.hSyncStart = 656;
    mode.hSyncEnd = 752;
    mode.hTotal = 800;
    mode.vSyncStart = 490;
    mode.vSyncEnd = 492;
    mode.vTotal = 525;
    mode.name = name;
    mode.nameLength = sizeof name - 1;
    RRMode id = XRRCreateMode(x.x(), x.root(), &mode);
    XRRAddOutputMode(x.x(), res->outputs[0], id);
    XRRFreeScreenResources(res);
    x.Sync();
}

// How the program is made to end while fullscreen, and the status it ends
// with: a termination signal closes it as its close button does; a second
// one before the close ends it by that signal (exit code -1 here); a killed
// connection to the display ends it at once.
struct FullscreenEnd {
    const char *name;
    int exit_code;
};

class FullscreenModeJourney : public Journey,
                              public ::testing::WithParamInterface<FullscreenEnd> {};

// The monitor shows 640x480 exactly while the fullscreen window is up, and
// the desktop's mode is back after the program ends.
TEST_P(FullscreenModeJourney, MonitorSwitchedWhileFullscreenAndPutBackAtTheEnd)
{
    StartDisplay(kDesktop, true);
    Offer640x480(x_);
    const std::string desktop = MonitorMode(x_);
    ASSERT_EQ("1280x1024", desktop);
    PrepareRunFolder();
    StartProgram();
    Window scene = WaitForScene();

    for (int round = 0; round < 2; ++round) {
        scene = switch_window(x_, scene);
        EXPECT_TRUE(WaitUntil(kReact, [&] {
            return IsFullscreen(x_, scene) &&
                   ToString(ClientRect(x_, scene)) == "640x480+0+0";
        })) << "F1: expected a fullscreen window at 640x480+0+0, got "
            << ToString(ClientRect(x_, scene));
        EXPECT_EQ("640x480", MonitorMode(x_)) << "the monitor was not switched";
        WaitFrames(scene, 3);
        if (round == 1)
            break;
        scene = switch_window(x_, scene);
        WaitForScene();
    }

    const FullscreenEnd &end = GetParam();
    std::string how = end.name;
    if (how == "Signal") {
        program_.Signal(SIGTERM);
    } else if (how == "SignalTwice") {
        // Both arrive while it is stopped, so the second finds the first
        // still unanswered.
        Freeze();
        program_.Signal(SIGTERM);
        program_.Signal(SIGINT);
        Thaw();
    } else {
        XKillClient(x_.x(), scene);
    }
    x_.Sync();
    if (end.exit_code >= 0) {
        ExpectExit(end.exit_code);
    } else {
        ASSERT_TRUE(program_.WaitExit(kAppear)) << "the program did not end";
        EXPECT_TRUE(WIFSIGNALED(program_.status())) << DescribeStatus(program_.status());
    }
    EXPECT_EQ(desktop, MonitorMode(x_)) << "the program ended with the monitor switched";
}

INSTANTIATE_TEST_SUITE_P(EveryEnd, FullscreenModeJourney,
                         ::testing::Values(FullscreenEnd{"Signal", kExitAfterInterrupt},
                                           FullscreenEnd{"SignalTwice", -1},
                                           FullscreenEnd{"DisplayLost", 1}),
                         [](const ::testing::TestParamInfo<FullscreenEnd> &info) {
                             return std::string(info.param.name);
                         });

// A fullscreen open that fails after the monitor was switched (its GL
// context refused) puts the desktop's mode back before its ERROR box: no
// fullscreen window was ever shown, so only the close's own restore counts.
TEST_F(FullscreenJourney, FailedOpenAfterTheSwitchPutsTheModeBackBeforeItsBox)
{
    StartDisplay(kDesktop, true);
    Offer640x480(x_);
    const std::string desktop = MonitorMode(x_);
    PrepareRunFolder();
    program_env_ = {"LD_PRELOAD=" GROUP_G_REFUSE_CONTEXT_LIB};
    asan_options_ = "verify_asan_link_order=0";
    StartProgram();
    Window scene = WaitForScene();
    ASSERT_TRUE(PressUntil(x_, scene, XK_F1, kAppear, [&] { return FindWindow(x_, "ERROR") != None; }))
        << "F1 with the context refused: expected an ERROR box";
    Window box = WaitForBox("ERROR");
    EXPECT_EQ(desktop, MonitorMode(x_)) << "the ERROR box came with the monitor still switched";
    AnswerBox(box, XK_Return, "ERROR");
    ExpectExit(kExitAfterFailedOpen);
}

// Under a window manager, as on a desktop; the screen's only mode is
// 640x480 at 16 bits.
TEST_F(FullscreenJourney, F1GoesFullscreenAndBack)
{
    StartDisplay("640x480x16", true);
    PrepareRunFolder();
    StartProgram();
    Window scene = WaitForScene();
    EXPECT_FALSE(IsFullscreen(x_, scene)) << "started fullscreen";

    scene = switch_window(x_, scene);
    EXPECT_TRUE(WaitUntil(kReact, [&] {
        return IsFullscreen(x_, scene) && ToString(ClientRect(x_, scene)) == "640x480+0+0";
    })) << "F1: expected a fullscreen window at 640x480+0+0, got "
        << (IsFullscreen(x_, scene) ? "fullscreen " : "not fullscreen ")
        << ToString(ClientRect(x_, scene));
    WaitFrames(scene, 3);

    scene = switch_window(x_, scene);
    EXPECT_TRUE(WaitUntil(kReact, [&] {
        return !IsFullscreen(x_, scene) && ClientRect(x_, scene).width == 640 &&
               ClientRect(x_, scene).height == 480;
    })) << "second F1: expected a 640x480 window again, got "
        << (IsFullscreen(x_, scene) ? "fullscreen " : "") << ToString(ClientRect(x_, scene));
    WaitForScene();
    EndWithEscape(scene);
}

// On a screen without a 640x480 mode F1 asks whether to stay windowed:
// Yes keeps the show running in a window; No says the program will close,
// and it ends as every open that fails does.
TEST_F(FullscreenJourney, WithoutTheModeF1AsksToStayWindowed)
{
    Window scene = StartShow(false);
    auto ask = [&](const std::string &name) {
        if (!PressUntil(x_, scene, XK_F1, kAppear,
                        [&] { return FindWindow(x_, kStayWindowed) != None; }))
            JOURNEY_FAIL() << "F1 without a 640x480 mode: expected the box \"" << kStayWindowed << "\"";
        return WaitForBox(kStayWindowed, name);
    };
    AnswerBox(ask("question-yes"), XK_Return, kStayWindowed);
    scene = WaitForScene();
    EXPECT_FALSE(IsFullscreen(x_, scene)) << "Yes should have kept a window";

    AnswerBox(ask("question-no"), XK_Escape, kStayWindowed);
    AnswerBox(WaitForBox("ERROR"), XK_Return, "ERROR");
    ExpectExit(kExitAfterFailedOpen);
}

// On a compositor SDL offers 640x480 as a mode it draws scaled to the
// output, so F1 is granted: the scene fills the whole output, without its
// title bar, and F1 again brings the window back with it.
using FullscreenJourneyOnWayland = SessionJourney;

TEST_P(FullscreenJourneyOnWayland, F1FillsTheOutputAndComesBack)
{
    Window output = StartShow();
    auto filled = [&] {
        Image all = Keep("output", GrabClient(x_, output));
        return BackdropBorderShare(all) >= 0.95;
    };
    ASSERT_TRUE(PressUntil(x_, output, XK_F1, kAppear, filled))
        << "F1: expected the scene over the whole output, its edges the backdrop's";
    Rect ignored;
    EXPECT_FALSE(FindBoxArea(GrabClient(x_, output), &ignored)) << "F1 asked a question";
    ASSERT_TRUE(PressUntil(x_, output, XK_F1, kAppear, [&] { return !filled(); }))
        << "second F1: expected the window back";
    WaitForScene();
    EXPECT_TRUE(TitleBarAbove(Keep("windowed", GrabClient(x_, output)), scene_area_))
        << "second F1: expected the window with its title bar at " << ToString(scene_area_);
    EndWithEscape(output);
}

INSTANTIATE_IN_SESSIONS(FullscreenJourneyOnWayland, Session::kMutter, Session::kWeston);

}  // namespace
}  // namespace e2e
