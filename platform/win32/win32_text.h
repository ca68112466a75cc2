// The Windows build's text handling beyond the system's calls: the
// program's code page 949 texts as UTF-16 for the wide-character calls, and
// texts written to a console. The program's own code never includes this;
// outside platform/ only the Windows tools and tests do.
#pragma once

#include <cstdio>
#include <string>

// `text` read as code page 949 whatever the system's ANSI code page is.
// Bytes that form no character come out as the system's replacement
// character rather than being dropped; null gives an empty text.
std::wstring Cp949ToWide(const char *text);

// Writes `text`, in the ANSI code page (UTF-8 where the manifest takes),
// to `stream`, stdout or stderr. A console is given it as UTF-16: the C
// runtime and the console would each convert the bytes by a code page of
// their own. A file or a pipe gets the bytes. False when it could not be
// written.
bool WriteSystemText(FILE *stream, const char *text);
