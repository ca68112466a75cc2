// Where the window opens, and every way to end the program but Esc (which
// ends every other journey): the close button, Alt+F4 without a window
// manager (the program's own) and with one, Ctrl+C in its terminal.
#include "driver/journey.h"

namespace e2e {
namespace {

using WindowJourney = Journey;

TEST_F(WindowJourney, OpensAtTheScreenCornerAndCloseButtonEnds)
{
    Window scene = StartShow(false);
    EXPECT_EQ(ToString(ClientRect(x_, scene)), "640x480+0+0")
        << "expected a 640x480 client area at the screen's top-left corner";
    AskToClose(x_, scene);
    ExpectExit(kExitAfterClose);
}

// On a compositor the decorations are the program's own and must be there.
using WindowJourneyInSessions = SessionJourney;

TEST_P(WindowJourneyInSessions, TitleBarCloseButtonEnds)
{
    Window scene = StartShow(true);
    if (OnWayland()) {
        EXPECT_TRUE(TitleBarAbove(Keep("output", GrabClient(x_, scene)), scene_area_))
            << "expected a title bar above the scene at " << ToString(scene_area_);
    }
    CloseWithButton(scene);
    ExpectExit(kExitAfterClose);
}

INSTANTIATE_IN_SESSIONS(WindowJourneyInSessions, EVERY_SESSION);

TEST_F(WindowJourney, AltF4EndsWithoutAndUnderWindowManager)
{
    for (bool window_manager : {false, true}) {
        SCOPED_TRACE(window_manager ? "under a window manager" : "without a window manager");
        Window scene = StartShow(window_manager);
        ASSERT_TRUE(WaitUntil(kReact, [&] { return !window_manager || IsManaged(x_, scene); }));
        ASSERT_TRUE(Chord(x_, scene, {XK_Alt_L, XK_F4}));
        ExpectExit(kExitAfterClose);
    }
}

// The terminal sends SIGINT to its foreground process group.
TEST_F(WindowJourney, CtrlCInItsTerminalEnds)
{
    StartDisplay(kDesktop, false);
    PrepareRunFolder();
    StartProgram("", "", true);
    WaitForScene();
    ASSERT_TRUE(program_.Type("\x03")) << "could not type into the program's terminal";
    ExpectExit(kExitAfterInterrupt);
}

}  // namespace
}  // namespace e2e
