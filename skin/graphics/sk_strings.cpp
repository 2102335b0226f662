#include "skin/graphics/sk_strings.h"

namespace skin {

namespace {

const char* const kStrings[kUiStringCount] = {
    "Ma&ximize", "Mi&nimize", "&Close", "Ro&llup", "&Restore", "Minimize to &Tray",
    "Toolbar item already inserted",
    "OK", "Cancel", "&Yes", "&No", "&Help", "&Close", "&Ignore", "&Retry", "Abort", "&All",
    "Warning", "Error", "Information", "Confirm",
    "&Yes", "&No", "OK", "Cancel", "&Abort", "&Retry", "&Ignore", "&All", "N&o to All", "Yes to &All", "&Help",
    "Undo", "Copy", "Cut", "Paste", "Delete", "Select All",
    "", "", "", "", "", "", "", "", "", "", ""};

}  // namespace

vcl::AnsiString SkLoadString(int index)
{
    return index >= 0 && index < kUiStringCount ? kStrings[index] : "";
}

}  // namespace skin
