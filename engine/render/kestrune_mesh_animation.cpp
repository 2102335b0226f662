#include "engine/render/kestrune_mesh_animation.h"

#include "engine/base/datafile_bytes.h"
#include "engine/base/engine_link.h"
#include "engine/base/kestrune_file_system.h"
#include "engine/render/kestrune_mesh_sprite.h"
#include "engine/render/sprite_world.h"
#include "engine/script/savegame_block.h"
#include "platform/crt/crt_io.h"
#include "platform/granny/granny.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <exception>
#include <string>
#include <vector>

cKestruneMeshAnimation::cKestruneMeshAnimation(cKestruneMeshSprite* owner, uint32_t flags)
    : owner(owner), flags(flags)
{
}

cKestruneMeshAnimation::~cKestruneMeshAnimation()
{
    // A control of this file may still be easing out on the owner, so the
    // file lives on with the owner, which frees it when it dies.
    if (file && owner)
        owner->retiredAnimations.Add(RetiredAnimation{control, file});
    else
        GrannyFreeFile(file);
}

int32_t cKestruneMeshAnimation::Load(const cString& animationName)
{
    int32_t result = -1;
    cKestruneFileSystem* files = cKestruneFileSystem::Current();
    const cString fileName = animationName + ".gr2";
    if (files && files->Exists(fileName.GetText())) {
        const int32_t slot = files->Open(fileName.GetText());
        if (slot > 0) {
            result = Read(slot);
            files->Close(slot);
        }
    }
    name = animationName;
    return result;
}

int32_t cKestruneMeshAnimation::Read(int32_t slot)
{
    try {
        cKestruneFileSystem* files = cKestruneFileSystem::Current();
        const int32_t size = files ? files->GetSize(slot) : 0;
        void* buffer = size > 0 ? files->ReadAlloc(slot, size) : nullptr;
        granny_file* loaded = buffer ? GrannyReadEntireFileFromMemory(size, buffer) : nullptr;
        std::free(buffer);
        granny_file_info* info = loaded ? GrannyGetFileInfo(loaded) : nullptr;
        if (!info || info->AnimationCount <= 0 || !info->Animations[0]) {
            GrannyFreeFile(loaded);
            ReportError("meshanimation", "", 1, "File reading failed. Code: (%08x)", 0u);
            return -1;
        }
        // A second read replaces the first; its file stays with the owner
        // as long as a control of it may run.
        if (file && owner)
            owner->retiredAnimations.Add(RetiredAnimation{control, file});
        else
            GrannyFreeFile(file);
        file = loaded;
        fileInfo = info;
        grannyAnimation = info->Animations[0];
    } catch (const std::exception&) {
        std::printf("Handled exception in cKestruneMeshAnimation::Read.\n");
    }
    return 0;
}

void cKestruneMeshAnimation::SnapToGround()
{
    float height = 0.0f;
    if (SpriteWorld().PlayerHeight(owner->position[0], owner->position[2], height)) {
        owner->position[1] = height;
        owner->RefreshPosition();
    }
}

int32_t cKestruneMeshAnimation::Play(float ease)
{
    if (!grannyAnimation || !owner)
        return -1;
    try {
        if (flags & kSecondSlot) {
            GrannyFreeControl(owner->secondControl);
            owner->secondControl = owner->PlayTrackGroup(grannyAnimation, owner->headMask);
            // Recorded so the file is kept while the head plays it.
            control = owner->secondControl;
            GrannyCompleteControlAt(owner->secondControl, GrannyGetControlClock(owner->secondControl) +
                                                              GrannyGetControlLocalDuration(owner->secondControl));
            return 0;
        }
        GrannyFreeControl(owner->mainControl);
        owner->mainControl = owner->PlayTrackGroup(grannyAnimation, owner->bodyMask);
        control = owner->mainControl;
        granny_control* main = owner->mainControl;
        if (loop == 0)
            GrannyCompleteControlAt(main, GrannyGetControlClock(main) + GrannyGetControlLocalDuration(main));
        else
            GrannySetControlLoopCount(main, 0);
        if (!(flags & kEaseIn)) {
            GrannyFreeControl(owner->fadingControl);
            owner->fadingControl = nullptr;
            if (owner->baseControl)
                GrannySetControlWeight(owner->baseControl, 0.0f);
            GrannySetControlWeight(main, 1.0f);
        } else {
            GrannyEaseControlIn(main, ease, false);
            if (owner->baseControl)
                GrannyEaseControlOut(owner->baseControl, ease);
        }
        if ((flags & kEaseOut) && loop == 0)
            endTime = SpriteWorld().FrameSeconds() + grannyAnimation->Duration - 0.2f;
        if (flags & kBackwards) {
            GrannySetControlSpeed(main, -1.0f);
            GrannySetControlRawLocalClock(main, GrannyGetControlLocalDuration(main));
        }
        if (flags & kSnapOnPlay)
            SnapToGround();
        playing = 1;
    } catch (const std::exception&) {
        std::printf("Handled exception in cKestruneMeshAnimation::Play.\n");
    }
    return 0;
}

int32_t cKestruneMeshAnimation::Stop(float ease)
{
    if (!grannyAnimation || !owner)
        return -1;
    try {
        endTime = 0.0f;
        playing = 0;
        if (flags & kSecondSlot)
            return Free();
        if (!owner->mainControl)
            return 0;
        GrannyFreeControl(owner->baseControl);
        owner->baseControl = owner->PlayTrackGroup(owner->baseAnimation, owner->bodyMask);
        GrannySetControlLoopCount(owner->baseControl, 0);
        GrannySetControlCompletionCheckFlag(owner->baseControl, false);
        if (!(flags & kEaseOut)) {
            Free();
        } else {
            GrannyFreeControl(owner->fadingControl);
            owner->fadingControl = owner->mainControl;
            owner->mainControl = nullptr;
            GrannyEaseControlIn(owner->baseControl, ease, false);
            const float easeEnd = GrannyEaseControlOut(owner->fadingControl, ease);
            GrannyCompleteControlAt(owner->fadingControl, easeEnd + 0.1f);
        }
        if (flags & kSnapOnStop)
            SnapToGround();
    } catch (const std::exception&) {
        std::printf("Handled exception in cKestruneMeshAnimation::Stop.\n");
    }
    return 0;
}

int32_t cKestruneMeshAnimation::Free()
{
    if (!grannyAnimation || !owner)
        return -1;
    try {
        if (playing) {
            flags &= ~kEaseOut;
            return Stop(0.3f);
        }
        if (flags & kSecondSlot) {
            GrannyFreeControl(owner->secondControl);
            owner->secondControl = nullptr;
        } else {
            GrannyFreeControl(owner->mainControl);
            owner->mainControl = nullptr;
            if (owner->baseControl)
                GrannySetControlWeight(owner->baseControl, 1.0f);
        }
    } catch (const std::exception&) {
        std::printf("Handled exception in cKestruneMeshAnimation::Free.\n");
    }
    return 0;
}

void cKestruneMeshAnimation::SaveBlock(int out) const
{
    std::vector<uint8_t> bytes;
    DatafileByteWriter writer(bytes);
    writer.I32(playing);
    writer.I32(loop);
    writer.U32(flags);
    writer.F32(endTime - SpriteWorld().FrameSeconds());
    WriteSavegameBlockHeader(out, "MAN", name.GetText(), kBlockSize);
    _write(out, bytes.data(), static_cast<unsigned>(bytes.size()));
}

void cKestruneMeshAnimation::LoadBlock(SavegameBlockHeader& header, int in, uint8_t restart)
{
    if (!CheckSavegameBlockTag(header, "MAN"))
        return;
    uint8_t bytes[kBlockSize] = {};
    _read(in, bytes, sizeof bytes);
    DatafileByteReader reader(bytes, sizeof bytes);
    const int32_t storedPlaying = reader.I32();
    const int32_t storedLoop = reader.I32();
    const uint32_t storedFlags = reader.U32();
    const float secondsLeft = reader.F32();
    Load(cString(std::string(header.name, strnlen(header.name, sizeof header.name)).c_str()));
    flags = storedFlags;
    loop = storedLoop;
    playing = 0;
    if (storedPlaying && restart)
        Play(0.0f);
    // Only a playing, play-once animation on the body with ease-out has an
    // end time; any other stays unset rather than becoming the clock's time.
    const bool endTimeSet = storedPlaying && storedLoop == 0 && (storedFlags & kEaseOut) && !(storedFlags & kSecondSlot);
    endTime = endTimeSet ? secondsLeft + SpriteWorld().FrameSeconds() : 0.0f;
    ReadSavegameBlockHeader(in, header);
}
