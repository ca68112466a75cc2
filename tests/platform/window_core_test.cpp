// The window core both backends share, driven by the recording backend's user
// actions: the messages each action sends or queues, focus, class and window
// rules, termination requests.
#include <gtest/gtest.h>
#include <unistd.h>

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "platform/core/core_state.h"
#include "platform/fake/fake_platform.h"
#include "tests/support/fake_window.h"
#include "platform/user32.h"

namespace {

struct Seen {
    UINT message;
    WPARAM wparam;
    LPARAM lparam;
    bool during_peek;  // delivered inside PeekMessageA, not by a dispatch
};

std::vector<Seen> seen;
bool peeking = false;

// Records all but the screen-saver questions, and handles nothing.
LRESULT RecordingProcedure(HWND window, UINT message, WPARAM wparam, LPARAM lparam)
{
    if (message != WM_SYSCOMMAND || (wparam != SC_SCREENSAVE && wparam != SC_MONITORPOWER))
        seen.push_back(Seen{message, wparam, lparam, peeking});
    return DefWindowProcA(window, message, wparam, lparam);
}

class WindowCore : public ::testing::Test {
protected:
    void SetUp() override
    {
        FakeReset();
        seen.clear();
    }
    void TearDown() override { FakeReset(); }

    static HWND Open(bool show = true, WNDPROC procedure = RecordingProcedure)
    {
        HWND w = OpenFakeWindow(WS_OVERLAPPEDWINDOW, 656, 519, procedure);
        if (show)
            ShowWindow(w, SW_SHOW);
        seen.clear();
        return w;
    }

    // One PeekMessageA, as the loop makes it; the removed message, if any.
    static bool Peek(MSG *msg)
    {
        peeking = true;
        BOOL got = PeekMessageA(msg, nullptr, 0, 0, PM_REMOVE);
        peeking = false;
        return got != FALSE;
    }

    // The loop's passes until the queue is empty; the messages removed.
    static std::vector<MSG> RunQueue()
    {
        std::vector<MSG> removed;
        MSG msg;
        while (Peek(&msg)) {
            removed.push_back(msg);
            DispatchMessageA(&msg);
        }
        return removed;
    }

    // The messages the procedure saw, or those in `removed`.
    static std::vector<UINT> Messages() { return Ids(seen, &Seen::message); }
    static std::vector<UINT> Messages(const std::vector<MSG> &removed) { return Ids(removed, &MSG::message); }
    template <class T>
    static std::vector<UINT> Ids(const std::vector<T> &list, UINT T::*field)
    {
        std::vector<UINT> messages;
        for (const T &item : list)
            messages.push_back(item.*field);
        return messages;
    }
};

TEST_F(WindowCore, ShowSendsShowActivateAndSizeAtOnceAndTakesTheFocus)
{
    HWND w = Open(false);
    EXPECT_EQ(nullptr, GetFocus());
    ShowWindow(w, SW_SHOW);
    EXPECT_EQ((std::vector<UINT>{WM_SHOWWINDOW, WM_ACTIVATE, WM_SIZE}), Messages());
    EXPECT_EQ(MAKEWPARAM(WA_ACTIVE, 0), seen[1].wparam);
    EXPECT_EQ(MAKELPARAM(640, 480), seen.back().lparam) << "the first show reports the client size";
    EXPECT_EQ(w, GetFocus());
    EXPECT_FALSE(FakeScreenSaverHeldOff()) << "the default handling lets the screen saver through";
    seen.clear();
    ShowWindow(w, SW_SHOW);
    EXPECT_TRUE(seen.empty()) << "showing a shown window sends nothing";
}

TEST_F(WindowCore, UserInputWaitsInTheQueueWhileWindowChangesAreSentInsidePeek)
{
    Open();
    FakeKey('A', kFakeKeyDown);
    FakeResize(800, 600);
    FakeKey('A', kFakeKeyRepeat);
    FakeKey('A', kFakeKeyUp);
    FakeClick(-3, 7, kFakeRight);
    std::vector<MSG> removed = RunQueue();

    ASSERT_FALSE(seen.empty());
    EXPECT_EQ((UINT)WM_SIZE, seen[0].message) << "the size is sent before the first message is removed";
    EXPECT_TRUE(seen[0].during_peek);
    EXPECT_EQ(MAKELPARAM(800, 600), seen[0].lparam);
    ASSERT_EQ((std::vector<UINT>{WM_KEYDOWN, WM_KEYDOWN, WM_KEYUP, WM_RBUTTONDOWN, WM_RBUTTONUP}),
              Messages(removed));
    EXPECT_EQ(0, removed[0].lParam & ((LPARAM)3 << 30)) << "a first press: not repeated, going down";
    EXPECT_EQ((LPARAM)1 << 30, removed[1].lParam & ((LPARAM)3 << 30)) << "a repeat was down before";
    EXPECT_EQ((LPARAM)3 << 30, removed[2].lParam & ((LPARAM)3 << 30));
    EXPECT_EQ(MAKELPARAM(0, 7), removed[3].lParam) << "a press just outside lands on the edge";
    for (size_t i = 1; i < seen.size(); ++i)
        EXPECT_FALSE(seen[i].during_peek) << "posted input reaches the procedure only by dispatch";

    seen.clear();
    FakeResize(800, 600);
    RunQueue();
    EXPECT_TRUE(seen.empty()) << "a size that did not change is not reported";
}

TEST_F(WindowCore, AltChordsAndF10AreSystemKeysAndAltF4Closes)
{
    Open();
    FakeKey(VK_F10, kFakeKeyDown);
    FakeKey(VK_MENU, kFakeKeyDown);
    FakeKey('X', kFakeKeyDown, true, true);  // Ctrl+Alt: an ordinary chord
    FakeKey(VK_F2, kFakeKeyDown, true);
    std::vector<MSG> removed = RunQueue();
    ASSERT_EQ((std::vector<UINT>{WM_SYSKEYDOWN, WM_SYSKEYDOWN, WM_KEYDOWN, WM_SYSKEYDOWN}), Messages(removed));
    EXPECT_NE(0, removed[3].lParam & ((LPARAM)1 << 29)) << "Alt is noted in the key's context bit";
    EXPECT_EQ(0, removed[0].lParam & ((LPARAM)1 << 29)) << "F10 alone is not an Alt chord";

    seen.clear();
    FakeKey(VK_F4, kFakeKeyDown, true);
    RunQueue();
    // Alt+F4 -> close command -> WM_CLOSE, whose default destroys the window.
    EXPECT_EQ((std::vector<UINT>{WM_SYSKEYDOWN, WM_SYSCOMMAND, WM_CLOSE, WM_DESTROY}), Messages());
    EXPECT_FALSE(FakeWindowInfo().exists);
}

TEST_F(WindowCore, CloseButtonIsPostedAsTheCloseCommand)
{
    Open();
    FakeCloseButton();
    MSG msg;
    ASSERT_TRUE(Peek(&msg));
    EXPECT_EQ((UINT)WM_SYSCOMMAND, msg.message);
    EXPECT_EQ((WPARAM)SC_CLOSE, msg.wParam);
    EXPECT_TRUE(seen.empty()) << "nothing is sent for the close button";
    DispatchMessageA(&msg);
    EXPECT_EQ((std::vector<UINT>{WM_SYSCOMMAND, WM_CLOSE, WM_DESTROY}), Messages());
}

TEST_F(WindowCore, LosingTheFocusDeactivatesButOnlyMinimizingSaysMinimizedAndSetFocusActsAtOnce)
{
    HWND w = Open();
    FakeFocus(false);
    RunQueue();
    ASSERT_EQ((std::vector<UINT>{WM_ACTIVATE}), Messages());
    EXPECT_EQ(MAKEWPARAM(WA_INACTIVE, 0), seen[0].wparam);
    EXPECT_EQ(nullptr, GetFocus());

    seen.clear();
    FakeFocus(true);
    FakeMinimize();
    RunQueue();
    ASSERT_EQ((std::vector<UINT>{WM_ACTIVATE, WM_ACTIVATE, WM_SIZE}), Messages());
    EXPECT_EQ(MAKEWPARAM(WA_ACTIVE, 0), seen[0].wparam);
    EXPECT_EQ(MAKEWPARAM(WA_INACTIVE, 1), seen[1].wparam);
    EXPECT_EQ((WPARAM)SIZE_MINIMIZED, seen[2].wparam);
    EXPECT_EQ(MAKELPARAM(0, 0), seen[2].lparam);
    EXPECT_TRUE(FakeWindowInfo().minimized);

    // A size change while minimized is told on the restore.
    seen.clear();
    FakeResize(320, 200);
    FakeRestore();
    RunQueue();
    ASSERT_EQ((std::vector<UINT>{WM_ACTIVATE, WM_SIZE, WM_ACTIVATE}), Messages());
    EXPECT_EQ(0, HIWORD(seen[0].wparam)) << "restored: no longer minimized";
    EXPECT_EQ(MAKELPARAM(320, 200), seen[1].lparam);
    EXPECT_EQ(MAKEWPARAM(WA_ACTIVE, 0), seen[2].wparam);
    EXPECT_EQ(w, GetFocus());

    // SetFocus acts at once, with no pump: the core answers, not the desktop.
    EXPECT_EQ(w, SetFocus(nullptr));
    EXPECT_EQ(nullptr, GetFocus());
    EXPECT_EQ(nullptr, SetFocus(w));
    EXPECT_EQ(w, GetFocus());
}

TEST_F(WindowCore, ScreenSaverIsHeldOnlyWhileAnActiveWindowSwallowsItsRequests)
{
    HWND w = Open(true, [](HWND window, UINT m, WPARAM wp, LPARAM lp) -> LRESULT {
        if (m == WM_SYSCOMMAND && (wp == SC_SCREENSAVE || wp == SC_MONITORPOWER))
            return 0;
        return DefWindowProcA(window, m, wp, lp);
    });
    EXPECT_TRUE(FakeScreenSaverHeldOff());
    MSG msg;
    FakeMinimize();
    PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE);
    EXPECT_FALSE(FakeScreenSaverHeldOff()) << "a minimized window holds nothing off";
    FakeRestore();
    PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE);
    EXPECT_TRUE(FakeScreenSaverHeldOff());
    DestroyWindow(w);
    EXPECT_FALSE(FakeScreenSaverHeldOff());
}

TEST_F(WindowCore, ClassAndWindowRules)
{
    WNDCLASSA wc = {};
    EXPECT_EQ(0, RegisterClassA(&wc)) << "a class needs a procedure and a name";
    HWND w = Open();
    EXPECT_EQ(0, RegisterClassA(&wc)) << "registered twice";
    EXPECT_EQ(nullptr, CreateWindowExA(0, "OpenGL", "u", 0, 0, 0, 10, 10, nullptr, nullptr,
                                       nullptr, nullptr))
        << "one window at a time";
    EXPECT_FALSE(UnregisterClassA("OpenGL", nullptr)) << "the class has a live window";
    MSG stray = {};
    stray.hwnd = reinterpret_cast<HWND>(uintptr_t{0x1234});
    stray.message = WM_CLOSE;
    EXPECT_EQ(0, DispatchMessageA(&stray)) << "no window, no procedure";
    EXPECT_TRUE(seen.empty());

    // Destroying drops the window's queued messages but keeps the quit.
    FakeKey('A', kFakeKeyDown);
    MSG msg;
    PeekMessageA(&msg, nullptr, 0, 0, 0);  // taken in, left queued
    PostQuitMessage(3);
    EXPECT_TRUE(DestroyWindow(w));
    EXPECT_FALSE(DestroyWindow(w)) << "a window is destroyed once";
    EXPECT_EQ(nullptr, GetFocus());
    ASSERT_TRUE(PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE));
    EXPECT_EQ((UINT)WM_QUIT, msg.message);
    EXPECT_EQ(3u, msg.wParam);
    EXPECT_FALSE(PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) << "an empty queue never waits";
    EXPECT_TRUE(UnregisterClassA("OpenGL", nullptr));
}

TEST_F(WindowCore, TerminationClosesTheWindowOnceOrQuitsWithoutOne)
{
    Open();
    FakeTerminationSignal();
    FakeTerminationSignal();
    std::vector<MSG> removed = RunQueue();
    ASSERT_EQ(1u, removed.size()) << "one request, one close";
    EXPECT_EQ((UINT)WM_SYSCOMMAND, removed[0].message);
    EXPECT_EQ((WPARAM)SC_CLOSE, removed[0].wParam);
    EXPECT_FALSE(FakeWindowInfo().exists);

    FakeReset();
    FakeTerminationSignal();
    MSG msg;
    ASSERT_TRUE(PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE));
    EXPECT_EQ((UINT)WM_QUIT, msg.message) << "with no window the quit comes at once";
    EXPECT_EQ(0u, msg.wParam);
}

// Real signals, each in a process of its own (handlers stay for its life).
TEST(TerminationSignals, OneIgnoredFromTheStartStaysIgnored)
{
    EXPECT_EXIT(
        {
            FakeReset();
            signal(SIGHUP, SIG_IGN);  // as nohup leaves it
            CoreCatchTerminationSignals();
            raise(SIGHUP);
            MSG msg;
            exit(PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE) ? 2 : 0);
        },
        ::testing::ExitedWithCode(0), "")
        << "an ignored SIGHUP was caught and ended the program";
}

// A request the program does not answer (its window system gone) ends it
// with 1 after the deadline, with the display's mode put back first.
TEST(TerminationSignals, UnansweredRequestEndsAfterTheDeadlineWithTheModeBack)
{
    EXPECT_EXIT(
        {
            FakeReset();
            DEVMODEA mode = {};
            mode.dmPelsWidth = 640;
            mode.dmPelsHeight = 480;
            mode.dmBitsPerPel = 16;
            ChangeDisplaySettingsA(&mode, CDS_FULLSCREEN);
            FakeOnEndingAbruptly([] {
                fprintf(stderr, "mode at the end: %d\n", FakeCurrentDisplayMode().width);
            });
            CoreCatchTerminationSignals();
            raise(SIGTERM);
            for (;;)
                pause();
        },
        ::testing::ExitedWithCode(1), "did not end in time.*\n.*mode at the end: 1280");
}

}  // namespace
