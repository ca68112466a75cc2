// The five texture lists on real Mesa GL, from pictures the tests write:
// what a list installs, what the build leaves behind, missing and narrow
// pictures, repeated builds, and which of two folders a picture comes from.
#include <gtest/gtest.h>

#include <GL/gl.h>
#include <malloc.h>
#include <sys/stat.h>
#include <unistd.h>

#include <string>
#include <vector>

#include "assets/picture_path.h"
#include "assets/team_textures.h"
#include "platform/fake/fake_platform.h"
#include "tools/bmp_bytes.h"
#include "support/offscreen_gl.h"
#include "support/program_state.h"
#include "support/temp_dir.h"

namespace {

const char *const kFiles[5] = {"KOREA.bmp", "TOGO.bmp", "BACK.bmp", "FRANCE.bmp", "SWIS.bmp"};

// Every pixel differs (orientation shows) and the colours carry the list number.
RgbPicture PictureFor(int list, int width, int height, int variant = 0)
{
    RgbPicture picture = SolidPicture(width, height, 0);
    for (int y = 0; y < height; y++)
        for (int x = 0; x < width; x++)
            SetPixel(&picture, x, y, (uint32_t)((list * 40 + variant) << 16 | (x * 7 % 256) << 8 | (y * 11 % 256)));
    return picture;
}

struct TexImage {
    GLint width = 0, height = 0;
    std::vector<uint8_t> rgb;
};

// The level-0 image of the current 2D texture, rows as tight as RgbImage's.
TexImage CurrentTexture()
{
    TexImage image;
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_WIDTH, &image.width);
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_HEIGHT, &image.height);
    if (image.width > 0 && image.height > 0) {
        image.rgb.resize((size_t)image.width * image.height * 3);
        glPixelStorei(GL_PACK_ALIGNMENT, 1);
        glGetTexImage(GL_TEXTURE_2D, 0, GL_RGB, GL_UNSIGNED_BYTE, image.rgb.data());
        glPixelStorei(GL_PACK_ALIGNMENT, 4);
    }
    return image;
}

// Under AddressSanitizer malloc's statistics see none of the program's
// allocations, but the sanitizer's count does; absent without it.
extern "C" size_t __sanitizer_get_current_allocated_bytes(void) __attribute__((weak));

// The program's heap, less the fake backend's call log (it grows by doubling).
size_t HeapInUse()
{
    size_t heap = __sanitizer_get_current_allocated_bytes ? __sanitizer_get_current_allocated_bytes()
                                                           : mallinfo2().uordblks;
    return heap - FakeCallLog().capacity() * sizeof(std::string);
}

class TeamTextures : public ::testing::Test {
protected:
    void SetUp() override
    {
        ResetProgramState();
        for (int list = 1; list <= 5; list++)
            WritePicture(list, PictureFor(list, 4, 2));
    }

    void WritePicture(int list, const RgbPicture &picture)
    {
        ASSERT_TRUE(WriteBmp24(kFiles[list - 1], picture)) << kFiles[list - 1];
        pictures_[list - 1] = picture;
    }

    void ExpectListInstalls(int list, const RgbPicture &picture)
    {
        glCallList(list);
        TexImage image = CurrentTexture();
        EXPECT_EQ(picture.width, image.width) << "width after list " << list;
        EXPECT_EQ(picture.height, image.height) << "height after list " << list;
        EXPECT_TRUE(picture.rgb == image.rgb) << "list " << list << " installed other pixels";
    }

    OffscreenGL gl_;
    TempDir folder_{"team_textures", true};
    RgbPicture pictures_[5];
};

TEST_F(TeamTextures, BuildSetsParametersButNoImageUntilAListIsCalled)
{
    LoadTeamTextures();
    EXPECT_EQ(0, CurrentTexture().width) << "the build itself installed an image";
    for (GLuint list = 1; list <= 5; list++)
        EXPECT_TRUE(glIsList(list)) << "list " << list;

    // List 1 after 3: KOREA upright, linear and repeating, though the lists
    // hold no parameters themselves.
    glCallList(3);
    ExpectListInstalls(1, pictures_[0]);
    const GLenum parameters[][2] = {{GL_TEXTURE_MIN_FILTER, GL_LINEAR}, {GL_TEXTURE_MAG_FILTER, GL_LINEAR},
                                    {GL_TEXTURE_WRAP_S, GL_REPEAT}, {GL_TEXTURE_WRAP_T, GL_REPEAT}};
    for (const auto &p : parameters) {
        GLint value = 0;
        glGetTexParameteriv(GL_TEXTURE_2D, p[0], &value);
        EXPECT_EQ((GLint)p[1], value) << "parameter 0x" << std::hex << p[0];
    }

    // Calling a list again installs the same image again.
    ExpectListInstalls(1, pictures_[0]);
    for (int list = 2; list <= 5; list++)
        ExpectListInstalls(list, pictures_[list - 1]);
    EXPECT_TRUE(FakeMessageBoxes().empty());
}

TEST_F(TeamTextures, MissingPictureGivesOneWhiteTexelAndTheOthersStillLoad)
{
    unlink("TOGO.bmp");
    LoadTeamTextures();
    ASSERT_EQ(1u, FakeMessageBoxes().size()) << "the loader reports the missing file once";
    EXPECT_EQ("Error", FakeMessageBoxes()[0].caption);
    EXPECT_EQ(nullptr, texture_images[1]);

    RgbPicture white = SolidPicture(1, 1, 0xFFFFFF);
    ExpectListInstalls(2, white);
    for (int list : {1, 3, 4, 5})
        ExpectListInstalls(list, pictures_[list - 1]);
}

TEST_F(TeamTextures, NarrowPicturesReachTheGlRowForRow)
{
    // Rows of 9 and 15 bytes: not a multiple of 4.
    WritePicture(1, PictureFor(1, 3, 2));
    WritePicture(4, PictureFor(4, 5, 3));
    LoadTeamTextures();
    ExpectListInstalls(1, pictures_[0]);
    ExpectListInstalls(4, pictures_[3]);
    for (GLenum which : {GL_UNPACK_ALIGNMENT, GL_PACK_ALIGNMENT}) {
        GLint alignment = 0;
        glGetIntegerv(which, &alignment);
        EXPECT_EQ(4, alignment) << (which == GL_PACK_ALIGNMENT ? "pack" : "unpack") << " alignment after the build";
    }
}

TEST_F(TeamTextures, SecondBuildReadsEveryPictureAgain)
{
    LoadTeamTextures();
    for (int slot = 0; slot < 5; slot++)
        ASSERT_NE(nullptr, texture_images[slot]) << kFiles[slot];
    // A new context, as after a display switch, and new pictures on disk.
    OffscreenGL switched;
    for (int list = 1; list <= 5; list++)
        WritePicture(list, PictureFor(list, 8, 4, 1));
    LoadTeamTextures();
    for (int list = 1; list <= 5; list++) {
        ASSERT_NE(nullptr, texture_images[list - 1]);
        EXPECT_EQ(8, texture_images[list - 1]->width) << kFiles[list - 1] << " was not read again";
        ExpectListInstalls(list, pictures_[list - 1]);
    }
}

TEST_F(TeamTextures, RepeatedBuildsDoNotGrowTheHeap)
{
    // 64 x 64: 60 KiB a build if earlier builds' records were kept.
    for (int list = 1; list <= 5; list++)
        WritePicture(list, PictureFor(list, 64, 64));
    LoadTeamTextures();
    LoadTeamTextures();
    size_t before = HeapInUse();
    for (int i = 0; i < 30; i++)
        LoadTeamTextures();
    size_t after = HeapInUse();
    EXPECT_LT(after, before + 100 * 1024)
        << "heap grew by " << (after - before) << " bytes over 30 builds";
    ExpectListInstalls(5, pictures_[4]);
}

// A second folder as the installed pictures' folder, its pictures unlike
// the working folder's.
class InstalledPictures : public TeamTextures {
protected:
    void SetUp() override
    {
        TeamTextures::SetUp();
        // Found from the program's folder: enough ".." reach the root, then /tmp.
        for (int level = 0; level < 64; level++)
            relative_ += "../";
        relative_ += installed_.substr(1);
        saved_folder_ = installed_picture_folder;
        installed_picture_folder = relative_.c_str();
        for (int list = 1; list <= 5; list++) {
            installed_pictures_[list - 1] = PictureFor(list, 4, 2, 1);
            ASSERT_TRUE(WriteBmp24(installed_ + "/" + kFiles[list - 1], installed_pictures_[list - 1]));
        }
    }

    void TearDown() override { installed_picture_folder = saved_folder_; }

    TempDir installed_folder_{"installed_pictures"};
    std::string installed_ = installed_folder_.path, relative_;
    const char *saved_folder_ = nullptr;
    RgbPicture installed_pictures_[5];
};

TEST_F(InstalledPictures, OwnPicturesWinAndTheRestComeFromTheInstalledFolder)
{
    // Korea stays in the working folder; Togo's name there is a folder; the others are gone.
    unlink("TOGO.bmp");
    ASSERT_EQ(0, mkdir("TOGO.bmp", 0700));
    for (const char *file : {"BACK.bmp", "FRANCE.bmp", "SWIS.bmp"})
        unlink(file);
    LoadTeamTextures();
    rmdir("TOGO.bmp");

    EXPECT_TRUE(FakeMessageBoxes().empty()) << FakeMessageBoxes()[0].text;
    ExpectListInstalls(1, pictures_[0]);
    for (int list = 2; list <= 5; list++)
        ExpectListInstalls(list, installed_pictures_[list - 1]);
}

TEST_F(InstalledPictures, PictureInNeitherFolderIsReportedByItsBareName)
{
    unlink("FRANCE.bmp");
    unlink((installed_ + "/FRANCE.bmp").c_str());
    LoadTeamTextures();
    ASSERT_EQ(1u, FakeMessageBoxes().size());
    EXPECT_EQ("Failed to open DIB file FRANCE.bmp.\n", FakeMessageBoxes()[0].text);
    ExpectListInstalls(4, SolidPicture(1, 1, 0xFFFFFF));
    ExpectListInstalls(5, pictures_[4]);
}

}  // namespace
