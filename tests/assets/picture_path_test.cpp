// Where the installed pictures' folder is, found from the program's own file
// (here the test executable), and what happens when that cannot be known.
#include <gtest/gtest.h>

#include <unistd.h>

#include <algorithm>
#include <cstring>
#include <string>

#include "assets/picture_path.h"
#include "platform/fake/fake_platform.h"
#include "support/program_state.h"

namespace {

class InstalledFolder : public ::testing::Test {
protected:
    void SetUp() override
    {
        ResetProgramState();
        saved_folder_ = installed_picture_folder;
        char path[4096];
        ssize_t length = readlink("/proc/self/exe", path, sizeof path - 1);
        ASSERT_GT(length, 0);
        program_folder_.assign(path, static_cast<size_t>(length));
        program_folder_.erase(program_folder_.rfind('/'));
        parent_folder_ = program_folder_.substr(0, program_folder_.rfind('/'));
    }

    void TearDown() override { installed_picture_folder = saved_folder_; }

    // The folder InstalledPictureFolder gives for `relative`, or "(none)".
    std::string FolderFor(const char *relative, size_t room = kPicturePathBytes)
    {
        installed_picture_folder = relative;
        char buffer[kPicturePathBytes];
        if (!InstalledPictureFolder(buffer, room))
            return "(none)";
        return buffer;
    }

    const char *saved_folder_ = nullptr;
    std::string program_folder_, parent_folder_;
};

TEST_F(InstalledFolder, LeadingDotSegmentsResolveAgainstTheProgramsFolderIfTheResultFits)
{
    EXPECT_EQ(program_folder_, FolderFor("."));
    EXPECT_EQ(program_folder_ + "/pictures", FolderFor("./pictures"));
    EXPECT_EQ(parent_folder_ + "/share/games/group-g", FolderFor("../share/games/group-g"));
    EXPECT_EQ(parent_folder_, FolderFor(".."));
    // ".." past the root stay in the path, where they mean the root.
    std::string climb;
    size_t depth = std::count(program_folder_.begin(), program_folder_.end(), '/');
    for (size_t level = 0; level < depth + 2; level++)
        climb += "../";
    EXPECT_EQ("/../../share", FolderFor((climb + "share").c_str()));
    // A folder that does not fit is refused.
    size_t exact = parent_folder_.size() + strlen("/share") + 1;
    EXPECT_EQ(parent_folder_ + "/share", FolderFor("../share", exact));
    EXPECT_EQ("(none)", FolderFor("../share", exact - 1));
}

TEST_F(InstalledFolder, UnknownProgramPathLeavesTheBareName)
{
    FakeFailCall("GetModuleFileNameA");
    EXPECT_EQ("(none)", FolderFor("."));
    FakeFailCall("GetModuleFileNameA");
    char buffer[kPicturePathBytes];
    EXPECT_STREQ("NO_SUCH_PICTURE.bmp", PicturePath("NO_SUCH_PICTURE.bmp", buffer, sizeof buffer));
}

}  // namespace
