// The BMP loader against files built as bytes: layout of the result, every
// encoding, header forms and colour counts, every failure with its one box
// and its releases, and truncated or hostile files.
#include <gtest/gtest.h>


#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "assets/bmp_header.h"
#include "assets/bmp_loader.h"
#include "platform/fake/fake_platform.h"
#include "platform/user32.h"
#include "tests/support/loaded_image.h"
#include "tests/support/fake_window.h"
#include "tests/support/temp_dir.h"
#include "tools/bmp_bytes.h"

namespace {

const char kOutOfMemory[] = "Out of memory.";
const char kUnknownFormat[] = "Unknown DIB file format.";
const char kConversionError[] = "Image file conversion error.";

// A picture given row by row, bottom row first.
RgbPicture Rows(const std::vector<std::vector<uint32_t>> &rows)
{
    RgbPicture picture = SolidPicture(static_cast<int>(rows[0].size()), static_cast<int>(rows.size()), 0);
    for (size_t y = 0; y < rows.size(); ++y)
        for (size_t x = 0; x < rows[y].size(); ++x)
            SetPixel(&picture, static_cast<int>(x), static_cast<int>(y), rows[y][x]);
    return picture;
}

class BmpLoader : public ::testing::Test {
protected:
    void SetUp() override
    {
        FakeReset();
        popup_errors = true;
    }
    void TearDown() override { popup_errors = true; }

    std::string Write(const Bytes &bytes, const std::string &name = "picture.bmp")
    {
        EXPECT_TRUE(WriteBytes(dir_ / name, bytes)) << "could not write " << dir_ / name;
        return dir_ / name;
    }

    RgbImage *LoadBytes(const Bytes &bytes) { return LoadBmpImage(Write(bytes).c_str()); }

    // A fresh load of `bytes` that gives `expected` and no box.
    ::testing::AssertionResult Loads(const Bytes &bytes, const RgbPicture &expected)
    {
        FakeReset();
        RgbImage *image = LoadBytes(bytes);
        ::testing::AssertionResult same = SamePixels(image, expected);
        FreeImage(image);
        if (same && !FakeMessageBoxes().empty())
            return ::testing::AssertionFailure() << "loaded, but showed \"" << FakeMessageBoxes()[0].text << "\"";
        return same;
    }

    ::testing::AssertionResult OneBox(const std::string &text)
    {
        return OneErrorBox(FakeMessageBoxes(), text);
    }

    // Every handle and block obtained was given back.
    ::testing::AssertionResult AllReleased()
    {
        int handles = FakeCallCount("CreateFileA") + FakeCallCount("CreateFileMappingA");
        int views = FakeCallCount("MapViewOfFile");
        int blocks = FakeCallCount("LocalAlloc") - failed_blocks_;
        if (FakeCallCount("CloseHandle") != handles || FakeCallCount("UnmapViewOfFile") != views ||
            FakeCallCount("LocalFree") != blocks)
            return ::testing::AssertionFailure()
                   << "expected CloseHandle x" << handles << ", UnmapViewOfFile x" << views
                   << ", LocalFree x" << blocks << "; got " << FakeCallCount("CloseHandle")
                   << ", " << FakeCallCount("UnmapViewOfFile") << ", "
                   << FakeCallCount("LocalFree");
        return ::testing::AssertionSuccess();
    }

    TempDir dir_{"bmp_loader_test"};
    int failed_blocks_ = 0;
};

// The card's indices as stored words: each channel of a kPalette colour is
// 0 or full, so it stores 0 or the whole of its mask (red, green, blue).
std::vector<uint32_t> MaskedWords(std::vector<uint32_t> indices, const std::vector<uint32_t> &masks)
{
    for (uint32_t &i : indices)
        i = (kPalette[i] & 0xFF0000 ? masks[0] : 0) | (kPalette[i] & 0xFF00 ? masks[1] : 0) |
            (kPalette[i] & 0xFF ? masks[2] : 0);
    return indices;
}

Bytes Indexed(int bits, int width, int height, bool core = false)
{
    BmpFields f = Fields(width, height, bits);
    f.header_size = core ? 12 : 40;
    f.palette = kPalette;
    f.palette.resize(static_cast<size_t>(1) << bits, 0x808080);
    f.bits = PackRows(width, height, bits, CardIndices(width, height));
    return BuildBmp(f);
}

TEST_F(BmpLoader, FourByTwoTwentyFourBitGivesRowsBottomFirstInRgbOrder)
{
    // Bytes 0-2 are the bottom-left pixel, 12-14 the top-left one.
    RgbPicture picture = Rows({{0x102030, 0, 0, 0}, {0x405060, 0, 0, 0x708090}});
    EXPECT_TRUE(Loads(Bmp24(picture), picture));
    EXPECT_TRUE(AllReleased());
}

TEST_F(BmpLoader, ThreeWideRowsLosePaddingInTheRecord)
{
    BmpFields f = Fields(3, 2);
    f.bits = {1, 2, 3, 4, 5, 6, 7, 8, 9, 0xEE, 0xEE, 0xEE,
              11, 12, 13, 14, 15, 16, 17, 18, 19, 0xEE, 0xEE, 0xEE};
    // Rows of 9 bytes back to back, pad bytes 0xEE dropped.
    EXPECT_TRUE(Loads(BuildBmp(f), Rows({{0x030201, 0x060504, 0x090807}, {0x0D0C0B, 0x100F0E, 0x131211}})));
}

TEST_F(BmpLoader, EveryEncodingDecodesTheTestCard)
{
    const int w = 13;  // odd, so every row needs padding and half bytes
    const int h = 5;
    RgbPicture card = CardPicture(w, h);
    std::vector<uint32_t> indices = CardIndices(w, h);
    struct Case {
        const char *name;
        Bytes file;
    };
    std::vector<Case> cases;
    for (int bits : {4, 8}) {
        cases.push_back({bits == 4 ? "4-bit" : "8-bit", Indexed(bits, w, h)});
        cases.push_back({bits == 4 ? "4-bit core" : "8-bit core", Indexed(bits, w, h, true)});
    }
    // Packed, the bits lie behind the full table (40 + 4 * 256, 12 + 3 * 256).
    for (bool core : {false, true}) {
        Bytes with_header = Indexed(8, w, h, core);
        cases.push_back({core ? "8-bit core packed" : "8-bit packed",
                         Bytes(with_header.begin() + 14, with_header.end())});
    }
    cases.push_back({"24-bit", Bmp24(card)});
    {
        BmpFields f = Fields(w, h);
        f.bits_offset = 100;  // a gap of zeros between the header and the bits
        f.bits = PackRgbPicture(card, 24);
        cases.push_back({"24-bit at offset 100", BuildBmp(f)});
        // Rows stored top first under a negative height still load bottom first.
        RgbPicture flipped = card;
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x)
                SetPixel(&flipped, x, y, PixelOf(card, x, h - 1 - y));
        f.bits_offset = -1;
        f.height = -h;
        f.bits = PackRgbPicture(flipped, 24);
        cases.push_back({"24-bit top-down", BuildBmp(f)});
    }
    {
        BmpFields f = Fields(w, h, 32);
        f.bits = PackRgbPicture(card, 32);
        cases.push_back({"32-bit", BuildBmp(f)});
        f.compression = 3;  // bit fields, 10 bits a channel, blue on top
        f.masks = {0x000003FF, 0x000FFC00, 0x3FF00000};
        f.bits = PackRows(w, h, 32, MaskedWords(indices, f.masks));
        cases.push_back({"32-bit 10-10-10 bit fields", BuildBmp(f)});
    }
    {
        BmpFields f = Fields(w, h, 16);
        f.bits = PackRows(w, h, 16, MaskedWords(indices, {0x7C00, 0x03E0, 0x001F}));
        cases.push_back({"16-bit 5-5-5", BuildBmp(f)});
        f.compression = 3;
        f.masks = {0xF800, 0x07E0, 0x001F};
        f.bits = PackRows(w, h, 16, MaskedWords(indices, f.masks));
        cases.push_back({"16-bit 5-6-5 bit fields", BuildBmp(f)});
        f.file_header = false;  // the bits come after the masks
        cases.push_back({"16-bit 5-6-5 packed", BuildBmp(f)});
    }
    {
        BmpFields f = Fields(w, h, 8);
        f.compression = 1;
        f.palette = kPalette;
        f.clr_used = 8;
        f.bits = EncodeRle8(w, h, indices);
        cases.push_back({"RLE8", BuildBmp(f)});
        f.bit_count = 4;
        f.compression = 2;
        f.bits = EncodeRle4(w, h, indices);
        cases.push_back({"RLE4", BuildBmp(f)});
    }
    for (const Case &c : cases)
        EXPECT_TRUE(Loads(c.file, card)) << c.name;
}

TEST_F(BmpLoader, OneBitImageUsesItsTwoEntries)
{
    BmpFields f = Fields(10, 2, 1);
    f.palette = {0x123456, 0xABCDEF};
    f.bits = PackRows(10, 2, 1, {1, 0, 0, 1, 1, 1, 0, 0, 0, 1, 0, 1, 0, 1, 0, 1, 0, 1, 0, 1});
    const uint32_t a = 0x123456, b = 0xABCDEF;
    EXPECT_TRUE(Loads(BuildBmp(f), Rows({{b, a, a, b, b, b, a, a, a, b}, {a, b, a, b, a, b, a, b, a, b}})));
}

TEST_F(BmpLoader, SixteenBitChannelsAreScaledNotTruncated)
{
    BmpFields f = Fields(4, 1, 16);
    // 5-5-5: full red; red 16, green 1, blue 30
    f.bits = PackRows(4, 1, 16, {31u << 10, 16u << 10 | 1u << 5 | 30u, 0, 0x7FFF});
    // round(16 * 255 / 31) = 132, round(255 / 31) = 8, round(30 * 255 / 31) = 247
    EXPECT_TRUE(Loads(BuildBmp(f), Rows({{0xFF0000, 132u << 16 | 8u << 8 | 247u, 0, 0xFFFFFF}})));
}

TEST_F(BmpLoader, RunLengthEscapesDeltaAbsoluteAndEarlyEnd)
{
    const uint32_t black = 0x000000, red = 0xFF0000, green = 0x00FF00, blue = 0x0000FF;
    BmpFields f = Fields(8, 4, 8);
    f.compression = 1;
    f.palette = {black, red, green, blue};
    f.clr_used = 4;
    f.bits = {
        3, 1,                    // row 0: three red
        0, 3, 2, 3, 2, 0,        // absolute run of 3 (padded): green blue green
        9, 1,                    // a run past the right edge is cut
        0, 0,                    // end of line
        0, 2, 2, 1,              // delta: right 2, up 1 (row 2, x 2)
        2, 3,                    // two blue
        0, 1,                    // end of bitmap: row 3 stays black
    };
    const std::vector<uint32_t> blacks(8, black);
    EXPECT_TRUE(Loads(BuildBmp(f), Rows({{red, red, red, green, blue, green, red, red}, blacks,
                                        {black, black, blue, blue, black, black, black, black},
                                        blacks})));
    f.width = 6;
    f.height = 1;
    f.bit_count = 4;
    f.compression = 2;
    f.bits = {
        3, 0x12,              // red green red
        0, 3, 0x32, 0x10,     // absolute 3 (2 bytes, already even): blue green red
        0, 1,
    };
    EXPECT_TRUE(Loads(BuildBmp(f), Rows({{red, green, red, blue, green, red}}))) << "RLE4";
}

TEST_F(BmpLoader, CountDibColorsFollowsBitCountAndColorsUsed)
{
    struct Case {
        uint32_t header_size;
        uint16_t bits;
        uint32_t used;
        uint16_t expected;
    } cases[] = {
        {40, 1, 0, 2},      {40, 4, 0, 16},   {40, 8, 0, 256},    {40, 1, 5, 5},
        {40, 4, 5, 5},      {40, 8, 5, 5},    {40, 16, 0, 0},     {40, 24, 0, 0},
        {40, 32, 0, 0},     {40, 24, 16, 16}, {40, 8, 65536, 0},  {40, 8, 65537, 1},
        {12, 1, 0, 2},      {12, 4, 0, 16},   {12, 8, 0, 256},    {12, 24, 0, 0},
        {108, 8, 0, 256},   {40, 0, 0, 0},    {40, 2, 0, 0},
    };
    for (const Case &c : cases) {
        BmpFields f;
        f.file_header = false;
        f.header_size = c.header_size;
        f.bit_count = c.bits;
        f.clr_used = c.used;
        // A core header's colour table lies where a 40-byte one keeps biClrUsed.
        f.palette.assign(16, 0x050505);
        EXPECT_EQ(CountDibColors(BuildBmp(f).data()), c.expected)
            << "header " << c.header_size << ", " << c.bits << " bits, biClrUsed " << c.used;
    }
}

TEST_F(BmpLoader, ColorsUsedDecidesTheTableAndTheBitsPosition)
{
    // Five entries in a packed 8-bit DIB: the bits start at 40 + 4 * 5.
    BmpFields f = Fields(4, 1, 8);
    f.file_header = false;
    f.clr_used = 5;
    f.palette = {0x000000, 0x111111, 0x222222, 0x333333, 0x444444};
    f.bits = PackRows(4, 1, 8, {4, 3, 2, 1});
    EXPECT_TRUE(Loads(BuildBmp(f), Rows({{0x444444, 0x333333, 0x222222, 0x111111}})));
    // An index past the table reads no memory behind it: it is black.
    f.bits = PackRows(4, 1, 8, {200, 4, 255, 5});
    EXPECT_TRUE(Loads(BuildBmp(f), Rows({{0, 0x444444, 0, 0}})));
}

TEST_F(BmpLoader, LongerHeadersAreUnknownWithOneBox)
{
    for (uint32_t size : {108u, 124u, 64u}) {
        FakeReset();
        BmpFields f = Fields(2, 2);
        f.header_size = size;
        f.bits = PackRows(2, 2, 24, {});
        EXPECT_EQ(LoadBytes(BuildBmp(f)), nullptr) << size;
        EXPECT_TRUE(OneBox(kUnknownFormat)) << size;
        EXPECT_TRUE(AllReleased()) << size;
        // The source block comes before the header size is judged.
        EXPECT_EQ(FakeCallCount("LocalAlloc"), 1) << size;
    }
}

TEST_F(BmpLoader, FilesThatCannotBeOpenedShowTheOpenFailureAfterTheReleases)
{
    std::string picture = Write(Bmp24(SolidPicture(4, 4, 0x00FF00)));
    std::string empty = Write({}, "empty.bmp");
    struct Case {
        std::string path;
        std::string failing;  // the call made to fail, if any
        int opened;           // handles that must be closed again
    } cases[] = {{dir_ / "NOPE.bmp", "", 0}, {empty, "", 1}, {dir_.path, "", 0},
                 {picture, "CreateFileA", 0},
                 {picture, "GetFileSize", 1},  // no size, no bounds: nothing is mapped
                 {picture, "CreateFileMappingA", 1}, {picture, "MapViewOfFile", 2}};
    for (const Case &c : cases) {
        std::string name = c.path + " " + c.failing;
        FakeReset();
        if (!c.failing.empty())
            FakeFailCall(c.failing.c_str());
        EXPECT_EQ(LoadBmpImage(c.path.c_str()), nullptr) << name;
        EXPECT_TRUE(OneBox("Failed to open DIB file " + c.path + ".\n")) << name;
        EXPECT_EQ(FakeCallCount("CloseHandle"), c.opened) << name;
        EXPECT_EQ(FakeCallCount("MapViewOfFile"), c.failing == "MapViewOfFile" ? 1 : 0) << name;
        EXPECT_EQ(FakeCallCount("UnmapViewOfFile"), 0) << name;
        EXPECT_EQ(FakeCallCount("LocalFree"), FakeCallCount("LocalAlloc")) << name;
        int box = FakeCallIndex("MessageBoxA");
        for (int i = 0; i < box; ++i)
            EXPECT_NE(FakeCallLog()[i], "LocalAlloc") << name << ": nothing read";
        if (c.opened > 0) {
            EXPECT_LT(FakeCallIndex("CloseHandle"), box) << name << ": the box comes after the releases";
        }
    }
}

TEST_F(BmpLoader, OutOfMemoryForEitherHeaderBlockShowsOneBoxBeforeTheRelease)
{
    std::string path = Write(Indexed(8, 4, 4));
    for (int nth : {1, 2}) {
        FakeReset();
        failed_blocks_ = 1;
        FakeFailCall("LocalAlloc", nth);
        EXPECT_EQ(LoadBmpImage(path.c_str()), nullptr) << "LocalAlloc #" << nth;
        EXPECT_TRUE(OneBox(kOutOfMemory)) << "LocalAlloc #" << nth;
        EXPECT_TRUE(AllReleased()) << "LocalAlloc #" << nth;
        EXPECT_LT(FakeCallIndex("MessageBoxA"), FakeCallIndex("UnmapViewOfFile"))
            << "LocalAlloc #" << nth << ": box before the view is released";
    }
    failed_blocks_ = 0;
}

TEST_F(BmpLoader, ReleasesComeInTheirFixedOrder)
{
    RgbImage *image = LoadBytes(Indexed(4, 6, 2));
    ASSERT_NE(image, nullptr);
    const std::vector<std::string> &log = FakeCallLog();
    std::vector<std::string> kernel;
    for (const std::string &call : log)
        if (call != "GetFocus" && call != "MessageBoxA")
            kernel.push_back(call);
    std::vector<std::string> expected = {
        "CreateFileA", "GetFileType", "GetFileSize", "CreateFileMappingA", "MapViewOfFile",
        // whether the view still holds the whole file, before and after it is read
        "VirtualQuery", "LocalAlloc", "LocalAlloc", "LocalFree", "LocalFree", "VirtualQuery",
        "UnmapViewOfFile", "CloseHandle", "CloseHandle"};
    EXPECT_EQ(kernel, expected);
    FreeImage(image);
}

TEST_F(BmpLoader, RefusedFilesShowTheirOneBoxAndReleaseEverything)
{
    struct Case {
        std::string name;
        Bytes bytes;
        const char *message;
    };
    Bytes small = BuildBmp(BmpFields());
    std::vector<Case> cases = {
        {"one byte", {'B'}, kUnknownFormat},
        {"only BM", {'B', 'M'}, kUnknownFormat},
        {"BM and a cut file header", {'B', 'M', 0, 0, 0, 0, 0, 0, 0, 0, 54, 0}, kUnknownFormat},
        {"size field cut", {40, 0, 0}, kUnknownFormat},
        {"40-byte header cut at 30", Bytes(small.begin() + 14, small.begin() + 44), kConversionError},
        {"unknown size, too short to count colours", {99, 0, 0, 0, 1, 2, 3}, kUnknownFormat},
    };
    BmpFields base = Fields(4, 2);
    base.bits = PackRows(4, 2, 24, {});
    // `base` changed, and `stored_bits_offset` written over bfOffBits when not 0.
    auto with = [&](const char *name, auto change, uint32_t stored_bits_offset = 0) {
        BmpFields f = base;
        change(f);
        Bytes file = BuildBmp(f);
        for (int i = 0; stored_bits_offset != 0 && i < 4; ++i)
            file[10 + i] = static_cast<uint8_t>(stored_bits_offset >> (8 * i));
        cases.push_back({name, file, kConversionError});
    };
    with("bit count 7", [](BmpFields &f) { f.bit_count = 7; });
    with("JPEG compression", [](BmpFields &f) { f.compression = 4; });
    with("RLE8 at 24 bits", [](BmpFields &f) { f.compression = 1; });
    with("bit fields at 24 bits", [](BmpFields &f) { f.compression = 3; f.masks = {0xFF0000, 0xFF00, 0xFF}; });
    with("non-contiguous mask", [](BmpFields &f) {
        f.bit_count = 16; f.compression = 3; f.masks = {0xF00F, 0xF0, 0xF00};
    });
    with("empty mask", [](BmpFields &f) { f.bit_count = 32; f.compression = 3; f.masks = {0, 0xFF00, 0xFF}; });
    with("top-down RLE8", [](BmpFields &f) {
        f.bit_count = 8; f.height = -2; f.compression = 1; f.bits = {4, 0, 0, 0, 4, 0, 0, 1};
    });
    with("RLE8 without end of bitmap", [](BmpFields &f) {
        f.bit_count = 8; f.compression = 1; f.bits = {4, 0, 0, 0};
    });
    with("width 0", [](BmpFields &f) { f.width = 0; });
    with("negative width", [](BmpFields &f) { f.width = -4; });
    with("height 0", [](BmpFields &f) { f.height = 0; });
    with("RGB size past 32 bits", [](BmpFields &f) { f.width = 65536; f.height = 32768; });
    with("bits offset past the end", [](BmpFields &) {}, 1u << 20);
    with("bits offset at the 32-bit limit", [](BmpFields &) {}, 0xFFFFFFFFu);
    with("colour table past the end", [](BmpFields &f) { f.bit_count = 8; f.bits.clear(); });
    with("last row cut short", [](BmpFields &f) { f.bits.resize(20); });
    for (const Case &c : cases) {
        FakeReset();
        EXPECT_EQ(LoadBytes(c.bytes), nullptr) << c.name;
        EXPECT_TRUE(OneBox(c.message)) << c.name;
        EXPECT_TRUE(AllReleased()) << c.name;
    }
}

TEST_F(BmpLoader, EveryPrefixOfAValidFileFailsCleanlyOrLoadsWhole)
{
    std::vector<Bytes> files;
    files.push_back(Bmp24(CardPicture(5, 3)));
    files.push_back(Indexed(4, 5, 3, true));
    {
        BmpFields f = Fields(9, 3, 8);
        f.file_header = false;
        f.compression = 1;
        f.palette = kPalette;
        f.clr_used = 8;
        f.bits = EncodeRle8(9, 3, CardIndices(9, 3));
        files.push_back(BuildBmp(f));
        f.bit_count = 16;
        f.compression = 3;
        f.palette.clear();
        f.clr_used = 0;
        f.masks = {0xF800, 0x07E0, 0x001F};
        f.bits = PackRows(9, 3, 16, std::vector<uint32_t>(27, 0xFFFF));
        files.push_back(BuildBmp(f));
    }
    for (size_t n = 0; n < files.size(); ++n) {
        const Bytes &whole = files[n];
        FakeReset();
        RgbImage *full = DecodeBmpImage(whole.data(), whole.size());
        ASSERT_NE(full, nullptr) << "file " << n;
        size_t full_bytes = static_cast<size_t>(full->width) * full->height * 3;
        for (size_t length = 1; length < whole.size(); ++length) {
            FakeReset();
            // An exact heap copy: ASan sees a read past it; a mapping's page would not.
            unsigned char *prefix = static_cast<unsigned char *>(malloc(length));
            memcpy(prefix, whole.data(), length);
            RgbImage *image = DecodeBmpImage(prefix, length);
            if (image == nullptr) {
                EXPECT_EQ(FakeMessageBoxes().size(), 1u) << "file " << n << ", " << length << " bytes";
            } else {
                EXPECT_TRUE(FakeMessageBoxes().empty()) << "file " << n << ", " << length << " bytes";
                EXPECT_EQ(image->width, full->width);
                EXPECT_EQ(image->height, full->height);
                EXPECT_EQ(0, memcmp(image->pixels, full->pixels, full_bytes))
                    << "file " << n << ": a prefix of " << length << " bytes loaded other pixels";
            }
            EXPECT_EQ(FakeCallCount("LocalAlloc"), FakeCallCount("LocalFree"));
            FreeImage(image);
            free(prefix);
        }
        FreeImage(full);
    }
    // Through the file system too: every prefix of a small file.
    const Bytes &whole = files[0];
    for (size_t length = 1; length < whole.size(); length += 7) {
        FakeReset();
        RgbImage *image = LoadBytes(Bytes(whole.begin(), whole.begin() + length));
        EXPECT_EQ(image, nullptr) << length << " bytes";
        EXPECT_EQ(FakeMessageBoxes().size(), 1u) << length << " bytes";
        EXPECT_TRUE(AllReleased()) << length << " bytes";
    }
}

TEST_F(BmpLoader, WithoutPopupsFailuresAreSilent)
{
    popup_errors = false;
    EXPECT_EQ(LoadBmpImage((dir_ / "missing.bmp").c_str()), nullptr);
    BmpFields f;
    f.header_size = 124;
    EXPECT_EQ(LoadBytes(BuildBmp(f)), nullptr);
    FakeFailCall("LocalAlloc");
    EXPECT_EQ(LoadBytes(Bmp24(SolidPicture(4, 1, 0))), nullptr);
    EXPECT_TRUE(FakeMessageBoxes().empty()) << "got " << FakeMessageBoxes().size() << " boxes";
}

TEST_F(BmpLoader, BoxBelongsToTheWindowWithTheFocus)
{
    EXPECT_EQ(LoadBmpImage((dir_ / "missing.bmp").c_str()), nullptr);
    ASSERT_EQ(FakeMessageBoxes().size(), 1u);
    EXPECT_EQ(FakeMessageBoxes()[0].owner, nullptr) << "no window, no owner";

    FakeReset();
    HWND window = OpenFakeWindow(WS_OVERLAPPEDWINDOW);
    SetFocus(window);
    EXPECT_EQ(LoadBmpImage((dir_ / "missing.bmp").c_str()), nullptr);
    ASSERT_EQ(FakeMessageBoxes().size(), 1u);
    EXPECT_EQ(FakeMessageBoxes()[0].owner, window);
    DestroyWindow(window);
    UnregisterClassA("OpenGL", nullptr);
}

TEST_F(BmpLoader, LongPathsAreCutToFitTheBox)
{
    // 229 bytes of path fit the box's 256-byte buffer, and no character is
    // split: a three-byte Hangul syllable would end past the last that fits.
    std::string korean = "/nonexistent/" + std::string(212, 'b');  // 225 bytes
    for (int i = 0; i < 20; ++i)
        korean += "\xED\x95\x9C";  // one Hangul syllable
    std::string long_path = "/nonexistent/" + std::string(287, 'a'), fits = "/nonexistent/" + std::string(216, 'c');
    struct Case {
        std::string path, shown;
    } cases[] = {{long_path, long_path.substr(0, 226) + "..."},
                 {korean, korean.substr(0, 225) + "..."},
                 {fits, fits}};
    for (const Case &c : cases) {
        FakeReset();
        EXPECT_EQ(LoadBmpImage(c.path.c_str()), nullptr);
        EXPECT_TRUE(OneBox("Failed to open DIB file " + c.shown + ".\n")) << c.path.size() << " bytes";
    }
}

}  // namespace
