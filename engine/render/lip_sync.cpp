// Lip sync: ".lsm" weights per model, ".sync" viseme keys per speech line,
// and the jaw and smile bones turned by the key of the speech's time.
#include "engine/base/datafile_text_reader.h"
#include "engine/base/kestrune_file_system.h"
#include "engine/render/kestrune_mesh_sprite.h"
#include "engine/render/kestrune_sprites.h"
#include "engine/render/lip_sync_text.h"
#include "engine/render/sprite_world.h"
#include "platform/granny/granny.h"

#include <string>

namespace {

// The whole entry of a datafile resource as text (CR LF read as LF, never
// past the entry's end), or false when it is absent.
bool ReadResourceText(const cString& fileName, std::string& text)
{
    cKestruneFileSystem* files = cKestruneFileSystem::Current();
    if (!files || !files->Exists(fileName.GetText()))
        return false;
    const int32_t slot = files->Open(fileName.GetText());
    if (slot <= 0)
        return false;
    text.clear();
    cDatafileTextReader reader(*files, slot);
    char line[512];
    while (reader.ReadLine(line, sizeof line))
        text += line;
    files->Close(slot);
    return true;
}

void TurnBone(granny_local_pose* pose, int32_t bone, float pitch, float roll)
{
    if (bone < 0)
        return;
    D3DXQUATERNION q;
    D3DXQuaternionRotationYawPitchRoll(&q, 0.0f, pitch, roll);
    granny_transform turn;
    GrannyMakeIdentity(&turn);
    turn.Flags |= GrannyHasOrientation;
    turn.Orientation[0] = q.x;
    turn.Orientation[1] = q.y;
    turn.Orientation[2] = q.z;
    turn.Orientation[3] = q.w;
    GrannyPostMultiplyBy(GrannyGetLocalPoseTransform(pose, bone), &turn);
}

} // namespace

void cKestruneMeshSprite::ReadLipSyncWeights()
{
    std::string text;
    if (ReadResourceText(name + ".lsm", text))
        ParseLipSyncWeights(text, syncWeights);
}

void cKestruneMeshSprite::ReadSync(const cString& speechName)
{
    syncKeys.count = 0;
    std::string text;
    if (ReadResourceText(speechName + ".sync", text))
        ParseSyncKeys(text, syncKeys);
}

void cKestruneMeshSprite::ApplySync()
{
    cKestruneSprites* sprites = cKestruneSprites::Current();
    const int32_t t = SpriteWorld().SpeechTime();
    if (t < 0 || !sprites || !sprites->localPose)
        return;
    const int64_t k = static_cast<int64_t>(t * 0.03);
    if (k >= syncKeys.count)
        return;
    const SyncKey& key = syncKeys.data[k];
    float jaw = 0.0f;
    float smile = 0.0f;
    for (int32_t j = 0; j < 8; ++j) {
        jaw += static_cast<float>(syncWeights[2 * j]) * key.w[j];
        smile += static_cast<float>(syncWeights[2 * j + 1]) * key.w[j];
    }
    TurnBone(sprites->localPose, mandibleBone, jaw * 0.001f, 0.0f);
    TurnBone(sprites->localPose, smileLeftBone, 0.0f, smile * 0.001f);
    TurnBone(sprites->localPose, smileRightBone, 0.0f, smile * 0.001f);
}
