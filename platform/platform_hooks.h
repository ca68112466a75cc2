// The seam between the operations shared by both backends (files, memory,
// fonts, text) and the backend that is linked in. The program's backend lets
// every call through; the recording backend used by tests notes each call and
// can make a chosen one fail.
#pragma once

// True when this call of the named operation is to fail. Every operation
// asks once, on entry, before it does anything.
bool PlatformCallFails(const char *operation);
