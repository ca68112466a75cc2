// Message boxes as a desktop shows them: the picture error belongs to the
// scene window (its transient, kept above it); Korean text looks the same in
// every locale; a hang-up with a box open leaves nothing behind.
#include <csignal>
#include <cstdlib>

#include "driver/journey.h"

namespace e2e {
namespace {

const char kBox[] = "Selection";

using BoxJourney = Journey;
using BoxJourneyInSessions = SessionJourney;

// (The Selection box's owner: PickJourney.LeftClicksNameWhatIsUnderTheCursor.)
TEST_F(BoxJourney, PictureErrorBoxBelongsToTheSceneWindow)
{
    Window error = StartWithoutTogo();
    Window scene = FindWindow(x_, kSceneTitle);
    ASSERT_NE(scene, None) << "the scene window should be up while its pictures load";
    EXPECT_EQ(TransientFor(x_, error), scene) << "the picture's Error box has no owner";
    AnswerBox(error, XK_Return, "Error");
    WaitFrames(scene, 3);
    EndWithEscape(scene);
}

// Return and Esc typed at once into the Error box: Esc, sent before the box
// had closed, reaches the scene window and ends the program.
TEST_F(BoxJourney, EscTypedWithTheAnswerReachesTheSceneWindow)
{
    Window error = StartWithoutTogo();
    ASSERT_TRUE(Focus(x_, error)) << "the Error box did not take the focus";
    for (KeySym key : {XK_Return, XK_Escape}) {
        KeyDown(x_, key);
        KeyUp(x_, key);
    }
    ExpectExit(kExitAfterClose);
}

// The same box, pixel for pixel, under LANG=C as under C.UTF-8.
TEST_F(BoxJourney, KoreanBoxLooksTheSameInEveryLocale)
{
    StartDisplay();
    PrepareRunFolder();
    std::map<std::string, Image> boxes;
    for (const char *lang : {"C.UTF-8", "C"}) {
        program_env_ = {std::string("LANG=") + lang, "LC_ALL=", "LANGUAGE="};
        StartProgram();
        Window scene = WaitForScene();
        Window box = ClickKorea(scene, std::string("box-") + lang);
        boxes[lang] = kept_[std::string("box-") + lang];
        AnswerBox(box, XK_Return, kBox);
        EndWithEscape(scene);
    }
    long n = DifferingPixels(boxes["C"], boxes["C.UTF-8"]);
    EXPECT_EQ(n, 0) << "the Korea box under LANG=C differs from the one under C.UTF-8 in " << n
                    << " pixels (see box-C.png and box-C.UTF-8.png)";
}

TEST_F(BoxJourney, HangUpWithABoxOpenLeavesNothingBehind)
{
    Window scene = StartShow();
    ClickKorea(scene, "korea-box");
    program_.Signal(SIGHUP);
    ExpectExit(kExitAfterInterrupt);
    EXPECT_EQ(FindWindow(x_, kBox), None) << "the box stayed on the screen";
    EXPECT_EQ(FindWindow(x_, kSceneTitle), None) << "the scene window stayed on the screen";
}

// The Selection box comes with its text, over its owner where it can name
// one (not on Weston, which cannot export a surface). Esc typed as the box
// goes (Weston fades it for most of a second before giving the keyboard
// back) reaches the scene and ends the program. Under Mutter the window is
// first dragged off centre, so a box merely centred would not be over it.
TEST_P(BoxJourneyInSessions, SelectionBoxComesOverItsOwnerAndEscTypedAsItGoesEnds)
{
    Window scene = StartShow();
    if (session_ == Session::kMutter) {
        Rect from = scene_area_;
        ASSERT_TRUE(DragOnOutput(x_, scene, from.x + 100, from.y - 12, 860, from.y - 12, kReact, [&] {
            return FindSceneArea(GrabClient(x_, scene), &scene_area_) && scene_area_.x >= 700;
        })) << "the scene window was not dragged; it stands at " << ToString(scene_area_);
        WaitForScene();  // where it came to rest
    }
    Window box = ClickKorea(scene, "selection");
    Rect owner = OnWayland() ? scene_area_ : ClientRect(x_, scene);
    Rect shown = OnWayland() ? box_area_ : ClientRect(x_, box);
    const Image &picture = kept_["selection"];
    long text = 0;
    for (int y = 0; y < picture.height; ++y)
        for (int x = 0; x < picture.width; ++x)
            text += picture.At(x, y).g < 120;
    EXPECT_GE(text, 150) << "expected the box's text drawn in it";
    if (!IsWeston(session_)) {
        int middle = shown.x + shown.width / 2;
        EXPECT_TRUE(std::abs(middle - (owner.x + owner.width / 2)) <= 40 &&
                    shown.y >= owner.y && shown.y + shown.height <= owner.y + owner.height)
            << "expected the box " << ToString(shown) << " over its owner " << ToString(owner);
    }
    AnswerBoxThenTap(box, XK_Return, kBox, scene, XK_Escape);
    ExpectExit(kExitAfterClose);
}

INSTANTIATE_IN_SESSIONS(BoxJourneyInSessions, EVERY_SESSION, Session::kWestonScale2);

}  // namespace
}  // namespace e2e
