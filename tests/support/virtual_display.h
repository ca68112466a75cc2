// A private virtual X display (Xvfb) and, when asked for, a real window
// manager (openbox) on it: the one place that starts displays for the
// end-to-end tests, the soak and the benchmarks.
// The server picks a free display number itself, so parallel runs never
// collide; both processes die with the one that started them. Relies on
// Xvfb and openbox on PATH. Does not set DISPLAY for the calling process;
// callers pass `name` on to whoever needs it.
#pragma once

#include <string>

#include "child_process.h"

struct VirtualDisplay {
    Process server;
    Process window_manager;
    std::string name;  // ":N", the value for DISPLAY
};

// Starts a display with one screen of `screen` ("WIDTHxHEIGHTxDEPTH") and,
// if `window_manager`, openbox, returning once the server takes connections
// and the window manager manages windows. Their output goes to
// xvfb.log and openbox.log in `log_dir`, or nowhere when it is empty. On
// failure nothing is left running and `error` says why.
bool StartVirtualDisplay(VirtualDisplay *display, const std::string &screen,
                         bool window_manager, const std::string &log_dir,
                         std::string *error);

// Ends the window manager and the server and waits for both. Harmless on a
// display that was never started or is already stopped.
void StopVirtualDisplay(VirtualDisplay *display);
