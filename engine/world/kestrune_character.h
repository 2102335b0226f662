#pragma once

#include "engine/base/dynarray.h"
#include "engine/base/kestrune_string.h"
#include "engine/base/object_handles.h"
#include "engine/script/script_identity.h"

#include <cstdint>

class cKestruneMeshSprite;
class cKestruneMeshAnimation;
class cKestrunePlayerControl;
class cKestruneScript;
struct SavegameBlockHeader;

struct IdleAnimation {
    cString name;
    std::int32_t weight = 0;
};

// A Granny-animated figure of a scene: the player character, a figure a
// script creates, or the messenger's contact. It owns its model, an object
// hung on one of the model's bones, the controller that moves it, two
// one-shot animation slots with script events, weighted idle animations and
// what its hotspot shows.
class cKestruneCharacter {
public:
    static constexpr std::uint32_t kPayloadSize = 268;
    static constexpr std::uint32_t kDefaultSpeechColor = 0xFFFFFF40;
    static constexpr std::uint32_t kIdleEntrySize = 68;

    cKestruneCharacter();
    ~cKestruneCharacter();
    cKestruneCharacter(const cKestruneCharacter&) = delete;
    cKestruneCharacter& operator=(const cKestruneCharacter&) = delete;

    void StartIdleTimer();
    void UpdateAnimation();
    void PlaySlot1(const cString& name, std::uint32_t flags);
    void PlaySlot2(const cString& name, std::uint32_t flags);
    // Angles in radians.
    void LinkObject(const cString& name, const cString& bone, float x, float y, float z, float rx, float ry, float rz);
    void UnlinkObject();
    void SetPathfinderDest(float x, float z, float angle);
    // Deletes the current controller and takes this one (never null).
    void ReplaceController(cKestrunePlayerControl* replacement);
    // Stops, frees and deletes the slot-1 animation and clears the one-shot flag.
    void DropSlot1();
    // Makes a hotspot bound to this character in the current scene when it
    // has none (enabled characters can be clicked).
    void EnsureHotspot();

    void SaveBlock(int file, const char* name) const;
    // Reads the CHR block and its nested blocks; leaves the header of the
    // block after them in header. False when the tag is wrong (reported) or
    // the file is short. A throw-away reader (an unmatched block) passes
    // registerHotspot false, so it leaves the scene's hotspots alone.
    bool LoadBlock(int file, SavegameBlockHeader& header, bool registerHotspot = true);

    ObjectHandle Handle() const { return entry_.Handle(); }

    // Takes the character out of the game at once (hidden, no hotspot of the
    // scene names it, its handle resolves to nothing) and deletes it at the
    // frame's safe point, so an update or event of its own that is still
    // running can finish.
    static void Retire(cKestruneCharacter* character);

    // Fields, in the engine's order.
    std::int32_t hotspotIndex = -1;
    cKestruneMeshSprite* model = nullptr;
    cKestruneMeshSprite* linkedObject = nullptr;
    cKestrunePlayerControl* controller = nullptr;
    cKestruneMeshAnimation* slot1 = nullptr;
    cKestruneMeshAnimation* slot2 = nullptr;
    std::uint8_t enabled = 0;
    std::uint8_t visible = 0;
    float destX = 0.0f;
    float destZ = 0.0f;
    float destDirX = 0.0f;
    float destDirZ = 0.0f;
    DynArray<IdleAnimation> idleAnimations;
    DynArray<IdleAnimation> secondAnimations;
    float idleMin = 5.0f;
    float idleMax = 10.0f;
    float secondMin = 5.0f;
    float secondMax = 10.0f;
    std::uint32_t idleTimerStart = 0;
    float idleRate = 0.0f;
    std::uint8_t spare = 0;
    std::uint8_t oneShotPlaying = 0;
    std::uint32_t speechColor = kDefaultSpeechColor;
    cString slot1EventName;
    cScriptRef slot1EventScript;
    cString slot2EventName;
    cScriptRef slot2EventScript;
    cString displayName;
    std::int32_t hotspotCursor = 0;

private:
    void ForgetHotspots();
    void EndEasedOutSlot1();
    void ReleaseLinkedObject();
    void RunEvent(cString& name, cScriptRef& script);
    void PickIdleAnimation(float& interval);

    cObjectHandleEntry entry_;
};

// Whether "<name>.gr2" exists in the file system.
bool AnimationResourceExists(const cString& name);
// Writes "Handled exception in <where>.\n" to the run log.
void LogHandledException(const char* where);
