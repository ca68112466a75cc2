// The pictures: a missing, broken or hostile one shows one "Error" box and
// the show runs on with that object in its plain colours; an installed
// program finds its own pictures from any folder.
#include <sys/stat.h>

#include <filesystem>
#include <fstream>

#include "driver/journey.h"

namespace fs = std::filesystem;

namespace e2e {
namespace {

class PicturesJourney : public Journey {
protected:
    // The program on the prepared run folder, its one "Error" box answered.
    Window ShowAfterError()
    {
        StartProgram();
        AnswerBox(WaitForBox("Error"), XK_Return, "Error");
        Window scene = WaitForScene();
        EXPECT_EQ(FindWindow(x_, "Error"), static_cast<Window>(None))
            << "a second \"Error\" box appeared for one bad picture";
        return scene;
    }
};

// Without "TOGO.bmp": after the box, the Togo sphere wears its plain yellow
// and no flag, while the other spheres still wear theirs.
TEST_F(PicturesJourney, MissingPictureLeavesPlainColours)
{
    StartDisplay();
    PrepareRunFolder();
    fs::remove(run_dir_ + "/TOGO.bmp");
    Window scene = ShowAfterError();
    Image f = Look(scene, "plain-togo");
    Thaw();
    OrbitFit orbit = FindOrbit(f);
    ASSERT_TRUE(orbit.found) << "the spheres are not where the orbit puts them: " << orbit.why;
    Spot togo = OrbitSpot(orbit.phase), swiss = OrbitSpot(orbit.phase + OrbitOffset(2));
    DiscCounts t = CountDisc(f, togo.x, togo.y, 0.85 * togo.radius);
    DiscCounts s = CountDisc(f, swiss.x, swiss.y, 0.85 * swiss.radius);
    double flag = t.Share(t.togo - t.plain + t.stripe);
    EXPECT_TRUE(t.Share(t.plain) >= 0.5 && flag <= 0.02)
        << "Togo without its picture: expected plain yellow (share >= 0.5) and no flag colours "
           "(<= 0.02), got "
        << t.Share(t.plain) << " and " << flag;
    EXPECT_GE(s.Share(s.red), 0.3) << "Switzerland should still wear its flag";
    EndWithEscape(scene);
}

// A broken "BACK.bmp": cut short, text, or promising far more than it holds.
void broken_backdrop(const std::string &path, const std::string &kind)
{
    if (kind == "truncated") {
        fs::resize_file(path, 3000);
        return;
    }
    std::ofstream file(path, std::ios::binary | std::ios::trunc);
    if (kind == "garbage") {
        for (int i = 1; i <= 5000; ++i)
            file << i << "\n";
        return;
    }
    // "BM" and a 40-byte header for a 4096x4096 24-bit picture, in 4 KB.
    static const unsigned char header[] = {'B', 'M', 0, 0, 0,  0, 0, 0, 0, 0, 54, 0,
                                           0,   0,   40, 0, 0,  0, 0, 16, 0, 0, 0, 16,
                                           0,   0,   1,  0, 24, 0, 0, 0, 0, 0};
    file.write(reinterpret_cast<const char *>(header), sizeof header);
    file << std::string(4000, '\0');
}

TEST_F(PicturesJourney, BrokenBackdropsShowOneErrorAndAPlainBackdrop)
{
    StartDisplay();
    for (const char *kind : {"truncated", "garbage", "oversized"}) {
        SCOPED_TRACE(kind);
        PrepareRunFolder();
        broken_backdrop(run_dir_ + "/BACK.bmp", kind);
        Window scene = ShowAfterError();
        Rgb c = MeanColour(Look(scene, std::string(kind) + "-backdrop"), kBackdropCorner);
        Thaw();
        EXPECT_TRUE(IsPlainGrey(c))
            << kind << ": expected a plain grey backdrop without its picture, got "
            << ToString(c);
        EndWithEscape(scene);
    }
}

// A 46-byte KOREA.bmp claiming 26755 x 26755 pixels and a named pipe as
// TOGO.bmp: one box each, then the show runs and ends as usual.
TEST_F(PicturesJourney, HugeClaimAndNamedPipeShowTheirBoxesAndTheShowRuns)
{
    StartDisplay();
    PrepareRunFolder();
    {
        // A packed 40-byte header, RLE8, one colour, and only an end of bitmap.
        static const unsigned char claim[] = {40, 0, 0,    0, 0x83, 0x68, 0, 0, 0x83, 0x68, 0, 0,
                                              1,  0, 8,    0, 1,    0,    0, 0, 0,    0,    0, 0,
                                              0,  0, 0,    0, 0,    0,    0, 0, 1,    0,    0, 0,
                                              0,  0, 0,    0, 0,    0,    0xFF, 0, 0, 1};
        std::ofstream korea(run_dir_ + "/KOREA.bmp", std::ios::binary | std::ios::trunc);
        korea.write(reinterpret_cast<const char *>(claim), sizeof claim);
    }
    fs::remove(run_dir_ + "/TOGO.bmp");
    ASSERT_EQ(mkfifo((run_dir_ + "/TOGO.bmp").c_str(), 0600), 0);
    StartProgram();
    for (const char *picture : {"korea", "togo"})
        AnswerBox(WaitForBox("Error", std::string("error-") + picture), XK_Return, "Error");
    Window scene = WaitForScene();
    EXPECT_EQ(FindWindow(x_, "Error"), static_cast<Window>(None))
        << "more than one box for each of the two pictures";
    EndWithEscape(scene);
}

// A command-line step of a journey, with both its streams in `log`.
int run(const std::vector<std::string> &argv, const std::string &log)
{
    return RunToEnd({argv, {}, "", log, log, true}, Seconds(300));
}

std::string entry_line(const std::string &path, const std::string &key)
{
    std::ifstream file(path);
    for (std::string line; std::getline(file, line);)
        if (line.compare(0, key.size() + 1, key + "=") == 0)
            return line.substr(key.size() + 1);
    return "";
}

// `cmake --install` puts the program, bmpcheck, the pictures and a desktop
// entry in place; started as the entry says, from an empty folder, the
// program finds its pictures (no "Error" box).
TEST_F(PicturesJourney, InstalledProgramFindsItsPicturesFromAnyFolder)
{
    std::string prefix = artifacts_ + "/prefix";
    ASSERT_EQ(run({"/usr/bin/env", "cmake", "--install", GROUP_G_BUILD_DIR, "--prefix", prefix},
                  artifacts_ + "/install.log"),
              0)
        << "cmake --install failed: " << Tail(artifacts_ + "/install.log");
    std::string pictures = prefix + "/share/games/group-g";
    std::vector<std::string> check = {prefix + "/games/bmpcheck"};
    for (const char *picture : {"KOREA.bmp", "TOGO.bmp", "BACK.bmp", "FRANCE.bmp", "SWIS.bmp"})
        check.push_back(pictures + "/" + picture);
    for (const std::string &f : check)
        EXPECT_TRUE(fs::exists(f)) << "not installed: " << f;
    std::vector<fs::path> entries;
    for (const auto &e : fs::directory_iterator(prefix + "/share/applications"))
        entries.push_back(e.path());
    ASSERT_EQ(entries.size(), 1u) << "expected one desktop entry";
    std::string exec = entry_line(entries[0], "Exec");
    EXPECT_EQ(exec, prefix + "/games/group_g") << "the desktop entry's Exec";
    EXPECT_EQ(entry_line(entries[0], "Path"), "") << "the desktop entry needs no working folder";
    EXPECT_EQ(run(check, artifacts_ + "/bmpcheck.log"), 0)
        << "installed pictures do not pass bmpcheck: " << Tail(artifacts_ + "/bmpcheck.log");

    std::string empty = artifacts_ + "/empty";
    fs::create_directories(empty);
    StartDisplay(kDesktop, false);
    StartProgram(exec, empty);
    Window scene = WaitForScene();
    EXPECT_EQ(FindWindow(x_, "Error"), static_cast<Window>(None))
        << "the installed program did not find its pictures";
    EndWithEscape(scene);
}

}  // namespace
}  // namespace e2e
