// The scene's fixed geometry held in display lists, one set per rendering
// context: every sphere the pass draws and the backdrop quad. A selection
// pass then issues no vertex outside a list, which is what keeps a pick from
// costing memory in Mesa's selection mode.
#pragma once

#include <GL/gl.h>

// Every sphere of the scene has as many slices as stacks: 24 for the Korea
// sphere at the centre, 12 for the orbiting three.
constexpr GLint kCentreSubdivisions = 24;
constexpr GLint kOrbitSubdivisions = 12;

// Compiles the lists in the current context. Needs sphere_quadric and the
// texture lists 1 to 5 (their names must be taken before lists are
// reserved). Leaves the quadric as a new one is: filled, no texture
// coordinates. Returns 0 when the GL had no names to give; drawing then
// issues the geometry directly, the same pixels at the old memory cost.
int BuildSceneLists(void);
// Deletes the lists of the current context; drawing goes direct again.
void DeleteSceneLists(void);

// Set sphere_quadric's draw style and texture coordinates, and note them:
// GLU has no way to read them back, and DrawSphere draws what gluSphere
// would draw with the quadric as it stands.
void SetSphereDrawStyle(GLenum style);
void SetSphereTexture(GLboolean on);

// gluSphere(sphere_quadric, kSphereRadius, subdivisions, subdivisions)
// (kSphereRadius from draw_scene.h),
// from a list when one holds that sphere.
void DrawSphere(GLint subdivisions);
// The textured backdrop quad, 36 by 28 units, 10 units behind the origin.
constexpr float kBackdropHalfWidth = 18.0f;
constexpr float kBackdropHalfHeight = 14.0f;
constexpr float kBackdropDepth = -10.0f;
void DrawBackdropQuad(void);
