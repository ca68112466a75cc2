// The journeys' fixture and main; see journey.h.
#include "journey.h"

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <deque>
#include <filesystem>
#include <fstream>
#include <functional>

#include "scene/draw_scene.h"

namespace fs = std::filesystem;

namespace e2e {
namespace {

// Ends the test at its first fatal failure, wherever it happens.
class FatalFailuresThrow : public ::testing::EmptyTestEventListener {
    void OnTestPartResult(const ::testing::TestPartResult &result) override
    {
        if (result.type() == ::testing::TestPartResult::kFatalFailure)
            throw ::testing::AssertionException(result);
    }
};

// Waits up to `limit` for two grabs in a row to agree, and gives the last: a
// frame on its way to the screen, or a window still sliding in, would differ.
bool held_still(Seconds limit, const std::function<Image()> &grab, Image *seen)
{
    Image last;
    return WaitUntil(limit, [&] {
        *seen = grab();
        bool same = !seen->empty() && DifferingPixels(*seen, last) == 0;
        last = *seen;
        return same;
    });
}

}  // namespace

std::string Tail(const std::string &path, int lines)
{
    std::ifstream file(path);
    std::deque<std::string> last;
    for (std::string line; std::getline(file, line);) {
        last.push_back(line);
        if (static_cast<int>(last.size()) > lines)
            last.pop_front();
    }
    std::string text;
    for (const std::string &line : last)
        text += (text.empty() ? "" : " | ") + line;
    return text.empty() ? "(nothing)" : text;
}

void Journey::SetUp()
{
    const ::testing::TestInfo *test = ::testing::UnitTest::GetInstance()->current_test_info();
    // Another build's run keeps its pictures apart from this build's.
    const char *root = getenv("GROUP_G_E2E_ARTIFACTS");
    artifacts_ = std::string(root != nullptr ? root : GROUP_G_ARTIFACTS) + "/" +
                 test->test_suite_name() + "." + test->name();
    fs::remove_all(artifacts_);
    fs::create_directories(artifacts_);
    std::cout << "artifacts: " << artifacts_ << std::endl;
}

void Journey::TearDown()
{
    if ((HasFailure() || getenv("GROUP_G_E2E_KEEP") != nullptr) && x_.x() != nullptr) {
        for (const auto &[name, image] : kept_)
            WritePng(image, artifacts_ + "/" + name + ".png");
        WritePng(GrabScreen(x_), artifacts_ + "/screen-at-end.png");
        std::cout << "pictures kept in " << artifacts_ << std::endl;
    }
    // Where each thread of a program still running stands says where it is stuck.
    if (HasFailure() && program_.Running() && access("/usr/bin/gdb", X_OK) == 0) {
        Process gdb;
        ProcessOptions o;
        o.argv = {"/usr/bin/gdb", "-p", std::to_string(program_.pid()), "-batch", "-ex",
                  "thread apply all bt"};
        o.out_path = artifacts_ + "/program-stacks.txt";
        std::string error;
        if (gdb.Start(o, &error))
            gdb.WaitExit(kAppear);
    }
    program_.Kill();
    compositor_.Stop();
    x_.Stop();
}

std::string SessionParamName(const ::testing::TestParamInfo<Session> &info)
{
    return SessionName(info.param);
}

std::string Journey::ProgramState()
{
    if (!program_.started())
        return "the program was not started";
    return program_.Running() ? "the program runs"
                              : "the program ended, " + DescribeStatus(program_.status());
}

void Journey::StartDisplay(const std::string &screen, bool window_manager)
{
    std::string error;
    // Room for a compositor's window drawn at twice the size, and beside it.
    std::string size = OutputScale(session_) == 2 && screen == kDesktop ? "2560x1920x24" : screen;
    ASSERT_TRUE(x_.Start(size, window_manager && !OnWayland(), artifacts_, &error)) << error;
    if (OnWayland()) {
        ASSERT_TRUE(compositor_.Start(session_, x_, artifacts_, &error)) << error;
    }
}

void Journey::PrepareRunFolder()
{
    run_dir_ = artifacts_ + "/run";
    CopyPictures(run_dir_);
}

void Journey::StartProgram(const std::string &binary, const std::string &cwd, bool terminal)
{
    ProcessOptions o = GroupGOptions(binary, cwd.empty() ? run_dir_ : cwd, x_.name(), artifacts_,
                                     asan_options_);
    o.env.insert(o.env.end(), program_env_.begin(), program_env_.end());
    o.terminal = terminal;
    if (OnWayland()) {
        // No X display at all: the compositor is all the program can use.
        o.env.erase(std::remove_if(o.env.begin(), o.env.end(),
                                   [](const std::string &e) { return e.rfind("DISPLAY=", 0) == 0; }),
                    o.env.end());
        o.env.insert(o.env.end(), {"DISPLAY", "WAYLAND_DISPLAY=" + compositor_.socket(),
                                   "XDG_RUNTIME_DIR=" + compositor_.runtime_dir()});
    }
    std::string error;
    ASSERT_TRUE(program_.Start(o, &error)) << "could not start " << o.argv[0] << ": " << error;
    frozen_ = false;
}

Window Journey::StartShow(bool window_manager, const std::string &screen)
{
    StartDisplay(screen, window_manager);
    PrepareRunFolder();
    StartProgram();
    return WaitForScene();
}

Window Journey::StartWithoutTogo()
{
    StartDisplay();
    PrepareRunFolder();
    fs::remove(run_dir_ + "/TOGO.bmp");
    StartProgram();
    return WaitForBox("Error");
}

Window Journey::WaitForScene()
{
    Window scene = None;
    if (OnWayland()) {
        // Found at the same place twice: not a window still sliding in.
        Rect last;
        if (WaitUntil(kAppear, [&] {
                bool same = FindSceneArea(GrabClient(x_, compositor_.output()), &scene_area_,
                                          OutputScale(session_)) &&
                            scene_area_ == last;
                last = scene_area_;
                return same;
            }))
            scene = compositor_.output();
    } else {
        scene = WaitForWindow(x_, kSceneTitle, kAppear, &program_);
    }
    if (scene == None)
        JOURNEY_FAIL() << "expected the scene window on " << SessionName(session_) << " within "
                       << kAppear.count() << "s; none appeared (" << ProgramState()
                       << "; its stderr: " << Tail(artifacts_ + "/program.err") << ")";
    // Weston does not always give a new window the keyboard: a person clicks
    // its title bar (not elsewhere: a second click would maximize).
    if (IsWeston(session_))
        ClickOutput(x_, scene, scene_area_.x + 40, TitleBarY(), 1);
    WaitFrames(scene, 3);
    return scene;
}

Window Journey::WaitForBox(const std::string &title, const std::string &name)
{
    Window box = None;
    Image drawn;
    if (OnWayland()) {
        // No title to find it by: the one box shown, once it holds still.
        if (held_still(kAppear, [&] {
                Image all = GrabClient(x_, compositor_.output());
                return FindBoxArea(all, &box_area_) ? Crop(all, box_area_) : Image();
            }, &drawn))
            box = compositor_.output();
    } else if ((box = WaitForWindow(x_, title, kAppear, &program_)) != None) {
        drawn = WaitForSettledPicture(x_, box, kReact);
    }
    if (box == None || drawn.empty())
        JOURNEY_FAIL() << "expected a box \"" << title << "\" within " << kAppear.count() << "s; "
                       << (box == None ? "none appeared and held still" : "it did not finish drawing")
                       << " (" << ProgramState() << ")";
    Keep(name.empty() ? title : name, drawn);
    return box;
}

void Journey::AnswerBox(Window box, KeySym key, const std::string &title)
{
    StartAnswering(box, key, title);
    if (!OnWayland())
        return;
    Rect ignored;
    ASSERT_TRUE(WaitUntil(kReact, [&] { return !FindBoxArea(GrabClient(x_, box), &ignored); }))
        << "the box \"" << title << "\" is still shown " << kReact.count() << "s after the key";
}

void Journey::AnswerBoxThenTap(Window box, KeySym key, const std::string &title, Window scene,
                               KeySym next)
{
    StartAnswering(box, key, title);
    ASSERT_TRUE(Tap(x_, scene, next)) << "the scene window did not take the focus";
}

void Journey::StartAnswering(Window box, KeySym key, const std::string &title)
{
    if (OnWayland()) {
        // Nor a new box: it is clicked in its corner, away from the buttons,
        // and may then draw itself as the active window.
        if (IsWeston(session_))
            ClickOutput(x_, box, box_area_.x + 8, box_area_.y + 8, 1);
        // Only the box's part: a key typed as it starts to go must not wait
        // for a picture of the whole output.
        Rect r = ClientRect(x_, box);
        Rect area = {r.x + box_area_.x, r.y + box_area_.y, box_area_.width, box_area_.height};
        Image shown;
        held_still(kReact, [&] { return Grab(x_, area); }, &shown);
        ASSERT_TRUE(Tap(x_, box, key)) << "the compositor did not take the focus";
        ASSERT_TRUE(WaitUntil(kReact, [&] {
            return DifferingPixels(Grab(x_, area), shown) != 0;
        })) << "the box \"" << title << "\" was still shown unchanged " << kReact.count()
            << "s after the key";
        return;
    }
    // Gone with its frame, which shows the box's last picture until taken
    // down; by this box's own unmap, as the next box may reuse its title and id.
    GoneWatch gone(x_, TopLevel(x_, box));
    ASSERT_TRUE(Tap(x_, box, key)) << "the box \"" << title << "\" did not take the focus";
    ASSERT_TRUE(gone.Wait(kReact))
        << "the box \"" << title << "\" is still shown " << kReact.count() << "s after the key";
}

void Journey::Press(Window w, KeySym key)
{
    if (OnWayland()) {
        ASSERT_TRUE(Tap(x_, w, key)) << "the compositor did not take the focus";
        ASSERT_TRUE(SceneChanges(w, kFramesToSeeAKey, kAppear))
            << "after " << XKeysymToString(key) << " was tapped the scene changed fewer than "
            << kFramesToSeeAKey << " times";
        return;
    }
    ASSERT_TRUE(PressKey(x_, w, key))
        << "after " << XKeysymToString(key) << " was tapped the window presented fewer than "
        << kFramesToSeeAKey << " frames";
}

// The compositor's window changes for more than the program's frames (the
// pointer, its own repaints): there the scene's own picture is counted.
bool Journey::SceneChanges(Window output, int n, Seconds limit)
{
    Image last = GrabScene(output);
    int changes = 0;
    return WaitUntil(limit, [&] {
        Image now = GrabScene(output);
        if (DifferingPixels(now, last) != 0)
            ++changes;
        last = now;
        return changes >= n;
    });
}

void Journey::WaitFrames(Window w, int frames)
{
    if (OnWayland()) {
        ASSERT_TRUE(SceneChanges(w, frames, kAppear))
            << "expected the scene to change " << frames << " times within " << kAppear.count()
            << "s (" << ProgramState() << ")";
        return;
    }
    FrameWatch watch(x_, w);
    ASSERT_TRUE(watch.WaitFrames(frames, kAppear))
        << "expected " << frames << " new frames of the scene within " << kAppear.count()
        << "s; got " << watch.Frames() << " (" << ProgramState() << ")";
}

Seconds Journey::FrameTime(Window w, int frames)
{
    auto start = std::chrono::steady_clock::now();
    WaitFrames(w, frames);
    return std::chrono::steady_clock::now() - start;
}

void Journey::EndWithEscape(Window scene)
{
    ASSERT_TRUE(PressUntil(x_, scene, XK_Escape, kAppear, [&] { return !program_.Running(); }))
        << "expected a tap of Esc to end the program; it still runs " << kAppear.count()
        << "s after it";
    ExpectExit(kExitAfterClose);
}

void Journey::Freeze()
{
    ASSERT_TRUE(program_.Running()) << "cannot freeze: the program has ended";
    program_.Signal(SIGSTOP);
    // Stopped: 'T', or 't' when a debugger or tracer holds it.
    ASSERT_TRUE(WaitUntil(kReact, [&] {
        char state = program_.State();
        return state == 'T' || state == 't';
    }))
        << "the program did not stop";
    frozen_ = true;
}

void Journey::Thaw()
{
    program_.Signal(SIGCONT);
    frozen_ = false;
}

Image Journey::Look(Window w, const std::string &name)
{
    if (!frozen_)
        Freeze();
    // A frame sent just before the stop may still be on its way.
    Image now;
    if (!held_still(kReact, [&] { return GrabScene(w); }, &now))
        JOURNEY_FAIL() << "the frozen window " << name << " did not hold still";
    return Keep(name, now);
}

bool Journey::FreezeOnTitle(Window scene, int *x, int *y)
{
    std::vector<Image> earlier;
    for (int i = 0; i < 6; ++i) {
        earlier.push_back(Look(scene, "title-" + std::to_string(i)));
        Thaw();
        WaitFrames(scene, 7);
    }
    for (int attempt = 0; attempt < 6; ++attempt) {
        if (StableTitlePoint(earlier, Look(scene, "title-click"), x, y))
            return true;
        Thaw();
        WaitFrames(scene, 1);
    }
    return false;
}

// Once thawed, the program may finish its frame before it reads a click, so
// the pick sees the angles one or two steps past the frozen picture: the aim
// is taken halfway and must hold for both.
static bool aim_fits(const Image &f, double phase, double ahead, Aim *aim)
{
    double sees[2] = {phase + kOrbitStep + ahead, phase + 2 * kOrbitStep + ahead};
    Spot mid = OrbitSpot(phase + 1.5 * kOrbitStep + ahead + OrbitOffset(aim->sphere));
    if (mid.y < kBelowTitle)
        return false;
    for (double seen : sees)
        for (int k = -1; k < 3; ++k) {
            Spot s = k < 0 ? KoreaSpot() : OrbitSpot(seen + OrbitOffset(k));
            double d = std::hypot(mid.x - s.x, mid.y - s.y);
            if (k == aim->sphere ? d > 0.5 * s.radius : d < 1.2 * s.radius)
                return false;
        }
    DiscCounts now = CountDisc(f, mid.x, mid.y, 6);
    if (now.Share(ahead == 0 ? now.bright : now.dark) < 0.9)
        return false;
    aim->x = static_cast<int>(std::lround(mid.x));
    aim->y = static_cast<int>(std::lround(mid.y));
    return true;
}

Aim Journey::FrozenAim(Window scene, std::vector<int> spheres, double ahead,
                                const std::string &name)
{
    for (int attempt = 1; attempt <= 20; ++attempt) {
        Image f = Look(scene, name + "-frame");
        OrbitFit orbit = FindOrbit(f);
        if (!orbit.found)
            JOURNEY_FAIL() << name << ": no orbit angle explains the frozen frame: " << orbit.why;
        bool wraps = ahead > 0 && std::fmod(orbit.phase, 120) + kSwissStartOrbit + ahead +
                                          3 * kOrbitStep >= 359;
        for (int k : spheres) {
            Aim aim{k, 0, 0};
            if (!wraps && aim_fits(f, orbit.phase, ahead, &aim))
                return aim;
        }
        Thaw();
        WaitFrames(scene, 1 + attempt % 3);
    }
    JOURNEY_FAIL() << name << ": no frame offered a place to aim at (see its last frame)";
    return Aim{};
}

Image Journey::GrabScene(Window scene)
{
    return OnWayland() ? Crop(GrabClient(x_, scene), scene_area_) : GrabClient(x_, scene);
}

void Journey::ClickScene(Window scene, int x, int y, int button)
{
    if (OnWayland())
        ClickOutput(x_, scene, scene_area_.x + x, scene_area_.y + y, button);
    else
        Click(x_, scene, x, y, button);
}

Window Journey::ClickKorea(Window scene, const std::string &name)
{
    ClickScene(scene, static_cast<int>(KoreaSpot().x), static_cast<int>(KoreaSpot().y));
    return WaitForBox("Selection", name);
}

void Journey::CloseWithButton(Window scene)
{
    if (OnWayland()) {
        // The decorations' close button: the last of the title bar's.
        ClickOutput(x_, scene, scene_area_.x + scene_area_.width - 17 * OutputScale(session_),
                    TitleBarY(), 1);
        return;
    }
    // The window manager takes the window into its list a moment after it
    // maps; a close asked before then would go nowhere.
    ASSERT_TRUE(WaitUntil(kReact, [&] { return IsManaged(x_, scene); }));
    AskWindowManagerToClose(x_, scene);
}

const Image &Journey::Keep(const std::string &name, const Image &image)
{
    return kept_[name] = image;
}

void Journey::ExpectExit(int code, Seconds limit)
{
    std::string err = artifacts_ + "/program.err";
    ASSERT_TRUE(program_.WaitExit(limit))
        << "expected the program to end within " << limit.count() << "s; it still runs";
    int status = program_.status();
    bool as_promised = WIFEXITED(status) && WEXITSTATUS(status) == code;
    EXPECT_TRUE(as_promised)
        << "expected exit code " << code << ", got " << DescribeStatus(program_.status())
        << "; stderr: " << Tail(err);
    // What was started on demand (Wine's desktop process) may take a moment to go.
    WaitUntil(kReact, [&] { return program_.LeftBehind().empty(); });
    std::vector<std::string> left = program_.LeftBehind();
    EXPECT_TRUE(left.empty()) << "expected no process left behind, found "
                              << ::testing::PrintToString(left);
    std::string report = SanitizerReport(err);
    EXPECT_EQ(report, "") << "expected no sanitizer report (see " << err << ")";
}

}  // namespace e2e

int main(int argc, char **argv)
{
    ::testing::InitGoogleTest(&argc, argv);
    ::testing::UnitTest::GetInstance()->listeners().Append(new e2e::FatalFailuresThrow);
    return RUN_ALL_TESTS();
}
