// The title's glyph lists on Windows: the outlines of the font selected into
// the device context, read through GDI at the font's em size without hinting,
// and built into solid lists by platform/glyphs/, the same geometry the
// stand-in builds from FreeType. wgl.h sends the program's
// wglUseFontOutlinesA calls here.
//
// The system's own wglUseFontOutlinesA is left aside: where opengl32 is
// Wine's, it ignores the extrusion (the title comes out flat) and fills the
// glyphs with mixed fans, strips and triangles, on which Mesa's selection
// mode crashes and then deadlocks, so the first click would hang the program.
// Built here, the lists are the same on every system.
#include <cstddef>
#include <cstring>
#include <vector>

#include "platform/glyphs/glyph_geometry.h"
#include "platform/wgl.h"

namespace {

double em_units(FIXED value, double scale)
{
    return (value.value + value.fract / 65536.0) * scale;
}

GlyphPoint point_of(const POINTFX &p, double scale)
{
    return GlyphPoint{em_units(p.x, scale), em_units(p.y, scale)};
}

// Adds one curve record of GDI's native outline to the contour, from
// `*current` on: straight lines; quadratic B-splines, where two control
// points in a row imply an on-curve point halfway between them and the
// record's last point lies on the curve; cubic Beziers in threes, which
// PostScript outlines use. False for a record of another kind or shape.
bool add_curve(const TTPOLYCURVE &curve, double scale, double tolerance, GlyphPoint *current,
               std::vector<GlyphPoint> *contour)
{
    const POINTFX *p = curve.apfx;
    int n = curve.cpfx;
    switch (curve.wType) {
    case TT_PRIM_LINE:
        for (int i = 0; i < n; i++)
            AppendGlyphPoint(contour, *current = point_of(p[i], scale));
        return true;
    case TT_PRIM_QSPLINE:
        if (n < 2)
            return false;
        for (int i = 0; i + 1 < n; i++) {
            GlyphPoint control = point_of(p[i], scale);
            GlyphPoint next = point_of(p[i + 1], scale);
            GlyphPoint end = i + 2 < n ? GlyphPoint{(control.x + next.x) / 2, (control.y + next.y) / 2}
                                       : next;
            FlattenQuadratic(*current, control, end, tolerance, contour);
            *current = end;
        }
        return true;
    case TT_PRIM_CSPLINE:
        if (n % 3 != 0)
            return false;
        for (int i = 0; i < n; i += 3) {
            GlyphPoint bezier[4] = {*current, point_of(p[i], scale), point_of(p[i + 1], scale),
                                    point_of(p[i + 2], scale)};
            FlattenCubic(bezier, tolerance, contour);
            *current = bezier[3];
        }
        return true;
    default:
        return false;
    }
}

// Walks the buffer GetGlyphOutline filled: a polygon header per contour, its
// curve records behind it. Every size is checked against the buffer, so a
// malformed outline ends the walk instead of reading past it. False when the
// outline could not be read whole.
bool flatten_outline(const BYTE *data, size_t size, double scale, double tolerance,
                     FlatOutline *flat)
{
    const size_t curve_head = offsetof(TTPOLYCURVE, apfx);
    size_t at = 0;
    while (size - at >= sizeof(TTPOLYGONHEADER)) {
        TTPOLYGONHEADER header;
        memcpy(&header, data + at, sizeof header);
        if (header.dwType != TT_POLYGON_TYPE || header.cb < sizeof header ||
            header.cb > size - at)
            return false;
        size_t end = at + header.cb;
        GlyphPoint current = point_of(header.pfxStart, scale);
        std::vector<GlyphPoint> contour;
        AppendGlyphPoint(&contour, current);
        for (size_t c = at + sizeof header; c < end;) {
            if (end - c < curve_head)
                return false;
            const TTPOLYCURVE *curve = reinterpret_cast<const TTPOLYCURVE *>(data + c);
            size_t bytes = curve_head + curve->cpfx * sizeof(POINTFX);
            if (curve->cpfx == 0 || bytes > end - c ||
                !add_curve(*curve, scale, tolerance, &current, &contour))
                return false;
            c += bytes;
        }
        CloseGlyphContour(&contour);
        if (!contour.empty())
            flat->contours.push_back(contour);
        at = end;
    }
    return at == size;
}

// TrueType outer contours run clockwise, PostScript ones counterclockwise;
// the sign of the whole outline's area says which the font is.
bool fills_left(const FlatOutline &flat)
{
    double twice_area = 0;
    for (const std::vector<GlyphPoint> &contour : flat.contours) {
        for (size_t i = 0; i < contour.size(); i++) {
            const GlyphPoint &a = contour[i];
            const GlyphPoint &b = contour[(i + 1) % contour.size()];
            twice_area += a.x * b.y - b.x * a.y;
        }
    }
    return twice_area > 0;
}

// The em square of the font selected into dc, in font units; 0 when it is
// not an outline font.
UINT em_square(HDC dc)
{
    UINT bytes = GetOutlineTextMetricsA(dc, 0, nullptr);
    if (bytes < sizeof(OUTLINETEXTMETRICA))
        return 0;
    std::vector<BYTE> buffer(bytes);
    OUTLINETEXTMETRICA *metrics = reinterpret_cast<OUTLINETEXTMETRICA *>(buffer.data());
    if (GetOutlineTextMetricsA(dc, bytes, metrics) == 0)
        return 0;
    return metrics->otmEMSquare;
}

// One glyph's list and metrics from the unscaled font selected into dc.
// False, with the list untouched, when GDI has no outline for the code.
bool build_glyph(HDC dc, UINT code, double scale, double tolerance, GLuint list,
                 GLUtesselator *tess, int format, float extrusion, GLYPHMETRICSFLOAT *metrics)
{
    static const MAT2 kIdentity = {{0, 1}, {0, 0}, {0, 0}, {0, 1}};
    const UINT kind = GGO_NATIVE | GGO_UNHINTED;
    GLYPHMETRICS gm;
    DWORD size = GetGlyphOutlineA(dc, code, kind, &gm, 0, nullptr, &kIdentity);
    if (size == GDI_ERROR)
        return false;
    std::vector<BYTE> outline(size);
    if (size > 0 && GetGlyphOutlineA(dc, code, kind, &gm, size, outline.data(), &kIdentity) == GDI_ERROR)
        return false;
    FlatOutline flat;
    flat.even_odd = false;  // GDI's outlines fill by the nonzero rule
    if (!flatten_outline(outline.data(), outline.size(), scale, tolerance, &flat))
        flat.contours.clear();
    flat.fill_left = fills_left(flat);

    glNewList(list, GL_COMPILE);
    CompileGlyphList(tess, flat, format, extrusion);
    glTranslatef((float)(gm.gmCellIncX * scale), (float)(gm.gmCellIncY * scale), 0);
    glEndList();

    if (metrics != nullptr) {
        metrics->gmfBlackBoxX = (float)(gm.gmBlackBoxX * scale);
        metrics->gmfBlackBoxY = (float)(gm.gmBlackBoxY * scale);
        metrics->gmfptGlyphOrigin.x = (float)(gm.gmptGlyphOrigin.x * scale);
        metrics->gmfptGlyphOrigin.y = (float)(gm.gmptGlyphOrigin.y * scale);
        metrics->gmfCellIncX = (float)(gm.gmCellIncX * scale);
        metrics->gmfCellIncY = (float)(gm.gmCellIncY * scale);
    }
    return true;
}

}  // namespace

BOOL SolidFontOutlinesA(HDC dc, DWORD first, DWORD count, DWORD list_base, FLOAT deviation,
                        FLOAT extrusion, int format, GLYPHMETRICSFLOAT *metrics)
{
    if (dc == nullptr || count == 0 ||
        (format != WGL_FONT_POLYGONS && format != WGL_FONT_LINES))
        return FALSE;
    // The outlines are read from a copy of the selected font at one font
    // unit per pixel, so the em square maps to 1.0 whatever height the
    // program asked for.
    UINT em = em_square(dc);
    LOGFONTA font;
    HGDIOBJ selected = GetCurrentObject(dc, OBJ_FONT);
    if (em == 0 || selected == nullptr || GetObjectA(selected, sizeof font, &font) == 0)
        return FALSE;
    font.lfHeight = -(LONG)em;
    font.lfWidth = 0;
    font.lfEscapement = 0;
    font.lfOrientation = 0;
    HFONT unscaled = CreateFontIndirectA(&font);
    GLUtesselator *tess = format == WGL_FONT_POLYGONS ? NewGlyphTessellator() : nullptr;
    if (unscaled == nullptr || (format == WGL_FONT_POLYGONS && tess == nullptr)) {
        if (unscaled != nullptr)
            DeleteObject(unscaled);
        return FALSE;
    }
    SelectObject(dc, unscaled);

    double scale = 1.0 / em;
    // A deviation of 0 asks for the finest the font has: one font unit.
    double tolerance = deviation > 0 ? deviation : scale;
    DWORD built = 0;
    for (DWORD i = 0; i < count; i++) {
        GLYPHMETRICSFLOAT *m = metrics != nullptr ? &metrics[i] : nullptr;
        if (build_glyph(dc, first + i, scale, tolerance, list_base + i, tess, format, extrusion, m))
            built++;
        else if (m != nullptr)
            *m = GLYPHMETRICSFLOAT{0, 0, {0, 0}, 0, 0};  // "nothing here"
    }

    SelectObject(dc, selected);
    DeleteObject(unscaled);
    if (tess != nullptr)
        gluDeleteTess(tess);
    return built > 0 ? TRUE : FALSE;
}
