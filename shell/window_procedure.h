// The scene window's procedure: keyboard, mouse, size, activation and
// close become program-wide state and calls into the scene. The loop reads
// what it leaves; the scene window registers it with its class.
#pragma once

#include "assets/shared_state.h"
#include "platform/win_types.h"

// True from a key's WM_KEYDOWN to its WM_KEYUP.
extern bool key_down[256];
// True from a key's WM_KEYDOWN until the loop has acted on it (Esc, F1 to
// F5), so a press released before the next frame is still seen.
extern bool key_pressed[256];

// The object the keyboard focus is on, by selection name (Tab and
// Shift+Tab move it, Return and Space report it, a left click clears it),
// or kNoFocus.
constexpr unsigned int kNoFocus = 0;
extern unsigned int focused_object;

// WM_KEYDOWN's lParam: the key was already down (a repeat).
constexpr LPARAM kKeyWasDown = (LPARAM)1 << 30;

// What a right click adds to each of the three orbit angles, in degrees.
constexpr float kOrbitNudge = 3.0f;

// Drops Return and Space presses that arrived while a box was up, or that
// the box handed on: they were meant for that box, not for a new one.
void ForgetBoxKeys(void);

LRESULT SceneWindowProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam);
