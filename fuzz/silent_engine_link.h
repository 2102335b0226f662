#pragma once

#include "engine/base/engine_link.h"

// Stands in for the engine under the fuzzers: reports are swallowed, so a
// fatal one must not end the run.
class SilentLink : public cKestruneEngineLink {
public:
    char* GetErrorText() override { return text_; }
    int Error(const char*, const char*, int) override { return 0; }
    DynArray<cKestruneScript*>& GetLiveScripts() override { return scripts_; }

private:
    char text_[kErrorTextSize] = {};
    DynArray<cKestruneScript*> scripts_;
};
