// What the backends and the shared operations agree on behind the opaque
// handles. The program's own code never includes this; outside platform/
// only tests and benchmarks do, to reach what is behind the handles.
#pragma once

#include <string>

#include "win_types.h"

// A window's own device context: it knows its window and the font selected
// into it (the only object the program ever selects).
struct PlatformDC {
    HWND window;
    HGDIOBJ font;
};

// The 8-bit texts the program shows are code page 949; desktops here want
// UTF-8. Bytes that do not convert are shown as U+FFFD rather than dropped.
// Where iconv cannot open code page 949, Cp949HangulToUtf8 takes over.
std::string Cp949ToUtf8(const char *text);
// The conversion without iconv: ASCII and the Hangul syllables; anything
// else becomes U+FFFD, never the raw bytes.
std::string Cp949HangulToUtf8(const char *text);
// A text in the system's own encoding (UTF-8: file names, say) as it is
// shown: valid UTF-8 unchanged, every other byte as \xNN (hex, upper case).
std::string SystemTextToUtf8(const char *text);
