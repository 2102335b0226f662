#include "engine/app/refused_savegame.h"

#include "platform/win32/kernel/files.h"
#include "platform/win32/kernel/last_error.h"

#include <cstdio>

namespace {

// Far more refused starts than anyone keeps; the search ends somewhere.
constexpr int kMostKept = 100;

} // namespace

std::string KeepRefusedSavegame(const char* fileName)
{
    if (GetFileAttributesA(fileName) == INVALID_FILE_ATTRIBUTES)
        return "";
    const std::string first = std::string(fileName) + ".refused";
    DWORD error = ERROR_ALREADY_EXISTS;
    for (int n = 1; n <= kMostKept && error == ERROR_ALREADY_EXISTS; ++n) {
        const std::string kept = n == 1 ? first : first + "." + std::to_string(n);
        if (MoveFileExA(fileName, kept.c_str(), 0)) {
            std::printf("Savegame %s was not loaded; it is kept as %s.\n", fileName, kept.c_str());
            std::fflush(stdout);
            return kept;
        }
        error = GetLastError();
    }
    std::printf("Savegame %s was not loaded and could not be kept aside (error %u).\n", fileName,
                static_cast<unsigned>(error));
    std::fflush(stdout);
    return "";
}
