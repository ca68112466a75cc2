// The Windows setup program (made by CPack, as tools/build_windows.sh does)
// under Wine in a fresh prefix with a home of its own: the silent setup
// installs files, shortcuts, uninstall entry, icon and version; the program,
// started by the shortcut's target from another folder, draws the scene; the
// silent uninstaller leaves nothing. Installed again into a folder whose name
// no ANSI code page holds, the program still finds its pictures.
#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <set>

#include "driver/journey.h"

namespace e2e {
namespace {

namespace fs = std::filesystem;

const std::string kWineDir = GROUP_G_SETUP_WINE_DIR, kHome = kWineDir + "/home";
const std::string kDrive = kWineDir + "/prefix/drive_c";
const std::string kInstalled = kDrive + "/Program Files/Group G";
const std::string kFolder = "C:\\Program Files\\Group G";
const std::string kStartMenuLink =
    kDrive + "/ProgramData/Microsoft/Windows/Start Menu/Programs/Group G.lnk";
const std::string kDesktopLink = kDrive + "/users/Public/Desktop/Group G.lnk";

// A shortcut's target (the local path of its link information) and working
// folder (the third of its counted strings, present as its flags say).
std::pair<std::string, std::string> ReadShortcut(const std::string &path)
{
    std::ifstream in(path, std::ios::binary);
    const std::string b(std::istreambuf_iterator<char>(in), {});
    auto u16 = [&](size_t at) {
        return at + 1 < b.size() ? unsigned(uint8_t(b[at]) | uint8_t(b[at + 1]) << 8) : 0u;
    };
    auto u32 = [&](size_t at) { return u16(at) | u16(at + 2) << 16; };
    auto text = [&](size_t at) { return at < b.size() ? std::string(&b[at]) : std::string(); };
    const unsigned flags = u32(0x14), width = (flags & 0x80) ? 2 : 1;
    size_t at = 0x4C + ((flags & 0x1) ? 2 + u16(0x4C) : 0);
    std::string target, folder;
    if ((flags & 0x2) && (u32(at + 8) & 0x1))
        target = text(at + u32(at + 16)) + text(at + u32(at + 24));
    at += (flags & 0x2) ? u32(at) : 0;
    for (unsigned bit : {0x4u, 0x8u, 0x10u}) {
        for (unsigned i = 0; bit == 0x10 && (flags & bit) && i < u16(at); ++i)
            folder += char(u16(at + 2 + i * width) & 0xFF);
        at += (flags & bit) ? 2 + u16(at) * width : 0;
    }
    // Wine counts a terminating NUL that the format leaves out.
    return {target, folder.substr(0, folder.find('\0'))};
}

class SetupJourney : public Journey {
protected:
    void TearDown() override
    {
        Journey::TearDown();
        if (!HasFailure())  // the prefix is large; a failed one is kept
            fs::remove_all(kWineDir);
    }

    // A command's exit code and standard output, run to its end (with `wine`:
    // in the journey's prefix, with all it started there).
    int Run(std::vector<std::string> argv, const std::string &name, bool wine = true,
            std::string *out = nullptr, const std::string &locale = "")
    {
        if (wine)
            argv.insert(argv.begin(), {GROUP_G_WINE_RUN, "--wait", kWineDir});
        ProcessOptions o{argv, {"HOME=" + kHome}, "", artifacts_ + "/" + name + ".out",
                         artifacts_ + "/" + name + ".err"};
        if (!locale.empty())
            o.env.push_back("LC_ALL=" + locale);
        std::string error;
        int code = RunToEnd(o, Seconds(600), out, &error);
        if (!error.empty())
            JOURNEY_FAIL() << name << " did not run to its end: " << error;
        return code;
    }

    // The installed `exe`, started from a folder without pictures, finds its
    // own, shows the whole scene and ends with Esc.
    void ShowInstalled(const std::string &exe, const std::string &name,
                       const std::string &locale = "")
    {
        setenv("GROUP_G_E2E_PROGRAM", exe.c_str(), 1);
        const std::string launcher = "/usr/bin/env HOME=" + kHome +
                                     (locale.empty() ? "" : " LC_ALL=" + locale) +
                                     " " GROUP_G_WINE_RUN " --new-session " + kWineDir;
        setenv("GROUP_G_E2E_LAUNCHER", launcher.c_str(), 1);
        StartProgram("", artifacts_);
        Window scene = WaitForScene();
        EXPECT_EQ(FindWindow(x_, "Error"), None) << "an Error box is shown";
        Image frame = Look(scene, name);
        std::set<uint32_t> colours;
        for (size_t i = 0; i + 2 < frame.rgb.size(); i += 3)
            colours.insert(uint32_t(frame.rgb[i]) << 16 | frame.rgb[i + 1] << 8 | frame.rgb[i + 2]);
        EXPECT_GT(colours.size(), 500u) << name << ": the frame has few colours";
        EXPECT_GT(BackdropBorderShare(frame), 0.8) << name << ": no backdrop, its picture was not found";
        Thaw();
        EndWithEscape(scene);
    }
};

TEST_F(SetupJourney, InstallsStartsAndRemovesWithoutATrace)
{
    fs::remove_all(kWineDir);
    fs::create_directories(kHome);
    ASSERT_EQ(Run({"/bin/bash", GROUP_G_WINE_PREFIX, kWineDir}, "prefix", false), 0);
    const std::string package = artifacts_ + "/package";
    ASSERT_EQ(Run({GROUP_G_CPACK, "-G", "NSIS", "--config",
                   GROUP_G_WINDOWS_DIR "/CPackConfig.cmake", "-B", package},
                  "cpack", false),
              0);
    const std::string setup = package + "/group_g-" GROUP_G_VERSION "-windows-x86_64-setup.exe";
    ASSERT_EQ(Run({setup, "/S"}, "setup"), 0);

    std::set<std::string> files;
    for (const auto &entry : fs::directory_iterator(kInstalled))
        files.insert(entry.path().filename().string());
    EXPECT_EQ(files, (std::set<std::string>{"group_g.exe", "bmpcheck.exe", "KOREA.bmp", "TOGO.bmp",
                                            "BACK.bmp", "FRANCE.bmp", "SWIS.bmp", "README.txt",
                                            "LICENSE.txt", "Uninstall.exe"}));
    for (const std::string &link : {kStartMenuLink, kDesktopLink})
        EXPECT_EQ(ReadShortcut(link), std::make_pair(kFolder + "\\group_g.exe", kFolder)) << link;
    // The uninstall entry as `reg query` prints it; empty when there is none.
    auto uninstall_entry = [&] {
        std::string out;
        const char *key = "HKLM\\Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Group G";
        return Run({"reg", "query", key}, "reg-query", true, &out) == 0 ? out : "";
    };
    const std::string entry = uninstall_entry();
    for (const std::string &line : std::vector<std::string>{
             "DisplayName    REG_SZ    Group G", "DisplayVersion    REG_SZ    " GROUP_G_VERSION,
             "Publisher    REG_SZ    the Group G authors",
             "DisplayIcon    REG_SZ    " + kFolder + "\\group_g.exe,0",
             "UninstallString    REG_SZ    \"" + kFolder + "\\Uninstall.exe\"",
             "EstimatedSize    REG_DWORD    0x"})
        EXPECT_NE(entry.find(line), std::string::npos) << "no \"" << line << "\" in:\n" << entry;

    // An icon group of six sizes (256 is written 0); version texts, UTF-16,
    // read without their zeros.
    const std::string exe = kInstalled + "/group_g.exe";
    std::string listed, group, version;
    Run({GROUP_G_WRESTOOL, "-l", exe}, "wrestool", false, &listed);
    EXPECT_NE(listed.find("--type=14 --name=1 "), std::string::npos) << listed;
    EXPECT_NE(listed.find("--type=16 "), std::string::npos) << listed;
    Run({GROUP_G_WRESTOOL, "-x", "--raw", "--type=14", exe}, "icon-group", false, &group);
    std::multiset<int> sides;
    for (size_t at = 6; at + 14 <= group.size(); at += 14)
        sides.insert(group[at] == 0 ? 256 : uint8_t(group[at]));
    EXPECT_EQ(sides, (std::multiset<int>{16, 24, 32, 48, 64, 256}));
    Run({GROUP_G_WRESTOOL, "-x", "--raw", "--type=16", exe}, "version", false, &version);
    version.erase(std::remove(version.begin(), version.end(), '\0'), version.end());
    for (const char *text : {"ProductNameGroup G", "ProductVersion" GROUP_G_VERSION,
                             "CompanyNamethe Group G authors", "MIT License"})
        EXPECT_NE(version.find(text), std::string::npos) << "the version lacks " << text;

    // Started by the Start menu shortcut's target.
    StartDisplay();
    ShowInstalled(ReadShortcut(kStartMenuLink).first, "installed-scene");

    EXPECT_EQ(Run({kFolder + "\\Uninstall.exe", "/S"}, "uninstall"), 0);
    for (const std::string &left : {kInstalled, kStartMenuLink, kDesktopLink})
        EXPECT_FALSE(fs::exists(left)) << left << " is left after the uninstall";
    EXPECT_EQ(uninstall_entry(), "") << "the uninstall entry is left";

    // A letter of code page 1252 and Hangul, which no one ANSI code page
    // holds, in a German locale: the program's path reaches it whole (UTF-8).
    // /D= takes the rest of the command line unquoted, so it goes in words
    // (Wine would quote one argument with spaces).
    const std::string folder = "C:\\Spiele\\Gruppe Ü 한국";
    ASSERT_EQ(Run({setup, "/S", "/D=C:\\Spiele\\Gruppe", "Ü", "한국"}, "setup-unicode", true,
                  nullptr, "de_DE.UTF-8"),
              0);
    ShowInstalled(folder + "\\group_g.exe", "unicode-folder-scene", "de_DE.UTF-8");
}

}  // namespace
}  // namespace e2e
