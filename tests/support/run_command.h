// Runs a command line through the shell and keeps what it wrote, for tests of
// the command-line programs.
#pragma once

#include <string>

struct CommandResult {
    int status;       // the exit status; -1 when the command did not exit
    std::string out;  // standard output, unless it was sent elsewhere
    std::string err;  // standard error
};

// `stdout_target`, when given, receives standard output instead (a full
// device, say); `out` is then empty.
CommandResult RunCommand(const std::string &command, const std::string &stdout_target = "");
