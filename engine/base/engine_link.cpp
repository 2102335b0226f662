#include "engine/base/engine_link.h"

#include <cstdarg>
#include <cstdio>

cKestruneEngine* g_engine = nullptr;

namespace {

cKestruneEngineLink* g_link = nullptr;

// Used while no engine is installed, so that the lower folders work on their own.
char g_fallbackErrorText[kErrorTextSize];
DynArray<cKestruneScript*> g_fallbackScripts;

} // namespace

void SetEngineLink(cKestruneEngineLink* link) { g_link = link; }

cKestruneEngineLink* GetEngineLink() { return g_link; }

int ReportError(const char* module, const char* where, int fatal, const char* format, ...)
{
    char* const text = g_link ? g_link->GetErrorText() : g_fallbackErrorText;
    va_list args;
    va_start(args, format);
    std::vsnprintf(text, kErrorTextSize, format, args);
    va_end(args);
    if (g_link)
        return g_link->Error(module, where, fatal);
    std::printf("Error in module %s[%s]\n-> %s\n", module, where, text);
    std::fflush(stdout);
    return 0;
}

DynArray<cKestruneScript*>& LiveScripts()
{
    return g_link ? g_link->GetLiveScripts() : g_fallbackScripts;
}

void AddLiveScript(cKestruneScript* script) { LiveScripts().Add(script); }

void RemoveLiveScript(const cKestruneScript* script)
{
    DynArray<cKestruneScript*>& list = LiveScripts();
    for (int32_t i = 0; i < list.count; ++i) {
        if (list.data[i] == script) {
            list.RemoveAt(i);
            return;
        }
    }
}

bool IsLiveScript(const cKestruneScript* script)
{
    const DynArray<cKestruneScript*>& list = LiveScripts();
    for (int32_t i = 0; i < list.count; ++i) {
        if (list.data[i] == script)
            return true;
    }
    return false;
}
