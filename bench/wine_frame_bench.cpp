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
// (made here if need be).
#include <X11/Xlib.h>
#include <X11/extensions/Xdamage.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <thread>
#include <vector>


namespace {

using Clock = std::chrono::steady_clock;

const char kTitle[] = "OpenGL Team Tarsel";
const int kTurns = 5;
const double kSecondsPerTurn = 1.0;

double seconds_since(Clock::time_point start)
{
    return std::chrono::duration<double>(Clock::now() - start).count();
}

// Starts argv in cwd in a process group of its own, output discarded.
pid_t start(const std::vector<std::string> &args, const std::string &cwd)
{
    pid_t pid = fork();
    if (pid == 0) {
        setpgid(0, 0);
        if (chdir(cwd.c_str()) != 0)
            _exit(127);
        if (freopen("/dev/null", "w", stdout) == nullptr ||
            freopen("/dev/null", "w", stderr) == nullptr)
            _exit(127);
        std::vector<char *> argv;
        for (const std::string &a : args)
            argv.push_back(const_cast<char *>(a.c_str()));
        argv.push_back(nullptr);
        execv(argv[0], argv.data());
        _exit(127);
    }
    if (pid > 0)
        setpgid(pid, pid);
    return pid;
}

void stop_group(pid_t pid)
{
    if (pid <= 0)
        return;
    kill(-pid, SIGCONT);
    kill(-pid, SIGKILL);
    waitpid(pid, nullptr, 0);
}

// A shown window called kTitle other than `other`, searched depth first.
Window find_window(Display *x, Window under, Window other)
{
    Window root, parent, *children = nullptr;
    unsigned int count = 0;
    if (!XQueryTree(x, under, &root, &parent, &children, &count))
        return None;
    Window found = None;
    for (unsigned int i = 0; i < count && found == None; ++i) {
        char *name = nullptr;
        XWindowAttributes a;
        if (children[i] != other && XFetchName(x, children[i], &name) && name != nullptr &&
            std::string(name) == kTitle && XGetWindowAttributes(x, children[i], &a) &&
            a.map_state == IsViewable)
            found = children[i];
        if (name != nullptr)
            XFree(name);
        if (found == None)
            found = find_window(x, children[i], other);
    }
    if (children != nullptr)
        XFree(children);
    return found;
}

Window wait_for_window(Display *x, Window other, double limit)
{
    Clock::time_point start = Clock::now();
    while (seconds_since(start) < limit) {
        Window w = find_window(x, DefaultRootWindow(x), other);
        if (w != None)
            return w;
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
    return None;
}

// Frames the window presents in `seconds`, as milliseconds per frame
// (negative when it presented none): one DAMAGE report per drawing request,
// the last of a request's rectangles without `more`.
double ms_per_frame(Display *x, int damage_events, Window w, double seconds)
{
    Damage damage = XDamageCreate(x, w, XDamageReportRawRectangles);
    XSync(x, False);
    auto drain = [&] {
        int frames = 0;
        while (XPending(x)) {
            XEvent e;
            XNextEvent(x, &e);
            if (e.type == damage_events + XDamageNotify &&
                !reinterpret_cast<XDamageNotifyEvent *>(&e)->more)
                ++frames;
        }
        return frames;
    };
    drain();
    Clock::time_point start = Clock::now();
    int frames = 0;
    while (seconds_since(start) < seconds) {
        frames += drain();
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    double elapsed = seconds_since(start);
    XDamageDestroy(x, damage);
    return frames > 0 ? elapsed * 1000.0 / frames : -1.0;
}

// One program's turn: it runs alone for a moment to settle, then is timed.
double turn(Display *x, int damage_events, pid_t runs, pid_t waits, Window w)
{
    kill(-waits, SIGSTOP);
    kill(-runs, SIGCONT);
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    return ms_per_frame(x, damage_events, w, kSecondsPerTurn);
}

double median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return v.empty() ? -1.0 : v[v.size() / 2];
}

}  // namespace

int main()
{
    Display *x = XOpenDisplay(nullptr);
    int damage_events = 0, damage_errors = 0;
    if (x == nullptr || !XDamageQueryExtension(x, &damage_events, &damage_errors)) {
        fprintf(stderr, "wine_frame_bench: needs a DISPLAY with DAMAGE (run_bench.sh gives one)\n");
        return 1;
    }

    setenv("LIBGL_ALWAYS_SOFTWARE", "1", 1);
    std::string scripts = GROUP_G_WINE_SCRIPTS;
    if (system(("bash " + scripts + "/wine_prefix.sh " GROUP_G_WINE_DIR " >/dev/null").c_str()) != 0) {
        fprintf(stderr, "wine_frame_bench: the Wine prefix could not be made\n");
        return 1;
    }
    // The Linux build first, moved below where the Windows build's window
    // will open, so that neither covers the other.
    pid_t linux_build = start({GROUP_G_LINUX_BIN}, GROUP_G_LINUX_RUN_DIR);
    Window linux_window = wait_for_window(x, None, 60);
    pid_t windows_build =
        start({scripts + "/wine_run.sh", "--new-session", GROUP_G_WINE_DIR, GROUP_G_WINDOWS_BIN},
              GROUP_G_WINDOWS_RUN_DIR);
    if (linux_window != None) {
        XMoveWindow(x, linux_window, 0, 530);
        XSync(x, False);
    }
    Window windows_window = wait_for_window(x, linux_window, 180);
    if (linux_window == None || windows_window == None) {
        fprintf(stderr, "wine_frame_bench: %s window did not appear\n",
                linux_window == None ? "the Linux build's" : "group_g.exe's");
        stop_group(linux_build);
        stop_group(windows_build);
        return 1;
    }

    std::vector<double> linux_ms, windows_ms;
    // A window can go while it is looked at (a program that ends); that
    // turn then counts no frames rather than ending the bench.
    XSetErrorHandler([](Display *, XErrorEvent *) { return 0; });
    for (int i = 0; i < kTurns; ++i) {
        linux_ms.push_back(turn(x, damage_events, linux_build, windows_build, linux_window));
        windows_ms.push_back(turn(x, damage_events, windows_build, linux_build, windows_window));
    }
    stop_group(linux_build);
    stop_group(windows_build);
    XCloseDisplay(x);
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
