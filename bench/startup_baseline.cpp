// The least a program can do to put a frame up: SDL2 opens a 640x480
// double-buffered OpenGL window, clears it and presents it once.
#include <SDL.h>
#include <SDL_opengl.h>
#include <unistd.h>

int main(int, char **)
{
    if (SDL_Init(SDL_INIT_VIDEO) != 0)
        return 1;
    SDL_GL_SetAttribute(SDL_GL_DOUBLEBUFFER, 1);
    SDL_GL_SetAttribute(SDL_GL_DEPTH_SIZE, 16);
    SDL_Window *window = SDL_CreateWindow("baseline", 0, 0, 640, 480, SDL_WINDOW_OPENGL);
    if (window == nullptr)
        return 1;
    SDL_GLContext context = SDL_GL_CreateContext(window);
    if (context == nullptr)
        return 1;
    glClearColor(0, 0, 0, 1);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    SDL_GL_SwapWindow(window);
    _exit(0);
}
