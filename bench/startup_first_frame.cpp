// Linked into a copy of the program with --wrap=SwapBuffers: the first
// presented frame ends the process at once, so the process's lifetime is
// the time from start to the first frame on screen.
#include <unistd.h>

#include "platform/gdi32.h"

extern "C" BOOL __real_SwapBuffers(HDC dc);

extern "C" BOOL __wrap_SwapBuffers(HDC dc)
{
    BOOL presented = __real_SwapBuffers(dc);
    _exit(presented ? 0 : 1);
}
