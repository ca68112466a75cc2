// Message boxes as a desktop shows them: the picture error shown while the
// window opens belongs to the scene window (its transient, which the window
// manager keeps above it); a box with
// Korean text looks the same in every locale; and a hang-up signal while a
// box is open closes the box and ends the program, leaving nothing behind.
#include <csignal>
#include <cstdlib>

#include "driver/journey.h"

namespace e2e {
namespace {

const char kBox[] = "Selection";

template <typename Base>
class BoxSteps : public Base {
protected:
    using Base::artifacts_;
    using Base::program_;
    using Base::run_dir_;
    using Base::x_;

    // The program with `env` added to what a test gives it (the run folder
    // must be ready).
    void StartWith(const std::vector<std::string> &env)
    {
        ProcessOptions o = GroupGOptions("", run_dir_, x_.name(), artifacts_);
        o.env.insert(o.env.end(), env.begin(), env.end());
        std::string error;
        ASSERT_TRUE(program_.Start(o, &error)) << error;
    }

    // Clicks the Korea sphere (at the centre in every frame) and returns
    // its box, kept as `name`.
    Window PickKorea(Window scene, const std::string &name)
    {
        this->ClickScene(scene, static_cast<int>(KoreaSpot().x), static_cast<int>(KoreaSpot().y));
        return this->WaitForBox(kBox, name);
    }
};

using BoxJourney = BoxSteps<Journey>;
using BoxJourneyInSessions = BoxSteps<SessionJourney>;

// The Selection box's owner is checked with its other facts in the pick
// journey (LeftClicksNameWhatIsUnderTheCursor).
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

// Return and then Esc typed at once into the Error box: Return answers it,
// and Esc, sent to the box before it had closed, reaches the scene window
// and ends the program.
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

// Pango draws the texts whatever the locale: the same box, pixel for pixel,
// under LANG=C as under C.UTF-8.
TEST_F(BoxJourney, KoreanBoxLooksTheSameInEveryLocale)
{
    StartDisplay();
    PrepareRunFolder();
    std::map<std::string, Image> boxes;
    for (const char *lang : {"C.UTF-8", "C"}) {
        StartWith({std::string("LANG=") + lang, "LC_ALL=", "LANGUAGE="});
        Window scene = WaitForScene();
        Window box = PickKorea(scene, std::string("box-") + lang);
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
    PickKorea(scene, "korea-box");
    program_.Signal(SIGHUP);
    ExpectExit(kExitAfterInterrupt);
    EXPECT_EQ(FindWindow(x_, kBox), None) << "the box stayed on the screen";
    EXPECT_EQ(FindWindow(x_, kSceneTitle), None) << "the scene window stayed on the screen";
}

// The Selection box comes with its text, over the scene window wherever
// the box can name that window as its owner (not on Weston, which cannot
// export a surface, and places the box itself). Return answers it, and Esc
// typed as the box goes ends the program: it reaches the scene window as
// soon as the box is no longer shown as it was (Weston would fade the box
// out for most of a second before giving the scene window the keyboard, and
// a key typed meanwhile reached no window). Under Mutter the window is
// first dragged off the output's centre, so a box it merely centred would
// not be over it.
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
    Window box = PickKorea(scene, "selection");
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
