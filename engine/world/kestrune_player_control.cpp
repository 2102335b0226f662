#include "engine/world/kestrune_player_control.h"

#include "engine/render/kestrune_mesh_sprite.h"
#include "engine/world/kestrune_character.h"
#include "engine/world/player_control_default.h"
#include "engine/world/player_control_diver.h"
#include "engine/world/player_control_infobot.h"
#include "engine/world/player_control_zodiac.h"

void cKestrunePlayerControl::DropArrivalEvent() { SetArrivalEvent(nullptr, cString(""), nullptr); }

void cKestrunePlayerControl::SetPosition(float x, float y, float z)
{
    if (owner && owner->model)
        owner->model->SetPosition(x, y, z);
}

void cKestrunePlayerControl::GetPosition(float out[3])
{
    out[0] = out[1] = out[2] = 0.0f;
    if (owner && owner->model)
        owner->model->GetPosition(&out[0], &out[1], &out[2]);
}

void cKestrunePlayerControl::SetRotation(float a, float b, float c)
{
    if (owner && owner->model)
        owner->model->SetRotation(a, b, c);
}

void cKestrunePlayerControl::SetOrientation(float upX, float upY, float upZ, float forwardX, float forwardY,
                                            float forwardZ)
{
    if (owner && owner->model)
        owner->model->SetOrientation(upX, upY, upZ, forwardX, forwardY, forwardZ);
}

void cKestrunePlayerControl::GetAxes(float out1[3], float out2[3])
{
    D3DXVECTOR3 up(0.0f, 1.0f, 0.0f), facing(1.0f, 0.0f, 0.0f);
    if (owner && owner->model)
        owner->model->GetAxes(&up, &facing);
    out1[0] = up.x;
    out1[1] = up.y;
    out1[2] = up.z;
    out2[0] = facing.x;
    out2[1] = facing.y;
    out2[2] = facing.z;
}

cKestrunePlayerControl* CreatePlayerControl(std::int32_t type, cKestruneCharacter* owner)
{
    switch (type) {
    case cKestrunePlayerControl::kZodiac: return new cKestrunePlayerControlZodiac(owner);
    case cKestrunePlayerControl::kDiver: return new cKestrunePlayerControlDiver(owner);
    case cKestrunePlayerControl::kInfobot: return new cKestrunePlayerControlInfobot(owner);
    default: return new cKestrunePlayerControlDefault(owner);
    }
}
