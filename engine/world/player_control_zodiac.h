#pragma once

#include "engine/base/kestrune_string.h"
#include "engine/world/controller_sounds.h"
#include "engine/world/kestrune_player_control.h"
#include "engine/script/script_identity.h"
#include "platform/granny/granny_types.h"

class cKestruneEnvironmentLayer;
class cKestruneMeshAnimation;
class cKestruneParticlesZodiac;

// The boat: steers straight for the point clicked last on the water,
// speeding up and coasting to a stop, blends two turn animations by how hard
// it turns, trails a wake and drives an idle and a running engine sound.
class cKestrunePlayerControlZodiac : public cKestrunePlayerControl {
public:
    static constexpr std::uint32_t kPayloadSize = 284;
    static constexpr std::int32_t kIdleEngineTag = 100;
    static constexpr std::int32_t kRunningEngineTag = 101;
    static constexpr std::int32_t kWakeParticles = 200;
    static constexpr std::int32_t kPlayerHotspotCursor = 10;

    explicit cKestrunePlayerControlZodiac(cKestruneCharacter* owner);
    ~cKestrunePlayerControlZodiac() override;

    // names: turn animations A and B, and the boat's hotspot name.
    void Setup(const cString* names) override;
    void Update() override;
    void Submit(DynArray<RenderQueueEntry>& queue) override;
    void WalkTo(float x, float y, float z, float dirX, float dirZ) override;
    void SetArrivalEvent(cKestruneScript* script, const cString& name, cKestruneHotspot* hotspot) override;
    // Keeps the boat's "boot" mark: a boat that already left on it goes on.
    void DropArrivalEvent() override;
    float GetHeight(float x, float z) override;
    void BindWalkMap() override;
    void SetRotation(float a, float b, float c) override;
    void SaveBlock(int file) override;
    void LoadBlock(int file, SavegameBlockHeader& header) override;

    // Fields, in the engine's order.
    cKestruneMeshAnimation* turnA = nullptr;
    granny_control* controlA = nullptr;
    cKestruneMeshAnimation* turnB = nullptr;
    granny_control* controlB = nullptr;
    float target[3] = {};
    float speed = 0.0f;
    std::uint8_t turnSide = 0;
    std::uint8_t boatEvent = 0;
    DynArray<cKestruneEnvironmentLayer*> walkLayers;
    cString eventName;
    cScriptRef eventScript;
    cKestruneHotspot* eventHotspot = nullptr;
    cKestruneParticlesZodiac* wake = nullptr;
    // The idle and running engine sounds, stopped with the controller.
    cControllerSounds engineSounds;

private:
    void LoadTurns(const cString& a, const cString& b);
    void ReleaseTurns();
    bool OnWater(float x, float z);
    void Approach(float seconds);
    void Steer(float seconds);
    void UpdateEngineSounds();
};
