// OpenGL rendering contexts and outline glyph lists for a device context.
#pragma once

#ifdef _WIN32
// The system's own declarations: wgl* come with windows.h, beside GL's.
#include "win_types.h"
#include <GL/gl.h>

// The title's glyph lists are built from the font's own outlines by
// platform/win32/ rather than by opengl32's helper, which on some systems
// draws them flat and in a form the GL's selection mode crashes on.
BOOL SolidFontOutlinesA(HDC dc, DWORD first, DWORD count, DWORD list_base, FLOAT deviation,
                        FLOAT extrusion, int format, GLYPHMETRICSFLOAT *metrics);
#define wglUseFontOutlinesA SolidFontOutlinesA
#else
#include "win_types.h"

// The operations have C linkage, as the platform's own do.
extern "C" {

struct POINTFLOAT {
    FLOAT x;
    FLOAT y;
};

struct GLYPHMETRICSFLOAT {
    FLOAT gmfBlackBoxX;
    FLOAT gmfBlackBoxY;
    POINTFLOAT gmfptGlyphOrigin;
    FLOAT gmfCellIncX;
    FLOAT gmfCellIncY;
};

#define WGL_FONT_LINES 0
#define WGL_FONT_POLYGONS 1

HGLRC wglCreateContext(HDC dc);
BOOL wglMakeCurrent(HDC dc, HGLRC context);
BOOL wglDeleteContext(HGLRC context);

// Fills count display lists from list_base with the outlines of the glyphs
// first .. first + count - 1 of the font selected into dc, in em units,
// flattened to within deviation and extruded by extrusion towards -z.
BOOL wglUseFontOutlinesA(HDC dc, DWORD first, DWORD count, DWORD list_base,
                         FLOAT deviation, FLOAT extrusion, int format,
                         GLYPHMETRICSFLOAT *metrics);

}  // extern "C"
#endif  // _WIN32
