#pragma once

// Starting the engine or the setup program, and opening web pages, all
// through the shell's "open" verb; the launcher never waits for them.

#include <string>

#include "platform/vcl/sysutils.h"

namespace launcher {

using vcl::AnsiString;

// The maker's web site; pages of the text table are paths below it.
constexpr const char* kSiteAddress = "http://www.quarrybend.example";

// The path made absolute, with every component in its on-disk long form
// and no trailing backslash (a drive root keeps its own).
AnsiString ExpandLongPath(const AnsiString& path);
// Moves the first component of `path` (a drive, or "\\server\share") to the
// result; `path` keeps the rest.
AnsiString SplitFirstComponent(AnsiString& path);
// The last component of `path` as the disk stores it, or as written.
AnsiString LongComponentName(const AnsiString& path);

// "vls.exe" in the install folder, which becomes its working folder.
// True when the shell started it.
bool StartEngine(const AnsiString& installDir);
// The setup program, a name relative to the launcher's folder.
bool StartSetup(const AnsiString& launcherDir, const AnsiString& setupName);
void OpenWebPage(const AnsiString& address);
// Line 34 of the table: an absolute "http://" address, else a path below
// the site.
AnsiString ForumAddress(const AnsiString& line);

}  // namespace launcher
