#pragma once

#include "engine/base/dynarray.h"

#include <cstdint>

class cKestruneEngine;
class cKestruneScript;

// The one engine top object: null before it is created and after shut-down.
// It lives here, below engine/app, so that every layer can reach the engine.
extern cKestruneEngine* g_engine;

// What the code below engine/app needs from the engine top object: the error
// reporter with its message buffer, and the live-script list. The engine
// installs itself at construction and removes itself at destruction; with no
// engine installed (tests of the lower folders) errors go to the log only and
// scripts are listed in a process-wide stand-in list.
class cKestruneEngineLink {
public:
    virtual ~cKestruneEngineLink() = default;

    // The 256-byte buffer the next error report takes its message from.
    virtual char* GetErrorText() = 0;
    virtual int Error(const char* module, const char* where, int fatal) = 0;
    virtual DynArray<cKestruneScript*>& GetLiveScripts() = 0;
};

constexpr int kErrorTextSize = 256;

void SetEngineLink(cKestruneEngineLink* link);
cKestruneEngineLink* GetEngineLink();

// Formats the message into the engine's error text and reports it. The text is
// cut at the buffer's size. Returns what the reporter returns (0 when it returns).
int ReportError(const char* module, const char* where, int fatal, const char* format, ...)
    __attribute__((format(printf, 4, 5)));

// The live-script list: every script enters on construction and leaves on
// destruction; the list does not own its scripts.
DynArray<cKestruneScript*>& LiveScripts();
void AddLiveScript(cKestruneScript* script);
// Removes the first entry holding script; the remaining entries keep their order.
void RemoveLiveScript(const cKestruneScript* script);
bool IsLiveScript(const cKestruneScript* script);
