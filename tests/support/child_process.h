// A child process, as the virtual display, the benchmarks and the end-to-end
// tests start programs: its own arguments, environment, folder and output
// (files, descriptors or a pseudo-terminal); signalled, waited for with a
// deadline, and, once ended, whatever it started checked for. It runs in a
// process group of its own (a session on a terminal), so all it starts can
// be found and killed by that group, and it dies with us. Relies on POSIX
// and Linux's /proc.
#pragma once

#include <signal.h>
#include <sys/types.h>

#include <chrono>
#include <string>
#include <vector>

struct ProcessOptions {
    // argv[0] is the program: looked up on PATH unless it holds a slash.
    std::vector<std::string> argv;
    // "NAME=VALUE" added to (or replacing in) ours; a bare "NAME" unsets it.
    std::vector<std::string> env;
    std::string cwd;                // the folder to start in; ours if empty
    std::string out_path;           // stdout goes here (/dev/null if empty)
    std::string err_path;           // stderr goes here (/dev/null if empty)
    // Added to the files rather than replacing them; also what lets both
    // streams share one log.
    bool append = false;
    // Descriptors of ours to take stdin, stdout and stderr from instead (a
    // pipe to talk over), and one more to leave open across exec; -1 for
    // none.
    int in_fd = -1;
    int out_fd = -1;
    int err_fd = -1;
    int keep_fd = -1;
    // What the child gets when we die: SIGKILL, or SIGTERM for a program
    // that should tidy up after itself (a display server's lock files).
    int death_signal = SIGKILL;
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
    bool WaitExit(std::chrono::duration<double> limit);
    int status() const { return status_; }
    // Sends a signal to the child alone, or to its whole group.
    void Signal(int signal_number);
    void SignalGroup(int signal_number);
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
    // Asks the child to end (SIGTERM), and kills the group if it has not
    // within `grace`.
    void Stop(std::chrono::duration<double> grace);

private:
    pid_t pid_ = 0;
    bool ended_ = false;
    int status_ = 0;
    int terminal_ = -1;  // the pseudo-terminal's master side
};

// "exit code N" or "killed by signal N (NAME)", for messages.
std::string DescribeStatus(int status);
