#pragma once

#include "platform/win32/wintypes.h"

// The time a savegame records. Played from an input script the program's
// clock is virtual, and so is this time: the clock's reading after
// 2000-01-01 00:00:00, so a script gives the same savegame on every run.
// Otherwise it is the local time.
void SavingTime(SYSTEMTIME& time);
