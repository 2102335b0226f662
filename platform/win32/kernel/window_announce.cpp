#include "platform/win32/kernel/window_announce.h"

#include "platform/win32/kernel/paths.h"

#include <algorithm>
#include <atomic>
#include <cctype>
#include <cerrno>
#include <cstdlib>
#include <ctime>
#include <dirent.h>
#include <fcntl.h>
#include <map>
#include <mutex>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace vls::win32 {

namespace {

constexpr size_t kMaxFileSize = 65536;
constexpr time_t kStaleTemporarySeconds = 10;

struct Announcement {
    int fd;
    std::string className;
};

struct AnnouncementTable {
    std::mutex lock;
    std::map<AnnouncementId, Announcement> entries;
};

AnnouncementTable& Table()
{
    static AnnouncementTable* table = new AnnouncementTable;
    return *table;
}

std::atomic<AnnouncementId> g_nextId{1};

std::filesystem::path Folder()
{
    const std::filesystem::path runtime = RuntimeFolder();
    if (runtime.empty())
        return {};
    const std::filesystem::path folder = runtime / "windows";
    if (mkdir(folder.c_str(), 0700) != 0 && errno != EEXIST)
        return {};
    return folder;
}

std::string FileName(AnnouncementId id)
{
    return std::to_string(getpid()) + "-" + std::to_string(id) + ".win";
}

// "<length>\n<class><length>\n<title>": lengths, so that any bytes may stand
// in either text.
std::string Encode(const std::string& className, const std::string& title)
{
    return std::to_string(className.size()) + "\n" + className + std::to_string(title.size()) + "\n" + title;
}

bool ReadField(const std::string& text, size_t& pos, std::string& field)
{
    const size_t newline = text.find('\n', pos);
    if (newline == std::string::npos || newline == pos || newline - pos > 6)
        return false;
    size_t length = 0;
    for (size_t i = pos; i < newline; ++i) {
        if (text[i] < '0' || text[i] > '9')
            return false;
        length = length * 10 + static_cast<size_t>(text[i] - '0');
    }
    if (length > text.size() - newline - 1)
        return false;
    field = text.substr(newline + 1, length);
    pos = newline + 1 + length;
    return true;
}

bool WriteAll(int fd, const std::string& text)
{
    size_t done = 0;
    while (done < text.size()) {
        const ssize_t written = write(fd, text.data() + done, text.size() - done);
        if (written < 0 && errno == EINTR)
            continue;
        if (written <= 0)
            return false;
        done += static_cast<size_t>(written);
    }
    return true;
}

// Writes a locked file under a temporary name and renames it into place, so
// that a searcher never sees a file without its lock or without its text.
int PublishLocked(const std::filesystem::path& folder, AnnouncementId id, const std::string& content)
{
    const std::filesystem::path temporary = folder / ('.' + FileName(id) + "." + std::to_string(g_nextId++) + ".tmp");
    const int fd = open(temporary.c_str(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
    if (fd < 0)
        return -1;
    if (flock(fd, LOCK_EX | LOCK_NB) != 0 || !WriteAll(fd, content) || rename(temporary.c_str(), (folder / FileName(id)).c_str()) != 0) {
        unlink(temporary.c_str());
        close(fd);
        return -1;
    }
    return fd;
}

bool EqualsIgnoringCase(const std::string& a, const char* b)
{
    const size_t length = std::char_traits<char>::length(b);
    return a.size() == length && std::equal(a.begin(), a.end(), b, [](char x, char y) {
        return std::tolower(static_cast<unsigned char>(x)) == std::tolower(static_cast<unsigned char>(y));
    });
}

// Removes `path` if `fd` (open on it) still names the same file: the name
// may meanwhile stand for a newer announcement.
void RemoveIfSame(const std::filesystem::path& path, int fd)
{
    struct stat opened, current;
    if (fstat(fd, &opened) == 0 && stat(path.c_str(), &current) == 0 && opened.st_ino == current.st_ino && opened.st_dev == current.st_dev)
        unlink(path.c_str());
}

} // namespace

AnnouncementId AnnounceTopLevelWindow(const char* className, const char* title)
{
    const std::filesystem::path folder = Folder();
    if (folder.empty())
        return 0;
    const AnnouncementId id = g_nextId++;
    const std::string cls = className ? className : "";
    const int fd = PublishLocked(folder, id, Encode(cls, title ? title : ""));
    if (fd < 0)
        return 0;
    AnnouncementTable& table = Table();
    const std::lock_guard guard(table.lock);
    table.entries[id] = Announcement{fd, cls};
    return id;
}

bool UpdateAnnouncedWindowTitle(AnnouncementId id, const char* title)
{
    const std::filesystem::path folder = Folder();
    AnnouncementTable& table = Table();
    const std::lock_guard guard(table.lock);
    const auto found = table.entries.find(id);
    if (folder.empty() || found == table.entries.end())
        return false;
    const int fd = PublishLocked(folder, id, Encode(found->second.className, title ? title : ""));
    if (fd < 0)
        return false;
    close(found->second.fd);
    found->second.fd = fd;
    return true;
}

void WithdrawTopLevelWindow(AnnouncementId id)
{
    AnnouncementTable& table = Table();
    const std::lock_guard guard(table.lock);
    const auto found = table.entries.find(id);
    if (found == table.entries.end())
        return;
    const std::filesystem::path folder = Folder();
    if (!folder.empty())
        RemoveIfSame(folder / FileName(id), found->second.fd);
    close(found->second.fd);
    table.entries.erase(found);
}

std::optional<AnnouncedWindow> FindAnnouncedWindow(const char* className, const char* title)
{
    const std::filesystem::path folder = Folder();
    if (folder.empty())
        return std::nullopt;
    std::vector<std::string> names;
    if (DIR* dir = opendir(folder.c_str())) {
        while (const dirent* entry = readdir(dir))
            names.emplace_back(entry->d_name);
        closedir(dir);
    }
    std::sort(names.begin(), names.end());
    for (const std::string& name : names) {
        if (name == "." || name == "..")
            continue;
        const std::filesystem::path path = folder / name;
        // Not blocking, and regular files only: another user's FIFO or
        // device in the folder must not hang the search.
        const int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
        if (fd < 0)
            continue;
        if (struct stat kind; fstat(fd, &kind) != 0 || !S_ISREG(kind.st_mode)) {
            close(fd);
            continue;
        }
        const bool held = flock(fd, LOCK_SH | LOCK_NB) != 0;
        if (name[0] == '.') {
            // A temporary file left by a process that died while writing it.
            struct stat info;
            if (!held && fstat(fd, &info) == 0 && std::time(nullptr) - info.st_mtime > kStaleTemporarySeconds)
                RemoveIfSame(path, fd);
            close(fd);
            continue;
        }
        if (!held) {
            RemoveIfSame(path, fd); // its process is gone
            close(fd);
            continue;
        }
        std::string text;
        char buffer[4096];
        for (;;) {
            const ssize_t got = read(fd, buffer, sizeof buffer);
            if (got <= 0 || text.size() > kMaxFileSize)
                break;
            text.append(buffer, static_cast<size_t>(got));
        }
        close(fd);
        AnnouncedWindow window;
        size_t pos = 0;
        if (!ReadField(text, pos, window.className) || !ReadField(text, pos, window.title))
            continue;
        if ((className && !EqualsIgnoringCase(window.className, className)) || (title && !EqualsIgnoringCase(window.title, title)))
            continue;
        const size_t dash = name.find('-');
        window.process = static_cast<pid_t>(std::atol(name.c_str()));
        window.id = dash == std::string::npos ? 0 : std::strtoull(name.c_str() + dash + 1, nullptr, 10);
        return window;
    }
    return std::nullopt;
}

} // namespace vls::win32
