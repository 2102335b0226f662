#pragma once

#include "engine/world/kestrune_player_control.h"
#include "engine/world/kestrune_walk_map.h"

class cKestruneMeshAnimation;
class cKestruneParticlesDiver;

// The diver: swims over the walk map like a walker (never running, with no
// stairs) a little above its floor, with a swim cycle and bubbles rising from
// the head.
class cKestrunePlayerControlDiver : public cKestrunePlayerControl {
public:
    static constexpr std::uint32_t kNameSize = 64;
    static constexpr std::int32_t kBubbleParticles = 100;
    static constexpr float kHover = 0.9f;

    explicit cKestrunePlayerControlDiver(cKestruneCharacter* owner);
    ~cKestrunePlayerControlDiver() override;

    // names[0]: the swim cycle.
    void Setup(const cString* names) override;
    void Update() override;
    void Submit(DynArray<RenderQueueEntry>& queue) override;
    void WalkTo(float x, float y, float z, float dirX, float dirZ) override;
    void SetArrivalEvent(cKestruneScript* script, const cString& name, cKestruneHotspot* hotspot) override;
    float GetHeight(float x, float z) override;
    void BindWalkMap() override;
    void StopCycles() override;
    void ResetWalk() override;
    void SaveBlock(int file) override;
    void LoadBlock(int file, SavegameBlockHeader& header) override;

    // Fields, in the engine's order.
    cKestruneWalkMap walkMap{this};
    cKestruneMeshAnimation* swimCycle = nullptr;
    cKestruneParticlesDiver* bubbles = nullptr;
    std::int32_t headBone = -1;

private:
    void LoadSwimCycle(const cString& name);
};
