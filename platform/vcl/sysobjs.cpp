#include "platform/vcl/sysobjs.h"

#include <array>
#include <utility>

#include "platform/win32/kernel/files.h"
#include "platform/win32/kernel/last_error.h"
#include "platform/win32/kernel/time.h"
#include "platform/user/winuser.h"

namespace vcl {

VCL_IMPLEMENT_CLASS(TOrderedList, TObject, [](auto&) {})
VCL_IMPLEMENT_CLASS(TStack, TOrderedList, [](auto&) {})
VCL_IMPLEMENT_CLASS(TCriticalSection, TObject, [](auto&) {})

// --------------------------------------------------------- object instances

namespace {

constexpr size_t kInstances = 512;

std::array<TWndMethodProc, kInstances>& Slots()
{
    static std::array<TWndMethodProc, kInstances> slots;
    return slots;
}

template <size_t I>
LRESULT CALLBACK InstanceProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    const TWndMethodProc method = Slots()[I];  // the method may free its own slot
    if (!method)
        return DefWindowProcA(hwnd, msg, wParam, lParam);
    TMessage m{msg, wParam, lParam, 0};
    method(m);
    return m.Result;
}

template <size_t... I>
constexpr std::array<WNDPROC, sizeof...(I)> MakeTable(std::index_sequence<I...>)
{
    return {&InstanceProc<I>...};
}

const std::array<WNDPROC, kInstances> kProcs = MakeTable(std::make_index_sequence<kInstances>());

}  // namespace

WNDPROC MakeObjectInstance(const TWndMethodProc& method)
{
    for (size_t i = 0; i < kInstances; ++i) {
        if (!Slots()[i]) {
            Slots()[i] = method;
            return kProcs[i];
        }
    }
    throw EOutOfResources(consts::SOutOfResources);
}

void FreeObjectInstance(WNDPROC instance)
{
    for (size_t i = 0; i < kInstances; ++i) {
        if (kProcs[i] == instance) {
            Slots()[i] = nullptr;
            return;
        }
    }
}

// ------------------------------------------------------------------- stacks

void* TOrderedList::Push(void* item)
{
    items_.push_back(item);
    return item;
}

void* TOrderedList::Pop()
{
    if (items_.empty())
        return nullptr;
    void* item = items_.back();
    items_.pop_back();
    return item;
}

void* TOrderedList::Peek() { return items_.empty() ? nullptr : items_.back(); }

// -------------------------------------------------------------- file search

namespace {

bool Matches(TSearchRec& rec)
{
    const int attr = static_cast<int>(rec.FindData.dwFileAttributes) & faAnyFile;
    if (attr & rec.ExcludeAttr)
        return false;
    rec.Attr = attr;
    rec.Size = (static_cast<std::int64_t>(rec.FindData.nFileSizeHigh) << 32) | rec.FindData.nFileSizeLow;
    rec.Name = rec.FindData.cFileName;
    FILETIME local{};
    WORD date = 0, time = 0;
    FileTimeToLocalFileTime(&rec.FindData.ftLastWriteTime, &local);
    FileTimeToDosDateTime(&local, &date, &time);
    rec.Time = static_cast<int>((static_cast<DWORD>(date) << 16) | time);
    return true;
}

}  // namespace

int FindNext(TSearchRec& rec)
{
    while (FindNextFileA(rec.FindHandle, &rec.FindData)) {
        if (Matches(rec))
            return 0;
    }
    return static_cast<int>(GetLastError());
}

int FindFirst(const AnsiString& path, int attr, TSearchRec& rec)
{
    // Hidden, system and directory entries only when asked for.
    rec.ExcludeAttr = ~attr & (faHidden | faSysFile | faVolumeID | faDirectory);
    rec.FindHandle = FindFirstFileA(path.c_str(), &rec.FindData);
    if (rec.FindHandle == INVALID_HANDLE_VALUE)
        return static_cast<int>(GetLastError());
    if (Matches(rec))
        return 0;
    const int result = FindNext(rec);
    if (result != 0)
        FindClose(rec);
    return result;
}

void FindClose(TSearchRec& rec)
{
    if (rec.FindHandle != INVALID_HANDLE_VALUE)
        ::FindClose(rec.FindHandle);
    rec.FindHandle = INVALID_HANDLE_VALUE;
}

bool FileExists(const AnsiString& fileName)
{
    const DWORD a = GetFileAttributesA(fileName.c_str());
    return a != 0xFFFFFFFFu && !(a & FILE_ATTRIBUTE_DIRECTORY);
}

bool DirectoryExists(const AnsiString& name)
{
    const DWORD a = GetFileAttributesA(name.c_str());
    return a != 0xFFFFFFFFu && (a & FILE_ATTRIBUTE_DIRECTORY);
}

std::int64_t DiskFree(int drive)
{
    AnsiString root;
    if (drive > 0 && drive <= 26)
        root = AnsiString(1, static_cast<char>('A' + drive - 1)) + ":\\";
    ULARGE_INTEGER available{}, total{}, free{};
    if (!GetDiskFreeSpaceExA(root.empty() ? nullptr : root.c_str(), &available, &total, &free))
        return -1;
    return static_cast<std::int64_t>(available.QuadPart);
}

}  // namespace vcl
