// Requests to end the program from outside: SIGTERM (session end), SIGINT
// (Ctrl+C) and SIGHUP (terminal closed). The handler notes the request and
// writes a byte to the pipe a box's wait watches; the next pump turns it into
// the window's close, as the close button does. A request also starts a 2 s
// deadline, since a session that ends takes the display with it and the GL
// driver may then wait for ever: the program then ends with status 1, after
// the backend has put the desktop's display mode back (a second alarm ends the
// process should that hang).
#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>

#include "platform/core/core_backend.h"
#include "platform/core/core_state.h"

static const unsigned kSecondsToEnd = 2;

static volatile sig_atomic_t g_requested = 0;
static volatile sig_atomic_t g_ending = 0;
static bool g_taken = false;
static int g_wake[2] = {-1, -1};

void CoreRequestTermination(void)
{
    int saved_errno = errno;
    g_requested = 1;
    if (g_wake[1] >= 0) {
        char byte = 1;
        ssize_t written = write(g_wake[1], &byte, 1);
        (void)written;  // a full pipe already wakes its reader
    }
    errno = saved_errno;
}

// Whatever the backend must undo before the process goes, tried once; the
// alarm ends the process if the backend hangs (the handler interrupted
// something holding a lock it needs).
static void UndoBeforeEnding(void)
{
    if (g_ending)
        return;
    g_ending = 1;
    alarm(1);
    BackendEndingAbruptly();
}

// A second request means the first did not end the program soon enough
// for the user: the signal then ends it the default way.
static void OnTerminationSignal(int signal_number)
{
    if (g_requested) {
        UndoBeforeEnding();
        signal(signal_number, SIG_DFL);
        raise(signal_number);
        return;
    }
    CoreRequestTermination();
    alarm(kSecondsToEnd);
}

static void OnDeadline(int)
{
    if (!g_ending) {
        static const char kLine[] =
            "The program did not end in time after a termination signal.\n";
        ssize_t written = write(STDERR_FILENO, kLine, sizeof kLine - 1);
        (void)written;
        UndoBeforeEnding();
    }
    _exit(1);
}

void CoreCatchTerminationSignals(void)
{
    if (g_wake[0] >= 0)
        return;
    if (pipe2(g_wake, O_CLOEXEC | O_NONBLOCK) != 0)
        g_wake[0] = g_wake[1] = -1;
    // Not blocked while its handler runs, so that the alarm set there can
    // end a restore that hangs.
    struct sigaction deadline = {};
    deadline.sa_handler = OnDeadline;
    sigemptyset(&deadline.sa_mask);
    deadline.sa_flags = SA_NODEFER;
    sigaction(SIGALRM, &deadline, nullptr);
    for (int signal_number : {SIGTERM, SIGINT, SIGHUP}) {
        struct sigaction old_action;
        // A signal ignored from the start (nohup, say) stays ignored.
        if (sigaction(signal_number, nullptr, &old_action) == 0 &&
            old_action.sa_handler == SIG_IGN)
            continue;
        struct sigaction action = {};
        action.sa_handler = OnTerminationSignal;
        sigemptyset(&action.sa_mask);
        action.sa_flags = SA_RESTART;
        sigaction(signal_number, &action, nullptr);
    }
}

int CoreWakeFd(void) { return g_wake[0]; }

static void DrainWakePipe(void)
{
    char bytes[64];
    if (g_wake[0] >= 0)
        while (read(g_wake[0], bytes, sizeof bytes) > 0) {
        }
}

void CoreTakeTerminationRequest(void)
{
    if (!g_requested || g_taken)
        return;
    g_taken = true;
    DrainWakePipe();
    CoreState &core = Core();
    if (core.window != nullptr)
        CoreInputCloseRequest(core.window);
    else
        CorePost(nullptr, WM_QUIT, 0, 0);
}

void CoreForgetTerminationRequest(void)
{
    g_requested = 0;
    g_taken = false;
    DrainWakePipe();
}
