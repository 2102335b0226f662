#include "engine/app/kestrune_engine.h"

#include "platform/user/winuser.h"

#include <cstdio>
#include <cstdlib>

namespace {

constexpr size_t kReportSize = 512;
constexpr UINT kErrorBoxStyle = MB_OKCANCEL | MB_ICONHAND | MB_SYSTEMMODAL | MB_TOPMOST;
// A fatal error is a failed run, and says so to whoever started the program.
constexpr int kFatalExitStatus = 1;

} // namespace

int cKestruneEngine::Error(const char* module, const char* where, int fatal)
{
    char report[kReportSize];
    std::snprintf(report, sizeof(report), "Error in module %s[%s]\n-> %s\n", module ? module : "", where ? where : "",
        errorText);
    std::fputs(report, stdout);
    std::fflush(nullptr);

    ShowCursor(TRUE);
    ShowWindow(window, SW_MINIMIZE);
    const int answer = MessageBoxA(nullptr, report, "An error occured...", kErrorBoxStyle);
    // Cancel ends the run at the user's word, which is a failed run when the
    // error was fatal.
    if (answer == IDCANCEL)
        std::exit(fatal == 1 ? kFatalExitStatus : 0);
    if (fatal == 1) {
        std::printf("Error was fatal, exiting...\n");
        std::exit(kFatalExitStatus);
    }
    ShowCursor(FALSE);
    ShowWindow(window, SW_RESTORE);
    return 0;
}
