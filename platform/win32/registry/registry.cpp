#include "platform/win32/registry/registry.h"

#include "platform/win32/kernel/paths.h"
#include "platform/win32/registry/reg_file.h"

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <set>
#include <string>
#include <sys/file.h>
#include <sys/stat.h>
#include <time.h>
#include <unistd.h>

namespace vls::win32 {

namespace {

struct KeyObject {
    std::string path;
    REGSAM access;
};

struct KeyTable {
    std::mutex lock;
    std::set<KeyObject*> keys;
};

KeyTable& Keys()
{
    static KeyTable* table = new KeyTable;
    return *table;
}

struct OpenedKey {
    std::string path;
    REGSAM access;
};

std::optional<OpenedKey> Resolve(HKEY key)
{
    if (key == HKEY_CURRENT_USER)
        return OpenedKey{"", KEY_ALL_ACCESS};
    KeyTable& table = Keys();
    const std::lock_guard guard(table.lock);
    auto* object = reinterpret_cast<KeyObject*>(key);
    if (!table.keys.count(object))
        return std::nullopt;
    return OpenedKey{object->path, object->access};
}

bool IsOtherRoot(HKEY key)
{
    return key == HKEY_CLASSES_ROOT || key == HKEY_LOCAL_MACHINE || key == HKEY_USERS;
}

HKEY NewKey(const std::string& path, REGSAM access)
{
    auto* object = new KeyObject{path, access};
    KeyTable& table = Keys();
    const std::lock_guard guard(table.lock);
    table.keys.insert(object);
    return reinterpret_cast<HKEY>(object);
}

std::string JoinPath(const std::string& base, LPCSTR subKey)
{
    std::string sub = subKey ? subKey : "";
    while (!sub.empty() && sub.front() == '\\')
        sub.erase(0, 1);
    while (!sub.empty() && sub.back() == '\\')
        sub.pop_back();
    if (base.empty())
        return sub;
    return sub.empty() ? base : base + "\\" + sub;
}

std::filesystem::path RegistryFile()
{
    return ConfigFolder() / "user.reg";
}

// An flock on a lock file beside user.reg: the file itself is replaced by
// rename on every write, so it cannot carry the lock.
class FileLock {
public:
    explicit FileLock(bool exclusive)
    {
        const std::filesystem::path folder = ConfigFolder();
        if (exclusive) {
            std::error_code ignored;
            std::filesystem::create_directories(folder, ignored);
        }
        fd_ = open((folder / "user.reg.lock").c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NONBLOCK | O_NOCTTY, 0600);
        if (fd_ >= 0)
            while (flock(fd_, exclusive ? LOCK_EX : LOCK_SH) != 0 && errno == EINTR) {
            }
    }
    ~FileLock()
    {
        if (fd_ >= 0)
            close(fd_); // releases the lock
    }
    FileLock(const FileLock&) = delete;
    FileLock& operator=(const FileLock&) = delete;
    bool held() const { return fd_ >= 0; }

private:
    int fd_ = -1;
};

struct LoadedFile {
    RegistryDocument document;
    bool damaged = false;
    bool readable = true;
};

// A settings file is a few hundred bytes; anything this large is not one,
// and is never read into memory.
constexpr off_t kMaxFileSize = 8 << 20;
// File times move in clock ticks (a second on some file systems): the copy
// in memory of a file changed this recently is not trusted.
constexpr std::int64_t kUnsettledNs = 1'000'000'000;

std::int64_t Nanoseconds(const timespec& t)
{
    return static_cast<std::int64_t>(t.tv_sec) * 1'000'000'000 + t.tv_nsec;
}

// What tells one state of the file from another without reading it.
struct FileState {
    dev_t device = 0;
    ino_t inode = 0;
    off_t size = 0;
    std::int64_t modified = 0;
    std::int64_t changed = 0;

    explicit FileState(const struct stat& info)
        : device(info.st_dev), inode(info.st_ino), size(info.st_size), modified(Nanoseconds(info.st_mtim)),
          changed(Nanoseconds(info.st_ctim))
    {
    }
    bool operator==(const FileState&) const = default;
};

// The file as last read by this process, reused while the file on disk is
// the same one.
struct ReadCache {
    std::mutex lock;
    std::string path;
    std::optional<FileState> state;
    std::shared_ptr<const LoadedFile> loaded;
};

ReadCache& Cache()
{
    static ReadCache* cache = new ReadCache;  // outlives exit handlers
    return *cache;
}

// The damaged lines for the report: the first few, then how many more.
std::string SkippedLines(const std::vector<std::string>& skipped)
{
    constexpr size_t kShown = 5;
    std::string text;
    for (size_t i = 0; i < skipped.size() && i < kShown; ++i)
        text += (i ? "; " : "") + skipped[i];
    if (skipped.size() > kShown)
        text += "; " + std::to_string(skipped.size() - kShown) + " more";
    return text + "; those lines are skipped, the other settings kept";
}

// Reports a damaged file once for each state of it, not on every query.
void ReportDamage(const std::filesystem::path& file, const struct stat& info, const std::string& why)
{
    static std::mutex lock;
    static std::string lastReported;
    const std::string state = file.string() + ":" + std::to_string(info.st_mtim.tv_sec) + "." + std::to_string(info.st_mtim.tv_nsec)
        + ":" + std::to_string(info.st_size);
    const std::lock_guard guard(lock);
    if (state == lastReported)
        return;
    lastReported = state;
    std::fprintf(stderr, "registry: %s is damaged (%s)\n", file.c_str(), why.c_str());
}

std::shared_ptr<const LoadedFile> Damaged(const std::filesystem::path& file, const struct stat& info, const std::string& why)
{
    ReportDamage(file, info, why + "; its settings are ignored");
    auto loaded = std::make_shared<LoadedFile>();
    loaded->damaged = true;
    return loaded;
}

// Why a file cannot be the settings file, or "" when it can.
std::string Unfit(const struct stat& info)
{
    if (!S_ISREG(info.st_mode))
        return "not a regular file";
    if (info.st_size > kMaxFileSize)
        return "larger than " + std::to_string(kMaxFileSize) + " bytes";
    return "";
}

// A write after a settled file was read gives it a later time, so the change
// is seen; a file written within the last tick might be written again within
// the same one.
bool Settled(const struct stat& info)
{
    timespec now {};
    clock_gettime(CLOCK_REALTIME, &now);
    return Nanoseconds(now) - Nanoseconds(info.st_mtim) > kUnsettledNs;
}

// Reads the file; the caller holds the file lock. `info` is the file as
// seen before opening it, already found fit.
std::shared_ptr<const LoadedFile> ReadFile(const std::filesystem::path& file, struct stat& info)
{
    // Not blocking: a FIFO put in the file's place since must not hang us.
    const int fd = open(file.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
    if (fd < 0) {
        auto loaded = std::make_shared<LoadedFile>();
        loaded->readable = errno == ENOENT;
        return loaded;
    }
    std::string text;
    std::string unfit = fstat(fd, &info) == 0 ? Unfit(info) : "cannot be examined";
    if (unfit.empty()) {
        text.reserve(static_cast<size_t>(info.st_size));
        char buffer[65536];
        for (;;) {
            const ssize_t got = read(fd, buffer, sizeof buffer);
            if (got < 0 && errno == EINTR)
                continue;
            if (got <= 0)
                break;
            text.append(buffer, static_cast<size_t>(got));
            if (text.size() > static_cast<size_t>(kMaxFileSize)) {
                unfit = "larger than " + std::to_string(kMaxFileSize) + " bytes";
                break;
            }
        }
    }
    close(fd);
    if (!unfit.empty())
        return Damaged(file, info, unfit);
    std::vector<std::string> skipped;
    auto loaded = std::make_shared<LoadedFile>();
    loaded->document = ReadRegistryText(text, &skipped);
    if (!skipped.empty()) {
        ReportDamage(file, info, SkippedLines(skipped));
        loaded->damaged = true;
    }
    return loaded;
}

// The file's content, read again only when the file changed since the last
// read. `locked` tells whether the caller holds the file lock already;
// else the shared lock is taken for a read.
std::shared_ptr<const LoadedFile> Load(bool locked)
{
    const std::filesystem::path file = RegistryFile();
    struct stat info {};
    if (stat(file.c_str(), &info) != 0) {
        auto loaded = std::make_shared<LoadedFile>();
        loaded->readable = errno == ENOENT;
        return loaded;
    }
    ReadCache& cache = Cache();
    {
        const std::lock_guard guard(cache.lock);
        if (cache.loaded && cache.path == file.string() && cache.state == FileState(info))
            return cache.loaded;
    }
    if (const std::string unfit = Unfit(info); !unfit.empty())
        return Damaged(file, info, unfit);
    std::optional<FileLock> lock;
    if (!locked)
        lock.emplace(false);
    std::shared_ptr<const LoadedFile> loaded = ReadFile(file, info);
    const std::lock_guard guard(cache.lock);
    cache.path = file.string();
    if (loaded->readable && Settled(info)) {
        cache.state = FileState(info);
        cache.loaded = loaded;
    } else {
        cache.state.reset();
        cache.loaded.reset();
    }
    return loaded;
}

void ForgetCache()
{
    ReadCache& cache = Cache();
    const std::lock_guard guard(cache.lock);
    cache.state.reset();
    cache.loaded.reset();
}

// Moves a damaged file aside under the first free name, user.reg.damaged,
// then user.reg.damaged.2 and on, so an earlier damaged copy is never lost.
// The caller holds the exclusive file lock.
void KeepDamagedCopy(const std::filesystem::path& file)
{
    constexpr int kMostCopies = 1000;
    for (int n = 1; n <= kMostCopies; ++n) {
        const std::string copy = file.string() + ".damaged" + (n == 1 ? std::string() : '.' + std::to_string(n));
        struct stat info {};
        if (lstat(copy.c_str(), &info) != 0 && errno == ENOENT) {
            rename(file.c_str(), copy.c_str());
            return;
        }
    }
}

bool Save(const RegistryDocument& document, bool keepDamaged)
{
    ForgetCache();
    const std::filesystem::path file = RegistryFile();
    if (keepDamaged)
        KeepDamagedCopy(file);
    std::string temporary = file.string() + ".XXXXXX";
    const int fd = mkostemp(temporary.data(), O_CLOEXEC);
    if (fd < 0)
        return false;
    const std::string text = FormatRegistryText(document);
    size_t done = 0;
    bool ok = true;
    while (done < text.size()) {
        const ssize_t written = write(fd, text.data() + done, text.size() - done);
        if (written < 0 && errno == EINTR)
            continue;
        if (written <= 0) {
            ok = false;
            break;
        }
        done += static_cast<size_t>(written);
    }
    fchmod(fd, 0600);
    if (fsync(fd) != 0)
        ok = false;
    if (close(fd) != 0)
        ok = false;
    if (ok && rename(temporary.c_str(), file.c_str()) != 0)
        ok = false;
    if (!ok)
        unlink(temporary.c_str());
    return ok;
}

// Reads, changes and writes the file under the exclusive lock. `change`
// returns ERROR_SUCCESS and sets `changed` when there is something to write.
LONG Modify(const std::function<LONG(RegistryDocument&, bool& changed)>& change)
{
    const FileLock lock(true);
    if (!lock.held())
        return ERROR_ACCESS_DENIED;
    const std::shared_ptr<const LoadedFile> loaded = Load(true);
    if (!loaded->readable)
        return ERROR_ACCESS_DENIED;
    RegistryDocument document = loaded->document;
    bool changed = false;
    const LONG result = change(document, changed);
    if (result != ERROR_SUCCESS || !changed)
        return result;
    return Save(document, loaded->damaged) ? ERROR_SUCCESS : ERROR_CANTWRITE;
}

std::shared_ptr<const LoadedFile> Read()
{
    return Load(false);
}

LONG OpenKey(HKEY key, LPCSTR subKey, REGSAM desired, PHKEY result)
{
    if (!result)
        return ERROR_INVALID_PARAMETER;
    if (IsOtherRoot(key))
        return ERROR_FILE_NOT_FOUND;
    const std::optional<OpenedKey> base = Resolve(key);
    if (!base)
        return ERROR_INVALID_HANDLE;
    const std::string path = JoinPath(base->path, subKey);
    if (path.empty() && key == HKEY_CURRENT_USER) {
        *result = HKEY_CURRENT_USER;
        return ERROR_SUCCESS;
    }
    if (!Read()->document.HasKey(path))
        return ERROR_FILE_NOT_FOUND;
    *result = NewKey(path, desired);
    return ERROR_SUCCESS;
}

} // namespace

} // namespace vls::win32

using namespace vls::win32;

LONG RegOpenKeyA(HKEY key, LPCSTR subKey, PHKEY result)
{
    return OpenKey(key, subKey, KEY_ALL_ACCESS, result);
}

LONG RegOpenKeyExA(HKEY key, LPCSTR subKey, DWORD, REGSAM desired, PHKEY result)
{
    return OpenKey(key, subKey, desired, result);
}

LONG RegCreateKeyExA(HKEY key, LPCSTR subKey, DWORD, LPSTR, DWORD, REGSAM desired, LPSECURITY_ATTRIBUTES, PHKEY result,
    LPDWORD disposition)
{
    if (!result)
        return ERROR_INVALID_PARAMETER;
    if (IsOtherRoot(key))
        return ERROR_ACCESS_DENIED;
    const std::optional<OpenedKey> base = Resolve(key);
    if (!base)
        return ERROR_INVALID_HANDLE;
    const std::string path = JoinPath(base->path, subKey);
    bool created = false;
    if (!path.empty()) {
        const LONG status = Modify([&](RegistryDocument& document, bool& changed) {
            if (!document.HasKey(path)) {
                document.AddKey(path);
                changed = created = true;
            }
            return ERROR_SUCCESS;
        });
        if (status != ERROR_SUCCESS)
            return status;
    }
    if (disposition)
        *disposition = created ? REG_CREATED_NEW_KEY : REG_OPENED_EXISTING_KEY;
    *result = path.empty() && key == HKEY_CURRENT_USER ? HKEY_CURRENT_USER : NewKey(path, desired);
    return ERROR_SUCCESS;
}

LONG RegCreateKeyA(HKEY key, LPCSTR subKey, PHKEY result)
{
    return RegCreateKeyExA(key, subKey, 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS, nullptr, result, nullptr);
}

LONG RegQueryValueExA(HKEY key, LPCSTR valueName, LPDWORD, LPDWORD type, LPBYTE data, LPDWORD dataSize)
{
    if (IsOtherRoot(key))
        return ERROR_FILE_NOT_FOUND;
    const std::optional<OpenedKey> opened = Resolve(key);
    if (!opened)
        return ERROR_INVALID_HANDLE;
    if (data && !dataSize)
        return ERROR_INVALID_PARAMETER;
    const std::shared_ptr<const LoadedFile> loaded = Read();
    const RegistryKey* entry = loaded->document.FindKey(opened->path);
    const RegistryValue* value = entry ? FindValue(*entry, valueName ? valueName : "") : nullptr;
    if (!value)
        return ERROR_FILE_NOT_FOUND;
    // Strings come back with their terminating NUL, as they were stored.
    const bool text = value->type == REG_SZ || value->type == REG_EXPAND_SZ;
    const DWORD size = static_cast<DWORD>(value->data.size() + (text ? 1 : 0));
    if (type)
        *type = value->type;
    if (!dataSize)
        return ERROR_SUCCESS;
    if (!data) {
        *dataSize = size;
        return ERROR_SUCCESS;
    }
    if (*dataSize < size) {
        *dataSize = size;
        return ERROR_MORE_DATA;
    }
    if (!value->data.empty())
        std::memcpy(data, value->data.data(), value->data.size());
    if (text)
        data[value->data.size()] = 0;
    *dataSize = size;
    return ERROR_SUCCESS;
}

LONG RegSetValueExA(HKEY key, LPCSTR valueName, DWORD, DWORD type, const BYTE* data, DWORD dataSize)
{
    if (IsOtherRoot(key))
        return ERROR_ACCESS_DENIED;
    const std::optional<OpenedKey> opened = Resolve(key);
    if (!opened)
        return ERROR_INVALID_HANDLE;
    if (!(opened->access & KEY_SET_VALUE))
        return ERROR_ACCESS_DENIED;
    if ((!data && dataSize) || (type == REG_DWORD && dataSize != 4))
        return ERROR_INVALID_PARAMETER;
    const std::string name = valueName ? valueName : "";
    if (name.find_first_of("\r\n") != std::string::npos)
        return ERROR_INVALID_PARAMETER;
    RegistryValue value{name, type, {}};
    if (data)
        value.data.assign(data, data + dataSize);
    if (type == REG_SZ || type == REG_EXPAND_SZ) {
        const auto end = std::find(value.data.begin(), value.data.end(), BYTE{0});
        value.data.erase(end, value.data.end());
    }
    return Modify([&](RegistryDocument& document, bool& changed) {
        RegistryKey& entry = document.AddKey(opened->path);
        if (RegistryValue* existing = FindValue(entry, name))
            *existing = value;
        else
            entry.values.push_back(value);
        changed = true;
        return ERROR_SUCCESS;
    });
}

LONG RegDeleteValueA(HKEY key, LPCSTR valueName)
{
    if (IsOtherRoot(key))
        return ERROR_FILE_NOT_FOUND;
    const std::optional<OpenedKey> opened = Resolve(key);
    if (!opened)
        return ERROR_INVALID_HANDLE;
    if (!(opened->access & KEY_SET_VALUE))
        return ERROR_ACCESS_DENIED;
    const std::string name = valueName ? valueName : "";
    return Modify([&](RegistryDocument& document, bool& changed) -> LONG {
        RegistryKey* entry = document.FindKey(opened->path);
        if (!entry)
            return ERROR_FILE_NOT_FOUND;
        for (auto it = entry->values.begin(); it != entry->values.end(); ++it) {
            if (EqualsIgnoringAsciiCase(it->name, name)) {
                entry->values.erase(it);
                changed = true;
                return ERROR_SUCCESS;
            }
        }
        return ERROR_FILE_NOT_FOUND;
    });
}

LONG RegCloseKey(HKEY key)
{
    if (key == HKEY_CURRENT_USER || IsOtherRoot(key))
        return ERROR_SUCCESS;
    KeyTable& table = Keys();
    const std::lock_guard guard(table.lock);
    auto* object = reinterpret_cast<KeyObject*>(key);
    if (!table.keys.erase(object))
        return ERROR_INVALID_HANDLE;
    delete object;
    return ERROR_SUCCESS;
}

LONG RegFlushKey(HKEY key)
{
    if (key == HKEY_CURRENT_USER || IsOtherRoot(key))
        return ERROR_SUCCESS;
    return Resolve(key) ? ERROR_SUCCESS : ERROR_INVALID_HANDLE;
}
