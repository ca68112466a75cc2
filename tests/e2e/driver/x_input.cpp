// XTest input and DAMAGE frame counting; see x_input.h.
#include "x_input.h"

#include <X11/extensions/XTest.h>
#include <X11/extensions/Xdamage.h>

#include <iterator>

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

bool Tap(const XSession &s, Window w, KeySym key, Seconds limit)
{
    if (!Focus(s, w, limit))
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
    for (auto key = std::rbegin(keys); key != std::rend(keys); ++key)
        KeyUp(s, *key);
    return true;
}

// A window manager's grab holds each press on a window until it hands it
// on, so a burst of clicks can reach the program long after the server took
// them from us. Once our own grab succeeds, no such grab holds anything back.
static bool pointer_released(const XSession &s, Seconds limit)
{
    return WaitUntil(limit, [&] {
        if (XGrabPointer(s.x(), s.root(), False, 0, GrabModeAsync, GrabModeAsync, None, None,
                         CurrentTime) != GrabSuccess)
            return false;
        XUngrabPointer(s.x(), CurrentTime);
        s.Sync();
        return true;
    });
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
    pointer_released(s, Seconds(30));
}

bool PointerOver(const XSession &s, Window w, int x, int y)
{
    Rect r = ClientRect(s, w);
    if (!IsShown(s, w) || x < 0 || y < 0 || x >= r.width || y >= r.height)
        return false;
    XTestFakeMotionEvent(s.x(), DefaultScreen(s.x()), r.x + x, r.y + y, CurrentTime);
    s.Sync();
    Window root, top, child;
    int root_x, root_y, win_x, win_y;
    unsigned mask;
    return XQueryPointer(s.x(), s.root(), &root, &top, &root_x, &root_y, &win_x, &win_y,
                         &mask) &&
           top != None && top == TopLevel(s, w) &&
           XQueryPointer(s.x(), w, &root, &child, &root_x, &root_y, &win_x, &win_y, &mask) &&
           win_x >= 0 && win_y >= 0 && win_x < r.width && win_y < r.height;
}

// A connection of its own, so its events never mix with anything else.
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
    while (x_ != nullptr && XPending(x_)) {
        XEvent e;
        XNextEvent(x_, &e);
        // A request reports each rectangle it damages, the last without `more`.
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
    return Tap(s, w, key) && WaitUntil(limit, done);
}

bool PressKey(const XSession &s, Window w, KeySym key, Seconds limit)
{
    FrameWatch watch(s, w);
    if (!watch.ok() || !Tap(s, w, key))
        return false;
    // Counted from the tap on: frames presented before it do not help.
    watch.Restart();
    return watch.WaitFrames(kFramesToSeeAKey, limit);
}

}  // namespace e2e
