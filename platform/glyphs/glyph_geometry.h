// Solid glyphs for the outline lists, whatever the font's source: a glyph's
// contours are flattened into closed polylines in em units by the source's
// own walk (FreeType on Linux, GDI on Windows) with the curve helpers below,
// then filled and extruded into one display list here. Needs a current GL
// context when compiling and GLU's tessellator; knows no fonts and no files.
//
// Every list holds a single run of separate triangles: the GL's selection
// and feedback modes mishandle lists that mix kinds of primitives (Mesa
// crashes in them, or drops quads that follow triangles), and picking draws
// the title in selection mode.
#pragma once

#include <GL/gl.h>
#include <GL/glu.h>

#include <vector>

struct GlyphPoint {
    double x;
    double y;
};

// A glyph's outline after flattening; contours are closed (the last point
// joins the first) and hold no repeated neighbours.
struct FlatOutline {
    std::vector<std::vector<GlyphPoint>> contours;
    bool fill_left;  // the filled side lies left of each contour's direction
    bool even_odd;
};

// Adds p unless it repeats the contour's last point.
void AppendGlyphPoint(std::vector<GlyphPoint> *contour, GlyphPoint p);
// Append the curve's points after p0 (p0 itself is already there), in the
// fewest equal parameter steps whose chords stay within tolerance.
void FlattenQuadratic(GlyphPoint p0, GlyphPoint p1, GlyphPoint p2, double tolerance,
                      std::vector<GlyphPoint> *contour);
void FlattenCubic(const GlyphPoint p[4], double tolerance, std::vector<GlyphPoint> *contour);
// Drops a closing point that repeats the first, and empties a contour of
// fewer than two points, which adds nothing to the glyph.
void CloseGlyphContour(std::vector<GlyphPoint> *contour);

// A tessellator set up for CompileGlyphList; null when GLU has none to give.
// Delete it with gluDeleteTess.
GLUtesselator *NewGlyphTessellator(void);
// Compiles into the open display list: for WGL_FONT_POLYGONS the filled
// glyph at z = 0 facing +z, again at z = -extrusion facing -z, and a side
// wall along every contour segment with its normal pointing out of the glyph;
// for WGL_FONT_LINES the contours as line loops at z = 0. Texture
// coordinates are never given.
void CompileGlyphList(GLUtesselator *tess, const FlatOutline &flat, int format, float extrusion);
