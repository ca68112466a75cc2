// The recording backend's display (the program's twin is sdl_display.cpp):
// a desktop mode and a list of offered modes, and the cursor's show count.
#include "platform/core/core_backend.h"
#include "platform/fake/fake_state.h"
#include "platform/platform_hooks.h"
#include "platform/user32.h"

LONG ChangeDisplaySettingsA(DEVMODEA *mode, DWORD)
{
    FakeState &s = Fake();
    if (PlatformCallFails("ChangeDisplaySettingsA"))
        return DISP_CHANGE_FAILED;
    if (mode == nullptr) {
        s.current = s.desktop;
        return DISP_CHANGE_SUCCESSFUL;
    }
    for (const FakeDisplayMode &offered : s.modes) {
        if ((DWORD)offered.width == mode->dmPelsWidth &&
            (DWORD)offered.height == mode->dmPelsHeight) {
            s.current = FakeDisplayMode{offered.width, offered.height, (int)mode->dmBitsPerPel};
            return DISP_CHANGE_SUCCESSFUL;
        }
    }
    return DISP_CHANGE_BADMODE;
}

int ShowCursor(BOOL show)
{
    PlatformCallFails("ShowCursor");
    return show ? ++Fake().cursor_count : --Fake().cursor_count;
}

// As the program's backend does when the process ends without its close.
void BackendEndingAbruptly(void)
{
    Fake().current = Fake().desktop;
    if (Fake().on_ending_abruptly)
        Fake().on_ending_abruptly();
}

void FakeOnEndingAbruptly(std::function<void()> hook) { Fake().on_ending_abruptly = std::move(hook); }

void FakeSetDisplayModes(const std::vector<FakeDisplayMode> &modes) { Fake().modes = modes; }
FakeDisplayMode FakeCurrentDisplayMode() { return Fake().current; }
int FakeCursorCount() { return Fake().cursor_count; }
