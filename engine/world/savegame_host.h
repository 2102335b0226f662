#pragma once

#include <cstdint>

class cKestruneScene;
struct SavegameBlockHeader;

// The state-keeping members whose blocks a savegame holds, in file order
// after the two script blocks. Their effects ("PAR") follow the scene.
enum class SavegameOwner { Sound, Player, Dialogue, Messenger, Inventory, Sprites, Timers, Scene };

constexpr int kSavegameOwnerCount = 8;
// The tag of each owner's block.
const char* SavegameOwnerTag(SavegameOwner owner);

// What the savegame writer and reader ask of the members that own blocks and
// of the engine's scene switch. Each owner's block is its own business: the
// engine's host hands the call to the member; a member that is absent writes
// nothing, and on reading its block is passed over (the base answers).
class cKestruneSavegameHost {
public:
    virtual ~cKestruneSavegameHost() = default;

    virtual void SaveBlock(SavegameOwner owner, int file);
    // header holds the owner's block, already read; the next header is left
    // in it. The base answer passes over the block and the blocks nested in it.
    virtual void LoadBlock(SavegameOwner owner, int file, SavegameBlockHeader& header);

    // The graphics object list: its length, the blocks of its objects in
    // order, and one effect made from a "PAR" block and appended.
    virtual std::uint32_t EffectCount();
    virtual void SaveEffects(int file);
    virtual void LoadEffect(int file, SavegameBlockHeader& header);

    // The scene a savegame names, opened and loaded but not entered; null
    // (with nothing changed) when it cannot be opened or loaded.
    virtual cKestruneScene* PrepareScene(const char* fileName);
    // Leaves and deletes the current and any pending scene without their
    // scripts, and enters scene the same way; the frame clock ticks once.
    virtual void EnterRestoredScene(cKestruneScene* scene);
    virtual const char* PreviousSceneName();
    virtual void SetPreviousSceneName(const char* name);
};

// Passes over a block and whatever is nested in it, leaving the next
// top-level header in header (zeroed at the end of the file).
void SkipSavegameBlock(int file, SavegameBlockHeader& header);

// Null restores the base host.
void SetSavegameHost(cKestruneSavegameHost* host);
cKestruneSavegameHost& SavegameHost();
