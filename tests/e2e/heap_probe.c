/* Preloaded into the sanitized program by the soak: a thread writes the
 * bytes the sanitizer's allocator counts as in use to the file named by
 * GROUP_G_HEAP_PROBE ten times a second. When that name plus ".profile"
 * appears, it removes it and prints the profile of every live allocation by
 * call stack to stderr between two marker lines: the GL driver's come
 * without usable stacks, the program's with its own frames. */
#include <fcntl.h>
#include <pthread.h>
#include <stddef.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <unistd.h>

size_t __sanitizer_get_current_allocated_bytes(void);
void __sanitizer_print_memory_profile(size_t top_percent,
                                      size_t max_number_of_contexts);

static const char *probe_path;

static void say(const char *text)
{
    size_t length = strlen(text);
    if (write(STDERR_FILENO, text, length) != (ssize_t)length)
        return;
}

/* Written beside and renamed over: a reader never sees half a number. */
static void *write_readings(void *unused)
{
    char side_path[4096];
    char request_path[4096];
    (void)unused;
    if (snprintf(side_path, sizeof side_path, "%s.new", probe_path) >=
            (int)sizeof side_path ||
        snprintf(request_path, sizeof request_path, "%s.profile",
                 probe_path) >= (int)sizeof request_path)
        return NULL;
    for (;;) {
        char line[32];
        int length = snprintf(line, sizeof line, "%zu\n",
                              __sanitizer_get_current_allocated_bytes());
        int fd = open(side_path, O_WRONLY | O_CREAT | O_TRUNC, 0644);
        if (fd >= 0) {
            int written = (int)write(fd, line, (size_t)length);
            close(fd);
            if (written == length)
                rename(side_path, probe_path);
        }
        if (unlink(request_path) == 0) {
            say("heap profile begin\n");
            __sanitizer_print_memory_profile(100, 1000000);
            say("heap profile end\n");
        }
        usleep(100000);
    }
    return NULL;
}

__attribute__((constructor)) static void start_probe(void)
{
    pthread_t thread;
    probe_path = getenv("GROUP_G_HEAP_PROBE");
    if (probe_path == NULL || probe_path[0] == '\0')
        return;
    if (pthread_create(&thread, NULL, write_readings, NULL) == 0)
        pthread_detach(thread);
}
