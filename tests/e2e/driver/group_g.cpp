// The program under test; see group_g.h.
#include "group_g.h"

#include <X11/keysym.h>
#include <sys/wait.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <regex>
#include <sstream>

#include "x_input.h"
#include "x_windows.h"

namespace fs = std::filesystem;

namespace e2e {

Window SwitchWithF1(const XSession &s, Window scene, Seconds limit)
{
    Window next = None;
    bool switched = PressUntil(s, scene, XK_F1, limit, [&] {
        next = FindWindow(s, kSceneTitle);
        return next != None && next != scene;
    });
    return switched ? next : None;
}

int RunToEnd(const ProcessOptions &options, Seconds limit, std::string *out, std::string *error)
{
    Process p;
    std::string why;
    if (!p.Start(options, &why) || !p.WaitExit(limit)) {
        if (error != nullptr)
            *error = why.empty() ? "it did not end within " + std::to_string(limit.count()) + "s"
                                 : why;
        return -1;
    }
    if (out != nullptr) {
        std::ifstream file(options.out_path, std::ios::binary);
        *out = std::string(std::istreambuf_iterator<char>(file), {});
    }
    return WIFEXITED(p.status()) ? WEXITSTATUS(p.status()) : -1;
}

void CopyPictures(const std::string &dir)
{
    fs::create_directories(dir);
    for (const char *picture : {"KOREA.bmp", "TOGO.bmp", "BACK.bmp", "FRANCE.bmp", "SWIS.bmp"})
        fs::copy_file(fs::path(GROUP_G_RUN_DIR) / picture, fs::path(dir) / picture,
                      fs::copy_options::overwrite_existing);
}

ProcessOptions GroupGOptions(const std::string &binary, const std::string &cwd,
                             const std::string &display, const std::string &artifacts,
                             const std::string &asan_options)
{
    // No exit-time leak check: SDL unloads the GL driver at exit, whose
    // allocations are then reported against modules that are gone. The unit
    // tests check our code for leaks, the soak that memory stays flat.
    const char *asan = getenv("ASAN_OPTIONS");
    std::string options = std::string(asan != nullptr ? asan : "") + ":detect_leaks=0";
    if (!asan_options.empty())
        options += ":" + asan_options;
    ProcessOptions o;
    o.argv = {binary.empty() ? GROUP_G_BIN : binary};
    const char *program = getenv("GROUP_G_E2E_PROGRAM");
    const char *launcher = getenv("GROUP_G_E2E_LAUNCHER");
    if (binary.empty() && program != nullptr && launcher != nullptr) {
        std::istringstream words(launcher);
        o.argv.clear();
        for (std::string word; words >> word;)
            o.argv.push_back(word);
        o.argv.push_back(program);
    }
    o.env = {"DISPLAY=" + display, "ASAN_OPTIONS=" + options};
    o.cwd = cwd;
    o.out_path = artifacts + "/program.out";
    o.err_path = artifacts + "/program.err";
    return o;
}

std::string SanitizerReport(const std::string &path)
{
    static const std::regex report("ERROR: [A-Za-z]*Sanitizer|runtime error:");
    std::ifstream file(path);
    for (std::string line; std::getline(file, line);)
        if (std::regex_search(line, report))
            return line;
    return "";
}

}  // namespace e2e
