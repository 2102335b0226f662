#include "engine/natives/engine_natives.h"

#include "engine/base/engine_link.h"
#include "engine/base/kestrune_file_system.h"
#include "engine/script/script_call_frame.h"
#include "engine/script/script_format.h"
#include "engine/script/script_natives.h"
#include "engine/world/kestrune_scene.h"
#include "engine/world/world_host.h"

#include <string>

namespace {

std::int32_t cSystem__GoTo(ScriptCallFrame* frame)
{
    const std::string resource = std::string(frame->Argument(0).GetText()) + ".scene";
    cKestruneFileSystem* const files = cKestruneFileSystem::Current();
    const std::int32_t slot = files ? files->Open(resource.c_str()) : 0;
    if (slot <= 0) {
        ReportError("script", "cSystem::GoTo", 1, "Scene file could not be loaded.");
        return -1;
    }
    auto* const scene = new cKestruneScene();
    scene->fileSlot = slot;
    WorldHost().SetPendingScene(scene);
    return 0;
}

std::int32_t cSystem__GetRoom(ScriptCallFrame* frame)
{
    const cKestruneScene* const scene = WorldHost().CurrentScene();
    frame->result.type = kScriptString;
    frame->result.SetText(scene ? scene->RoomName() : "");
    return 0;
}

} // namespace

void RegisterSystemNatives()
{
    RegisterScriptNative("cSystem__GoTo", cSystem__GoTo);
    RegisterScriptNative("cSystem__GetRoom", cSystem__GetRoom);
}
