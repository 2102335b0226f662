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
// nothing, and on reading its block is passed over.
class cKestruneSavegameHost {
public:
    virtual ~cKestruneSavegameHost() = default;

    virtual void SaveBlock(SavegameOwner owner, int file) = 0;
    // header holds the owner's block, already read; the next header is left
    // in it.
    virtual void LoadBlock(SavegameOwner owner, int file, SavegameBlockHeader& header) = 0;

    // The graphics object list: its length, the blocks of its objects in
    // order, and one effect made from a "PAR" block and appended.
    virtual std::uint32_t EffectCount() = 0;
    virtual void SaveEffects(int file) = 0;
    virtual void LoadEffect(int file, SavegameBlockHeader& header) = 0;

    // The scene a savegame names, opened and loaded but not entered; null
    // (with nothing changed) when it cannot be opened or loaded.
    // Kept: opening and loading a scene is this folder's own work.
    virtual cKestruneScene* PrepareScene(const char* fileName);
    // Leaves and deletes the current and any pending scene without their
    // scripts, and enters scene the same way; the frame clock ticks once.
    virtual void EnterRestoredScene(cKestruneScene* scene) = 0;
    virtual const char* PreviousSceneName() = 0;
    virtual void SetPreviousSceneName(const char* name) = 0;
};

// The answers of an engine with none of the owners above: every block is
// passed over. What the reader sees before the engine installs its host, and
// the base of test fakes.
class cKestruneNullSavegameHost : public cKestruneSavegameHost {
public:
    void SaveBlock(SavegameOwner owner, int file) override;
    void LoadBlock(SavegameOwner owner, int file, SavegameBlockHeader& header) override;
    std::uint32_t EffectCount() override;
    void SaveEffects(int file) override;
    void LoadEffect(int file, SavegameBlockHeader& header) override;
    void EnterRestoredScene(cKestruneScene* scene) override;
    const char* PreviousSceneName() override;
    void SetPreviousSceneName(const char* name) override;
};

// Passes over a block and whatever is nested in it, leaving the next
// top-level header in header (zeroed at the end of the file).
void SkipSavegameBlock(int file, SavegameBlockHeader& header);

// Null restores the null host (the answers of an engine without members).
void SetSavegameHost(cKestruneSavegameHost* host);
cKestruneSavegameHost& SavegameHost();
