#pragma once

#include "engine/base/datafile_map.h"
#include "platform/win32/wintypes.h"

#include <cstdint>
#include <string>
#include <vector>

// The datafile file system: every data file is reached by name, from the
// "updates\" override folder, or from an entry of "resource.map" that points
// into a numbered archive "resource.<suffix>" in the working folder or on a
// drive root c: to z:. Opened entries live in numbered slots 1 to 49 and are
// read, sought and sized as if each were a file of its own.
class cKestruneFileSystem {
public:
    static constexpr std::int32_t kSlotCount = 50; // slot 0 is never handed out
    static constexpr std::int32_t kSlotNameSize = 40;
    static constexpr std::int32_t kLooseFile = -1;
    static constexpr std::int32_t kNotFound = -2;

    cKestruneFileSystem();
    ~cKestruneFileSystem();
    cKestruneFileSystem(const cKestruneFileSystem&) = delete;
    cKestruneFileSystem& operator=(const cKestruneFileSystem&) = delete;

    // The instance the engine created (the newest one alive), for readers
    // that only hold a slot number.
    static cKestruneFileSystem* Current();

    void ReadMap();
    // -1 loose file, -2 not found, else the record index; on success path
    // holds what to open ("updates\" + name or the archive's path).
    std::int32_t Locate(std::string& path);
    std::int32_t Open(const char* name);
    std::int32_t Close(std::int32_t slot);
    HANDLE OpenHandle(const char* name);
    // A new handle on the file behind an open slot, positioned at its entry's
    // start, found by the slot's whole name (slotNames keeps only 39 bytes).
    HANDLE OpenSlotHandle(std::int32_t slot);
    std::int32_t CloseHandle(HANDLE handle);
    // A new C run-time heap buffer with the next size bytes (free it with free), or null.
    void* ReadAlloc(std::int32_t slot, std::int32_t size);
    std::int32_t Read(std::int32_t slot, void* buffer, std::int32_t size);
    std::int32_t Seek(std::int32_t slot, std::int32_t offset);
    std::int32_t GetPos(std::int32_t slot);
    std::int32_t Exists(const char* name);
    std::int32_t GetSize(std::int32_t slot);

    // Bytes between the slot's position and its entry's end (0 for a bad slot).
    std::int64_t GetRemaining(std::int32_t slot);
    // The slot's position from its entry's start, as Seek takes it (0 for a bad slot).
    std::int32_t PositionInEntry(std::int32_t slot);
    // The C run-time descriptor of a slot, for readers that wrap it in a
    // stream of their own; 0 for a bad slot. Such a reader that closes the
    // descriptor itself calls ReleaseDescriptor before Close.
    int GetDescriptor(std::int32_t slot) const;
    void ReleaseDescriptor(std::int32_t slot);

    // Fields, in the engine's order.
    std::vector<DatafileMapEntry> records;
    std::int32_t count = 0;
    int descriptors[kSlotCount] = {};
    std::int32_t recordIndex[kSlotCount] = {};
    char slotNames[kSlotCount][kSlotNameSize] = {};
    std::int32_t ready = 0;

private:
    std::string fullNames_[kSlotCount];

    bool IsOpenSlot(std::int32_t slot) const;
    std::int32_t FindRecord(const char* name) const;
    // Where the slot's entry starts in its file and how long it is.
    std::int64_t EntryStart(std::int32_t slot) const;
    std::int64_t EntryEnd(std::int32_t slot) const;
};
