// The mesh sprite's "MSP" savegame block and the control state it restores.
#include "engine/base/datafile_bytes.h"
#include "engine/render/kestrune_mesh_animation.h"
#include "engine/render/kestrune_mesh_sprite.h"
#include "engine/script/savegame_block.h"
#include "platform/crt/crt_io.h"
#include "platform/granny/granny.h"

#include <cstring>
#include <string>
#include <vector>

namespace {

void WriteControl(DatafileByteWriter& writer, granny_control* control)
{
    writer.U8(control != nullptr);
    writer.U8(control && GrannyControlIsActive(control) ? 1 : 0);
    writer.U16(0);
    writer.F32(control ? GrannyGetControlClock(control) : 0.0f);
    writer.F32(control ? GrannyGetControlWeight(control) : 0.0f);
    writer.I32(control ? GrannyGetControlLoopCount(control) : 0);
}

void WriteMatrix(DatafileByteWriter& writer, const D3DXMATRIX& m)
{
    for (int32_t r = 0; r < 4; ++r)
        for (int32_t c = 0; c < 4; ++c)
            writer.F32(m.m[r][c]);
}

D3DXMATRIX ReadMatrix(DatafileByteReader& reader)
{
    D3DXMATRIX m;
    for (int32_t r = 0; r < 4; ++r)
        for (int32_t c = 0; c < 4; ++c)
            m.m[r][c] = reader.F32();
    return m;
}

// Restores one control from its 16 saved bytes at offset.
void RestoreControl(granny_control* control, const uint8_t* saved)
{
    if (!control || saved[0] == 0)
        return;
    DatafileByteReader reader(saved, 16);
    reader.U8();
    const uint8_t active = reader.U8();
    reader.U16();
    const float clock = reader.F32();
    const float weight = reader.F32();
    const int32_t loops = reader.I32();
    GrannySetControlLoopCount(control, loops);
    GrannySetControlWeight(control, weight);
    GrannySetControlClock(control, clock);
    GrannySetControlActive(control, active);
}

} // namespace

void cKestruneMeshSprite::SaveBlock(int out) const
{
    std::vector<uint8_t> bytes;
    DatafileByteWriter writer(bytes);
    WriteControl(writer, mainControl);
    WriteControl(writer, secondControl);
    WriteControl(writer, baseControl);
    writer.U8(animation != nullptr);
    writer.U8(0);
    writer.U16(0);
    WriteMatrix(writer, world);
    WriteMatrix(writer, linkLocal);
    writer.I32(parentBone);
    for (float v : position)
        writer.F32(v);
    writer.U8(noShadow);
    writer.U8(cached);
    writer.U16(0);
    writer.I32(shadowMode);
    WriteSavegameBlockHeader(out, "MSP", name.GetText(), kBlockSize);
    _write(out, bytes.data(), static_cast<unsigned>(bytes.size()));
    if (animation)
        animation->SaveBlock(out);
}

void cKestruneMeshSprite::LoadBlock(SavegameBlockHeader& header, int in)
{
    if (!CheckSavegameBlockTag(header, "MSP"))
        return;
    std::memset(savedState, 0, sizeof savedState);
    _read(in, savedState, sizeof savedState);
    Load(cString(std::string(header.name, strnlen(header.name, sizeof header.name)).c_str()));

    DatafileByteReader reader(savedState, sizeof savedState);
    reader.Take(48);
    const uint8_t animationSaved = reader.U8();
    reader.Take(3);
    world = ReadMatrix(reader);
    linkLocal = ReadMatrix(reader);
    parentBone = reader.I32();
    for (float& v : position)
        v = reader.F32();
    noShadow = reader.U8();
    reader.U8();
    reader.U16();
    shadowMode = reader.I32();
    cached = 0;

    ReadSavegameBlockHeader(in, header);
    if (!animationSaved || std::strncmp(header.tag, "MAN", 3) != 0)
        return;
    previousBaseAnimation = baseAnimation;
    baseAnimation = nullptr;
    delete animation;
    animation = new cKestruneMeshAnimation(this, 0);
    animation->LoadBlock(header, in, 1);
    GrannyFreeControl(baseControl);
    baseControl = nullptr;
    baseAnimation = animation->grannyAnimation;
    if (baseAnimation)
        baseControl = PlayTrackGroup(baseAnimation, bodyMask);
}

void cKestruneMeshSprite::RestoreControlState()
{
    RestoreControl(mainControl, savedState);
    RestoreControl(secondControl, savedState + 16);
    RestoreControl(baseControl, savedState + 32);
}
