// Fixed GL state of each new rendering context, and the viewport and
// perspective that follow the client area. Lights, materials and the texture
// environment are deliberately left at the GL's defaults: light 0 shines
// along the view axis, colour material drives ambient and diffuse, and
// textures modulate the lit colour.
#include "scene/render_setup.h"

#include <GL/gl.h>

#include "assets/outline_font.h"
#include "assets/team_textures.h"
#include "scene/scene_lists.h"

GLUquadric *sphere_quadric = nullptr;
float aspect_ratio = 0.0f;

void ResizeScene(int width, int height)
{
    if (height == 0)
        height = 1;
    glViewport(0, 0, width, height);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    aspect_ratio = (float)((double)width / (double)height);
    gluPerspective(kFieldOfView, (double)width / (double)height, kNearPlane, kFarPlane);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
}

int InitScene(void)
{
    glShadeModel(GL_SMOOTH);
    glClearColor(0.0f, 0.0f, 0.0f, 0.5f);
    glClearDepth(1.0);
    glEnable(GL_DEPTH_TEST);
    glEnable(GL_COLOR_MATERIAL);
    glEnable(GL_LIGHT0);
    // Each sphere is drawn twice with the same geometry; less-or-equal lets
    // the second drawing cover the first.
    glDepthFunc(GL_LEQUAL);
    glHint(GL_PERSPECTIVE_CORRECTION_HINT, GL_NICEST);

    sphere_quadric = gluNewQuadric();
    // Out of memory: the open reports "Initialization Failed." and closes.
    if (sphere_quadric == nullptr)
        return 0;
    gluQuadricNormals(sphere_quadric, GLU_SMOOTH);
    gluQuadricOrientation(sphere_quadric, GLU_OUTSIDE);
    gluQuadricTexture(sphere_quadric, GL_FALSE);

    BuildOutlineFont();
    glEnable(GL_LIGHTING);
    LoadTeamTextures();
    // After the texture lists, whose fixed names glGenLists must not hand
    // out. Without lists the scene still draws, only picks cost memory.
    BuildSceneLists();
    glEnable(GL_TEXTURE_2D);
    return 1;
}
