// The seam between the operations every backend shares (files, memory,
// fonts, text) and the backend that is linked in (sdl, fake or console; the
// Windows build has none of these). The program's and the tools' backends
// let every call through; the recording backend notes each call and can make
// a chosen one fail.
#pragma once

// True when this call of the named operation is to fail. Every operation
// asks once, on entry, before it does anything.
bool PlatformCallFails(const char *operation);
