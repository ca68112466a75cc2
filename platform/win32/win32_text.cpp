// Code page 949 to UTF-16 with the system's own tables, and the step
// through texts in the ANSI code page. Every Windows carries the code page
// 949 table whatever its language; should one lack it, the ANSI code page
// still reads the English texts (plain ASCII) right.
#include "platform/win32/win32_text.h"

#include <cstring>

#include "platform/user32.h"

// The system's own step from here on (user32.h renames the program's).
#undef CharNextA

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

// In UTF-8 a character is as long as its first byte says, when the system
// reads those bytes as one character; any other byte is a character of its
// own, as a box shows it (a replacement character).
char *CharNextAnsi(const char *text)
{
    if (*text == '\0')
        return const_cast<char *>(text);
    if (GetACP() != CP_UTF8)
        return CharNextA(text);
    unsigned char lead = static_cast<unsigned char>(*text);
    size_t length = lead < 0xC0 ? 1 : lead < 0xE0 ? 2 : lead < 0xF0 ? 3 : 4;
    // The terminator ends a cut sequence before anything past it is read.
    if (length > 1 && (strnlen(text, length) < length ||
                       MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, text,
                                           static_cast<int>(length), nullptr, 0) == 0))
        length = 1;
    return const_cast<char *>(text) + length;
}
