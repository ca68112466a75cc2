// The Windows setup program under Wine, as a user meets it, in a Wine
// prefix made afresh for it (a home of its own too, as Wine links the
// user's folders there): the silent setup puts the program, its pictures,
// read-me and licence into Program Files, a Start menu and a desktop
// shortcut, and an entry among the installed programs; the program,
// started as the shortcut starts it but from another folder, draws the
// scene and ends with Esc; its file carries the icon and version; and the
// silent uninstaller leaves nothing of all that behind.
//
// The setup program is made from the Windows build (GROUP_G_WINDOWS_DIR)
// by CPack, as tools/build_windows.sh makes it.
#include <filesystem>
#include <fstream>
#include <iterator>
#include <set>

#include "driver/journey.h"

namespace e2e {
namespace {

namespace fs = std::filesystem;

const std::string kWineDir = GROUP_G_SETUP_WINE_DIR;
const std::string kDrive = kWineDir + "/prefix/drive_c";
const std::string kInstalled = kDrive + "/Program Files/Group G";
const std::string kProgram = "C:\\Program Files\\Group G\\group_g.exe";
const std::string kUninstaller = "C:\\Program Files\\Group G\\Uninstall.exe";
const std::string kStartMenuLink =
    kDrive + "/ProgramData/Microsoft/Windows/Start Menu/Programs/Group G.lnk";
const std::string kDesktopLink = kDrive + "/users/Public/Desktop/Group G.lnk";
const std::string kUninstallKey =
    "HKLM\\Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Group G";

std::string ReadFile(const std::string &path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

// A UTF-8 text as the UTF-16LE bytes Windows stores.
std::string Utf16(const std::string &ascii)
{
    std::string out;
    for (char c : ascii)
        out += std::string{c, '\0'};
    return out;
}

// What a shortcut (.lnk) starts and where: the target's local path from
// its link information, and the working folder from its strings.
struct Shortcut {
    std::string target, folder;
};

Shortcut ReadShortcut(const std::string &path)
{
    const std::string b = ReadFile(path);
    auto u16 = [&](size_t at) {
        return at + 2 <= b.size() ? unsigned(uint8_t(b[at])) | unsigned(uint8_t(b[at + 1])) << 8
                                  : 0u;
    };
    auto u32 = [&](size_t at) { return u16(at) | u16(at + 2) << 16; };
    auto c_string = [&](size_t at) {
        return at < b.size() ? std::string(b.c_str() + at) : std::string();
    };
    Shortcut s;
    if (b.size() < 0x4C || u32(0) != 0x4C)
        return s;
    const unsigned flags = u32(0x14);
    size_t at = 0x4C;
    if (flags & 0x1)  // a list of item identifiers, skipped
        at += 2 + u16(at);
    if (flags & 0x2) {  // link information: volume and local base path
        if (u32(at + 8) & 0x1)
            s.target = c_string(at + u32(at + 16)) + c_string(at + u32(at + 24));
        at += u32(at);
    }
    // Counted strings in a fixed order, present as the flags say: name,
    // relative path, working folder, arguments, icon.
    const bool unicode = flags & 0x80;
    for (unsigned bit : {0x4u, 0x8u, 0x10u}) {
        if (!(flags & bit))
            continue;
        unsigned count = u16(at);
        std::string text;
        for (unsigned i = 0; i < count; ++i)
            text += char(unicode ? u16(at + 2 + 2 * i) : uint8_t(b[at + 2 + i]));
        at += 2 + count * (unicode ? 2 : 1);
        if (bit == 0x10)
            s.folder = text;
    }
    return s;
}

class SetupJourney : public Journey {
protected:
    void TearDown() override
    {
        Journey::TearDown();
        // The prefix is large; one that failed is kept to be looked into.
        if (!HasFailure())
            fs::remove_all(kWineDir);
    }

    // Runs a command to its end; its standard output, and its exit code in
    // `code`.
    std::string Run(std::vector<std::string> argv, int *code, const std::string &name)
    {
        ProcessOptions o;
        o.argv = std::move(argv);
        o.env = {"HOME=" + kWineDir + "/home"};
        if (!x_.name().empty())
            o.env.push_back("DISPLAY=" + x_.name());
        o.out_path = artifacts_ + "/" + name + ".out";
        o.err_path = artifacts_ + "/" + name + ".err";
        Process p;
        std::string error;
        if (!p.Start(o, &error) || !p.WaitExit(Seconds(600))) {
            JOURNEY_FAIL() << name << " did not run to its end: " << error;
            return "";
        }
        *code = WIFEXITED(p.status()) ? WEXITSTATUS(p.status()) : -1;
        return ReadFile(o.out_path);
    }

    // A Windows program in the journey's prefix, waited for until every
    // program it started there has ended too.
    std::string Wine(const std::vector<std::string> &args, int *code, const std::string &name)
    {
        std::vector<std::string> argv = {GROUP_G_WINE_RUN, "--wait", kWineDir};
        argv.insert(argv.end(), args.begin(), args.end());
        return Run(argv, code, name);
    }

    // The uninstall entry as `reg query` prints it, empty when there is none.
    std::string UninstallEntry()
    {
        int code = 0;
        std::string out = Wine({"reg", "query", kUninstallKey}, &code, "reg-query");
        return code == 0 ? out : "";
    }
};

TEST_F(SetupJourney, InstallsStartsAndRemovesWithoutATrace)
{
    int code = 0;
    fs::remove_all(kWineDir);
    fs::create_directories(kWineDir + "/home");
    Run({"bash", GROUP_G_WINE_PREFIX, kWineDir}, &code, "prefix");
    ASSERT_EQ(code, 0) << "no fresh prefix: " << Tail(artifacts_ + "/prefix.err");

    const std::string package = artifacts_ + "/package";
    Run({"cpack", "-G", "NSIS", "--config", GROUP_G_WINDOWS_DIR "/CPackConfig.cmake", "-B",
         package},
        &code, "cpack");
    ASSERT_EQ(code, 0) << "no setup program: " << Tail(artifacts_ + "/cpack.out");
    const std::string setup =
        package + "/group_g-" GROUP_G_VERSION "-windows-x86_64-setup.exe";

    Wine({setup, "/S"}, &code, "setup");
    ASSERT_EQ(code, 0) << "the silent setup failed";
    std::set<std::string> files;
    for (const auto &entry : fs::directory_iterator(kInstalled))
        files.insert(entry.path().filename().string());
    EXPECT_EQ(files, (std::set<std::string>{"group_g.exe", "bmpcheck.exe", "KOREA.bmp", "TOGO.bmp",
                                            "BACK.bmp", "FRANCE.bmp", "SWIS.bmp", "README.txt",
                                            "LICENSE.txt", "Uninstall.exe"}));

    // Both shortcuts start the program in its own folder.
    for (const std::string &link : {kStartMenuLink, kDesktopLink}) {
        Shortcut s = ReadShortcut(link);
        EXPECT_EQ(s.target, kProgram) << link;
        EXPECT_EQ(s.folder, "C:\\Program Files\\Group G") << link;
    }

    const std::string entry = UninstallEntry();
    for (const char *line :
         {"DisplayName    REG_SZ    Group G", "DisplayVersion    REG_SZ    " GROUP_G_VERSION,
          "Publisher    REG_SZ    the Group G authors",
          "DisplayIcon    REG_SZ    C:\\Program Files\\Group G\\group_g.exe,0",
          "UninstallString    REG_SZ    \"C:\\Program Files\\Group G\\Uninstall.exe\"",
          "EstimatedSize    REG_DWORD    0x"})
        EXPECT_NE(entry.find(line), std::string::npos) << "no \"" << line << "\" in:\n" << entry;

    // The file's resources: the icon group with its six sizes (a side of
    // 256 is written 0) and the version naming the product.
    const std::string exe = kInstalled + "/group_g.exe";
    std::string listed = Run({"wrestool", "-l", exe}, &code, "wrestool-list");
    EXPECT_NE(listed.find("--type=14 --name=1 "), std::string::npos) << listed;
    EXPECT_NE(listed.find("--type=16 "), std::string::npos) << listed;
    std::string group = Run({"wrestool", "-x", "--raw", "--type=14", exe}, &code, "icon-group");
    std::multiset<int> sides;
    for (size_t at = 6; at + 14 <= group.size(); at += 14)
        sides.insert(uint8_t(group[at]) == 0 ? 256 : uint8_t(group[at]));
    EXPECT_EQ(sides, (std::multiset<int>{16, 24, 32, 48, 64, 256}));
    std::string version = Run({"wrestool", "-x", "--raw", "--type=16", exe}, &code, "version");
    for (const char *text : {"Group G", GROUP_G_VERSION, "the Group G authors", "MIT License"})
        EXPECT_NE(version.find(Utf16(text)), std::string::npos) << "version lacks " << text;

    // Started as the Start menu shortcut starts it, from a folder without
    // pictures: it finds its own beside it and shows the whole scene.
    StartDisplay();
    ProcessOptions o;
    o.argv = {GROUP_G_WINE_RUN, "--new-session", kWineDir, ReadShortcut(kStartMenuLink).target};
    o.env = {"DISPLAY=" + x_.name(), "HOME=" + kWineDir + "/home"};
    o.cwd = artifacts_;
    o.out_path = artifacts_ + "/program.out";
    o.err_path = artifacts_ + "/program.err";
    std::string error;
    ASSERT_TRUE(program_.Start(o, &error)) << "could not start the installed program: " << error;
    Window scene = WaitForScene();
    Image frame = Look(scene, "installed-scene");
    std::set<uint32_t> colours;
    for (size_t i = 0; i + 2 < frame.rgb.size(); i += 3)
        colours.insert(uint32_t(frame.rgb[i]) << 16 | frame.rgb[i + 1] << 8 | frame.rgb[i + 2]);
    EXPECT_GT(colours.size(), 500u) << "the installed program's frame has few colours";
    EXPECT_GT(BackdropBorderShare(frame), 0.8) << "no backdrop: its picture was not found";
    Thaw();
    EndWithEscape(scene);

    Wine({kUninstaller, "/S"}, &code, "uninstall");
    EXPECT_EQ(code, 0) << "the silent uninstall failed";
    EXPECT_FALSE(fs::exists(kInstalled)) << "the install folder is left";
    EXPECT_FALSE(fs::exists(kStartMenuLink)) << "the Start menu shortcut is left";
    EXPECT_FALSE(fs::exists(kDesktopLink)) << "the desktop shortcut is left";
    EXPECT_EQ(UninstallEntry(), "") << "the uninstall entry is left";
}

}  // namespace
}  // namespace e2e
