#pragma once

// What the end-to-end tests read in the engine's savegames: the blocks in
// file order, the game-wide globals of the info block, the inventory list
// and the player's place.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace vls::e2e {

struct SavedBlock {
    std::string tag;
    std::string name;
    std::vector<std::uint8_t> payload;
    // A character's idle animation entries, which follow its payload.
    std::vector<std::uint8_t> trailing;
};

// The blocks after the file's own header; empty when the bytes do not hold
// a whole savegame.
std::vector<SavedBlock> ReadBlocks(const std::vector<std::uint8_t>& save);

// The integer of the game-wide global of that name.
std::optional<int> GlobalInteger(const std::vector<std::uint8_t>& save, const std::string& name);

// The item indices of the inventory, most recent first.
std::vector<int> InventoryItems(const std::vector<std::uint8_t>& save);

// The x and z of the player's model, and of the model of the character
// saved under `name` (its script variable's name).
std::optional<std::pair<float, float>> PlayerPlace(const std::vector<std::uint8_t>& save);
std::optional<std::pair<float, float>> CharacterPlace(const std::vector<std::uint8_t>& save, const std::string& name);
// The height of the player's model.
std::optional<float> PlayerHeight(const std::vector<std::uint8_t>& save);

// The blocks that do not change while time passes (everything but sound
// positions, animation clocks, walks in progress, overlay clocks, whether an
// idle animation plays, the time left on room timers, and the saving time),
// as text and bytes.
std::vector<std::string> SteadyBlocks(const std::vector<std::uint8_t>& save);

// Empty when two saves hold the same steady blocks; else which one differs.
std::string SteadyDifference(const std::vector<std::uint8_t>& first, const std::vector<std::uint8_t>& second);

} // namespace vls::e2e
