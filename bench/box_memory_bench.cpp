// box_memory_bench: how much anonymous resident memory the program gains
// per message box. The real group_g runs natively on Mutter and on Weston, each nested in
// a virtual X display, and beside them straight on X11 under openbox, where
// a box's pictures live in the X server (the baseline). In each run 100
// Selection boxes are opened by clicks alternating between the Korea sphere
// and the backdrop (two sizes of box) and each is answered with Return; the
// figure is the growth from the 10th box to the last, per box, so GTK's
// start and its first caches are left out. Each end is the least memory
// after five boxes (the 10th to the 14th, the last five): the GL driver's
// buffers of vertices and pictures move now and then, and one that moves
// into pages the program handed back after a box holds a megabyte more
// until the next box hands it back; memory a box leaves behind is in every
// later reading. Beside it, the least-squares slope of the memory after each
// box from the 10th on. Each run's readings are kept in its log folder
// (memory.txt, one line a box).
//
//   box_memory_bench [BUILD_DIR [RUNS [BOXES]]]   (5 runs of 100 boxes)
//
// Needs the test set of packages (Xvfb, openbox, Mutter, Weston); logs go to
// a folder printed at the start.
#include <X11/keysym.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include "child_process.h"
#include "scene_probe.h"
#include "wayland_session.h"
#include "x_input.h"
#include "x_windows.h"

using namespace e2e;
namespace fs = std::filesystem;
using std::chrono::milliseconds;

namespace {

const double kLimitKbPerBox = 8.0;
const int kFirstBoxes = 10;
const int kEndBoxes = 5;  // boxes read for each end of the growth
const Seconds kPatience{60};

// The program's own resident memory: its anonymous pages, leaving out the
// pages of libraries, fonts and pictures it has read, which come and go
// with what each box happens to touch.
long anonymous_kb(pid_t pid)
{
    std::ifstream status("/proc/" + std::to_string(pid) + "/status");
    for (std::string line; std::getline(status, line);)
        if (line.rfind("RssAnon:", 0) == 0)
            return std::stol(line.substr(8));
    return -1;
}

// The GL driver makes the pictures' copies anew every frame, megabytes
// that live for part of a frame, so a single reading may or may not hold a
// second copy. The least of `readings` readings 50 ms apart leaves them
// out; memory the program keeps is in every reading. -1 when the program
// has gone.
long settled_kb(pid_t pid, int readings)
{
    long least = -1;
    for (int i = 0; i < readings; ++i) {
        if (i > 0)
            std::this_thread::sleep_for(milliseconds(50));
        long now = anonymous_kb(pid);
        if (now < 0)
            return -1;
        least = least < 0 ? now : std::min(least, now);
    }
    return least;
}

// The least-squares slope of `y` over its index.
double slope(const std::vector<long> &y)
{
    double n = static_cast<double>(y.size());
    double mean_x = (n - 1) / 2, mean_y = 0;
    for (long v : y)
        mean_y += static_cast<double>(v) / n;
    double sxy = 0, sxx = 0;
    for (size_t i = 0; i < y.size(); ++i) {
        double dx = static_cast<double>(i) - mean_x;
        sxy += dx * (static_cast<double>(y[i]) - mean_y);
        sxx += dx * dx;
    }
    return sxx > 0 ? sxy / sxx : 0;
}

// A run's two figures, kB per box after the first ten.
struct Growth {
    double per_box = 0;  // the last five boxes' least less the first five's
    double slope = 0;    // least squares over every box's reading
};

// One run of the program in `session`; false, with the reason on stderr,
// when the run could not be measured.
class BoxRun {
public:
    BoxRun(Session session, const std::string &logs) : session_(session), logs_(logs) {}
    bool Measure(int boxes, Growth *growth);

private:
    bool Start();
    bool Box(int n);
    bool Fail(const std::string &why)
    {
        fprintf(stderr, "box_memory_bench: %s: %s (logs in %s)\n", SessionName(session_).c_str(),
                why.c_str(), logs_.c_str());
        return false;
    }
    bool OnWayland() const { return session_ != Session::kX11; }
    // A picture of the compositor's output.
    Image Output() { return GrabClient(x_, compositor_.output()); }

    Session session_;
    std::string logs_;
    XSession x_;
    Compositor compositor_;
    Process program_;
    Window scene_ = None;
    Rect area_;  // the scene's client area in the compositor's output
};

bool BoxRun::Start()
{
    std::string error;
    fs::create_directories(logs_);
    if (!x_.Start("1280x1024x24", !OnWayland(), logs_, &error))
        return Fail(error);
    ProcessOptions o;
    o.argv = {GROUP_G_BIN};
    o.cwd = GROUP_G_RUN_DIR;
    o.out_path = logs_ + "/program.out";
    o.err_path = logs_ + "/program.err";
    if (OnWayland()) {
        if (!compositor_.Start(session_, x_, logs_, &error))
            return Fail(error);
        o.env = {"DISPLAY", "WAYLAND_DISPLAY=" + compositor_.socket(),
                 "XDG_RUNTIME_DIR=" + compositor_.runtime_dir()};
    } else {
        o.env = {"DISPLAY=" + x_.name()};
    }
    if (!program_.Start(o, &error))
        return Fail(error);
    if (!OnWayland()) {
        scene_ = WaitForWindow(x_, "OpenGL Team Tarsel", kPatience, &program_);
        return scene_ != None || Fail("no scene window");
    }
    scene_ = compositor_.output();
    Rect last;
    if (!WaitUntil(kPatience, [&] {
            bool same = FindSceneArea(Output(), &area_) && area_ == last;
            last = area_;
            return same;
        }))
        return Fail("no scene");
    // Weston does not always give a new window the keyboard: its title bar
    // is clicked, as a person would.
    if (IsWeston(session_))
        ClickOutput(x_, scene_, area_.x + 40, area_.y - 12, 1);
    return true;
}

// The n-th box: opened, shown, answered with Return and gone.
bool BoxRun::Box(int n)
{
    Spot korea = KoreaSpot();
    int x = n % 2 == 0 ? static_cast<int>(korea.x) : kBackdropCorner.x + 15;
    int y = n % 2 == 0 ? static_cast<int>(korea.y) : kBackdropCorner.y + 15;
    if (!OnWayland()) {
        Click(x_, scene_, x, y, 1);
        Window box = WaitForWindow(x_, "Selection", kPatience, &program_);
        if (box == None)
            return Fail("box " + std::to_string(n) + " did not appear");
        if (WaitForSettledPicture(x_, box, kPatience).empty())
            return Fail("box " + std::to_string(n) + " was not drawn");
        GoneWatch gone(x_, TopLevel(x_, box));
        if (!Tap(x_, box, XK_Return) || !gone.Wait(kPatience))
            return Fail("box " + std::to_string(n) + " did not go");
        // Frames again (uncovering the box's place may count as one): the
        // program has left the box behind, and the next click is not taken
        // for one that came while the box was open.
        FrameWatch frames(x_, scene_);
        return frames.WaitFrames(3, kPatience) || Fail("no frames after box " + std::to_string(n));
    }
    ClickOutput(x_, scene_, area_.x + x, area_.y + y, 1);
    Rect box, last;
    if (!WaitUntil(kPatience, [&] {
            bool same = FindBoxArea(Output(), &box) && box == last;
            last = box;
            return same;
        }))
        return Fail("box " + std::to_string(n) + " did not appear");
    if (IsWeston(session_))
        ClickOutput(x_, scene_, box.x + 8, box.y + 8, 1);
    Rect ignored;
    if (!Tap(x_, scene_, XK_Return) ||
        !WaitUntil(kPatience, [&] { return !FindBoxArea(Output(), &ignored); }))
        return Fail("box " + std::to_string(n) + " did not go");
    Image before = Crop(Output(), area_);
    int changes = 0;
    return WaitUntil(kPatience, [&] {
               Image now = Crop(Output(), area_);
               changes += DifferingPixels(now, before) != 0;
               before = now;
               return changes >= 3;
           }) ||
           Fail("no frames after box " + std::to_string(n));
}

bool BoxRun::Measure(int boxes, Growth *growth)
{
    if (!Start())
        return false;
    // From the tenth box on, each over a quarter of a second.
    std::vector<long> readings;
    for (int n = 0; n < boxes; ++n) {
        if (!Box(n) || !program_.Running())
            return false;
        if (n + 1 >= kFirstBoxes) {
            readings.push_back(settled_kb(program_.pid(), 5));
            if (readings.back() < 0)
                return Fail("no memory figure");
        }
    }
    Tap(x_, scene_, XK_Escape);
    program_.WaitExit(kPatience);
    std::ofstream out(logs_ + "/memory.txt");
    for (long kb : readings)
        out << kb << "\n";
    size_t end = std::min<size_t>(kEndBoxes, readings.size());
    long first = *std::min_element(readings.begin(), readings.begin() + end);
    long last = *std::min_element(readings.end() - end, readings.end());
    growth->per_box = static_cast<double>(last - first) / (boxes - kFirstBoxes);
    growth->slope = slope(readings);
    return true;
}

}  // namespace

int main(int argc, char **argv)
{
    int runs = argc > 2 ? atoi(argv[2]) : 5;
    int boxes = argc > 3 ? atoi(argv[3]) : 100;
    if (runs < 1 || boxes <= kFirstBoxes) {
        fprintf(stderr, "usage: box_memory_bench [BUILD_DIR [RUNS [BOXES > %d]]]\n", kFirstBoxes);
        return 2;
    }
    char folder[] = "/tmp/group-g-box-memory-XXXXXX";
    if (mkdtemp(folder) == nullptr)
        return 1;
    printf("box memory: %d Selection boxes a run (Korea and the backdrop in turn), each\n"
           "answered with Return; growth of anonymous resident memory per box after\n"
           "the first %d, kB, from the least after boxes %d to %d to the least after\n"
           "the last %d (slope: least squares over the memory after each box from\n"
           "the %dth on)\n"
           "(logs in %s)\n",
           boxes, kFirstBoxes, kFirstBoxes, kFirstBoxes + kEndBoxes - 1, kEndBoxes, kFirstBoxes,
           folder);
    double worst = -1e9;
    bool all_measured = true;
    for (Session session : {Session::kX11, Session::kMutter, Session::kWeston}) {
        std::string name = SessionName(session);
        printf("%-18s", (session == Session::kX11 ? name + " (baseline)" : name).c_str());
        std::string slopes;
        for (int run = 1; run <= runs; ++run) {
            BoxRun box_run(session, std::string(folder) + "/" + name + "-" + std::to_string(run));
            Growth growth;
            bool measured = box_run.Measure(boxes, &growth);
            char slope_cell[32];
            if (measured) {
                printf(" %7.1f", growth.per_box);
                snprintf(slope_cell, sizeof slope_cell, " %7.1f", growth.slope);
            } else {
                printf(" %7s", "failed");
                snprintf(slope_cell, sizeof slope_cell, " %7s", "-");
            }
            slopes += slope_cell;
            fflush(stdout);
            if (session == Session::kX11)
                continue;
            all_measured = all_measured && measured;
            worst = std::max(worst, growth.per_box);
        }
        printf("\n%-18s%s\n", "  slope", slopes.c_str());
    }
    printf("target box_memory: worst %.1f kB per box on Wayland vs limit %.1f kB: %s\n", worst,
           kLimitKbPerBox, all_measured && worst <= kLimitKbPerBox ? "met" : "missed");
    return 0;
}
