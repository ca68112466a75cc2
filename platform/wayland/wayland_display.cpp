// The compositor connection's loss; see wayland_display.h.
#include "platform/wayland/wayland_display.h"

#include <unistd.h>
#include <wayland-client.h>

void WaylandEndIfConnectionLost(wl_display *display)
{
    if (display == nullptr || wl_display_get_error(display) == 0)
        return;
    static const char kLine[] = "The connection to the compositor was lost.\n";
    ssize_t written = write(STDERR_FILENO, kLine, sizeof kLine - 1);
    (void)written;
    _exit(1);
}
