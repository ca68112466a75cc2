// Viewport, aspect and perspective against real Mesa GL, including the
// degenerate sizes a minimized window brings.
#include <gtest/gtest.h>

#include <GL/gl.h>
#include <GL/glu.h>

#include <string>
#include <vector>

#include "scene/render_setup.h"
#include "support/offscreen_gl.h"

namespace {

// The projection gluPerspective gives for this aspect, with the near plane
// the single-precision 0.1.
void ExpectProjectionFor(double aspect)
{
    GLdouble expected[16], actual[16];
    glMatrixMode(GL_PROJECTION);
    glPushMatrix();
    glLoadIdentity();
    gluPerspective(45.0, aspect, (double)0.1f, 100.0);
    glGetDoublev(GL_PROJECTION_MATRIX, expected);
    glPopMatrix();
    glGetDoublev(GL_PROJECTION_MATRIX, actual);
    glMatrixMode(GL_MODELVIEW);
    for (int i = 0; i < 16; ++i)
        EXPECT_NEAR(expected[i], actual[i], 1e-6) << "projection element " << i;
}

TEST(ResizeScene, FullClientAreaAndAspectEvenForDegenerateSizesOrWithoutAContext)
{
    // Size messages can arrive while the window is made, before its context.
    ResizeScene(800, 400);
    EXPECT_FLOAT_EQ(2.0f, aspect_ratio);
    // A zero height is taken as one, so nothing divides by zero.
    struct {
        int width, height, viewport_height;
        float aspect;
    } cases[] = {{640, 480, 480, 4.0f / 3.0f}, {640, 0, 1, 640.0f}, {0, 480, 480, 0.0f}, {0, 0, 1, 0.0f}};
    OffscreenGL gl;
    for (const auto &c : cases) {
        SCOPED_TRACE(std::to_string(c.width) + " x " + std::to_string(c.height));
        glMatrixMode(GL_MODELVIEW);
        glTranslatef(1, 2, 3);
        ResizeScene(c.width, c.height);
        EXPECT_EQ((std::vector<int>{0, 0, c.width, c.viewport_height}), CurrentViewport());
        EXPECT_FLOAT_EQ(c.aspect, aspect_ratio);
        if (c.aspect > 0)
            ExpectProjectionFor(c.aspect);
        GLint mode;
        glGetIntegerv(GL_MATRIX_MODE, &mode);
        EXPECT_EQ(GL_MODELVIEW, mode);
        GLfloat m[16];
        glGetFloatv(GL_MODELVIEW_MATRIX, m);
        for (int i = 0; i < 16; ++i)
            EXPECT_EQ(i % 5 == 0 ? 1.0f : 0.0f, m[i]) << "modelview element " << i;
    }
}

TEST(InitScene, FreshQuadricAndFixedState)
{
    OffscreenGL gl;
    ASSERT_EQ(1, InitScene());
    ASSERT_NE(nullptr, sphere_quadric);
    GLint shade, depth_func;
    glGetIntegerv(GL_SHADE_MODEL, &shade);
    glGetIntegerv(GL_DEPTH_FUNC, &depth_func);
    EXPECT_EQ(GL_SMOOTH, shade);
    EXPECT_EQ(GL_LEQUAL, depth_func);
    GLfloat clear[4];
    glGetFloatv(GL_COLOR_CLEAR_VALUE, clear);
    EXPECT_FLOAT_EQ(0.0f, clear[0]);
    EXPECT_FLOAT_EQ(0.5f, clear[3]);
    GLint hint;
    glGetIntegerv(GL_PERSPECTIVE_CORRECTION_HINT, &hint);
    EXPECT_EQ(GL_NICEST, hint);
    for (GLenum cap : {GL_DEPTH_TEST, GL_COLOR_MATERIAL, GL_LIGHT0, GL_LIGHTING, GL_TEXTURE_2D})
        EXPECT_TRUE(glIsEnabled(cap)) << "capability 0x" << std::hex << cap;
    gluDeleteQuadric(sphere_quadric);
    sphere_quadric = nullptr;
}

}  // namespace
