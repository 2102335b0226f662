#include "platform/win32/backend/sdl/display_loss.h"

#include <X11/Xlib.h>

#include <cerrno>
#include <cstdio>
#include <sys/stat.h>
#include <unistd.h>

namespace vls::backend {
namespace {

// A program whose standard output goes to a file logs there; a terminal or a
// pipe already shows standard error.
bool StandardOutputIsLog()
{
    struct stat out {};
    struct stat err {};
    if (fstat(STDOUT_FILENO, &out) != 0 || !S_ISREG(out.st_mode))
        return false;
    return fstat(STDERR_FILENO, &err) != 0 || err.st_dev != out.st_dev || err.st_ino != out.st_ino;
}

int OnDisplayLost(Display* display)
{
    const char* name = display ? DisplayString(display) : nullptr;
    char report[512];
    std::snprintf(report, sizeof report, "Lost the connection to the display %s; the program ends.\n",
                  name && *name ? name : "");
    std::fflush(stdout);
    if (StandardOutputIsLog()) {
        std::fputs(report, stdout);
        std::fflush(stdout);
    }
    std::fprintf(stderr, "%s: %s", program_invocation_short_name, report);
    std::fflush(stderr);
    // Nothing may run on: every exit handler would touch the window system.
    _exit(kDisplayLostStatus);
}

}  // namespace

void WatchForLostDisplay()
{
    XSetIOErrorHandler(OnDisplayLost);
}

}  // namespace vls::backend
