#pragma once

#include "engine/base/dynarray.h"
#include "engine/base/kestrune_string.h"
#include "engine/render/render_queue.h"
#include "engine/world/scene_format.h"

#include <cstdint>

class cKestruneScript;
class cKestruneView;
class cKestruneEnvironmentLayer;
class cKestruneHotspot;
class cKestruneCharacter;
class cKestruneObjectHandle;
struct SavegameBlockHeader;

// A room of the game: its views, environment layers, hotspots, the
// characters its script creates and the script itself, loaded from
// "<room>.scene". Scenes are entered once and deleted when left.
class cKestruneScene {
public:
    static constexpr std::uint32_t kPayloadFixedSize = 88;

    cKestruneScene();
    ~cKestruneScene();
    cKestruneScene(const cKestruneScene&) = delete;
    cKestruneScene& operator=(const cKestruneScene&) = delete;

    // Reads the scene from fileSlot's position. 0, or -1 when the resource is
    // damaged (reported; such a scene is never entered).
    std::int32_t Load(std::int32_t slot);
    std::int32_t Enter(std::uint8_t restoring);
    std::int32_t Leave(std::uint8_t restoring);

    // Views: the per-frame step, the choice by the player's position, the
    // switch and the detail-view stack.
    void Update();
    void SelectViewByPlayer();
    void SwitchView(std::int32_t index);
    bool IsPlayerInView(const cKestruneView& view) const;
    void GoToDetailView(const char* name);
    void LeaveDetailView();
    void CollapseDetailViewStack();
    void Submit(DynArray<RenderQueueEntry>& queue);

    std::int32_t CollectAreasByPrefix(const char* prefix, DynArray<cKestruneEnvironmentLayer*>& list) const;
    // The per-frame enter and leave triggers of every layer.
    void UpdateLayerTriggers();

    void SaveBlock(int file) const;
    // Leaves in header the block that follows the SCN block's nested blocks.
    void LoadBlock(int file, SavegameBlockHeader& header);

    // A new script object handle of this scene, owned by it.
    cKestruneObjectHandle* CreateObjectHandle();

    const char* RoomName() const { return header.name.c_str(); }
    std::int32_t ViewIndexOf(const cKestruneView* view) const;

    // Fields, in the engine's order.
    SceneHeader header;
    cKestruneScript* script = nullptr;
    cString saveName;
    std::int32_t fileSlot = 0;
    DynArray<cKestruneView*> views;
    cKestruneView* currentView = nullptr;
    cKestruneView* previousView = nullptr;
    std::int32_t currentViewIndex = 0;
    std::uint8_t inDetailView = 0;
    DynArray<cKestruneView*> detailStack;
    DynArray<cKestruneEnvironmentLayer*> layers;
    DynArray<cKestruneHotspot*> hotspots;
    cKestruneHotspot* hoverHotspot = nullptr;
    DynArray<cKestruneCharacter*> characters;
    // The object handles made for the script's cObject variables.
    DynArray<cKestruneObjectHandle*> objectHandles;

private:
    void DropPendingArrival();
    std::uint32_t TokenOf(const cKestruneView* view) const;
    cKestruneView* ViewOfToken(std::uint32_t token) const;
};
