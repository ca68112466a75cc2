// What a pass puts on screen, read back from real Mesa: where each object
// lands and what F2 to F5 change. Unlit and untextured unless a case says,
// so the colours come from the pass, not the pictures.
#include <algorithm>
#include <vector>

#include "assets/outline_font.h"
#include "assets/team_textures.h"
#include "scene_view.h"

namespace {

using Rgba = OffscreenGL::Rgba;

bool Near(Rgba p, int r, int g, int b, int tolerance = 3)
{
    return std::abs(p.r - r) <= tolerance && std::abs(p.g - g) <= tolerance &&
           std::abs(p.b - b) <= tolerance;
}

// Near, for an expectation: says the colour expected and the one found.
::testing::AssertionResult IsNear(Rgba p, int r, int g, int b)
{
    if (Near(p, r, g, b))
        return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << "expected (" << r << ", " << g << ", " << b << "), got ("
                                         << (int)p.r << ", " << (int)p.g << ", " << (int)p.b << ")";
}

// Colour counts over the pixels of a sphere's inner disc.
struct DiscCounts {
    int total = 0, backdrop_white = 0, first_red = 0, clear_black = 0;
};

DiscCounts CountDisc(const OffscreenGL &gl, Spot s, double fraction = 0.7)
{
    DiscCounts c;
    double r = s.radius * fraction;
    for (double dy = -r; dy <= r; dy += 1.0) {
        for (double dx = -r; dx <= r; dx += 1.0) {
            if (dx * dx + dy * dy > r * r)
                continue;
            Rgba p = gl.PixelAt((int)(s.x + dx), (int)(s.y + dy));
            ++c.total;
            c.backdrop_white += Near(p, 255, 255, 255);
            c.first_red += Near(p, 230, 0, 0);
            c.clear_black += Near(p, 0, 0, 0);
        }
    }
    return c;
}

// Which pixels of the top `rows` rows are title green.
std::vector<bool> GreenPixels(const OffscreenGL &gl, int rows)
{
    std::vector<unsigned char> pixels = gl.Pixels();
    std::vector<bool> green((size_t)gl.width() * rows);
    for (size_t i = 0; i < green.size(); ++i)
        green[i] = Near(Rgba{pixels[4 * i], pixels[4 * i + 1], pixels[4 * i + 2], 255}, 0, 255, 0);
    return green;
}

class Drawing : public SceneFixture<640, 480> {
protected:
    void SetUp() override
    {
        SceneFixture::SetUp();
        lighting_on = false;
        texturing_on = false;
    }
};

// Points of a 640x480 view that no sphere or title reaches in the first pass.
const int kBackdropPoints[][2] = {{40, 440}, {600, 440}, {40, 60}, {600, 60}};

TEST_F(Drawing, SpheresAppearWhereTheirPlacementsPutThem)
{
    // Somewhere into the animation, so every angle has moved.
    for (int pass = 0; pass < 37; ++pass)
        DrawScene();
    struct { GLuint name; int r, g, b; } spheres[] = {
        {101, 230, 230, 230}, {102, 230, 230, 0}, {104, 230, 230, 230}, {105, 230, 230, 230}};
    Spot spots[4];
    for (int i = 0; i < 4; ++i)
        spots[i] = SphereSpot(spheres[i].name);
    DrawScene();
    for (int i = 0; i < 4; ++i) {
        const Spot &s = spots[i];
        double offsets[][2] = {{0, 0}, {-0.6, 0}, {0.6, 0}, {0, -0.6}, {0, 0.6}};
        for (auto &o : offsets) {
            Rgba p = gl_->PixelAt((int)(s.x + o[0] * s.radius), (int)(s.y + o[1] * s.radius));
            EXPECT_TRUE(IsNear(p, spheres[i].r, spheres[i].g, spheres[i].b))
                << "second colour of sphere " << spheres[i].name << " at (" << s.x << ", " << s.y
                << ") offset (" << o[0] << ", " << o[1] << ")";
        }
    }
}

TEST_F(Drawing, BackdropFillsAFourByThreeView)
{
    DrawScene();
    const int edges[][2] = {{0, 0}, {639, 0}, {0, 479}, {639, 479},
                            {320, 0}, {320, 479}, {0, 240}, {639, 240}};
    for (auto &e : edges) {
        EXPECT_TRUE(IsNear(gl_->PixelAt(e[0], e[1]), 255, 255, 255)) << "at " << e[0] << ", " << e[1];
    }
}

TEST_F(Drawing, TitleIsGreenAndWhereItsPlacementPutsIt)
{
    // Unturned, the title runs from x = -2 along its baseline 6 units up.
    float advance = 0.0f;
    for (const char *c = " GROUP_G "; *c; ++c)
        advance += glyph_metrics[*c - 32].gmfCellIncX;
    ASSERT_GT(advance, 1.0f) << "the glyph lists were not built";
    Spot low_left = ProjectFrom(100, 0.0, -0.4, 0.0);
    Spot high_right = ProjectFrom(100, advance, 1.2, 0.0);
    DrawScene();

    std::vector<bool> green = GreenPixels(*gl_, 480);
    int inside = 0, outside = 0;
    for (size_t i = 0; i < green.size(); ++i) {
        int x = (int)(i % 640), y = (int)(i / 640);
        bool in_box = x >= low_left.x - 3 && x <= high_right.x + 3 && y >= high_right.y - 3 &&
                      y <= low_left.y + 3;
        if (green[i])
            (in_box ? inside : outside)++;
    }
    EXPECT_GT(inside, 500) << "green title pixels between (" << low_left.x << ", "
                           << high_right.y << ") and (" << high_right.x << ", " << low_left.y << ")";
    EXPECT_EQ(outside, 0) << "green pixels away from the title";
}

// F2: unlit, a sphere has one flat colour; lit, it darkens towards its rim.
TEST_F(Drawing, LightingOffGivesFlatUnlitColours)
{
    Spot korea = SphereSpot(101);
    int rim_x = (int)(korea.x + 0.85 * korea.radius);

    lighting_on = true;
    DrawScene();
    Rgba lit_centre = gl_->PixelAt(korea.px(), korea.py());
    Rgba lit_rim = gl_->PixelAt(rim_x, korea.py());
    EXPECT_GT(lit_centre.r - lit_rim.r, 40)
        << "lit: red at the centre " << (int)lit_centre.r << ", at the rim " << (int)lit_rim.r;

    lighting_on = false;
    DrawScene();
    EXPECT_TRUE(IsNear(gl_->PixelAt(korea.px(), korea.py()), 230, 230, 230)) << "unlit centre";
    EXPECT_TRUE(IsNear(gl_->PixelAt(rim_x, korea.py()), 230, 230, 230)) << "unlit rim";
}

// F3: textured, the backdrop shows BACK.bmp texel for texel; untextured,
// plain white.
TEST_F(Drawing, TexturingOffLeavesTheBackdropPlainWhite)
{
    const RgbImage *back = texture_images[2];
    ASSERT_NE(back, nullptr) << "BACK.bmp was not loaded from " << GROUP_G_RUN_DIR;
    const double half_height = 32.0 * std::tan(22.5 * M_PI / 180.0);

    texturing_on = true;
    DrawScene();
    int differing_from_white = 0;
    for (auto &pt : kBackdropPoints) {
        // The backdrop lies flat 32 units away; map the pixel to (s, t).
        double eye_x = ((pt[0] + 0.5) / 320.0 - 1.0) * half_height * (640.0 / 480.0);
        double eye_y = (1.0 - (pt[1] + 0.5) / 240.0) * half_height;
        double s = (eye_x + 18.0) / 36.0, t = (eye_y + 14.0) / 28.0;
        int col = (int)(s * back->width), row = (int)(t * back->height);
        int lo[3] = {255, 255, 255}, hi[3] = {0, 0, 0};
        for (int r = row - 1; r <= row + 1; ++r) {
            for (int c = col - 1; c <= col + 1; ++c) {
                int rr = std::clamp(r, 0, back->height - 1), cc = std::clamp(c, 0, back->width - 1);
                const unsigned char *texel = back->pixels + 3 * ((size_t)rr * back->width + cc);
                for (int k = 0; k < 3; ++k) {
                    lo[k] = std::min(lo[k], (int)texel[k]);
                    hi[k] = std::max(hi[k], (int)texel[k]);
                }
            }
        }
        Rgba p = gl_->PixelAt(pt[0], pt[1]);
        int got[3] = {p.r, p.g, p.b};
        for (int k = 0; k < 3; ++k) {
            EXPECT_TRUE(got[k] >= lo[k] - 6 && got[k] <= hi[k] + 6)
                << "textured backdrop at (" << pt[0] << ", " << pt[1] << "): channel " << k
                << " is " << got[k] << ", outside the picture's " << lo[k] << ".." << hi[k];
        }
        differing_from_white += !Near(p, 255, 255, 255, 20);
    }
    EXPECT_GT(differing_from_white, 0) << "the picture should show somewhere";

    texturing_on = false;
    DrawScene();
    for (auto &pt : kBackdropPoints)
        EXPECT_TRUE(IsNear(gl_->PixelAt(pt[0], pt[1]), 255, 255, 255)) << "untextured backdrop";
    Spot korea = SphereSpot(101);
    EXPECT_TRUE(IsNear(gl_->PixelAt(korea.px(), korea.py()), 230, 230, 230)) << "untextured Korea sphere";
}

// F4: the quadric keeps its last style, so the first Korea sphere after the
// switch is still solid; from the next pass on, all lines.
TEST_F(Drawing, LineSpheresFromTheSecondPassOn)
{
    DrawScene();
    Spot korea = SphereSpot(101);
    Spot togo = SphereSpot(102);
    solid_spheres = false;
    DrawScene();
    DiscCounts first_pass = CountDisc(*gl_, korea);
    EXPECT_EQ(first_pass.backdrop_white, 0) << "first Korea sphere still filled";
    EXPECT_GT(first_pass.first_red, 0) << "its red shows between the grey lines";
    DiscCounts togo_first = CountDisc(*gl_, togo);
    EXPECT_GT(togo_first.backdrop_white, togo_first.total / 5) << "Togo already as lines";

    korea = SphereSpot(101);
    DrawScene();
    DiscCounts second_pass = CountDisc(*gl_, korea);
    EXPECT_GT(second_pass.backdrop_white, second_pass.total / 5) << "Korea as lines";
    EXPECT_LT(second_pass.first_red, second_pass.total / 50) << "grey lines cover the red ones";

    solid_spheres = true;
    korea = SphereSpot(101);
    DrawScene();
    EXPECT_EQ(CountDisc(*gl_, korea).backdrop_white, 0) << "filled again at once";
}

// F5: every polygon, title and backdrop included, is drawn as its outline.
TEST_F(Drawing, UnfilledPolygonsOutlineEverything)
{
    Spot korea = SphereSpot(101);
    DrawScene();
    std::vector<bool> filled_title = GreenPixels(*gl_, 240);

    filled_polygons = false;
    title_spin = 0.0f;
    DrawScene();
    for (auto &pt : kBackdropPoints)
        EXPECT_TRUE(IsNear(gl_->PixelAt(pt[0], pt[1]), 0, 0, 0)) << "inside the backdrop's outline";
    DiscCounts disc = CountDisc(*gl_, korea);
    EXPECT_GT(disc.clear_black, disc.total / 10) << "Korea sphere shows gaps between edges";
    EXPECT_LT(disc.clear_black, disc.total) << "and its edges";
    std::vector<bool> outlined_title = GreenPixels(*gl_, 240);
    int filled = 0, outlined = 0, opened = 0;
    for (size_t i = 0; i < filled_title.size(); ++i) {
        filled += filled_title[i];
        outlined += outlined_title[i];
        opened += filled_title[i] && !outlined_title[i];
    }
    EXPECT_GT(outlined, 0) << "title outlines";
    EXPECT_GT(opened, filled / 10) << "pixels inside the glyphs left open, of " << filled;
}

}  // namespace
