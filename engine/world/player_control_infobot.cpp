#include "engine/world/player_control_infobot.h"

#include "engine/audio/kestrune_sound.h"
#include "engine/audio/sound_host.h"
#include "engine/world/controller_support.h"
#include "engine/world/kestrune_gameplay.h"
#include "engine/world/world_host.h"

#include <cmath>
#include <cstdlib>

namespace {

constexpr std::int32_t kMotorSound = 0;
constexpr float kDegree = 0.017453292f;
// Dialogue state 2 (a line on screen) counts only while it locks input.
constexpr std::int32_t kDialogueLineState = 2;
// Turns smaller than this are already done.
constexpr float kLeastTurn = 0.001f;

float Normalised(float degrees)
{
    float angle = std::fmod(degrees, 360.0f);
    if (angle < 0.0f)
        angle += 360.0f;
    return angle;
}

// The wait before another turn may start: 500 to 1500 ms.
std::uint32_t TurnPause()
{
    const float r = static_cast<float>(rand()) / 32767.0f;
    return static_cast<std::uint32_t>(500.0f - r * -1000.0f);
}

} // namespace

void cKestrunePlayerControlInfobot::Setup(const cString*)
{
    float position[3];
    GetPosition(position);
    // Silent until the first turn.
    motorSound.Play(kMotorSound, 0.0f, position, kMotorTag);
}

void cKestrunePlayerControlInfobot::Submit(DynArray<RenderQueueEntry>& queue) { SubmitOwnerModel(owner, queue); }

bool cKestrunePlayerControlInfobot::DialogueRunning() const
{
    const std::int32_t state = WorldHost().DialogueState();
    if (state == kDialogueLineState) {
        const cKestruneGameplay* const gameplay = cKestruneGameplay::Current();
        return gameplay && (gameplay->gameState & cKestruneGameplay::kInputLocked);
    }
    return state > 0;
}

void cKestrunePlayerControlInfobot::Face(float degrees) { SetRotation(0.0f, degrees * kDegree, 0.0f); }

void cKestrunePlayerControlInfobot::StartTurn(std::uint32_t now)
{
    float up[3], facing[3];
    GetAxes(up, facing);
    // A turn of b radians about y puts (cos b, 0, -sin b) in the first row.
    const float angle = Normalised(std::atan2(-facing[2], facing[0]) / kDegree);
    startAngle = angle;
    turnAmount = kHeading - angle;
    turnWaitStart = now;
    nextTurn = now + TurnPause();
    // Already on the heading: there is nothing to turn, and no rate to
    // divide by.
    if (std::fabs(turnAmount) < kLeastTurn) {
        turnAmount = 0.0f;
        startAngle = kHeading;
        return;
    }
    turnRate = std::fabs(kTurnSpeed / turnAmount);
    turnStart = now;
    turning = 1;
}

void cKestrunePlayerControlInfobot::Update()
{
    // The character's update animates the hovering model.
    idle = 1;
    const std::uint32_t now = WorldHost().FrameTime();
    const bool onHeading = std::fabs(Normalised(startAngle + turnAmount) - kHeading) < kLeastTurn;
    const bool waited = now - turnWaitStart >= nextTurn - turnWaitStart;
    if (!turning && !onHeading && DialogueRunning() && waited)
        StartTurn(now);

    float volume = 0.0f;
    float frequency = -1.0f;
    if (turning) {
        const float t = static_cast<float>(now - turnStart) * 0.001f * turnRate;
        if (t < 1.0f) {
            const float half = t < 0.5f ? t : 1.0f - t;
            const float eased = t < 0.5f ? 2.0f * t * t : 1.0f - 2.0f * (1.0f - t) * (1.0f - t);
            volume = 4.0f * half * half;
            frequency = half * half;
            Face(startAngle + turnAmount * eased);
        } else {
            turning = 0;
            Face(startAngle + turnAmount);
            turnWaitStart = now;
            nextTurn = now + TurnPause();
        }
    }
    cKestruneSound* const sound = cKestruneSound::Current();
    if (!sound)
        return;
    const std::int32_t motor = sound->FindChannel(kMotorTag);
    const float sfx = static_cast<float>(SoundHost().Settings().SFXVolume) / 255.0f;
    sound->SetChannelVolume(motor, sfx * volume);
    if (frequency >= 0.0f)
        sound->SetChannelFrequency(motor, frequency);
}
