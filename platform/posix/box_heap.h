// The heap around message boxes, so that a click costs no memory: what a
// box and the click that opened it freed goes back to the system. The GTK
// boxes call the first two, the backend's SwapBuffers the third.
#pragma once

// Before a box opens, on `wayland` or not.
void HeapBoxOpening(bool wayland);
// After the box has gone.
void HeapBoxClosed(void);
// After each frame has been shown.
void HeapFrameShown(void);
