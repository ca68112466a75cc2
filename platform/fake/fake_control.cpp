// The recording backend's bookkeeping: the call log, injected failures,
// message boxes and the knobs tests turn.
#include <cstring>

#include "platform/fake/fake_state.h"
#include "platform/platform_hooks.h"

FakeState &Fake()
{
    static FakeState state;
    return state;
}

bool PlatformCallFails(const char *operation)
{
    FakeState &s = Fake();
    s.log.push_back(operation);
    auto it = s.pending_failures.find(operation);
    if (it == s.pending_failures.end())
        return false;
    if (--it->second > 0)
        return false;
    s.pending_failures.erase(it);
    return true;
}

void FakeReset()
{
    FakeState &s = Fake();
    if (s.current_context != nullptr)
        OSMesaMakeCurrent(nullptr, nullptr, 0, 0, 0);
    delete s.window;
    // Contexts a test left alive (a deletion it made fail, say) go with the
    // process it stands for.
    for (PlatformGLContext *context : s.contexts) {
        OSMesaDestroyContext(context->mesa);
        delete context;
    }
    s = FakeState();
    s.modes = {{640, 480, 16}, {1280, 1024, 24}};
}

void FakeFailCall(const char *operation, int nth)
{
    Fake().pending_failures[operation] = nth < 1 ? 1 : nth;
}

const std::vector<std::string> &FakeCallLog() { return Fake().log; }

int FakeCallCount(const char *operation)
{
    int n = 0;
    for (const std::string &call : Fake().log)
        n += call == operation;
    return n;
}

int FakeCallIndex(const char *operation, int from)
{
    const std::vector<std::string> &log = Fake().log;
    for (size_t i = from < 0 ? 0 : (size_t)from; i < log.size(); ++i)
        if (log[i] == operation)
            return (int)i;
    return -1;
}

const std::vector<RecordedMessageBox> &FakeMessageBoxes() { return Fake().boxes; }

void FakeQueueMessageBoxAnswers(const std::vector<int> &answers)
{
    Fake().box_answers.assign(answers.begin(), answers.end());
}

void FakeOnMessageBox(std::function<void(const RecordedMessageBox &)> hook)
{
    Fake().on_box = std::move(hook);
}

int MessageBoxA(HWND owner, const char *text, const char *caption, UINT type)
{
    FakeState &s = Fake();
    PlatformCallFails("MessageBoxA");
    int answer = (type & MB_TYPEMASK) == MB_YESNO ? IDYES : IDOK;
    if (!s.box_answers.empty()) {
        answer = s.box_answers.front();
        s.box_answers.pop_front();
    }
    s.boxes.push_back(RecordedMessageBox{owner, text ? text : "", caption ? caption : "",
                                         type, answer});
    if (s.on_box)
        s.on_box(s.boxes.back());
    return answer;
}

void FakeSetDisplayModes(const std::vector<FakeDisplayMode> &modes) { Fake().modes = modes; }
FakeDisplayMode FakeCurrentDisplayMode() { return Fake().current; }
int FakeCursorCount() { return Fake().cursor_count; }
void FakeOnSwap(std::function<void(int)> hook) { Fake().on_swap = std::move(hook); }
int FakeSwapCount() { return Fake().swaps; }
bool FakeClassRegistered() { return Fake().class_registered; }
int FakeLiveContexts() { return (int)Fake().contexts.size(); }
BYTE FakeRequestedColorBits() { return Fake().requested_color_bits; }
BYTE FakeRequestedDepthBits() { return Fake().requested_depth_bits; }
bool FakeScreenSaverHeldOff() { return Fake().saver_held_off; }

FakeWindowState FakeWindowInfo()
{
    FakeState &s = Fake();
    FakeWindowState info{};
    if (s.window == nullptr)
        return info;
    PlatformWindow *w = s.window;
    info.exists = true;
    info.visible = w->visible;
    info.style = w->style;
    info.ex_style = w->ex_style;
    info.title = w->title;
    info.x = w->x;
    info.y = w->y;
    info.outer_width = w->outer_width;
    info.outer_height = w->outer_height;
    info.client_width = w->client_width;
    info.client_height = w->client_height;
    info.has_context_current = s.current_context != nullptr && s.current_context->window == w;
    info.shown_while_context_current = w->shown_while_context_current;
    return info;
}
