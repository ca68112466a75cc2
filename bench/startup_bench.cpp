// Start-up time: from process start to the first presented frame, for the
// program (pictures, font and all) and for a bare SDL2 window that presents
// one cleared frame, measured in the same run on the same display. Each is
// started several times; the median counts.
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

extern char **environ;

static double RunOnceMs(const std::string &program, const std::string &dir)
{
    auto start = std::chrono::steady_clock::now();
    pid_t pid;
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addchdir_np(&actions, dir.c_str());
    char *argv[] = {const_cast<char *>(program.c_str()), nullptr};
    if (posix_spawn(&pid, program.c_str(), &actions, nullptr, argv, environ) != 0) {
        perror("posix_spawn");
        exit(1);
    }
    posix_spawn_file_actions_destroy(&actions);
    int status = 0;
    waitpid(pid, &status, 0);
    auto end = std::chrono::steady_clock::now();
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
        fprintf(stderr, "%s failed (status %d)\n", program.c_str(), status);
        exit(1);
    }
    return std::chrono::duration<double, std::milli>(end - start).count();
}

static double MedianMs(const std::string &program, const std::string &dir, int runs)
{
    std::vector<double> times;
    RunOnceMs(program, dir);  // warm the caches both programs share
    for (int i = 0; i < runs; ++i)
        times.push_back(RunOnceMs(program, dir));
    std::sort(times.begin(), times.end());
    return times[times.size() / 2];
}

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
    double program = MedianMs(argv[1], argv[3], runs);
    double baseline = MedianMs(argv[2], argv[3], runs);
    double ratio = program / baseline;
    printf("start to first frame (median of %d)\n", runs);
    printf("  group_g              %8.1f ms\n", program);
    printf("  bare SDL2 window     %8.1f ms\n", baseline);
    printf("  ratio                %8.2f\n", ratio);
    printf("target startup_vs_bare_window: %.2f vs limit 1.30: %s\n", ratio,
           ratio <= 1.30 ? "met" : "missed");
    return 0;
}
