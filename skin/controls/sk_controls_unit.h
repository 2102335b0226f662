#pragma once

// Start and end of the controls unit: the shared paint buffer, the
// run-time binding of GetScrollBarInfo, and the classes that streams create
// by name.

#include "platform/win32/wintypes.h"

namespace skin {

// The window manager's scroll-bar query, bound by name; null where the
// system has none (callers test it).
using TGetScrollBarInfo = BOOL (*)(HWND window, LONG object, void* info);
TGetScrollBarInfo GetScrollBarInfoProc();

void InitControlsUnit();
void FinalizeControlsUnit();

}  // namespace skin
