#pragma once

#include "engine/render/graphics_host.h"

class cKestruneEngine;

// The engine's answers to the graphics object: settings, window, frame time,
// requests and the inactive wait. Members the program does not have yet keep
// the base class's answers.
class cKestruneEngineGraphicsHost : public cKestruneGraphicsHost {
public:
    explicit cKestruneEngineGraphicsHost(cKestruneEngine& engine) : engine_(engine) {}

    HWND Window() override;
    int32_t SimpleShadows() override;
    int32_t Antialiasing() override;
    int32_t Gamma() override;
    int32_t SFXVolume() override;
    uint32_t FrameTime() override;
    bool HasVideo() override;
    bool ScenePending() override;
    bool LoadRequested() override;
    // False once the program is quitting, so an inactive wait ends with it.
    bool Inactive() override;
    void PumpMessages() override;
    void Sleep(uint32_t milliseconds) override;
    void RunScript(cKestruneScript* script, const char* function) override;

private:
    cKestruneEngine& engine_;
};
