// The cost of the assets on each display switch: BuildOutlineFont and
// LoadTeamTextures in a fresh offscreen Mesa context, timed over many
// contexts (median), beside what their raw inputs cost alone (reading the
// 96 outlines, reading the five pictures). Then the glyph geometry: the
// triangles and contour segments the 96 lists really draw, read back in
// feedback mode, beside what the same curves would take with the standard
// per-curve bound (the limit) and with one fixed count for every curve.
//
// Usage: font_textures_bench [BUILD_DIR]  (pictures from BUILD_DIR/run)
#include <GL/gl.h>
#include <GL/osmesa.h>
#include <unistd.h>

#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_OUTLINE_H

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "assets/bmp_loader.h"
#include "assets/outline_font.h"
#include "assets/team_textures.h"
#include "platform/freetype/freetype_font.h"
#include "platform/platform_internal.h"
#include "shell/scene_window.h"

namespace {

const double kDeviation = 0.1;
const int kRuns = 31;
const char *const kFiles[5] = {"KOREA.bmp", "TOGO.bmp", "BACK.bmp", "FRANCE.bmp", "SWIS.bmp"};

struct Context {
    OSMesaContext mesa;
    std::vector<unsigned char> buffer;
};

// A fresh context as a display switch makes one: 640 x 480, 16-bit depth.
Context *OpenContext()
{
    Context *c = new Context{OSMesaCreateContextExt(OSMESA_RGBA, 16, 0, 0, nullptr),
                             std::vector<unsigned char>(640 * 480 * 4)};
    if (c->mesa == nullptr ||
        !OSMesaMakeCurrent(c->mesa, c->buffer.data(), GL_UNSIGNED_BYTE, 640, 480)) {
        fprintf(stderr, "no offscreen GL context\n");
        exit(1);
    }
    return c;
}

void CloseContext(Context *c)
{
    glFinish();
    OSMesaMakeCurrent(nullptr, nullptr, GL_UNSIGNED_BYTE, 0, 0);
    OSMesaDestroyContext(c->mesa);
    delete c;
}

double Ms(std::chrono::steady_clock::time_point a, std::chrono::steady_clock::time_point b)
{
    return std::chrono::duration<double, std::milli>(b - a).count();
}

double Median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

// Triangles the glyph lists draw, split into fills and side walls, read back
// in feedback mode. The projection is sheared along z so that no wall is
// seen edge-on (the GL reports no such polygon).
struct Geometry {
    long fill_triangles = 0;
    long wall_triangles = 0;
};

Geometry CountGeometry()
{
    glViewport(0, 0, 300, 300);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glOrtho(-2, 3, -2, 3, -1, 1);
    const GLdouble shear[16] = {1, 0, 0, 0, 0, 1, 0, 0, 0.3173, 0.2291, 1, 0, 0, 0, 0, 1};
    glMultMatrixd(shear);
    glMatrixMode(GL_MODELVIEW);
    std::vector<GLfloat> buffer(1 << 22);
    Geometry g;
    for (GLuint i = 0; i < 96; i++) {
        glFeedbackBuffer((GLsizei)buffer.size(), GL_3D, buffer.data());
        glRenderMode(GL_FEEDBACK);
        glLoadIdentity();
        glCallList(font_base + i);
        GLint n = glRenderMode(GL_RENDER);
        for (GLint k = 0; k < n;) {
            GLint token = (GLint)buffer[k++];
            if (token != GL_POLYGON_TOKEN) {
                k += token == GL_PASS_THROUGH_TOKEN ? 1 : 3;
                continue;
            }
            int corners = (int)buffer[k++];
            float z0 = buffer[k + 2];
            bool flat = true;
            for (int c = 0; c < corners; c++, k += 3)
                flat = flat && buffer[k + 2] == z0;
            (flat ? g.fill_triangles : g.wall_triangles) += corners - 2;
        }
    }
    glLoadIdentity();
    return g;
}

// The curves of the 96 outlines as the font stores them, for the segment
// counts that other ways of flattening would give.
struct CurveCensus {
    long lines = 0;
    long quadratics = 0;
    long cubics = 0;
    std::vector<int> needed;  // per curve: steps by the standard bound
    FT_Vector last{0, 0};
    double scale = 1;
};

int CensusMove(const FT_Vector *to, void *user)
{
    static_cast<CurveCensus *>(user)->last = *to;
    return 0;
}
int CensusLine(const FT_Vector *to, void *user)
{
    CurveCensus *c = static_cast<CurveCensus *>(user);
    if (to->x != c->last.x || to->y != c->last.y)
        c->lines++;
    c->last = *to;
    return 0;
}
// Steps for a curve of degree d with largest second difference m (em): the
// uniform count that keeps every chord within the deviation,
// ceil(sqrt(d (d - 1) / 8 * m / deviation)).
int StepsFor(int degree, double m)
{
    double k = degree * (degree - 1) / 8.0 * m / kDeviation;
    return k <= 1 ? 1 : (int)std::ceil(std::sqrt(k));
}
int CensusConic(const FT_Vector *c1, const FT_Vector *to, void *user)
{
    CurveCensus *c = static_cast<CurveCensus *>(user);
    double m = std::hypot(c->last.x - 2.0 * c1->x + to->x, c->last.y - 2.0 * c1->y + to->y);
    c->quadratics++;
    c->needed.push_back(StepsFor(2, m * c->scale));
    c->last = *to;
    return 0;
}
int CensusCubic(const FT_Vector *c1, const FT_Vector *c2, const FT_Vector *to, void *user)
{
    CurveCensus *c = static_cast<CurveCensus *>(user);
    double m0 = std::hypot(c->last.x - 2.0 * c1->x + c2->x, c->last.y - 2.0 * c1->y + c2->y);
    double m1 = std::hypot(c1->x - 2.0 * c2->x + to->x, c1->y - 2.0 * c2->y + to->y);
    c->cubics++;
    c->needed.push_back(StepsFor(3, std::max(m0, m1) * c->scale));
    c->last = *to;
    return 0;
}

}  // namespace

int main(int argc, char **argv)
{
    std::string run_dir = argc > 1 ? std::string(argv[1]) + "/run" : GROUP_G_RUN_DIR;
    if (chdir(run_dir.c_str()) != 0) {
        fprintf(stderr, "no run folder at %s\n", run_dir.c_str());
        return 2;
    }
    PlatformDC dc{nullptr, nullptr};
    device_context = &dc;

    // The first build also starts fontconfig and opens the face.
    Context *context = OpenContext();
    auto t0 = std::chrono::steady_clock::now();
    BuildOutlineFont();
    auto t1 = std::chrono::steady_clock::now();
    LoadTeamTextures();
    auto t2 = std::chrono::steady_clock::now();
    double first_font = Ms(t0, t1), first_textures = Ms(t1, t2);
    Geometry geometry = CountGeometry();
    CloseContext(context);

    std::vector<double> font, textures, outlines_only, pictures_only;
    FT_Face face = FaceOfFont(static_cast<PlatformGdiObject *>(dc.font), nullptr);
    if (face == nullptr) {
        fprintf(stderr, "the title font resolved to no face\n");
        return 1;
    }
    for (int run = 0; run < kRuns; run++) {
        context = OpenContext();
        t0 = std::chrono::steady_clock::now();
        BuildOutlineFont();
        t1 = std::chrono::steady_clock::now();
        LoadTeamTextures();
        t2 = std::chrono::steady_clock::now();
        font.push_back(Ms(t0, t1));
        textures.push_back(Ms(t1, t2));
        CloseContext(context);

        // Baselines: the raw inputs alone, with nothing flattened,
        // tessellated or compiled.
        t0 = std::chrono::steady_clock::now();
        for (FT_ULong code = 32; code < 128; code++)
            FT_Load_Char(face, code, FT_LOAD_NO_SCALE | FT_LOAD_NO_HINTING);
        t1 = std::chrono::steady_clock::now();
        for (const char *file : kFiles) {
            RgbImage *image = LoadBmpImage(file);
            if (image != nullptr) {
                free(image->pixels);
                free(image);
            }
        }
        t2 = std::chrono::steady_clock::now();
        outlines_only.push_back(Ms(t0, t1));
        pictures_only.push_back(Ms(t1, t2));
    }

    CurveCensus census;
    census.scale = 1.0 / face->units_per_EM;
    const FT_Outline_Funcs funcs = {CensusMove, CensusLine, CensusConic, CensusCubic, 0, 0};
    for (FT_ULong code = 32; code < 128; code++) {
        if (FT_Load_Char(face, code, FT_LOAD_NO_SCALE | FT_LOAD_NO_HINTING) == 0)
            FT_Outline_Decompose(&face->glyph->outline, &funcs, &census);
    }
    long curves = census.quadratics + census.cubics;
    int fixed_steps = 1;
    long bound_segments = census.lines;
    for (int n : census.needed) {
        fixed_steps = std::max(fixed_steps, n);
        bound_segments += n;
    }
    long fixed_segments = census.lines + curves * fixed_steps;
    long fine_segments = census.lines + curves * 16;

    // Every contour segment is one more wall pair and, with no new corners
    // inside, one more triangle in each fill: four triangles a segment.
    long segments = geometry.wall_triangles / 2;
    long triangles = geometry.fill_triangles + geometry.wall_triangles;
    auto triangles_with = [&](long other_segments) { return triangles + 4 * (other_segments - segments); };

    double font_ms = Median(font);
    printf("asset build per display switch (median of %d fresh contexts)\n", kRuns);
    printf("  BuildOutlineFont                  %8.2f ms   (first in the process %.2f ms)\n",
           font_ms, first_font);
    printf("    baseline: load 96 outlines only %8.2f ms\n", Median(outlines_only));
    printf("  LoadTeamTextures                  %8.2f ms   (first in the process %.2f ms)\n",
           Median(textures), first_textures);
    printf("    baseline: read 5 pictures only  %8.2f ms\n", Median(pictures_only));
    printf("  both                              %8.2f ms\n", font_ms + Median(textures));
    printf("\nglyph geometry of codes 32..127 at %.1f em deviation\n", kDeviation);
    printf("  outline: %ld lines, %ld quadratic and %ld cubic curves\n", census.lines,
           census.quadratics, census.cubics);
    printf("  %-44s %9s %10s\n", "", "segments", "triangles");
    printf("  %-44s %9ld %10ld\n", "drawn (fewest steps per curve)", segments, triangles);
    printf("  %-44s %9ld %10ld\n", "standard per-curve bound", bound_segments,
           triangles_with(bound_segments));
    char label[64];
    snprintf(label, sizeof label, "fixed %d steps per curve (worst curve's need)", fixed_steps);
    printf("  %-44s %9ld %10ld\n", label, fixed_segments, triangles_with(fixed_segments));
    printf("  %-44s %9ld %10ld\n", "fixed 16 steps per curve", fine_segments,
           triangles_with(fine_segments));
    printf("  fills %ld triangles, walls %ld triangles\n", geometry.fill_triangles,
           geometry.wall_triangles);

    printf("\n");
    printf("target font_build_per_switch: %.2f ms vs limit 10.00 ms: %s\n", font_ms,
           font_ms < 10.0 ? "met" : "missed");
    long limit = triangles_with(bound_segments);
    printf("target glyph_triangles: %ld vs limit %ld: %s\n", triangles, limit,
           triangles <= limit ? "met" : "missed");
    return 0;
}
