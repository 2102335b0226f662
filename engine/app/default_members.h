#pragma once

#include "engine/app/engine_members.h"

// The engine's own members: builds and drives the real subsystems. A
// subsystem that is not part of the program yet keeps a null field and counts
// as started, so the start-up and shut-down order stays right around it.
class cKestruneDefaultMembers : public cKestruneMembers {
public:
    bool Create(cKestruneEngine& engine, KestruneMember member) override;
    void Destroy(cKestruneEngine& engine, KestruneMember member) override;

    uint32_t ScriptIdentity(const cKestruneScript* script) override;
    bool FrameDue(cKestruneEngine& engine) override;
    void NewGame(cKestruneEngine& engine) override;
    int32_t LoadSavegame(cKestruneEngine& engine, const char* name) override;
};
