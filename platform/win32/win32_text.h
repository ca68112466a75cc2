// The Windows counterpart of the stand-in's text conversion: the program's
// 8-bit texts, code page 949 bytes, as UTF-16 for the wide-character calls.
// The program's own code never includes this; outside platform/ only the
// Windows build's tests do.
#pragma once

#include <string>

// `text` read as code page 949 whatever the system's ANSI code page is.
// Bytes that form no character come out as the system's replacement
// character rather than being dropped; null gives an empty text.
std::wstring Cp949ToWide(const char *text);
