// Child processes as the virtual display, the benchmarks and the end-to-end
// tests start them, and waiting for conditions with a deadline. A child runs
// in a process group of its own (a session on a terminal), so all it starts
// can be found and killed by that group, and it dies with us. Relies on POSIX
// and Linux's /proc.
#pragma once

#include <signal.h>
#include <sys/types.h>

#include <chrono>
#include <functional>
#include <string>
#include <vector>

using Seconds = std::chrono::duration<double>;

// Polls `ready` every few milliseconds until it holds (true) or `limit` has
// passed (false). Deadlines are generous: nothing is judged by how long it took.
bool WaitUntil(Seconds limit, const std::function<bool()> &ready);

struct ProcessOptions {
    std::vector<std::string> argv;  // argv[0] looked up on PATH unless it holds a slash
    // "NAME=VALUE" added to (or replacing in) ours; a bare "NAME" unsets it.
    std::vector<std::string> env;
    std::string cwd;       // ours if empty
    std::string out_path;  // /dev/null if empty
    std::string err_path;  // /dev/null if empty
    bool append = false;   // also what lets both streams share one log
    // Descriptors of ours for stdin, stdout and stderr instead (a pipe), and
    // one more left open across exec; -1 for none.
    int in_fd = -1, out_fd = -1, err_fd = -1, keep_fd = -1;
    // SIGTERM for a child that must tidy up when we die (a server's lock files).
    int death_signal = SIGKILL;
    // Stdin and stdout on a new pseudo-terminal, the child's controlling one
    // with the child in its foreground, as started from a shell; stderr still
    // goes to err_path.
    bool terminal = false;
};

class Process {
public:
    Process() = default;
    ~Process();  // kills the whole group if it still runs
    Process(const Process &) = delete;
    Process &operator=(const Process &) = delete;

    // False with the reason in `error` when the child cannot be started.
    bool Start(const ProcessOptions &options, std::string *error);
    pid_t pid() const { return pid_; }
    bool started() const { return pid_ > 0; }
    bool Running();  // false once it has ended (its status is then kept)
    // True once the child has ended within `limit`; the wait status is status().
    bool WaitExit(Seconds limit);
    int status() const { return status_; }
    void Signal(int signal_number);       // the child alone
    void SignalGroup(int signal_number);  // its whole group
    // The kernel's state letter ('R', 'S', 'T', ...), '?' once it has gone.
    char State() const;
    bool Type(const std::string &text);  // as if typed on its terminal
    // Members of its group still alive, as "pid (name)"; for after it ended.
    std::vector<std::string> LeftBehind() const;
    void Kill();  // the whole group, and reaps the child
    // SIGTERM, then the group killed if it has not ended within `grace`.
    void Stop(Seconds grace);

private:
    pid_t pid_ = 0;
    bool ended_ = false;
    int status_ = 0;
    int terminal_ = -1;  // the pseudo-terminal's master side
};

// "exit code N" or "killed by signal N (NAME)", for messages.
std::string DescribeStatus(int status);
