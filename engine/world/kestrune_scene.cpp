#include "engine/world/kestrune_scene.h"

#include "engine/base/datafile_bytes.h"
#include "engine/base/engine_link.h"
#include "engine/base/kestrune_file_system.h"
#include "engine/base/object_handles.h"
#include "engine/render/kestrune_image.h"
#include "engine/script/kestrune_script.h"
#include "engine/script/savegame_block.h"
#include "engine/script/script_format.h"
#include "engine/world/kestrune_character.h"
#include "engine/world/kestrune_environment_layer.h"
#include "engine/world/kestrune_player_control.h"
#include "engine/world/kestrune_gameplay.h"
#include "engine/world/kestrune_hotspot.h"
#include "engine/world/kestrune_object_handle.h"
#include "engine/world/kestrune_view.h"
#include "engine/world/view_format.h"
#include "engine/world/world_block_io.h"
#include "engine/world/world_host.h"
#include "platform/crt/crt_io.h"

#include <cstdio>
#include <cstring>
#include <exception>
#include <map>
#include <string>
#include <vector>

namespace {

constexpr std::uint32_t kGameStateOnEnter = 0x207;
constexpr std::uint32_t kGameStateBarOpen = 0x08;

bool IsObjectVariable(const ScriptValue& variable, const char* className)
{
    return variable.type == kScriptObject && std::strcmp(variable.className.GetText(), className) == 0;
}

bool Tagged(const SavegameBlockHeader& header, const char* tag)
{
    return std::strncmp(header.tag, tag, 3) == 0 && header.tag[3] == 0;
}

std::string BlockName(const SavegameBlockHeader& header)
{
    return std::string(header.name, strnlen(header.name, sizeof header.name));
}

void SkipBlock(int file, SavegameBlockHeader& header)
{
    _lseek(file, static_cast<long>(header.length), SEEK_CUR);
}

} // namespace

cKestruneScene::cKestruneScene()
{
    views.SetCapacity(5);
    detailStack.SetCapacity(5);
    layers.SetCapacity(5);
    hotspots.SetCapacity(5);
    characters.SetCapacity(5);
}

cKestruneScene::~cKestruneScene()
{
    for (std::int32_t i = 0; i < views.count; ++i)
        delete views.data[i];
    WorldHost().DeleteSceneCharacters(*this);
    for (std::int32_t i = 0; i < layers.count; ++i)
        delete layers.data[i];
    for (std::int32_t i = 0; i < objectHandles.count; ++i)
        delete objectHandles.data[i];
    for (std::int32_t i = 0; i < hotspots.count; ++i)
        delete hotspots.data[i];
    DeleteScript(script);
    // A scene that was never entered (replaced while pending) still holds
    // its resource open.
    if (fileSlot > 0)
        if (cKestruneFileSystem* const files = cKestruneFileSystem::Current())
            files->Close(fileSlot);
}

std::int32_t cKestruneScene::Load(std::int32_t slot)
{
    cKestruneFileSystem* const files = cKestruneFileSystem::Current();
    std::uint8_t headerBytes[kSceneHeaderSize];
    if (!files || files->Read(slot, headerBytes, sizeof headerBytes) != 0)
        return -1;
    DatafileByteReader reader(headerBytes, sizeof headerBytes);
    header = ReadSceneHeader(reader);
    // Every record is at least its fixed part long: counts the entry cannot
    // hold are refused before anything is read for them.
    const std::uint64_t least = std::uint64_t{header.viewCount} * kViewHeaderSize
        + std::uint64_t{header.layerCount} * kLayerHeaderSize + std::uint64_t{header.hotspotCount} * kHotspotHeaderSize;
    if (least > static_cast<std::uint64_t>(files->GetRemaining(slot))) {
        ReportError("gameplay", header.name.c_str(), 0, "Scene file is shorter than its counts.");
        return -1;
    }

    for (std::uint32_t i = 0; i < header.viewCount; ++i) {
        std::uint8_t record[kViewHeaderSize];
        if (files->Read(slot, record, sizeof record) != 0)
            return -1;
        DatafileByteReader recordReader(record, sizeof record);
        const std::string resource = ReadViewHeader(recordReader).name + ".view";
        // A view whose resource is missing is left out without a message.
        if (!files->Exists(resource.c_str()))
            continue;
        const std::int32_t viewSlot = files->Open(resource.c_str());
        if (viewSlot <= 0)
            continue;
        auto* const view = new cKestruneView();
        const std::int32_t loaded = view->Load(viewSlot, resource.c_str());
        files->Close(viewSlot);
        if (loaded != 0) {
            delete view;
            return -1;
        }
        views.Add(view);
    }
    for (std::uint32_t i = 0; i < header.layerCount; ++i) {
        auto* const layer = new cKestruneEnvironmentLayer();
        if (layer->Load(slot) != 0) {
            delete layer;
            return -1;
        }
        layers.Add(layer);
    }
    for (std::uint32_t i = 0; i < header.hotspotCount; ++i) {
        auto* const hotspot = new cKestruneHotspot();
        if (hotspot->Load(slot) != 0) {
            delete hotspot;
            return -1;
        }
        hotspots.Add(hotspot);
    }
    script = new cKestruneScript();
    return script->Load(slot) == 0 ? 0 : -1;
}

std::int32_t cKestruneScene::Enter(std::uint8_t restoring)
{
    cKestruneWorldHost& host = WorldHost();
    cKestruneGameplay* const gameplay = cKestruneGameplay::Current();
    if (gameplay)
        gameplay->gameState = kGameStateOnEnter;
    host.ClearSpecialBehavior();
    host.ResetDialogue();
    if (gameplay)
        gameplay->runOnDoubleClick = 1;

    for (std::int32_t i = 0; i < views.count; ++i) {
        if (!views.data[i]->IsDetailView()) {
            SwitchView(i);
            break;
        }
    }
    inDetailView = 0;
    host.BindWalkMaps(*this);

    host.TickClock();
    if (!restoring && script)
        script->Run("on_enter");
    host.TickClock();

    float x, y, z;
    if (host.PlayerPosition(x, y, z))
        host.SetPlayerPosition(x, host.PlayerFloorHeight(x, z), z);
    const std::uint32_t state = gameplay ? gameplay->gameState : 0;
    if (!(state & kGameStateBarOpen))
        host.CloseInventoryBar();
    return 0;
}

// A walk's arrival event belongs to the scene it was clicked in; the next
// scene's script must not have it run.
void cKestruneScene::DropPendingArrival()
{
    cKestruneGameplay* const gameplay = cKestruneGameplay::Current();
    if (gameplay && gameplay->playerCharacter && gameplay->playerCharacter->controller)
        gameplay->playerCharacter->controller->DropArrivalEvent();
}

std::int32_t cKestruneScene::Leave(std::uint8_t restoring)
{
    cKestruneWorldHost& host = WorldHost();
    try {
        host.ClearGraphicsObjects();
        if (!restoring && script)
            script->Run("on_leave");
        host.DropTimers();
        host.SetPreviousSceneName(RoomName());
        if (cKestruneGameplay* const gameplay = cKestruneGameplay::Current())
            gameplay->fadeActive = 0;
        host.ReleasePlayerSceneLinks();
        DropPendingArrival();
        host.StopSceneSounds();
        host.ClearLights();
        // A figure's object may come from the cache: it lets go of it
        // before the purge, not when the figure is deleted with the scene.
        for (std::int32_t i = 0; i < characters.count; ++i)
            characters.data[i]->UnlinkObject();
        host.PurgeMeshSpriteCache();
        host.ReleaseAllTexts();
    } catch (...) {
        std::printf("Handled exception in cKestruneScene::Leave.\n");
        std::fflush(stdout);
    }
    return 0;
}

void cKestruneScene::SwitchView(std::int32_t index)
{
    if (index < 0 || index >= views.count)
        return;
    cKestruneView* const next = views.data[index];
    if (currentViewIndex != index && currentViewIndex != -1 && currentViewIndex < views.count) {
        const cKestruneView* const leaving = views.data[currentViewIndex];
        for (std::int32_t i = 0; i < next->overlays.count; ++i) {
            cKestruneImage* const overlay = next->overlays.data[i];
            if (!overlay->carryOver)
                continue;
            for (std::int32_t j = 0; j < leaving->overlays.count; ++j) {
                const cKestruneImage* const old = leaving->overlays.data[j];
                if (std::strcmp(old->name.GetText(), overlay->name.GetText()) != 0)
                    continue;
                if (old->playMode != overlay->playMode)
                    overlay->SetPlayMode(old->playMode, old->currentFrame);
                else
                    overlay->SetFrame(old->currentFrame);
                break;
            }
        }
    }
    previousView = currentView;
    currentViewIndex = index;
    currentView = next;
    // Shown from now on: its picture is read the first time it gets here.
    next->LoadPicture();
    WorldHost().SetCamera(next->camera);
    if (next->IsDetailView()) {
        inDetailView = 1;
        WorldHost().BindExitHotspot(index);
    }
}

bool cKestruneScene::IsPlayerInView(const cKestruneView& view) const
{
    float x, y, z;
    if (!WorldHost().PlayerPosition(x, y, z))
        return false;
    for (std::int32_t i = 0; i < layers.count; ++i) {
        if (layers.data[i]->view == &view && layers.data[i]->ContainsPoint(x, z))
            return true;
    }
    return false;
}

void cKestruneScene::SelectViewByPlayer()
{
    std::int32_t chosen = currentViewIndex;
    for (std::int32_t i = 0; i < views.count; ++i) {
        if (!views.data[i]->IsDetailView() && IsPlayerInView(*views.data[i]))
            chosen = i;
    }
    SwitchView(chosen);
}

void cKestruneScene::Update()
{
    if (!inDetailView)
        SelectViewByPlayer();
    WorldHost().UpdateSceneCharacters(*this);
}

void cKestruneScene::GoToDetailView(const char* name)
{
    for (std::int32_t i = 0; i < views.count; ++i) {
        if (std::strcmp(views.data[i]->Name(), name) != 0)
            continue;
        detailStack.Add(currentView);
        SwitchView(i);
        inDetailView = 1;
    }
}

void cKestruneScene::LeaveDetailView()
{
    inDetailView = 0;
    currentViewIndex = -1;
    if (detailStack.count == 0) {
        SelectViewByPlayer();
        return;
    }
    cKestruneView* const top = detailStack.data[detailStack.count - 1];
    SwitchView(ViewIndexOf(top));
    detailStack.RemoveAt(detailStack.count - 1);
}

void cKestruneScene::CollapseDetailViewStack()
{
    inDetailView = 0;
    currentViewIndex = -1;
    detailStack.count = 0;
    SelectViewByPlayer();
}

void cKestruneScene::Submit(DynArray<RenderQueueEntry>& queue)
{
    if (currentView)
        currentView->Submit(queue);
}

std::int32_t cKestruneScene::CollectAreasByPrefix(const char* prefix, DynArray<cKestruneEnvironmentLayer*>& list) const
{
    list.count = 0;
    const std::size_t length = std::strlen(prefix);
    for (std::int32_t i = 0; i < layers.count; ++i) {
        if (std::strncmp(layers.data[i]->Name().GetText(), prefix, length) == 0)
            list.Add(layers.data[i]);
    }
    return list.count;
}

void cKestruneScene::UpdateLayerTriggers()
{
    float x = 0, y = 0, z = 0;
    const bool hasPlayer = WorldHost().PlayerPosition(x, y, z);
    for (std::int32_t i = 0; i < layers.count; ++i)
        layers.data[i]->UpdateTrigger(hasPlayer, x, z, script);
}

std::int32_t cKestruneScene::ViewIndexOf(const cKestruneView* view) const
{
    for (std::int32_t i = 0; i < views.count; ++i) {
        if (views.data[i] == view)
            return i;
    }
    return -1;
}

std::uint32_t cKestruneScene::TokenOf(const cKestruneView* view) const
{
    const std::int32_t index = ViewIndexOf(view);
    return index < 0 ? 0 : static_cast<std::uint32_t>(index + 1);
}

cKestruneView* cKestruneScene::ViewOfToken(std::uint32_t token) const
{
    if (token == 0)
        return nullptr;
    for (std::int32_t i = 0; i < views.count; ++i) {
        if (views.data[i]->token == token)
            return views.data[i];
    }
    return nullptr;
}

cKestruneObjectHandle* cKestruneScene::CreateObjectHandle()
{
    auto* const handle = new cKestruneObjectHandle(this);
    objectHandles.Add(handle);
    return handle;
}

void cKestruneScene::SaveBlock(int file) const
{
    const auto stack = static_cast<std::uint32_t>(detailStack.count);
    const auto layerCount = static_cast<std::uint32_t>(layers.count);
    const std::uint32_t length = (stack + layerCount * 40) * 4 + kPayloadFixedSize;
    WriteSavegameBlockHeader(file, "SCN", saveName.GetText(), length);
    std::vector<std::uint8_t> payload;
    DatafileByteWriter writer(payload);
    writer.FixedText(saveName.GetText(), 64);
    writer.U32(static_cast<std::uint32_t>(views.count));
    writer.U32(TokenOf(currentView));
    writer.U32(TokenOf(previousView));
    writer.U8(inDetailView);
    writer.U8(0);
    writer.U16(0);
    writer.U32(stack);
    writer.U32(layerCount);
    for (std::int32_t i = 0; i < detailStack.count; ++i)
        writer.U32(TokenOf(detailStack.data[i]));
    for (std::int32_t i = 0; i < layers.count; ++i) {
        std::uint8_t record[cKestruneEnvironmentLayer::kStateRecordSize];
        layers.data[i]->SaveState(record, TokenOf(layers.data[i]->view));
        writer.Bytes(record, sizeof record);
    }
    _write(file, payload.data(), static_cast<unsigned>(payload.size()));
    for (std::int32_t i = 0; i < views.count; ++i)
        views.data[i]->SaveBlock(file, static_cast<std::uint32_t>(i + 1));
    if (!script)
        return;
    for (std::int32_t i = 0; i < script->variables.count; ++i) {
        const ScriptValue& variable = script->variables.data[i];
        if (variable.type != kScriptObject || variable.object == kNoObject)
            continue;
        if (IsObjectVariable(variable, "cObject")) {
            if (const auto* const handle = ResolveObjectAs<cKestruneObjectHandle>(variable.object, ObjectKind::Object))
                handle->SaveBlock(file, variable.name.GetText());
        } else if (IsObjectVariable(variable, "cCharacter")) {
            WorldHost().SaveCharacterBlock(variable.object, variable.name.GetText(), file);
        }
    }
}

void cKestruneScene::LoadBlock(int file, SavegameBlockHeader& blockHeader)
{
    if (!CheckSavegameBlockTag(blockHeader, "SCN"))
        return;
    std::uint8_t fixed[kPayloadFixedSize];
    if (_read(file, fixed, sizeof fixed) != static_cast<int>(sizeof fixed))
        return;
    DatafileByteReader reader(fixed, sizeof fixed);
    reader.Take(64);
    const std::uint32_t savedViews = reader.U32();
    const std::uint32_t currentToken = reader.U32();
    const std::uint32_t previousToken = reader.U32();
    const std::uint8_t savedDetail = reader.U8();
    reader.Take(3);
    const std::uint32_t stack = reader.U32();
    const std::uint32_t savedLayers = reader.U32();
    // The counts must fit the length the block was written with, and the
    // records they count must be in the file.
    const std::uint64_t expected = (std::uint64_t{stack} + std::uint64_t{savedLayers} * 40) * 4 + kPayloadFixedSize;
    if (expected > blockHeader.length || expected - kPayloadFixedSize > WorldBytesLeft(file)) {
        ReportError("SCN", BlockName(blockHeader).c_str(), 1, "Savegame block type or version mismatch.");
        return;
    }
    std::vector<std::uint32_t> stackTokens(stack);
    for (std::uint32_t& token : stackTokens) {
        std::uint8_t bytes[4];
        if (_read(file, bytes, 4) != 4)
            return;
        token = DatafileByteReader(bytes, 4).U32();
    }
    std::vector<std::uint32_t> layerTokens(static_cast<std::size_t>(layers.count), 0);
    for (std::uint32_t i = 0; i < savedLayers; ++i) {
        std::uint8_t record[cKestruneEnvironmentLayer::kStateRecordSize];
        if (_read(file, record, sizeof record) != static_cast<int>(sizeof record))
            return;
        if (i < static_cast<std::uint32_t>(layers.count))
            layerTokens[i] = layers.data[i]->LoadState(record);
    }

    // The i-th VIE block of a name goes to the i-th view of that name.
    std::map<std::string, int> viewsSeen;
    for (std::uint32_t i = 0; i < savedViews; ++i) {
        SavegameBlockHeader viewHeader;
        if (!ReadSavegameBlockHeader(file, viewHeader) || !CheckSavegameBlockTag(viewHeader, "VIE"))
            return;
        const std::string name = BlockName(viewHeader);
        int skip = viewsSeen[name]++;
        cKestruneView* target = nullptr;
        for (std::int32_t v = 0; v < views.count && !target; ++v) {
            if (name == views.data[v]->Name() && skip-- == 0)
                target = views.data[v];
        }
        if (target)
            target->LoadBlock(file, viewHeader);
        else
            SkipBlock(file, viewHeader);
    }

    for (std::int32_t i = 0; i < layers.count; ++i)
        layers.data[i]->view = ViewOfToken(layerTokens[static_cast<std::size_t>(i)]);
    detailStack.count = 0;
    for (const std::uint32_t token : stackTokens) {
        if (cKestruneView* const view = ViewOfToken(token))
            detailStack.Add(view);
    }
    currentView = ViewOfToken(currentToken);
    currentViewIndex = ViewIndexOf(currentView);
    if (currentView)
        currentView->LoadPicture();
    previousView = ViewOfToken(previousToken);

    // Each block reader leaves the next block's header in blockHeader. The
    // i-th OBJ block of a name goes to the i-th cObject variable of that name.
    std::map<std::string, int> objectsSeen;
    bool more = ReadSavegameBlockHeader(file, blockHeader);
    while (more && (Tagged(blockHeader, "CHR") || Tagged(blockHeader, "OBJ"))) {
        const std::string name = BlockName(blockHeader);
        const bool character = Tagged(blockHeader, "CHR");
        const char* const className = character ? "cCharacter" : "cObject";
        int skip = character ? 0 : objectsSeen[name]++;
        ScriptValue* target = nullptr;
        for (std::int32_t v = 0; script && v < script->variables.count && !target; ++v) {
            ScriptValue& variable = script->variables.data[v];
            if (IsObjectVariable(variable, className) && name == variable.name.GetText() && skip-- == 0)
                target = &variable;
        }
        if (character) {
            // An unmatched character is read into a throw-away object, so its
            // nested blocks are consumed with it.
            WorldHost().LoadCharacterBlock(*this, target, file, blockHeader);
        } else if (target) {
            cKestruneObjectHandle* const handle = CreateObjectHandle();
            target->object = handle->Handle();
            more = handle->LoadBlock(file, blockHeader);
        } else {
            SkipBlock(file, blockHeader);
            more = ReadSavegameBlockHeader(file, blockHeader);
        }
    }
    inDetailView = savedDetail;
    if (inDetailView)
        WorldHost().BindExitHotspot(currentViewIndex);
}
