// The state of the program's connection to its Wayland compositor.
#pragma once

struct wl_display;

// Ends the process at once, with status 1 and a line on standard error,
// when the connection has failed (the compositor has gone): the same end
// as a lost X display.
void WaylandEndIfConnectionLost(wl_display *display);
