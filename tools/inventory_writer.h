#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace vls::tools {

// One project item: its name, and the ".image" bytes of its icon and cursor
// picture and its compiled script, packed into the entry "inventory".
struct InventoryItemDescription {
    std::string name;
    std::vector<std::uint8_t> icon;
    std::vector<std::uint8_t> cursor;
    std::vector<std::uint8_t> script;
};

// The packed entry and where each item's three parts start in it
// (offsets[0] icons, [1] cursor pictures, [2] scripts; one per item).
struct InventoryResource {
    std::vector<std::uint8_t> bytes;
    std::vector<std::uint32_t> offsets[3];
};

InventoryResource WriteInventoryResource(const std::vector<InventoryItemDescription>& items);

// Writes the item names and the three offset tables into a project
// resource's header (items past the 130 the header holds are left out).
void PutProjectItems(std::vector<std::uint8_t>& project, const std::vector<InventoryItemDescription>& items,
                     const InventoryResource& inventory);

// ".dialogue": the option count N, then the dialogue's compiled script.
std::vector<std::uint8_t> WriteDialogueResource(std::uint32_t optionCount, const std::vector<std::uint8_t>& script);

} // namespace vls::tools
