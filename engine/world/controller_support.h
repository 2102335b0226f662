#pragma once

#include "engine/base/dynarray.h"
#include "engine/render/render_queue.h"
#include "engine/script/script_identity.h"

#include <cstdint>
#include <vector>

class cKestruneCharacter;
class cKestruneHotspot;
class cKestruneMeshAnimation;
class cKestruneMeshSprite;
class cKestruneScript;
class cString;
struct SavegameBlockHeader;

// Pieces the kinds of player controller share: their looping cycles, the
// drawing of the owner's model, arrival events and the reading of their
// "PCR" payloads.

// A looping cycle (eased in and out) loaded from "<name>.gr2" on model, or
// null when the name is empty or the resource is missing.
cKestruneMeshAnimation* LoadLoopingCycle(cKestruneMeshSprite* model, const cString& name);
bool CyclePlaying(const cKestruneMeshAnimation* cycle);
void StopCycleIfPlaying(cKestruneMeshAnimation* cycle);
// The cycle's length in seconds; 0 without one.
float CycleDuration(const cKestruneMeshAnimation* cycle);
// The name a savegame keeps for a cycle: empty without one.
const char* CycleName(const cKestruneMeshAnimation* cycle);

// The owner's model and then its linked object, when the owner is visible.
void SubmitOwnerModel(const cKestruneCharacter* owner, DynArray<RenderQueueEntry>& queue);

// Runs an arrival event once: script, name and hotspot are cleared first; a
// hotspot still in the current scene becomes its event hotspot; a script no
// longer live runs nothing.
void RunArrivalEvent(cScriptRef& script, cString& name, cKestruneHotspot*& hotspot);
// The index of hotspot in the current scene's list, -1 when none or gone;
// and the hotspot at a saved index, null when the index is not in the list.
std::int32_t SceneHotspotIndex(const cKestruneHotspot* hotspot);
cKestruneHotspot* SceneHotspotAt(std::int32_t index);

// Far more path records than any walk plans: a "PCR" payload stating more
// is damaged.
constexpr std::uint32_t kMaxSavedPathRecords = 100000;

// Reads a "PCR" block's payload of at least minimum and at most limit bytes.
// A wrong tag, a stated length out of range or a short file is reported as a
// block mismatch and leaves an empty header, so the caller reads no further.
bool ReadControllerPayload(int file, SavegameBlockHeader& header, const char* blockName, std::uint32_t minimum,
                           std::uint32_t limit, std::vector<std::uint8_t>& payload);
