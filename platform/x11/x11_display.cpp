// The X11 calls the SDL backend makes itself, beside SDL's own.
#include "platform/x11/x11_display.h"
#include "platform/x11/x11_modes.h"

#include <X11/Xlib.h>
#include <unistd.h>

// The connection is gone: nothing more can be shown or torn down, and
// anything that still talks to the display (SDL's exit handler among them)
// would wait on it for ever. Only the display mode is put back first: the
// server may still be there (the window's client killed, say), and the
// mode's connection is another one; if it is gone too, the restore's own
// loss comes back here and ends the process.
static int OnDisplayLost(Display *)
{
    static bool lost = false;
    if (!lost) {
        lost = true;
        static const char kLine[] = "The connection to the display was lost.\n";
        ssize_t written = write(STDERR_FILENO, kLine, sizeof kLine - 1);
        (void)written;
        X11RestoreMode();
    }
    _exit(1);
}

void X11EndOnDisplayLoss(void)
{
    XSetIOErrorHandler(OnDisplayLost);
}

int X11ConnectionFd(Display *display)
{
    return ConnectionNumber(display);
}

bool X11EventsInMemory(Display *display)
{
    return XEventsQueued(display, QueuedAlready) > 0;
}
