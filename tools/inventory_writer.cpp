#include "tools/inventory_writer.h"

#include "engine/base/datafile_bytes.h"
#include "engine/world/kestrune_gameplay.h"

#include <algorithm>
#include <cstring>

namespace vls::tools {

namespace {

constexpr std::size_t kItemNamesAt = 131;
constexpr std::size_t kItemTablesAt = 8452;
constexpr std::size_t kItemNameSize = 64;

void PutU32(std::vector<std::uint8_t>& bytes, std::size_t at, std::uint32_t value)
{
    for (int i = 0; i < 4; ++i)
        bytes[at + i] = static_cast<std::uint8_t>(value >> (8 * i));
}

} // namespace

InventoryResource WriteInventoryResource(const std::vector<InventoryItemDescription>& items)
{
    InventoryResource out;
    for (const InventoryItemDescription& item : items) {
        const std::vector<std::uint8_t>* parts[3] = {&item.icon, &item.cursor, &item.script};
        for (int part = 0; part < 3; ++part) {
            out.offsets[part].push_back(static_cast<std::uint32_t>(out.bytes.size()));
            out.bytes.insert(out.bytes.end(), parts[part]->begin(), parts[part]->end());
        }
    }
    return out;
}

void PutProjectItems(std::vector<std::uint8_t>& project, const std::vector<InventoryItemDescription>& items,
                     const InventoryResource& inventory)
{
    if (project.size() < kProjectHeaderSize)
        project.resize(kProjectHeaderSize, 0);
    const std::size_t count = std::min<std::size_t>(items.size(), kProjectItemCount);
    for (std::size_t i = 0; i < count; ++i) {
        std::uint8_t* const field = project.data() + kItemNamesAt + i * kItemNameSize;
        std::memset(field, 0, kItemNameSize);
        std::memcpy(field, items[i].name.data(), std::min(items[i].name.size(), kItemNameSize));
        for (std::size_t part = 0; part < 3; ++part)
            PutU32(project, kItemTablesAt + (part * kProjectItemCount + i) * 4, inventory.offsets[part][i]);
    }
}

std::vector<std::uint8_t> WriteDialogueResource(std::uint32_t optionCount, const std::vector<std::uint8_t>& script)
{
    std::vector<std::uint8_t> out;
    DatafileByteWriter writer(out);
    writer.U32(optionCount);
    writer.Bytes(script.data(), script.size());
    return out;
}

} // namespace vls::tools
