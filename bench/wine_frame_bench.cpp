// wine_frame_bench: the frame bench's scene as the Windows build, group_g.exe
// under Wine, beside the Linux build's group_g on the same display. Both are
// timed the same way, from outside, by the frames they present (X DAMAGE
// reports on their windows), in turns of one second while the other is
// stopped, best of several turns. Information only: no target.
//
// Wine's own start-up (its session, the program's first frames) is left
// out: the turns begin once both programs present frames. Both draw with
// Mesa's software rasterizer. Needs a DISPLAY (bench/run_bench.sh gives
// one), the Windows build and the Wine test prefix of this build folder
// (made here if need be). Programs, windows and frames go through the
// end-to-end driver and the child process library.
#include <X11/Xlib.h>
#include <signal.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <thread>
#include <vector>

#include "child_process.h"
#include "x_input.h"
#include "x_session.h"
#include "x_windows.h"

namespace {

using Clock = std::chrono::steady_clock;

const char kTitle[] = "OpenGL Team Tarsel";
const int kTurns = 5;
const double kSecondsPerTurn = 1.0;

double seconds_since(Clock::time_point start)
{
    return std::chrono::duration<double>(Clock::now() - start).count();
}

// Starts argv in cwd, output discarded; false if it could not be started.
bool start(Process *program, const std::vector<std::string> &args, const std::string &cwd)
{
    ProcessOptions o;
    o.argv = args;
    o.cwd = cwd;
    std::string ignored;
    return program->Start(o, &ignored);
}

// A shown window called kTitle other than `other`, or None after `limit`.
Window wait_for_window(const e2e::XSession &s, Window other, double limit)
{
    Window found = None;
    e2e::WaitUntil(e2e::Seconds(limit), [&] {
        for (Window w : e2e::FindWindows(s, kTitle)) {
            if (w != other) {
                found = w;
                return true;
            }
        }
        return false;
    });
    return found;
}

// Frames the window presents in `seconds`, as milliseconds per frame
// (negative when it presented none). Read every few milliseconds, so the
// server never queues many reports for us.
double ms_per_frame(const e2e::XSession &s, Window w, double seconds)
{
    e2e::FrameWatch watch(s, w);
    Clock::time_point start = Clock::now();
    while (seconds_since(start) < seconds) {
        watch.Frames();
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    int frames = watch.Frames();
    double elapsed = seconds_since(start);
    return frames > 0 ? elapsed * 1000.0 / frames : -1.0;
}

// One program's turn: it runs alone for a moment to settle, then is timed.
double turn(const e2e::XSession &s, Process *runs, Process *waits, Window w)
{
    waits->SignalGroup(SIGSTOP);
    runs->SignalGroup(SIGCONT);
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    return ms_per_frame(s, w, kSecondsPerTurn);
}

double median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return v.empty() ? -1.0 : v[v.size() / 2];
}

}  // namespace

int main()
{
    // X errors are ignored on this connection: a window can go while it is
    // looked at (a program that ends); that turn then counts no frames
    // rather than ending the bench.
    e2e::XSession s;
    const char *display = getenv("DISPLAY");
    std::string error;
    if (display == nullptr || !s.Connect(display, &error) || !e2e::FrameWatch(s, s.root()).ok()) {
        fprintf(stderr, "wine_frame_bench: needs a DISPLAY with DAMAGE (run_bench.sh gives one)\n");
        return 1;
    }

    setenv("LIBGL_ALWAYS_SOFTWARE", "1", 1);
    if (system("bash " GROUP_G_WINE_PREFIX " " GROUP_G_WINE_DIR " >/dev/null") != 0) {
        fprintf(stderr, "wine_frame_bench: the Wine prefix could not be made\n");
        return 1;
    }
    // The Linux build first, moved below where the Windows build's window
    // will open, so that neither covers the other.
    Process linux_build, windows_build;
    start(&linux_build, {GROUP_G_LINUX_BIN}, GROUP_G_LINUX_RUN_DIR);
    Window linux_window = wait_for_window(s, None, 60);
    start(&windows_build,
          {GROUP_G_WINE_RUN, "--new-session", GROUP_G_WINE_DIR,
           GROUP_G_WINDOWS_DIR "/run/group_g.exe"},
          GROUP_G_WINDOWS_DIR "/run");
    if (linux_window != None) {
        XMoveWindow(s.x(), linux_window, 0, 530);
        s.Sync();
    }
    Window windows_window = wait_for_window(s, linux_window, 180);
    if (linux_window == None || windows_window == None) {
        fprintf(stderr, "wine_frame_bench: %s window did not appear\n",
                linux_window == None ? "the Linux build's" : "group_g.exe's");
        return 1;  // both programs' groups are killed on the way out
    }

    std::vector<double> linux_ms, windows_ms;
    for (int i = 0; i < kTurns; ++i) {
        linux_ms.push_back(turn(s, &linux_build, &windows_build, linux_window));
        windows_ms.push_back(turn(s, &windows_build, &linux_build, windows_window));
    }
    linux_build.Kill();
    windows_build.Kill();
    s.Stop();
    // Wine's session would otherwise stay a few seconds after the program.
    setenv("WINEPREFIX", GROUP_G_WINE_DIR "/prefix", 1);
    int ended = system("wineserver --kill 2>/dev/null");
    (void)ended;  // an error only says that nothing ran any more

    // Turns without frames (-1) are left out of the best.
    auto best = [](const std::vector<double> &ms) {
        double b = -1.0;
        for (double m : ms)
            if (m > 0 && (b < 0 || m < b))
                b = m;
        return b;
    };
    double linux_best = best(linux_ms);
    double windows_best = best(windows_ms);
    printf("frame as presented, 640x480, Mesa software rendering, %d turns of %.1f s each, "
           "timed from the display (information, no target)\n",
           kTurns, kSecondsPerTurn);
    printf("%-40s %10s %10s %10s\n", "", "best ms", "median ms", "frames/s");
    printf("%-40s %10.3f %10.3f %10.1f\n", "group_g (Linux build)", linux_best, median(linux_ms),
           linux_best > 0 ? 1000.0 / linux_best : 0.0);
    printf("%-40s %10.3f %10.3f %10.1f\n", "group_g.exe (Windows build, Wine)", windows_best,
           median(windows_ms), windows_best > 0 ? 1000.0 / windows_best : 0.0);
    if (linux_best > 0 && windows_best > 0)
        printf("under Wine a frame takes %.2f times as long\n", windows_best / linux_best);
    return 0;
}
