// The least a program of ours does before its first frame is seen: the
// engine's 1024 x 768 window with the OpenGL context its device asks for,
// cleared and presented once. The start-up benchmark times it beside the
// engine as the floor that the platform sets.

#include <SDL.h>
#include <SDL_opengl.h>

int main()
{
    if (SDL_Init(SDL_INIT_VIDEO) != 0)
        return 1;
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_MAJOR_VERSION, 2);
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_MINOR_VERSION, 1);
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_PROFILE_MASK, SDL_GL_CONTEXT_PROFILE_COMPATIBILITY);
    SDL_GL_SetAttribute(SDL_GL_DOUBLEBUFFER, 1);
    SDL_Window* window = SDL_CreateWindow("Veilstrand", 0, 0, 1024, 768, SDL_WINDOW_OPENGL | SDL_WINDOW_SHOWN);
    if (!window)
        return 2;
    SDL_GLContext context = SDL_GL_CreateContext(window);
    if (!context)
        return 2;
    SDL_GL_MakeCurrent(window, context);
    SDL_GL_SetSwapInterval(0);
    glClearColor(0, 0, 0, 1);
    glClear(GL_COLOR_BUFFER_BIT);
    SDL_GL_SwapWindow(window);
    SDL_GL_DeleteContext(context);
    SDL_DestroyWindow(window);
    SDL_Quit();
    return 0;
}
