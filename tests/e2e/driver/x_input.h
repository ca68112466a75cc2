// Input as a person gives it, through XTest (the server makes the events, so
// they reach windows as real ones do), and FrameWatch, which counts the frames
// a window presents (through DAMAGE), so input is timed by the program's own
// progress, not by the clock.
#pragma once

#include <X11/Xlib.h>

#include <functional>
#include <initializer_list>

#include "x_session.h"

namespace e2e {

// A tap is seen once the program has presented the frame it may have been
// drawing, the pass that reads the press, the one that acts on it, and one more.
constexpr int kFramesToSeeAKey = 4;

// Gives `w` the keyboard focus and waits until it has it.
bool Focus(const XSession &s, Window w, Seconds limit = Seconds(30));
void KeyDown(const XSession &s, KeySym key);
void KeyUp(const XSession &s, KeySym key);
// Focus, then press and release at once, as a quick typist does.
bool Tap(const XSession &s, Window w, KeySym key, Seconds limit = Seconds(30));
// Focus, then the keys pressed in order and released in reverse (Alt+F4).
bool Chord(const XSession &s, Window w, std::initializer_list<KeySym> keys);

// Clicks `button` (1 left, 3 right) `times` times at (x, y) of `w`'s client area.
void Click(const XSession &s, Window w, int x, int y, int button, int times = 1);
// Moves the pointer to (x, y) of `w` and tells whether `w` is what it is over
// there: a window not yet resized or restored leaves it on the desktop, whose
// right button opens the window manager's menu.
bool PointerOver(const XSession &s, Window w, int x, int y);

class FrameWatch {
public:
    FrameWatch(const XSession &s, Window w);
    ~FrameWatch();
    FrameWatch(const FrameWatch &) = delete;
    FrameWatch &operator=(const FrameWatch &) = delete;

    bool ok() const { return damage_ != 0; }
    int Frames();    // presented since the watch began or was restarted
    void Restart();  // counts from zero again
    // Waits up to `limit` for `n` more frames; false if they did not come.
    bool WaitFrames(int n, Seconds limit);

private:
    ::Display *x_ = nullptr;
    unsigned long damage_ = 0;
    int event_base_ = 0;
    int frames_ = 0;
};

// A tap of `key`, then up to `limit` for `done`; true if it held.
bool PressUntil(const XSession &s, Window w, KeySym key, Seconds limit,
                const std::function<bool()> &done);
// A tap of `key`, then kFramesToSeeAKey of `w`'s frames; false if they did
// not come within `limit`.
bool PressKey(const XSession &s, Window w, KeySym key, Seconds limit = Seconds(60));

}  // namespace e2e
