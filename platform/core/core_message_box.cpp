// MessageBoxA, MessageBoxCp949 and their modal loop, shared by every
// backend. While the native box is open the loop keeps delivering the scene
// window's messages to its procedure (size, activation, keys, the close
// button); mouse buttons on it are dropped, as a window that owns a modal
// box takes no clicks. The quit message ends the box and stays queued for
// the main loop, so closing the window or a termination signal ends the
// program with the box open. A box that cannot be shown becomes a line on
// standard error and answers with its first button.
#include <cstdio>

#include "platform/core/core_backend.h"
#include "platform/platform_hooks.h"

static bool IsMouseButton(UINT message)
{
    return message >= WM_LBUTTONDOWN && message <= WM_MBUTTONUP;
}

static void DropMouseButtons(void)
{
    std::deque<MSG> &queue = Core().queue;
    for (auto it = queue.begin(); it != queue.end();)
        it = IsMouseButton(it->message) ? queue.erase(it) : it + 1;
}

// Delivers what came in while the box is open; true once the quit message
// is next in the queue.
static bool DeliverWhileBoxIsOpen(void)
{
    CoreState &core = Core();
    CorePumpEvents();
    while (!core.queue.empty()) {
        MSG msg = core.queue.front();
        if (msg.message == WM_QUIT)
            return true;
        core.queue.pop_front();
        if (!IsMouseButton(msg.message))
            CoreDeliver(msg);
    }
    return false;
}

static void WriteLine(const BoxLayout &layout)
{
    fputs(BoxAsLine(layout).c_str(), stderr);
    fflush(stderr);
}

// Both entry points: `operation` names the call for fault injection.
static int ShowBox(HWND owner, const char *text, const char *caption, UINT type,
                   BoxTextEncoding encoding, const char *operation)
{
    CoreState &core = Core();
    bool cannot_show = PlatformCallFails(operation);
    BoxRequest request = {owner, owner != nullptr && owner == core.window ? owner : nullptr,
                          text, caption, type,
                          DescribeMessageBox(text, caption, type, encoding)};
    const BoxLayout &layout = request.layout;

    // The program is ending: a box would close again at once.
    if (CoreQuitPending()) {
        WriteLine(layout);
        return layout.escape_answer;
    }
    if (cannot_show || core.box_open || !BackendOpenBox(request)) {
        WriteLine(layout);
        return layout.return_answer;
    }

    core.box_open = true;
    int answer = layout.escape_answer;
    while (!BackendWaitForBox(&answer)) {
        if (DeliverWhileBoxIsOpen()) {
            answer = layout.escape_answer;
            break;
        }
    }
    BackendCloseBox(answer);
    core.box_open = false;

    // Clicks that reached the owner up to now were meant for a window that
    // took no input; the focus goes back to the window the box belonged to.
    CorePumpEvents();
    DropMouseButtons();
    if (request.owner != nullptr && request.owner == core.window) {
        core.focus = request.owner;
        BackendFocusWindow(request.owner);
    }
    return answer;
}

int MessageBoxA(HWND owner, const char *text, const char *caption, UINT type)
{
    return ShowBox(owner, text, caption, type, kBoxTextSystem, "MessageBoxA");
}

int MessageBoxCp949(HWND owner, const char *text, const char *caption, UINT type)
{
    return ShowBox(owner, text, caption, type, kBoxTextCp949, "MessageBoxCp949");
}
