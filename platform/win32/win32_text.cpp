// Code page 949 to UTF-16 with the system's own tables. Every Windows carries
// the code page 949 table whatever its language; should one lack it, the
// ANSI code page still reads the English texts (plain ASCII) right.
#include "platform/win32/win32_text.h"

#include "platform/win_types.h"

std::wstring Cp949ToWide(const char *text)
{
    if (text == nullptr || text[0] == '\0')
        return std::wstring();
    UINT code_page = IsValidCodePage(949) ? 949 : CP_ACP;
    // Without MB_ERR_INVALID_CHARS a broken sequence becomes a replacement
    // character and the rest of the text still converts.
    int length = MultiByteToWideChar(code_page, 0, text, -1, nullptr, 0);
    if (length <= 1)
        return std::wstring();
    std::wstring wide(static_cast<size_t>(length), L'\0');
    MultiByteToWideChar(code_page, 0, text, -1, &wide[0], length);
    wide.resize(static_cast<size_t>(length) - 1);  // the terminator
    return wide;
}
