// Message boxes of the command-line tools on Windows (bmpcheck): no window
// pops up; each box becomes one line on standard error, "Caption: text",
// and answers OK at once, as the tools' backend does elsewhere. The bytes
// are written as they are: the loader's texts are English, with the path
// the user gave in the console's own encoding; the tools show no Korean
// text.
#include <cstdio>
#include <cstring>

#include "platform/user32.h"

int MessageBoxAnsi(HWND, const char *text, const char *caption, UINT)
{
    const char *line = text != nullptr ? text : "";
    fprintf(stderr, "%s: %s", caption != nullptr ? caption : "", line);
    // Some texts bring their own line feed; every box ends one line.
    size_t length = strlen(line);
    if (length == 0 || line[length - 1] != '\n')
        fputc('\n', stderr);
    fflush(stderr);
    return IDOK;
}

int MessageBoxCp949(HWND owner, const char *text, const char *caption, UINT type)
{
    return MessageBoxAnsi(owner, text, caption, type);
}
