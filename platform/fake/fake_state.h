// Shared state of the recording backend's files. Tests see it only through
// fake_platform.h.
#pragma once

#include <GL/osmesa.h>

#include <deque>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "platform/core/core_state.h"
#include "platform/fake/fake_platform.h"

// The native side of the scene window on the fake desktop.
struct BackendWindow {
    bool shown_while_context_current;
};

struct PlatformGLContext {
    OSMesaContext mesa;
    PlatformWindow *window;
    std::vector<unsigned char> buffer;
};

// Something the user or the desktop did, waiting for the core's next pump,
// as a window system's events wait in its connection.
struct FakeEvent {
    enum Kind { kKey, kButton, kSize, kFocus, kMinimize, kClose } kind;
    int a, b, c;  // key: code, down, repeat; button: which, x, y; size: w, h
    unsigned modifiers;
    bool on;      // button down, focus gained, minimized
};

struct FakeState {
    std::vector<std::string> log;
    std::map<std::string, int> pending_failures;  // calls left before the failing one
    std::deque<FakeEvent> events;

    std::vector<RecordedMessageBox> boxes;
    std::deque<int> box_answers;
    std::function<void(const RecordedMessageBox &)> on_box;
    std::function<void()> on_box_answer;
    bool box_hook_ran = false;
    int box_return_answer = 0;

    std::function<void(int)> on_swap;
    std::function<void()> on_ending_abruptly;
    int swaps = 0;

    std::vector<FakeDisplayMode> modes;
    FakeDisplayMode desktop{1280, 1024, 24};
    FakeDisplayMode current{1280, 1024, 24};
    int cursor_count = 0;

    PlatformGLContext *current_context = nullptr;
    std::vector<PlatformGLContext *> contexts;  // created and not yet deleted
    bool saver_held_off = false;
};

FakeState &Fake();
// Gives a context's offscreen buffer a new size (its window's client size)
// and, when it is current, makes it current again on the new buffer.
void FakeSizeContext(PlatformGLContext *context, int width, int height);
