// What the driver knows of the program under test: its title, its exit
// codes, its pictures, how a test starts it, its sanitizer reports.
#pragma once

#include <string>

#include "child_process.h"
#include "x_session.h"

namespace e2e {

inline const std::string kSceneTitle = "OpenGL Team Tarsel";

// After Esc, the close button, Alt+F4, and Ctrl+C in its terminal.
constexpr int kExitAfterClose = 0;
constexpr int kExitAfterInterrupt = 0;
// After a window that could not be opened, at start or after F1.
constexpr int kExitAfterFailedOpen = 1;

// F1 on the scene window, then its new one once shown; None if none came
// within `limit`.
Window SwitchWithF1(const XSession &s, Window scene, Seconds limit);

// Copies the five pictures of the build's run folder into `dir`.
void CopyPictures(const std::string &dir);

// How a test starts `binary` (this build's if empty) in `cwd` on `display`,
// its output in program.out and program.err in `artifacts`, `asan_options`
// added to the sanitizer's. With `binary` empty, GROUP_G_E2E_PROGRAM started
// through GROUP_G_E2E_LAUNCHER's words when both are set (the Windows build
// under Wine: tests/win32/wine.cmake).
ProcessOptions GroupGOptions(const std::string &binary, const std::string &cwd,
                             const std::string &display, const std::string &artifacts,
                             const std::string &asan_options = "");

// A command of the test's own run to its end within `limit`: its exit code,
// or -1 when it did not start, end or exit (the reason in `error`); `out`
// gets what it wrote to out_path.
int RunToEnd(const ProcessOptions &options, Seconds limit, std::string *out = nullptr,
             std::string *error = nullptr);

// The first line of a sanitizer report in the file, or "" when there is none.
std::string SanitizerReport(const std::string &path);

}  // namespace e2e
