// wsprintfA: printf-style formatting into a caller's buffer. The platform's
// version writes at most 1024 bytes; the stand-in keeps that bound so a long
// argument is cut instead of running past the buffer.
#include <cstdarg>
#include <cstdio>

#include "platform/platform_hooks.h"
#include "platform/user32.h"

int wsprintfA(char *buffer, const char *format, ...)
{
    if (PlatformCallFails("wsprintfA")) {
        buffer[0] = '\0';
        return 0;
    }
    va_list args;
    va_start(args, format);
    int n = vsnprintf(buffer, 1024, format, args);
    va_end(args);
    if (n < 0) {
        buffer[0] = '\0';
        return 0;
    }
    return n < 1024 ? n : 1023;
}
