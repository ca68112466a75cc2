// The scene's fixed geometry in display lists, compiled once per context:
// each sphere the pass can ask for (24 or 12 subdivisions, filled or lines,
// with or without texture coordinates) and the backdrop quad. Mesa's selection
// mode keeps memory for every vertex issued outside a list, pass after pass;
// vertices played from a list cost nothing there, so a pick draws from lists.
// A list holds only what gluSphere or the quad issue (same pixels, same
// current normal and texture coordinate left behind); colours, textures,
// names and matrices stay with the pass.
#include "scene/scene_lists.h"

#include <GL/glu.h>

#include "scene/draw_scene.h"
#include "scene/render_setup.h"

static const GLint kSubdivisions[] = {kCentreSubdivisions, kOrbitSubdivisions};
static const GLenum kDrawStyles[] = {GLU_FILL, GLU_LINE};
static const GLboolean kTextureSettings[] = {GL_FALSE, GL_TRUE};
static const GLuint kStyleCount = sizeof kDrawStyles / sizeof kDrawStyles[0];
// Spheres first, by subdivision, draw style, then texture coordinates off
// and on; the backdrop last.
static const GLuint kSphereListCount =
    sizeof kSubdivisions / sizeof kSubdivisions[0] * kStyleCount * 2;
static const GLsizei kListCount = kSphereListCount + 1;

// The first of this context's lists; 0 when there are none.
static GLuint list_base = 0;
// sphere_quadric's settings as last given to GLU; a new quadric starts so.
static GLenum quadric_style = GLU_FILL;
static GLboolean quadric_texture = GL_FALSE;

void SetSphereDrawStyle(GLenum style)
{
    gluQuadricDrawStyle(sphere_quadric, style);
    quadric_style = style;
}

void SetSphereTexture(GLboolean on)
{
    gluQuadricTexture(sphere_quadric, on);
    quadric_texture = on;
}

// The list that holds the sphere gluSphere would draw now, or 0.
static GLuint sphere_list(GLint subdivisions)
{
    if (list_base == 0)
        return 0;
    for (GLuint size = 0; size < sizeof kSubdivisions / sizeof kSubdivisions[0]; ++size) {
        if (kSubdivisions[size] != subdivisions)
            continue;
        for (GLuint style = 0; style < kStyleCount; ++style) {
            if (kDrawStyles[style] == quadric_style)
                return list_base + (size * kStyleCount + style) * 2 + (quadric_texture ? 1 : 0);
        }
    }
    return 0;
}

static void issue_backdrop_quad(void)
{
    glBegin(GL_QUADS);
    glTexCoord2f(0.0f, 0.0f);
    glVertex3f(-kBackdropHalfWidth, -kBackdropHalfHeight, kBackdropDepth);
    glTexCoord2f(1.0f, 0.0f);
    glVertex3f(kBackdropHalfWidth, -kBackdropHalfHeight, kBackdropDepth);
    glTexCoord2f(1.0f, 1.0f);
    glVertex3f(kBackdropHalfWidth, kBackdropHalfHeight, kBackdropDepth);
    glTexCoord2f(0.0f, 1.0f);
    glVertex3f(-kBackdropHalfWidth, kBackdropHalfHeight, kBackdropDepth);
    glEnd();
}

// The names of a context that is gone mean nothing in this one (they may
// well be the glyphs' here), so a build never deletes what list_base held.
int BuildSceneLists(void)
{
    list_base = glGenLists(kListCount);
    if (list_base != 0) {
        GLuint list = list_base;
        for (GLint subdivisions : kSubdivisions) {
            for (GLenum style : kDrawStyles) {
                for (GLboolean texture : kTextureSettings) {
                    SetSphereDrawStyle(style);
                    SetSphereTexture(texture);
                    glNewList(list++, GL_COMPILE);
                    gluSphere(sphere_quadric, kSphereRadius, subdivisions, subdivisions);
                    glEndList();
                }
            }
        }
        glNewList(list, GL_COMPILE);
        issue_backdrop_quad();
        glEndList();
    }
    SetSphereDrawStyle(GLU_FILL);
    SetSphereTexture(GL_FALSE);
    return list_base != 0;
}

void DeleteSceneLists(void)
{
    if (list_base == 0)
        return;
    glDeleteLists(list_base, kListCount);
    list_base = 0;
}

void DrawSphere(GLint subdivisions)
{
    GLuint list = sphere_list(subdivisions);
    if (list != 0)
        glCallList(list);
    else
        gluSphere(sphere_quadric, kSphereRadius, subdivisions, subdivisions);
}

void DrawBackdropQuad(void)
{
    if (list_base != 0)
        glCallList(list_base + kSphereListCount);
    else
        issue_backdrop_quad();
}
