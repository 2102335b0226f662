#include "platform/d3d8/d3d8_offscreen.h"

#include <algorithm>
#include <cstdlib>
#include <dlfcn.h>
#include <link.h>

namespace vls::d3d8 {

SDL_Window* openOffscreenWindow(int width, int height)
{
    if (!SDL_WasInit(SDL_INIT_VIDEO)) {
        // The software renderer on every machine, so that a script gives the
        // same picture wherever it runs; a user's own choice still wins.
        setenv("LIBGL_ALWAYS_SOFTWARE", "1", 0);
        SDL_SetHintWithPriority(SDL_HINT_VIDEODRIVER, "offscreen", SDL_HINT_OVERRIDE);
        // SIGINT and SIGTERM stay with the window layer's own handlers.
        SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
    }
    if (SDL_InitSubSystem(SDL_INIT_VIDEO) != 0) return nullptr;
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_MAJOR_VERSION, 2);
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_MINOR_VERSION, 1);
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_PROFILE_MASK, SDL_GL_CONTEXT_PROFILE_COMPATIBILITY);
    return SDL_CreateWindow("offscreen", 0, 0, width, height, SDL_WINDOW_OPENGL | SDL_WINDOW_HIDDEN);
}

std::vector<std::string> loadedModules()
{
    std::vector<std::string> names;
    dl_iterate_phdr(
        [](dl_phdr_info* info, std::size_t, void* data) {
            if (info->dlpi_name && info->dlpi_name[0])
                static_cast<std::vector<std::string>*>(data)->push_back(info->dlpi_name);
            return 0;
        },
        &names);
    return names;
}

void keepModulesLoadedSince(const std::vector<std::string>& before)
{
    for (const std::string& name : loadedModules())
        if (std::find(before.begin(), before.end(), name) == before.end())
            dlopen(name.c_str(), RTLD_NOW | RTLD_NOLOAD | RTLD_NODELETE);
}

void closeOffscreenWindow(SDL_Window* window)
{
    if (window) SDL_DestroyWindow(window);
    // SDL's video stays up: unloading the GL driver would leave its
    // allocations without a module name for the leak checker.
}

}  // namespace vls::d3d8
