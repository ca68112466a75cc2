// The backend of the command-line tools (bmpcheck): no windows, so no focus,
// and message boxes become lines on standard error that answer OK at once.
// Shared operations (files, memory, text) come from platform_common and are
// never made to fail here.
#include <cstdio>
#include <string>

#include "platform/platform_hooks.h"
#include "platform/platform_internal.h"
#include "platform/user32.h"

bool PlatformCallFails(const char *) { return false; }

HWND GetFocus(void) { return nullptr; }

int MessageBoxA(HWND, const char *text, const char *caption, UINT)
{
    std::string line = Cp949ToUtf8(caption != nullptr ? caption : "");
    line += ": ";
    line += Cp949ToUtf8(text != nullptr ? text : "");
    // Some texts bring their own line feed; every box ends one line.
    if (line.empty() || line.back() != '\n')
        line += '\n';
    fputs(line.c_str(), stderr);
    fflush(stderr);
    return IDOK;
}
