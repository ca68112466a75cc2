// F1: fullscreen and back where 640x480 is offered, the monitor of a larger
// X screen switched to it and put back however the program ends, and the
// question a screen without that mode asks instead.
#include "driver/journey.h"

#include <X11/extensions/Xrandr.h>

#include <csignal>

namespace e2e {
namespace {

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

// A 640x480 mode beside the monitor's own, for as long as our connection.
void Offer640x480(const XSession &x)
{
    XRRScreenResources *res = XRRGetScreenResourcesCurrent(x.x(), x.root());
    ASSERT_TRUE(res != nullptr && res->noutput > 0) << "the display has no XRandR output";
    char name[] = "640x480";
    // 640x480 at 60 Hz: clock, then horizontal and vertical syncs and totals.
    XRRModeInfo mode = {0,   640, 480, 25175000, 656,  752,
                        800, 0,   490, 492,      525, name, sizeof name - 1, 0};
    RRMode id = XRRCreateMode(x.x(), x.root(), &mode);
    XRRAddOutputMode(x.x(), res->outputs[0], id);
    XRRFreeScreenResources(res);
    x.Sync();
}

class FullscreenJourney : public Journey {
protected:
    // A desktop whose monitor also offers 640x480; its mode before any switch.
    std::string StartDisplayWith640x480()
    {
        StartDisplay(kDesktop, true);
        Offer640x480(x_);
        PrepareRunFolder();
        return MonitorMode(x_);
    }

    // F1 on the windowed scene: a new window, fullscreen at 640x480+0+0.
    Window ExpectFullscreenAfterF1(Window scene)
    {
        scene = switch_window(x_, scene);
        EXPECT_TRUE(WaitUntil(kReact, [&] {
            return IsFullscreen(x_, scene) && ToString(ClientRect(x_, scene)) == "640x480+0+0";
        })) << "F1: expected a fullscreen window at 640x480+0+0, got "
            << (IsFullscreen(x_, scene) ? "fullscreen " : "not fullscreen ")
            << ToString(ClientRect(x_, scene));
        WaitFrames(scene, 3);
        return scene;
    }
};

// How the program is ended while fullscreen, and its exit code (-1: by the
// signal, as a second signal before the close does).
struct FullscreenEnd {
    const char *name;
    int exit_code;
};

class FullscreenModeJourney : public FullscreenJourney,
                              public ::testing::WithParamInterface<FullscreenEnd> {};

TEST_P(FullscreenModeJourney, MonitorSwitchedWhileFullscreenAndPutBackAtTheEnd)
{
    const std::string desktop = StartDisplayWith640x480();
    ASSERT_EQ("1280x1024", desktop);
    StartProgram();
    Window scene = WaitForScene();

    for (int round = 0; round < 2; ++round) {
        scene = ExpectFullscreenAfterF1(scene);
        EXPECT_EQ("640x480", MonitorMode(x_)) << "the monitor was not switched";
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
        // Both arrive while stopped: the second finds the first unanswered.
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

// The GL context refused after the switch: no fullscreen window was shown,
// so only the close's own restore can put the mode back before the box.
TEST_F(FullscreenJourney, FailedOpenAfterTheSwitchPutsTheModeBackBeforeItsBox)
{
    const std::string desktop = StartDisplayWith640x480();
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

// The screen's only mode is 640x480 at 16 bits.
TEST_F(FullscreenJourney, F1GoesFullscreenAndBack)
{
    Window scene = StartShow(true, "640x480x16");
    EXPECT_FALSE(IsFullscreen(x_, scene)) << "started fullscreen";
    scene = ExpectFullscreenAfterF1(scene);
    scene = switch_window(x_, scene);
    EXPECT_TRUE(WaitUntil(kReact, [&] {
        return !IsFullscreen(x_, scene) && ClientRect(x_, scene).width == 640 &&
               ClientRect(x_, scene).height == 480;
    })) << "second F1: expected a 640x480 window again, got "
        << (IsFullscreen(x_, scene) ? "fullscreen " : "") << ToString(ClientRect(x_, scene));
    WaitForScene();
    EndWithEscape(scene);
}

// Yes keeps the show in a window; No ends it as every failed open does.
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

// On a compositor SDL offers 640x480 scaled to the output: F1 fills it
// without the title bar, and F1 again brings the window back with it.
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
