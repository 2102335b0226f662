#include "launcher/launcher_shell.h"

#include <unistd.h>

#include "platform/vcl/sysobjs.h"
#include "platform/win32/kernel/paths.h"
#include "platform/win32/shell/shellapi.h"
#include "platform/user/winuser.h"

namespace launcher {

namespace {

bool IsAbsolute(const AnsiString& path)
{
    return (!path.empty() && (path[0] == '\\' || path[0] == '/')) || (path.size() >= 2 && path[1] == ':');
}

AnsiString ExpandFileName(const AnsiString& path)
{
    if (IsAbsolute(path))
        return path;
    char buffer[4096];
    if (!getcwd(buffer, sizeof buffer))
        return path;
    return vcl::IncludeTrailingBackslash(vls::win32::ToWindowsPath(buffer)) + path;
}

bool Started(HINSTANCE result) { return reinterpret_cast<INT_PTR>(result) > 32; }

}  // namespace

AnsiString SplitFirstComponent(AnsiString& path)
{
    AnsiString result;
    if (path.size() >= 2 && path[0] == '\\' && path[1] == '\\') {
        result = "\\\\";
        path.erase(0, 2);
        const size_t slash = path.find('\\');
        const size_t take = slash == AnsiString::npos ? path.size() : slash + 1;
        result += path.substr(0, take);
        path.erase(0, take);
    }
    const size_t slash = path.find('\\');
    if (slash != AnsiString::npos) {
        result += path.substr(0, slash);
        path.erase(0, slash + 1);
    } else {
        result += path;
        path.clear();
    }
    return result;
}

AnsiString LongComponentName(const AnsiString& path)
{
    vcl::TSearchRec rec;
    const bool found = vcl::FindFirst(path, vcl::faAnyFile, rec) == 0;
    const AnsiString name = found ? rec.Name : vcl::ExtractFileName(path);
    vcl::FindClose(rec);
    return name;
}

AnsiString ExpandLongPath(const AnsiString& path)
{
    AnsiString rest = ExpandFileName(path);
    AnsiString result = SplitFirstComponent(rest);
    do {
        const AnsiString component = SplitFirstComponent(rest);
        result += '\\' + LongComponentName(result + "\\" + component);
    } while (!rest.empty());
    return result;
}

bool StartEngine(const AnsiString& installDir)
{
    const AnsiString folder = ExpandLongPath(installDir);
    return Started(ShellExecuteA(nullptr, "open", "vls.exe", nullptr, folder.c_str(), SW_SHOWNORMAL));
}

bool StartSetup(const AnsiString& launcherDir, const AnsiString& setupName)
{
    const AnsiString file = launcherDir + setupName;
    return Started(ShellExecuteA(nullptr, "open", file.c_str(), "", "", SW_SHOWNORMAL));
}

void OpenWebPage(const AnsiString& address)
{
    ShellExecuteA(nullptr, "open", address.c_str(), "", "", SW_SHOWNORMAL);
}

AnsiString ForumAddress(const AnsiString& line)
{
    return line.compare(0, 7, "http://") == 0 ? line : AnsiString(kSiteAddress) + line;
}

}  // namespace launcher
