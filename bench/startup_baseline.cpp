// The least a program can do to put a frame up: SDL2 opens a 640x480
// double-buffered OpenGL window, clears it and presents it once. Like the
// program's timed copy, it reports when its steps began and ended on
// standard error ("STEP <name> <begin> <end>", monotonic milliseconds) and
// ends at once after the first present.
#include <SDL.h>
#include <SDL_opengl.h>
#include <unistd.h>

#include <cstdio>

#include "startup_clock.h"

int main(int, char **)
{
    double start = now_ms();
    if (SDL_Init(SDL_INIT_VIDEO) != 0)
        return 1;
    double video = now_ms();
    SDL_GL_SetAttribute(SDL_GL_DOUBLEBUFFER, 1);
    SDL_GL_SetAttribute(SDL_GL_DEPTH_SIZE, 16);
    SDL_Window *window = SDL_CreateWindow("baseline", 0, 0, 640, 480, SDL_WINDOW_OPENGL);
    if (window == nullptr)
        return 1;
    SDL_GLContext context = SDL_GL_CreateContext(window);
    if (context == nullptr)
        return 1;
    double made = now_ms();
    glClearColor(0, 0, 0, 1);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    double drawn = now_ms();
    SDL_GL_SwapWindow(window);
    double presented = now_ms();
    fprintf(stderr,
            "STEP loaded %.3f %.3f\nSTEP window %.3f %.3f\nSTEP context %.3f %.3f\n"
            "STEP first_draw %.3f %.3f\nSTEP present %.3f %.3f\n",
            start, start, start, video, video, made, made, drawn, drawn, presented);
    fflush(stderr);
    _exit(0);
}
