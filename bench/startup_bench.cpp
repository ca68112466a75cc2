// Start-up time: from process start to the first presented frame, for the
// program (pictures, font and all), for the reference (frame_reference
// --first-frame: the same GL work on bare SDL2, the same pictures read with
// the same loader) and for a bare SDL2 window that presents one cleared
// frame, all started the same way in the same run on the same display. They
// take turns, so the machine's other work falls on all alike; the median of
// each counts. Each reports when each step of its start began and ended
// (startup_first_frame.cpp, frame_reference.cpp, startup_baseline.cpp): the
// first frame is on screen when the first present returns, and that is
// what is compared. The program is held against the reference; the bare
// window, which mostly measures the driver compiling the first frame's
// shading on a new context, and the process lifetimes (teardown included)
// are information, as is the median of each step.
#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <string>
#include <vector>

#include "child_process.h"
#include "startup_clock.h"

namespace {

struct Run {
    double total;    // spawn to exit
    double present;  // spawn to the end of the first present
    // Step name to begin and end, in milliseconds from the spawn.
    std::map<std::string, std::pair<double, double>> steps;
};

// Runs `argv` in `dir` and times it from spawn to exit; its standard
// error is read for the steps it reports.
Run run_once(const std::vector<std::string> &argv, const std::string &dir)
{
    const std::string &program = argv[0];
    int err[2];
    if (pipe2(err, O_CLOEXEC) != 0) {
        perror("pipe");
        exit(1);
    }
    ProcessOptions o;
    o.argv = argv;
    o.cwd = dir;
    o.err_fd = err[1];
    Process child;
    std::string error;
    double start = now_ms();
    if (!child.Start(o, &error)) {
        fprintf(stderr, "cannot start %s: %s\n", program.c_str(), error.c_str());
        exit(1);
    }
    close(err[1]);
    std::string text;
    char chunk[4096];
    ssize_t n;
    while ((n = read(err[0], chunk, sizeof chunk)) > 0)
        text.append(chunk, (size_t)n);
    close(err[0]);
    // Its standard error has closed, so it is ending.
    child.WaitExit(std::chrono::hours(1));
    int status = child.status();
    Run run;
    run.total = now_ms() - start;
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
        fprintf(stderr, "%s failed (status %d):\n%s\n", program.c_str(), status, text.c_str());
        exit(1);
    }
    size_t at = 0;
    while (at < text.size()) {
        size_t eol = text.find('\n', at);
        std::string line = text.substr(at, eol == std::string::npos ? std::string::npos : eol - at);
        at = eol == std::string::npos ? text.size() : eol + 1;
        char name[64];
        double begin, end;
        if (sscanf(line.c_str(), "STEP %63s %lf %lf", name, &begin, &end) == 3 && begin > 0)
            run.steps[name] = {begin - start, end - start};
    }
    auto presented = run.steps.find("present");
    if (presented == run.steps.end()) {
        fprintf(stderr, "%s reported no present:\n%s\n", program.c_str(), text.c_str());
        exit(1);
    }
    run.present = presented->second.second;
    return run;
}

double median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return v.empty() ? 0.0 : v[v.size() / 2];
}

}  // namespace

int main(int argc, char **argv)
{
    if (argc < 5) {
        fprintf(stderr, "usage: startup_bench PROGRAM REFERENCE BASELINE RUN_DIR [RUNS]\n");
        return 2;
    }
    if (getenv("DISPLAY") == nullptr || *getenv("DISPLAY") == '\0') {
        fprintf(stderr, "startup_bench needs a display (bench/run_bench.sh starts one)\n");
        return 2;
    }
    const std::string dir = argv[4];
    int runs = argc > 5 ? atoi(argv[5]) : 15;
    const int kContenders = 3;
    const std::vector<std::string> commands[kContenders] = {
        {argv[1]}, {argv[2], "--first-frame"}, {argv[3]}};
    static const char *const kNames[kContenders] = {"group_g", "reference", "bare window"};
    // One of each first, to warm the caches they share.
    for (const std::vector<std::string> &command : commands)
        run_once(command, dir);
    std::vector<double> present[kContenders], life[kContenders];
    std::map<std::string, std::vector<double>> begins[kContenders], lengths[kContenders];
    for (int i = 0; i < runs; ++i) {
        for (int which = 0; which < kContenders; ++which) {
            Run run = run_once(commands[which], dir);
            present[which].push_back(run.present);
            life[which].push_back(run.total);
            for (const auto &step : run.steps) {
                begins[which][step.first].push_back(step.second.first);
                lengths[which][step.first].push_back(step.second.second - step.second.first);
            }
        }
    }
    double p = median(present[0]), r = median(present[1]), b = median(present[2]);
    printf("start to first frame on screen (median of %d)\n", runs);
    printf("  group_g                          %8.1f ms   (until exit %.1f ms)\n", p,
           median(life[0]));
    printf("  reference (same GL work, SDL2)   %8.1f ms   (until exit %.1f ms)\n", r,
           median(life[1]));
    printf("  bare SDL2 window (cleared)       %8.1f ms   (until exit %.1f ms)\n", b,
           median(life[2]));
    printf("  group_g / bare window            %8.2f   (information)\n", p / b);
    printf("steps: median start after spawn, median length\n");
    static const char *const kOrder[] = {"loaded", "window", "context", "font",
                                         "pictures", "first_draw", "present"};
    for (int which = 0; which < kContenders; ++which) {
        printf("  %s\n", kNames[which]);
        for (const char *name : kOrder) {
            if (begins[which].count(name) == 0)
                continue;
            printf("    %-12s at %7.1f ms takes %7.1f ms\n", name,
                   median(begins[which][name]), median(lengths[which][name]));
        }
    }
    double ratio = p / r;
    printf("target startup_vs_reference: %.2fx vs limit 1.10x: %s\n", ratio,
           ratio <= 1.10 ? "met" : "missed");
    return 0;
}
