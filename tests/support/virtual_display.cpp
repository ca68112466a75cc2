// Starting and stopping Xvfb and openbox; see virtual_display.h.
#include "virtual_display.h"

#include <fcntl.h>
#include <unistd.h>

#include <cstdlib>
#include <utility>
#include <vector>

namespace {

// A busy shared machine can take many seconds to start a server.
constexpr std::chrono::seconds kStartLimit{60};
constexpr std::chrono::seconds kStopLimit{10};

// In a process group of its own (a Ctrl+C meant for the program in the
// foreground must not take its display away), both streams added to `log`
// in `log_dir`. SIGTERM when we die lets the server remove its lock files.
bool spawn(Process *process, std::vector<std::string> argv, const std::string &display,
           const std::string &log_dir, const char *log, int keep_fd)
{
    ProcessOptions o;
    o.argv = std::move(argv);
    if (!display.empty())
        o.env = {"DISPLAY=" + display};
    o.out_path = o.err_path = log_dir.empty() ? "" : log_dir + "/" + log;
    o.append = true;
    o.keep_fd = keep_fd;
    o.death_signal = SIGTERM;
    std::string ignored;
    return process->Start(o, &ignored);
}

}  // namespace

bool StartVirtualDisplay(VirtualDisplay *display, const std::string &screen,
                         bool window_manager, const std::string &log_dir,
                         std::string *error)
{
    StopVirtualDisplay(display);
    display->name.clear();
    auto fail = [&](const std::string &why) {
        *error = why;
        StopVirtualDisplay(display);
        return false;
    };
    int ready[2];
    if (pipe2(ready, O_CLOEXEC) != 0)
        return fail("no pipe for the display number");
    fcntl(ready[0], F_SETFL, O_NONBLOCK);
    // -displayfd: the server takes a free number and writes it there once it
    // accepts connections. -noreset: otherwise it resets whenever its last
    // client leaves, and a client connecting during the reset is turned away.
    bool spawned = spawn(&display->server,
                         {"Xvfb", "-displayfd", std::to_string(ready[1]), "-screen", "0", screen,
                          "-nolisten", "tcp", "-noreset"},
                         "", log_dir, "xvfb.log", ready[1]);
    close(ready[1]);
    std::string number;
    bool whole = false;  // its line has ended
    if (spawned)
        WaitUntil(kStartLimit, [&] {
            char c;
            while (!whole && read(ready[0], &c, 1) == 1) {
                whole = c == '\n';
                if (!whole)
                    number += c;
            }
            return whole || !display->server.Running();
        });
    close(ready[0]);
    if (!whole || number.empty())
        return fail("Xvfb did not start a " + screen + " display within " +
                    std::to_string(kStartLimit.count()) + "s");
    display->name = ":" + number;
    if (!window_manager)
        return true;
    // Openbox runs its --startup command once it manages windows. A window
    // mapped before then (after it merely announced itself) can have its
    // MapRequest lost and stay unmapped for good.
    char scratch[] = "/tmp/virtual_display.XXXXXX";
    if (mkdtemp(scratch) == nullptr)
        return fail("no scratch folder for the window manager");
    std::string ready_file = std::string(scratch) + "/ready";
    Process *manager = &display->window_manager;
    bool managing = spawn(manager, {"openbox", "--sm-disable", "--startup", "touch " + ready_file},
                          display->name, log_dir, "openbox.log", -1) &&
                    WaitUntil(kStartLimit, [&] {
                        return access(ready_file.c_str(), F_OK) == 0 || !manager->Running();
                    }) &&
                    manager->Running();
    unlink(ready_file.c_str());
    rmdir(scratch);
    return managing || fail("openbox did not start managing windows on " + display->name +
                            " within " + std::to_string(kStartLimit.count()) + "s");
}

void StopVirtualDisplay(VirtualDisplay *display)
{
    display->window_manager.Stop(kStopLimit);
    display->server.Stop(kStopLimit);
}
