// wglUseFontOutlinesA over FreeType and the GLU tessellator: the glyphs of the
// font selected into a device context become display lists of solid geometry
// in em units, with their metrics.
//
// Each glyph's outline is read unscaled (font units, no hinting) and divided
// by the em size, so the em square maps to 1.0 whatever height the font was
// made with. Curves (quadratic for TrueType, cubic for CFF) are flattened:
// each curve gets the fewest equal parameter steps whose chords stay within
// the deviation of the true curve, so a gentle curve costs one segment and a
// tight one only as many as it needs. The flattened contours are filled with
// the GLU tessellator under the outline's own winding rule; the fill is laid
// down twice, at z = 0 facing +z and at z = -extrusion facing -z, and every
// contour segment becomes a side wall whose normal points out of the glyph,
// so the text is lit like a solid. Outer contours run clockwise in TrueType
// fonts and counterclockwise in CFF ones; the outline's orientation decides
// which side of a segment is outside.
//
// Every list ends with the glyph's advance as a translation. Lists are only
// compiled, never executed, and no GL state is changed. No texture
// coordinates are given: glyphs take whatever the caller has current.
#include <GL/gl.h>
#include <GL/glu.h>

#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_BBOX_H
#include FT_OUTLINE_H

#include <cmath>
#include <deque>
#include <utility>
#include <vector>

#include "platform/posix/freetype_font.h"
#include "platform/platform_hooks.h"
#include "platform/platform_internal.h"
#include "platform/wgl.h"

namespace {

struct Point {
    double x;
    double y;
};

// A glyph's outline after flattening, in em units; contours are closed (the
// last point joins the first) and hold no repeated neighbours.
struct FlatOutline {
    std::vector<std::vector<Point>> contours;
    bool fill_left;  // the filled side lies left of each contour's direction
    bool even_odd;
};

// The tessellator's output for one glyph. Vertices live in a deque because
// the tessellator keeps their addresses and the combine step adds more.
struct TessVertex {
    GLdouble xyz[3];
};
struct Tessellation {
    std::deque<TessVertex> vertices;
    std::vector<const TessVertex *> corners;  // three per triangle
    bool failed;
};

}  // namespace

static Point lerp(Point a, Point b, double t)
{
    return Point{a.x + (b.x - a.x) * t, a.y + (b.y - a.y) * t};
}

static double length(double x, double y)
{
    return std::sqrt(x * x + y * y);
}

static void append_point(std::vector<Point> *contour, Point p)
{
    if (!contour->empty() && contour->back().x == p.x && contour->back().y == p.y)
        return;
    contour->push_back(p);
}

// Splits the quadratic into n equal steps, n as small as keeps every chord
// within tolerance. A quadratic strays from its chord by exactly a quarter of
// its second difference, and n steps divide that difference by n squared.
static void flatten_quadratic(Point p0, Point p1, Point p2, double tolerance,
                              std::vector<Point> *contour)
{
    double bend = length(p0.x - 2 * p1.x + p2.x, p0.y - 2 * p1.y + p2.y);
    int steps = 1;
    if (bend > 4 * tolerance)
        steps = (int)std::ceil(std::sqrt(bend / (4 * tolerance)));
    for (int i = 1; i < steps; i++) {
        double t = (double)i / steps;
        append_point(contour, lerp(lerp(p0, p1, t), lerp(p1, p2, t), t));
    }
    append_point(contour, p2);
}

static Point cubic_at(const Point p[4], double t)
{
    double u = 1 - t;
    double a = u * u * u, b = 3 * u * u * t, c = 3 * u * t * t, d = t * t * t;
    return Point{a * p[0].x + b * p[1].x + c * p[2].x + d * p[3].x,
                 a * p[0].y + b * p[1].y + c * p[2].y + d * p[3].y};
}

static Point cubic_slope(const Point p[4], double t)
{
    double u = 1 - t;
    double a = 3 * u * u, b = 6 * u * t, c = 3 * t * t;
    return Point{a * (p[1].x - p[0].x) + b * (p[2].x - p[1].x) + c * (p[3].x - p[2].x),
                 a * (p[1].y - p[0].y) + b * (p[2].y - p[1].y) + c * (p[3].y - p[2].y)};
}

// How far the piece of the cubic between t0 and t1 can stray from its chord:
// the piece minus the straight line is 3t(1-t)^2 u1 + 3t^2(1-t) u2, where u1
// and u2 are how far the piece's inner control points sit from a third and
// two thirds of the chord, so 3/4 of the larger one bounds it.
static double cubic_piece_deviation(const Point p[4], double t0, double t1)
{
    double h = (t1 - t0) / 3;
    Point q0 = cubic_at(p, t0), q3 = cubic_at(p, t1);
    Point s0 = cubic_slope(p, t0), s1 = cubic_slope(p, t1);
    Point q1{q0.x + h * s0.x, q0.y + h * s0.y};
    Point q2{q3.x - h * s1.x, q3.y - h * s1.y};
    double u1 = length(q1.x - (2 * q0.x + q3.x) / 3, q1.y - (2 * q0.y + q3.y) / 3);
    double u2 = length(q2.x - (q0.x + 2 * q3.x) / 3, q2.y - (q0.y + 2 * q3.y) / 3);
    return 0.75 * (u1 > u2 ? u1 : u2);
}

// Splits the cubic into the fewest equal steps whose pieces all stay within
// tolerance. The count of the standard second-difference bound always
// suffices, so the search stops there at the latest.
static void flatten_cubic(const Point p[4], double tolerance, std::vector<Point> *contour)
{
    double d0 = length(p[0].x - 2 * p[1].x + p[2].x, p[0].y - 2 * p[1].y + p[2].y);
    double d1 = length(p[1].x - 2 * p[2].x + p[3].x, p[1].y - 2 * p[2].y + p[3].y);
    double bound = 0.75 * (d0 > d1 ? d0 : d1);
    int most = 1;
    if (bound > tolerance)
        most = (int)std::ceil(std::sqrt(bound / tolerance));
    int steps = 1;
    for (; steps < most; steps++) {
        bool within = true;
        for (int i = 0; i < steps && within; i++)
            within = cubic_piece_deviation(p, (double)i / steps, (double)(i + 1) / steps) <= tolerance;
        if (within)
            break;
    }
    for (int i = 1; i < steps; i++)
        append_point(contour, cubic_at(p, (double)i / steps));
    append_point(contour, p[3]);
}

// Walks one FreeType contour (points first..last) into a closed polyline.
// Two conic control points in a row imply an on-curve point halfway between
// them; cubic control points come in pairs. A malformed contour yields an
// empty polyline, which adds nothing to the glyph.
static std::vector<Point> flatten_contour(const FT_Outline &outline, int first, int last,
                                          double scale, double tolerance)
{
    struct Node {
        Point p;
        char tag;
    };
    std::vector<Node> nodes;
    for (int i = first; i <= last; i++) {
        char tag = FT_CURVE_TAG(outline.tags[i]);
        Point p{outline.points[i].x * scale, outline.points[i].y * scale};
        if (tag == FT_CURVE_TAG_CONIC && !nodes.empty() && nodes.back().tag == FT_CURVE_TAG_CONIC)
            nodes.push_back(Node{lerp(nodes.back().p, p, 0.5), FT_CURVE_TAG_ON});
        nodes.push_back(Node{p, tag});
    }
    if (nodes.size() > 1 && nodes.front().tag == FT_CURVE_TAG_CONIC &&
        nodes.back().tag == FT_CURVE_TAG_CONIC)
        nodes.push_back(Node{lerp(nodes.back().p, nodes.front().p, 0.5), FT_CURVE_TAG_ON});

    std::vector<Point> contour;
    size_t start = 0;
    while (start < nodes.size() && nodes[start].tag != FT_CURVE_TAG_ON)
        start++;
    if (start == nodes.size())
        return contour;
    size_t count = nodes.size();
    auto at = [&](size_t k) -> const Node & { return nodes[(start + k) % count]; };

    append_point(&contour, at(0).p);
    size_t k = 0;
    while (k < count) {
        const Node &a = at(k + 1);
        if (a.tag == FT_CURVE_TAG_ON) {
            append_point(&contour, a.p);
            k += 1;
        } else if (a.tag == FT_CURVE_TAG_CONIC && at(k + 2).tag == FT_CURVE_TAG_ON && k + 2 <= count) {
            flatten_quadratic(at(k).p, a.p, at(k + 2).p, tolerance, &contour);
            k += 2;
        } else if (a.tag == FT_CURVE_TAG_CUBIC && at(k + 2).tag == FT_CURVE_TAG_CUBIC &&
                   at(k + 3).tag == FT_CURVE_TAG_ON && k + 3 <= count) {
            Point curve[4] = {at(k).p, a.p, at(k + 2).p, at(k + 3).p};
            flatten_cubic(curve, tolerance, &contour);
            k += 3;
        } else {
            return std::vector<Point>();
        }
    }
    // The walk ends back at its start; the closing point is implied.
    if (contour.size() > 1 && contour.back().x == contour.front().x &&
        contour.back().y == contour.front().y)
        contour.pop_back();
    if (contour.size() < 2)
        contour.clear();
    return contour;
}

static FlatOutline flatten_outline(const FT_Outline &outline, double scale, double tolerance)
{
    FlatOutline flat;
    // FreeType works the orientation out from the points themselves, which
    // is what the fill of every glyph in the face agrees with.
    flat.fill_left = FT_Outline_Get_Orientation(const_cast<FT_Outline *>(&outline)) ==
                     FT_ORIENTATION_POSTSCRIPT;
    flat.even_odd = (outline.flags & FT_OUTLINE_EVEN_ODD_FILL) != 0;
    int first = 0;
    for (int c = 0; c < outline.n_contours; c++) {
        int last = outline.contours[c];
        if (last < first || last >= outline.n_points)
            break;
        std::vector<Point> contour = flatten_contour(outline, first, last, scale, tolerance);
        if (!contour.empty())
            flat.contours.push_back(std::move(contour));
        first = last + 1;
    }
    return flat;
}

// The tessellator's callbacks. With an edge-flag callback installed it hands
// out separate triangles only, three corners each.
static void GLAPIENTRY tess_begin(GLenum type, void *data)
{
    if (type != GL_TRIANGLES)
        static_cast<Tessellation *>(data)->failed = true;
}

static void GLAPIENTRY tess_edge_flag(GLboolean, void *) {}

static void GLAPIENTRY tess_vertex(void *vertex, void *data)
{
    static_cast<Tessellation *>(data)->corners.push_back(static_cast<const TessVertex *>(vertex));
}

// Where contours cross, the tessellator needs a vertex of its own.
static void GLAPIENTRY tess_combine(GLdouble coords[3], void *[4], GLfloat[4], void **out,
                                    void *data)
{
    Tessellation *t = static_cast<Tessellation *>(data);
    t->vertices.push_back(TessVertex{{coords[0], coords[1], coords[2]}});
    *out = &t->vertices.back();
}

static void GLAPIENTRY tess_error(GLenum, void *data)
{
    static_cast<Tessellation *>(data)->failed = true;
}

static GLUtesselator *new_tessellator(void)
{
    GLUtesselator *tess = gluNewTess();
    if (tess == nullptr)
        return nullptr;
    gluTessCallback(tess, GLU_TESS_BEGIN_DATA, reinterpret_cast<_GLUfuncptr>(tess_begin));
    gluTessCallback(tess, GLU_TESS_EDGE_FLAG_DATA, reinterpret_cast<_GLUfuncptr>(tess_edge_flag));
    gluTessCallback(tess, GLU_TESS_VERTEX_DATA, reinterpret_cast<_GLUfuncptr>(tess_vertex));
    gluTessCallback(tess, GLU_TESS_COMBINE_DATA, reinterpret_cast<_GLUfuncptr>(tess_combine));
    gluTessCallback(tess, GLU_TESS_ERROR_DATA, reinterpret_cast<_GLUfuncptr>(tess_error));
    gluTessNormal(tess, 0, 0, 1);
    return tess;
}

// Fills the outline into triangles, each turned counterclockwise seen from +z
// (the tessellator's own orientation is not relied on); slivers of no area
// are dropped since they draw nothing.
static std::vector<Point> fill_triangles(GLUtesselator *tess, const FlatOutline &flat)
{
    Tessellation t;
    t.failed = false;
    for (const std::vector<Point> &contour : flat.contours) {
        for (Point p : contour)
            t.vertices.push_back(TessVertex{{p.x, p.y, 0}});
    }
    gluTessProperty(tess, GLU_TESS_WINDING_RULE,
                    flat.even_odd ? GLU_TESS_WINDING_ODD : GLU_TESS_WINDING_NONZERO);
    gluTessBeginPolygon(tess, &t);
    size_t next = 0;
    for (const std::vector<Point> &contour : flat.contours) {
        gluTessBeginContour(tess);
        for (size_t i = 0; i < contour.size(); i++, next++)
            gluTessVertex(tess, t.vertices[next].xyz, &t.vertices[next]);
        gluTessEndContour(tess);
    }
    gluTessEndPolygon(tess);

    std::vector<Point> triangles;
    if (t.failed)
        return triangles;
    for (size_t i = 0; i + 2 < t.corners.size(); i += 3) {
        Point a{t.corners[i]->xyz[0], t.corners[i]->xyz[1]};
        Point b{t.corners[i + 1]->xyz[0], t.corners[i + 1]->xyz[1]};
        Point c{t.corners[i + 2]->xyz[0], t.corners[i + 2]->xyz[1]};
        double area = (b.x - a.x) * (c.y - a.y) - (c.x - a.x) * (b.y - a.y);
        if (area == 0)
            continue;
        triangles.push_back(a);
        triangles.push_back(area > 0 ? b : c);
        triangles.push_back(area > 0 ? c : b);
    }
    return triangles;
}

static void emit_vertex(Point p, float z)
{
    glVertex3f((float)p.x, (float)p.y, z);
}

// Compiles the solid glyph: front fill, back fill, side walls, all as one
// run of separate triangles. Walls are triangle pairs rather than quads
// because the GL's feedback and selection modes lose quads that follow
// triangles in one list, and picking draws the title in selection mode.
static void compile_solid(const FlatOutline &flat, const std::vector<Point> &triangles,
                          float depth)
{
    if (flat.contours.empty())
        return;
    glBegin(GL_TRIANGLES);
    glNormal3f(0, 0, 1);
    for (Point p : triangles)
        emit_vertex(p, 0);
    if (depth > 0) {
        glNormal3f(0, 0, -1);
        // Reversed, so the back fill faces the viewer behind the glyph.
        for (size_t i = 0; i + 2 < triangles.size(); i += 3) {
            emit_vertex(triangles[i], -depth);
            emit_vertex(triangles[i + 2], -depth);
            emit_vertex(triangles[i + 1], -depth);
        }
        for (const std::vector<Point> &contour : flat.contours) {
            for (size_t i = 0; i < contour.size(); i++) {
                Point a = contour[i], b = contour[(i + 1) % contour.size()];
                // Walk every segment with the fill on its left; the outside
                // is then on the right, and the corners below go round
                // counterclockwise as seen from there.
                if (!flat.fill_left)
                    std::swap(a, b);
                double dx = b.x - a.x, dy = b.y - a.y, d = length(dx, dy);
                if (d == 0)
                    continue;
                glNormal3f((float)(dy / d), (float)(-dx / d), 0);
                emit_vertex(a, 0);
                emit_vertex(a, -depth);
                emit_vertex(b, -depth);
                emit_vertex(a, 0);
                emit_vertex(b, -depth);
                emit_vertex(b, 0);
            }
        }
    }
    glEnd();
}

static void compile_lines(const FlatOutline &flat)
{
    for (const std::vector<Point> &contour : flat.contours) {
        glBegin(GL_LINE_LOOP);
        for (Point p : contour)
            glVertex3f((float)p.x, (float)p.y, 0);
        glEnd();
    }
}

// The glyph index for a character code, taken as Unicode: the program only
// asks for 32..127, where its ANSI code page and Unicode agree. Symbol fonts
// place their glyphs at U+F000 + code, as the platform expects of them.
static FT_UInt glyph_index(FT_Face face, FT_ULong code)
{
    FT_UInt index = FT_Get_Char_Index(face, code);
    if (index == 0 && face->charmap != nullptr &&
        face->charmap->encoding == FT_ENCODING_MS_SYMBOL)
        index = FT_Get_Char_Index(face, 0xF000 | code);
    return index;
}

BOOL wglUseFontOutlinesA(HDC dc, DWORD first, DWORD count, DWORD list_base, FLOAT deviation,
                         FLOAT extrusion, int format, GLYPHMETRICSFLOAT *metrics)
{
    if (PlatformCallFails("wglUseFontOutlinesA"))
        return FALSE;
    if (dc == nullptr || dc->font == nullptr || count == 0)
        return FALSE;
    if (format != WGL_FONT_POLYGONS && format != WGL_FONT_LINES)
        return FALSE;
    bool embolden = false;
    FT_Face face = FaceOfFont(dc->font, &embolden);
    if (face == nullptr || face->units_per_EM == 0 || !FT_IS_SCALABLE(face))
        return FALSE;
    GLUtesselator *tess = format == WGL_FONT_POLYGONS ? new_tessellator() : nullptr;
    if (format == WGL_FONT_POLYGONS && tess == nullptr)
        return FALSE;

    double scale = 1.0 / face->units_per_EM;
    // A deviation of 0 asks for the finest the font has: one design unit.
    double tolerance = deviation > 0 ? deviation : scale;
    // Synthetic bold thickens strokes by the amount FreeType's own
    // emboldening uses, a 24th of the em.
    FT_Pos thicken = embolden ? face->units_per_EM / 24 : 0;
    int built = 0;
    for (DWORD i = 0; i < count; i++) {
        if (FT_Load_Glyph(face, glyph_index(face, first + i),
                          FT_LOAD_NO_SCALE | FT_LOAD_NO_HINTING | FT_LOAD_NO_BITMAP) != 0 ||
            face->glyph->format != FT_GLYPH_FORMAT_OUTLINE) {
            // Its list stays as it was; its metrics say "nothing here".
            if (metrics != nullptr)
                metrics[i] = GLYPHMETRICSFLOAT{0, 0, {0, 0}, 0, 0};
            continue;
        }
        FT_GlyphSlot slot = face->glyph;
        if (thicken != 0)
            FT_Outline_EmboldenXY(&slot->outline, thicken, thicken);
        FT_BBox box{0, 0, 0, 0};
        if (slot->outline.n_points > 0)
            FT_Outline_Get_BBox(&slot->outline, &box);
        FlatOutline flat = flatten_outline(slot->outline, scale, tolerance);

        glNewList(list_base + i, GL_COMPILE);
        if (format == WGL_FONT_POLYGONS)
            compile_solid(flat, fill_triangles(tess, flat), extrusion);
        else
            compile_lines(flat);
        float advance = (float)((slot->metrics.horiAdvance + thicken) * scale);
        glTranslatef(advance, 0, 0);
        glEndList();

        if (metrics != nullptr) {
            GLYPHMETRICSFLOAT &m = metrics[i];
            m.gmfBlackBoxX = (float)((box.xMax - box.xMin) * scale);
            m.gmfBlackBoxY = (float)((box.yMax - box.yMin) * scale);
            m.gmfptGlyphOrigin.x = (float)(box.xMin * scale);
            m.gmfptGlyphOrigin.y = (float)(box.yMax * scale);
            m.gmfCellIncX = advance;
            m.gmfCellIncY = 0;
        }
        built++;
    }
    if (tess != nullptr)
        gluDeleteTess(tess);
    return built > 0 ? TRUE : FALSE;
}
