// Texts in the system's own encoding, UTF-8, as a desktop shows them: file
// names and other bytes that come from the system rather than the program.
// Valid UTF-8 passes unchanged; every byte that is not part of a valid
// sequence is shown as \xNN, so nothing is dropped or taken for another
// character. CharNextA steps through such a text by the same rule.
#include <string>

#include "platform/platform_internal.h"
#include "platform/user32.h"

// Length of the valid UTF-8 sequence that starts at `s`, or 0: no overlong
// forms, no surrogates, nothing above U+10FFFF.
static size_t valid_sequence(const unsigned char *s)
{
    unsigned char c = s[0];
    if (c < 0x80)
        return 1;
    size_t length;
    unsigned char low = 0x80, high = 0xBF;  // bounds of the second byte
    if (c >= 0xC2 && c <= 0xDF) {
        length = 2;
    } else if (c >= 0xE0 && c <= 0xEF) {
        length = 3;
        if (c == 0xE0)
            low = 0xA0;
        if (c == 0xED)
            high = 0x9F;
    } else if (c >= 0xF0 && c <= 0xF4) {
        length = 4;
        if (c == 0xF0)
            low = 0x90;
        if (c == 0xF4)
            high = 0x8F;
    } else {
        return 0;
    }
    if (s[1] < low || s[1] > high)
        return 0;
    for (size_t i = 2; i < length; ++i)
        if (s[i] < 0x80 || s[i] > 0xBF)
            return 0;
    return length;
}

std::string SystemTextToUtf8(const char *text)
{
    std::string out;
    if (text == nullptr)
        return out;
    static const char kHex[] = "0123456789ABCDEF";
    const unsigned char *s = reinterpret_cast<const unsigned char *>(text);
    while (*s != '\0') {
        size_t length = valid_sequence(s);
        if (length == 0) {
            out += "\\x";
            out += kHex[*s >> 4];
            out += kHex[*s & 0x0F];
            ++s;
        } else {
            out.append(reinterpret_cast<const char *>(s), length);
            s += length;
        }
    }
    return out;
}

// A byte that starts no valid sequence is a character of its own, as it is
// shown on its own.
char *CharNextA(const char *text)
{
    if (*text == '\0')
        return const_cast<char *>(text);
    size_t length = valid_sequence(reinterpret_cast<const unsigned char *>(text));
    return const_cast<char *>(text) + (length != 0 ? length : 1);
}
