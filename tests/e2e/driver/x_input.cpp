// XTest input and DAMAGE frame counting; see x_input.h.
#include "x_input.h"

#include <X11/extensions/XTest.h>
#include <X11/extensions/Xdamage.h>

#include <vector>

#include "x_windows.h"

namespace e2e {

bool Focus(const XSession &s, Window w, Seconds limit)
{
    return WaitUntil(limit, [&] {
        Window focus;
        int revert;
        XGetInputFocus(s.x(), &focus, &revert);
        if (focus == w)
            return true;
        // Asked again each time: the window may not be viewable yet, or a
        // window manager may have moved the focus on meanwhile.
        XSetInputFocus(s.x(), w, RevertToParent, CurrentTime);
        s.Sync();
        return false;
    });
}

void KeyDown(const XSession &s, KeySym key)
{
    XTestFakeKeyEvent(s.x(), XKeysymToKeycode(s.x(), key), True, CurrentTime);
    s.Sync();
}

void KeyUp(const XSession &s, KeySym key)
{
    XTestFakeKeyEvent(s.x(), XKeysymToKeycode(s.x(), key), False, CurrentTime);
    s.Sync();
}

bool Tap(const XSession &s, Window w, KeySym key)
{
    if (!Focus(s, w))
        return false;
    KeyDown(s, key);
    KeyUp(s, key);
    return true;
}

bool Chord(const XSession &s, Window w, std::initializer_list<KeySym> keys)
{
    if (!Focus(s, w))
        return false;
    for (KeySym key : keys)
        KeyDown(s, key);
    std::vector<KeySym> reverse(keys.begin(), keys.end());
    for (auto k = reverse.rbegin(); k != reverse.rend(); ++k)
        KeyUp(s, *k);
    return true;
}

void Click(const XSession &s, Window w, int x, int y, int button, int times)
{
    Rect r = ClientRect(s, w);
    XTestFakeMotionEvent(s.x(), DefaultScreen(s.x()), r.x + x, r.y + y, CurrentTime);
    for (int i = 0; i < times; ++i) {
        XTestFakeButtonEvent(s.x(), static_cast<unsigned>(button), True, CurrentTime);
        XTestFakeButtonEvent(s.x(), static_cast<unsigned>(button), False, CurrentTime);
    }
    s.Sync();
}

// A connection of its own, so its damage events never mix with anything
// else the test reads.
FrameWatch::FrameWatch(const XSession &s, Window w)
{
    x_ = XOpenDisplay(s.name().c_str());
    int error_base;
    if (x_ == nullptr || !XDamageQueryExtension(x_, &event_base_, &error_base))
        return;
    // Raw rectangles: one report per drawing request, so every presented
    // frame counts, even two that come before we look.
    damage_ = XDamageCreate(x_, w, XDamageReportRawRectangles);
    // A new watch is told of the whole window once; that is no frame.
    Restart();
}

FrameWatch::~FrameWatch()
{
    if (x_ == nullptr)
        return;
    if (damage_ != 0)
        XDamageDestroy(x_, damage_);
    XCloseDisplay(x_);
}

int FrameWatch::Frames()
{
    if (x_ == nullptr)
        return frames_;
    while (XPending(x_)) {
        XEvent e;
        XNextEvent(x_, &e);
        // A request that damages several rectangles reports each, the last
        // without `more`.
        if (e.type == event_base_ + XDamageNotify &&
            !reinterpret_cast<XDamageNotifyEvent *>(&e)->more)
            ++frames_;
    }
    return frames_;
}

void FrameWatch::Restart()
{
    if (x_ != nullptr)
        XSync(x_, False);  // every report of what came before is in
    Frames();
    frames_ = 0;
}

bool FrameWatch::WaitFrames(int n, Seconds limit)
{
    int target = Frames() + n;
    return WaitUntil(limit, [&] { return Frames() >= target; });
}

bool PressUntil(const XSession &s, Window w, KeySym key, Seconds limit,
                const std::function<bool()> &done)
{
    if (!Focus(s, w))
        return false;
    KeyDown(s, key);
    bool held = WaitUntil(limit, done);
    KeyUp(s, key);
    return held;
}

bool PressKey(const XSession &s, Window w, KeySym key, Seconds limit)
{
    FrameWatch watch(s, w);
    if (!watch.ok() || !Focus(s, w))
        return false;
    KeyDown(s, key);
    // Counted from the press on: frames presented before it do not help.
    watch.Restart();
    bool seen = watch.WaitFrames(kFramesToSeeAKey, limit);
    KeyUp(s, key);
    return seen;
}

}  // namespace e2e
