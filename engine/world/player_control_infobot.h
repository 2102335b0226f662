#pragma once

#include "engine/world/controller_sounds.h"
#include "engine/world/kestrune_player_control.h"

// The hovering robot: stays where it is put and, while a dialogue runs,
// turns to face its fixed heading in one eased turn with a motor sound.
class cKestrunePlayerControlInfobot : public cKestrunePlayerControl {
public:
    static constexpr float kHeading = 140.0f;          // degrees
    static constexpr float kTurnSpeed = 50.0f;         // degrees a second
    static constexpr std::int32_t kMotorTag = 100;

    explicit cKestrunePlayerControlInfobot(cKestruneCharacter* owner) : cKestrunePlayerControl(owner, kInfobot) {}

    void Setup(const cString* names) override;
    void Update() override;
    void Submit(DynArray<RenderQueueEntry>& queue) override;
    void SaveBlock(int file) override;
    void LoadBlock(int file, SavegameBlockHeader& header) override;

    // Fields, in the engine's order.
    std::uint8_t turning = 0;
    std::uint32_t turnStart = 0;
    std::uint32_t nextTurn = 0;
    // When the wait for nextTurn began: the wait is over once the time since
    // then reaches it, however far the tick clock has run (a signed
    // difference from a next-turn time of 0 stays negative for 24.9 days
    // once the clock is past 2^31 ms).
    std::uint32_t turnWaitStart = 0;
    float turnRate = 0.0f;
    float startAngle = 0.0f;
    float turnAmount = 0.0f;
    // The motor sound, stopped with the controller.
    cControllerSounds motorSound;

private:
    bool DialogueRunning() const;
    void StartTurn(std::uint32_t now);
    void Face(float degrees);
};
