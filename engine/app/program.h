#pragma once

#include "platform/win32/wintypes.h"

// The process-wide state of the engine program; the engine object itself is
// g_engine (engine/base/engine_link.h).
extern const char* const g_emptyText;
extern HWND g_window;
extern HINSTANCE g_instance;

constexpr const char* kWindowClassName = "Quib-Velt";
constexpr const char* kWindowTitle = "Veilstrand";

// The process entry: runs WinMainBody under the crash report filter.
int WinMain(HINSTANCE instance, HINSTANCE previous, LPSTR commandLine, int showCommand);
// Start-up, main loop and orderly return: 0 after the loop, -1 on a failed start.
int WinMainBody(HINSTANCE instance, HINSTANCE previous, LPSTR commandLine, int showCommand);
// Runs at every process exit: destroys the engine and the window, closes the log.
void ShutDown();
// Registers the window class and brings up the engine window with the stored
// instance handle; kept for outside callers, the engine itself never calls it.
extern "C" void doWinInit();

// Lists the program's own exported functions (doWinInit) for GetProcAddress.
void RegisterProgramExports();

LRESULT CALLBACK WndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
void OnKeyDown(WPARAM key, LPARAM lParam);
