#pragma once

// The launcher's text table "launcher.str": one caption, message, address
// or setting per line, read by line number, so that the launcher can be
// translated without rebuilding it.

#include <memory>
#include <string>
#include <vector>

#include "launcher/wide_string_list.h"

namespace launcher {

// Line numbers of the table.
enum LauncherLine {
    kLineStartEngine = 0,
    kLineStartSetup = 1,
    kLineInstallDatafiles = 2,
    kLineRemoveDatafiles = 3,
    kLineOptions = 4,
    kLineUpdate = 5,
    kLineForum = 6,
    kLineNoDisc1 = 8,
    kLineNoDisc2 = 9,
    kLineNoSpace1 = 10,
    kLineNoSpace2 = 11,
    kLineCopyPanel = 12,
    kLineRemovePanel = 13,
    kLineCopyFailed = 14,
    kLineSettingsPanel = 16,
    kLineAntialiasing = 17,
    kLineAntialiasingItems = 18,  // three items
    kLineSpeaker = 21,
    kLineSpeakerItems = 22,  // six items
    kLineBufferSize = 31,
    kLineNoHardware = 32,
    kLineUpdatePage = 33,
    kLineForumPage = 34,
    kLineInstallValue = 35,
    kLineSetupProgram = 36,
    kLineShapePage = 37,
    kLineFlags = 38,
    kLauncherLineCount = 39
};

// The table the launcher ships with; what a missing line falls back to.
const std::vector<std::u16string>& DefaultLauncherTexts();

// What reading one table file gave.
enum class TableRead {
    kMissing,  // no such file
    kRead,
    // The file could not be read, was empty, or some of its lines are not
    // text: what it lacks comes from the earlier tables and the defaults.
    kDamaged,
};

class LauncherTexts {
public:
    LauncherTexts();
    ~LauncherTexts();

    // Reads a table over the ones read before. A later table wins line by
    // line: lines it lacks (a short file) or cannot give (a line holding
    // control characters) come from the earlier ones and, last, from the
    // defaults.
    TableRead Load(const std::string& fileName);

    WideString Line(int index) const;
    // Line 38, one character per flag: 'x' sets it.
    bool Flag(int position) const;
    bool ShowInstallButton() const { return Flag(0); }
    bool Cyrillic() const { return Flag(2); }

private:
    struct Table {
        std::unique_ptr<TWideStringList> lines;
        std::vector<bool> unreadable;
    };
    std::vector<Table> tables_;
};

}  // namespace launcher
