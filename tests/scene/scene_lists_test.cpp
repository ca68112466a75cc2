// The scene drawn from its geometry lists against the same pass without them:
// the same pixels, current normal, texture coordinate, colour and selection
// records under every setting of F2 to F5, across passes where the quadric's
// style carries over.
#include <GL/glu.h>

#include <cstring>
#include <vector>

#include "scene/scene_lists.h"
#include "scene_view.h"

namespace {

float *const kAngles[] = {&title_spin,   &center_spin, &togo_orbit,  &togo_spin,
                          &france_orbit, &france_spin, &swiss_orbit, &swiss_spin};

const size_t kAngleCount = sizeof kAngles / sizeof kAngles[0];

// What a pass leaves in the GL's current vertex state.
struct CurrentState {
    GLfloat normal[3], texture[4], colour[4];
    bool operator==(const CurrentState &o) const { return std::memcmp(this, &o, sizeof o) == 0; }
};

CurrentState ReadCurrentState()
{
    CurrentState s;
    glGetFloatv(GL_CURRENT_NORMAL, s.normal);
    glGetFloatv(GL_CURRENT_TEXTURE_COORDS, s.texture);
    glGetFloatv(GL_CURRENT_COLOR, s.colour);
    return s;
}

// The quadric as a pass finds it: a fresh one has no texture coordinates;
// after any pass they are on, and its style is the last one the pass set.
struct QuadricState {
    GLenum style = GLU_FILL;
    GLboolean texture = GL_FALSE;
    void Apply() const
    {
        SetSphereDrawStyle(style);
        SetSphereTexture(texture);
    }
    void AfterPass()
    {
        style = solid_spheres ? GLU_FILL : GLU_LINE;
        texture = GL_TRUE;
    }
};

class SceneLists : public SceneFixture<640, 480> {
protected:
    void SetUp() override
    {
        SceneFixture::SetUp();
        // The title takes the texture and coordinate the pass before left:
        // one pass puts both where every pass leaves them.
        DrawScene();
        ResetAnglesAndFlags();
    }
    // `pass` from the same angles and quadric, once with the lists, once without.
    template <typename Pass, typename Result>
    void Twice(const QuadricState &quadric, Pass pass, Result *with_lists, Result *direct)
    {
        float before[kAngleCount];
        for (size_t i = 0; i < kAngleCount; ++i)
            before[i] = *kAngles[i];
        quadric.Apply();
        *with_lists = pass();
        for (size_t i = 0; i < kAngleCount; ++i)
            *kAngles[i] = before[i];
        quadric.Apply();
        DeleteSceneLists();
        *direct = pass();
        EXPECT_EQ(BuildSceneLists(), 1) << "no list names to be had";
    }
};

struct Frame {
    std::vector<unsigned char> pixels;
    CurrentState state;
};

// F2 to F5 as the bits of `mask`; F4, the lowest, flips at every step, so each
// line-sphere setting's first pass draws the Korea sphere filled, carried over.
void SetFlags(int mask)
{
    solid_spheres = (mask & 1) == 0;
    filled_polygons = (mask & 2) == 0;
    lighting_on = (mask & 4) == 0;
    texturing_on = (mask & 8) == 0;
}

TEST_F(SceneLists, DrawTheSamePixelsAsDirectGeometryUnderEveryToggle)
{
    QuadricState quadric;  // fresh from InitScene
    for (int mask = 0; mask < 16; ++mask) {
        SetFlags(mask);
        for (int pass = 0; pass < 2; ++pass) {
            Frame lists, direct;
            Twice(quadric, [&] {
                DrawScene();
                return Frame{gl_->Pixels(), ReadCurrentState()};
            }, &lists, &direct);
            quadric.AfterPass();
            int differing = 0, first = -1;
            for (size_t i = 0; i < lists.pixels.size(); i += 4)
                if (std::memcmp(&lists.pixels[i], &direct.pixels[i], 4) != 0 && differing++ == 0)
                    first = (int)(i / 4);
            EXPECT_EQ(differing, 0)
                << "flags " << mask << " (lighting " << lighting_on << ", texturing "
                << texturing_on << ", solid " << solid_spheres << ", filled " << filled_polygons
                << "), pass " << pass << ": first difference at (" << first % 640 << ", "
                << first / 640 << ")";
            EXPECT_TRUE(lists.state == direct.state)
                << "flags " << mask << ", pass " << pass
                << ": current normal, texture coordinate or colour differ after the pass";
        }
    }
}

// Every hit record of PickAt's selection pass over 2 by 2 pixels at (x, y).
std::vector<GLuint> SelectAt(int x, int y)
{
    GLuint buffer[64];
    GLint viewport[4];
    glSelectBuffer(64, buffer);
    glGetIntegerv(GL_VIEWPORT, viewport);
    glMatrixMode(GL_PROJECTION);
    glPushMatrix();
    glRenderMode(GL_SELECT);
    glLoadIdentity();
    gluPickMatrix(x, viewport[3] - y, 2.0, 2.0, viewport);
    gluPerspective(kFieldOfView, aspect_ratio, kNearPlane, kFarPlane);
    glMatrixMode(GL_MODELVIEW);
    DrawScene();
    GLint hits = glRenderMode(GL_RENDER);
    glMatrixMode(GL_PROJECTION);
    glPopMatrix();
    glMatrixMode(GL_MODELVIEW);
    std::vector<GLuint> records;
    for (GLint hit = 0, at = 0; hit < hits; ++hit) {
        GLuint words = 3 + buffer[at];
        records.insert(records.end(), buffer + at, buffer + at + words);
        at += words;
    }
    return records;
}

// Sphere centres and points just inside their rims (where a geometry change
// shows first), and a coarse grid.
std::vector<Spot> PickPoints()
{
    std::vector<Spot> points;
    for (GLuint name : {101u, 102u, 104u, 105u}) {
        Spot s = SphereSpot(name);
        points.push_back(s);
        for (int k = 0; k < 8; ++k) {
            double a = k * M_PI / 4;
            points.push_back(Spot{s.x + 0.97 * s.radius * std::cos(a),
                                  s.y + 0.97 * s.radius * std::sin(a), 0});
        }
    }
    for (int y = 20; y < 480; y += 80)
        for (int x = 20; x < 640; x += 80)
            points.push_back(Spot{(double)x, (double)y, 0});
    return points;
}

TEST_F(SceneLists, PicksHitTheSameRecordsAsDirectGeometry)
{
    QuadricState quadric;
    // Solid and line spheres, filled and outlined, at a few animation places.
    for (int mask : {0, 1, 0, 3, 2, 1}) {
        SetFlags(mask);
        int hit_somewhere = 0;
        for (const Spot &p : PickPoints()) {
            std::vector<GLuint> lists, direct;
            Twice(quadric, [&] { return SelectAt(p.px(), p.py()); }, &lists, &direct);
            EXPECT_EQ(lists, direct) << "flags " << mask << ", pick at (" << p.px() << ", "
                                     << p.py() << ")";
            hit_somewhere += !lists.empty();
        }
        quadric.AfterPass();
        EXPECT_GT(hit_somewhere, 0) << "flags " << mask << ": nothing was hit anywhere";
        for (int pass = 0; pass < 11; ++pass)
            DrawScene();
    }
}

}  // namespace
