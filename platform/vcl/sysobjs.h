#pragma once

// Small services of the class library: window procedures bound to objects,
// pointer stacks, critical sections, file search and free disk space.

#include <cstdint>
#include <functional>
#include <mutex>
#include <vector>

#include "platform/vcl/classes.h"
#include "platform/win32/kernel/find_file.h"

namespace vcl {

using TWndMethodProc = std::function<void(TMessage&)>;

// A plain window procedure that calls `method`: one of a fixed pool of
// entry points, so that windows can be subclassed by objects. Raises
// EOutOfResources when the pool is used up.
WNDPROC MakeObjectInstance(const TWndMethodProc& method);
void FreeObjectInstance(WNDPROC instance);

// A last-in, first-out list of pointers.
class TOrderedList : public TObject {
    VCL_DECLARE_CLASS(TOrderedList, TObject)
public:
    int Count() const { return static_cast<int>(items_.size()); }
    bool AtLeast(int count) const { return Count() >= count; }
    void* Push(void* item);
    void* Pop();   // null when empty
    void* Peek();  // null when empty

protected:
    std::vector<void*> items_;
};

class TStack : public TOrderedList {
    VCL_DECLARE_CLASS(TStack, TOrderedList)
};

class TCriticalSection : public TObject {
    VCL_DECLARE_CLASS(TCriticalSection, TObject)
public:
    void Acquire() { mutex_.lock(); }
    void Release() { mutex_.unlock(); }
    void Enter() { Acquire(); }
    void Leave() { Release(); }

private:
    std::recursive_mutex mutex_;
};

constexpr int faReadOnly = 0x01, faHidden = 0x02, faSysFile = 0x04, faVolumeID = 0x08, faDirectory = 0x10,
              faArchive = 0x20, faAnyFile = 0x3F;

struct TSearchRec {
    int Time = 0;  // DOS date and time
    std::int64_t Size = 0;
    int Attr = 0;
    AnsiString Name;
    int ExcludeAttr = 0;
    HANDLE FindHandle = INVALID_HANDLE_VALUE;
    WIN32_FIND_DATAA FindData{};
};

// 0 when a file matches, else the OS error code.
int FindFirst(const AnsiString& path, int attr, TSearchRec& rec);
int FindNext(TSearchRec& rec);
void FindClose(TSearchRec& rec);
bool FileExists(const AnsiString& fileName);
bool DirectoryExists(const AnsiString& name);
// Free bytes on drive 1 = A:, 3 = C: ... (0: the current drive); -1 when unknown.
std::int64_t DiskFree(int drive);

}  // namespace vcl
