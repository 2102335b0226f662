#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

namespace vls::win32 {

// The settings folder: $VEILSTRAND_CONFIG, else $XDG_CONFIG_HOME/veilstrand,
// else ~/.config/veilstrand. It is not created here.
std::filesystem::path ConfigFolder();

// The per-user folder for files that live only while processes run:
// ${XDG_RUNTIME_DIR:-/tmp}/veilstrand-<uid>, and below it a folder of its
// own for each $VEILSTRAND_CONFIG, so that processes with different settings
// folders (such as tests running side by side) never see each other's
// windows and mutexes. Created (mode 0700) on demand; an empty path when that
// fails or when the name is held by something that is not our own folder.
std::filesystem::path RuntimeFolder();

// Maps a Windows-style name to the Linux path it stands for. Backslashes and
// slashes both separate; each component is matched case-insensitively against
// the folder it is in (an exact match wins); "." and ".." are folded, and ".."
// never climbs above the root it started from. "c:" ... "z:" start at the
// folder the link <config>/drives/<letter>: points to. A last component ending
// in ".exe" that matches nothing stands for the file without that ending.
// Components that match nothing are kept as written, so the result can name a
// file that is about to be created. Empty result: a missing drive, or an empty
// name (GetLastError says which).
std::optional<std::string> MapPath(std::string_view windowsPath);

// Turns a Linux path into the form the Windows-era callers split and join:
// slashes become backslashes.
std::string ToWindowsPath(std::string_view linuxPath);

} // namespace vls::win32
