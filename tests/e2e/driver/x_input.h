// Input as a person gives it, through the XTest extension (the server makes
// the events, so they reach windows exactly as real ones do): focus, keys,
// key chords, clicks; and FrameWatch, which counts the frames a window
// presents (through the DAMAGE extension), so input can be timed by the
// program's own progress instead of by the clock.
//
// A program that polls its key table between frames misses a key pressed
// and released between two of its frames, so PressKey holds a key until the
// window has presented enough frames for the program to have read and acted
// on it: the frame it may have been drawing, the pass that reads the press,
// and the pass that acts on it, plus one to spare. Auto-repeat is off on the
// session's display, so holding never types a key twice.
#pragma once

#include <X11/Xlib.h>

#include <functional>
#include <initializer_list>

#include "x_session.h"

namespace e2e {

constexpr int kFramesToSeeAKey = 4;

// Gives `w` the keyboard focus and waits until it has it.
bool Focus(const XSession &s, Window w, Seconds limit = Seconds(30));

void KeyDown(const XSession &s, KeySym key);
void KeyUp(const XSession &s, KeySym key);
// Focus (waiting up to `limit` for it), then press and release at once:
// for windows that act on each key event as it comes (message boxes), not
// for the scene.
bool Tap(const XSession &s, Window w, KeySym key, Seconds limit = Seconds(30));
// Focus, then the keys pressed in order and released in reverse (Alt+F4).
bool Chord(const XSession &s, Window w, std::initializer_list<KeySym> keys);

// Moves the pointer to (x, y) of `w`'s client area and clicks `button`
// (1 left, 3 right) `times` times.
void Click(const XSession &s, Window w, int x, int y, int button, int times = 1);
// Moves the pointer to (x, y) of `w`'s client area and tells whether it is
// over that area there, with nothing on top: a window the window manager
// has not yet resized, or not yet restored, leaves the point on the
// desktop, whose right button opens the manager's menu.
bool PointerOver(const XSession &s, Window w, int x, int y);

class FrameWatch {
public:
    FrameWatch(const XSession &s, Window w);
    ~FrameWatch();
    FrameWatch(const FrameWatch &) = delete;
    FrameWatch &operator=(const FrameWatch &) = delete;

    bool ok() const { return damage_ != 0; }
    // Frames presented since the watch began (or was restarted).
    int Frames();
    // Counts from zero again, from now on.
    void Restart();
    // Waits up to `limit` for `n` more frames; false if they did not come.
    bool WaitFrames(int n, Seconds limit);

private:
    ::Display *x_ = nullptr;
    unsigned long damage_ = 0;
    int event_base_ = 0;
    int frames_ = 0;
};

// Focus, key down, hold until `done` holds (up to `limit`), key up. True if
// `done` held.
bool PressUntil(const XSession &s, Window w, KeySym key, Seconds limit,
                const std::function<bool()> &done);
// Holds `key` on `w` for kFramesToSeeAKey of its frames (see above). False
// if the window stopped presenting frames within `limit`.
bool PressKey(const XSession &s, Window w, KeySym key, Seconds limit = Seconds(60));

}  // namespace e2e
