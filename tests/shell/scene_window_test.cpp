// Opening and closing the scene window on the recording backend: what
// results, every failure with its box and teardown, the display mode.
#include <gtest/gtest.h>
#include <unistd.h>

#include <GL/gl.h>

#include <functional>
#include <string>
#include <vector>

#include "assets/shared_state.h"
#include "platform/fake/fake_platform.h"
#include "platform/user32.h"
#include "scene/render_setup.h"
#include "shell/scene_window.h"
#include "support/offscreen_gl.h"
#include "support/program_state.h"
#include "support/temp_dir.h"

namespace {

const char kTitle[] = "OpenGL Team Tarsel";

class SceneWindow : public ::testing::Test {
protected:
    void SetUp() override
    {
        // With the pictures at hand, the only boxes are the window code's.
        ASSERT_EQ(0, chdir(GROUP_G_RUN_DIR));
        ResetProgramState();
    }
    void TearDown() override
    {
        if (window_handle != nullptr || render_context != nullptr)
            CloseSceneWindow();
        ResetProgramState();
    }

    static int Open(bool full = false, int bits = 16)
    {
        return OpenSceneWindow(kTitle, 640, 480, bits, full);
    }

    // Opens in an empty folder, so every picture shows its Error box; `hook`
    // acts as the user while each box is open.
    static int OpenWithoutPictures(std::function<void(const RecordedMessageBox &)> hook)
    {
        TempDir empty("scene_window_test", true);
        FakeOnMessageBox(hook);
        return Open();
    }

    // The box shows `text` under `caption` with the buttons and icon of
    // `type`, and belongs to no window.
    static void ExpectUnownedBox(const RecordedMessageBox &box, const char *text,
                                 const char *caption, UINT type)
    {
        EXPECT_EQ(text, box.text);
        EXPECT_EQ(caption, box.caption) << box.text;
        EXPECT_EQ(type, box.type) << box.text;
        EXPECT_EQ(nullptr, box.owner) << box.text;
    }

    // Everything the open made is gone again.
    static void ExpectNothingLeft()
    {
        EXPECT_FALSE(FakeWindowInfo().exists) << "window still exists";
        EXPECT_FALSE(FakeClassRegistered()) << "class still registered";
        EXPECT_EQ(0, FakeLiveContexts()) << "GL contexts still alive";
        EXPECT_EQ(0, FakeCursorCount()) << "cursor shows and hides do not pair";
        EXPECT_EQ(1280, FakeCurrentDisplayMode().width) << "display mode not restored";
    }
};

TEST_F(SceneWindow, WindowedOpenGivesClientAreaAtScreenCornerShownAfterContext)
{
    ASSERT_EQ(1, Open());
    FakeWindowState w = FakeWindowInfo();
    EXPECT_TRUE(w.exists && w.visible);
    EXPECT_EQ(kTitle, w.title);
    EXPECT_EQ((std::vector<int>{0, 0, 640, 480}),
              (std::vector<int>{w.x, w.y, w.client_width, w.client_height}));
    EXPECT_EQ(WS_OVERLAPPEDWINDOW | WS_CLIPSIBLINGS | WS_CLIPCHILDREN, w.style);
    EXPECT_EQ(WS_EX_APPWINDOW | WS_EX_WINDOWEDGE, w.ex_style);
    EXPECT_TRUE(w.shown_while_context_current) << "window shown before its context was current";
    EXPECT_TRUE(w.has_context_current);
    EXPECT_FALSE(fullscreen);
    EXPECT_TRUE(FakeMessageBoxes().empty());
    EXPECT_EQ(16, FakeRequestedDepthBits());
    EXPECT_EQ(16, FakeRequestedColorBits());
    EXPECT_EQ(0, FakeCursorCount());

    EXPECT_EQ((std::vector<int>{0, 0, 640, 480}), CurrentViewport());
    EXPECT_FLOAT_EQ(640.0f / 480.0f, aspect_ratio);
    EXPECT_NE(nullptr, sphere_quadric);

    // Show, foreground and focus come in that order, after the context.
    int made_current = FakeCallIndex("wglMakeCurrent");
    int shown = FakeCallIndex("ShowWindow", made_current);
    int foreground = FakeCallIndex("SetForegroundWindow", shown);
    int focused = FakeCallIndex("SetFocus", foreground);
    EXPECT_TRUE(made_current >= 0 && shown > made_current && foreground > shown && focused > foreground);

    CloseSceneWindow();
    ExpectNothingLeft();
    EXPECT_TRUE(FakeMessageBoxes().empty());
}

// Every picture's Error box at the open is owned by the scene window, also
// after an earlier box took the focus from it.
TEST_F(SceneWindow, PictureErrorBoxesAtOpenAreOwnedByTheSceneWindow)
{
    ASSERT_EQ(1, OpenWithoutPictures([](const RecordedMessageBox &) { FakeFocus(false); }));
    ASSERT_EQ(5u, FakeMessageBoxes().size()) << "one box per picture";
    for (const RecordedMessageBox &box : FakeMessageBoxes()) {
        EXPECT_EQ("Error", box.caption);
        EXPECT_EQ(window_handle, box.owner) << box.text;
    }
}

// A resize during a picture's Error box acts at once (the next box finds its
// viewport), stays out of the lists, and the next open (F1) has its own size.
TEST_F(SceneWindow, ResizeDuringAPictureErrorBoxActsAtOnceAndStaysOutOfTheLists)
{
    std::vector<GLint> widths_seen;
    ASSERT_EQ(1, OpenWithoutPictures([&widths_seen](const RecordedMessageBox &) {
        GLint viewport[4];
        glGetIntegerv(GL_VIEWPORT, viewport);
        widths_seen.push_back(viewport[2]);
        FakeResize(800 + 10 * (int)widths_seen.size(), 600);
    }));
    EXPECT_EQ((std::vector<GLint>{640, 810, 820, 830, 840}), widths_seen)
        << "the viewport each box found: the size the box before it gave";
    EXPECT_EQ((std::vector<int>{0, 0, 850, 600}), CurrentViewport()) << "the last size";
    EXPECT_FLOAT_EQ(850.0f / 600.0f, aspect_ratio);

    // Each list called on a state of its own: none may change it.
    for (GLuint list = kFirstTextureList; list < kFirstTextureList + kTextureListCount; ++list) {
        glViewport(1, 2, 3, 4);
        glMatrixMode(GL_PROJECTION);
        glLoadIdentity();
        glMatrixMode(GL_MODELVIEW);
        glLoadIdentity();
        glTranslatef(5.0f, 6.0f, 7.0f);
        glCallList(list);
        GLfloat modelview[16], projection[16];
        glGetFloatv(GL_MODELVIEW_MATRIX, modelview);
        glGetFloatv(GL_PROJECTION_MATRIX, projection);
        EXPECT_TRUE(CurrentViewport()[2] == 3 && modelview[14] == 7.0f && projection[0] == 1.0f)
            << "list " << list << " holds a viewport or matrix call: viewport width "
            << CurrentViewport()[2] << ", model-view z " << modelview[14] << ", projection "
            << projection[0];
    }
    CloseSceneWindow();
    ASSERT_EQ(1, Open(true));
    EXPECT_EQ(640, CurrentViewport()[2]) << "F1's window draws at its own size";
    EXPECT_FLOAT_EQ(640.0f / 480.0f, aspect_ratio);
}

// The mode is changed at step 4, after the class and before the window,
// and put back first thing in the close, while the context still exists.
TEST_F(SceneWindow, FullscreenOpenSwitchesModeMakesPopupAndHidesCursorUntilClose)
{
    ASSERT_EQ(1, Open(true));
    FakeWindowState w = FakeWindowInfo();
    EXPECT_EQ(WS_POPUP | WS_CLIPSIBLINGS | WS_CLIPCHILDREN, w.style);
    EXPECT_EQ((DWORD)WS_EX_APPWINDOW, w.ex_style);
    EXPECT_EQ((std::vector<int>{0, 0, 640, 480}),
              (std::vector<int>{w.x, w.y, w.outer_width, w.outer_height}));
    FakeDisplayMode mode = FakeCurrentDisplayMode();
    EXPECT_EQ((std::vector<int>{640, 480, 16}), (std::vector<int>{mode.width, mode.height, mode.bits}));
    EXPECT_EQ(-1, FakeCursorCount());
    EXPECT_TRUE(fullscreen);
    int registered = FakeCallIndex("RegisterClassA");
    int changed = FakeCallIndex("ChangeDisplaySettingsA");
    int created = FakeCallIndex("CreateWindowExA");
    EXPECT_TRUE(registered < changed && changed < created)
        << "mode change at " << changed << ", expected between the class (" << registered
        << ") and the window (" << created << ")";

    int closing = (int)FakeCallLog().size();
    CloseSceneWindow();
    int restored = FakeCallIndex("ChangeDisplaySettingsA", closing);
    int released = FakeCallIndex("wglMakeCurrent", closing);
    EXPECT_TRUE(restored == closing && released > restored)
        << "restore at " << restored << ", expected first in the close (" << closing
        << ") and before the context's release (" << released << ")";
    ExpectNothingLeft();
}

// A mode change the display refuses, by not offering the size or by
// failing the change, and the answer to the question that follows.
struct RefusedMode {
    const char *name;
    bool injected;  // the change fails; otherwise the size is not offered
    int answer;
};

class SceneWindowRefusedMode : public SceneWindow,
                               public ::testing::WithParamInterface<RefusedMode> {};

// Yes opens windowed with `fullscreen` false; No says the program will close
// and leaves only the class. The mode never changes.
TEST_P(SceneWindowRefusedMode, AsksToStayWindowedAndFollowsTheAnswer)
{
    const RefusedMode &refused = GetParam();
    if (refused.injected)
        FakeFailCall("ChangeDisplaySettingsA");
    else
        FakeSetDisplayModes({{1280, 1024, 24}});
    FakeQueueMessageBoxAnswers({refused.answer});
    bool yes = refused.answer == IDYES;
    ASSERT_EQ(yes ? 1 : 0, Open(true));
    ASSERT_EQ(yes ? 1u : 2u, FakeMessageBoxes().size());
    ExpectUnownedBox(FakeMessageBoxes()[0],
                     "The Requested Fullscreen Mode Is Not Supported By\nYour Video Card. "
                     "Use Windowed Mode Instead?",
                     "2nd Term OpenGL Tarsel", MB_YESNO | MB_ICONEXCLAMATION);
    int created = FakeCallIndex("CreateWindowExA");
    EXPECT_TRUE(created < 0 || FakeCallIndex("MessageBoxA") < created)
        << "the question must come before any window";
    EXPECT_EQ(1280, FakeCurrentDisplayMode().width);
    EXPECT_EQ(0, FakeCursorCount());
    if (yes) {
        EXPECT_FALSE(fullscreen) << "the next F1 must try fullscreen again";
        EXPECT_EQ(WS_OVERLAPPEDWINDOW | WS_CLIPSIBLINGS | WS_CLIPCHILDREN,
                  FakeWindowInfo().style);
        CloseSceneWindow();
        EXPECT_EQ(1, FakeCallCount("ChangeDisplaySettingsA")) << "no restore after a refusal";
        ExpectNothingLeft();
        return;
    }
    ExpectUnownedBox(FakeMessageBoxes()[1], "Program Will Now Close.", "ERROR", MB_OK | MB_ICONSTOP);
    EXPECT_TRUE(FakeClassRegistered());
    EXPECT_FALSE(FakeWindowInfo().exists);
    EXPECT_EQ(0, FakeCallCount("UnregisterClassA")) << "no teardown expected";
}

INSTANTIATE_TEST_SUITE_P(
    EveryRefusal, SceneWindowRefusedMode,
    ::testing::Values(RefusedMode{"NotOfferedAnsweredYes", false, IDYES},
                      RefusedMode{"NotOfferedAnsweredNo", false, IDNO},
                      RefusedMode{"ChangeFailsAnsweredYes", true, IDYES},
                      RefusedMode{"ChangeFailsAnsweredNo", true, IDNO}),
    [](const ::testing::TestParamInfo<RefusedMode> &info) { return info.param.name; });

// A step of the open (windowed or fullscreen) or the close made to fail, and
// the text of its box.
struct StepFailure {
    const char *operation;
    const char *text;
    bool full = false;
};

std::string StepName(const ::testing::TestParamInfo<StepFailure> &info)
{
    return std::string(info.param.operation) + (info.param.full ? "Fullscreen" : "");
}

// Each failing step of the open: its box comes after a complete teardown
// (the display mode put back too), and the open leaves nothing behind.
class SceneWindowOpenFailure : public SceneWindow,
                               public ::testing::WithParamInterface<StepFailure> {};

TEST_P(SceneWindowOpenFailure, TearsDownThenShowsItsBoxAndLeavesNothing)
{
    const StepFailure &failure = GetParam();
    FakeFailCall(failure.operation);
    ASSERT_EQ(0, Open(failure.full));
    ASSERT_EQ(1u, FakeMessageBoxes().size()) << "one box expected for " << failure.operation;
    ExpectUnownedBox(FakeMessageBoxes()[0], failure.text, "ERROR", MB_OK | MB_ICONEXCLAMATION);
    int unregistered = FakeCallIndex("UnregisterClassA");
    int shown = FakeCallIndex("MessageBoxA");
    EXPECT_TRUE(unregistered >= 0 && unregistered < shown)
        << "teardown must come before the box (unregister at " << unregistered
        << ", box at " << shown << ")";
    ExpectNothingLeft();
    EXPECT_EQ(nullptr, sphere_quadric);
    EXPECT_EQ(failure.full ? 2 : 0, FakeCallCount("ChangeDisplaySettingsA")) << "a change, a restore";
}

INSTANTIATE_TEST_SUITE_P(
    EveryStep, SceneWindowOpenFailure,
    ::testing::Values(StepFailure{"CreateWindowExA", "Window Creation Error."},
                      StepFailure{"GetDC", "Can't Create A GL Device Context."},
                      StepFailure{"ChoosePixelFormat", "Can't Find A Suitable PixelFormat."},
                      StepFailure{"SetPixelFormat", "Can't Set The PixelFormat."},
                      StepFailure{"wglCreateContext", "Can't Create A GL Rendering Context."},
                      StepFailure{"wglCreateContext", "Can't Create A GL Rendering Context.", true},
                      StepFailure{"wglMakeCurrent", "Can't Activate The GL Rendering Context."}),
    StepName);

// A failed registration, or a second one while the class is registered,
// shows its box and creates and tears down nothing.
TEST_F(SceneWindow, RegistrationFailureShowsBoxWithoutTeardown)
{
    FakeFailCall("RegisterClassA");
    ASSERT_EQ(0, Open());
    ASSERT_EQ(1, Open());
    ASSERT_EQ(0, Open());
    ASSERT_EQ(2u, FakeMessageBoxes().size());
    for (const RecordedMessageBox &box : FakeMessageBoxes())
        ExpectUnownedBox(box, "Failed To Register The Window Class.", "ERROR", MB_OK | MB_ICONEXCLAMATION);
    EXPECT_EQ(0, FakeCallCount("UnregisterClassA"));
    EXPECT_EQ(1, FakeCallCount("CreateWindowExA"));
}

// Each failing release of the close: its box, titled "SHUTDOWN ERROR", and
// the close goes on to release the rest.
class SceneWindowCloseFailure : public SceneWindow,
                                public ::testing::WithParamInterface<StepFailure> {};

TEST_P(SceneWindowCloseFailure, ShowsItsBoxAndGoesOn)
{
    const StepFailure &failure = GetParam();
    ASSERT_EQ(1, Open());
    FakeFailCall(failure.operation);
    CloseSceneWindow();
    // A window not destroyed keeps its class, whose unregistration fails too.
    size_t expected_boxes = std::string(failure.operation) == "DestroyWindow" ? 2 : 1;
    ASSERT_EQ(expected_boxes, FakeMessageBoxes().size());
    ExpectUnownedBox(FakeMessageBoxes()[0], failure.text, "SHUTDOWN ERROR", MB_OK | MB_ICONINFORMATION);
    EXPECT_EQ(nullptr, render_context);
    // The later steps are still made: a context not released is deleted.
    EXPECT_EQ(1, FakeCallCount("wglDeleteContext"));
    EXPECT_EQ(failure.operation == std::string("wglDeleteContext") ? 1 : 0, FakeLiveContexts());
    EXPECT_EQ(1, FakeCallCount("UnregisterClassA"));
}

INSTANTIATE_TEST_SUITE_P(
    EveryRelease, SceneWindowCloseFailure,
    ::testing::Values(StepFailure{"wglMakeCurrent", "Release Of DC And RC Failed."},
                      StepFailure{"wglDeleteContext", "Release Rendering Context Failed."},
                      StepFailure{"ReleaseDC", "Release Device Context Failed."},
                      StepFailure{"DestroyWindow", "Could Not Release hWnd."},
                      StepFailure{"UnregisterClassA", "Could Not Unregister Class."}),
    StepName);

TEST_F(SceneWindow, ColourDepthIsFixedByTheFirstOpenPastWindowCreation)
{
    // An open that fails at window creation does not fix the depth.
    FakeFailCall("CreateWindowExA");
    ASSERT_EQ(0, Open(false, 32));
    EXPECT_EQ(0, pixel_format.cColorBits);

    ASSERT_EQ(1, Open(false, 16));
    CloseSceneWindow();
    ASSERT_EQ(1, Open(false, 32));
    EXPECT_EQ(16, FakeRequestedColorBits()) << "a later open keeps the first depth";
    CloseSceneWindow();

    // The fullscreen mode still uses the new call's depth.
    ASSERT_EQ(1, Open(true, 32));
    EXPECT_EQ(32, FakeCurrentDisplayMode().bits);
    EXPECT_EQ(16, FakeRequestedColorBits());
}

TEST_F(SceneWindow, ReopenFailingAfterSwitchReleasesNothingTwice)
{
    ASSERT_EQ(1, Open());
    CloseSceneWindow();
    int releases = FakeCallCount("ReleaseDC");
    int destroys = FakeCallCount("DestroyWindow");
    int deletes = FakeCallCount("wglDeleteContext");
    FakeFailCall("CreateWindowExA");
    ASSERT_EQ(0, Open(true));
    EXPECT_EQ(releases, FakeCallCount("ReleaseDC")) << "the old device context was released again";
    EXPECT_EQ(destroys, FakeCallCount("DestroyWindow")) << "the old window was destroyed again";
    EXPECT_EQ(deletes, FakeCallCount("wglDeleteContext"));
    ASSERT_EQ(1u, FakeMessageBoxes().size()) << "only the open's own box";
    EXPECT_EQ("Window Creation Error.", FakeMessageBoxes()[0].text);
    ExpectNothingLeft();
}

TEST_F(SceneWindow, EveryOpenMakesAFreshQuadricAndContextState)
{
    ASSERT_EQ(1, Open());
    gluQuadricDrawStyle(sphere_quadric, GLU_LINE);
    CloseSceneWindow();
    EXPECT_EQ(nullptr, sphere_quadric);
    ASSERT_EQ(1, Open());
    EXPECT_NE(nullptr, sphere_quadric);
    for (GLenum cap : {GL_DEPTH_TEST, GL_LIGHTING, GL_TEXTURE_2D, GL_LIGHT0, GL_COLOR_MATERIAL})
        EXPECT_TRUE(glIsEnabled(cap)) << "capability 0x" << std::hex << cap;
    GLint depth_func;
    glGetIntegerv(GL_DEPTH_FUNC, &depth_func);
    EXPECT_EQ(GL_LEQUAL, depth_func);
}

}  // namespace
