/* Preloaded by the life journey: once the file the journey names exists,
 * the compositor connection reads as failed, while the compositor goes on
 * and SDL sees nothing amiss. */
#define _GNU_SOURCE
#include <dlfcn.h>
#include <errno.h>
#include <stdlib.h>
#include <unistd.h>

struct wl_display;

int wl_display_get_error(struct wl_display *display)
{
    const char *flag = getenv("GROUP_G_CONNECTION_FAILED_FLAG");
    if (flag != NULL && access(flag, F_OK) == 0)
        return EPIPE;
    int (*real)(struct wl_display *) = NULL;
    *(void **)&real = dlsym(RTLD_NEXT, "wl_display_get_error");
    return real(display);
}
