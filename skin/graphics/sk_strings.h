#pragma once

// The library's table of 49 English user-interface strings, looked up by
// index at run time.

#include "platform/vcl/sysutils.h"

namespace skin {

constexpr int kUiStringCount = 49;

// Where each group starts in the table.
enum TSkUiString {
    sksMaximize = 0, sksMinimize, sksClose, sksRollup, sksRestore, sksMinimizeToTray,
    sksToolbarItemInserted = 6,
    sksButtonOK = 7,  // ten button captions up to 16
    sksMsgWarning = 17, sksMsgError, sksMsgInformation, sksMsgConfirm,
    sksMsgButtonYes = 21,  // eleven message buttons up to 31
    sksEditUndo = 32, sksEditCopy, sksEditCut, sksEditPaste, sksEditDelete, sksEditSelectAll,
    sksMsgButtonSecondSet = 38  // eleven empty strings up to 48
};

vcl::AnsiString SkLoadString(int index);  // "" outside the table

}  // namespace skin
