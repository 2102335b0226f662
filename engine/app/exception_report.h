#pragma once

#include "platform/win32/seh/seh.h"
#include "platform/win32/wintypes.h"

// The crash report: the exception filter around the whole run writes
// "exception.log" beside the program and lets the exception go on.

// The kind of an exception code as the report names it, "Unknown exception
// type" for a code not in the table.
const char* ExceptionKindText(DWORD code);

// Writes the report; always EXCEPTION_CONTINUE_SEARCH. A second call (a fault
// while reporting) returns at once.
LONG WriteExceptionReport(EXCEPTION_POINTERS* pointers, const char* threadLabel);

// Formats into a 2000-character buffer and writes it to file.
void ReportPrintf(HANDLE file, const char* format, ...) __attribute__((format(printf, 2, 3)));

// The report line of the loaded module at base; nothing when base holds no
// loaded program image.
void WriteModuleList(HANDLE file, HMODULE base);
