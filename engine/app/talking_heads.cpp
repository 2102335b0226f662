#include "engine/app/talking_heads.h"

#include "engine/base/kestrune_file_system.h"
#include "engine/render/kestrune_mesh_sprite.h"
#include "engine/world/kestrune_character.h"
#include "platform/granny/granny.h"

#include <string>

namespace {

// A head is never idle: its idle interval is longer than any call.
constexpr float kHeadIdleSeconds = 1000.0f;
constexpr uint32_t kFullAmbient = 0xFFFFFFFF;

} // namespace

void CentreOnBrows(cKestruneMeshSprite& model)
{
    if (!model.mainModel.instance)
        return;
    const granny_skeleton* const skeleton = GrannyGetSourceSkeleton(model.mainModel.instance);
    granny_int32 brows = -1;
    if (!skeleton || !GrannyFindBoneByNameLowercase(skeleton, "bip_brows", &brows))
        return;
    granny_transform relative;
    GrannyBuildSkeletonRelativeTransform(skeleton, brows, &relative);
    model.SetPosition(-relative.Position[0], -relative.Position[1], -relative.Position[2]);
}

cKestruneCharacter* MakeTalkingHead(const char* model, uint32_t colour)
{
    cKestruneFileSystem* const files = cKestruneFileSystem::Current();
    const std::string file = std::string(model ? model : "") + ".gr2";
    if (!files || !model || !*model || !files->Exists(file.c_str()))
        return nullptr;
    const int32_t slot = files->Open(file.c_str());
    if (slot <= 0)
        return nullptr;
    auto* const head = new cKestruneCharacter();
    const int32_t read = head->model->Read(slot, files->GetSize(slot));
    files->Close(slot);
    if (read != 0) {
        delete head;
        return nullptr;
    }
    head->idleMin = kHeadIdleSeconds;
    head->idleMax = kHeadIdleSeconds;
    head->visible = 1;
    head->speechColor = colour;
    head->model->noShadow = 1;
    head->model->fixedAmbient = kFullAmbient;
    CentreOnBrows(*head->model);
    return head;
}

void DrawCloseUp(cKestruneCharacter& character)
{
    character.UpdateAnimation();
    D3DXMATRIX identity;
    D3DXMatrixIdentity(&identity);
    character.model->Render(identity, 0);
}
