// wglUseFontOutlinesA over FreeType: the glyphs of the font selected into a
// device context become display lists of solid geometry in em units, with
// their metrics. This file walks FreeType's outlines; flattening, fill and
// extrusion are platform/glyphs/, which the Windows build shares. Every list
// ends with the glyph's advance as a translation. Lists are only compiled,
// never executed, and no GL state is changed; no texture coordinates are
// given, so glyphs take whatever the caller has current.
#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_BBOX_H
#include FT_OUTLINE_H

#include <vector>

#include "platform/glyphs/glyph_geometry.h"
#include "platform/freetype/freetype_font.h"
#include "platform/platform_hooks.h"
#include "platform/platform_internal.h"
#include "platform/wgl.h"

static GlyphPoint midpoint(GlyphPoint a, GlyphPoint b)
{
    return GlyphPoint{(a.x + b.x) / 2, (a.y + b.y) / 2};
}

// Walks one FreeType contour (points first..last) into a closed polyline.
// Two conic control points in a row imply an on-curve point halfway between
// them; cubic control points come in pairs. A malformed contour yields an
// empty polyline, which adds nothing to the glyph.
static std::vector<GlyphPoint> flatten_contour(const FT_Outline &outline, int first, int last,
                                               double scale, double tolerance)
{
    struct Node {
        GlyphPoint p;
        char tag;
    };
    std::vector<Node> nodes;
    for (int i = first; i <= last; i++) {
        char tag = FT_CURVE_TAG(outline.tags[i]);
        GlyphPoint p{outline.points[i].x * scale, outline.points[i].y * scale};
        if (tag == FT_CURVE_TAG_CONIC && !nodes.empty() && nodes.back().tag == FT_CURVE_TAG_CONIC)
            nodes.push_back(Node{midpoint(nodes.back().p, p), FT_CURVE_TAG_ON});
        nodes.push_back(Node{p, tag});
    }
    if (nodes.size() > 1 && nodes.front().tag == FT_CURVE_TAG_CONIC &&
        nodes.back().tag == FT_CURVE_TAG_CONIC)
        nodes.push_back(Node{midpoint(nodes.back().p, nodes.front().p), FT_CURVE_TAG_ON});

    std::vector<GlyphPoint> contour;
    size_t start = 0;
    while (start < nodes.size() && nodes[start].tag != FT_CURVE_TAG_ON)
        start++;
    if (start == nodes.size())
        return contour;
    size_t count = nodes.size();
    auto at = [&](size_t k) -> const Node & { return nodes[(start + k) % count]; };

    AppendGlyphPoint(&contour, at(0).p);
    size_t k = 0;
    while (k < count) {
        const Node &a = at(k + 1);
        if (a.tag == FT_CURVE_TAG_ON) {
            AppendGlyphPoint(&contour, a.p);
            k += 1;
        } else if (a.tag == FT_CURVE_TAG_CONIC && at(k + 2).tag == FT_CURVE_TAG_ON && k + 2 <= count) {
            FlattenQuadratic(at(k).p, a.p, at(k + 2).p, tolerance, &contour);
            k += 2;
        } else if (a.tag == FT_CURVE_TAG_CUBIC && at(k + 2).tag == FT_CURVE_TAG_CUBIC &&
                   at(k + 3).tag == FT_CURVE_TAG_ON && k + 3 <= count) {
            GlyphPoint curve[4] = {at(k).p, a.p, at(k + 2).p, at(k + 3).p};
            FlattenCubic(curve, tolerance, &contour);
            k += 3;
        } else {
            return std::vector<GlyphPoint>();
        }
    }
    // The walk ends back at its start; the closing point is implied.
    CloseGlyphContour(&contour);
    return contour;
}

// The outline is read unscaled (font units, no hinting) and multiplied by
// `scale`, one over the em size, so the em square maps to 1.0 whatever
// height the font was made with. Outer contours run clockwise in TrueType
// fonts and counterclockwise in CFF ones; the orientation found here decides
// which side of a segment is outside.
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
        std::vector<GlyphPoint> contour = flatten_contour(outline, first, last, scale, tolerance);
        if (!contour.empty())
            flat.contours.push_back(std::move(contour));
        first = last + 1;
    }
    return flat;
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
    GLUtesselator *tess = format == WGL_FONT_POLYGONS ? NewGlyphTessellator() : nullptr;
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
        CompileGlyphList(tess, flat, format, extrusion);
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
