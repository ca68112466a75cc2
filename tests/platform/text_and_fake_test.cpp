// Code page 949 conversion, and what only the recording backend does (its
// desktop's frame, display modes, GL contexts, injected failures).
#include <GL/osmesa.h>
#include <gtest/gtest.h>
#include <iconv.h>

#include "platform/fake/fake_platform.h"
#include "tests/support/fake_window.h"
#include "platform/gdi32.h"
#include "platform/platform_internal.h"
#include "platform/user32.h"
#include "platform/wgl.h"

namespace {

// Through iconv, the program's own decoder and with iconv failing to open:
// "대한민국" read right, ASCII kept, a broken sequence one U+FFFD.
TEST(Cp949Text, EveryDecoderReadsHangulKeepsAsciiAndReplacesBrokenBytes)
{
    const std::string r = "\xEF\xBF\xBD";
    const struct {
        const char *name;
        std::string (*decode)(const char *);
        bool iconv_fails;
    } decoders[] = {{"iconv", Cp949ToUtf8, false},
                    {"own decoder", Cp949HangulToUtf8, false},
                    {"iconv missing", Cp949ToUtf8, true}};
    for (const auto &d : decoders) {
        FakeReset();
        if (d.iconv_fails)
            FakeFailCall("iconv_open");
        EXPECT_EQ("\xEB\x8C\x80\xED\x95\x9C\xEB\xAF\xBC\xEA\xB5\xAD",
                  d.decode("\xB4\xEB\xC7\xD1\xB9\xCE\xB1\xB9")) << d.name;
        EXPECT_EQ("Team Tarsel\n", d.decode("Team Tarsel\n")) << d.name;
        EXPECT_EQ("", d.decode("")) << d.name;
        EXPECT_EQ(r, d.decode("\xB4")) << d.name << ": a lead byte with nothing after it";
        EXPECT_EQ("a" + r + "b", d.decode("a\xFF" "b")) << d.name;
    }
    FakeReset();
    EXPECT_EQ(Cp949HangulToUtf8(nullptr), "");
    EXPECT_EQ(Cp949HangulToUtf8("\xCA\xA1!"), r + "!") << "a Hanja is one character to our decoder";
}

// The own decoder agrees with iconv on every Hangul syllable and shows
// anything else as U+FFFD: every two-byte code is tried.
TEST(Cp949Text, WithoutIconvEverySyllableReadsAsIconvReadsIt)
{
    iconv_t cd = iconv_open("UTF-8", "CP949");
    if (cd == (iconv_t)-1)
        GTEST_SKIP() << "iconv has no code page 949 here to compare with";
    const std::string replacement = "\xEF\xBF\xBD";
    int syllables = 0;
    for (int lead = 0x81; lead <= 0xFE; ++lead) {
        for (int trail = 0x41; trail <= 0xFE; ++trail) {
            char code[3] = {(char)lead, (char)trail, 0};
            char utf8[16];
            char *in = code, *out = utf8;
            size_t in_left = 2, out_left = sizeof utf8;
            iconv(cd, nullptr, nullptr, nullptr, nullptr);
            size_t r = iconv(cd, &in, &in_left, &out, &out_left);
            std::string by_iconv(utf8, sizeof utf8 - out_left);
            std::string ours = Cp949HangulToUtf8(code);
            bool syllable = r != (size_t)-1 && by_iconv.size() == 3 &&
                            by_iconv >= "\xEA\xB0\x80" && by_iconv <= "\xED\x9E\xA3";
            if (syllable) {
                ++syllables;
                ASSERT_EQ(ours, by_iconv) << std::hex << "code " << lead << " " << trail;
            } else {
                // A trail below 0x81 is no part of a code; it is read again
                // on its own (a letter, or one more replacement for 0x80).
                const char alone[2] = {(char)trail, 0};
                std::string expected =
                    trail < 0x81 ? replacement + Cp949HangulToUtf8(alone) : replacement;
                ASSERT_EQ(ours, expected) << std::hex << "code " << lead << " " << trail
                                          << " is no syllable";
            }
        }
    }
    iconv_close(cd);
    EXPECT_EQ(syllables, 11172);
}

class FakeBackend : public ::testing::Test {
protected:
    void SetUp() override { FakeReset(); }
    void TearDown() override { FakeReset(); }
};

TEST_F(FakeBackend, FramedWindowRectangleRoundTripsToTheClientSize)
{
    RECT r = {0, 0, 640, 480};
    ASSERT_TRUE(AdjustWindowRectEx(&r, WS_OVERLAPPEDWINDOW, FALSE, 0));
    EXPECT_GT(r.right - r.left, 640) << "a framed window is bigger than its client";
    ASSERT_NE(nullptr, OpenFakeWindow(WS_OVERLAPPEDWINDOW, r.right - r.left, r.bottom - r.top));
    EXPECT_EQ(640, FakeWindowInfo().client_width);
    EXPECT_EQ(480, FakeWindowInfo().client_height);
    RECT p = {0, 0, 640, 480};
    AdjustWindowRectEx(&p, WS_POPUP, FALSE, 0);
    EXPECT_EQ(640, p.right - p.left) << "a popup has no frame";
}

TEST_F(FakeBackend, InjectedFailureHitsTheNthCallOnly)
{
    FakeFailCall("GetModuleHandleA", 2);
    EXPECT_NE(nullptr, GetModuleHandleA(nullptr));
    EXPECT_EQ(nullptr, GetModuleHandleA(nullptr));
    EXPECT_NE(nullptr, GetModuleHandleA(nullptr));
    EXPECT_EQ(3, FakeCallCount("GetModuleHandleA"));
}

TEST_F(FakeBackend, DisplayModeChangesOnlyToOfferedSizesAndRestores)
{
    FakeSetDisplayModes({{1280, 1024, 24}});
    DEVMODEA mode = {};
    mode.dmSize = sizeof mode;
    mode.dmPelsWidth = 640;
    mode.dmPelsHeight = 480;
    mode.dmBitsPerPel = 16;
    EXPECT_NE(DISP_CHANGE_SUCCESSFUL, ChangeDisplaySettingsA(&mode, CDS_FULLSCREEN));
    FakeSetDisplayModes({{640, 480, 16}});
    EXPECT_EQ(DISP_CHANGE_SUCCESSFUL, ChangeDisplaySettingsA(&mode, CDS_FULLSCREEN));
    EXPECT_EQ(640, FakeCurrentDisplayMode().width);
    EXPECT_EQ(DISP_CHANGE_SUCCESSFUL, ChangeDisplaySettingsA(nullptr, 0));
    EXPECT_EQ(1280, FakeCurrentDisplayMode().width);
}

// The window's drawable follows its size, as a window system's does.
TEST_F(FakeBackend, PixelFormatIsSetOnceAndContextsNeedItAndFollowTheWindow)
{
    HDC dc = GetDC(OpenFakeWindow());
    ASSERT_NE(nullptr, dc);
    EXPECT_EQ(nullptr, wglCreateContext(dc)) << "no context before a pixel format";
    PIXELFORMATDESCRIPTOR pfd = {};
    pfd.dwFlags = PFD_DRAW_TO_WINDOW | PFD_SUPPORT_OPENGL | PFD_DOUBLEBUFFER;
    pfd.cDepthBits = 16;
    int format = ChoosePixelFormat(dc, &pfd);
    ASSERT_NE(0, format);
    EXPECT_TRUE(SetPixelFormat(dc, format, &pfd));
    EXPECT_FALSE(SetPixelFormat(dc, format, &pfd)) << "a window's format is set once";
    HGLRC rc = wglCreateContext(dc);
    ASSERT_NE(nullptr, rc);
    EXPECT_TRUE(wglMakeCurrent(dc, rc));
    FakeResize(100, 30);
    MSG msg;
    PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE);
    GLint width = 0, height = 0, layout = 0;
    void *pixels = nullptr;
    ASSERT_TRUE(OSMesaGetColorBuffer(OSMesaGetCurrentContext(), &width, &height, &layout, &pixels));
    EXPECT_EQ(100, width);
    EXPECT_EQ(30, height);
    EXPECT_TRUE(wglMakeCurrent(nullptr, nullptr));
    EXPECT_TRUE(wglDeleteContext(rc));
    EXPECT_EQ(0, FakeLiveContexts());
}

}  // namespace
