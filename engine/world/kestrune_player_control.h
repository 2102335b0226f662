#pragma once

#include "engine/base/dynarray.h"
#include "engine/render/render_queue.h"

#include <cstdint>

class cKestruneCharacter;
class cKestruneHotspot;
class cKestruneScript;
class cString;
struct SavegameBlockHeader;

// How a character's model is placed, turned, moved and animated while it
// moves. Gameplay input, hotspots and the cCharacter natives drive characters
// only through these operations; each kind of controller has a type id that
// savegames keep. The base answers do nothing, except the five placement
// operations, which every kind forwards to the owner's model.
class cKestrunePlayerControl {
public:
    static constexpr std::int32_t kDefault = 1;
    static constexpr std::int32_t kZodiac = 2;
    static constexpr std::int32_t kDiver = 3;
    static constexpr std::int32_t kInfobot = 4;

    cKestrunePlayerControl(cKestruneCharacter* owner, std::int32_t type) : owner(owner), typeId(type) {}
    virtual ~cKestrunePlayerControl() = default;
    cKestrunePlayerControl(const cKestrunePlayerControl&) = delete;
    cKestrunePlayerControl& operator=(const cKestrunePlayerControl&) = delete;

    virtual void Update() {}
    virtual void Submit(DynArray<RenderQueueEntry>&) {}
    virtual void WalkTo(float, float, float, float, float) {}
    virtual void SetArrivalEvent(cKestruneScript*, const cString&, cKestruneHotspot*) {}
    // Forgets an arrival event that has not run yet (the scene it belongs to
    // is left); the walk itself goes on.
    virtual void DropArrivalEvent();
    virtual void SetRun(std::uint8_t) {}
    virtual float GetHeight(float, float) { return 0.0f; }
    virtual std::uint8_t IsOnWalkMap(float, float) { return 0; }
    virtual void BindWalkMap() {}
    virtual void StopCycles() {}
    virtual void ResetWalk() {}
    virtual void SetPosition(float x, float y, float z);
    virtual void GetPosition(float out[3]);
    virtual void SetRotation(float a, float b, float c);
    virtual void SetOrientation(float upX, float upY, float upZ, float forwardX, float forwardY, float forwardZ);
    // out1: the model's up row; out2: its facing row (the world matrix's
    // second and first rows).
    virtual void GetAxes(float out1[3], float out2[3]);
    virtual void SaveBlock(int) {}
    virtual void LoadBlock(int, SavegameBlockHeader&) {}
    // The set-up natives' names (up to three) for a newly installed controller.
    virtual void Setup(const cString*) {}

    // Fields, in the engine's order.
    cKestruneCharacter* owner = nullptr;
    std::uint8_t idle = 0;
    std::uint8_t walking = 0;
    std::int32_t typeId = 0;
};

// A new controller of the kind a savegame names, owned by owner; an unknown
// type id gives the default kind, so a character never lacks a controller.
cKestrunePlayerControl* CreatePlayerControl(std::int32_t type, cKestruneCharacter* owner);
