// The window and every way the README says ends the program: where it
// opens, the close button without and with a window manager (and on
// Wayland compositors, with its title bar), Alt+F4
// without one (the program's own system key) and with one (the desktop's
// binding), and Ctrl+C in the terminal it was started from.
#include "driver/journey.h"

namespace e2e {
namespace {

using WindowJourney = Journey;

// Esc ends every other journey (EndWithEscape).
TEST_F(WindowJourney, OpensAtTheScreenCornerAndCloseButtonEnds)
{
    Window scene = StartShow(false);
    EXPECT_EQ(ToString(ClientRect(x_, scene)), "640x480+0+0")
        << "expected a 640x480 client area at the screen's top-left corner";
    AskToClose(x_, scene);
    ExpectExit(kExitAfterClose);
}

// The close button of the title bar: under openbox, and natively on each
// compositor, where the decorations are the program's own and must be there.
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

// ^C typed in the terminal: the terminal sends SIGINT to its foreground
// process group, where a program started from a shell runs.
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
