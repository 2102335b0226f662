#include "tests/e2e/vls_savegame_view.h"

#include <algorithm>
#include <array>
#include <cstring>

namespace vls::e2e {
namespace {

constexpr std::size_t kHeaderSize = 72;
constexpr std::size_t kNameSize = 64;
constexpr std::size_t kCharacterPayload = 268;
constexpr std::size_t kCharacterCounts = 260;
constexpr std::size_t kIdleEntry = 68;
constexpr std::size_t kCharacterSlots = 4;
// The info block: the saving time, the global count and the globals.
constexpr std::size_t kSavingTime = 0;
constexpr std::size_t kSavingTimeSize = 16;
constexpr std::size_t kTimerRecord = 136;
constexpr std::size_t kTimerLeft = 132;
constexpr std::size_t kGlobalCount = 272;
constexpr std::size_t kGlobals = 288;
constexpr std::size_t kGlobalRecord = 240;
constexpr std::size_t kGlobalName = 100;
constexpr std::size_t kGlobalInteger = 228;
// The mesh sprite: three saved controls and a flag word, then the world
// matrix, whose fourth row is the position.
constexpr std::size_t kModelWorld = 52;

std::uint32_t U32(const std::uint8_t* at)
{
    std::uint32_t value;
    std::memcpy(&value, at, 4);
    return value;
}

std::string Text(const std::uint8_t* at, std::size_t size)
{
    return std::string(reinterpret_cast<const char*>(at), strnlen(reinterpret_cast<const char*>(at), size));
}

const SavedBlock* Find(const std::vector<SavedBlock>& blocks, const std::string& tag, const std::string& name = "")
{
    for (const SavedBlock& block : blocks)
        if (block.tag == tag && (name.empty() || block.name == name))
            return &block;
    return nullptr;
}

} // namespace

std::vector<SavedBlock> ReadBlocks(const std::vector<std::uint8_t>& save)
{
    std::vector<SavedBlock> blocks;
    std::size_t at = kHeaderSize;
    while (at + kHeaderSize <= save.size()) {
        SavedBlock block;
        block.tag = Text(save.data() + at, 4);
        block.name = Text(save.data() + at + 4, kNameSize);
        const std::uint32_t length = U32(save.data() + at + 68);
        at += kHeaderSize;
        if (length > save.size() - at)
            return {};
        block.payload.assign(save.begin() + static_cast<std::ptrdiff_t>(at), save.begin() + static_cast<std::ptrdiff_t>(at + length));
        at += length;
        if (block.tag == "CHR" && length >= kCharacterPayload) {
            const std::size_t entries = (std::size_t{U32(block.payload.data() + kCharacterCounts)}
                                         + U32(block.payload.data() + kCharacterCounts + 4)) * kIdleEntry;
            if (entries > save.size() - at)
                return {};
            block.trailing.assign(save.begin() + static_cast<std::ptrdiff_t>(at),
                                  save.begin() + static_cast<std::ptrdiff_t>(at + entries));
            at += entries;
        }
        const bool end = block.tag == "END";
        blocks.push_back(std::move(block));
        if (end)
            return blocks;
    }
    return {};
}

std::optional<int> GlobalInteger(const std::vector<std::uint8_t>& save, const std::string& name)
{
    const std::vector<SavedBlock> blocks = ReadBlocks(save);
    const SavedBlock* const info = Find(blocks, "INF");
    if (!info || info->payload.size() < kGlobals)
        return std::nullopt;
    const std::uint32_t count = U32(info->payload.data() + kGlobalCount);
    for (std::size_t i = 0; i < count && kGlobals + (i + 1) * kGlobalRecord <= info->payload.size(); ++i) {
        const std::uint8_t* const record = info->payload.data() + kGlobals + i * kGlobalRecord;
        if (Text(record + kGlobalName, kNameSize) == name)
            return static_cast<int>(U32(record + kGlobalInteger));
    }
    return std::nullopt;
}

std::vector<int> InventoryItems(const std::vector<std::uint8_t>& save)
{
    const std::vector<SavedBlock> blocks = ReadBlocks(save);
    const SavedBlock* const inventory = Find(blocks, "INV");
    std::vector<int> items;
    if (!inventory || inventory->payload.size() < 67)
        return items;
    for (std::size_t i = 2; i < 67 && inventory->payload[i] != 255; ++i)
        items.push_back(inventory->payload[i]);
    return items;
}

std::optional<std::pair<float, float>> PlayerPlace(const std::vector<std::uint8_t>& save)
{
    return CharacterPlace(save, "$pc$");
}

namespace {

// The translation row of the world matrix of the model saved with the
// character of that name.
std::optional<std::array<float, 3>> CharacterTranslation(const std::vector<std::uint8_t>& save, const std::string& name)
{
    const std::vector<SavedBlock> blocks = ReadBlocks(save);
    for (std::size_t i = 0; i + 1 < blocks.size(); ++i) {
        if (blocks[i].tag != "CHR" || blocks[i].name != name || blocks[i + 1].tag != "MSP")
            continue;
        const std::vector<std::uint8_t>& model = blocks[i + 1].payload;
        if (model.size() < kModelWorld + 64)
            return std::nullopt;
        std::array<float, 3> t{};
        std::memcpy(t.data(), model.data() + kModelWorld + 48, 12);
        return t;
    }
    return std::nullopt;
}

} // namespace

std::optional<std::pair<float, float>> CharacterPlace(const std::vector<std::uint8_t>& save, const std::string& name)
{
    const auto t = CharacterTranslation(save, name);
    return t ? std::optional(std::make_pair((*t)[0], (*t)[2])) : std::nullopt;
}

std::optional<float> PlayerHeight(const std::vector<std::uint8_t>& save)
{
    const auto t = CharacterTranslation(save, "$pc$");
    return t ? std::optional((*t)[1]) : std::nullopt;
}

std::vector<std::string> SteadyBlocks(const std::vector<std::uint8_t>& save)
{
    std::vector<std::string> steady;
    for (SavedBlock& block : ReadBlocks(save)) {
        if (block.tag == "SND" || block.tag == "MSP" || block.tag == "MAN" || block.tag == "PCR" || block.tag == "VIE")
            continue;
        if (block.tag == "INF" && block.payload.size() >= kSavingTimeSize)
            std::memset(block.payload.data() + kSavingTime, 0, kSavingTimeSize);
        // A room timer's time left.
        if (block.tag == "TMR")
            for (std::size_t at = 0; at + kTimerRecord <= block.payload.size(); at += kTimerRecord)
                std::memset(block.payload.data() + at + kTimerLeft, 0, 4);
        // Whether an idle animation plays at the moment of saving.
        if (block.tag == "CHR" && block.payload.size() >= kCharacterPayload)
            std::memset(block.payload.data() + kCharacterSlots, 0, 2);
        steady.push_back(block.tag + " " + block.name + " "
                         + std::string(block.payload.begin(), block.payload.end())
                         + std::string(block.trailing.begin(), block.trailing.end()));
    }
    return steady;
}

std::string SteadyDifference(const std::vector<std::uint8_t>& first, const std::vector<std::uint8_t>& second)
{
    const std::vector<std::string> a = SteadyBlocks(first);
    const std::vector<std::string> b = SteadyBlocks(second);
    if (a.empty() || b.empty())
        return "not a whole savegame";
    for (std::size_t i = 0; i < a.size() && i < b.size(); ++i)
        if (a[i] != b[i]) {
            const auto at = std::mismatch(a[i].begin(), a[i].end(), b[i].begin(), b[i].end()).first - a[i].begin();
            return "block " + std::to_string(i) + " (" + a[i].substr(0, a[i].find(' ', 4)) + ") differs at "
                + std::to_string(at);
        }
    return a.size() == b.size() ? "" : "the block counts differ";
}

} // namespace vls::e2e
