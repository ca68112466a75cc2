// The SDL backend's key table, and SDL key events as they reach a window
// procedure through the core (over the recording backend: no display).
#include <gtest/gtest.h>

#include "platform/fake/fake_platform.h"
#include "tests/support/fake_window.h"
#include "platform/sdl/sdl_keys.h"
#include "platform/user32.h"

namespace {

TEST(SdlKeys, KeysTheProgramActsOnHaveTheirVirtualKeys)
{
    const struct { SDL_Keycode sdl; int vk; } keys[] = {
        {SDLK_ESCAPE, VK_ESCAPE}, {SDLK_F1, VK_F1}, {SDLK_F2, VK_F2}, {SDLK_F3, VK_F3},
        {SDLK_F4, VK_F4}, {SDLK_F5, VK_F5}, {SDLK_F10, VK_F10}, {SDLK_F12, VK_F12},
        {SDLK_a, 'A'}, {SDLK_z, 'Z'}, {SDLK_0, '0'}, {SDLK_KP_ENTER, VK_RETURN},
        {SDLK_KP_9, VK_NUMPAD0 + 9}, {SDLK_RALT, VK_MENU}, {SDLK_BACKQUOTE, VK_OEM_3},
        {SDLK_TAB, VK_TAB}, {SDLK_LSHIFT, VK_SHIFT}, {SDLK_RSHIFT, VK_SHIFT},
        {SDLK_RETURN, VK_RETURN}, {SDLK_SPACE, VK_SPACE},
        {SDLK_APPLICATION, 0},  // no virtual key: not reported
    };
    for (const auto &key : keys)
        EXPECT_EQ(key.vk, SdlKeyToVirtualKey(key.sdl)) << "SDL key 0x" << std::hex << key.sdl;
}

class SdlKeyEvents : public ::testing::Test {
protected:
    void SetUp() override
    {
        FakeReset();
        window_ = OpenFakeWindow();
    }
    void TearDown() override { FakeReset(); }

    // The message an SDL key event becomes, or 0; with `dispatch`, it and what
    // its default handling posts are dispatched.
    UINT MessageFor(SDL_Keycode key, Uint16 mod, Uint32 type = SDL_KEYDOWN, WPARAM *vk = nullptr,
                    bool dispatch = false)
    {
        SDL_KeyboardEvent event = {};
        event.type = type;
        event.keysym.sym = key;
        event.keysym.mod = mod;
        SdlReportKey(window_, event);
        MSG msg;
        if (!PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE))
            return 0;
        if (vk != nullptr)
            *vk = msg.wParam;
        UINT message = msg.message;
        if (dispatch)
            do
                DispatchMessageA(&msg);
            while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE));
        return message;
    }

    HWND window_ = nullptr;
};

TEST_F(SdlKeyEvents, PlainKeysAreKeyMessagesWithTheirCode)
{
    WPARAM vk = 0;
    EXPECT_EQ((UINT)WM_KEYDOWN, MessageFor(SDLK_F2, KMOD_NONE, SDL_KEYDOWN, &vk));
    EXPECT_EQ((WPARAM)VK_F2, vk);
    EXPECT_EQ((UINT)WM_KEYUP, MessageFor(SDLK_ESCAPE, KMOD_NONE, SDL_KEYUP, &vk));
    EXPECT_EQ((WPARAM)VK_ESCAPE, vk);
    EXPECT_EQ((UINT)WM_KEYDOWN, MessageFor(SDLK_F1, KMOD_LSHIFT | KMOD_NUM));
    EXPECT_EQ(0u, MessageFor(SDLK_APPLICATION, KMOD_NONE));
}

TEST_F(SdlKeyEvents, AltChordsAndF10AreSystemKeys)
{
    EXPECT_EQ((UINT)WM_SYSKEYDOWN, MessageFor(SDLK_F10, KMOD_NONE));
    EXPECT_EQ((UINT)WM_SYSKEYUP, MessageFor(SDLK_F10, KMOD_NONE, SDL_KEYUP));
    EXPECT_EQ((UINT)WM_SYSKEYDOWN, MessageFor(SDLK_F2, KMOD_LALT));
    EXPECT_EQ((UINT)WM_SYSKEYDOWN, MessageFor(SDLK_F3, KMOD_RALT));
    EXPECT_EQ((UINT)WM_SYSKEYDOWN, MessageFor(SDLK_LALT, KMOD_NONE)) << "Alt on its own";
    EXPECT_EQ((UINT)WM_KEYDOWN, MessageFor(SDLK_q, KMOD_LCTRL | KMOD_RALT))
        << "AltGr (Ctrl+Alt) types, it is no system chord";
    // Alt+F4 asks the window to close, and the default handling closes it.
    EXPECT_EQ((UINT)WM_SYSKEYDOWN, MessageFor(SDLK_F4, KMOD_LALT, SDL_KEYDOWN, nullptr, true));
    EXPECT_FALSE(FakeWindowInfo().exists);
}

}  // namespace
