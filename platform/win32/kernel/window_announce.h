#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <sys/types.h>

namespace vls::win32 {

// Top-level windows announced to every process of the user, so that one
// program can find another's window by class and title. Each announcement is
// a file under RuntimeFolder()/windows holding an flock for as long as it
// stands; a file whose lock is no longer held (its process died) counts as
// gone and is cleared away by the next search.
using AnnouncementId = std::uint64_t;

// 0 when the announcement could not be made.
AnnouncementId AnnounceTopLevelWindow(const char* className, const char* title);
// A new title for a standing announcement (SetWindowText).
bool UpdateAnnouncedWindowTitle(AnnouncementId id, const char* title);
void WithdrawTopLevelWindow(AnnouncementId id);

struct AnnouncedWindow {
    pid_t process = 0;
    AnnouncementId id = 0;
    std::string className;
    std::string title;
};

// The first standing announcement whose class and title match (each without
// regard to ASCII case; null matches anything), in this process or another.
std::optional<AnnouncedWindow> FindAnnouncedWindow(const char* className, const char* title);

} // namespace vls::win32
