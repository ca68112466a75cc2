// What the driver knows of the program under test: its window's title, the
// exit codes the README promises, its pictures, how it is started for a
// test, and how its sanitizer reports look.
#pragma once

#include <string>

#include "child_process.h"
#include "x_session.h"

namespace e2e {

inline const std::string kSceneTitle = "OpenGL Team Tarsel";

// After Esc, the close button or Alt+F4, and after Ctrl+C in the terminal
// the program was started from.
constexpr int kExitAfterClose = 0;
constexpr int kExitAfterInterrupt = 0;
// After a window that could not be opened, at start or after F1.
constexpr int kExitAfterFailedOpen = 1;

// F1 tapped on the scene window, then a wait until the program has closed
// it and shown its new one, which is returned; None if none came within
// `limit`.
Window SwitchWithF1(const XSession &s, Window scene, Seconds limit);

// Copies the five pictures of the build's run folder into `dir`.
void CopyPictures(const std::string &dir);

// How a test starts `binary` (this build's group_g if empty) in `cwd` on
// `display`, with its output in program.out and program.err in
// `artifacts` and `asan_options` added to the sanitizer's. With `binary`
// empty and GROUP_G_E2E_PROGRAM and GROUP_G_E2E_LAUNCHER in the
// environment, the program is that one, started through the launcher's
// words (the Windows build under Wine: tests/win32/wine.cmake).
ProcessOptions GroupGOptions(const std::string &binary, const std::string &cwd,
                             const std::string &display, const std::string &artifacts,
                             const std::string &asan_options = "");

// A command of the test's own (a tool, an installer) run to its end
// within `limit`: its exit code, or -1 when it did not start, end or exit
// (the reason in `error`); `out`, if given, gets what it wrote to out_path.
int RunToEnd(const ProcessOptions &options, Seconds limit, std::string *out = nullptr,
             std::string *error = nullptr);

// The first line of a sanitizer report (a memory error or undefined
// behaviour) in the file, or an empty string when there is none.
std::string SanitizerReport(const std::string &path);

}  // namespace e2e
