// Preloaded into a program that the start-up benchmark times: the program's
// first buffer swap is the end of its first frame, so the swap is let
// through and the process ends there, before anything else runs. The
// benchmark reads the time and the resources of the process as it ends;
// what the process read by then (/proc/self/io) and how many shared objects
// it had loaded ("objects: N") go to the file named by VLS_FIRST_FRAME_IO
// when that is set.

#include <SDL.h>

#include <dlfcn.h>
#include <fcntl.h>
#include <link.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>

namespace {

void CopyReadCounters()
{
    const char* path = std::getenv("VLS_FIRST_FRAME_IO");
    if (!path)
        return;
    char counters[1024];
    const int in = open("/proc/self/io", O_RDONLY);
    ssize_t got = in >= 0 ? read(in, counters, sizeof counters - 64) : -1;
    // The program itself and the vDSO count too, as they do for every program.
    int objects = 0;
    dl_iterate_phdr([](dl_phdr_info*, size_t, void* count) {
        ++*static_cast<int*>(count);
        return 0;
    }, &objects);
    if (got >= 0)
        got += std::snprintf(counters + got, 64, "objects: %d\n", objects);
    const int out = open(path, O_WRONLY | O_CREAT | O_TRUNC, 0644);
    if (got > 0 && out >= 0 && write(out, counters, static_cast<size_t>(got)) != got)
        unlink(path);
}

} // namespace

extern "C" __attribute__((visibility("default"))) void SDL_GL_SwapWindow(SDL_Window* window)
{
    using Swap = void (*)(SDL_Window*);
    const auto swap = reinterpret_cast<Swap>(dlsym(RTLD_NEXT, "SDL_GL_SwapWindow"));
    if (swap)
        swap(window);
    CopyReadCounters();
    _exit(swap ? 0 : 3);
}
