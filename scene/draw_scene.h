// One pass of the scene: title, Korea sphere, the three orbiting spheres and
// the backdrop, each under its selection name, then one step of animation.
#pragma once

// Where the pass puts things: the common frame this far in front of the eye,
// the title turning about a point lifted above its centre, the four spheres
// in a frame tilted about (1, 1, 0), the orbiting three a third of a turn
// apart at the start. Whatever must find an object on the screen computes
// its place from these, not from copies.
constexpr float kSceneDistance = 22.0f;
constexpr float kTitleLift = 6.0f;
// The title, a space on either side, and how far left of the point it
// turns about its text starts.
constexpr char kTitleText[] = " GROUP_G ";
constexpr float kTitleIndent = 2.0f;
constexpr float kTiltAngle = 45.0f;
constexpr double kSphereRadius = 1.5;
constexpr float kStartOrbitRadius = 7.0f;
constexpr float kFranceStartOrbit = 120.0f;
constexpr float kSwissStartOrbit = 240.0f;
// How far each pass carries the orbits, in single precision like the sums.
constexpr float kOrbitStep = 2.0f;

extern float title_spin;
extern float center_spin;
extern float togo_orbit;
extern float togo_spin;
extern float france_orbit;
extern float france_spin;
extern float swiss_orbit;
extern float swiss_spin;
extern float orbit_radius;

int DrawScene(void);
