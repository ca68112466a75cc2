// Child processes; see child_process.h.
#include "child_process.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/ioctl.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <sstream>
#include <thread>

extern char **environ;

namespace {

std::vector<char *> pointers(std::vector<std::string> &strings)
{
    std::vector<char *> p;
    for (std::string &s : strings)
        p.push_back(&s[0]);
    p.push_back(nullptr);
    return p;
}

// Ours, with each of `extra`'s names replaced or added; a bare name takes it out.
std::vector<std::string> merged_environment(const std::vector<std::string> &extra)
{
    std::vector<std::string> env;
    for (char **e = environ; *e != nullptr; ++e) {
        std::string entry = *e;
        std::string name = entry.substr(0, entry.find('=') + 1);
        if (std::none_of(extra.begin(), extra.end(), [&](const std::string &x) {
                return x.compare(0, name.size(), name) == 0 || x + "=" == name;
            }))
            env.push_back(entry);
    }
    for (const std::string &x : extra)
        if (x.find('=') != std::string::npos)
            env.push_back(x);
    return env;
}

// The name, state and group from /proc/PID/stat ("pid (name) state ppid pgrp",
// the name holding anything); false once it has gone.
bool read_stat(const std::string &pid, std::string *name, char *state, long *group)
{
    std::ifstream file("/proc/" + pid + "/stat");
    std::string stat;
    std::getline(file, stat);
    size_t open = stat.find('('), close = stat.rfind(')');
    if (open == std::string::npos || close == std::string::npos)
        return false;
    *name = stat.substr(open, close - open + 1);
    long ppid = 0;
    std::istringstream(stat.substr(close + 1)) >> *state >> ppid >> *group;
    return true;
}

// A new pseudo-terminal: the master's descriptor, with the slave's path.
int open_terminal(std::string *slave_path)
{
    int master = posix_openpt(O_RDWR | O_NOCTTY);
    if (master < 0)
        return -1;
    if (grantpt(master) != 0 || unlockpt(master) != 0 || ptsname(master) == nullptr) {
        close(master);
        return -1;
    }
    *slave_path = ptsname(master);
    fcntl(master, F_SETFD, FD_CLOEXEC);
    fcntl(master, F_SETFL, O_NONBLOCK);
    return master;
}

// An output file for the child, or -1.
int open_output(const std::string &path, bool append)
{
    return open(path.empty() ? "/dev/null" : path.c_str(),
                O_WRONLY | O_CREAT | (append ? O_APPEND : O_TRUNC), 0644);
}

// In the child, between fork and exec: only async-signal-safe calls.
[[noreturn]] void become(const ProcessOptions &o, const char *slave, char **argv, char **env,
                         pid_t parent)
{
    if (slave != nullptr) {
        setsid();
        int tty = open(slave, O_RDWR);
        if (tty < 0 || ioctl(tty, TIOCSCTTY, 0) != 0)
            _exit(126);
        dup2(tty, STDIN_FILENO);
        dup2(tty, STDOUT_FILENO);
    } else {
        setpgid(0, 0);
        int in = o.in_fd >= 0 ? o.in_fd : open("/dev/null", O_RDONLY);
        int out = o.out_fd >= 0 ? o.out_fd : open_output(o.out_path, o.append);
        if (in < 0 || out < 0)
            _exit(126);
        dup2(in, STDIN_FILENO);
        dup2(out, STDOUT_FILENO);
    }
    int err = o.err_fd >= 0 ? o.err_fd : open_output(o.err_path, o.append);
    if (err < 0)
        _exit(126);
    dup2(err, STDERR_FILENO);
    if (o.keep_fd >= 0)
        fcntl(o.keep_fd, F_SETFD, 0);
    // Whoever started it and died must not leave it running.
    prctl(PR_SET_PDEATHSIG, o.death_signal);
    if (getppid() != parent)
        _exit(126);
    if (!o.cwd.empty() && chdir(o.cwd.c_str()) != 0)
        _exit(126);
    execvpe(argv[0], argv, env);
    _exit(127);
}

}  // namespace

bool WaitUntil(Seconds limit, const std::function<bool()> &ready)
{
    using Clock = std::chrono::steady_clock;
    Clock::time_point end = Clock::now() + std::chrono::duration_cast<Clock::duration>(limit);
    while (!ready()) {
        if (Clock::now() > end)
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return true;
}

Process::~Process() { Kill(); }

bool Process::Start(const ProcessOptions &options, std::string *error)
{
    if (options.argv.empty()) {
        *error = "nothing to start";
        return false;
    }
    Kill();
    pid_ = 0;
    status_ = 0;
    std::vector<std::string> args = options.argv;
    std::vector<std::string> env = merged_environment(options.env);
    std::vector<char *> argv = pointers(args);
    std::vector<char *> envp = pointers(env);
    std::string slave;
    if (options.terminal && (terminal_ = open_terminal(&slave)) < 0) {
        *error = "no pseudo-terminal";
        return false;
    }
    pid_t parent = getpid();
    pid_ = fork();
    if (pid_ == 0)
        become(options, options.terminal ? slave.c_str() : nullptr, argv.data(), envp.data(),
               parent);
    if (pid_ < 0) {
        *error = std::string("fork: ") + strerror(errno);
        pid_ = 0;
        return false;
    }
    if (!options.terminal)
        setpgid(pid_, pid_);  // also here, so no signal to the group can come too early
    ended_ = false;
    return true;
}

bool Process::Running()
{
    int status = 0;
    if (pid_ > 0 && !ended_ && waitpid(pid_, &status, WNOHANG) == pid_) {
        ended_ = true;
        status_ = status;
    }
    return pid_ > 0 && !ended_;
}

bool Process::WaitExit(Seconds limit)
{
    // Drained, so the program never blocks writing to a terminal nobody reads.
    char sink[4096];
    return WaitUntil(limit, [&] {
        while (terminal_ >= 0 && read(terminal_, sink, sizeof sink) > 0) {
        }
        return !Running();
    }) && pid_ > 0;
}

void Process::Signal(int signal_number)
{
    if (Running())
        kill(pid_, signal_number);
}

void Process::SignalGroup(int signal_number)
{
    if (Running())
        kill(-pid_, signal_number);
}

bool Process::Type(const std::string &text)
{
    return terminal_ >= 0 &&
           write(terminal_, text.data(), text.size()) == static_cast<ssize_t>(text.size());
}

std::vector<std::string> Process::LeftBehind() const
{
    std::vector<std::string> left;
    DIR *proc = pid_ > 0 ? opendir("/proc") : nullptr;
    if (proc == nullptr)
        return left;
    while (dirent *entry = readdir(proc)) {
        if (entry->d_name[0] < '1' || entry->d_name[0] > '9')
            continue;
        std::string name;
        char state = 0;
        long group = 0;
        if (read_stat(entry->d_name, &name, &state, &group) && group == pid_ && state != 'Z' &&
            state != 'X')
            left.push_back(std::string(entry->d_name) + " " + name);
    }
    closedir(proc);
    return left;
}

char Process::State() const
{
    std::string name;
    char state = '?';
    long group = 0;
    return pid_ > 0 && read_stat(std::to_string(pid_), &name, &state, &group) ? state : '?';
}

void Process::Kill()
{
    if (pid_ <= 0)
        return;
    // A group that still has members is ours; once it has none, its number
    // may belong to someone else.
    if (Running() || !LeftBehind().empty()) {
        kill(-pid_, SIGCONT);
        kill(-pid_, SIGKILL);
    }
    if (!ended_) {
        waitpid(pid_, &status_, 0);
        ended_ = true;
    }
    if (terminal_ >= 0) {
        close(terminal_);
        terminal_ = -1;
    }
}

void Process::Stop(Seconds grace)
{
    Signal(SIGTERM);
    WaitExit(grace);
    Kill();
}

std::string DescribeStatus(int status)
{
    if (WIFEXITED(status))
        return "exit code " + std::to_string(WEXITSTATUS(status));
    if (WIFSIGNALED(status))
        return "killed by signal " + std::to_string(WTERMSIG(status)) + " (" +
               strsignal(WTERMSIG(status)) + ")";
    return "wait status " + std::to_string(status);
}
