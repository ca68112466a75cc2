// Texts of the command-line tools on the console. Under the UTF-8 code page
// a console still shows bytes by its own output code page (an OEM one), and
// the C runtime may convert them once more by its locale's; UTF-16 through
// WriteConsoleW reads right on any console. Redirected output keeps the
// bytes, so a script reads what it passed.
#include <io.h>

#include <string>

#include "platform/win32/win32_text.h"
#include "platform/win_types.h"

bool WriteSystemText(FILE *stream, const char *text)
{
    HANDLE handle = reinterpret_cast<HANDLE>(_get_osfhandle(_fileno(stream)));
    DWORD mode = 0;
    if (handle == INVALID_HANDLE_VALUE || !GetConsoleMode(handle, &mode)) {
        fputs(text, stream);
        return fflush(stream) == 0 && !ferror(stream);
    }
    // What the runtime holds goes first, so the lines keep their order.
    fflush(stream);
    int length = MultiByteToWideChar(CP_ACP, 0, text, -1, nullptr, 0);
    if (length <= 1)
        return length == 1;
    std::wstring wide(static_cast<size_t>(length), L'\0');
    MultiByteToWideChar(CP_ACP, 0, text, -1, &wide[0], length);
    DWORD written = 0;
    return WriteConsoleW(handle, wide.c_str(), static_cast<DWORD>(length - 1), &written,
                         nullptr) &&
           written == static_cast<DWORD>(length - 1);
}
