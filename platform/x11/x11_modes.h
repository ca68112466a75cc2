// The temporary fullscreen display mode on X11, through XRandR on a
// connection of its own: the monitor at the screen's top-left corner is
// switched to a mode of the asked size, and its saved configuration is put
// back on request, at exit, and as the process ends abruptly.
#pragma once

enum X11ModeResult {
    kX11ModeSwitched,     // the monitor now shows the asked size
    kX11ModeNotOffered,   // the monitor has no mode of that size
    kX11ModeFailed,       // the server refused the change
    kX11ModeUnavailable,  // no XRandR 1.2, or modes are emulated (Xwayland)
};

// Switches the monitor under the screen's top-left corner to a mode of
// width by height (the fastest of that size, *refresh_hz its rate).
// Switching again before a restore keeps the first saved configuration.
X11ModeResult X11SwitchMode(int width, int height, int *refresh_hz);
// Puts back the configuration the first switch saved; nothing when the
// display was not switched.
void X11RestoreMode(void);
