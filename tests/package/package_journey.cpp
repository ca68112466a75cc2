// The installed program (GROUP_G_INSTALLED_PROGRAM, set by package_e2e.sh;
// skipped without) started from an empty folder: it finds its pictures, shows
// them as the build tree's program does, writes nothing there, ends on Esc.
#include <cstdlib>
#include <filesystem>

#include "driver/journey.h"

namespace fs = std::filesystem;

namespace e2e {
namespace {

using PackageJourney = Journey;

// The backdrop below the lowest point the orbiting spheres reach (y 425):
// what shows there is the backdrop's picture alone.
const Rect kBand{0, 432, kClientWidth, kClientHeight - 432};

TEST_F(PackageJourney, InstalledProgramShowsItsPicturesFromAnEmptyFolder)
{
    const char *installed = getenv("GROUP_G_INSTALLED_PROGRAM");
    if (installed == nullptr)
        GTEST_SKIP() << "GROUP_G_INSTALLED_PROGRAM names no installed program";
    std::string empty = artifacts_ + "/empty";
    fs::create_directories(empty);
    StartDisplay();
    StartProgram(installed, empty);
    // Either frames come, or an "Error" box holds the show.
    Window scene = WaitForWindow(x_, kSceneTitle, kAppear, &program_);
    ASSERT_NE(scene, static_cast<Window>(None)) << "no window (" << ProgramState() << ")";
    FrameWatch frames(x_, scene);
    ASSERT_TRUE(WaitUntil(kAppear, [&] {
        return FindWindow(x_, "Error") != None || frames.Frames() >= 3;
    })) << "the show drew no frames and showed no box (" << ProgramState() << ")";
    ASSERT_EQ(FindWindow(x_, "Error"), static_cast<Window>(None))
        << "the installed program did not find its pictures";
    Image shown = Look(scene, "installed");
    Thaw();
    EndWithEscape(scene);
    EXPECT_TRUE(fs::is_empty(empty)) << "the program wrote into the folder it was started in";

    // Togo's flag rather than its plain yellow, and Switzerland's red.
    OrbitFit orbit = FindOrbit(shown);
    ASSERT_TRUE(orbit.found) << "the spheres are not where the orbit puts them: " << orbit.why;
    Spot togo = OrbitSpot(orbit.phase), swiss = OrbitSpot(orbit.phase + OrbitOffset(2));
    DiscCounts t = CountDisc(shown, togo.x, togo.y, 0.85 * togo.radius);
    DiscCounts s = CountDisc(shown, swiss.x, swiss.y, 0.85 * swiss.radius);
    EXPECT_GE(t.Share(t.togo - t.plain + t.stripe), 0.1) << "Togo should wear its flag";
    EXPECT_GE(s.Share(s.red), 0.3) << "Switzerland should wear its flag";

    // The backdrop as the build tree's program draws it, but for a sphere's edge.
    PrepareRunFolder();
    StartProgram();
    Window reference = WaitForScene();
    Image built = Look(reference, "build-tree");
    Thaw();
    EndWithEscape(reference);
    long differing = DifferingPixels(Crop(shown, kBand), Crop(built, kBand));
    // -1: the two client areas are not the same size.
    EXPECT_TRUE(differing >= 0 && differing <= 300)
        << "the installed program's backdrop differs from the build tree's in "
        << differing << " of " << kBand.width * kBand.height << " pixels";
}

}  // namespace
}  // namespace e2e
