#pragma once

// Everything the kernel layer offers, for callers that want the whole of it.
#include "platform/win32/kernel/clock.h"
#include "platform/win32/kernel/code_pages.h"
#include "platform/win32/kernel/compare_string.h"
#include "platform/win32/kernel/date_format.h"
#include "platform/win32/kernel/files.h"
#include "platform/win32/kernel/find_file.h"
#include "platform/win32/kernel/handles.h"
#include "platform/win32/kernel/last_error.h"
#include "platform/win32/kernel/locale.h"
#include "platform/win32/kernel/module.h"
#include "platform/win32/kernel/mutex.h"
#include "platform/win32/kernel/paths.h"
#include "platform/win32/kernel/process.h"
#include "platform/win32/kernel/system.h"
#include "platform/win32/kernel/time.h"
#include "platform/win32/kernel/version.h"
