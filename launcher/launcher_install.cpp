#include "launcher/launcher_install.h"

#include <cstdint>

#include "platform/vcl/sysobjs.h"
#include "platform/win32/kernel/files.h"

namespace launcher {

namespace {

constexpr const char* kDiscDrives = "CDEFGHIJKLMNOPQRSTUVWXYZ";
const WideString kPanelIndent = u"   ";

}  // namespace

AnsiString DatafileName(int index) { return vcl::Format("resource.%.3d", index + 1); }

bool DatafilesPresent(const AnsiString& installDir)
{
    for (int i = 0; i < kDatafileCount; ++i)
        if (!vcl::FileExists(installDir + DatafileName(i)))
            return false;
    return true;
}

DatafileInstaller::DatafileInstaller(const LauncherTexts& texts, DatafileProgress& progress,
                                     const AnsiString& installDir)
    : DiskFree(vcl::DiskFree), FolderFree(FreeSpaceOfFolder), texts_(texts), progress_(progress), installDir_(installDir)
{
}

WideString DatafileInstaller::TwoLines(int first) const
{
    return texts_.Line(first) + u"\r\n" + texts_.Line(first + 1);
}

char DatafileInstaller::FindDisc() const
{
    AnsiString probe = "C:\\" + DatafileName(kDatafileCount - 1);
    for (const char* letter = kDiscDrives; *letter; ++letter) {
        probe[0] = *letter;
        if (vcl::FileExists(probe))
            return *letter;
    }
    return 0;
}

bool DatafileInstaller::EnoughSpace() const
{
    // No folder names no drive: too little.
    if (installDir_.empty())
        return false;
    const char letter = vcl::UpperCase(installDir_)[0];
    if (installDir_.size() >= 2 && installDir_[1] == ':' && letter >= 'A' && letter <= 'Z')
        return DiskFree(letter - 64) >= kSpaceNeeded;
    // A folder without a drive letter (a Linux path) lies on whatever file
    // system holds it; "first letter minus 64" would name no drive at all.
    return FolderFree(installDir_) >= kSpaceNeeded;
}

std::int64_t FreeSpaceOfFolder(const AnsiString& folder)
{
    ULARGE_INTEGER available{};
    if (!GetDiskFreeSpaceExA(folder.c_str(), &available, nullptr, nullptr))
        return -1;
    return available.QuadPart > static_cast<ULONGLONG>(INT64_MAX) ? INT64_MAX
                                                                    : static_cast<std::int64_t>(available.QuadPart);
}

bool DatafileInstaller::CopyDatafile(const AnsiString& source)
{
    progress_.ShowFile(source);
    const AnsiString target = installDir_ + vcl::ExtractFileName(source);
    const AnsiString partial = target + ".part";
    const bool copied = CopyFileA(source.c_str(), partial.c_str(), FALSE) &&
                        MoveFileExA(partial.c_str(), target.c_str(), MOVEFILE_REPLACE_EXISTING);
    if (!copied) {
        DeleteFileA(partial.c_str());
        progress_.ShowMessage(texts_.Line(kLineCopyFailed));
    }
    progress_.Step();
    return copied;
}

void DatafileInstaller::DeleteDatafile(const AnsiString& name)
{
    progress_.ShowFile(name);
    DeleteFileA((installDir_ + name).c_str());
    progress_.Step();
}

bool DatafileInstaller::Install()
{
    progress_.SetBusyCursor(true);
    char disc = 0;
    try {
        disc = FindDisc();
    } catch (...) {
        progress_.SetBusyCursor(false);
        throw;
    }
    progress_.SetBusyCursor(false);
    if (!disc) {
        progress_.ShowMessage(TwoLines(kLineNoDisc1));
        return DatafilesPresent(installDir_);
    }
    if (!EnoughSpace()) {
        progress_.ShowMessage(TwoLines(kLineNoSpace1));
        return DatafilesPresent(installDir_);
    }
    progress_.SetWorking(true);
    progress_.ShowPanel(kPanelIndent + texts_.Line(kLineCopyPanel));
    const AnsiString root = AnsiString(1, disc) + ":\\";
    for (int i = 0; i < kDatafileCount; ++i)
        if (!CopyDatafile(root + DatafileName(i)))
            break;
    progress_.HidePanel();
    progress_.SetWorking(false);
    return DatafilesPresent(installDir_);
}

bool DatafileInstaller::Remove()
{
    progress_.SetWorking(true);
    progress_.ShowPanel(kPanelIndent + texts_.Line(kLineRemovePanel));
    for (int i = 0; i < kDatafileCount; ++i)
        DeleteDatafile(DatafileName(i));
    progress_.HidePanel();
    progress_.SetWorking(false);
    // What is really left decides: a file that could not be deleted keeps
    // the set installed only if all sixteen are still there.
    return DatafilesPresent(installDir_);
}

}  // namespace launcher
