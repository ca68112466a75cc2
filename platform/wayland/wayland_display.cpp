// The compositor connection's loss; see wayland_display.h.
#include "platform/wayland/wayland_display.h"

#include <poll.h>
#include <unistd.h>
#include <wayland-client.h>

// A socket whose other end is closed reports a hang-up whatever is asked.
static bool hung_up(int fd)
{
    pollfd watched = {fd, 0, 0};
    return poll(&watched, 1, 0) == 1 && (watched.revents & (POLLHUP | POLLERR)) != 0;
}

void WaylandEndIfConnectionLost(wl_display *display)
{
    if (display == nullptr)
        return;
    if (wl_display_get_error(display) == 0 && !hung_up(wl_display_get_fd(display)))
        return;
    static const char kLine[] = "The connection to the compositor was lost.\n";
    ssize_t written = write(STDERR_FILENO, kLine, sizeof kLine - 1);
    (void)written;
    _exit(1);
}
