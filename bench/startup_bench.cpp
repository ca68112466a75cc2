// Start-up time: from process start to the first presented frame, for the
// program (pictures, font and all) and for a bare SDL2 window that presents
// one cleared frame, measured in the same run on the same display. The two
// take turns, so the machine's other work falls on both alike; the median
// of each counts. Both report when each step of their start began and ended
// (startup_first_frame.cpp, startup_baseline.cpp): the first frame is on
// screen when the first present returns, and that is what is compared. The
// whole process lifetime, which adds the process's teardown (threads that
// the GL driver starts at idle priority can hold it up on a busy machine),
// is printed beside it for information. The median of each step is printed
// as the breakdown.
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

// Runs `program` in `dir` and times it from spawn to exit; its standard
// error is read for the steps it reports.
Run run_once(const std::string &program, const std::string &dir)
{
    int err[2];
    if (pipe2(err, O_CLOEXEC) != 0) {
        perror("pipe");
        exit(1);
    }
    ProcessOptions o;
    o.argv = {program};
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
    if (argc < 4) {
        fprintf(stderr, "usage: startup_bench PROGRAM BASELINE RUN_DIR [RUNS]\n");
        return 2;
    }
    if (getenv("DISPLAY") == nullptr || *getenv("DISPLAY") == '\0') {
        fprintf(stderr, "startup_bench needs a display (bench/run_bench.sh starts one)\n");
        return 2;
    }
    int runs = argc > 4 ? atoi(argv[4]) : 15;
    // One of each first, to warm the caches both programs share.
    run_once(argv[1], argv[3]);
    run_once(argv[2], argv[3]);
    std::vector<double> program, baseline, program_life, baseline_life;
    std::map<std::string, std::vector<double>> begins[2], lengths[2];
    for (int i = 0; i < runs; ++i) {
        for (int which = 0; which < 2; ++which) {
            Run run = run_once(argv[1 + which], argv[3]);
            (which == 0 ? program : baseline).push_back(run.present);
            (which == 0 ? program_life : baseline_life).push_back(run.total);
            for (const auto &step : run.steps) {
                begins[which][step.first].push_back(step.second.first);
                lengths[which][step.first].push_back(step.second.second - step.second.first);
            }
        }
    }
    double p = median(program), b = median(baseline), ratio = p / b;
    printf("start to first frame on screen (median of %d)\n", runs);
    printf("  group_g              %8.1f ms   (until exit %.1f ms)\n", p, median(program_life));
    printf("  bare SDL2 window     %8.1f ms   (until exit %.1f ms)\n", b, median(baseline_life));
    printf("  ratio                %8.2f\n", ratio);
    printf("steps: median start after spawn, median length   group_g | bare window\n");
    static const char *const kOrder[] = {"loaded", "window", "context", "font",
                                         "pictures", "first_draw", "present"};
    for (const char *name : kOrder) {
        printf("  %-12s", name);
        for (int which = 0; which < 2; ++which) {
            if (begins[which].count(name) == 0)
                printf("  %26s", "-");
            else
                printf("  at %6.1f ms takes %6.1f ms", median(begins[which][name]),
                       median(lengths[which][name]));
            printf(which == 0 ? "  |" : "\n");
        }
    }
    printf("target startup_vs_bare_window: %.2f vs limit 1.20: %s\n", ratio,
           ratio <= 1.20 ? "met" : "missed");
    return 0;
}
