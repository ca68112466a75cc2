#include "run_command.h"

#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <sstream>

static std::string slurp(const std::string &path)
{
    std::ifstream file(path);
    std::stringstream text;
    text << file.rdbuf();
    return text.str();
}

CommandResult RunCommand(const std::string &command, const std::string &stdout_target)
{
    CommandResult result = {-1, "", ""};
    char folder[] = "/tmp/run_command.XXXXXX";
    if (mkdtemp(folder) == nullptr)
        return result;
    std::string out = std::string(folder) + "/out", err = std::string(folder) + "/err";
    int status = std::system((command + " >" + (stdout_target.empty() ? out : stdout_target) +
                              " 2>" + err).c_str());
    result.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    result.out = slurp(out);
    result.err = slurp(err);
    unlink(out.c_str());
    unlink(err.c_str());
    rmdir(folder);
    return result;
}
