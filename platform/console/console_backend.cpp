// The backend of the command-line tools (bmpcheck): no windows, so no focus,
// and message boxes become lines on standard error, "caption: text", that
// answer with their first button at once. Shared operations (files, memory,
// text) come from platform_posix and are never made to fail here.
#include <cstdio>

#include "platform/core/core_message_box.h"
#include "platform/platform_hooks.h"
#include "platform/user32.h"

bool PlatformCallFails(const char *) { return false; }

HWND GetFocus(void) { return nullptr; }

int MessageBoxA(HWND, const char *text, const char *caption, UINT type)
{
    BoxLayout layout = DescribeMessageBox(text, caption, type);
    fputs(BoxAsLine(layout).c_str(), stderr);
    fflush(stderr);
    return layout.return_answer;
}
