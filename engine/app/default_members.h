#pragma once

#include "engine/app/engine_graphics_host.h"
#include "engine/app/engine_members.h"

// The engine's own members: builds and drives the real subsystems. A
// subsystem that is not part of the program yet keeps a null field and counts
// as started, so the start-up and shut-down order stays right around it.
class cKestruneDefaultMembers : public cKestruneMembers {
public:
    explicit cKestruneDefaultMembers(cKestruneEngine& engine);
    ~cKestruneDefaultMembers() override;

    bool Create(cKestruneEngine& engine, KestruneMember member) override;
    void Destroy(cKestruneEngine& engine, KestruneMember member) override;

    uint32_t ScriptIdentity(const cKestruneScript* script) override;
    bool FrameDue(cKestruneEngine& engine) override;
    uint32_t FrameTime(cKestruneEngine& engine) override;
    void NewGame(cKestruneEngine& engine) override;
    int32_t LoadSavegame(cKestruneEngine& engine, const char* name) override;
    void DrawFrame(cKestruneEngine& engine) override;

    bool HasGraphics(cKestruneEngine& engine) override;
    void SaveScreenshot(cKestruneEngine& engine, const char* fileName) override;

private:
    cKestruneEngineGraphicsHost graphicsHost_;
};
