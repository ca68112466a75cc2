// F1: fullscreen and back on a screen that offers 640x480, and the
// question a screen without that mode asks instead.
#include "driver/journey.h"

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

}  // namespace
}  // namespace e2e
