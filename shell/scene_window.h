// The one scene window and its OpenGL rendering context, windowed or
// fullscreen: everything that must exist before the first frame, and its
// teardown.
#pragma once

#include "assets/shared_state.h"
#include "platform/gdi32.h"
#include "platform/win_types.h"

extern HINSTANCE module_instance;
extern HGLRC render_context;
extern PIXELFORMATDESCRIPTOR pixel_format;

int OpenSceneWindow(const char *title, int width, int height, int bits,
                    bool fullscreen_flag);
void CloseSceneWindow(void);
