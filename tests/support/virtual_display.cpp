// Starting and stopping Xvfb and openbox; see virtual_display.h.
#include "virtual_display.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <time.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <utility>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

// A busy shared machine can take many seconds to start a server.
constexpr std::chrono::seconds kStartLimit{60};
constexpr std::chrono::seconds kStopLimit{10};

// Starts argv[0] from PATH in a process group of its own (a Ctrl+C meant
// for the program in the foreground must not take its display away), with
// both output streams added to `log_path` and descriptor `keep_fd` left
// open across exec. SIGTERM when we die lets the server remove its lock
// files, so a killed test leaves nothing behind.
bool spawn(Process *process, std::vector<std::string> argv, const std::string &display,
           const std::string &log_path, int keep_fd)
{
    ProcessOptions o;
    o.argv = std::move(argv);
    if (!display.empty())
        o.env = {"DISPLAY=" + display};
    o.out_path = o.err_path = log_path;
    o.append = true;
    o.keep_fd = keep_fd;
    o.death_signal = SIGTERM;
    std::string ignored;
    return process->Start(o, &ignored);
}

void nap_ms(long ms)
{
    timespec t{ms / 1000, (ms % 1000) * 1000000L};
    nanosleep(&t, nullptr);
}

// Reads the display number Xvfb writes once it accepts connections.
bool read_display_number(int fd, Process *server, std::string *number)
{
    Clock::time_point limit = Clock::now() + kStartLimit;
    char c;
    while (Clock::now() < limit) {
        pollfd p{fd, POLLIN, 0};
        int ready = poll(&p, 1, 100);
        if (ready > 0) {
            ssize_t got = read(fd, &c, 1);
            if (got != 1)
                return false;
            if (c == '\n')
                return !number->empty();
            *number += c;
        } else if (ready < 0 && errno != EINTR) {
            return false;
        } else if (!server->Running()) {
            return false;
        }
    }
    return false;
}

// Openbox runs its --startup command once it manages windows. A window
// mapped after it has only announced itself (_NET_SUPPORTING_WM_CHECK) but
// before then can be left unmapped for good, its MapRequest lost, and a
// program that waits for its window to map then waits forever.
bool wait_for_file(const std::string &path, Process *manager)
{
    Clock::time_point limit = Clock::now() + kStartLimit;
    while (access(path.c_str(), F_OK) != 0) {
        if (Clock::now() > limit || !manager->Running())
            return false;
        nap_ms(20);
    }
    return true;
}

std::string log_path(const std::string &dir, const char *file)
{
    return dir.empty() ? std::string() : dir + "/" + file;
}

}  // namespace

bool StartVirtualDisplay(VirtualDisplay *display, const std::string &screen,
                         bool window_manager, const std::string &log_dir,
                         std::string *error)
{
    StopVirtualDisplay(display);
    display->name.clear();
    int ready[2];
    if (pipe2(ready, O_CLOEXEC) != 0) {
        *error = "no pipe for the display number";
        return false;
    }
    // -displayfd: the server takes a free number and tells us. -noreset:
    // otherwise it resets whenever its last client leaves, and a client
    // connecting during the reset (the next program, the window manager)
    // is turned away.
    bool spawned = spawn(&display->server,
                         {"Xvfb", "-displayfd", std::to_string(ready[1]), "-screen", "0", screen,
                          "-nolisten", "tcp", "-noreset"},
                         "", log_path(log_dir, "xvfb.log"), ready[1]);
    close(ready[1]);
    std::string number;
    bool started = spawned && read_display_number(ready[0], &display->server, &number);
    close(ready[0]);
    if (!started) {
        *error = "Xvfb did not start a " + screen + " display within " +
                 std::to_string(kStartLimit.count()) + "s";
        StopVirtualDisplay(display);
        return false;
    }
    display->name = ":" + number;
    if (!window_manager)
        return true;
    char scratch[] = "/tmp/virtual_display.XXXXXX";
    if (mkdtemp(scratch) == nullptr) {
        *error = "no scratch folder for the window manager";
        StopVirtualDisplay(display);
        return false;
    }
    std::string ready_file = std::string(scratch) + "/ready";
    bool managing = spawn(&display->window_manager,
                          {"openbox", "--sm-disable", "--startup", "touch " + ready_file},
                          display->name, log_path(log_dir, "openbox.log"), -1) &&
                    wait_for_file(ready_file, &display->window_manager);
    unlink(ready_file.c_str());
    rmdir(scratch);
    if (!managing) {
        *error = "openbox did not start managing windows on " + display->name + " within " +
                 std::to_string(kStartLimit.count()) + "s";
        StopVirtualDisplay(display);
        return false;
    }
    return true;
}

void StopVirtualDisplay(VirtualDisplay *display)
{
    display->window_manager.Stop(kStopLimit);
    display->server.Stop(kStopLimit);
}
