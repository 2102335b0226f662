#pragma once

#include "platform/win32/wintypes.h"

#include <string>
#include <vector>

// Results of ShellExecuteA at or below 32 are errors.
constexpr int SE_ERR_FNF = 2;
constexpr int SE_ERR_PNF = 3;
constexpr int SE_ERR_ACCESSDENIED = 5;
constexpr int SE_ERR_OOM = 8;
constexpr int SE_ERR_SHARE = 26;
constexpr int SE_ERR_ASSOCINCOMPLETE = 27;
constexpr int SE_ERR_NOASSOC = 31;
constexpr int SE_ERR_DLLNOTFOUND = 32;

constexpr ULONG SEE_MASK_NOCLOSEPROCESS = 0x00000040;
constexpr ULONG SEE_MASK_NOASYNC = 0x00000100;
constexpr ULONG SEE_MASK_FLAG_NO_UI = 0x00000400;

struct SHELLEXECUTEINFOA {
    DWORD cbSize;
    ULONG fMask;
    HWND hwnd;
    LPCSTR lpVerb;
    LPCSTR lpFile;
    LPCSTR lpParameters;
    LPCSTR lpDirectory;
    int nShow;
    HINSTANCE hInstApp;
    LPVOID lpIDList;
    LPCSTR lpClass;
    HKEY hkeyClass;
    DWORD dwHotKey;
    HANDLE hIcon;
    HANDLE hProcess;
};
using LPSHELLEXECUTEINFOA = SHELLEXECUTEINFOA*;

// The verbs "open" (or none) and "explore" are known. A web address
// ("scheme://...", "www....", "mailto:...") and a document or folder go to
// the desktop's opener (xdg-open); a program runs through posix_spawn with
// the given working folder (its path mapped as every name is) and the
// parameters split as a Windows command line, and nobody waits for it. A
// relative file name is looked up in the working folder when one is given.
// Returns a value above 32, or an SE_ERR_* code.
HINSTANCE ShellExecuteA(HWND window, LPCSTR operation, LPCSTR file, LPCSTR parameters, LPCSTR directory, INT showCommand);
// As ShellExecuteA; hInstApp gets the result, and with
// SEE_MASK_NOCLOSEPROCESS hProcess a waitable handle of the program (null
// for the opener or a recorded launch). FALSE with the error in
// GetLastError on failure.
BOOL ShellExecuteExA(LPSHELLEXECUTEINFOA info);

namespace vls::win32 {

struct ShellLaunch {
    std::string verb;
    std::string file;
    std::string parameters;
    std::string directory;
    int showCommand = 0;
    // What would run: the program (or "xdg-open"), its arguments after
    // argv[0], and its working folder, as Linux paths.
    std::string program;
    std::vector<std::string> arguments;
    std::string workingFolder;
};

// Automatic records launches instead of running them when
// VEILSTRAND_BACKEND=headless, and runs them otherwise.
enum class ShellLaunchMode { Automatic, Record, Run };
void SetShellLaunchMode(ShellLaunchMode mode);
// The launches recorded so far, oldest first; the record is emptied.
std::vector<ShellLaunch> TakeRecordedShellLaunches();

// Splits a command line the way Windows programs split theirs: blanks
// separate, double quotes group, and backslashes escape quotes.
std::vector<std::string> SplitCommandLine(const std::string& commandLine);

} // namespace vls::win32

// The notification area ("tray"). Linux desktops differ too much to rely on
// one, so icons are recorded: each call is written to the standard error
// as one line "Shell_NotifyIcon <verb> <window> <id> \"<tip>\"" and the
// icons present can be read back.
constexpr DWORD NIM_ADD = 0x00000000;
constexpr DWORD NIM_MODIFY = 0x00000001;
constexpr DWORD NIM_DELETE = 0x00000002;
constexpr UINT NIF_MESSAGE = 0x00000001;
constexpr UINT NIF_ICON = 0x00000002;
constexpr UINT NIF_TIP = 0x00000004;

struct NOTIFYICONDATAA {
    DWORD cbSize;
    HWND hWnd;
    UINT uID;
    UINT uFlags;
    UINT uCallbackMessage;
    HICON hIcon;
    CHAR szTip[64];
};
using PNOTIFYICONDATAA = NOTIFYICONDATAA*;

// FALSE when adding an icon that is there, or changing or deleting one
// that is not.
BOOL Shell_NotifyIconA(DWORD message, PNOTIFYICONDATAA data);

namespace vls::win32 {

struct TrayIcon {
    HWND window = nullptr;
    UINT id = 0;
    UINT callbackMessage = 0;
    HICON icon = nullptr;
    std::string tip;
};

// The icons in the notification area now, oldest first.
std::vector<TrayIcon> TrayIcons();

} // namespace vls::win32
