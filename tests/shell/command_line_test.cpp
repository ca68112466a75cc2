// The command lines of group_g and bmpcheck, run as processes: --help and
// --version answer on standard output with status 0 and open no window, an
// answer that cannot be written is a failure, and whatever else group_g is
// given is a one-line usage error with status 2.
#include <gtest/gtest.h>

#include <sys/wait.h>

#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>

namespace {

const std::string kGroupG = std::string(GROUP_G_RUN_DIR) + "/group_g";
const std::string kBmpCheck = std::string(GROUP_G_TOOLS_DIR) + "/bmpcheck";

class CommandLine : public ::testing::Test {
protected:
    void SetUp() override
    {
        char pattern[] = "/tmp/command_line_test.XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        dir_ = pattern;
    }
    void TearDown() override { std::system(("rm -rf '" + dir_ + "'").c_str()); }

    // Runs `program args` with no display to open a window on; standard
    // output goes to `out_target` (a file of the test's unless given).
    int Run(const std::string &program, const std::string &args, const std::string &out_target = "")
    {
        std::string target = out_target.empty() ? dir_ + "/out.txt" : out_target;
        std::string command = "env -u DISPLAY -u WAYLAND_DISPLAY " + program + " " + args + " >" +
                              target + " 2>" + dir_ + "/err.txt";
        int status = std::system(command.c_str());
        out_ = Slurp(dir_ + "/out.txt");
        err_ = Slurp(dir_ + "/err.txt");
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }

    static std::string Slurp(const std::string &path)
    {
        std::ifstream file(path);
        std::stringstream text;
        text << file.rdbuf();
        return text.str();
    }

    std::string dir_, out_, err_;
};

TEST_F(CommandLine, HelpAndVersionAnswerOnStandardOutput)
{
    for (const std::string &program : {kGroupG, kBmpCheck}) {
        std::string name = program.substr(program.rfind('/') + 1);
        EXPECT_EQ(0, Run(program, "--version")) << name << ": " << err_;
        EXPECT_EQ(name + " " GROUP_G_VERSION "\n", out_);
        EXPECT_EQ("", err_) << name;

        EXPECT_EQ(0, Run(program, "--help")) << name << ": " << err_;
        EXPECT_NE(std::string::npos, out_.find("sage: " + name)) << out_;
        EXPECT_NE(std::string::npos, out_.find("--version")) << out_;
        EXPECT_EQ("", err_) << name;
    }
    // The help says where pictures come from, naming the installed folder.
    Run(kGroupG, "--help");
    EXPECT_NE(std::string::npos, out_.find("read from the current folder")) << out_;
    EXPECT_NE(std::string::npos, out_.find("/share/games/group-g.")) << out_;
}

TEST_F(CommandLine, AnswerThatCannotBeWrittenFails)
{
    for (const std::string &program : {kGroupG, kBmpCheck}) {
        EXPECT_EQ(1, Run(program, "--help", "/dev/full")) << program;
        EXPECT_EQ(1, Run(program, "--version", "/dev/full")) << program;
    }
}

TEST_F(CommandLine, AnyOtherArgumentIsAOneLineUsageError)
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
        EXPECT_EQ(2, Run(kGroupG, c.args)) << c.args;
        EXPECT_EQ("", out_) << c.args;
        EXPECT_EQ(0, err_.rfind("group_g: ", 0)) << err_;
        EXPECT_NE(std::string::npos, err_.find(c.named)) << err_;
        EXPECT_EQ(err_.size() - 1, err_.find('\n')) << "one line: " << err_;
    }
}

}  // namespace
