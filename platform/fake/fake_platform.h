// Control panel of the recording backend that tests link instead of the SDL
// one. It feeds the same window core (platform/core/) as the program's
// backend, from user actions that tests take (FakeKey, FakeClick,
// FakeMinimize, ...) instead of a window system's events, so a test of the
// loop goes through the same path as the program. It keeps real state (a
// display with modes, the cursor count, a real offscreen Mesa GL context per
// wglCreateContext), records every platform call in order, records every
// message box, answers message boxes as told, and makes a chosen call fail.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "platform/win_types.h"

struct RecordedMessageBox {
    HWND owner;
    std::string text;     // the 8-bit text as the program passed it
    std::string caption;
    UINT type;            // MB_ flags
    int answer;           // what the box returned (0 while it is open)
};

struct FakeDisplayMode {
    int width;
    int height;
    int bits;
};

// Back to a fresh process: no class, no window, no context, desktop mode
// restored, empty logs, no pending failures or user actions, message boxes
// answered with their first button, display modes 640x480x16 and
// 1280x1024x24 on offer.
void FakeReset();

// The next call of `operation` (its platform name, e.g. "GetDC") fails; with
// nth > 1, the nth call from now fails instead. A failed "MessageBoxA" is a
// box that cannot be shown.
void FakeFailCall(const char *operation, int nth = 1);

// Every platform call so far, by name, in order ("MessageBoxA" included).
const std::vector<std::string> &FakeCallLog();
int FakeCallCount(const char *operation);
// Position of the first logged call of `operation` at or after `from`, or -1.
int FakeCallIndex(const char *operation, int from = 0);

const std::vector<RecordedMessageBox> &FakeMessageBoxes();
// Answers for the coming message boxes, in order; afterwards each box
// answers with its first button (OK, Yes).
void FakeQueueMessageBoxAnswers(const std::vector<int> &answers);
// Called while a box is open (after it is recorded, before it answers), as
// the user would act then: user actions taken here reach the window
// procedure through the box's modal loop.
void FakeOnMessageBox(std::function<void(const RecordedMessageBox &)> hook);
// Called as a box answers, after its modal loop's last delivery: user
// actions taken here are waiting as the box closes (a click that follows
// the one on its button, say).
void FakeOnMessageBoxAnswer(std::function<void()> hook);

// Display modes the fake display offers for ChangeDisplaySettingsA.
void FakeSetDisplayModes(const std::vector<FakeDisplayMode> &modes);
// The current display mode (the desktop's until a successful change).
FakeDisplayMode FakeCurrentDisplayMode();
// ShowCursor's counter: 0 when shown, negative while hidden.
int FakeCursorCount();
// Called once the backend has undone what it must before the process ends
// without its close (the display mode put back), as it ends.
void FakeOnEndingAbruptly(std::function<void()> hook);

// User actions on the scene window. Each waits, as a window system's event
// does, until the next PeekMessageA (or a box's modal loop) takes it in;
// there the core turns it into messages, sent or posted as the program's
// backend does. Actions while no window exists are lost.
enum FakeKeyAction { kFakeKeyDown, kFakeKeyRepeat, kFakeKeyUp };
void FakeKey(int virtual_key, FakeKeyAction action, bool alt = false, bool ctrl = false);
enum FakeMouseButton { kFakeLeft, kFakeRight, kFakeMiddle };
// Press and release at client coordinates.
void FakeClick(int x, int y, FakeMouseButton button = kFakeLeft);
void FakeResize(int client_width, int client_height);
void FakeMinimize();
// Back from the taskbar: restored, then active.
void FakeRestore();
// Another window takes the focus, or the user comes back to this one.
void FakeFocus(bool focused);
void FakeCloseButton();
// SIGTERM, SIGINT or SIGHUP arriving: the core's handler path without the
// signal.
void FakeTerminationSignal();

// Called after each SwapBuffers with the running count; tests drive the
// loop from here (take user actions, and so on).
void FakeOnSwap(std::function<void(int swap_count)> hook);
int FakeSwapCount();

// The live window as the window system sees it (exists is false when none).
struct FakeWindowState {
    bool exists;
    bool visible;
    bool minimized;
    bool active;
    DWORD style;
    DWORD ex_style;
    std::string title;
    int x, y;                    // outer top-left
    int outer_width, outer_height;
    int client_width, client_height;
    bool has_context_current;    // a GL context of this window is current
    bool shown_while_context_current;  // ShowWindow came after wglMakeCurrent
};
FakeWindowState FakeWindowInfo();
bool FakeClassRegistered();
int FakeLiveContexts();          // GL contexts created and not yet deleted
// The pixel-format request last given to ChoosePixelFormat.
BYTE FakeRequestedColorBits();
BYTE FakeRequestedDepthBits();
// What the screen-saver inhibitor holds: true while it keeps the saver off.
bool FakeScreenSaverHeldOff();
