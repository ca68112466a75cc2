// The scene window's surface exported to other Wayland clients (the
// xdg-foreign protocol), so a message box drawn by another connection can
// name it as its parent. Relies on libwayland-client only; the caller
// brings the connection and surface its toolkit made.
#pragma once

struct wl_display;
struct wl_surface;
struct WaylandExport;

// Exports `surface`, a toplevel's, through the compositor's exporter (the
// second version where offered, else the first) and waits for its handle.
// Null when the compositor offers neither or sends no handle.
WaylandExport *WaylandExportSurface(wl_display *display, wl_surface *surface);
// The handle other clients import the surface by; valid until unexported.
const char *WaylandExportHandle(const WaylandExport *exported);
// Withdraws the export; children made through it lose their parent.
void WaylandUnexport(WaylandExport *exported);
