#include "engine/base/kestrune_file_system.h"

#include "engine/base/engine_link.h"
#include "platform/crt/crt_io.h"
#include "platform/win32/kernel/files.h"
#include "platform/win32/kernel/handles.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

constexpr const char* kMapName = "resource.map";
constexpr const char* kOverrideFolder = "updates\\";
constexpr const char* kArchivePrefix = "resource.";
constexpr std::int32_t kFirstSlot = 1;

cKestruneFileSystem* g_current = nullptr;

int OpenReadOnly(const std::string& path) { return _open(path.c_str(), _O_RDONLY | _O_BINARY); }

bool CanOpen(const std::string& path)
{
    const int fd = OpenReadOnly(path);
    if (fd < 0)
        return false;
    _close(fd);
    return true;
}

std::string ToLowerAscii(const char* text)
{
    std::string lower(text);
    for (char& c : lower) {
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
    }
    return lower;
}

} // namespace

cKestruneFileSystem::cKestruneFileSystem()
{
    for (std::int32_t i = 0; i < kSlotCount; ++i)
        recordIndex[i] = -1;
    g_current = this;
    ReadMap();
}

cKestruneFileSystem::~cKestruneFileSystem()
{
    if (g_current == this)
        g_current = nullptr;
}

cKestruneFileSystem* cKestruneFileSystem::Current() { return g_current; }

void cKestruneFileSystem::ReadMap()
{
    records.clear();
    count = 0;
    const int fd = OpenReadOnly(kMapName);
    bool ok = fd >= 0;
    std::vector<std::uint8_t> bytes;
    if (ok) {
        const long length = _filelength(fd);
        std::uint8_t header[kDatafileMapHeaderSize];
        ok = length >= 0 && _read(fd, header, sizeof header) == static_cast<int>(sizeof header);
        std::int32_t stored = 0;
        if (ok) {
            stored = static_cast<std::int32_t>(header[0] | header[1] << 8 | header[2] << 16
                | static_cast<std::uint32_t>(header[3]) << 24);
            // A count the file cannot hold would make a huge allocation and a short read.
            ok = DatafileMapCountFits(stored, static_cast<std::uint64_t>(length));
        }
        if (ok) {
            bytes.resize(static_cast<std::size_t>(stored) * kDatafileMapEntrySize);
            ok = bytes.empty()
                || _read(fd, bytes.data(), static_cast<unsigned>(bytes.size())) == static_cast<int>(bytes.size());
        }
        if (ok) {
            records.reserve(static_cast<std::size_t>(stored));
            for (std::int32_t i = 0; i < stored; ++i)
                records.push_back(DecodeDatafileMapEntry(bytes.data() + std::size_t(i) * kDatafileMapEntrySize));
            count = stored;
        }
        _close(fd);
    }
    if (!ok) {
        ReportError("filesystem", "", 1, "Reading resource map file failed.");
        return;
    }
    ready = 1;
}

namespace {

// A name the file system can hold: shorter than a map record's name field (a
// longer one could only match a record whose name has no terminator), and
// with no ".." component, which would reach outside the game folder through
// the override folder.
bool AcceptableName(const std::string& name)
{
    if (name.size() >= kDatafileNameSize)
        return false;
    std::size_t start = 0;
    while (start <= name.size()) {
        std::size_t end = name.find_first_of("\\/", start);
        if (end == std::string::npos)
            end = name.size();
        if (name.compare(start, end - start, "..") == 0)
            return false;
        start = end + 1;
    }
    return true;
}

} // namespace

std::int32_t cKestruneFileSystem::FindRecord(const char* name) const
{
    const std::string lower = ToLowerAscii(name);
    for (std::int32_t i = 0; i < count; ++i) {
        if (records[static_cast<std::size_t>(i)].name == lower)
            return i;
    }
    return -1;
}

std::int32_t cKestruneFileSystem::Locate(std::string& path)
{
    if (!AcceptableName(path))
        return kNotFound;
    const std::string loose = kOverrideFolder + path;
    if (CanOpen(loose)) {
        path = loose;
        return kLooseFile;
    }
    const std::int32_t index = FindRecord(path.c_str());
    if (index < 0)
        return kNotFound;
    const std::string archive = kArchivePrefix + records[static_cast<std::size_t>(index)].archive;
    if (CanOpen(archive)) {
        path = archive;
        return index;
    }
    std::string candidate;
    for (char drive = 'c'; drive <= 'z'; ++drive) {
        candidate = std::string(1, drive) + ":\\" + archive;
        if (CanOpen(candidate)) {
            path = candidate;
            return index;
        }
    }
    ReportError("filesystem/sf", candidate.c_str(), 0, "File open failed.");
    return kNotFound;
}

std::int32_t cKestruneFileSystem::Open(const char* name)
{
    std::string path = name ? name : "";
    const std::int32_t located = Locate(path);
    if (located == kNotFound) {
        ReportError("filesystem", name ? name : "", 0, "File not found.");
        return -1;
    }
    const int fd = OpenReadOnly(path);
    if (fd < 0)
        return -1;
    if (located >= 0)
        _lseek(fd, static_cast<long>(records[static_cast<std::size_t>(located)].offset), SEEK_SET);
    for (std::int32_t slot = kFirstSlot; slot < kSlotCount; ++slot) {
        if (descriptors[slot] != 0)
            continue;
        descriptors[slot] = fd;
        recordIndex[slot] = located;
        std::snprintf(slotNames[slot], kSlotNameSize, "%s", name ? name : "");
        fullNames_[slot] = name ? name : "";
        return slot;
    }
    _close(fd);
    return -1;
}

bool cKestruneFileSystem::IsOpenSlot(std::int32_t slot) const
{
    return slot >= kFirstSlot && slot < kSlotCount && descriptors[slot] != 0;
}

std::int32_t cKestruneFileSystem::Close(std::int32_t slot)
{
    if (!IsOpenSlot(slot))
        return 0;
    _close(descriptors[slot]);
    descriptors[slot] = 0;
    recordIndex[slot] = -1;
    slotNames[slot][0] = 0;
    fullNames_[slot].clear();
    return 0;
}

HANDLE cKestruneFileSystem::OpenSlotHandle(std::int32_t slot)
{
    return IsOpenSlot(slot) ? OpenHandle(fullNames_[slot].c_str()) : INVALID_HANDLE_VALUE;
}

HANDLE cKestruneFileSystem::OpenHandle(const char* name)
{
    std::string path = name ? name : "";
    const std::int32_t located = Locate(path);
    if (located == kNotFound) {
        ReportError("filesystem", name ? name : "", 0, "File not found.");
        return INVALID_HANDLE_VALUE;
    }
    // A handle's file pointer is placed with a signed 32-bit offset: an entry
    // beyond it cannot be reached, and must not read the archive from byte 0.
    if (located >= 0 && records[static_cast<std::size_t>(located)].offset > 0x7FFFFFFFu) {
        ReportError("filesystem", name ? name : "", 0, "File not found.");
        return INVALID_HANDLE_VALUE;
    }
    SECURITY_ATTRIBUTES inheritable{};
    inheritable.nLength = sizeof inheritable;
    inheritable.bInheritHandle = TRUE;
    const HANDLE handle
        = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, &inheritable, OPEN_EXISTING, 0, nullptr);
    if (handle == INVALID_HANDLE_VALUE)
        return INVALID_HANDLE_VALUE;
    if (located >= 0) {
        SetFilePointer(handle, static_cast<LONG>(records[static_cast<std::size_t>(located)].offset), nullptr,
            FILE_BEGIN);
    }
    return handle;
}

std::int32_t cKestruneFileSystem::CloseHandle(HANDLE handle)
{
    ::CloseHandle(handle);
    return 0;
}

std::int64_t cKestruneFileSystem::EntryStart(std::int32_t slot) const
{
    const std::int32_t record = recordIndex[slot];
    return record >= 0 ? records[static_cast<std::size_t>(record)].offset : 0;
}

std::int64_t cKestruneFileSystem::EntryEnd(std::int32_t slot) const
{
    const std::int32_t record = recordIndex[slot];
    if (record >= 0) {
        const DatafileMapEntry& entry = records[static_cast<std::size_t>(record)];
        return std::int64_t(entry.offset) + entry.size;
    }
    return _filelength(descriptors[slot]);
}

std::int64_t cKestruneFileSystem::GetRemaining(std::int32_t slot)
{
    if (!IsOpenSlot(slot))
        return 0;
    const long position = _tell(descriptors[slot]);
    if (position < 0)
        return 0;
    const std::int64_t remaining = EntryEnd(slot) - position;
    return remaining > 0 ? remaining : 0;
}

std::int32_t cKestruneFileSystem::PositionInEntry(std::int32_t slot)
{
    if (!IsOpenSlot(slot))
        return 0;
    const long position = _tell(descriptors[slot]);
    return position < 0 ? 0 : static_cast<std::int32_t>(position - EntryStart(slot));
}

void* cKestruneFileSystem::ReadAlloc(std::int32_t slot, std::int32_t size)
{
    // A size past the entry's end can only end in a short read: report that
    // without allocating what a damaged size asks for.
    if (size >= 0 && size > GetRemaining(slot)) {
        ReportError("filesystem", "", 0, "File reading failed.");
        return nullptr;
    }
    void* const buffer = size >= 0 ? std::malloc(size > 0 ? static_cast<std::size_t>(size) : 1) : nullptr;
    if (!buffer) {
        ReportError("filesystem", "", 0, "Memory allocation of size %d failed.", size);
        return nullptr;
    }
    if (Read(slot, buffer, size) != 0) {
        std::free(buffer);
        return nullptr;
    }
    return buffer;
}

std::int32_t cKestruneFileSystem::Read(std::int32_t slot, void* buffer, std::int32_t size)
{
    if (!IsOpenSlot(slot) || size < 0) {
        ReportError("filesystem", "", 0, "File reading failed.");
        return -1;
    }
    // Reads stop at the entry's end instead of running into the next entry.
    const std::int64_t remaining = GetRemaining(slot);
    const std::int32_t wanted = size < remaining ? size : static_cast<std::int32_t>(remaining);
    const int got = wanted > 0 ? _read(descriptors[slot], buffer, static_cast<unsigned>(wanted)) : 0;
    if (got != size) {
        ReportError("filesystem", "", 0, "File reading failed.");
        return -1;
    }
    return 0;
}

std::int32_t cKestruneFileSystem::Seek(std::int32_t slot, std::int32_t offset)
{
    const std::int64_t target = IsOpenSlot(slot) ? EntryStart(slot) + offset : -1;
    if (target < 0 || _lseek(descriptors[slot], static_cast<long>(target), SEEK_SET) < 0) {
        ReportError("filesystem", "", 0, "File seeking failed.");
        return -1;
    }
    return 0;
}

std::int32_t cKestruneFileSystem::GetPos(std::int32_t slot)
{
    const long position = IsOpenSlot(slot) ? _tell(descriptors[slot]) : -1;
    if (position < 0) {
        ReportError("filesystem", "GetPos", 0, "System call failed.");
        return 0;
    }
    return static_cast<std::int32_t>(position);
}

std::int32_t cKestruneFileSystem::Exists(const char* name)
{
    const std::string given = name ? name : "";
    if (!AcceptableName(given))
        return 0;
    if (CanOpen(kOverrideFolder + given))
        return 1;
    return FindRecord(given.c_str()) >= 0 ? 1 : 0;
}

std::int32_t cKestruneFileSystem::GetSize(std::int32_t slot)
{
    if (!IsOpenSlot(slot))
        return 0;
    const std::int32_t record = recordIndex[slot];
    if (record >= 0)
        return static_cast<std::int32_t>(records[static_cast<std::size_t>(record)].size);
    return static_cast<std::int32_t>(_filelength(descriptors[slot]));
}

int cKestruneFileSystem::GetDescriptor(std::int32_t slot) const { return IsOpenSlot(slot) ? descriptors[slot] : 0; }

void cKestruneFileSystem::ReleaseDescriptor(std::int32_t slot)
{
    if (IsOpenSlot(slot))
        descriptors[slot] = 0;
}
