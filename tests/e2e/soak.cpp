// soak: the AddressSanitizer + UBSan build of group_g driven with random
// input (F1 to F5, left clicks with their boxes answered, right clicks,
// resizes, minimize and restore) under a window manager on a 640x480x16
// screen, where F1 really switches to fullscreen, then ended with Esc. It
// passes on no sanitizer report, the promised exit code, nothing left behind,
// and a live heap at the end within 6 MB of where it stood after the first
// minute (half the run, if shorter), plus 2 MB per retired picking context
// (see below), with the program's own share (allocations whose stack passes
// through its executable) within 256 kB. The GL driver's share moves by up
// to 3 MB either way with the order of past input, hence the wide limit on
// the whole. heap_probe, preloaded, reports the heap; resident memory swings
// by megabytes under the sanitizer and is only logged.
//   soak [SECONDS]      how long to drive the program (120 unless given)
//   SOAK_SEED=N soak    replays a run: the seed used is printed at the start
#include <X11/keysym.h>
#include <link.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <map>
#include <random>
#include <regex>
#include <sstream>
#include <thread>

#include "driver/group_g.h"
#include "driver/screenshot.h"
#include "driver/x_input.h"
#include "driver/x_windows.h"

namespace fs = std::filesystem;
using namespace e2e;

namespace {

constexpr long kHeapLimitKb = 6144;
// Mesa 22.3 never frees what a context sets up for its first selection pass:
// each such context closed by F1 leaves 1 to 1.4 MB behind, however many picks
// it ran. These are counted and allowed this much each.
constexpr long kRetiredPickingContextKb = 2048;
constexpr long kOwnHeapLimitKb = 256;
constexpr Seconds kPatience{120};

const char *const kBoxes[] = {"Selection", "Error", "2nd Term OpenGL Tarsel"};

struct Failure {
    std::string why;
};

// The sanitizer runtime, which must come first in the preloads; empty when
// linked in statically.
std::string sanitizer_runtime()
{
    std::string found;
    dl_iterate_phdr(
        [](dl_phdr_info *info, size_t, void *out) {
            std::string name = info->dlpi_name != nullptr ? info->dlpi_name : "";
            if (name.find("libasan") != std::string::npos)
                *static_cast<std::string *>(out) = name;
            return 0;
        },
        &found);
    return found;
}

class Soak {
public:
    Soak(unsigned seed, int seconds) : seconds_(seconds), random_(seed) {}
    void Run();
    void SaveScreen(const std::string &name)
    {
        if (x_.x() != nullptr)
            WritePng(GrabScreen(x_), artifacts_ + "/" + name + ".png");
    }
    const std::string &artifacts() const { return artifacts_; }

private:
    int Roll(int n) { return std::uniform_int_distribution<int>(0, n - 1)(random_); }
    void Fail(const std::string &why) { throw Failure{why}; }
    void Alive();
    Window Scene();
    Window SwitchWindow(Window scene);
    void Press(Window scene, KeySym key);
    void Pick(Window scene);
    void Act();
    long HeapKb();
    long SteadyHeapKb();
    long OwnHeapKb();
    void SettledHeap(long *total, long *own);
    void LogMemory(int elapsed);
    void Judge(long total0, long own0, long total1, long own1);

    int seconds_;
    std::mt19937 random_;
    XSession x_;
    Process program_;
    std::string artifacts_ = std::string(GROUP_G_ARTIFACTS) + "/soak";
    std::string probe_ = artifacts_ + "/heap";
    std::map<KeySym, bool> flags_{{XK_F2, true}, {XK_F3, true}, {XK_F4, true}, {XK_F5, true}};
    // Whether the context in use has picked; how many such F1 has closed.
    bool picked_in_context_ = false;
    int retired_picking_contexts_ = 0;
};

void Soak::Alive()
{
    if (!program_.Running())
        Fail("the program ended during the soak, " + DescribeStatus(program_.status()));
}

// The scene window, after Return on any box in the way (Yes to the question
// whether to stay windowed).
Window Soak::Scene()
{
    Window scene = None;
    if (!WaitUntil(kPatience, [&] {
            Alive();
            for (const char *title : kBoxes)
                if (Window box = FindWindow(x_, title))
                    Tap(x_, box, XK_Return);
            return (scene = FindWindow(x_, kSceneTitle)) != None;
        }))
        Fail("the scene window did not come back");
    return scene;
}

// F1, tapped; then the wait until the program has made its new window.
Window Soak::SwitchWindow(Window scene)
{
    Window next = SwitchWithF1(x_, scene, kPatience);
    Alive();
    if (next == None)
        Fail("F1 did not make a new window");
    if (picked_in_context_)
        ++retired_picking_contexts_;
    picked_in_context_ = false;
    return next;
}

void Soak::Press(Window scene, KeySym key)
{
    if (!PressKey(x_, scene, key, kPatience))
        Fail(std::string("the scene stopped presenting frames while ") + XKeysymToString(key) +
             " was tapped");
    if (flags_.count(key))
        flags_[key] = !flags_[key];
}

// A left click anywhere; a hit shows its box before further frames, a miss
// lets the frames go on: whichever comes first tells which it was.
void Soak::Pick(Window scene)
{
    Rect r = ClientRect(x_, scene);
    FrameWatch watch(x_, scene);
    Click(x_, scene, Roll(std::max(r.width, 1)), Roll(std::max(r.height, 1)), 1);
    picked_in_context_ = true;
    Window box = None;
    WaitUntil(kPatience, [&] {
        Alive();
        box = FindWindow(x_, "Selection");
        return box != None || watch.Frames() >= kFramesToSeeAKey;
    });
    if (box != None) {
        GoneWatch gone(x_, TopLevel(x_, box));
        Tap(x_, box, XK_Return);
        if (!gone.Wait(kPatience))
            Fail("a Selection box did not go away after Return");
    }
}

void Soak::Act()
{
    Window scene = Scene();
    int roll = Roll(100);
    if (roll < 32) {
        Press(scene, static_cast<KeySym>(XK_F2 + Roll(4)));
    } else if (roll < 40) {
        SwitchWindow(scene);
    } else if (roll < 56) {
        Pick(scene);
    } else if (roll < 70) {
        // Not on the desktop, whose menu would take the keyboard.
        Rect r = ClientRect(x_, scene);
        int x = Roll(std::max(r.width, 1)), y = Roll(std::max(r.height, 1));
        if (PointerOver(x_, scene, x, y))
            Click(x_, scene, x, y, 3, 1 + Roll(5));
    } else if (roll < 82) {
        ResizeClient(x_, scene, 100 + Roll(540), 100 + Roll(380));
    } else if (roll < 90) {
        Minimize(x_, scene);
        std::this_thread::sleep_for(Seconds(0.2 + 0.1 * Roll(8)));
        Alive();
        Activate(x_, scene);
        WaitUntil(kPatience, [&] { return IsShown(x_, scene) || !program_.Running(); });
    } else {
        std::this_thread::sleep_for(Seconds(0.1 * (1 + Roll(9))));  // a pause, as a person makes
    }
    Alive();
}

// The live heap in kB, as the probe last wrote it.
long Soak::HeapKb()
{
    long bytes = -1;
    WaitUntil(Seconds(10), [&] {
        std::ifstream file(probe_);
        return static_cast<bool>(file >> bytes);
    });
    if (bytes < 0)
        Fail("the heap probe wrote nothing to " + probe_);
    return bytes / 1024;
}

// The median of 20 readings over two seconds: a frame's buffers do not count.
long Soak::SteadyHeapKb()
{
    std::vector<long> readings;
    for (int i = 0; i < 20; ++i) {
        readings.push_back(HeapKb());
        std::this_thread::sleep_for(Seconds(0.1));
    }
    std::sort(readings.begin(), readings.end());
    return readings[10];
}

// The kB of live allocations with a frame in the program's executable.
long Soak::OwnHeapKb()
{
    std::string err = artifacts_ + "/program.err";
    auto size = [&] { return fs::exists(err) ? fs::file_size(err) : 0; };
    std::uintmax_t from = size();
    std::ofstream(probe_ + ".profile").close();
    // Watched by its last bytes: a profile runs to megabytes.
    const std::string end = "heap profile end\n";
    if (!WaitUntil(Seconds(60), [&] {
            Alive();
            std::uintmax_t now = size();
            if (now < from + end.size())
                return false;
            std::ifstream file(err);
            file.seekg(static_cast<std::streamoff>(now - end.size()));
            std::string last(end.size(), '\0');
            file.read(&last[0], static_cast<std::streamsize>(last.size()));
            return last == end;
        }))
        Fail("the heap probe printed no profile within 60s");
    std::ifstream file(err);
    file.seekg(static_cast<std::streamoff>(from));
    std::stringstream text;
    text << file.rdbuf();
    std::string profile = text.str();
    std::string own = "(" + std::string(GROUP_G_BIN) + "+0x";
    std::regex block("^ *([0-9]+) byte\\(s\\)");
    long sum = 0, bytes = 0;
    bool ours = false;
    std::istringstream lines(profile);
    for (std::string line; std::getline(lines, line) && line != "heap profile end";) {
        std::smatch m;
        if (std::regex_search(line, m, block)) {
            sum += ours ? bytes : 0;
            bytes = std::stol(m[1]);
            ours = false;
        } else if (line.find(own) != std::string::npos) {
            ours = true;
        }
    }
    return (sum + (ours ? bytes : 0)) / 1024;
}

// The same state for each reading: the GL driver caches compiled states per
// context (a few MB once full), so a fresh context (fullscreen and back)
// draws every combination of the four flags once (Gray-code order, ending
// where it began) before the 640x480 window is read with every flag on.
void Soak::SettledHeap(long *total, long *own)
{
    Window scene = Scene();
    if (!IsFullscreen(x_, scene))
        scene = SwitchWindow(scene);
    scene = SwitchWindow(scene);
    if (IsFullscreen(x_, scene))
        Fail("the program did not come back from fullscreen");
    ResizeClient(x_, scene, 640, 480);
    for (auto &[key, on] : flags_)
        if (!on)
            Press(scene, key);
    for (KeySym key : {XK_F2, XK_F3, XK_F2, XK_F4, XK_F2, XK_F3, XK_F2, XK_F5, XK_F2, XK_F3,
                       XK_F2, XK_F4, XK_F2, XK_F3, XK_F2, XK_F5})
        Press(scene, key);
    FrameWatch watch(x_, scene);
    watch.WaitFrames(20, kPatience);
    Alive();
    *total = SteadyHeapKb();
    *own = OwnHeapKb();
}

void Soak::LogMemory(int elapsed)
{
    std::ifstream status("/proc/" + std::to_string(program_.pid()) + "/status");
    std::string rss = "?";
    for (std::string line; std::getline(status, line);)
        if (line.compare(0, 6, "VmRSS:") == 0)
            std::istringstream(line.substr(6)) >> rss;
    std::ofstream(artifacts_ + "/memory.log", std::ios::app)
        << elapsed << " " << rss << " " << HeapKb() << "\n";
}

void Soak::Run()
{
    fs::remove_all(artifacts_);
    fs::create_directories(artifacts_);
    std::ofstream(artifacts_ + "/memory.log") << "seconds rss_kb heap_kb\n";
    std::string error;
    if (!x_.Start("640x480x16", true, artifacts_, &error))
        Fail(error);
    std::string run_dir = artifacts_ + "/run";
    CopyPictures(run_dir);
    // No symbolizer: one started while the profile holds every thread
    // stopped once left the program unable to end.
    ProcessOptions o = GroupGOptions(
        "", run_dir, x_.name(), artifacts_,
        "quarantine_size_mb=16:allocator_release_to_os_interval_ms=500:symbolize=0");
    std::string runtime = sanitizer_runtime();
    o.env.push_back("LD_PRELOAD=" + (runtime.empty() ? "" : runtime + ":") +
                    GROUP_G_HEAP_PROBE_LIB);
    o.env.push_back("GROUP_G_HEAP_PROBE=" + probe_);
    if (!program_.Start(o, &error))
        Fail(error);
    if (WaitForWindow(x_, kSceneTitle, kPatience, &program_) == None)
        Fail("the scene window did not appear: " + DescribeStatus(program_.status()));

    using Clock = std::chrono::steady_clock;
    int baseline_at = seconds_ >= 120 ? 60 : seconds_ / 2;
    long total0 = -1, own0 = -1, total1, own1;
    int actions = 0, next_log = 0, elapsed = 0;
    for (Clock::time_point start = Clock::now(); elapsed < seconds_;
         elapsed = static_cast<int>(Seconds(Clock::now() - start).count())) {
        Act();
        ++actions;
        if (elapsed >= next_log) {
            LogMemory(elapsed);
            next_log += 10;
        }
        if (total0 < 0 && elapsed >= baseline_at) {
            SettledHeap(&total0, &own0);
            retired_picking_contexts_ = 0;
            std::cout << "soak: live heap after " << elapsed << "s: " << total0 << " kB, "
                      << own0 << " kB of it the program's own" << std::endl;
        }
    }
    SettledHeap(&total1, &own1);
    LogMemory(seconds_);
    std::cout << "soak: " << actions << " actions; live heap at the end: " << total1 << " kB, "
              << own1 << " kB of it the program's own" << std::endl;
    if (!PressUntil(x_, Scene(), XK_Escape, kPatience, [&] { return !program_.Running(); })) {
        SaveScreen("not-ended");
        Fail("the program did not end within " + std::to_string(int(kPatience.count())) +
             "s of Esc");
    }
    Judge(total0, own0, total1, own1);
}

// The report symbolized by asan_symbolize, the heap profiles left out.
void symbolize(const std::string &path)
{
    std::string command = "sed '/^heap profile begin$/,/^heap profile end$/d' '" + path +
                          "' | asan_symbolize >'" + path + ".symbolized' 2>&1";
    if (std::system(command.c_str()) != 0)
        std::cerr << "soak: could not symbolize " << path << std::endl;
}

void Soak::Judge(long total0, long own0, long total1, long own1)
{
    std::string err = artifacts_ + "/program.err";
    if (!SanitizerReport(err).empty()) {
        symbolize(err);
        Fail("sanitizer report: " + SanitizerReport(err) + " (symbolized in " + err +
             ".symbolized)");
    }
    int status = program_.status();
    if (!WIFEXITED(status) || WEXITSTATUS(status) != kExitAfterClose)
        Fail("expected exit code " + std::to_string(kExitAfterClose) + ", got " +
             DescribeStatus(status));
    std::vector<std::string> left = program_.LeftBehind();
    if (!left.empty())
        Fail("process left behind: " + left[0]);
    if (own1 - own0 > kOwnHeapLimitKb)
        Fail("the program's own heap grew by " + std::to_string(own1 - own0) +
             " kB (limit " + std::to_string(kOwnHeapLimitKb) +
             " kB; the profiles are in program.err)");
    long limit = kHeapLimitKb + retired_picking_contexts_ * kRetiredPickingContextKb;
    std::string limit_text = "limit " + std::to_string(limit) + " kB, with " +
                             std::to_string(retired_picking_contexts_) +
                             " closed contexts that had picked";
    if (total1 - total0 > limit)
        Fail("the live heap grew by " + std::to_string(total1 - total0) + " kB (" + limit_text +
             "; see memory.log)");
    std::cout << "ok: the live heap changed by " << total1 - total0 << " kB (" << limit_text
              << "), the program's own by " << own1 - own0 << " kB" << std::endl;
}

}  // namespace

int main(int argc, char **argv)
{
    int seconds = argc > 1 ? atoi(argv[1]) : 120;
    const char *given = getenv("SOAK_SEED");
    unsigned seed = given != nullptr && *given != '\0'
                        ? static_cast<unsigned>(strtoul(given, nullptr, 10))
                        : std::random_device{}() % 32768;
    std::cout << "soak: " << seconds << "s, seed " << seed << " (SOAK_SEED=" << seed
              << " replays it), program " << GROUP_G_BIN << std::endl;
    Soak soak(seed, seconds);
    try {
        soak.Run();
    } catch (const Failure &failure) {
        soak.SaveScreen("at-failure");
        std::cerr << "FAIL: " << failure.why << " (seed " << seed << "; see "
                  << soak.artifacts() << ")" << std::endl;
        return 1;
    }
    return 0;
}
