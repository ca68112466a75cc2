// The command lines of group_g and bmpcheck, run as processes without a
// display: --help, --version, and a one-line usage error for anything else.
#include <gtest/gtest.h>

#include <string>

#include "support/run_command.h"

namespace {

const std::string kGroupG = std::string(GROUP_G_RUN_DIR) + "/group_g";
const std::string kBmpCheck = std::string(GROUP_G_TOOLS_DIR) + "/bmpcheck";

// Runs `program args` with no display to open a window on.
CommandResult RunWithoutDisplay(const std::string &program, const std::string &args,
                                const std::string &stdout_target = "")
{
    return RunCommand("env -u DISPLAY -u WAYLAND_DISPLAY " + program + " " + args, stdout_target);
}

TEST(CommandLine, HelpAndVersionAnswerOnStandardOutputOrFail)
{
    for (const std::string &program : {kGroupG, kBmpCheck}) {
        std::string name = program.substr(program.rfind('/') + 1);
        CommandResult version = RunWithoutDisplay(program, "--version");
        EXPECT_EQ(0, version.status) << name << ": " << version.err;
        EXPECT_EQ(name + " " GROUP_G_VERSION "\n", version.out);
        EXPECT_EQ("", version.err) << name;

        CommandResult help = RunWithoutDisplay(program, "--help");
        EXPECT_EQ(0, help.status) << name << ": " << help.err;
        EXPECT_NE(std::string::npos, help.out.find("sage: " + name)) << help.out;
        EXPECT_NE(std::string::npos, help.out.find("--version")) << help.out;
        EXPECT_EQ("", help.err) << name;
        // An answer that cannot be written is a failure.
        EXPECT_EQ(1, RunWithoutDisplay(program, "--help", "/dev/full").status) << name;
        EXPECT_EQ(1, RunWithoutDisplay(program, "--version", "/dev/full").status) << name;
        if (program != kGroupG)
            continue;
        // The help says where pictures come from, naming the installed folder.
        EXPECT_NE(std::string::npos, help.out.find("read from the current folder")) << help.out;
        EXPECT_NE(std::string::npos, help.out.find("/share/games/group-g.")) << help.out;
    }
}

TEST(CommandLine, AnyOtherArgumentIsAOneLineUsageError)
{
    struct {
        const char *args;
        const char *named;
    } cases[] = {{"-x", "'-x'"},
                 {"--versions", "'--versions'"},
                 {"KOREA.bmp", "'KOREA.bmp'"},
                 {"''", "''"},
                 {"--help extra", "'extra'"},
                 {"--version --help", "'--help'"}};
    for (const auto &c : cases) {
        CommandResult run = RunWithoutDisplay(kGroupG, c.args);
        EXPECT_EQ(2, run.status) << c.args;
        EXPECT_EQ("", run.out) << c.args;
        EXPECT_EQ(0u, run.err.rfind("group_g: ", 0)) << run.err;
        EXPECT_NE(std::string::npos, run.err.find(c.named)) << run.err;
        EXPECT_EQ(run.err.size() - 1, run.err.find('\n')) << "one line: " << run.err;
    }
}

}  // namespace
