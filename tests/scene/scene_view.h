// For the scene tests: an offscreen context with the scene set up in the run
// folder (real pictures and font), and where each object lands on screen.
#pragma once

#include <GL/gl.h>
#include <GL/glu.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <cmath>
#include <string>

#include "platform/fake/fake_platform.h"
#include "platform/platform_internal.h"
#include "scene/draw_scene.h"
#include "scene/render_setup.h"
#include "shell/main_loop.h"
#include "shell/scene_window.h"
#include "support/offscreen_gl.h"
#include "support/program_state.h"

// Stands in for the scene window as owner of the pick boxes.
inline HWND const kSceneWindow = reinterpret_cast<HWND>(uintptr_t{0x5c3e});

// One context per suite: building the glyph lists and reading the pictures
// is the slow part, and every test resets what the pass depends on.
template <int Width, int Height>
class SceneFixture : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        ResetProgramState();
        char here[4096];
        saved_dir_ = getcwd(here, sizeof here) ? here : ".";
        ASSERT_EQ(chdir(GROUP_G_RUN_DIR), 0) << "run folder " << GROUP_G_RUN_DIR;
        gl_ = new OffscreenGL(Width, Height);
        // No window: the title font goes into a device context of our own.
        dc_ = PlatformDC{};
        device_context = &dc_;
        ResizeScene(Width, Height);
        ASSERT_EQ(InitScene(), 1);
    }
    static void TearDownTestSuite()
    {
        gluDeleteQuadric(sphere_quadric);
        sphere_quadric = nullptr;
        delete gl_;
        gl_ = nullptr;
        device_context = nullptr;
        if (chdir(saved_dir_.c_str()) != 0)
            ADD_FAILURE() << "could not return to " << saved_dir_;
    }
    void SetUp() override
    {
        FakeReset();
        ResetAnglesAndFlags();
        window_handle = kSceneWindow;
        ResizeScene(Width, Height);
    }

    inline static OffscreenGL *gl_ = nullptr;
    inline static std::string saved_dir_;
    inline static PlatformDC dc_{};
};

// The model-view the pass draws object `name` (100..105) under, built as it does.
inline void LoadPlacement(GLuint name)
{
    glLoadIdentity();
    glTranslatef(0.0f, 0.0f, -22.0f);
    if (name == 100) {
        glTranslatef(0.0f, 6.0f, 0.0f);
        glRotatef(title_spin, 1.0f, 1.0f, 0.0f);
        glTranslatef(-2.0f, 0.0f, 0.0f);
        return;
    }
    glRotatef(45.0f, 1.0f, 1.0f, 0.0f);
    float orbit = 0.0f, spin = 0.0f;
    switch (name) {
    case 101:
        glRotatef(center_spin, 1.0f, 1.0f, 0.0f);
        return;
    case 103:
        glRotatef(-45.0f, 1.0f, 1.0f, 0.0f);
        return;
    case 102: orbit = togo_orbit; spin = togo_spin; break;
    case 104: orbit = france_orbit; spin = france_spin; break;
    case 105: orbit = swiss_orbit; spin = swiss_spin; break;
    }
    glRotatef(orbit, 0.0f, 1.0f, 0.0f);
    glTranslatef(orbit_radius, 0.0f, 0.0f);
    glRotatef(spin, 0.0f, 1.0f, 0.0f);
}

// A place on screen (client coordinates, y down) and a sphere's radius there.
struct Spot {
    double x, y, radius;
    int px() const { return (int)std::floor(x); }
    int py() const { return (int)std::floor(y); }
};

// Where the point (ox, oy, oz) of object `name` lands on screen now.
inline Spot ProjectFrom(GLuint name, double ox, double oy, double oz)
{
    GLdouble model[16], projection[16];
    GLint viewport[4];
    glMatrixMode(GL_MODELVIEW);
    glPushMatrix();
    LoadPlacement(name);
    glGetDoublev(GL_MODELVIEW_MATRIX, model);
    glPopMatrix();
    glGetDoublev(GL_PROJECTION_MATRIX, projection);
    glGetIntegerv(GL_VIEWPORT, viewport);
    GLdouble wx, wy, wz;
    gluProject(ox, oy, oz, model, projection, viewport, &wx, &wy, &wz);
    // Distance along the view axis, for the size a radius of 1.5 takes.
    double eye_z = model[2] * ox + model[6] * oy + model[10] * oz + model[14];
    double radius = 1.5 / (-eye_z * std::tan(22.5 * M_PI / 180.0)) * viewport[3] / 2.0;
    return Spot{wx, viewport[3] - wy, radius};
}

inline Spot SphereSpot(GLuint name) { return ProjectFrom(name, 0.0, 0.0, 0.0); }
