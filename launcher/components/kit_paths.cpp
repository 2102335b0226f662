#include "launcher/components/kit_paths.h"

#include <algorithm>

#include "platform/gdi/wingdi.h"
#include "platform/win32/kernel/module.h"
#include "platform/win32/kernel/paths.h"

namespace kit {

namespace {
constexpr std::size_t kMaxPath = 260;

AnsiString Limited(AnsiString path)
{
    if (path.size() > kMaxPath)
        path.resize(kMaxPath);
    return path;
}

AnsiString Finish(const AnsiString& folder, bool trailing)
{
    return trailing ? WithTrailingBackslash(folder) : WithoutTrailingBackslash(folder);
}
}  // namespace

bool IsBlank(const AnsiString& s)
{
    return std::all_of(s.begin(), s.end(), [](char c) { return c == ' '; });
}

AnsiString WithTrailingBackslash(const AnsiString& path)
{
    if (IsBlank(path) || path.back() == '\\')
        return path;
    return path + '\\';
}

AnsiString WithoutTrailingBackslash(const AnsiString& path)
{
    AnsiString result = path;
    if (!result.empty() && result.back() == '\\')
        result.pop_back();
    return result;
}

AnsiString KernelWindowsDirectory()
{
    return vls::win32::ToWindowsPath((vls::win32::ConfigFolder() / "windows").string());
}

AnsiString KernelSystemDirectory() { return KernelWindowsDirectory() + "\\system32"; }

AnsiString WindowsFolder(bool trailing) { return Finish(Limited(KernelWindowsDirectory()), trailing); }
AnsiString SystemFolder(bool trailing) { return Finish(Limited(KernelSystemDirectory()), trailing); }

AnsiString ProgramFileName()
{
    char name[kMaxPath + 1] = {};
    GetModuleFileNameA(nullptr, name, sizeof name);
    return name;
}

AnsiString ProgramFolder(bool trailing) { return Finish(vcl::ExtractFilePath(ProgramFileName()), trailing); }

AnsiString LocationFolder(int location)
{
    switch (location) {
    case 0: return WindowsFolder(true);
    case 1: return SystemFolder(true);
    default: return ProgramFolder(true);
    }
}

int DisplayColorDepth()
{
    HDC dc = CreateDCA("Display", nullptr, nullptr, nullptr);
    if (!dc)
        return 0;
    const int depth = GetDeviceCaps(dc, PLANES) * GetDeviceCaps(dc, BITSPIXEL);
    DeleteDC(dc);
    return depth;
}

}  // namespace kit
