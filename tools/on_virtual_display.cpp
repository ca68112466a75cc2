// on_virtual_display: runs a command on a private virtual X display of its
// own and exits with the command's status (128 + N when signal N ended it),
// stopping the display afterwards. For scripts that need a display where
// there is none: the presentation script's headless run and the benchmarks.
//
//   on_virtual_display [--screen WxHxD] [--window-manager] [--] COMMAND [ARG...]
//
// The display is 1280x1024x24 unless --screen says otherwise; the window
// manager is openbox. A Ctrl+C reaches the command (it shares our terminal
// and process group); we wait for it to end either way.
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "virtual_display.h"

static int usage()
{
    fprintf(stderr,
            "usage: on_virtual_display [--screen WxHxD] [--window-manager] [--] COMMAND [ARG...]\n");
    return 2;
}

int main(int argc, char **argv)
{
    std::string screen = "1280x1024x24";
    bool window_manager = false;
    int first = 1;
    for (; first < argc && argv[first][0] == '-'; ++first) {
        if (strcmp(argv[first], "--") == 0) {
            ++first;
            break;
        } else if (strcmp(argv[first], "--screen") == 0 && first + 1 < argc) {
            screen = argv[++first];
        } else if (strcmp(argv[first], "--window-manager") == 0) {
            window_manager = true;
        } else {
            return usage();
        }
    }
    if (first >= argc)
        return usage();

    VirtualDisplay display;
    std::string error;
    if (!StartVirtualDisplay(&display, screen, window_manager, "", &error)) {
        fprintf(stderr, "on_virtual_display: %s\n", error.c_str());
        return 1;
    }
    // The command decides what an interrupt means; we outlive it to stop
    // the display.
    signal(SIGINT, SIG_IGN);
    pid_t child = fork();
    if (child == 0) {
        signal(SIGINT, SIG_DFL);
        setenv("DISPLAY", display.name.c_str(), 1);
        execvp(argv[first], argv + first);
        fprintf(stderr, "on_virtual_display: cannot run %s\n", argv[first]);
        _exit(127);
    }
    int status = 0;
    while (child > 0 && waitpid(child, &status, 0) < 0 && errno == EINTR) {
    }
    StopVirtualDisplay(&display);
    if (child < 0)
        return 1;
    return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}
