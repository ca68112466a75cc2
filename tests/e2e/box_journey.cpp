// Message boxes as a desktop shows them: the picture error shown while the
// window opens belongs to the scene window (its transient, which the window
// manager keeps above it); a box with
// Korean text looks the same in every locale; and a hang-up signal while a
// box is open closes the box and ends the program, leaving nothing behind.
#include <csignal>
#include <cstdio>

#include "driver/journey.h"

namespace e2e {
namespace {

const char kBox[] = "Selection";

class BoxJourney : public Journey {
protected:
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
        Click(x_, scene, static_cast<int>(KoreaSpot().x), static_cast<int>(KoreaSpot().y), 1);
        return WaitForBox(kBox, name);
    }
};

// The Selection box's owner is checked with its other facts in the pick
// journey (LeftClicksNameWhatIsUnderTheCursor).
TEST_F(BoxJourney, PictureErrorBoxBelongsToTheSceneWindow)
{
    StartDisplay();
    PrepareRunFolder();
    std::remove((run_dir_ + "/TOGO.bmp").c_str());
    StartProgram();
    Window error = WaitForBox("Error");
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
    StartDisplay();
    PrepareRunFolder();
    std::remove((run_dir_ + "/TOGO.bmp").c_str());
    StartProgram();
    Window error = WaitForBox("Error");
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

}  // namespace
}  // namespace e2e
