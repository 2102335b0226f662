#include "engine/base/object_handles.h"

#include <vector>

namespace {

constexpr std::uint32_t kIndexBits = 20;
constexpr std::uint32_t kIndexMask = (1u << kIndexBits) - 1;
constexpr std::uint32_t kGenerationLimit = 1u << (32 - kIndexBits);

struct Slot {
    void* object = nullptr;
    ObjectKind kind = ObjectKind::Any;
    // Starts at 1 so that slot 0, generation 0 (the value 0) is never issued.
    std::uint32_t generation = 1;
};

struct HandleTable {
    std::vector<Slot> slots;
    std::vector<std::uint32_t> freeSlots;
    std::size_t live = 0;
};

// Never destroyed: objects still alive when the program exits (the engine is
// torn down by an exit routine) release their handles after every static
// destructor has run.
HandleTable& Table()
{
    static HandleTable* const table = new HandleTable;
    return *table;
}

ObjectHandle Compose(std::uint32_t index, std::uint32_t generation)
{
    return (generation << kIndexBits) | index;
}

Slot* SlotOf(ObjectHandle handle)
{
    HandleTable& table = Table();
    const std::uint32_t index = handle & kIndexMask;
    if (handle == kNoObject || index >= table.slots.size())
        return nullptr;
    Slot& slot = table.slots[index];
    if (!slot.object || slot.generation != handle >> kIndexBits)
        return nullptr;
    return &slot;
}

} // namespace

ObjectHandle RegisterObject(void* object, ObjectKind kind)
{
    if (!object)
        return kNoObject;
    HandleTable& table = Table();
    std::uint32_t index;
    if (!table.freeSlots.empty()) {
        index = table.freeSlots.back();
        table.freeSlots.pop_back();
    } else {
        if (table.slots.size() > kIndexMask)
            return kNoObject;
        index = static_cast<std::uint32_t>(table.slots.size());
        table.slots.emplace_back();
    }
    Slot& slot = table.slots[index];
    slot.object = object;
    slot.kind = kind;
    ++table.live;
    return Compose(index, slot.generation);
}

void ReleaseObject(ObjectHandle handle)
{
    Slot* const slot = SlotOf(handle);
    if (!slot)
        return;
    HandleTable& table = Table();
    slot->object = nullptr;
    slot->kind = ObjectKind::Any;
    --table.live;
    // A slot whose generations are used up is retired rather than reused, so
    // no handle ever names two objects.
    if (++slot->generation < kGenerationLimit)
        table.freeSlots.push_back(handle & kIndexMask);
}

void* ResolveObject(ObjectHandle handle, ObjectKind kind)
{
    const Slot* const slot = SlotOf(handle);
    if (!slot || (kind != ObjectKind::Any && slot->kind != kind))
        return nullptr;
    return slot->object;
}

std::size_t LiveObjectCount() { return Table().live; }
