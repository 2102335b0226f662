#pragma once

// Copying the sixteen data archives from the disc into the install folder,
// and removing them again. The form shows the work through
// DatafileProgress, so the logic runs without a form.

#include <cstdint>
#include <functional>

#include "launcher/launcher_texts.h"

namespace launcher {

constexpr int kDatafileCount = 16;
constexpr std::int64_t kSpaceNeeded = 3LL * 1073741824LL;

// "resource.001" ... "resource.016" for 0 ... 15.
AnsiString DatafileName(int index);
// All sixteen present in the folder (which ends with a backslash).
bool DatafilesPresent(const AnsiString& installDir);
// Free bytes for this user on the file system that holds the folder, -1
// when it cannot be measured.
std::int64_t FreeSpaceOfFolder(const AnsiString& folder);

class DatafileProgress {
public:
    virtual void ShowPanel(const WideString& caption) = 0;
    virtual void HidePanel() = 0;
    // The file in hand; the form repaints before the work goes on.
    virtual void ShowFile(const AnsiString& name) = 0;
    virtual void Step() = 0;
    virtual void ShowMessage(const WideString& text) = 0;
    virtual void SetBusyCursor(bool busy) = 0;
    // The form's buttons are off while files are copied or removed.
    virtual void SetWorking(bool working) = 0;

protected:
    ~DatafileProgress() = default;
};

class DatafileInstaller {
public:
    DatafileInstaller(const LauncherTexts& texts, DatafileProgress& progress, const AnsiString& installDir);

    // Free bytes on drive 1 = A:, 3 = C:, -1 when unknown; tests replace it.
    std::function<std::int64_t(int)> DiskFree;
    // Free bytes on the file system that holds a folder given without a
    // drive letter, -1 when unknown; tests replace it.
    std::function<std::int64_t(const AnsiString&)> FolderFree;

    // The drive letter whose root holds "resource.016", searched C to Z;
    // 0 when none.
    char FindDisc() const;
    bool EnoughSpace() const;
    // Both return whether all sixteen are installed afterwards.
    bool Install();
    bool Remove();

    // Copies to a temporary name beside the target and renames it when
    // complete, so a failed copy leaves no half archive.
    bool CopyDatafile(const AnsiString& source);
    void DeleteDatafile(const AnsiString& name);

private:
    WideString TwoLines(int first) const;

    const LauncherTexts& texts_;
    DatafileProgress& progress_;
    AnsiString installDir_;
};

}  // namespace launcher
