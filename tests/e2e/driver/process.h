// A program under test as a child process: started with its own arguments,
// environment, folder and output files, optionally on a pseudo-terminal of
// its own; stopped, continued and signalled; its exit status waited for
// with a deadline; and, once it has ended, whatever it started checked for.
//
// The child runs in a process group of its own (a session of its own on a
// terminal), so everything it starts can be found, and killed when the
// test ends, by that group. Relies on POSIX and Linux's /proc.
#pragma once

#include <sys/types.h>

#include <chrono>
#include <string>
#include <vector>

namespace e2e {

using Seconds = std::chrono::duration<double>;

struct ProcessOptions {
    std::vector<std::string> argv;  // argv[0] is the program's path
    // "NAME=VALUE" added to (or replacing in) ours; a bare "NAME" unsets it.
    std::vector<std::string> env;
    std::string cwd;                // the folder to start in; ours if empty
    std::string out_path;           // stdout goes here (/dev/null if empty)
    std::string err_path;           // stderr goes here (/dev/null if empty)
    // Stdin and stdout on a new pseudo-terminal that becomes the child's
    // controlling terminal, with the child in its foreground, as a program
    // started from a shell in a terminal window is. Stderr still goes to
    // err_path, so its reports can be read.
    bool terminal = false;
};

class Process {
public:
    Process() = default;
    ~Process();  // kills the whole group if it still runs
    Process(const Process &) = delete;
    Process &operator=(const Process &) = delete;

    // Starts the child; false with the reason in `error` when it cannot.
    bool Start(const ProcessOptions &options, std::string *error);
    pid_t pid() const { return pid_; }
    bool started() const { return pid_ > 0; }
    // True until the child has ended (its status is then kept).
    bool Running();
    // Waits up to `limit` for the child to end; true once it has. The raw
    // wait status is then in status().
    bool WaitExit(Seconds limit);
    int status() const { return status_; }
    // Sends a signal to the child alone.
    void Signal(int signal_number);
    // Its state as the kernel shows it ('R' running, 'S' sleeping, 'T'
    // stopped, ...), '?' once it has gone.
    char State() const;
    // Writes to the terminal as if typed there (needs `terminal`).
    bool Type(const std::string &text);
    // Processes of the child's group still alive (not zombies), as
    // "pid (name)"; meant for after the child has ended.
    std::vector<std::string> LeftBehind() const;
    // Kills the whole group and reaps the child.
    void Kill();

private:
    pid_t pid_ = 0;
    bool ended_ = false;
    int status_ = 0;
    int terminal_ = -1;  // the pseudo-terminal's master side
};

// "exit code N" or "killed by signal N (NAME)", for messages.
std::string DescribeStatus(int status);

}  // namespace e2e
