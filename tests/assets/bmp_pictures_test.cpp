// The five pictures drawn at build time, read back through the loader, and
// the picture checker run as users run it.
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

#include "assets/bmp_header.h"
#include "assets/bmp_loader.h"
#include "platform/fake/fake_platform.h"
#include "support/loaded_image.h"
#include "support/run_command.h"
#include "support/temp_dir.h"
#include "tools/bmp_bytes.h"

namespace {

std::string RunPath(const char *name) { return std::string(GROUP_G_RUN_DIR) + "/" + name; }

std::string Slurp(const std::string &path)
{
    std::ifstream file(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(file), {});
}

// 0xRRGGBB at (x, y), counted from the bottom-left pixel.
uint32_t At(const RgbImage *image, int x, int y)
{
    const unsigned char *p = image->pixels + (static_cast<size_t>(y) * image->width + x) * 3;
    return uint32_t(p[0]) << 16 | p[1] << 8 | p[2];
}

::testing::AssertionResult Near(const RgbImage *image, int x, int y, uint32_t want)
{
    uint32_t got = At(image, x, y);
    for (int shift : {16, 8, 0})
        if (std::abs(int(got >> shift & 0xFF) - int(want >> shift & 0xFF)) > 8)
            return ::testing::AssertionFailure() << "pixel (" << x << ", " << y << ") expected about "
                                                 << Hex(want) << ", got " << Hex(got);
    return ::testing::AssertionSuccess();
}

class BmpPictures : public ::testing::Test {
protected:
    void SetUp() override { FakeReset(); }
    void TearDown() override
    {
        for (RgbImage *image : loaded_)
            FreeImage(image);
    }
    RgbImage *Load(const char *name)
    {
        RgbImage *image = LoadBmpImage(RunPath(name).c_str());
        if (image != nullptr)
            loaded_.push_back(image);
        return image;
    }
    std::vector<RgbImage *> loaded_;
};

TEST_F(BmpPictures, EachIsStoredInItsOwnEncodingAndLoadsAtAPowerOfTwoSize)
{
    struct Case {
        const char *name;
        int width, height;
        uint32_t header_size;
        uint16_t bits;
        uint32_t compression;
    } cases[] = {
        {"KOREA.bmp", 256, 128, 40, 24, BI_RGB}, {"TOGO.bmp", 256, 128, 40, 8, BI_RLE8},
        {"BACK.bmp", 1024, 512, 40, 8, BI_RGB},  {"FRANCE.bmp", 256, 128, 40, 4, BI_RLE4},
        {"SWIS.bmp", 256, 256, 12, 1, BI_RGB},
    };
    for (const Case &c : cases) {
        std::string bytes = Slurp(RunPath(c.name));
        BmpHeaderInfo info;
        ReadBmpHeader(reinterpret_cast<const uint8_t *>(bytes.data()), bytes.size(), &info);
        ASSERT_TRUE(info.header_fits) << c.name;
        EXPECT_EQ(info.header_size, c.header_size) << c.name;
        EXPECT_EQ(info.header.biBitCount, c.bits) << c.name;
        EXPECT_EQ(info.header.biCompression, c.compression) << c.name;

        RgbImage *image = Load(c.name);
        ASSERT_NE(image, nullptr) << c.name;
        EXPECT_EQ(image->width, c.width) << c.name;
        EXPECT_EQ(image->height, c.height) << c.name;
        EXPECT_EQ(image->width & (image->width - 1), 0) << c.name << ": power of two";
        EXPECT_EQ(image->height & (image->height - 1), 0) << c.name << ": power of two";
    }
    EXPECT_TRUE(FakeMessageBoxes().empty());
}

// Spots whose colour the flag's design fixes. Korea: 3:2, 192 wide between
// grey bands of 32, taegeuk of radius 32 at (128, 64), red above the diagonal.
// Togo: golden ratio, about 207 wide from x = 24.5, canton 76.8 square.
// Switzerland: 32 units of 8 pixels, arms 6 units wide and 7 long.
TEST_F(BmpPictures, FlagsShowTheirDesignsWhereExpected)
{
    const struct {
        const char *file;
        int x, y;
        uint32_t colour;
        const char *what;
    } spots[] = {
        {"KOREA.bmp", 8, 64, 0x6E6E6E, "band"},
        {"KOREA.bmp", 128, 64 + 26, 0xCD2E3A, "taegeuk top"},
        {"KOREA.bmp", 128, 64 - 26, 0x0047A0, "taegeuk bottom"},
        {"KOREA.bmp", 110, 66, 0xCD2E3A, "red swells down on the left"},
        {"KOREA.bmp", 146, 62, 0x0047A0, "blue swells up on the right"},
        {"KOREA.bmp", 128, 6, 0xFFFFFF, "white field"},
        {"KOREA.bmp", 40, 120, 0xFFFFFF, "white field"},
        {"TOGO.bmp", 30, 122, 0xD21034, "canton"},
        {"TOGO.bmp", 24 + 38, 128 - 38, 0xFFFFFF, "star"},
        {"TOGO.bmp", 150, 115, 0x006A4E, "top stripe"},
        {"TOGO.bmp", 150, 90, 0xFFCE00, "second stripe"},
        {"TOGO.bmp", 60, 12, 0x006A4E, "bottom stripe, under the canton"},
        {"TOGO.bmp", 60, 38, 0xFFCE00, "fourth stripe"},
        {"FRANCE.bmp", 33, 64, 0x0055A4, "hoist third"},
        {"FRANCE.bmp", 95, 0, 0x0055A4, "hoist third"},
        {"FRANCE.bmp", 96, 127, 0xFFFFFF, "middle third"},
        {"FRANCE.bmp", 160, 64, 0xEF4135, "fly third"},
        {"FRANCE.bmp", 223, 64, 0xEF4135, "fly third"},
        {"FRANCE.bmp", 224, 64, 0x6E6E6E, "band"},
        {"SWIS.bmp", 128, 128, 0xFFFFFF, "centre"},
        {"SWIS.bmp", 48, 128, 0xFFFFFF, "end of the left arm"},
        {"SWIS.bmp", 47, 128, 0xDA291C, "past the left arm"},
        {"SWIS.bmp", 128, 207, 0xFFFFFF, "end of the top arm"},
        {"SWIS.bmp", 128, 208, 0xDA291C, "past the top arm"},
        {"SWIS.bmp", 103, 103, 0xDA291C, "between two arms"},
        {"SWIS.bmp", 104, 104, 0xFFFFFF, "inner corner"},
        {"BACK.bmp", 512, 256, 0xF4F4F0, "centre spot"},
    };
    for (const auto &spot : spots) {
        const RgbImage *image = Load(spot.file);
        ASSERT_NE(image, nullptr) << spot.file;
        EXPECT_TRUE(Near(image, spot.x, spot.y, spot.colour)) << spot.file << ": " << spot.what;
    }
    uint32_t grass = At(Load("BACK.bmp"), 300, 200), red = grass >> 16, green = grass >> 8 & 0xFF;
    EXPECT_TRUE(green > red + 40 && green > (grass & 0xFF) + 40) << "grass is green: " << Hex(grass);
    EXPECT_TRUE(FakeMessageBoxes().empty());
}

class BmpCheckTool : public ::testing::Test {
protected:
    // Runs bmpcheck with `args`; returns its exit status, keeps its output.
    int Run(const std::string &args)
    {
        CommandResult run = RunCommand(std::string(GROUP_G_TOOLS_DIR) + "/bmpcheck " + args);
        out = run.out;
        err = run.err;
        return run.status;
    }

    TempDir temp_{"bmpcheck_test"};
    std::string dir_ = temp_.path;
    std::string out, err;  // of the last run
};

TEST_F(BmpCheckTool, DescribesEachFileAndReportsTheLoadersMessage)
{
    std::string files = RunPath("TOGO.bmp") + " " + RunPath("SWIS.bmp") + " " + dir_ + "/none.bmp";
    EXPECT_EQ(Run(files), 1) << "one file does not load";
    for (const char *line : {"TOGO.bmp: file header, 40-byte info header, 256 x 128, 8 bits, BI_RLE8",
                             "SWIS.bmp: file header, 12-byte core header, 256 x 256, 1 bits, BI_RGB, 2 colours",
                             "none.bmp: cannot be read (No such file or directory): not loaded: the file "
                             "cannot be opened for reading"})
        EXPECT_NE(out.find(line), std::string::npos) << line << " in\n" << out;
    EXPECT_EQ(err, "Error: Failed to open DIB file " + dir_ + "/none.bmp.\n");
}

TEST_F(BmpCheckTool, WritesThePngsItDecoded)
{
    EXPECT_EQ(Run("--png " + dir_ + "/korea.png " + RunPath("KOREA.bmp")), 0) << err;
    EXPECT_EQ(Run("--png " + dir_ + " " + RunPath("FRANCE.bmp") + " " + RunPath("BACK.bmp")), 0) << err;
    for (const char *name : {"korea.png", "FRANCE.png", "BACK.png"}) {
        std::string png = Slurp(dir_ + "/" + name);
        ASSERT_GT(png.size(), 24u) << name;
        EXPECT_EQ(png.substr(1, 3), "PNG") << name;
        // The width, big-endian at byte 16.
        EXPECT_EQ(png.substr(16, 4), std::string(std::string(name) == "BACK.png" ? "\0\0\4\0" : "\0\0\1\0", 4))
            << name;
    }
    EXPECT_EQ(Run("--png " + dir_ + "/nofolder/x.png " + RunPath("KOREA.bmp") + " " + RunPath("TOGO.bmp")), 2)
        << "several files need a folder";
}

TEST_F(BmpCheckTool, SaysWhyAFileIsRefusedAndPrintsPathsAsGiven)
{
    // A 46-byte file claiming 30000 x 30000, a pipe, a device, and a name
    // in UTF-8 that code page 949 would garble.
    ASSERT_TRUE(WriteBytes(dir_ + "/bomb.bmp", RunLengthClaim(30000, 30000)));
    ASSERT_EQ(mkfifo((dir_ + "/pipe.bmp").c_str(), 0600), 0);
    EXPECT_EQ(Run(dir_ + "/bomb.bmp " + dir_ + "/pipe.bmp /dev/zero '" + dir_ + "/caf\xC3\xA9.bmp'"), 1);
    for (const char *line : {"bomb.bmp: no file header, 40-byte info header, 30000 x 30000, 8 bits, "
                             "BI_RLE8, 1 colours, bits at 44: not loaded: width 30000 is over the "
                             "limit of 16384\n",
                             "pipe.bmp: a pipe or a socket: not loaded: not a file on disk\n",
                             "/dev/zero: a device: not loaded: not a file on disk\n"})
        EXPECT_NE(out.find(line), std::string::npos) << line << " in\n" << out;
    EXPECT_NE(err.find("Error: Failed to open DIB file " + dir_ + "/caf\xC3\xA9.bmp.\n"), std::string::npos) << err;
}

TEST_F(BmpCheckTool, PngsNeverReplaceInputsOtherFilesOrEachOther)
{
    std::string korea = RunPath("KOREA.bmp"), togo = RunPath("TOGO.bmp");
    for (const char *folder : {"/a", "/b", "/out"})
        ASSERT_EQ(0, mkdir((dir_ + folder).c_str(), 0700));
    std::string a = dir_ + "/a/KOREA.bmp", b = dir_ + "/b/KOREA.bmp", text = dir_ + "/notes.png";
    ASSERT_EQ(0, std::system(("cp " + korea + " " + a + " && cp " + togo + " " + b).c_str()));
    ASSERT_TRUE(WriteBytes(text, {'h', 'i'}));
    std::string original = Slurp(a);
    // A forgotten OUT: the first file would be taken for it.
    EXPECT_EQ(Run("--png " + a + " " + b), 2) << err;
    EXPECT_EQ(Run("--png " + text + " " + b), 4) << err;
    EXPECT_NE(err.find("notes.png: not written: it exists and is not a PNG"), std::string::npos) << err;
    EXPECT_EQ(Slurp(text), "hi");
    // Two inputs of one name: the second is a collision; a BMP named .png
    // in the output folder is an input.
    std::string bmp_named_png = dir_ + "/out/a.png";
    ASSERT_EQ(0, std::system(("cp " + korea + " " + bmp_named_png).c_str()));
    EXPECT_EQ(Run("--png " + dir_ + "/out " + a + " " + b + " " + bmp_named_png + " " + dir_ + "/none.bmp"),
              5) << "not loaded and not written";
    EXPECT_NE(err.find("out/KOREA.png: not written: already written for " + a), std::string::npos) << err;
    EXPECT_NE(err.find("out/a.png: not written: it is one of the inputs"), std::string::npos) << err;
    EXPECT_EQ(Slurp(a), original);
    EXPECT_EQ(Slurp(bmp_named_png), original);
    EXPECT_EQ(Slurp(dir_ + "/out/KOREA.png").substr(1, 3), "PNG");
    // A PNG from an earlier run is replaced.
    EXPECT_EQ(Run("--png " + dir_ + "/out " + b), 0) << err;
}

}  // namespace
