// A private virtual X display (Xvfb) and, if asked, a real window manager
// (openbox) on it: the one place that starts displays for the end-to-end
// tests, the soak and the benchmarks. The server picks a free display number
// itself, so parallel runs never collide; both die with the process that
// started them. DISPLAY is not set here: callers pass `name` on.
#pragma once

#include <string>

#include "child_process.h"

struct VirtualDisplay {
    Process server;
    Process window_manager;
    std::string name;  // ":N", the value for DISPLAY
};

// Starts a display with one screen of `screen` ("WxHxDEPTH") and, if
// `window_manager`, openbox; returns once the server takes connections and
// openbox manages windows. Logs go to xvfb.log and openbox.log in `log_dir`
// (nowhere if empty). On failure nothing is left running and `error` says why.
bool StartVirtualDisplay(VirtualDisplay *display, const std::string &screen,
                         bool window_manager, const std::string &log_dir,
                         std::string *error);
// Harmless on a display never started or already stopped.
void StopVirtualDisplay(VirtualDisplay *display);
