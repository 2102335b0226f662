#include "platform/win32/kernel/paths.h"

#include "platform/win32/kernel/last_error.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <dirent.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace vls::win32 {

namespace {

bool IsSeparator(char c)
{
    return c == '\\' || c == '/';
}

char AsciiLower(char c)
{
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

bool EqualsIgnoringCase(std::string_view a, std::string_view b)
{
    return a.size() == b.size()
        && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) { return AsciiLower(x) == AsciiLower(y); });
}

bool EndsWithExe(std::string_view name)
{
    return name.size() > 4 && EqualsIgnoringCase(name.substr(name.size() - 4), ".exe");
}

bool Exists(const std::string& path)
{
    struct stat info;
    return lstat(path.c_str(), &info) == 0;
}

std::string Join(const std::string& folder, std::string_view name)
{
    std::string joined = folder;
    if (joined.empty() || joined.back() != '/')
        joined += '/';
    joined += name;
    return joined;
}

// The entry of `folder` that names `component` under Windows case rules; an
// exact spelling wins, then the first match in byte order so the answer does
// not depend on the order the folder lists its entries in.
std::optional<std::string> MatchEntry(const std::string& folder, std::string_view component)
{
    if (Exists(Join(folder, component)))
        return std::string(component);
    DIR* dir = opendir(folder.empty() ? "." : folder.c_str());
    if (!dir)
        return std::nullopt;
    std::optional<std::string> best;
    while (const dirent* entry = readdir(dir)) {
        const std::string_view name = entry->d_name;
        if (EqualsIgnoringCase(name, component) && (!best || name < *best))
            best = std::string(name);
    }
    closedir(dir);
    return best;
}

std::vector<std::string_view> SplitComponents(std::string_view path)
{
    std::vector<std::string_view> parts;
    size_t start = 0;
    while (start <= path.size()) {
        size_t end = start;
        while (end < path.size() && !IsSeparator(path[end]))
            ++end;
        if (end > start)
            parts.push_back(path.substr(start, end - start));
        start = end + 1;
    }
    return parts;
}

// Makes `folder` (mode 0700) unless it is there. In a shared /tmp the name
// may have been taken by someone else first: only our own real folder will do.
bool MakePrivateFolder(const std::filesystem::path& folder)
{
    if (mkdir(folder.c_str(), 0700) != 0 && errno != EEXIST)
        return false;
    struct stat info;
    return lstat(folder.c_str(), &info) == 0 && S_ISDIR(info.st_mode) && info.st_uid == getuid();
}

} // namespace

std::filesystem::path ConfigFolder()
{
    if (const char* config = std::getenv("VEILSTRAND_CONFIG"); config && *config)
        return config;
    if (const char* xdg = std::getenv("XDG_CONFIG_HOME"); xdg && *xdg)
        return std::filesystem::path(xdg) / "veilstrand";
    const char* home = std::getenv("HOME");
    return std::filesystem::path(home && *home ? home : "/") / ".config" / "veilstrand";
}

std::filesystem::path RuntimeFolder()
{
    const char* runtime = std::getenv("XDG_RUNTIME_DIR");
    const std::filesystem::path base = runtime && *runtime ? runtime : "/tmp";
    std::filesystem::path folder = base / ("veilstrand-" + std::to_string(getuid()));
    if (!MakePrivateFolder(folder))
        return {};
    // Processes started with their own settings folder (tests above all)
    // form a world of their own: they see only each other's windows and
    // mutexes.
    if (const char* config = std::getenv("VEILSTRAND_CONFIG"); config && *config) {
        std::uint64_t hash = 14695981039346656037ull; // FNV-1a
        for (const char* c = config; *c; ++c)
            hash = (hash ^ static_cast<unsigned char>(*c)) * 1099511628211ull;
        char name[32];
        std::snprintf(name, sizeof name, "config-%016llx", static_cast<unsigned long long>(hash));
        folder /= name;
        if (!MakePrivateFolder(folder))
            return {};
    }
    return folder;
}

std::optional<std::string> MapPath(std::string_view windowsPath)
{
    if (windowsPath.empty()) {
        SetLastError(ERROR_PATH_NOT_FOUND);
        return std::nullopt;
    }

    // The root is the floor that ".." cannot climb above; a relative name has
    // no floor of its own and may step out of the working folder.
    std::string root;
    std::string_view rest = windowsPath;
    bool relative = false;
    if (rest.size() >= 2 && rest[1] == ':' && std::isalpha(static_cast<unsigned char>(rest[0]))) {
        const char letter = AsciiLower(rest[0]);
        const std::filesystem::path link = ConfigFolder() / "drives" / (std::string(1, letter) + ":");
        struct stat info;
        if (letter < 'c' || stat(link.c_str(), &info) != 0 || !S_ISDIR(info.st_mode)) {
            SetLastError(ERROR_PATH_NOT_FOUND);
            return std::nullopt;
        }
        root = link.string();
        rest.remove_prefix(2);
    } else if (IsSeparator(rest[0])) {
        root = "/";
    } else {
        relative = true;
    }

    std::vector<std::string> resolved;
    size_t leadingUps = 0;
    const std::vector<std::string_view> parts = SplitComponents(rest);
    auto currentFolder = [&]() {
        std::string folder = relative ? std::string(".") : root;
        for (size_t i = 0; i < leadingUps; ++i)
            folder = Join(folder, "..");
        for (const std::string& part : resolved)
            folder = Join(folder, part);
        return folder;
    };

    bool matching = true; // once a component is missing, nothing below it can exist
    for (size_t i = 0; i < parts.size(); ++i) {
        const std::string_view part = parts[i];
        if (part == ".")
            continue;
        if (part == "..") {
            if (!resolved.empty())
                resolved.pop_back();
            else if (relative)
                ++leadingUps;
            continue;
        }
        const bool last = i + 1 == parts.size();
        std::optional<std::string> entry;
        if (matching) {
            const std::string folder = currentFolder();
            entry = MatchEntry(folder, part);
            if (!entry && last && EndsWithExe(part))
                entry = MatchEntry(folder, part.substr(0, part.size() - 4));
        }
        if (!entry)
            matching = false;
        resolved.push_back(entry ? *entry : std::string(part));
    }

    std::string result;
    if (relative) {
        for (size_t i = 0; i < leadingUps; ++i)
            result += result.empty() ? ".." : "/..";
        for (const std::string& part : resolved)
            result += (result.empty() ? "" : "/") + part;
        if (result.empty())
            result = '.';
    } else {
        result = root;
        for (const std::string& part : resolved)
            result = Join(result, part);
    }
    return result;
}

std::string ToWindowsPath(std::string_view linuxPath)
{
    std::string path(linuxPath);
    std::replace(path.begin(), path.end(), '/', '\\');
    return path;
}

} // namespace vls::win32
