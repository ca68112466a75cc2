// Message boxes of the command-line tools on Windows (bmpcheck): no window
// pops up; each box becomes one line on standard error, "Caption: text",
// and answers OK at once, as the tools' backend does elsewhere. The loader's
// texts are English, with the path the user gave in the ANSI code page, and
// are written as a console shows that code page (win32_console_text.cpp);
// the tools show no Korean text.
#include <string>

#include "platform/user32.h"
#include "platform/win32/win32_text.h"

int MessageBoxAnsi(HWND, const char *text, const char *caption, UINT)
{
    std::string line = caption != nullptr ? caption : "";
    line += ": ";
    line += text != nullptr ? text : "";
    // Some texts bring their own line feed; every box ends one line.
    if (line.back() != '\n')
        line += '\n';
    WriteSystemText(stderr, line.c_str());
    return IDOK;
}

int MessageBoxCp949(HWND owner, const char *text, const char *caption, UINT type)
{
    return MessageBoxAnsi(owner, text, caption, type);
}
