#include "engine/world/kestrune_view.h"

#include "engine/base/datafile_bytes.h"
#include "engine/base/engine_link.h"
#include "engine/base/kestrune_file_system.h"
#include "engine/render/kestrune_image.h"
#include "engine/script/kestrune_script.h"
#include "engine/script/savegame_block.h"
#include "engine/script/script_identity.h"
#include "engine/world/world_block_io.h"
#include "engine/world/world_host.h"
#include "platform/crt/crt_io.h"
#include "platform/d3dx/d3dx8math.h"

#include <algorithm>
#include <bit>
#include <cstdlib>
#include <cstring>
#include <vector>

namespace {

constexpr float kLensSlope = 0.1928f;
constexpr float kLensBase = 1.5666666f;
constexpr float kAspect = 1.3333334f;
constexpr float kNearPlane = 1.0f;

void CopyMatrix(const D3DXMATRIX& m, float (&out)[16]) { std::memcpy(out, &m, sizeof out); }

std::string FieldText(const std::uint8_t* at, std::size_t width)
{
    return std::string(reinterpret_cast<const char*>(at), strnlen(reinterpret_cast<const char*>(at), width));
}

} // namespace

cKestruneView::~cKestruneView()
{
    for (std::int32_t i = 0; i < images.count; ++i) {
        if (images.data[i] == mirrorLayer)
            mirrorLayer = nullptr;
        delete images.data[i];
    }
    for (std::int32_t i = 0; i < overlays.count; ++i)
        delete overlays.data[i];
    delete[] depthMap;
    delete mirrorLayer;
}

namespace {

// The depth map's header, refused when the map it announces runs past the
// entry.
bool ReadCheckedMapHeader(cKestruneFileSystem& files, std::int32_t slot, const char* view, ViewMapHeader& map)
{
    std::uint8_t mapBytes[kViewMapHeaderSize];
    if (files.Read(slot, mapBytes, sizeof mapBytes) != 0)
        return false;
    DatafileByteReader mapReader(mapBytes, sizeof mapBytes);
    map = ReadViewMapHeader(mapReader);
    if (ViewMapBytes(map) > static_cast<std::uint64_t>(files.GetRemaining(slot)) || map.width > INT32_MAX
        || map.height > INT32_MAX) {
        ReportError("gameplay", view, 0, "View depth map runs past its file.");
        return false;
    }
    return true;
}

} // namespace

std::int32_t cKestruneView::Load(std::int32_t slot, const char* resource)
{
    cKestruneFileSystem* const files = cKestruneFileSystem::Current();
    std::uint8_t bytes[kViewHeaderSize];
    if (!files || files->Read(slot, bytes, sizeof bytes) != 0)
        return -1;
    DatafileByteReader reader(bytes, sizeof bytes);
    header = ReadViewHeader(reader);
    header.origin[2] = -header.origin[2];
    header.up[2] = -header.up[2];
    header.direction[2] = -header.direction[2];
    header.position[2] = -header.position[2];

    if (resource && *resource) {
        // The picture is walked over, not read: a damaged view is still
        // refused with its scene, only the pixels and depths wait.
        pictureAt_ = files->PositionInEntry(slot);
        for (std::int32_t i = 0; i < header.imageCount; ++i) {
            if (cKestruneImage::Skip(slot) != 0)
                return -1;
        }
        ViewMapHeader map;
        if (!ReadCheckedMapHeader(*files, slot, header.name.c_str(), map))
            return -1;
        resource_ = resource;
    } else if (ReadPicture(slot) != 0) {
        return -1;
    }

    if (HasCamera())
        BuildCamera();
    return 0;
}

std::int32_t cKestruneView::ReadPicture(std::int32_t slot)
{
    cKestruneFileSystem* const files = cKestruneFileSystem::Current();
    for (std::int32_t i = 0; i < header.imageCount; ++i) {
        auto* const image = new cKestruneImage();
        if (image->Load(slot) != 0) {
            delete image;
            return -1;
        }
        images.Add(image);
    }

    ViewMapHeader map;
    if (!files || !ReadCheckedMapHeader(*files, slot, header.name.c_str(), map))
        return -1;
    // The map is read straight into place: no second copy of a few
    // megabytes on the way to the first frame.
    const auto bytes = static_cast<std::size_t>(ViewMapBytes(map));
    auto* const depths = new float[bytes / 4 + 1];
    if (bytes > 0 && files->Read(slot, depths, static_cast<std::int32_t>(bytes)) != 0) {
        delete[] depths;
        return -1;
    }
    if constexpr (std::endian::native != std::endian::little) {
        for (std::size_t i = 0; i < bytes / 4; ++i) {
            std::uint8_t* const b = reinterpret_cast<std::uint8_t*>(&depths[i]);
            std::reverse(b, b + 4);
        }
    }
    mapWidth = static_cast<std::int32_t>(map.width);
    mapHeight = static_cast<std::int32_t>(map.height);
    depthMap = depths;
    return 0;
}

std::int32_t cKestruneView::LoadPicture()
{
    if (resource_.empty())
        return 0;
    // Once only, also when it fails: the failure is reported once, and the
    // view goes on showing what was read.
    const std::string resource = std::move(resource_);
    resource_.clear();
    cKestruneFileSystem* const files = cKestruneFileSystem::Current();
    const std::int32_t slot = files ? files->Open(resource.c_str()) : -1;
    if (slot <= 0)
        return -1;
    const std::int32_t result = files->Seek(slot, pictureAt_) == 0 ? ReadPicture(slot) : -1;
    files->Close(slot);
    return result;
}

void cKestruneView::BuildCamera()
{
    const float fov = (kLensBase - kLensSlope * header.lens) * header.lens;
    camera.FOVY = fov;
    camera.NearClipPlane = kNearPlane;
    camera.FarClipPlane = header.farPlane;
    const D3DXVECTOR3 origin(0.0f, 0.0f, 0.0f);
    const D3DXVECTOR3 at(header.direction[0], header.direction[1], header.direction[2]);
    const D3DXVECTOR3 up(header.up[0], header.up[1], header.up[2]);
    const D3DXVECTOR3 eye(header.position[0], header.position[1], header.position[2]);
    D3DXMATRIX view;
    D3DXMatrixLookAtLH(&view, &origin, &at, &up);
    // The rotation's translation row: the axis columns against the eye.
    view._41 = -(view._11 * eye.x + view._21 * eye.y + view._31 * eye.z);
    view._42 = -(view._12 * eye.x + view._22 * eye.y + view._32 * eye.z);
    view._43 = -(view._13 * eye.x + view._23 * eye.y + view._33 * eye.z);
    D3DXMATRIX inverse;
    D3DXMatrixInverse(&inverse, nullptr, &view);
    D3DXMATRIX projection;
    D3DXMatrixPerspectiveFovLH(&projection, fov, kAspect, kNearPlane, header.farPlane);
    D3DXMATRIX inverseProjection;
    D3DXMatrixInverse(&inverseProjection, nullptr, &projection);
    CopyMatrix(view, camera.View4x4);
    CopyMatrix(inverse, camera.InverseView4x4);
    CopyMatrix(projection, camera.Projection4x4);
    CopyMatrix(inverseProjection, camera.InverseProjection4x4);
}

void cKestruneView::Submit(DynArray<RenderQueueEntry>& queue)
{
    LoadPicture();
    for (std::int32_t i = 0; i < images.count; ++i)
        images.data[i]->Submit(queue);
    for (std::int32_t i = 0; i < overlays.count; ++i)
        overlays.data[i]->Submit(queue);
}

float cKestruneView::SampleFloatMap(std::int32_t x, std::int32_t y) const
{
    const std::int32_t top = WorldHost().BandTop();
    const std::int32_t bottom = WorldHost().BandBottom();
    if (x < 1 || x >= mapWidth || y <= top || y >= bottom || !depthMap)
        return -1.0f;
    // A map shorter than the band has no depth below its last row.
    const std::int32_t row = y - top;
    if (row >= mapHeight)
        return -1.0f;
    return depthMap[static_cast<std::size_t>(row) * static_cast<std::size_t>(mapWidth) + static_cast<std::size_t>(x)];
}

void cKestruneView::SaveBlock(int file, std::uint32_t saveToken) const
{
    const std::uint32_t length = static_cast<std::uint32_t>(mirrors.count) * kMirrorRecordSize
        + static_cast<std::uint32_t>(overlays.count) * kOverlayRecordSize + kPayloadFixedSize;
    WriteSavegameBlockHeader(file, "VIE", header.name.c_str(), length);
    std::vector<std::uint8_t> payload;
    DatafileByteWriter writer(payload);
    writer.U32(saveToken);
    writer.I32(mirrorLayerIndex);
    writer.U8(floorMirror);
    writer.U8(0);
    writer.U16(0);
    writer.U32(static_cast<std::uint32_t>(mirrors.count));
    writer.U32(static_cast<std::uint32_t>(overlays.count));
    const std::uint32_t now = WorldHost().FrameTime();
    for (std::int32_t i = 0; i < overlays.count; ++i) {
        const cKestruneImage& image = *overlays.data[i];
        writer.I32(image.currentFrame);
        writer.I32(image.playedFrame);
        writer.I32(image.ended);
        writer.I32(image.direction);
        writer.U32(image.lastStepTime);
        writer.U32(0);
        writer.U32(now - image.lastStepTime);
        writer.FixedText(image.endCallbackName.GetText(), 64);
        writer.U32(ScriptToSaveId(image.endCallbackScript.Get()));
        writer.FixedText(image.frameCallbackName.GetText(), 64);
        writer.U32(ScriptToSaveId(image.frameCallbackScript.Get()));
        writer.I32(image.frameCallbackFrame);
        writer.FixedText(image.name.GetText(), 64);
        writer.FixedText("", 64);
        writer.I32(image.playMode);
        writer.U8(image.vertexAlpha);
        writer.U8(image.sharedCallbacks);
        writer.U8(image.carryOver);
        writer.U8(image.twoTextureSets);
        writer.U32(static_cast<std::uint32_t>(i + 1));
    }
    for (std::int32_t i = 0; i < mirrors.count; ++i)
        for (const float f : mirrors.data[i].plane)
            writer.F32(f);
    _write(file, payload.data(), static_cast<unsigned>(payload.size()));
}

void cKestruneView::LoadBlock(int file, const SavegameBlockHeader& blockHeader)
{
    // A stated length past the end of the file is damage, not a size to
    // allocate.
    std::vector<std::uint8_t> payload;
    if (!ReadWorldBlockPayload(file, blockHeader, WorldBytesLeft(file), payload))
        return;
    DatafileByteReader reader(payload.data(), payload.size());
    token = reader.U32();
    const std::int32_t mirrorIndex = reader.I32();
    // The mirror is one of the image layers, which must be there to be taken.
    if (mirrorIndex >= 0)
        LoadPicture();
    if (mirrorIndex >= 0 && mirrorIndex < images.count && !mirrorLayer) {
        mirrorLayer = images.data[mirrorIndex];
        mirrorLayer->SetDepth(99.9f);
        images.RemoveAt(mirrorIndex);
    }
    mirrorLayerIndex = mirrorIndex;
    floorMirror = reader.U8();
    reader.U8();
    reader.U16();
    const std::uint32_t mirrorCount = reader.U32();
    const std::uint32_t overlayCount = reader.U32();
    // Counts are trusted only as far as the payload holds their records.
    if (std::uint64_t{overlayCount} * kOverlayRecordSize + std::uint64_t{mirrorCount} * kMirrorRecordSize
        > reader.Remaining())
        return;
    cKestruneFileSystem* const files = cKestruneFileSystem::Current();
    const std::uint32_t now = WorldHost().FrameTime();
    for (std::uint32_t i = 0; i < overlayCount; ++i) {
        const std::uint8_t* const record = reader.Take(kOverlayRecordSize);
        DatafileByteReader r(record, kOverlayRecordSize);
        const std::string name = FieldText(record + 168, 64);
        cKestruneImage* image = nullptr;
        for (std::int32_t j = 0; j < overlays.count && !image; ++j) {
            if (name == overlays.data[j]->name.GetText())
                image = overlays.data[j];
        }
        if (!image) {
            const std::string resource = header.name + "_" + name + ".image";
            const std::int32_t slot = files ? files->Open(resource.c_str()) : 0;
            if (slot <= 0)
                continue;
            image = new cKestruneImage();
            if (image->Load(slot) != 0) {
                delete image;
                files->Close(slot);
                continue;
            }
            image->name = name.c_str();
            image->sharedCallbacks = 1;
            overlays.Add(image);
            files->Close(slot);
        }
        const std::int32_t playMode = static_cast<std::int32_t>(
            DatafileByteReader(record + 296, 4).U32());
        image->playMode = playMode;
        image->SetFrame(r.I32());
        image->playedFrame = r.I32();
        image->ended = r.I32();
        image->direction = r.I32();
        r.U32();
        r.U32();
        image->lastStepTime = now - r.U32();
        image->endCallbackName = FieldText(record + 28, 64).c_str();
        r.Take(64);
        image->endCallbackScript = ScriptFromSaveId(r.U32());
        image->frameCallbackName = FieldText(record + 96, 64).c_str();
        r.Take(64);
        image->frameCallbackScript = ScriptFromSaveId(r.U32());
        image->frameCallbackFrame = r.I32();
        image->name = name.c_str();
        image->vertexAlpha = record[300];
        image->sharedCallbacks = record[301];
        image->carryOver = record[302];
        image->twoTextureSets = record[303];
    }
    mirrors.count = 0;
    for (std::uint32_t i = 0; i < mirrorCount; ++i) {
        KestruneMirrorRecord mirror;
        for (float& f : mirror.plane)
            f = reader.F32();
        mirrors.Add(mirror);
    }
}
