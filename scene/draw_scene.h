// One pass of the scene: title, Korea sphere, the three orbiting spheres and
// the backdrop, each under its selection name, then one step of animation.
#pragma once

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
