#pragma once

#include "engine/base/kestrune_string.h"
#include "engine/world/kestrune_player_control.h"
#include "engine/world/kestrune_walk_map.h"

class cKestruneEnvironmentLayer;
class cKestruneMeshAnimation;

// The walking controller: moves its character over the scene's walk map with
// walk and run cycles, climbs stairs with their own cycles chosen by the
// stairs' rise, and plays footsteps by the cycles' progress.
class cKestrunePlayerControlDefault : public cKestrunePlayerControl {
public:
    static constexpr std::uint32_t kPayloadSize = 516;
    enum StairCycle { kUpShallow, kUpMedium, kUpSteep, kDownShallow, kDownMedium, kDownSteep, kStairCycleCount };

    explicit cKestrunePlayerControlDefault(cKestruneCharacter* owner);
    ~cKestrunePlayerControlDefault() override;

    void Update() override;
    void Submit(DynArray<RenderQueueEntry>& queue) override;
    void WalkTo(float x, float y, float z, float dirX, float dirZ) override;
    void SetArrivalEvent(cKestruneScript* script, const cString& name, cKestruneHotspot* hotspot) override;
    void SetRun(std::uint8_t run) override;
    float GetHeight(float x, float z) override;
    std::uint8_t IsOnWalkMap(float x, float z) override;
    void BindWalkMap() override;
    void StopCycles() override;
    void ResetWalk() override;
    void SaveBlock(int file) override;
    void LoadBlock(int file, SavegameBlockHeader& header) override;

    void SetWalkNRunCycle(const cString& walk, const cString& run);
    void SetStairCycles(const cString names[kStairCycleCount]);
    void SetWalkSpeedFactor(float factor) { walkSpeedFactor = factor; }

    // Fields, in the engine's order.
    cKestruneWalkMap walkMap{this};
    cKestruneMeshAnimation* walkCycle = nullptr;
    cKestruneMeshAnimation* runCycle = nullptr;
    cKestruneMeshAnimation* stairCycle = nullptr;
    cKestruneMeshAnimation* stairCycles[kStairCycleCount] = {};
    DynArray<cKestruneEnvironmentLayer*> stairLayers;
    std::uint8_t onStairs = 0;
    std::uint8_t stairsUp = 0;
    float stairSpeedFactor = 1.0f;
    float stepTimer = 0.0f;
    float walkSpeedFactor = 1.0f;
    float walkCycleLength = 1.0f;
    float runCycleLength = 1.0f;
    // Footsteps played so far (the sound may be absent).
    std::uint32_t footsteps = 0;

private:
    void BindIfNeeded();
    cKestruneEnvironmentLayer* StairAt(float x, float z) const;
    void LeaveStairs();
    void EnterStairs(const cKestruneEnvironmentLayer& stairs, float y, float y0);
    float PoseOnStairs(const cKestruneEnvironmentLayer& stairs, float y, float y0);
    float AdvanceCycles(float frameDelta);
    void PlayFootstep();
};
