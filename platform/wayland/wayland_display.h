// The state of the program's connection to its Wayland compositor.
#pragma once

struct wl_display;

// Ends the process at once, with status 1 and a line on standard error,
// when the connection has failed or the compositor has hung up on it (the
// compositor has gone): the same end as a lost X display. A hang-up is seen
// before anything reads the connection, so it is caught ahead of a toolkit
// that would end the process its own way on reading it.
void WaylandEndIfConnectionLost(wl_display *display);
