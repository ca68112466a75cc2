/* Preloaded into the sanitized program by the soak test: a thread writes the
 * bytes the program holds on the heap, as the sanitizer's allocator counts
 * them, to the file named by GROUP_G_HEAP_PROBE ten times a second. Resident
 * memory is no measure of a leak under the sanitizer: it swings by megabytes
 * from one moment to the next with the allocator's caches and the GL
 * driver's code buffers.
 *
 * When a file of the same name plus ".profile" appears, the thread removes
 * it and prints the sanitizer's profile of every live allocation, grouped
 * by call stack, to stderr between two marker lines. The GL driver's own
 * allocations come without usable stacks, while the program's carry its
 * source paths, so the soak can tell the program's heap from the driver's.
 * Both calls come from the sanitizer runtime the program is linked with. */
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

/* Each reading goes to a side file that is then renamed over the probe
 * file, so a reader never sees a half-written number. */
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
