// What the GTK message boxes need of the backend that owns the scene window:
// where the owner is, how to name it to the window system, and which
// connection to watch for its events while a box waits. The SDL backend
// provides these (sdl_box_host.cpp); GTK code never calls SDL itself.
#pragma once

struct PlatformWindow;

// The owner's client area's top-left corner on the screen; false when the
// owner has no native window (the box is then centred on the screen).
bool BoxHostOwnerPosition(PlatformWindow *owner, int *x, int *y);
// The owner's X window, or 0 (no window, or not on X11).
unsigned long BoxHostX11Window(PlatformWindow *owner);
// On Wayland, the handle under which the owner's surface is exported to
// other clients for the box that is about to open; null when the
// compositor cannot export it (or not on Wayland). The export lasts until
// BoxHostEndOwnerExport.
const char *BoxHostExportOwner(PlatformWindow *owner);
void BoxHostEndOwnerExport(void);
// GDK's name of the window system the scene window is on ("x11",
// "wayland"), or null before the backend has started its video.
const char *BoxHostWindowSystem(void);
// The descriptor the scene window's events arrive on, or -1 when the
// backend has none to offer (the box then polls on a short tick).
int BoxHostEventFd(void);
// True when the scene window's events already wait in memory, where no
// descriptor shows them.
bool BoxHostEventsWaiting(void);
// Whether the desktop session has a message bus (see sdl_window.cpp).
bool BoxHostSessionBusAround(void);
// Called once GTK has started: it replaces process-wide handlers (a lost
// X connection's) that the backend had put in place.
void BoxHostAfterToolkitStart(void);
