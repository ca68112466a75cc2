// Fixed GL state of a new rendering context, and the viewport and perspective
// kept in step with the client area.
#pragma once

#include <GL/glu.h>

extern GLUquadric *sphere_quadric;
extern float aspect_ratio;

int InitScene(void);
void ResizeScene(int width, int height);
