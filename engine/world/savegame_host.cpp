#include "engine/world/savegame_host.h"

#include "engine/base/kestrune_file_system.h"
#include "engine/script/savegame_block.h"
#include "engine/world/kestrune_scene.h"
#include "engine/world/world_host.h"
#include "platform/crt/crt_io.h"

#include <cstring>
#include <string>

namespace {

cKestruneNullSavegameHost g_baseHost;
cKestruneSavegameHost* g_host = &g_baseHost;

bool Is(const SavegameBlockHeader& header, const char* tag)
{
    return std::strncmp(header.tag, tag, 3) == 0 && header.tag[3] == 0;
}

bool NestedIn(const SavegameBlockHeader& owner, const SavegameBlockHeader& header)
{
    const bool characterPart = Is(header, "MSP") || Is(header, "PCR") || Is(header, "MAN");
    if (Is(owner, "CHR"))
        return characterPart;
    if (Is(owner, "SCN"))
        return characterPart || Is(header, "VIE") || Is(header, "OBJ") || Is(header, "CHR");
    return false;
}

} // namespace

const char* SavegameOwnerTag(SavegameOwner owner)
{
    static const char* const kTags[kSavegameOwnerCount] = {"SND", "CHR", "DLG", "MSN", "INV", "SPR", "TMR", "SCN"};
    return kTags[static_cast<int>(owner)];
}

void SkipSavegameBlock(int file, SavegameBlockHeader& header)
{
    const SavegameBlockHeader owner = header;
    do {
        _lseek(file, static_cast<long>(header.length), SEEK_CUR);
        if (!ReadSavegameBlockHeader(file, header))
            return;
    } while (NestedIn(owner, header));
}

void cKestruneNullSavegameHost::SaveBlock(SavegameOwner, int) {}
void cKestruneNullSavegameHost::LoadBlock(SavegameOwner, int file, SavegameBlockHeader& header) { SkipSavegameBlock(file, header); }
std::uint32_t cKestruneNullSavegameHost::EffectCount() { return 0; }
void cKestruneNullSavegameHost::SaveEffects(int) {}
void cKestruneNullSavegameHost::LoadEffect(int file, SavegameBlockHeader& header) { SkipSavegameBlock(file, header); }

cKestruneScene* cKestruneSavegameHost::PrepareScene(const char* fileName)
{
    cKestruneFileSystem* const files = cKestruneFileSystem::Current();
    const std::string resource = std::string(fileName) + ".scene";
    const std::int32_t slot = files && files->Exists(resource.c_str()) ? files->Open(resource.c_str()) : 0;
    if (slot <= 0)
        return nullptr;
    auto* scene = new cKestruneScene();
    scene->fileSlot = slot;
    const std::int32_t loaded = scene->Load(slot);
    files->Close(slot);
    scene->fileSlot = 0;
    if (loaded != 0) {
        delete scene;
        return nullptr;
    }
    return scene;
}

void cKestruneNullSavegameHost::EnterRestoredScene(cKestruneScene* scene)
{
    scene->Enter(1);
    WorldHost().TickClock();
}

const char* cKestruneNullSavegameHost::PreviousSceneName() { return ""; }
void cKestruneNullSavegameHost::SetPreviousSceneName(const char* name) { WorldHost().SetPreviousSceneName(name); }

void SetSavegameHost(cKestruneSavegameHost* host) { g_host = host ? host : &g_baseHost; }
cKestruneSavegameHost& SavegameHost() { return *g_host; }
