// The keyboard focus mark. The object's place is worked out from the same
// constants and angles DrawScene uses, with the GL's own matrices, so the
// mark follows a sphere round its orbit and the title as it tumbles. The
// mark is three screen-aligned bands, black, white and black: whatever
// lies beside it, light or dark, one band stands out from it, and the
// plain frame reads as something laid over the scene, not part of it.
// Lighting, texturing and the depth test are off while it is drawn, and
// polygons filled, so F2 to F5 do not change it. It is drawn after the
// frame, never in the pick pass, and DrawScene knows nothing of it.
#include "scene/focus_mark.h"

#include <GL/gl.h>
#include <GL/glu.h>

#include <algorithm>

#include "assets/outline_font.h"
#include "assets/shared_state.h"
#include "scene/draw_scene.h"
#include "scene/scene_lists.h"

// Each band's width, and the gap between the object's bounds and the mark.
static const int kBand = 2;
static const int kGap = 3;
// The depth of the title's extrusion.
static const float kTitleDepth = 0.5f;

// The model-view under which DrawScene draws object `name`, with the angles
// as they stand (a sphere's spin does not move its centre, so it is left
// out).
static void load_placement(unsigned int name)
{
    glLoadIdentity();
    glTranslatef(0.0f, 0.0f, -kSceneDistance);
    if (name == kTitleName) {
        glTranslatef(0.0f, kTitleLift, 0.0f);
        glRotatef(title_spin, 1.0f, 1.0f, 0.0f);
        glTranslatef(-kTitleIndent, 0.0f, 0.0f);
        return;
    }
    // The backdrop's own rotation cancels the tilt.
    if (name == kBackdropName)
        return;
    glRotatef(kTiltAngle, 1.0f, 1.0f, 0.0f);
    if (name == kKoreaName)
        return;
    float orbit = name == kTogoName ? togo_orbit : name == kFranceName ? france_orbit : swiss_orbit;
    glRotatef(orbit, 0.0f, 1.0f, 0.0f);
    glTranslatef(orbit_radius, 0.0f, 0.0f);
}

// The corners of the box the object's geometry fits in, in its own
// coordinates; the spheres are boxed in eye space instead (below).
static void object_box(unsigned int name, GLdouble corners[8][3])
{
    GLdouble low[3], high[3];
    if (name == kTitleName) {
        GLdouble advance = 0.0, top = 0.0, bottom = 0.0;
        for (const char *c = kTitleText; *c != '\0'; ++c) {
            const GLYPHMETRICSFLOAT &glyph = glyph_metrics[*c - ' '];
            top = std::max(top, (GLdouble)glyph.gmfptGlyphOrigin.y);
            bottom = std::min(bottom, (GLdouble)(glyph.gmfptGlyphOrigin.y - glyph.gmfBlackBoxY));
            advance += glyph.gmfCellIncX;
        }
        low[0] = 0.0, low[1] = bottom, low[2] = -kTitleDepth;
        high[0] = advance, high[1] = top, high[2] = 0.0;
    } else {
        low[0] = -kBackdropHalfWidth, low[1] = -kBackdropHalfHeight, low[2] = kBackdropDepth;
        high[0] = kBackdropHalfWidth, high[1] = kBackdropHalfHeight, high[2] = kBackdropDepth;
    }
    for (int i = 0; i < 8; ++i) {
        corners[i][0] = (i & 1) ? high[0] : low[0];
        corners[i][1] = (i & 2) ? high[1] : low[1];
        corners[i][2] = (i & 4) ? high[2] : low[2];
    }
}

// Object coordinates to eye coordinates under the column-major `model`.
static void to_eye(const GLdouble model[16], const GLdouble point[3], GLdouble eye[3])
{
    for (int row = 0; row < 3; ++row)
        eye[row] = model[row] * point[0] + model[4 + row] * point[1] +
                   model[8 + row] * point[2] + model[12 + row];
}

FocusMark PlaceFocusMark(unsigned int name)
{
    FocusMark mark = {false, 0, 0, 0, 0};
    if (name < kTitleName || name > kSwissName)
        return mark;

    GLdouble model[16], projection[16];
    GLint viewport[4];
    glMatrixMode(GL_MODELVIEW);
    glPushMatrix();
    load_placement(name);
    glGetDoublev(GL_MODELVIEW_MATRIX, model);
    glPopMatrix();
    glGetDoublev(GL_PROJECTION_MATRIX, projection);
    glGetIntegerv(GL_VIEWPORT, viewport);

    // Points in eye space whose screen bounds hold the object's picture: a
    // sphere lies inside the cube around it that faces the eye.
    GLdouble eye[8][3];
    if (name == kTitleName || name == kBackdropName) {
        GLdouble corners[8][3];
        object_box(name, corners);
        for (int i = 0; i < 8; ++i)
            to_eye(model, corners[i], eye[i]);
    } else {
        const GLdouble origin[3] = {0.0, 0.0, 0.0};
        GLdouble centre[3];
        to_eye(model, origin, centre);
        for (int i = 0; i < 8; ++i)
            for (int axis = 0; axis < 3; ++axis)
                eye[i][axis] = centre[axis] + ((i >> axis) & 1 ? kSphereRadius : -kSphereRadius);
    }

    static const GLdouble kIdentity[16] = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};
    GLdouble left = 1e9, right = -1e9, bottom = 1e9, top = -1e9;
    for (const GLdouble *point : eye) {
        GLdouble x, y, z;
        if (!gluProject(point[0], point[1], point[2], kIdentity, projection, viewport, &x, &y, &z))
            return mark;
        left = std::min(left, x), right = std::max(right, x);
        bottom = std::min(bottom, y), top = std::max(top, y);
    }

    // Kept inside the window, so the backdrop's mark runs along its edges.
    int margin = kGap + 3 * kBand;
    mark.left = std::max((int)left - margin, viewport[0]);
    mark.bottom = std::max((int)bottom - margin, viewport[1]);
    mark.right = std::min((int)right + 1 + margin, viewport[0] + viewport[2]);
    mark.top = std::min((int)top + 1 + margin, viewport[1] + viewport[3]);
    mark.shown = mark.right - mark.left > 6 * kBand && mark.top - mark.bottom > 6 * kBand;
    return mark;
}

// A frame `width` pixels wide just inside the rectangle.
static void draw_frame(int left, int bottom, int right, int top, int width)
{
    glRecti(left, bottom, right, bottom + width);
    glRecti(left, top - width, right, top);
    glRecti(left, bottom + width, left + width, top - width);
    glRecti(right - width, bottom + width, right, top - width);
}

void DrawFocusMark(const FocusMark &mark)
{
    if (!mark.shown)
        return;
    GLint viewport[4];
    glGetIntegerv(GL_VIEWPORT, viewport);

    glPushAttrib(GL_ENABLE_BIT | GL_CURRENT_BIT | GL_POLYGON_BIT | GL_TRANSFORM_BIT);
    glDisable(GL_LIGHTING);
    glDisable(GL_TEXTURE_2D);
    glDisable(GL_DEPTH_TEST);
    glDisable(GL_CULL_FACE);
    glPolygonMode(GL_FRONT_AND_BACK, GL_FILL);
    // Window pixels: whole numbers fall on pixel edges, so the bands are
    // exactly kBand pixels wide.
    glMatrixMode(GL_PROJECTION);
    glPushMatrix();
    glLoadIdentity();
    glOrtho(viewport[0], viewport[0] + viewport[2], viewport[1], viewport[1] + viewport[3], -1.0,
            1.0);
    glMatrixMode(GL_MODELVIEW);
    glPushMatrix();
    glLoadIdentity();

    glColor3f(0.0f, 0.0f, 0.0f);
    draw_frame(mark.left, mark.bottom, mark.right, mark.top, 3 * kBand);
    glColor3f(1.0f, 1.0f, 1.0f);
    draw_frame(mark.left + kBand, mark.bottom + kBand, mark.right - kBand, mark.top - kBand, kBand);

    glPopMatrix();
    glMatrixMode(GL_PROJECTION);
    glPopMatrix();
    glPopAttrib();
}
