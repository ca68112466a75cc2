// Hostile and unlucky picture files against the real loader and file
// services: size limits, pipes and devices, huge files, files that change
// while read, and headers that once loaded as wrong pixels.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <functional>
#include <map>
#include <string>
#include <thread>
#include <vector>

#include "assets/bmp_loader.h"
#include "platform/fake/fake_platform.h"
#include "platform/kernel32.h"
#include "tests/support/loaded_image.h"
#include "tests/support/temp_dir.h"
#include "tools/bmp_bytes.h"

namespace {

const char kConversionError[] = "Image file conversion error.";

class HostileFiles : public ::testing::Test {
protected:
    void SetUp() override { FakeReset(); }

    std::string Write(const Bytes &bytes, const std::string &name = "picture.bmp")
    {
        EXPECT_TRUE(WriteBytes(dir_ / name, bytes)) << dir_ / name;
        return dir_ / name;
    }

    // Null with exactly one box of `text` and a reason that mentions `why`.
    ::testing::AssertionResult Refused(RgbImage *image, const std::string &text,
                                       const std::string &why)
    {
        if (image != nullptr)
            return ::testing::AssertionFailure() << "loaded " << image->width << " x "
                                                 << image->height << ", expected a refusal";
        ::testing::AssertionResult one_box = OneErrorBox(FakeMessageBoxes(), text);
        if (!one_box)
            return one_box;
        if (std::string(BmpFailureReason()).find(why) == std::string::npos)
            return ::testing::AssertionFailure()
                   << "expected a reason with \"" << why << "\", got \"" << BmpFailureReason() << "\"";
        return ::testing::AssertionSuccess();
    }

    TempDir dir_{"bmp_hostile_test"};
};

TEST_F(HostileFiles, SizeLimitsHoldOnBothSidesAndAreJudgedBeforeAnyAllocation)
{
    struct Case {
        int32_t width, height;
        const char *why;  // null: loads
    } cases[] = {
        {16384, 1, nullptr},
        {16385, 1, "width 16385 is over the limit of 16384"},
        {1, 16384, nullptr},
        {1, 16385, "height 16385 is over the limit of 16384"},
        {16384, 5461, nullptr},  // 3 x 16384 x 5461 bytes: just within 256 MiB
        {16384, 5462, "pixel buffer of 256.0 MiB (16384 x 5462 x 3 bytes) is over the limit"},
        {9460, 9460, "pixel buffer of 256.0 MiB (9460 x 9460 x 3 bytes)"},
        {26755, 26755, "width 26755 is over the limit"},  // once crashed the texture code
        {30000, 30000, "width 30000 is over the limit"},
    };
    for (const Case &c : cases) {
        FakeReset();
        RgbImage *image = LoadBmpImage(Write(RunLengthClaim(c.width, c.height)).c_str());
        std::string shape = std::to_string(c.width) + " x " + std::to_string(c.height);
        if (c.why == nullptr) {
            ASSERT_NE(image, nullptr) << shape << ": " << BmpFailureReason();
            EXPECT_EQ(image->width * image->height, c.width * c.height) << shape;
            EXPECT_STREQ(BmpFailureReason(), "") << shape;
        } else {
            EXPECT_TRUE(Refused(image, kConversionError, c.why)) << shape;
            EXPECT_EQ(FakeCallCount("LocalAlloc"), 0) << shape << ": allocated before judging";
        }
        FreeImage(image);
    }
    // Top-down rows count the same, judged before the bits are looked at.
    FakeReset();
    Bytes top_down = BuildBmp(Fields(1, -16385));
    EXPECT_TRUE(Refused(DecodeBmpImage(top_down.data(), top_down.size()), kConversionError,
                        "height 16385 is over the limit"));
}

TEST_F(HostileFiles, ColourCountsPastSixteenBitsAndBitsInsideTheHeadersAreRefused)
{
    struct Case {
        const char *name;
        BmpFields fields;
        const char *why;
    };
    BmpFields indexed = Fields(4, 1, 8);
    indexed.palette.assign(256, 0x123456);
    indexed.bits = PackRows(4, 1, 8, {1, 2, 3, 4});
    BmpFields rgb = Fields(2, 1);
    rgb.bits = PackRows(2, 1, 24, {0xABCDEF, 0x123456});
    std::vector<Case> cases;
    for (uint32_t used : {65536u, 65537u}) {
        // Cut to 16 bits, these would read as no table (all black) or one entry.
        cases.push_back({"colour count", indexed, "colour count"});
        cases.back().fields.clr_used = used;
    }
    for (int64_t offset : {0, 2, 53}) {
        cases.push_back({"bits offset", rgb, "lies inside the headers, which end at 54"});
        cases.back().fields.bits_offset = offset;
    }
    BmpFields masked = rgb;  // the masks take bytes 54 to 65
    masked.bit_count = 16;
    masked.compression = 3;
    masked.masks = {0xF800, 0x07E0, 0x001F};
    masked.bits_offset = 54;
    masked.bits = PackRows(2, 1, 16, {0xFFFF, 0});
    cases.push_back({"bits offset on the masks", masked, "which end at 66"});
    for (const Case &c : cases) {
        FakeReset();
        EXPECT_TRUE(Refused(LoadBmpImage(Write(BuildBmp(c.fields)).c_str()), kConversionError, c.why))
            << c.name;
    }
    FakeReset();  // right behind the headers: where a table-less file's bits start
    rgb.bits_offset = 54;
    RgbImage *image = LoadBmpImage(Write(BuildBmp(rgb)).c_str());
    ASSERT_NE(image, nullptr) << BmpFailureReason();
    EXPECT_EQ(image->pixels[0], 0xAB);
    FreeImage(image);
}

TEST_F(HostileFiles, PipesDevicesSocketsAndFoldersFailAtOnceAsFilesThatCannotBeOpened)
{
    std::string fifo = dir_ / "TOGO.bmp";
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    std::string socket_path = dir_ / "socket.bmp";
    int listener = socket(AF_UNIX, SOCK_STREAM, 0);
    sockaddr_un address = {};
    address.sun_family = AF_UNIX;
    strncpy(address.sun_path, socket_path.c_str(), sizeof address.sun_path - 1);
    ASSERT_EQ(bind(listener, reinterpret_cast<sockaddr *>(&address), sizeof address), 0);
    for (const std::string &path : {fifo, std::string("/dev/zero"), socket_path, dir_.path}) {
        FakeReset();
        // A pipe with no writer would block an ordinary open for good.
        EXPECT_TRUE(Refused(LoadBmpImage(path.c_str()), "Failed to open DIB file " + path + ".\n", ""))
            << path;
        EXPECT_EQ(FakeCallCount("MapViewOfFile"), 0) << path;
        // Every file that opened had its type asked, and was closed again.
        EXPECT_EQ(FakeCallCount("CloseHandle"), FakeCallCount("GetFileType")) << path;
    }
    close(listener);
}

TEST_F(HostileFiles, HugeFileCostsOnlyThePagesItsPictureNeeds)
{
    RgbPicture picture = SolidPicture(4, 4, 0x336699);
    std::string path = Write(Bmp24(picture));
    // 5 GB, sparse: a reader that faults the whole file in holds 5 GB.
    if (truncate(path.c_str(), 5ll << 30) != 0)
        GTEST_SKIP() << "no room for a sparse 5 GB file in /tmp";
    rusage before, after;
    getrusage(RUSAGE_SELF, &before);
    RgbImage *image = LoadBmpImage(path.c_str());
    getrusage(RUSAGE_SELF, &after);
    ASSERT_NE(image, nullptr) << BmpFailureReason();
    EXPECT_EQ(0, memcmp(image->pixels, picture.rgb.data(), picture.rgb.size()));
    EXPECT_LT(after.ru_maxrss - before.ru_maxrss, 256 * 1024) << "KiB of peak resident memory";
    FreeImage(image);
}

// The kernel services alone: a view whose file shrinks under it.
TEST_F(HostileFiles, ViewOfAShrunkFileReadsZerosAndReportsTheLostPages)
{
    const size_t page = static_cast<size_t>(sysconf(_SC_PAGESIZE));
    std::string path = Write(Bytes(3 * page, 0xAB));
    HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    EXPECT_EQ(GetFileType(file), FILE_TYPE_DISK);
    HANDLE mapping = CreateFileMappingA(file, nullptr, PAGE_READONLY, 0, 0, nullptr);
    const volatile uint8_t *view =
        static_cast<const volatile uint8_t *>(MapViewOfFile(mapping, FILE_MAP_READ, 0, 0, 0));
    ASSERT_NE(view, nullptr);
    MEMORY_BASIC_INFORMATION region;
    ASSERT_NE(VirtualQuery(const_cast<uint8_t *>(view), &region, sizeof region), 0u);
    EXPECT_EQ(region.Type, MEM_MAPPED);
    EXPECT_EQ(region.RegionSize, 3 * page);

    ASSERT_EQ(truncate(path.c_str(), static_cast<off_t>(page)), 0);
    EXPECT_EQ(view[2 * page + 5], 0) << "a page the file lost";
    EXPECT_EQ(view[5], 0xAB) << "a page the file kept";
    ASSERT_NE(VirtualQuery(const_cast<uint8_t *>(view), &region, sizeof region), 0u);
    EXPECT_EQ(region.Type, MEM_MAPPED);
    EXPECT_EQ(region.RegionSize, 2 * page) << "the file's pages end where the lost ones start";
    ASSERT_NE(VirtualQuery(const_cast<uint8_t *>(view + 2 * page), &region, sizeof region), 0u);
    EXPECT_EQ(region.Type, MEM_PRIVATE);
    EXPECT_TRUE(UnmapViewOfFile(const_cast<uint8_t *>(view)));
    CloseHandle(mapping);
    CloseHandle(file);

    // Faults outside the views are not swallowed: they still end the process.
    EXPECT_DEATH(
        {
            std::string other = Write(Bytes(2 * page, 1), "other.bin");
            int fd = open(other.c_str(), O_RDONLY);
            volatile uint8_t *raw = static_cast<volatile uint8_t *>(
                mmap(nullptr, 2 * page, PROT_READ, MAP_SHARED, fd, 0));
            if (ftruncate(open(other.c_str(), O_WRONLY), 0) == 0)
                fprintf(stderr, "%d\n", raw[page]);
        },
        "");
}

TEST_F(HostileFiles, ViewTheLoaderCannotVouchForGivesTheConversionError)
{
    std::string path = Write(Bmp24(SolidPicture(8, 8, 0x00FF00)));
    for (int nth : {1, 2}) {  // before the bits are read, and after
        FakeReset();
        FakeFailCall("VirtualQuery", nth);
        EXPECT_TRUE(Refused(LoadBmpImage(path.c_str()), kConversionError, "changed while it was read"))
            << "VirtualQuery #" << nth;
        EXPECT_EQ(FakeCallCount("UnmapViewOfFile"), 1);
        EXPECT_LT(FakeCallIndex("MessageBoxA"), FakeCallIndex("UnmapViewOfFile"));
    }
}

// Every other load races another program truncating the picture and writing
// it back. The cut is at a page boundary, so every byte the reader can lose
// lies in a page lost whole, which the platform notices (README's known limits).
TEST_F(HostileFiles, PictureTruncatedAndRestoredWhileItLoadsGivesItselfOrTheConversionError)
{
    const int side = 2048;
    RgbPicture picture = SolidPicture(side, side, 0);
    for (int y = 0; y < side; y += 7)
        for (int x = 0; x < side; x += 3)
            SetPixel(&picture, x, y, static_cast<uint32_t>(x * 2654435761u ^ y));
    Bytes bytes = Bmp24(picture);
    std::string path = Write(bytes);
    const off_t cut = static_cast<off_t>(sysconf(_SC_PAGESIZE));

    auto rewrite = [&] {
        int fd = open(path.c_str(), O_WRONLY);
        bool ok = fd >= 0 && ftruncate(fd, cut) == 0 &&
                  pwrite(fd, bytes.data() + cut, bytes.size() - cut, cut) ==
                      static_cast<ssize_t>(bytes.size() - cut);
        close(fd);
        EXPECT_TRUE(ok) << "the writer could not rewrite the file";
    };
    std::map<std::string, int> outcomes;
    for (int load = 0; load < 40; ++load) {
        bool racing = load % 2 == 1;
        std::thread writer(racing ? std::function<void()>(rewrite) : [] {});
        FakeReset();
        RgbImage *image = LoadBmpImage(path.c_str());
        writer.join();
        if (image == nullptr) {
            EXPECT_TRUE(racing) << "load " << load << " of a file at rest failed";
            EXPECT_TRUE(Refused(image, kConversionError, "")) << "load " << load;
            ++outcomes[BmpFailureReason()];
        } else {
            EXPECT_EQ(0, memcmp(image->pixels, picture.rgb.data(), picture.rgb.size()))
                << "load " << load << " gave other pixels";
            ++outcomes["whole"];
        }
        FreeImage(image);
    }
    for (const auto &outcome : outcomes)
        printf("%3d x %s\n", outcome.second, outcome.first.c_str());
}

}  // namespace
