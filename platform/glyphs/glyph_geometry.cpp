// Flattening, filling and extruding glyph outlines into display lists; see
// glyph_geometry.h. The fill is GLU's tessellator under the outline's own
// winding rule, asked for separate triangles only.
#include "platform/glyphs/glyph_geometry.h"

#include <cmath>
#include <deque>
#include <utility>

#include "platform/wgl.h"

// GLU's header names the callback type differently on each platform.
#ifdef _WIN32
typedef void(CALLBACK *TessCallback)(void);
#define GLYPH_TESS_CALL CALLBACK
#else
typedef _GLUfuncptr TessCallback;
#define GLYPH_TESS_CALL GLAPIENTRY
#endif

namespace {

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

static GlyphPoint lerp(GlyphPoint a, GlyphPoint b, double t)
{
    return GlyphPoint{a.x + (b.x - a.x) * t, a.y + (b.y - a.y) * t};
}

static double length(double x, double y)
{
    return std::sqrt(x * x + y * y);
}

void AppendGlyphPoint(std::vector<GlyphPoint> *contour, GlyphPoint p)
{
    if (!contour->empty() && contour->back().x == p.x && contour->back().y == p.y)
        return;
    contour->push_back(p);
}

// Splits the quadratic into n equal steps, n as small as keeps every chord
// within tolerance. A quadratic strays from its chord by exactly a quarter of
// its second difference, and n steps divide that difference by n squared.
void FlattenQuadratic(GlyphPoint p0, GlyphPoint p1, GlyphPoint p2, double tolerance,
                              std::vector<GlyphPoint> *contour)
{
    double bend = length(p0.x - 2 * p1.x + p2.x, p0.y - 2 * p1.y + p2.y);
    int steps = 1;
    if (bend > 4 * tolerance)
        steps = (int)std::ceil(std::sqrt(bend / (4 * tolerance)));
    for (int i = 1; i < steps; i++) {
        double t = (double)i / steps;
        AppendGlyphPoint(contour, lerp(lerp(p0, p1, t), lerp(p1, p2, t), t));
    }
    AppendGlyphPoint(contour, p2);
}

static GlyphPoint cubic_at(const GlyphPoint p[4], double t)
{
    double u = 1 - t;
    double a = u * u * u, b = 3 * u * u * t, c = 3 * u * t * t, d = t * t * t;
    return GlyphPoint{a * p[0].x + b * p[1].x + c * p[2].x + d * p[3].x,
                 a * p[0].y + b * p[1].y + c * p[2].y + d * p[3].y};
}

static GlyphPoint cubic_slope(const GlyphPoint p[4], double t)
{
    double u = 1 - t;
    double a = 3 * u * u, b = 6 * u * t, c = 3 * t * t;
    return GlyphPoint{a * (p[1].x - p[0].x) + b * (p[2].x - p[1].x) + c * (p[3].x - p[2].x),
                 a * (p[1].y - p[0].y) + b * (p[2].y - p[1].y) + c * (p[3].y - p[2].y)};
}

// How far the piece of the cubic between t0 and t1 can stray from its chord:
// the piece minus the straight line is 3t(1-t)^2 u1 + 3t^2(1-t) u2, where u1
// and u2 are how far the piece's inner control points sit from a third and
// two thirds of the chord, so 3/4 of the larger one bounds it.
static double cubic_piece_deviation(const GlyphPoint p[4], double t0, double t1)
{
    double h = (t1 - t0) / 3;
    GlyphPoint q0 = cubic_at(p, t0), q3 = cubic_at(p, t1);
    GlyphPoint s0 = cubic_slope(p, t0), s1 = cubic_slope(p, t1);
    GlyphPoint q1{q0.x + h * s0.x, q0.y + h * s0.y};
    GlyphPoint q2{q3.x - h * s1.x, q3.y - h * s1.y};
    double u1 = length(q1.x - (2 * q0.x + q3.x) / 3, q1.y - (2 * q0.y + q3.y) / 3);
    double u2 = length(q2.x - (q0.x + 2 * q3.x) / 3, q2.y - (q0.y + 2 * q3.y) / 3);
    return 0.75 * (u1 > u2 ? u1 : u2);
}

// Splits the cubic into the fewest equal steps whose pieces all stay within
// tolerance. The count of the standard second-difference bound always
// suffices, so the search stops there at the latest.
void FlattenCubic(const GlyphPoint p[4], double tolerance, std::vector<GlyphPoint> *contour)
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
        AppendGlyphPoint(contour, cubic_at(p, (double)i / steps));
    AppendGlyphPoint(contour, p[3]);
}

// The tessellator's callbacks. With an edge-flag callback installed it hands
// out separate triangles only, three corners each.
static void GLYPH_TESS_CALL tess_begin(GLenum type, void *data)
{
    if (type != GL_TRIANGLES)
        static_cast<Tessellation *>(data)->failed = true;
}

static void GLYPH_TESS_CALL tess_edge_flag(GLboolean, void *) {}

static void GLYPH_TESS_CALL tess_vertex(void *vertex, void *data)
{
    static_cast<Tessellation *>(data)->corners.push_back(static_cast<const TessVertex *>(vertex));
}

// Where contours cross, the tessellator needs a vertex of its own.
static void GLYPH_TESS_CALL tess_combine(GLdouble coords[3], void *[4], GLfloat[4], void **out,
                                    void *data)
{
    Tessellation *t = static_cast<Tessellation *>(data);
    t->vertices.push_back(TessVertex{{coords[0], coords[1], coords[2]}});
    *out = &t->vertices.back();
}

static void GLYPH_TESS_CALL tess_error(GLenum, void *data)
{
    static_cast<Tessellation *>(data)->failed = true;
}

GLUtesselator *NewGlyphTessellator(void)
{
    GLUtesselator *tess = gluNewTess();
    if (tess == nullptr)
        return nullptr;
    gluTessCallback(tess, GLU_TESS_BEGIN_DATA, reinterpret_cast<TessCallback>(tess_begin));
    gluTessCallback(tess, GLU_TESS_EDGE_FLAG_DATA, reinterpret_cast<TessCallback>(tess_edge_flag));
    gluTessCallback(tess, GLU_TESS_VERTEX_DATA, reinterpret_cast<TessCallback>(tess_vertex));
    gluTessCallback(tess, GLU_TESS_COMBINE_DATA, reinterpret_cast<TessCallback>(tess_combine));
    gluTessCallback(tess, GLU_TESS_ERROR_DATA, reinterpret_cast<TessCallback>(tess_error));
    gluTessNormal(tess, 0, 0, 1);
    return tess;
}

// Fills the outline into triangles, each turned counterclockwise seen from +z
// (the tessellator's own orientation is not relied on); slivers of no area
// are dropped since they draw nothing.
static std::vector<GlyphPoint> fill_triangles(GLUtesselator *tess, const FlatOutline &flat)
{
    Tessellation t;
    t.failed = false;
    for (const std::vector<GlyphPoint> &contour : flat.contours) {
        for (GlyphPoint p : contour)
            t.vertices.push_back(TessVertex{{p.x, p.y, 0}});
    }
    gluTessProperty(tess, GLU_TESS_WINDING_RULE,
                    flat.even_odd ? GLU_TESS_WINDING_ODD : GLU_TESS_WINDING_NONZERO);
    gluTessBeginPolygon(tess, &t);
    size_t next = 0;
    for (const std::vector<GlyphPoint> &contour : flat.contours) {
        gluTessBeginContour(tess);
        for (size_t i = 0; i < contour.size(); i++, next++)
            gluTessVertex(tess, t.vertices[next].xyz, &t.vertices[next]);
        gluTessEndContour(tess);
    }
    gluTessEndPolygon(tess);

    std::vector<GlyphPoint> triangles;
    if (t.failed)
        return triangles;
    for (size_t i = 0; i + 2 < t.corners.size(); i += 3) {
        GlyphPoint a{t.corners[i]->xyz[0], t.corners[i]->xyz[1]};
        GlyphPoint b{t.corners[i + 1]->xyz[0], t.corners[i + 1]->xyz[1]};
        GlyphPoint c{t.corners[i + 2]->xyz[0], t.corners[i + 2]->xyz[1]};
        double area = (b.x - a.x) * (c.y - a.y) - (c.x - a.x) * (b.y - a.y);
        if (area == 0)
            continue;
        triangles.push_back(a);
        triangles.push_back(area > 0 ? b : c);
        triangles.push_back(area > 0 ? c : b);
    }
    return triangles;
}

static void emit_vertex(GlyphPoint p, float z)
{
    glVertex3f((float)p.x, (float)p.y, z);
}

// Compiles the solid glyph: front fill, back fill, side walls, all as one
// run of separate triangles, walls included as triangle pairs (see the
// header for why).
static void compile_solid(const FlatOutline &flat, const std::vector<GlyphPoint> &triangles,
                          float depth)
{
    if (flat.contours.empty())
        return;
    glBegin(GL_TRIANGLES);
    glNormal3f(0, 0, 1);
    for (GlyphPoint p : triangles)
        emit_vertex(p, 0);
    if (depth > 0) {
        glNormal3f(0, 0, -1);
        // Reversed, so the back fill faces the viewer behind the glyph.
        for (size_t i = 0; i + 2 < triangles.size(); i += 3) {
            emit_vertex(triangles[i], -depth);
            emit_vertex(triangles[i + 2], -depth);
            emit_vertex(triangles[i + 1], -depth);
        }
        for (const std::vector<GlyphPoint> &contour : flat.contours) {
            for (size_t i = 0; i < contour.size(); i++) {
                GlyphPoint a = contour[i], b = contour[(i + 1) % contour.size()];
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
    for (const std::vector<GlyphPoint> &contour : flat.contours) {
        glBegin(GL_LINE_LOOP);
        for (GlyphPoint p : contour)
            glVertex3f((float)p.x, (float)p.y, 0);
        glEnd();
    }
}

void CloseGlyphContour(std::vector<GlyphPoint> *contour)
{
    if (contour->size() > 1 && contour->back().x == contour->front().x &&
        contour->back().y == contour->front().y)
        contour->pop_back();
    if (contour->size() < 2)
        contour->clear();
}

void CompileGlyphList(GLUtesselator *tess, const FlatOutline &flat, int format, float extrusion)
{
    if (format == WGL_FONT_POLYGONS)
        compile_solid(flat, fill_triangles(tess, flat), extrusion);
    else
        compile_lines(flat);
}
