// The texture lists on a GL of power-of-two sizes only, as GL 1.1: other
// pictures are scaled, up to the largest the loader accepts. Mesa drops
// non-power-of-two textures only if told before its first context: hence a
// process of their own.
#include <gtest/gtest.h>

#include <GL/gl.h>
#include <unistd.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "assets/team_textures.h"
#include "platform/fake/fake_platform.h"
#include "support/offscreen_gl.h"
#include "support/program_state.h"
#include "support/temp_dir.h"
#include "tools/bmp_bytes.h"

namespace {

const int kPowerOfTwoOnly =
    setenv("MESA_EXTENSION_OVERRIDE", "-GL_ARB_texture_non_power_of_two", 1);

class PowerOfTwoTextures : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_EQ(kPowerOfTwoOnly, 0);
        ResetProgramState();
    }

    // Calls `list` and gives the size of the image it installed.
    static std::pair<GLint, GLint> Installed(int list)
    {
        glCallList(list);
        GLint width = 0, height = 0;
        glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_WIDTH, &width);
        glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_HEIGHT, &height);
        return {width, height};
    }

    OffscreenGL gl_;
    TempDir folder_{"texture_scaling", true};
};

TEST_F(PowerOfTwoTextures, OddSizesAreScaledToTheNearestPowersOfTwo)
{
    // Left half red, right half blue; 12 x 3 lies halfway between 8 x 2 and
    // 16 x 4, and the larger wins.
    RgbPicture picture = SolidPicture(12, 3, 0xFF0000);
    for (int y = 0; y < 3; y++)
        for (int x = 6; x < 12; x++)
            SetPixel(&picture, x, y, 0x0000FF);
    ASSERT_TRUE(WriteBmp24("KOREA.bmp", picture));
    LoadTeamTextures();
    EXPECT_EQ(Installed(1), std::make_pair(16, 4));
    std::vector<unsigned char> texels(16 * 4 * 3);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glGetTexImage(GL_TEXTURE_2D, 0, GL_RGB, GL_UNSIGNED_BYTE, texels.data());
    glPixelStorei(GL_PACK_ALIGNMENT, 4);
    const unsigned char *left = &texels[0], *right = &texels[texels.size() - 3];
    EXPECT_TRUE(left[0] > 200 && left[2] < 56) << "left end stays red: " << int(left[0]) << ", "
                                               << int(left[1]) << ", " << int(left[2]);
    EXPECT_TRUE(right[2] > 200 && right[0] < 56) << "right end stays blue: " << int(right[0])
                                                 << ", " << int(right[1]) << ", " << int(right[2]);
}

TEST_F(PowerOfTwoTextures, LargestPicturesTheLoaderTakesAreScaledWithoutHarm)
{
    // A few bytes on disk claiming the widest and tallest 256 MiB accepted.
    for (int turn = 0; turn < 2; turn++) {
        int width = turn == 0 ? 16384 : 5461, height = turn == 0 ? 5461 : 16384;
        ASSERT_TRUE(WriteBytes("BACK.bmp", RunLengthClaim(width, height)));
        FakeReset();
        LoadTeamTextures();
        ASSERT_NE(texture_images[2], nullptr) << FakeMessageBoxes().size() << " boxes";
        std::pair<GLint, GLint> expected =
            turn == 0 ? std::make_pair(16384, 4096) : std::make_pair(4096, 16384);
        EXPECT_EQ(Installed(3), expected) << width << " x " << height;
    }
}

}  // namespace
