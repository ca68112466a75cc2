// Starting and stopping Xvfb and openbox; see virtual_display.h.
#include "virtual_display.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <vector>

extern char **environ;

namespace {

using Clock = std::chrono::steady_clock;

// A busy shared machine can take many seconds to start a server.
constexpr std::chrono::seconds kStartLimit{60};
constexpr std::chrono::seconds kStopLimit{10};

// The environment for a child: ours with DISPLAY set to `display` (or left
// alone when it is empty). Built before fork, since the child may only make
// async-signal-safe calls.
std::vector<std::string> child_environment(const std::string &display)
{
    std::vector<std::string> env;
    for (char **e = environ; *e != nullptr; ++e) {
        if (display.empty() || strncmp(*e, "DISPLAY=", 8) != 0)
            env.push_back(*e);
    }
    if (!display.empty())
        env.push_back("DISPLAY=" + display);
    return env;
}

std::vector<char *> pointers(std::vector<std::string> &strings)
{
    std::vector<char *> p;
    for (std::string &s : strings)
        p.push_back(&s[0]);
    p.push_back(nullptr);
    return p;
}

// Starts argv[0] from PATH in a process group of its own (a Ctrl+C meant
// for the program in the foreground must not take its display away), with
// output to `log_path` and descriptor `keep_fd` left open across exec.
// The child dies with us, so a killed test leaves no server behind.
pid_t spawn(std::vector<std::string> argv, const std::string &display,
            const std::string &log_path, int keep_fd)
{
    std::vector<std::string> env = child_environment(display);
    std::vector<char *> argv_p = pointers(argv);
    std::vector<char *> env_p = pointers(env);
    std::string log = log_path.empty() ? "/dev/null" : log_path;
    pid_t parent = getpid();
    pid_t pid = fork();
    if (pid != 0)
        return pid;
    setpgid(0, 0);
    prctl(PR_SET_PDEATHSIG, SIGTERM);
    if (getppid() != parent)
        _exit(127);
    int in = open("/dev/null", O_RDONLY);
    int out = open(log.c_str(), O_WRONLY | O_CREAT | O_APPEND, 0644);
    if (in < 0 || out < 0)
        _exit(127);
    dup2(in, STDIN_FILENO);
    dup2(out, STDOUT_FILENO);
    dup2(out, STDERR_FILENO);
    if (keep_fd >= 0)
        fcntl(keep_fd, F_SETFD, 0);
    execvpe(argv_p[0], argv_p.data(), env_p.data());
    _exit(127);
}

bool still_running(pid_t pid)
{
    return waitpid(pid, nullptr, WNOHANG) == 0;
}

void nap_ms(long ms)
{
    timespec t{ms / 1000, (ms % 1000) * 1000000L};
    nanosleep(&t, nullptr);
}

// SIGTERM, then SIGKILL if it has not gone within kStopLimit; reaps it.
void end_process(pid_t *pid)
{
    if (*pid <= 0)
        return;
    kill(*pid, SIGTERM);
    Clock::time_point limit = Clock::now() + kStopLimit;
    while (waitpid(*pid, nullptr, WNOHANG) == 0) {
        if (Clock::now() > limit) {
            kill(*pid, SIGKILL);
            waitpid(*pid, nullptr, 0);
            break;
        }
        nap_ms(10);
    }
    *pid = 0;
}

// Reads the display number Xvfb writes once it accepts connections.
bool read_display_number(int fd, pid_t server, std::string *number)
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
        } else if (!still_running(server)) {
            return false;
        }
    }
    return false;
}

// Openbox runs its --startup command once it manages windows. A window
// mapped after it has only announced itself (_NET_SUPPORTING_WM_CHECK) but
// before then can be left unmapped for good, its MapRequest lost, and a
// program that waits for its window to map then waits forever.
bool wait_for_file(const std::string &path, pid_t manager)
{
    Clock::time_point limit = Clock::now() + kStartLimit;
    while (access(path.c_str(), F_OK) != 0) {
        if (Clock::now() > limit || !still_running(manager))
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
    *display = VirtualDisplay{};
    int ready[2];
    if (pipe2(ready, O_CLOEXEC) != 0) {
        *error = "no pipe for the display number";
        return false;
    }
    display->server = spawn({"Xvfb", "-displayfd", std::to_string(ready[1]), "-screen", "0",
                              screen, "-nolisten", "tcp", "-noreset"},
                             "", log_path(log_dir, "xvfb.log"), ready[1]);
    close(ready[1]);
    std::string number;
    bool started = display->server > 0 && read_display_number(ready[0], display->server, &number);
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
    display->window_manager =
        spawn({"openbox", "--sm-disable", "--startup", "touch " + ready_file}, display->name,
              log_path(log_dir, "openbox.log"), -1);
    bool managing = display->window_manager > 0 && wait_for_file(ready_file, display->window_manager);
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
    end_process(&display->window_manager);
    end_process(&display->server);
}
