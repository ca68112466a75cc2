// Fixed GL state of a new rendering context, and the viewport and perspective
// kept in step with the client area.
#pragma once

#include <GL/glu.h>

// The perspective: 45 degrees vertically, near plane the single-precision
// 0.1 widened (picking rebuilds this projection and must land on exactly the
// same frustum), far plane 100.
constexpr double kFieldOfView = 45.0;
constexpr double kNearPlane = 0.1f;
constexpr double kFarPlane = 100.0;

extern GLUquadric *sphere_quadric;
extern float aspect_ratio;

int InitScene(void);
void ResizeScene(int width, int height);
