#include "engine/app/exception_report.h"
#include "engine/app/kestrune_engine.h"
#include "engine/app/program.h"
#include "engine/app/engine_platform.h"

#include "platform/user/winuser.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <new>

#include <fcntl.h>
#include <unistd.h>

const char* const g_emptyText = "";
HWND g_window = nullptr;
HINSTANCE g_instance = nullptr;

namespace {

constexpr int kWindowWidth = 1024;
constexpr int kWindowHeight = 768;

void RegisterWindowClass()
{
    WNDCLASSA wc = {};
    wc.style = CS_HREDRAW | CS_VREDRAW | CS_DBLCLKS;
    wc.lpfnWndProc = WndProc;
    wc.cbClsExtra = 0;
    wc.cbWndExtra = 0;
    wc.hInstance = g_instance;
    wc.hIcon = LoadIconA(nullptr, IDI_APPLICATION);
    wc.hCursor = LoadCursorA(nullptr, IDC_ARROW);
    wc.hbrBackground = static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH));
    wc.lpszMenuName = kWindowClassName;
    wc.lpszClassName = kWindowClassName;
    RegisterClassA(&wc);
}

HWND CreateEngineWindow()
{
    return CreateWindowExA(0, kWindowClassName, kWindowTitle, WS_POPUP | WS_VISIBLE, 0, 0, kWindowWidth,
        kWindowHeight, nullptr, nullptr, g_instance, nullptr);
}

// Every line reaches the file as it is logged, so a crash or a kill loses none.
// The previous run's log stays whole until this run has its first line to put
// in its place. A log that cannot be made is said where a person sees it; the
// run goes on without one.
void OpenLog(const char* firstLine)
{
    // Non-blocking: a FIFO without a reader in the log's place is refused
    // instead of holding the start.
    const int file = open("kestrune.log", O_WRONLY | O_CREAT | O_CLOEXEC | O_NONBLOCK, 0644);
    if (file >= 0 && dup2(file, STDOUT_FILENO) == STDOUT_FILENO) {
        close(file);
        fcntl(STDOUT_FILENO, F_SETFL, fcntl(STDOUT_FILENO, F_GETFL) & ~O_NONBLOCK);
        std::setvbuf(stdout, nullptr, _IOLBF, 0);
        std::fputs(firstLine, stdout);
        std::fflush(stdout);
        // What is left of the old log beyond the first line goes.
        if (ftruncate(STDOUT_FILENO, lseek(STDOUT_FILENO, 0, SEEK_CUR)) != 0)
            std::fprintf(stderr, "vls: cannot shorten the log kestrune.log: %s\n", std::strerror(errno));
        return;
    }
    const int error = errno;
    if (file >= 0)
        close(file);
    char folder[4096] = ".";
    if (!getcwd(folder, sizeof folder))
        std::strcpy(folder, ".");
    std::fprintf(stderr, "vls: cannot write the log kestrune.log in %s: %s\n", folder, std::strerror(error));
    // Later lines then go nowhere instead of to the terminal's output.
    const int nowhere = open("/dev/null", O_WRONLY | O_CLOEXEC);
    if (nowhere >= 0) {
        dup2(nowhere, STDOUT_FILENO);
        close(nowhere);
    }
}

LONG WINAPI MainThreadFilter(EXCEPTION_POINTERS* pointers)
{
    return WriteExceptionReport(pointers, "main thread");
}

} // namespace

int WinMainBody(HINSTANCE instance, HINSTANCE, LPSTR, int)
{
    OpenLog("-- Kestrune v2.0 runtime started.\n");
    // The exit routine still releases and destroys the window, so the window
    // manager must come up first: what is made before it is registered is
    // torn down after it runs.
    GetDesktopWindow();
    if (std::atexit(ShutDown) != 0) {
        std::printf("Cannot set up atexit function.");
        return -1;
    }
    CoInitialize(nullptr);
    srand(static_cast<unsigned>(std::time(nullptr)));

    std::printf("Initializing window...\n");
    g_instance = instance;
    RegisterWindowClass();
    g_window = CreateEngineWindow();
    ShowWindow(g_window, SW_SHOWNORMAL);
    UpdateWindow(g_window);
    SetCapture(g_window);
    ShowCursor(FALSE);

    std::printf("Initializing Kestrune Engine...\n");
    g_engine = new (std::nothrow) cKestruneEngine(g_window, instance, g_emptyText);
    if (!g_engine)
        return -1;
    if (g_engine->Init() == -1)
        return -1;
    g_engine->Run();
    return 0;
}

void RegisterProgramExports()
{
    static const vls::win32::ProcTableEntry kExports[] = {{"doWinInit", vls::win32::ToProc(doWinInit)}};
    vls::win32::RegisterModuleExports(nullptr, kExports);
}

int WinMain(HINSTANCE instance, HINSTANCE previous, LPSTR commandLine, int showCommand)
{
    RegisterProgramExports();
    const LPTOP_LEVEL_EXCEPTION_FILTER previousFilter = SetUnhandledExceptionFilter(MainThreadFilter);
    const int result = WinMainBody(instance, previous, commandLine, showCommand);
    SetUnhandledExceptionFilter(previousFilter);
    return result;
}

void ShutDown()
{
    std::printf("Destroying Kestrune object...\n");
    if (g_engine) {
        delete g_engine;
        g_engine = nullptr;
    }
    std::printf("Destroying window...\n");
    ReleaseCapture();
    DestroyWindow(g_window);
    g_window = nullptr;
    std::printf("-- Shut down successful.\n");
    std::fclose(stdout);
    std::fclose(stderr);
}

extern "C" void doWinInit()
{
    RegisterWindowClass();
    g_window = CreateEngineWindow();
    ShowWindow(g_window, SW_SHOWNORMAL);
    UpdateWindow(g_window);
    SetCapture(g_window);
    ShowCursor(FALSE);
}
