// Puts the input where another process's window announcement would be (the
// first line its file name, the rest its text; the first byte says whether
// that process still holds the lock, or whether the name is a FIFO) and
// searches the announcements: no file hides our own standing announcement,
// and none hangs or breaks the search.

#include "fuzz/scratch_folder.h"
#include "platform/win32/kernel/paths.h"
#include "platform/win32/kernel/window_announce.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <string>

namespace {

std::filesystem::path Start()
{
    setenv("XDG_RUNTIME_DIR", MakeScratchFolder("vls-fuzz-windows").c_str(), 1);
    unsetenv("VEILSTRAND_CONFIG");
    if (vls::win32::AnnounceTopLevelWindow("Quib-Velt", "Veilstrand") == 0)
        std::abort();
    return vls::win32::RuntimeFolder() / "windows";
}

std::string FileNameFrom(const std::string& line)
{
    std::string name = line.substr(0, 120);
    for (char& c : name)
        if (c == '/' || c == '\0')
            c = '_';
    if (name.empty() || name == "." || name == "..")
        name = "1-1.win";
    return name;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    static const std::filesystem::path folder = Start();
    if (size < 1)
        return 0;
    const std::string input(reinterpret_cast<const char*>(data + 1), size - 1);
    const std::size_t newline = input.find('\n');
    const std::string name = FileNameFrom(input.substr(0, newline));
    const std::string text = newline == std::string::npos ? std::string() : input.substr(newline + 1);
    const std::filesystem::path path = folder / name;
    if (std::filesystem::exists(path))
        return 0;  // never disturb our own announcement

    int holder = -1;
    if (data[0] & 2) {
        if (mkfifo(path.c_str(), 0600) != 0)
            return 0;
    } else {
        holder = open(path.c_str(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
        if (holder < 0)
            return 0;
        if (!text.empty() && write(holder, text.data(), text.size()) != static_cast<ssize_t>(text.size()))
            std::abort();
        if (data[0] & 1)
            flock(holder, LOCK_EX);
    }
    (void)vls::win32::FindAnnouncedWindow(nullptr, nullptr);
    if (!vls::win32::FindAnnouncedWindow("quib-velt", "VEILSTRAND"))
        std::abort();
    (void)vls::win32::FindAnnouncedWindow("TApplication", nullptr);
    if (holder >= 0)
        close(holder);
    unlink(path.c_str());
    return 0;
}
