#pragma once

#include "engine/base/dynarray.h"
#include "engine/render/render_queue.h"
#include "engine/world/view_format.h"
#include "platform/granny/granny_types.h"

#include <cstdint>
#include <string>

class cKestruneImage;
struct SavegameBlockHeader;

// One 16-byte mirror record as held (set by the output natives).
struct KestruneMirrorRecord {
    float plane[4] = {};
};

// One camera position of a scene: the pre-rendered image layers, the camera
// the 3D characters are drawn with, and the depth map of the picture.
class cKestruneView {
public:
    static constexpr std::uint32_t kOverlayRecordSize = 308;
    static constexpr std::uint32_t kMirrorRecordSize = 16;
    static constexpr std::uint32_t kPayloadFixedSize = 20;

    cKestruneView() = default;
    ~cKestruneView();
    cKestruneView(const cKestruneView&) = delete;
    cKestruneView& operator=(const cKestruneView&) = delete;

    // 0, or -1 when the resource is short or damaged (reported). Given the
    // resource's name, the picture (image layers and depth map) is only
    // checked here and read when the view is first shown (LoadPicture): a
    // scene's other views cost nothing until the player gets there.
    std::int32_t Load(std::int32_t slot, const char* resource = nullptr);
    // Reads the picture that Load left in the file, once; 0 when it is
    // there, -1 when it could not be read (reported, the view then shows
    // what was read). Everything that shows a view or uses its layers or
    // depth map calls it first.
    std::int32_t LoadPicture();
    bool PictureLoaded() const { return resource_.empty(); }
    void Submit(DynArray<RenderQueueEntry>& queue);
    // The depth at screen pixel (x, y); -1.0 outside the map and the band.
    float SampleFloatMap(std::int32_t x, std::int32_t y) const;
    bool IsDetailView() const { return header.detail != 0; }
    bool HasCamera() const { return header.lens != 0.0f && header.farPlane != 0.0f; }
    const char* Name() const { return header.name.c_str(); }

    // The "VIE" block; token is the value this view is known by in the save.
    void SaveBlock(int file, std::uint32_t saveToken) const;
    // Reads the payload of the block whose header the scene has read.
    void LoadBlock(int file, const SavegameBlockHeader& blockHeader);

    // Fields, in the engine's order.
    ViewHeader header;
    granny_camera camera{};
    cKestruneImage* mirrorLayer = nullptr;
    std::int32_t mirrorLayerIndex = -1;
    std::uint8_t floorMirror = 0;
    DynArray<KestruneMirrorRecord> mirrors;
    DynArray<cKestruneImage*> images;
    DynArray<cKestruneImage*> overlays;
    std::int32_t mapWidth = 0;
    std::int32_t mapHeight = 0;
    float* depthMap = nullptr;
    std::uint32_t token = 0;

private:
    void BuildCamera();
    std::int32_t ReadPicture(std::int32_t slot);

    // The resource still holding the picture, empty once it is read.
    std::string resource_;
    // Where the picture starts in the resource.
    std::int32_t pictureAt_ = 0;
};
