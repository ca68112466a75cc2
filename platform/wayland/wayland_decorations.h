// The decorations SDL asks libdecor for on a compositor that leaves a
// window's frame to the client. Relies on SDL calling libdecor_decorate by
// name (SDL linked against libdecor, as Debian builds it).
#pragma once

struct wl_surface;

// From now on nothing libdecor reports for the frame of `surface` reaches
// SDL; with `release`, the frame is also let go of, for an SDL that leaves
// it behind (2.26). Called once the window is hidden, before SDL destroys
// it.
void WaylandForgetDecorations(wl_surface *surface, bool release);
