// The recording backend's bookkeeping: the call log, injected failures, the
// reset to a fresh process, and what tests read back about the window.
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
    CoreReset();
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

void FakeOnSwap(std::function<void(int)> hook) { Fake().on_swap = std::move(hook); }
int FakeSwapCount() { return Fake().swaps; }
bool FakeClassRegistered() { return Core().class_registered; }
int FakeLiveContexts() { return (int)Fake().contexts.size(); }
BYTE FakeRequestedColorBits() { return Core().chosen_format.cColorBits; }
BYTE FakeRequestedDepthBits() { return Core().chosen_format.cDepthBits; }
bool FakeScreenSaverHeldOff() { return Fake().saver_held_off; }

FakeWindowState FakeWindowInfo()
{
    FakeState &s = Fake();
    FakeWindowState info{};
    PlatformWindow *w = Core().window;
    if (w == nullptr)
        return info;
    info.exists = true;
    info.visible = w->visible;
    info.minimized = w->minimized;
    info.active = w->active;
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
    info.shown_while_context_current = w->native->shown_while_context_current;
    return info;
}
