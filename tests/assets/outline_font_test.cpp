// The title font on real Mesa GL and the installed fonts: what the glyph
// lists draw (read back in feedback mode), where printing leaves the matrix
// and list base, which list names the font takes, and failed platform calls.
#include <gtest/gtest.h>

#include <GL/gl.h>
#include <dirent.h>

#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_FONT_FORMATS_H
#include FT_OUTLINE_H

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "assets/outline_font.h"
#include "platform/fake/fake_platform.h"
#include "platform/freetype/freetype_font.h"
#include "platform/platform_internal.h"
#include "shell/scene_window.h"
#include "support/offscreen_gl.h"
#include "support/program_state.h"

namespace {

const float kDepth = 0.5f;

struct Vertex {
    double x, y, z;   // back in em units
    double red;       // lit colour, for the normal checks
};

struct Capture {
    std::vector<std::vector<Vertex>> polygons;
    std::vector<float> pass_through;
    size_t values = 0;  // everything the GL reported
};

// What `draw` gives in feedback under an orthographic view of the square
// -1..2 em, so window coordinates map back to em units exactly (100 pixels an
// em, depth (1 - z) / 2). The projection is sheared a little along z, out of
// lighting's sight, since the GL reports no polygon seen edge-on, as the side
// walls would be.
const double kShearX = 0.3, kShearY = 0.2;

template <typename Draw>
Capture Feedback(Draw draw)
{
    glViewport(0, 0, 300, 300);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glOrtho(-1, 2, -1, 2, -1, 1);
    const GLdouble shear[16] = {1, 0, 0, 0, 0, 1, 0, 0, kShearX, kShearY, 1, 0, 0, 0, 0, 1};
    glMultMatrixd(shear);
    glMatrixMode(GL_MODELVIEW);
    std::vector<GLfloat> buffer(1 << 20);
    glFeedbackBuffer((GLsizei)buffer.size(), GL_3D_COLOR, buffer.data());
    glRenderMode(GL_FEEDBACK);
    glLoadIdentity();
    draw();
    GLint count = glRenderMode(GL_RENDER);
    EXPECT_GE(count, 0) << "feedback buffer overflowed";
    Capture capture;
    capture.values = count > 0 ? (size_t)count : 0;
    const GLfloat *p = buffer.data(), *end = p + capture.values;
    auto vertex = [&]() {
        double z = 1 - 2.0 * p[2];
        Vertex v{p[0] / 100.0 - 1 - kShearX * z, p[1] / 100.0 - 1 - kShearY * z, z, p[3]};
        p += 7;
        return v;
    };
    while (p < end) {
        GLint token = (GLint)*p++;
        if (token == GL_POLYGON_TOKEN) {
            std::vector<Vertex> polygon((size_t)*p++);
            for (Vertex &v : polygon)
                v = vertex();
            capture.polygons.push_back(polygon);
        } else if (token == GL_PASS_THROUGH_TOKEN) {
            capture.pass_through.push_back(*p++);
        } else {
            vertex();  // points, bitmaps, pixel rectangles; lines have two
            if (token == GL_LINE_TOKEN || token == GL_LINE_RESET_TOKEN)
                vertex();
        }
    }
    return capture;
}

class OutlineFont : public ::testing::Test {
protected:
    void SetUp() override
    {
        ResetProgramState();
        device_context = &dc_;
        BuildOutlineFont();
    }
    void TearDown() override { device_context = nullptr; }

    Capture DrawGlyph(int code)
    {
        return Feedback([&] { glCallList(font_base + (GLuint)(code - 32)); });
    }

    // Stand-ins for the glyph lists of `codes` that only say which list ran.
    static void StandIns(const std::vector<unsigned char> &codes)
    {
        for (unsigned char code : codes) {
            glNewList(font_base + code - 32, GL_COMPILE);
            glPassThrough((GLfloat)code);
            glEndList();
        }
    }

    OffscreenGL gl_;
    PlatformDC dc_{nullptr, nullptr};
};

// The title font as built (CFF: cubic curves, outer contours
// counterclockwise), flattened finer, and a TrueType face (quadratic curves,
// outer contours clockwise) flattened finer, each into the same lists.
struct Outlining {
    const char *name;
    const char *face;
    float deviation;
};

void PrintTo(const Outlining &o, std::ostream *os)
{
    *os << o.face << " at " << o.deviation << " em";
}

class OutlineGeometry : public OutlineFont, public ::testing::WithParamInterface<Outlining> {
protected:
    void SetUp() override
    {
        OutlineFont::SetUp();
        if (std::string(GetParam().name) == "Title")
            return;
        SelectObject(&dc_, CreateFontA(-12, 0, 0, 0, FW_BOLD, 0, 0, 0, HANGUL_CHARSET, OUT_TT_PRECIS,
                                       CLIP_DEFAULT_PRECIS, ANTIALIASED_QUALITY, 0, GetParam().face));
        ASSERT_EQ(TRUE, wglUseFontOutlinesA(&dc_, 32, 96, font_base, GetParam().deviation, kDepth,
                                            WGL_FONT_POLYGONS, glyph_metrics));
        FT_Face face = FaceOfFont(reinterpret_cast<PlatformGdiObject *>(dc_.font), nullptr);
        if (std::string(GetParam().name) == "TrueType" &&
            (face == nullptr || std::string(FT_Get_Font_Format(face)) != "TrueType"))
            GTEST_SKIP() << GetParam().face << " did not resolve to a TrueType face";
    }
};

INSTANTIATE_TEST_SUITE_P(Faces, OutlineGeometry,
                         ::testing::Values(Outlining{"Title", "Comic Sans MS", 0.1f},
                                           Outlining{"FineCubic", "Comic Sans MS", 0.005f},
                                           Outlining{"TrueType", "DejaVu Sans", 0.005f}),
                         [](const ::testing::TestParamInfo<Outlining> &info) {
                             return std::string(info.param.name);
                         });

bool IsLevel(double z, double level)
{
    return std::fabs(z - level) < 1e-4;
}

// Polygons of the side walls reach from the front to the back; the fills
// lie wholly in one plane.
bool IsWall(const std::vector<Vertex> &polygon)
{
    bool front = false, back = false;
    for (const Vertex &v : polygon) {
        front = front || IsLevel(v.z, 0);
        back = back || IsLevel(v.z, -kDepth);
    }
    return front && back;
}

double SignedArea(const std::vector<Vertex> &polygon)
{
    double area = 0;
    for (size_t i = 0; i < polygon.size(); i++) {
        const Vertex &a = polygon[i], &b = polygon[(i + 1) % polygon.size()];
        area += a.x * b.y - b.x * a.y;
    }
    return area / 2;
}

bool InsideTriangle(double x, double y, const std::vector<Vertex> &t)
{
    double d[3];
    for (int i = 0; i < 3; i++) {
        const Vertex &a = t[i], &b = t[(i + 1) % 3];
        d[i] = (b.x - a.x) * (y - a.y) - (b.y - a.y) * (x - a.x);
    }
    return (d[0] >= 0 && d[1] >= 0 && d[2] >= 0) || (d[0] <= 0 && d[1] <= 0 && d[2] <= 0);
}

bool InsideFrontFill(double x, double y, const Capture &glyph)
{
    for (const std::vector<Vertex> &p : glyph.polygons)
        if (p.size() == 3 && !IsWall(p) && IsLevel(p[0].z, 0) && InsideTriangle(x, y, p))
            return true;
    return false;
}

// The wall's edge on the front plane (or, for half of a split quad, on the
// back one) as seen from +z: the contour segment it stands on.
bool WallEdge(const std::vector<Vertex> &wall, Vertex *a, Vertex *b)
{
    for (size_t i = 0; i < wall.size(); i++) {
        const Vertex &p = wall[i], &q = wall[(i + 1) % wall.size()];
        if (IsLevel(p.z, q.z)) {
            *a = p;
            *b = q;
            return true;
        }
    }
    return false;
}

// The wall's facing, worked out from the order of its corners.
void WallFacing(const std::vector<Vertex> &wall, double *nx, double *ny)
{
    double x = 0, y = 0;
    for (size_t i = 0; i < wall.size(); i++) {
        const Vertex &a = wall[i], &b = wall[(i + 1) % wall.size()];
        x += (a.y - b.y) * (a.z + b.z);
        y += (a.z - b.z) * (a.x + b.x);
    }
    double length = std::sqrt(x * x + y * y);
    *nx = length > 0 ? x / length : 0;
    *ny = length > 0 ? y / length : 0;
}

double DistanceToSegment(double x, double y, const Vertex &a, const Vertex &b)
{
    double dx = b.x - a.x, dy = b.y - a.y;
    double t = dx == 0 && dy == 0 ? 0 : ((x - a.x) * dx + (y - a.y) * dy) / (dx * dx + dy * dy);
    t = t < 0 ? 0 : (t > 1 ? 1 : t);
    return std::hypot(a.x + t * dx - x, a.y + t * dy - y);
}

TEST_F(OutlineFont, PrintingCallsTheListOfEachByteInOrder)
{
    StandIns({' ', 'G', 'R', 'O', 'U', 'P', '_'});
    Capture c = Feedback([] { PrintOutlineText(" GROUP_G "); });
    EXPECT_EQ((std::vector<float>{' ', 'G', 'R', 'O', 'U', 'P', '_', 'G', ' '}), c.pass_through);
    // With a base below 32 the list base wraps around; bytes of 128 and
    // more count as unsigned.
    font_base = 20;
    StandIns({' ', 'G', 0xC8});
    c = Feedback([&] { PrintOutlineText(" G\xC8"); });
    EXPECT_EQ((std::vector<float>{32, 71, 200}), c.pass_through);
}

TEST_F(OutlineFont, PrintingMovesByTheAdvancesAndRestoresTheListBase)
{
    glListBase(1234);
    Capture empty = Feedback([] { PrintOutlineText(""); });
    EXPECT_EQ(0u, empty.values) << "an empty string drew something";
    GLint base = 0;
    glGetIntegerv(GL_LIST_BASE, &base);
    EXPECT_EQ(1234, base) << "list base after printing nothing";
    GLfloat m[16];
    glGetFloatv(GL_MODELVIEW_MATRIX, m);
    EXPECT_EQ(0.0f, m[12]) << "an empty string moved the origin";

    glLoadIdentity();
    PrintOutlineText(" GROUP_G ");
    glGetIntegerv(GL_LIST_BASE, &base);
    EXPECT_EQ(1234, base) << "list base after printing";

    float advance = 0;
    for (char c : std::string(" GROUP_G "))
        advance += glyph_metrics[c - 32].gmfCellIncX;
    glGetFloatv(GL_MODELVIEW_MATRIX, m);
    EXPECT_GT(advance, 3.0f) << "nine glyphs of a normal font advance several ems";
    EXPECT_NEAR(advance, m[12], 1e-4) << "x translation after the title";
    EXPECT_EQ(0.0f, m[13]);
    EXPECT_EQ(0.0f, m[14]);
}

TEST_P(OutlineGeometry, EveryGlyphFillsItsBlackBoxFromFrontToBack)
{
    int solid_glyphs = 0;
    for (int code = 32; code < 128; code++) {
        const GLYPHMETRICSFLOAT &g = glyph_metrics[code - 32];
        Capture glyph = DrawGlyph(code);
        if (code == ' ') {
            EXPECT_EQ(0u, glyph.values) << "the space draws nothing";
            EXPECT_GT(g.gmfCellIncX, 0.1f) << "but moves on";
            continue;
        }
        ASSERT_FALSE(glyph.polygons.empty()) << "code " << code << " drew nothing";
        solid_glyphs++;
        double lo[3] = {1e9, 1e9, 1e9}, hi[3] = {-1e9, -1e9, -1e9};
        for (const auto &p : glyph.polygons)
            for (const Vertex &v : p)
                for (int k = 0; k < 3; k++) {
                    lo[k] = std::min(lo[k], k == 0 ? v.x : k == 1 ? v.y : v.z);
                    hi[k] = std::max(hi[k], k == 0 ? v.x : k == 1 ? v.y : v.z);
                }
        // Every curve point lies within the deviation of the drawn outline, so
        // each side's extreme lies inside its edge by at most the deviation.
        double left = g.gmfptGlyphOrigin.x, top = g.gmfptGlyphOrigin.y;
        double inset[4] = {lo[0] - left, left + g.gmfBlackBoxX - hi[0],
                           lo[1] - (top - g.gmfBlackBoxY), top - hi[1]};
        for (int side = 0; side < 4; side++) {
            SCOPED_TRACE("code " + std::to_string(code) + ", side " + "LRBT"[side]);
            EXPECT_GE(inset[side], -1e-3);
            EXPECT_LE(inset[side], GetParam().deviation);
        }
        EXPECT_NEAR(-kDepth, lo[2], 1e-4) << "back of code " << code;
        EXPECT_NEAR(0.0, hi[2], 1e-4) << "front of code " << code;
        EXPECT_GT(g.gmfCellIncX, 0.0f) << "code " << code;
        EXPECT_EQ(0.0f, g.gmfCellIncY) << "code " << code;
    }
    EXPECT_EQ(95, solid_glyphs);
}

TEST_P(OutlineGeometry, FacesAndWallsFaceOutwardsAndAreLitThatWay)
{
    // Light 0 shines along +x: a wall's red is 0.2 ambient plus its normal's
    // x component of diffuse white, so the red tells the list's normal.
    glEnable(GL_LIGHTING);
    glEnable(GL_LIGHT0);
    glEnable(GL_COLOR_MATERIAL);
    const GLfloat along_x[4] = {1, 0, 0, 0};
    glLightfv(GL_LIGHT0, GL_POSITION, along_x);
    glColor3f(1, 1, 1);

    for (char code : std::string("GROUP_8@&aes")) {
        Capture glyph = DrawGlyph(code);
        int walls = 0, checked = 0;
        for (const auto &p : glyph.polygons) {
            if (!IsWall(p)) {
                // Front fills turn counterclockwise seen from +z, back ones
                // the other way, so both face away from the glyph.
                if (IsLevel(p[0].z, 0))
                    EXPECT_GT(SignedArea(p), 0) << "front fill of '" << code << "'";
                else
                    EXPECT_LT(SignedArea(p), 0) << "back fill of '" << code << "'";
                continue;
            }
            walls++;
            double nx, ny;
            WallFacing(p, &nx, &ny);
            for (const Vertex &v : p)
                EXPECT_NEAR(std::min(1.0, 0.2 + std::max(nx, 0.0)), v.red, 0.01)
                    << "lit wall of '" << code << "': normal disagrees with facing";
            Vertex a, b;
            ASSERT_TRUE(WallEdge(p, &a, &b));
            if (std::hypot(b.x - a.x, b.y - a.y) < 0.03)
                continue;
            double mx = (a.x + b.x) / 2, my = (a.y + b.y) / 2, step = 0.004;
            EXPECT_FALSE(InsideFrontFill(mx + nx * step, my + ny * step, glyph))
                << "wall of '" << code << "' at (" << mx << ", " << my << ") faces into the glyph";
            EXPECT_TRUE(InsideFrontFill(mx - nx * step, my - ny * step, glyph))
                << "wall of '" << code << "' at (" << mx << ", " << my << ") has no fill behind it";
            checked++;
        }
        EXPECT_GT(walls, 4) << "'" << code << "' has side walls";
        EXPECT_GT(checked, 0) << "'" << code << "'";
    }
}

// The exact outline's curves, of 3 or 4 control points. Moves and lines
// alike only set where the next curve starts: one point, skipped.
using ExactCurves = std::vector<std::vector<FT_Vector>>;
int MoveTo(const FT_Vector *to, void *user)
{
    static_cast<ExactCurves *>(user)->push_back({*to});
    return 0;
}
int CurveTo(void *user, std::vector<FT_Vector> points)
{
    ExactCurves *e = static_cast<ExactCurves *>(user);
    points.insert(points.begin(), e->back().back());
    e->push_back(points);
    return 0;
}
int ConicTo(const FT_Vector *c, const FT_Vector *to, void *user) { return CurveTo(user, {*c, *to}); }
int CubicTo(const FT_Vector *c1, const FT_Vector *c2, const FT_Vector *to, void *user)
{
    return CurveTo(user, {*c1, *c2, *to});
}

TEST_P(OutlineGeometry, FlattenedOutlineStaysWithinTheDeviationOfTheCurves)
{
    FT_Face face = FaceOfFont(reinterpret_cast<PlatformGdiObject *>(dc_.font), nullptr);
    ASSERT_NE(nullptr, face) << "the title font resolved to no face";
    double scale = 1.0 / face->units_per_EM;
    const FT_Outline_Funcs funcs = {MoveTo, MoveTo, ConicTo, CubicTo, 0, 0};
    int curves_checked = 0;
    for (char code : std::string("GOS8@&ace")) {
        Capture glyph = DrawGlyph(code);
        std::vector<std::pair<Vertex, Vertex>> edges;
        for (const auto &p : glyph.polygons) {
            Vertex a, b;
            if (IsWall(p) && WallEdge(p, &a, &b))
                edges.push_back({a, b});
        }
        ASSERT_FALSE(edges.empty());

        ASSERT_EQ(0, FT_Load_Char(face, (FT_ULong)code, FT_LOAD_NO_SCALE | FT_LOAD_NO_HINTING));
        ExactCurves exact;
        ASSERT_EQ(0, FT_Outline_Decompose(&face->glyph->outline, &funcs, &exact));
        double worst = 0;
        for (const auto &c : exact) {
            if (c.size() < 3)
                continue;
            for (int i = 0; i <= 64; i++) {
                // Bernstein form; the inner weights are 2 (conic) or 3 (cubic).
                int n = (int)c.size() - 1;
                double t = i / 64.0, x = 0, y = 0;
                for (int k = 0; k <= n; k++) {
                    double w = (k == 0 || k == n ? 1 : n) * std::pow(1 - t, n - k) * std::pow(t, k);
                    x += w * c[k].x;
                    y += w * c[k].y;
                }
                double nearest = 1e9;
                for (const auto &e : edges)
                    nearest = std::min(nearest, DistanceToSegment(x * scale, y * scale, e.first, e.second));
                worst = std::max(worst, nearest);
            }
            curves_checked++;
        }
        EXPECT_LE(worst, GetParam().deviation + 1e-3) << "'" << code << "' strays from its curves";
    }
    EXPECT_GT(curves_checked, 20) << "the sample glyphs have curves";
}

TEST_F(OutlineFont, GlyphListsNeverTakeTheTextureNamesAndGoOnDelete)
{
    EXPECT_GT(font_base, 5u) << "the 96 glyph lists start at " << font_base;
    for (GLuint i = 0; i < 96; i++)
        EXPECT_TRUE(glIsList(font_base + i)) << "glyph list for code " << 32 + i;
    // The names stay free for the texture lists: nothing but empty lists.
    for (GLuint name = 1; name <= 5; name++) {
        Capture c = Feedback([&] { glCallList(name); });
        EXPECT_EQ(0u, c.values) << "list " << name << " drew something";
    }
    // Without a reserved range, deleting leaves the texture lists alone.
    GLuint base = font_base;
    font_base = 0;
    DeleteOutlineFont();
    for (GLuint name = 1; name <= 5; name++)
        EXPECT_TRUE(glIsList(name)) << "list " << name << " was deleted";
    font_base = base;
    DeleteOutlineFont();
    for (GLuint i = 0; i < 96; i++)
        EXPECT_FALSE(glIsList(font_base + i)) << "glyph list for code " << 32 + i;
    Capture c = Feedback([] { PrintOutlineText(" GROUP_G "); });
    EXPECT_EQ(0u, c.values);
    EXPECT_TRUE(glIsList(1)) << "the texture list names are not the font's to delete";
}

TEST_F(OutlineFont, FailedPlatformCallLeavesTheTitleInvisibleAndSilent)
{
    for (const char *operation : {"CreateFontA", "SelectObject", "wglUseFontOutlinesA"}) {
        OffscreenGL fresh;
        PlatformDC dc{nullptr, nullptr};
        device_context = &dc;
        FakeReset();
        FakeFailCall(operation);
        BuildOutlineFont();
        EXPECT_GT(font_base, 5u) << operation;
        Capture c = Feedback([] { PrintOutlineText(" GROUP_G "); });
        EXPECT_EQ(0u, c.values) << "the title drew something after " << operation << " failed";
        EXPECT_TRUE(FakeMessageBoxes().empty()) << operation;
    }
}

// Open files and mappings of font files: a face holds one or the other.
int FontFileHandles()
{
    int count = 0;
    if (DIR *dir = opendir("/proc/self/fd")) {
        while (readdir(dir) != nullptr)
            count++;
        closedir(dir);
    }
    if (FILE *maps = fopen("/proc/self/maps", "r")) {
        char line[1024];
        while (fgets(line, sizeof line, maps) != nullptr)
            count += strstr(line, "/fonts/") != nullptr;
        fclose(maps);
    }
    return count;
}

TEST_F(OutlineFont, RepeatedBuildsOpenTheFontFileNoMoreTimes)
{
    // The first build has opened the face; later ones reuse it.
    int before = FontFileHandles();
    for (int i = 0; i < 20; i++) {
        OffscreenGL fresh;
        BuildOutlineFont();
    }
    EXPECT_EQ(before, FontFileHandles()) << "font files held after 20 more builds";
}

TEST(FontObjects, SelectObjectHandsBackWhatWasSelectedBefore)
{
    ResetProgramState();
    PlatformDC dc{nullptr, nullptr};
    HFONT first = CreateFontA(-12, 0, 0, 0, FW_BOLD, 0, 0, 0, 0, 0, 0, 0, 0, "Comic Sans MS");
    HFONT second = CreateFontA(-12, 0, 0, 0, FW_BOLD, 0, 0, 0, 0, 0, 0, 0, 0, "Comic Sans MS");
    ASSERT_NE(nullptr, first);
    EXPECT_NE(first, second) << "each call makes its own object";
    HGDIOBJ initial = SelectObject(&dc, first);
    EXPECT_NE(nullptr, initial) << "a fresh context reports its default font";
    EXPECT_EQ(first, SelectObject(&dc, second));
    EXPECT_EQ(second, dc.font);
    EXPECT_EQ(nullptr, SelectObject(nullptr, first)) << "no context, nothing selected";
}

}  // namespace
