// Shared state of the recording backend's files. Tests see it only through
// fake_platform.h.
#pragma once

#include <GL/osmesa.h>

#include <deque>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "platform/fake/fake_platform.h"
#include "platform/platform_internal.h"
#include "platform/user32.h"

struct PlatformWindow {
    WNDPROC procedure;
    DWORD style;
    DWORD ex_style;
    std::string title;
    int x, y, outer_width, outer_height;
    int client_width, client_height;
    bool visible;
    bool shown_while_context_current;
    PlatformDC dc;
    int pixel_format;  // 0 until SetPixelFormat
};

struct PlatformGLContext {
    OSMesaContext mesa;
    PlatformWindow *window;
    std::vector<unsigned char> buffer;
};

struct FakeState {
    std::vector<std::string> log;
    std::map<std::string, int> pending_failures;  // calls left before the failing one
    std::vector<RecordedMessageBox> boxes;
    std::deque<int> box_answers;
    std::function<void(const RecordedMessageBox &)> on_box;
    std::function<void(int)> on_swap;
    int swaps = 0;

    bool class_registered = false;
    WNDPROC class_procedure = nullptr;
    PlatformWindow *window = nullptr;
    PlatformWindow *focus = nullptr;
    std::deque<MSG> queue;

    std::vector<FakeDisplayMode> modes;
    FakeDisplayMode desktop{1280, 1024, 24};
    FakeDisplayMode current{1280, 1024, 24};
    int cursor_count = 0;

    PlatformGLContext *current_context = nullptr;
    std::vector<PlatformGLContext *> contexts;  // created and not yet deleted
    BYTE requested_color_bits = 0;
    BYTE requested_depth_bits = 0;
    bool saver_held_off = false;
    bool saver_let_through = false;
};

FakeState &Fake();
// Window frame sizes of the fake desktop: a titled window has a border of 8
// and a caption of 23 pixels; a popup has none.
void FakeFrameInsets(DWORD style, int *left, int *top, int *right, int *bottom);
// Delivers a message to the scene window's procedure straight away.
LRESULT FakeDeliver(PlatformWindow *window, UINT message, WPARAM wparam, LPARAM lparam);
