#include "platform/win32/kernel/find_file.h"

#include "platform/win32/kernel/files.h"
#include "platform/win32/kernel/handles.h"
#include "platform/win32/kernel/last_error.h"
#include "platform/win32/kernel/paths.h"
#include "platform/win32/kernel/time.h"

#include <algorithm>
#include <cstring>
#include <dirent.h>
#include <string>
#include <sys/stat.h>
#include <vector>

namespace vls::win32 {

namespace {

char Lower(char c)
{
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

class FindObject : public KernelObject {
public:
    std::vector<WIN32_FIND_DATAA> entries;
    size_t next = 0;
};

WIN32_FIND_DATAA Describe(const std::string& folder, const std::string& name)
{
    WIN32_FIND_DATAA data{};
    struct stat info;
    if (stat((folder + "/" + name).c_str(), &info) == 0) {
        data.dwFileAttributes = FileAttributesFromStat(info);
        data.ftCreationTime = FileTimeFromTimespec(info.st_ctim);
        data.ftLastAccessTime = FileTimeFromTimespec(info.st_atim);
        data.ftLastWriteTime = FileTimeFromTimespec(info.st_mtim);
        if (!S_ISDIR(info.st_mode)) {
            data.nFileSizeHigh = static_cast<DWORD>(static_cast<ULONGLONG>(info.st_size) >> 32);
            data.nFileSizeLow = static_cast<DWORD>(info.st_size);
        }
    } else {
        data.dwFileAttributes = FILE_ATTRIBUTE_NORMAL; // a dangling link
    }
    std::strncpy(data.cFileName, name.c_str(), MAX_PATH - 1);
    return data;
}

} // namespace

bool WildcardMatch(const char* pattern, const char* name)
{
    if (std::strcmp(pattern, "*.*") == 0)
        return true;
    // Backtracking over the last '*' is enough for '*' and '?' alone.
    const char* star = nullptr;
    const char* resume = nullptr;
    while (*name) {
        if (*pattern == '*') {
            star = pattern++;
            resume = name;
        } else if (*pattern == '?' || (*pattern && Lower(*pattern) == Lower(*name))) {
            ++pattern;
            ++name;
        } else if (star) {
            pattern = star + 1;
            name = ++resume;
        } else {
            return false;
        }
    }
    while (*pattern == '*')
        ++pattern;
    return *pattern == '\0';
}

} // namespace vls::win32

using namespace vls::win32;

HANDLE FindFirstFileA(LPCSTR fileName, LPWIN32_FIND_DATAA findData)
{
    if (!fileName || !findData || !*fileName) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return INVALID_HANDLE_VALUE;
    }
    const std::string text = fileName;
    const size_t split = text.find_last_of("\\/");
    const std::string pattern = split == std::string::npos ? text : text.substr(split + 1);
    std::string folderName = split == std::string::npos ? std::string(".") : text.substr(0, split + 1);
    if (folderName.size() == 2 && folderName[1] == ':')
        folderName += '\\';
    if (pattern.empty()) {
        SetLastError(ERROR_FILE_NOT_FOUND);
        return INVALID_HANDLE_VALUE;
    }
    const std::optional<std::string> folder = MapPath(folderName);
    if (!folder)
        return INVALID_HANDLE_VALUE;

    DIR* dir = opendir(folder->c_str());
    if (!dir) {
        SetLastError(ERROR_PATH_NOT_FOUND);
        return INVALID_HANDLE_VALUE;
    }
    std::vector<std::string> names;
    while (const dirent* entry = readdir(dir)) {
        if (WildcardMatch(pattern.c_str(), entry->d_name) && std::strlen(entry->d_name) < MAX_PATH)
            names.emplace_back(entry->d_name);
    }
    closedir(dir);
    if (names.empty()) {
        SetLastError(ERROR_FILE_NOT_FOUND);
        return INVALID_HANDLE_VALUE;
    }
    std::sort(names.begin(), names.end());

    auto* search = new FindObject;
    for (const std::string& name : names)
        search->entries.push_back(Describe(*folder, name));
    *findData = search->entries[0];
    search->next = 1;
    SetLastError(ERROR_SUCCESS);
    return RegisterHandle(search);
}

BOOL FindNextFileA(HANDLE findFile, LPWIN32_FIND_DATAA findData)
{
    FindObject* search = LookUpHandleAs<FindObject>(findFile);
    if (!search || !findData)
        return FALSE;
    if (search->next >= search->entries.size()) {
        SetLastError(ERROR_NO_MORE_FILES);
        return FALSE;
    }
    *findData = search->entries[search->next++];
    return TRUE;
}

BOOL FindClose(HANDLE findFile)
{
    if (!LookUpHandleAs<FindObject>(findFile))
        return FALSE;
    return CloseHandle(findFile);
}
