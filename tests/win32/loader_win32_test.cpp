// The loader and team texts as built for Windows, on KERNEL32's mappings and
// code pages: encodings, files it will not map, files cut at a page boundary
// (a read past it faults), sizes past the limits, paths too long for the box.
// This file stands in for the program's box at link time and records it.
#include <gtest/gtest.h>

#include <windows.h>

#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "assets/bmp_loader.h"
#include "platform/user32.h"
#include "platform/win32/win32_text.h"
#include "scene/picking.h"
#include "tests/support/loaded_image.h"
#include "tools/bmp_bytes.h"

namespace {

struct RecordedBox {
    std::string text, caption;
    UINT type;
};
std::vector<RecordedBox> boxes;

}  // namespace

int MessageBoxAnsi(HWND, const char *text, const char *caption, UINT type)
{
    boxes.push_back({text != nullptr ? text : "", caption != nullptr ? caption : "", type});
    return IDOK;
}

// The loader never shows a code page 949 text; linked for the scene's code.
int MessageBoxCp949(HWND owner, const char *text, const char *caption, UINT type)
{
    return MessageBoxAnsi(owner, text, caption, type);
}

namespace {

const char kUnknownFormat[] = "Unknown DIB file format.";
const char kConversionError[] = "Image file conversion error.";

::testing::AssertionResult OneErrorBox(const std::string &text) { return ::OneErrorBox(boxes, text); }

class WindowsLoader : public ::testing::Test {
protected:
    void SetUp() override
    {
        boxes.clear();
        popup_errors = true;
        char temp[MAX_PATH];
        ASSERT_NE(GetTempPathA(MAX_PATH, temp), 0u);
        static int serial = 0;
        dir_ = std::string(temp) + "group_g_loader_" + std::to_string(GetCurrentProcessId()) +
               "_" + std::to_string(++serial);
        ASSERT_TRUE(CreateDirectoryA(dir_.c_str(), nullptr)) << dir_;
    }

    void TearDown() override
    {
        for (RgbImage *image : images_)
            FreeImage(image);
        for (const std::string &path : files_)
            DeleteFileA(path.c_str());
        RemoveDirectoryA(dir_.c_str());
    }

    std::string Write(const Bytes &bytes, const std::string &name)
    {
        std::string path = dir_ + "\\" + name;
        EXPECT_TRUE(WriteBytes(path, bytes)) << "could not write " << path;
        files_.push_back(path);
        return path;
    }

    // Freed by the fixture.
    RgbImage *Load(const Bytes &bytes, const std::string &name = "picture.bmp")
    {
        boxes.clear();
        images_.push_back(LoadBmpImage(Write(bytes, name).c_str()));
        return images_.back();
    }

    std::string dir_;
    std::vector<std::string> files_;
    std::vector<RgbImage *> images_;
};

TEST_F(WindowsLoader, EveryShippedEncodingLoadsThroughAMapping)
{
    const int w = 37, h = 9;  // odd: rows need padding, half bytes and bits
    struct Case {
        const char *name;
        uint32_t colours;
        uint32_t header_size;
        int bit_count;
        uint32_t compression;  // BI_RGB, BI_RLE8 or BI_RLE4
    } cases[] = {{"24-bit", 8, 40, 24, 0},
                 {"8-bit palette", 8, 40, 8, 0},
                 {"RLE8", 8, 40, 8, 1},
                 {"RLE4", 8, 40, 4, 2},
                 {"1-bit, 12-byte header", 2, 12, 1, 0}};
    for (const Case &c : cases) {
        std::vector<uint32_t> indices = CardIndices(w, h, c.colours);
        BmpFields f = Fields(w, h, c.bit_count);
        f.header_size = c.header_size;
        f.compression = c.compression;
        if (c.bit_count <= 8)
            f.palette.assign(kPalette.begin(), kPalette.begin() + c.colours);
        f.clr_used = c.header_size == 40 && c.bit_count <= 8 ? c.colours : 0;
        f.bits = c.bit_count == 24    ? PackRgbPicture(CardPicture(w, h), 24)
                 : c.compression == 1 ? EncodeRle8(w, h, indices)
                 : c.compression == 2 ? EncodeRle4(w, h, indices)
                                      : PackRows(w, h, c.bit_count, indices);
        EXPECT_TRUE(SamePixels(Load(BuildBmp(f)), CardPicture(w, h, c.colours))) << c.name;
        EXPECT_TRUE(boxes.empty()) << c.name << ": " << (boxes.empty() ? "" : boxes[0].text);
    }
}

TEST_F(WindowsLoader, FilesTheSystemWillNotMapFailToOpen)
{
    // The system maps no empty file, and opens no folder as a file.
    std::string missing = dir_ + "\\MISSING.bmp";
    std::string empty = Write(Bytes(), "EMPTY.bmp");
    for (const std::string &path : {missing, empty, dir_}) {
        boxes.clear();
        EXPECT_EQ(LoadBmpImage(path.c_str()), nullptr) << path;
        EXPECT_TRUE(OneErrorBox("Failed to open DIB file " + path + ".\n"));
    }
}

TEST_F(WindowsLoader, ReadsStopAtTheEndOfAMappingOnAPageBoundary)
{
    // 64 x 64 at 24 bits: 54 + 12288 bytes; at whole pages a read past the end faults.
    Bytes whole = Bmp24(SolidPicture(64, 64, 0x336699));
    ASSERT_EQ(whole.size(), 12342u);
    for (size_t length : {1u, 13u, 14u, 15u, 53u, 54u, 4096u, 8192u, 12288u, 12341u}) {
        Bytes cut(whole.begin(), whole.begin() + static_cast<ptrdiff_t>(length));
        EXPECT_EQ(Load(cut, "cut" + std::to_string(length) + ".bmp"), nullptr) << length << " bytes";
        ASSERT_EQ(boxes.size(), 1u) << length << " bytes";
        EXPECT_TRUE(boxes[0].text == kUnknownFormat || boxes[0].text == kConversionError)
            << length << " bytes: " << boxes[0].text;
    }
    EXPECT_TRUE(SamePixels(Load(whole), SolidPicture(64, 64, 0x336699)));
}

TEST_F(WindowsLoader, SizesPastTheLimitsAreRefusedBeforeAnyAllocation)
{
    // Many gigabytes promised by a few bytes, refused from the header alone
    // where long is 32 bits.
    struct Case {
        int32_t width;
        int32_t height;
        uint16_t bits;
    } cases[] = {{BMP_MAX_SIDE + 1, 1, 24}, {1, -(int32_t)BMP_MAX_SIDE - 1, 24},
                 {9460, 9460, 24}, {100000, 100000, 24}, {INT32_MAX, 1, 24},
                 {1, INT32_MIN, 24}, {65536, -65536, 32}, {0x40000000, 4, 1}};
    for (const Case &c : cases) {
        BmpFields f = Fields(c.width, c.height, c.bits);
        f.palette.assign(c.bits == 1 ? 2 : 0, 0);
        f.bits = Bytes(16, 0xAB);
        EXPECT_EQ(Load(BuildBmp(f)), nullptr) << c.width << " x " << c.height;
        EXPECT_TRUE(OneErrorBox(kConversionError)) << c.width << " x " << c.height;
    }

    // The widest allowed loads; cut short, its reason gives sizes as on Linux.
    BmpFields widest = Fields(BMP_MAX_SIDE, 1);
    widest.bits = Bytes(BMP_MAX_SIDE * 3, 0x40);
    EXPECT_TRUE(SamePixels(Load(BuildBmp(widest)), SolidPicture(BMP_MAX_SIDE, 1, 0x404040)));
    widest.bits.resize(1000);
    EXPECT_EQ(Load(BuildBmp(widest)), nullptr);
    EXPECT_EQ(std::string(BmpFailureReason()),
              "the pixel bits need 49152 bytes, the file holds 1000");
}

// 300 bytes: past the 229 the box's 256-byte text takes. The cut falls
// between characters of the ANSI code page (UTF-8 by the manifest): a Hangul
// name loses its whole last syllable.
TEST_F(WindowsLoader, LongPathsAreCutToFitTheBox)
{
    ASSERT_EQ(GetACP(), static_cast<UINT>(CP_UTF8)) << "the manifest's code page did not take";
    const std::string head = dir_ + "\\";
    for (const std::string filler : {"a", "\xED\x95\x9C"}) {  // U+D55C, three bytes
        // A byte more where the cut would fall between syllables anyway.
        std::string path = head + ((226 - head.size()) % filler.size() == 0 ? "a" : "");
        size_t kept = path.size() + (226 - path.size()) / filler.size() * filler.size();
        while (path.size() < 300)
            path += filler;
        boxes.clear();
        EXPECT_EQ(LoadBmpImage(path.c_str()), nullptr);
        EXPECT_TRUE(OneErrorBox("Failed to open DIB file " + path.substr(0, kept) + "....\n"))
            << "filled with " << filler.size() << "-byte characters";
    }
}

TEST(WindowsTexts, TeamTextsReadAsCodePage949WhateverTheSystemCodePage)
{
    struct Case {
        GLuint name;
        const wchar_t *text;
    } cases[] = {
        {100, L"Team Tarsel"},
        {101, L"대한민국\nFIFA 랭킹 : 29위\n1승(3점)"},
        {102, L"토고\nFIFA 랭킹 : 61위\n1패(0점)"},
        {103, L"순위\n1.대한민국\n2.프랑스\n2.스위스\n4.토고"},
        {104, L"프랑스\nFIFA 랭킹 : 8위\n1무(1점)"},
        {105, L"스위스\nFIFA 랭킹 : 35위\n1무(1점)"},
        {0, L"What?"},
    };
    for (const Case &c : cases)
        EXPECT_TRUE(Cp949ToWide(PickText(c.name)) == c.text) << "selection name " << c.name;

    // A lead byte with nothing after it shows as something; what came before is kept.
    std::wstring cut = Cp949ToWide("\xb4\xeb\xc7");
    ASSERT_GE(cut.size(), 2u);
    EXPECT_EQ(cut[0], L'\xB300');
    EXPECT_TRUE(Cp949ToWide(nullptr).empty());
    EXPECT_TRUE(Cp949ToWide("").empty());
}

}  // namespace
