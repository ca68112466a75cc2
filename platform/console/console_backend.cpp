// The backend of the command-line tools (bmpcheck, icongen).
// Implemented: message boxes as lines on standard error, their bytes as
//  given, answering OK at once; GetFocus (no window has it); the shared
//  operations (files, memory, fonts, text, from the platform_posix library),
//  never made to fail here.
// Missing: windows, messages, GL contexts and display modes.
#include <cstdio>
#include <string>

#include "platform/platform_hooks.h"
#include "platform/user32.h"

bool PlatformCallFails(const char *) { return false; }

HWND GetFocus(void) { return nullptr; }

// The texts go out as the bytes given: the tools only show the loader's
// English texts, whose one variable part is a path, and a path must read as
// the terminal's own names do, not be taken for code page 949.
int MessageBoxA(HWND, const char *text, const char *caption, UINT)
{
    std::string line = caption != nullptr ? caption : "";
    line += ": ";
    line += text != nullptr ? text : "";
    // Some texts bring their own line feed; every box ends one line.
    if (line.empty() || line.back() != '\n')
        line += '\n';
    fputs(line.c_str(), stderr);
    fflush(stderr);
    return IDOK;
}
