/* Preloaded by the fullscreen journey: the second GL context (F1's window's)
 * is refused, so that open fails after the monitor has been switched. */
#define _GNU_SOURCE
#include <SDL2/SDL.h>
#include <dlfcn.h>

SDL_GLContext SDL_GL_CreateContext(SDL_Window *window)
{
    static int calls;
    if (++calls == 2) {
        SDL_SetError("context refused by the journey");
        return NULL;
    }
    SDL_GLContext (*real)(SDL_Window *) = NULL;
    *(void **)&real = dlsym(RTLD_NEXT, "SDL_GL_CreateContext");
    return real(window);
}
