#include "platform/win32/shell/shellapi.h"

#include "platform/win32/kernel/last_error.h"
#include "platform/win32/kernel/paths.h"
#include "platform/win32/kernel/process.h"

#include <cctype>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <optional>
#include <spawn.h>
#include <sys/stat.h>
#include <unistd.h>

extern char** environ;

namespace vls::win32 {

namespace {

constexpr int kSuccess = 42;
constexpr const char* kOpener = "xdg-open";

struct LaunchState {
    std::mutex lock;
    ShellLaunchMode mode = ShellLaunchMode::Automatic;
    std::vector<ShellLaunch> recorded;
};

LaunchState& State()
{
    static LaunchState* state = new LaunchState;
    return *state;
}

bool Recording()
{
    LaunchState& state = State();
    const std::lock_guard guard(state.lock);
    if (state.mode != ShellLaunchMode::Automatic)
        return state.mode == ShellLaunchMode::Record;
    const char* backend = std::getenv("VEILSTRAND_BACKEND");
    return backend && std::strcmp(backend, "headless") == 0;
}

char Lower(char c)
{
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

bool StartsWithIgnoringCase(const std::string& text, const char* prefix)
{
    const size_t length = std::strlen(prefix);
    if (text.size() < length)
        return false;
    for (size_t i = 0; i < length; ++i)
        if (Lower(text[i]) != Lower(prefix[i]))
            return false;
    return true;
}

bool IsWebAddress(const std::string& file)
{
    if (StartsWithIgnoringCase(file, "www.") || StartsWithIgnoringCase(file, "mailto:"))
        return true;
    const size_t scheme = file.find("://");
    if (scheme == std::string::npos || scheme < 2) // "c://" is a drive, not a scheme
        return false;
    for (size_t i = 0; i < scheme; ++i)
        if (!std::isalpha(static_cast<unsigned char>(file[i])) && file[i] != '+' && file[i] != '-' && file[i] != '.')
            return false;
    return true;
}

bool IsRelative(const std::string& file)
{
    return !(file.size() >= 2 && file[1] == ':') && !(!file.empty() && (file[0] == '\\' || file[0] == '/'));
}

std::optional<struct stat> StatOf(const std::string& path)
{
    struct stat info;
    if (stat(path.c_str(), &info) != 0)
        return std::nullopt;
    return info;
}

int CodeFromSpawnError(int error)
{
    switch (error) {
    case ENOENT:
    case ENOTDIR:
        return SE_ERR_FNF;
    case EACCES:
    case EPERM:
        return SE_ERR_ACCESSDENIED;
    case ENOEXEC:
        return ERROR_BAD_FORMAT;
    case ENOMEM:
    case EAGAIN:
        return SE_ERR_OOM;
    default:
        return SE_ERR_NOASSOC;
    }
}

// Works out what a launch would run; the result code when it cannot.
int Plan(const char* operation, const char* file, const char* parameters, const char* directory, int showCommand, ShellLaunch& launch)
{
    launch.verb = operation ? operation : "";
    launch.file = file ? file : "";
    launch.parameters = parameters ? parameters : "";
    launch.directory = directory ? directory : "";
    launch.showCommand = showCommand;
    const bool explore = StartsWithIgnoringCase(launch.verb, "explore") && launch.verb.size() == 7;
    if (!launch.verb.empty() && !(StartsWithIgnoringCase(launch.verb, "open") && launch.verb.size() == 4) && !explore)
        return SE_ERR_NOASSOC;
    if (launch.file.empty())
        return SE_ERR_FNF;

    launch.workingFolder = '.';
    if (!launch.directory.empty()) {
        const std::optional<std::string> folder = MapPath(launch.directory);
        const std::optional<struct stat> info = folder ? StatOf(*folder) : std::nullopt;
        if (!info || !S_ISDIR(info->st_mode))
            return SE_ERR_PNF;
        launch.workingFolder = *folder;
    }
    if (IsWebAddress(launch.file)) {
        launch.program = kOpener;
        launch.arguments = {launch.file};
        return kSuccess;
    }

    const std::string name = IsRelative(launch.file) && !launch.directory.empty() ? launch.directory + "\\" + launch.file : launch.file;
    const std::optional<std::string> path = MapPath(name);
    if (!path)
        return SE_ERR_PNF;
    const std::optional<struct stat> info = StatOf(*path);
    if (!info) {
        const std::string parent = path->substr(0, path->find_last_of('/') == std::string::npos ? 0 : path->find_last_of('/'));
        const std::optional<struct stat> folder = StatOf(parent.empty() ? "." : parent);
        return folder && S_ISDIR(folder->st_mode) ? SE_ERR_FNF : SE_ERR_PNF;
    }
    // The program starts in its working folder, so its own path must not
    // depend on ours.
    std::string absolute = *path;
    if (absolute[0] != '/') {
        char* here = get_current_dir_name();
        absolute = std::string(here ? here : ".") + "/" + absolute;
        std::free(here);
    }
    if (S_ISDIR(info->st_mode) || explore || access(path->c_str(), X_OK) != 0) {
        launch.program = kOpener; // a folder or a document
        launch.arguments = {absolute};
        return kSuccess;
    }
    launch.program = absolute;
    launch.arguments = SplitCommandLine(launch.parameters);
    return kSuccess;
}

int Spawn(const ShellLaunch& launch, pid_t& pid)
{
    std::vector<std::string> argv = {launch.program};
    argv.insert(argv.end(), launch.arguments.begin(), launch.arguments.end());
    std::vector<char*> pointers;
    for (std::string& argument : argv)
        pointers.push_back(argument.data());
    pointers.push_back(nullptr);

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addchdir_np(&actions, launch.workingFolder.c_str());
    const std::string& program = launch.program;
    const int error = program == kOpener ? posix_spawnp(&pid, kOpener, &actions, nullptr, pointers.data(), environ)
                                         : posix_spawn(&pid, program.c_str(), &actions, nullptr, pointers.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    if (error != 0)
        return program == kOpener && error == ENOENT ? SE_ERR_NOASSOC : CodeFromSpawnError(error);
    return kSuccess;
}

int Launch(const char* operation, const char* file, const char* parameters, const char* directory, int showCommand, HANDLE* process)
{
    if (process)
        *process = nullptr;
    ShellLaunch launch;
    const int planned = Plan(operation, file, parameters, directory, showCommand, launch);
    if (planned <= 32)
        return planned;
    if (Recording()) {
        std::fprintf(stderr, "shell: recorded launch of %s\n", launch.program.c_str());
        LaunchState& state = State();
        const std::lock_guard guard(state.lock);
        state.recorded.push_back(std::move(launch));
        return kSuccess;
    }
    pid_t pid = 0;
    const int result = Spawn(launch, pid);
    if (result <= 32)
        return result;
    if (process && launch.program != kOpener)
        *process = CreateProcessHandle(pid);
    else
        ReapInBackground(pid);
    return result;
}

} // namespace

void SetShellLaunchMode(ShellLaunchMode mode)
{
    LaunchState& state = State();
    const std::lock_guard guard(state.lock);
    state.mode = mode;
}

std::vector<ShellLaunch> TakeRecordedShellLaunches()
{
    LaunchState& state = State();
    const std::lock_guard guard(state.lock);
    std::vector<ShellLaunch> taken;
    taken.swap(state.recorded);
    return taken;
}

std::vector<std::string> SplitCommandLine(const std::string& commandLine)
{
    std::vector<std::string> arguments;
    std::string current;
    bool inArgument = false;
    bool quoted = false;
    for (size_t i = 0; i < commandLine.size();) {
        const char c = commandLine[i];
        if (c == '\\') {
            size_t slashes = 0;
            while (i < commandLine.size() && commandLine[i] == '\\') {
                ++slashes;
                ++i;
            }
            inArgument = true;
            if (i < commandLine.size() && commandLine[i] == '"') {
                current.append(slashes / 2, '\\');
                if (slashes % 2) { // an escaped quote
                    current += '"';
                    ++i;
                }
            } else {
                current.append(slashes, '\\');
            }
            continue;
        }
        if (c == '"') {
            quoted = !quoted;
            inArgument = true;
        } else if ((c == ' ' || c == '\t') && !quoted) {
            if (inArgument)
                arguments.push_back(current);
            current.clear();
            inArgument = false;
        } else {
            current += c;
            inArgument = true;
        }
        ++i;
    }
    if (inArgument)
        arguments.push_back(current);
    return arguments;
}

} // namespace vls::win32

using namespace vls::win32;

HINSTANCE ShellExecuteA(HWND, LPCSTR operation, LPCSTR file, LPCSTR parameters, LPCSTR directory, INT showCommand)
{
    return reinterpret_cast<HINSTANCE>(static_cast<INT_PTR>(Launch(operation, file, parameters, directory, showCommand, nullptr)));
}

BOOL ShellExecuteExA(LPSHELLEXECUTEINFOA info)
{
    // 60 is the record's size in the original 32-bit layout.
    if (!info || (info->cbSize != sizeof(SHELLEXECUTEINFOA) && info->cbSize != 60)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    HANDLE process = nullptr;
    const int result = Launch(info->lpVerb, info->lpFile, info->lpParameters, info->lpDirectory, info->nShow,
        (info->fMask & SEE_MASK_NOCLOSEPROCESS) ? &process : nullptr);
    info->hInstApp = reinterpret_cast<HINSTANCE>(static_cast<INT_PTR>(result));
    info->hProcess = process;
    if (result <= 32) {
        SetLastError(static_cast<DWORD>(result == SE_ERR_NOASSOC ? 1155 /* ERROR_NO_ASSOCIATION */ : result));
        return FALSE;
    }
    return TRUE;
}
