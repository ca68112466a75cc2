// One pass of the scene: the title, the Korea sphere at the centre, the three
// spheres orbiting it and the backdrop, each under its own selection name,
// then one step of the animation. The same pass serves the screen and the
// selection-mode pick, so it never touches the projection or the render mode.
// Relies on InitScene (sphere_quadric, texture lists 1..5, the glyph lists,
// the geometry lists of scene_lists.cpp) and on the display flags of the
// loop. Keeps no clock: every pass advances every angle by a fixed step.
#include "scene/draw_scene.h"

#include <GL/gl.h>
#include <GL/glu.h>

#include "assets/outline_font.h"
#include "assets/shared_state.h"
#include "scene/scene_lists.h"

float title_spin = 0.0f;
float center_spin = 0.0f;
float togo_orbit = 0.0f;
float togo_spin = 0.0f;
float france_orbit = kFranceStartOrbit;
float france_spin = 0.0f;
float swiss_orbit = kSwissStartOrbit;
float swiss_spin = 0.0f;
float orbit_radius = kStartOrbitRadius;

// Steps and reset thresholds are single precision on purpose: the angles are
// floats, rounded each pass, and each is compared with its threshold in that
// same precision (a sum equal to 359.95f is above the double 359.95).
static const float kTitleStep = 5.0f;
static const float kCenterStep = 5.0f;
static const float kCenterLimit = 359.5f;
static const float kOrbitLimit = 359.95f;
static const float kSpinStep = 3.0f;
static const float kSpinLimit = 358.0f;

// Adds one step; a sum above the threshold starts the turn again at 0.
static float step_angle(float angle, float step, float threshold)
{
    float sum = angle + step;
    return sum > threshold ? 0.0f : sum;
}

// The title turns by whole steps of 5, so taking 360 off whenever it gets
// there changes nothing on screen; it keeps the angle small, where adding 5
// stays exact instead of eventually rounding away to nothing.
static float step_title_angle(float angle)
{
    float sum = angle + kTitleStep;
    return sum >= 360.0f ? sum - 360.0f : sum;
}

static void advance_animation(void)
{
    title_spin = step_title_angle(title_spin);
    center_spin = step_angle(center_spin, kCenterStep, kCenterLimit);
    togo_orbit = step_angle(togo_orbit, kOrbitStep, kOrbitLimit);
    togo_spin = step_angle(togo_spin, kSpinStep, kSpinLimit);
    france_orbit = step_angle(france_orbit, kOrbitStep, kOrbitLimit);
    france_spin = step_angle(france_spin, kSpinStep, kSpinLimit);
    swiss_orbit = step_angle(swiss_orbit, kOrbitStep, kOrbitLimit);
    swiss_spin = step_angle(swiss_spin, kSpinStep, kSpinLimit);
}

// Every sphere is drawn twice with the same geometry: once in its first
// colour, then again in its second, which covers the first under the
// less-or-equal depth test. The quadric's draw style is set only here and
// carries over from sphere to sphere and pass to pass, so with line spheres
// the very first sphere of a pass keeps the previous pass's last style.
// Texture coordinates are switched on and left on. DrawSphere draws what
// the quadric's settings of the moment give, from a list.
static void draw_sphere_pair(const GLfloat *first_colour, GLuint texture_list,
                             GLint subdivisions, const GLfloat *second_colour)
{
    if (solid_spheres)
        SetSphereDrawStyle(GLU_FILL);
    glColor3fv(first_colour);
    glCallList(texture_list);
    SetSphereTexture(GL_TRUE);
    DrawSphere(subdivisions);
    if (!solid_spheres)
        SetSphereDrawStyle(GLU_LINE);
    glColor3fv(second_colour);
    DrawSphere(subdivisions);
}

// An orbiting sphere: round the tilted frame's vertical axis at
// orbit_radius, turning about its own parallel axis.
static void draw_orbiting_sphere(GLuint name, float orbit, float spin,
                                 const GLfloat *first_colour,
                                 GLuint texture_list,
                                 const GLfloat *second_colour)
{
    glPushName(name);
    glPushMatrix();
    glRotatef(orbit, 0.0f, 1.0f, 0.0f);
    glTranslatef(orbit_radius, 0.0f, 0.0f);
    glRotatef(spin, 0.0f, 1.0f, 0.0f);
    draw_sphere_pair(first_colour, texture_list, kOrbitSubdivisions, second_colour);
    glPopMatrix();
    glPopName();
}

static void draw_title(void)
{
    glPushName(kTitleName);
    glPushMatrix();
    glTranslatef(0.0f, kTitleLift, 0.0f);
    glRotatef(title_spin, 1.0f, 1.0f, 0.0f);
    glTranslatef(-kTitleIndent, 0.0f, 0.0f);
    glColor3f(0.0f, 1.0f, 0.0f);
    PrintOutlineText(kTitleText);
    glPopMatrix();
    glPopName();
}

// The backdrop faces the viewer: its rotation cancels the tilt.
static void draw_backdrop(void)
{
    glPushName(kBackdropName);
    glPushMatrix();
    glRotatef(-kTiltAngle, 1.0f, 1.0f, 0.0f);
    glColor3f(1.0f, 1.0f, 1.0f);
    glCallList(kBackdropTexture);
    DrawBackdropQuad();
    glPopMatrix();
    glPopName();
}

// Leaves behind, for the next pass to rely on or overwrite: an empty name
// stack, the model-view holding the common frame and the tilt, the backdrop
// picture as the texture image, colour (1, 1, 1), texture coordinate (0, 1).
int DrawScene(void)
{
    static const GLfloat kKoreaRed[3] = {0.9f, 0.0f, 0.0f};
    static const GLfloat kTogoOlive[3] = {0.5f, 0.5f, 0.0f};
    static const GLfloat kTogoYellow[3] = {0.9f, 0.9f, 0.0f};
    static const GLfloat kBlue[3] = {0.0f, 0.0f, 0.9f};
    static const GLfloat kLightGrey[3] = {0.9f, 0.9f, 0.9f};

    glPolygonMode(GL_FRONT_AND_BACK, filled_polygons ? GL_FILL : GL_LINE);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glLoadIdentity();
    glInitNames();

    // The common frame, 22 units in front of the eye; never pushed.
    glTranslatef(0.0f, 0.0f, -kSceneDistance);

    if (lighting_on)
        glEnable(GL_LIGHTING);
    else
        glDisable(GL_LIGHTING);
    if (texturing_on)
        glEnable(GL_TEXTURE_2D);
    else
        glDisable(GL_TEXTURE_2D);

    draw_title();

    // The tilt, in force for the four spheres; the backdrop undoes it.
    glRotatef(kTiltAngle, 1.0f, 1.0f, 0.0f);

    glPushName(kKoreaName);
    glPushMatrix();
    glRotatef(center_spin, 1.0f, 1.0f, 0.0f);
    draw_sphere_pair(kKoreaRed, kKoreaTexture, kCentreSubdivisions, kLightGrey);
    glPopMatrix();
    glPopName();

    draw_orbiting_sphere(kTogoName, togo_orbit, togo_spin, kTogoOlive,
                         kTogoTexture, kTogoYellow);
    draw_orbiting_sphere(kFranceName, france_orbit, france_spin, kBlue,
                         kFranceTexture, kLightGrey);
    draw_orbiting_sphere(kSwissName, swiss_orbit, swiss_spin, kBlue,
                         kSwissTexture, kLightGrey);

    // After the spheres, so each pass draws them with the angles the last
    // pass left; the backdrop uses no angle.
    advance_animation();

    draw_backdrop();
    return 1;
}
