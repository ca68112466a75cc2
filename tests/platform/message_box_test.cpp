// What a box shows and answers for each style (every backend's box), and the
// core's modal loop on the recording backend.
#include <gtest/gtest.h>

#include <vector>

#include "platform/core/core_message_box.h"
#include "platform/fake/fake_platform.h"
#include "tests/support/fake_window.h"
#include "platform/user32.h"

namespace {

struct Style {
    UINT type;
    BoxIcon icon;
    std::vector<int> answers;  // the buttons, in order
    int on_return;
    int on_escape;
};

TEST(BoxLayout, EachStyleHasItsIconButtonsAndAnswers)
{
    const Style styles[] = {
        {MB_OK, kBoxNoIcon, {IDOK}, IDOK, IDOK},
        {MB_OK | MB_ICONEXCLAMATION, kBoxExclamation, {IDOK}, IDOK, IDOK},
        {MB_OK | MB_ICONSTOP, kBoxStop, {IDOK}, IDOK, IDOK},
        {MB_OK | MB_ICONINFORMATION, kBoxInformation, {IDOK}, IDOK, IDOK},
        {MB_YESNO | MB_ICONEXCLAMATION, kBoxExclamation, {IDYES, IDNO}, IDYES, IDNO},
        {MB_OKCANCEL, kBoxNoIcon, {IDOK, IDCANCEL}, IDOK, IDCANCEL},
        {0x2 /* abort, retry, ignore: not offered */, kBoxNoIcon, {IDOK}, IDOK, IDOK},
    };
    for (const Style &style : styles) {
        BoxLayout box = DescribeMessageBox("t", "c", style.type, kBoxTextSystem);
        SCOPED_TRACE(::testing::Message() << "type 0x" << std::hex << style.type);
        EXPECT_EQ(style.icon, box.icon);
        ASSERT_EQ((int)style.answers.size(), box.button_count);
        for (int i = 0; i < box.button_count; ++i)
            EXPECT_EQ(style.answers[i], box.buttons[i].answer);
        EXPECT_EQ(style.on_return, box.return_answer);
        EXPECT_EQ(style.on_escape, box.escape_answer);
    }
    BoxLayout yes_no = DescribeMessageBox("t", "c", MB_YESNO, kBoxTextSystem);
    EXPECT_STREQ("Yes", yes_no.buttons[0].label);
    EXPECT_STREQ("No", yes_no.buttons[1].label);
}

TEST(BoxLayout, TextsAreShownAsUtf8AndBecomeOneLineOnStandardError)
{
    // Togo's text as the program stores it, in code page 949.
    BoxLayout box = DescribeMessageBox("\xC5\xE4\xB0\xED\nFIFA \xB7\xA9\xC5\xB7 : 61\xC0\xA7",
                                       "Selection", MB_OK, kBoxTextCp949);
    EXPECT_EQ("\xED\x86\xA0\xEA\xB3\xA0\nFIFA \xEB\x9E\xAD\xED\x82\xB9 : 61\xEC\x9C\x84", box.text);
    EXPECT_EQ("Selection: " + box.text + "\n", BoxAsLine(box));
    BoxLayout error = DescribeMessageBox("Failed to open DIB file KOREA.bmp.\n", "Error", MB_OK,
                                         kBoxTextSystem);
    EXPECT_EQ("Error: Failed to open DIB file KOREA.bmp.\n", BoxAsLine(error))
        << "a text's own line feed ends the line";
    EXPECT_EQ(": \n", BoxAsLine(DescribeMessageBox(nullptr, nullptr, MB_OK, kBoxTextSystem)));
}

// MessageBoxA's texts (file names) keep their UTF-8 and show any other byte
// as \xNN; only MessageBoxCp949's are read as code page 949.
TEST(BoxLayout, SystemTextsKeepUtf8AndEscapeOtherBytes)
{
    const struct {
        const char *given;
        const char *shown;
    } cases[] = {
        {"Failed to open DIB file /home/jos\xC3\xA9/KOREA.bmp.\n",
         "Failed to open DIB file /home/jos\xC3\xA9/KOREA.bmp.\n"},
        {"/tmp/caf\xE9.bmp", "/tmp/caf\\xE9.bmp"},              // Latin-1 é
        {"/tmp/\xB4\xEB.bmp", "/tmp/\\xB4\\xEB.bmp"},          // code page 949 bytes
        {"a\xC3", "a\\xC3"},                                   // cut off at the end
        {"\xE0\x80\x80 \xED\xA0\x80 \xF4\x90\x80\x80",         // overlong, surrogate, too high
         "\\xE0\\x80\\x80 \\xED\\xA0\\x80 \\xF4\\x90\\x80\\x80"},
        {"\xC0\xAF \xC1\xBF", "\\xC0\\xAF \\xC1\\xBF"},  // overlong two-byte forms
        {"\xF0\x9F\x98\x80 C:\\x41", "\xF0\x9F\x98\x80 C:\\x41"},  // four bytes; backslash kept
    };
    for (const auto &c : cases)
        EXPECT_EQ(c.shown, DescribeMessageBox(c.given, "Error", MB_OK, kBoxTextSystem).text)
            << "given " << ::testing::PrintToString(std::string(c.given));
    EXPECT_EQ("\xEB\x8C\x80", DescribeMessageBox("\xB4\xEB", "Selection", MB_OK, kBoxTextCp949).text);
}

struct Seen {
    UINT message;
    WPARAM wparam;
    LPARAM lparam;
};

std::vector<Seen> seen;

// Like the program's: the close posts the quit message.
LRESULT Procedure(HWND window, UINT message, WPARAM wparam, LPARAM lparam)
{
    seen.push_back(Seen{message, wparam, lparam});
    if (message == WM_CLOSE) {
        PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcA(window, message, wparam, lparam);
}

class ModalBox : public ::testing::Test {
protected:
    void SetUp() override
    {
        FakeReset();
        window_ = OpenFakeWindow(WS_POPUP, 640, 480, Procedure);
        ShowWindow(window_, SW_SHOW);
        seen.clear();
    }
    void TearDown() override { FakeReset(); }

    static bool Saw(UINT message, WPARAM wparam)
    {
        for (const Seen &s : seen)
            if (s.message == message && s.wparam == wparam)
                return true;
        return false;
    }

    HWND window_ = nullptr;
};

TEST_F(ModalBox, OwnersMessagesKeepArrivingButClicksAreDropped)
{
    FakeOnMessageBox([](const RecordedMessageBox &) {
        FakeFocus(false);  // the box takes the focus
        FakeResize(800, 600);
        FakeKey(VK_F2, kFakeKeyDown);
        FakeClick(10, 10);
        FakeClick(20, 20, kFakeRight);
    });
    // A click that follows the one on the box's button, landing on the
    // owner as the box goes, was meant for the box too.
    FakeOnMessageBoxAnswer([] { FakeClick(30, 30); });
    EXPECT_EQ(IDOK, MessageBoxA(window_, "text", "Selection", MB_OK));
    EXPECT_TRUE(Saw(WM_SIZE, SIZE_RESTORED));
    EXPECT_TRUE(Saw(WM_KEYDOWN, VK_F2));
    EXPECT_TRUE(Saw(WM_ACTIVATE, MAKEWPARAM(WA_INACTIVE, 0)));
    for (const Seen &s : seen)
        EXPECT_FALSE(s.message >= WM_LBUTTONDOWN && s.message <= WM_MBUTTONUP)
            << "button message 0x" << std::hex << s.message << " reached the owner";
    MSG msg;
    EXPECT_FALSE(PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) << "nothing left for the loop";
    EXPECT_EQ(window_, GetFocus()) << "the focus goes back to the box's owner";
    ASSERT_EQ(1u, FakeMessageBoxes().size());
    EXPECT_EQ(window_, FakeMessageBoxes()[0].owner);
    EXPECT_EQ(IDOK, FakeMessageBoxes()[0].answer);
}

TEST_F(ModalBox, AnswersComeAsQueuedThenTheFirstButton)
{
    FakeQueueMessageBoxAnswers({IDNO});
    EXPECT_EQ(IDNO, MessageBoxA(nullptr, "a", "b", MB_YESNO));
    EXPECT_EQ(IDYES, MessageBoxA(nullptr, "a", "b", MB_YESNO));
    EXPECT_EQ(IDOK, MessageBoxA(nullptr, "c", "d", MB_OK | MB_ICONSTOP));
    ASSERT_EQ(3u, FakeMessageBoxes().size());
    EXPECT_EQ(IDNO, FakeMessageBoxes()[0].answer);
    EXPECT_EQ("c", FakeMessageBoxes()[2].text);
    EXPECT_EQ(MB_OK | MB_ICONSTOP, FakeMessageBoxes()[2].type);
    EXPECT_EQ(nullptr, FakeMessageBoxes()[2].owner);
}

// The close or a termination signal during a box closes it as if Escaped;
// the quit message waits for the main loop.
class ModalBoxEnding : public ModalBox,
                       public ::testing::WithParamInterface<void (*)()> {};

TEST_P(ModalBoxEnding, ClosesTheBoxAndLeavesTheQuitForTheLoop)
{
    void (*end)() = GetParam();
    FakeOnMessageBox([end](const RecordedMessageBox &) { end(); });
    EXPECT_EQ(IDNO, MessageBoxA(window_, "Use Windowed Mode Instead?", "q", MB_YESNO));
    EXPECT_TRUE(Saw(WM_CLOSE, 0));
    ASSERT_EQ(1u, FakeMessageBoxes().size());
    EXPECT_EQ(IDNO, FakeMessageBoxes()[0].answer);

    // The program is ending: a further box is not shown but still said.
    ::testing::internal::CaptureStderr();
    EXPECT_EQ(IDOK, MessageBoxA(window_, "Program Will Now Close.", "ERROR", MB_OK));
    EXPECT_EQ("ERROR: Program Will Now Close.\n", ::testing::internal::GetCapturedStderr());
    EXPECT_EQ(1u, FakeMessageBoxes().size());

    MSG msg;
    ASSERT_TRUE(PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE));
    EXPECT_EQ((UINT)WM_QUIT, msg.message);
}

INSTANTIATE_TEST_SUITE_P(CloseButtonOrSignal, ModalBoxEnding,
                         ::testing::Values(&FakeCloseButton, &FakeTerminationSignal));

TEST_F(ModalBox, BoxThatCannotBeShownGoesToStandardErrorAndAnswersItsFirstButton)
{
    ::testing::internal::CaptureStderr();
    FakeFailCall("MessageBoxA");
    EXPECT_EQ(IDOK, MessageBoxA(nullptr, "Window Creation Error.", "ERROR",
                                MB_OK | MB_ICONEXCLAMATION));
    FakeFailCall("MessageBoxA");
    EXPECT_EQ(IDYES, MessageBoxA(nullptr, "Windowed?", "2nd Term OpenGL Tarsel", MB_YESNO));
    EXPECT_EQ("ERROR: Window Creation Error.\n2nd Term OpenGL Tarsel: Windowed?\n",
              ::testing::internal::GetCapturedStderr());
    EXPECT_TRUE(FakeMessageBoxes().empty());
}

}  // namespace
