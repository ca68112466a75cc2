// Converts the program's 8-bit texts (code page 949, the ANSI code page the
// texts were written for) to UTF-8 for the desktop, with iconv, or with the
// Hangul decoder of cp949_hangul.cpp where iconv has no code page 949.
#include <iconv.h>

#include <cerrno>
#include <cstring>
#include <string>

#include "platform/platform_hooks.h"
#include "platform/platform_internal.h"

std::string Cp949ToUtf8(const char *text)
{
    std::string out;
    if (text == nullptr)
        return out;
    size_t in_left = strlen(text);
    // Plain ASCII reads the same in both; it skips loading the converter,
    // which costs a noticeable part of the start-up for the window title.
    size_t ascii = 0;
    while (ascii < in_left && (unsigned char)text[ascii] < 0x80)
        ++ascii;
    if (ascii == in_left)
        return std::string(text, in_left);
    // The recording backend can stand for a system without the converter.
    iconv_t cd = PlatformCallFails("iconv_open") ? (iconv_t)-1 : iconv_open("UTF-8", "CP949");
    if (cd == (iconv_t)-1)
        return Cp949HangulToUtf8(text);

    char *in = const_cast<char *>(text);
    char chunk[256];
    while (in_left > 0) {
        char *dst = chunk;
        size_t dst_left = sizeof chunk;
        size_t r = iconv(cd, &in, &in_left, &dst, &dst_left);
        out.append(chunk, sizeof chunk - dst_left);
        if (r == (size_t)-1 && errno != E2BIG) {
            // An invalid or cut-off sequence: show a replacement character
            // and go on with the next byte, so the rest stays readable.
            out += "\xEF\xBF\xBD";
            ++in;
            --in_left;
        }
    }
    iconv_close(cd);
    return out;
}
