#pragma once

#include "engine/base/kestrune_string.h"
#include "engine/world/environment_layer_format.h"

#include <cstdint>

class cKestruneScript;
class cKestruneView;

// A named set of polygon areas on the floor (x/z) plane with the triangles
// that give the floor height and the walk map's node graph. Layers serve as
// walkable floor ("walkmap..."), view regions, stairs and triggers.
class cKestruneEnvironmentLayer {
public:
    static constexpr std::uint32_t kStateRecordSize = 160;

    cKestruneEnvironmentLayer() = default;

    // Reads the header and the data block from the slot's position. 0, or -1
    // when the block is short or its tables do not fit it (reported).
    std::int32_t Load(std::int32_t slot);
    // The same from bytes in memory (the header included).
    std::int32_t LoadFromMemory(const std::uint8_t* bytes, std::size_t size);

    bool PointInPolygon(float x, float z, std::uint32_t polygon) const;
    bool PointInTriangle(float x, float z, std::uint32_t triangle) const;
    bool ContainsPoint(float x, float z) const;
    // Writes the result only when some polygon contains the point.
    void ContainsPointOut(float x, float z, std::uint8_t& out) const;
    bool SegmentCrossesEdges(float x1, float z1, float x2, float z2) const;
    // The same test against one polygon's edges.
    bool SegmentCrossesPolygon(std::uint32_t polygon, float x1, float z1, float x2, float z2) const;
    void GetBounds(float& minX, float& minZ, float& maxX, float& maxZ) const;
    bool HeightAt(float x, float z, float& y);
    // Weights of p in the triangle a, b, c of the x/z plane; false (weights
    // zero) for a degenerate triangle, which holds no point.
    static bool Barycentric(const LayerPoint& a, const LayerPoint& b, const LayerPoint& c, float px, float pz,
                            float weights[3]);
    void SetStairValue(std::int32_t count);
    // The enter and leave triggers for the player at (x, z); callbacks run
    // in the scene script.
    void UpdateTrigger(bool hasPlayer, float x, float z, cKestruneScript* sceneScript);

    // The 160-byte layer-state record of the scene's savegame block; the
    // view token is resolved by the scene.
    void SaveState(std::uint8_t* record, std::uint32_t viewToken) const;
    std::uint32_t LoadState(const std::uint8_t* record);

    const cString& Name() const { return name_; }
    const LayerData& Data() const { return data_; }

    // Fields, in the engine's order.
    std::int32_t lastTriangle = 0;
    LayerHeader header;
    std::uint8_t enabled = 0;
    cKestruneView* view = nullptr;
    std::uint8_t stairActive = 0;
    std::uint8_t triggerActive = 0;
    cString enterCallback;
    cString leaveCallback;
    std::uint8_t playerInside = 0;
    std::int32_t stairCount = 0;
    float stairTop = 0.0f;
    float stairBottom = 0.0f;
    float stairStepHeight = 0.0f;
    float stairStepLength = 0.0f;

private:
    // The last polygon holding the point decides: -1 none, else 1 inside
    // (not a hole) or 0 (a hole). The enabled flag is not consulted.
    int ContainingVerdict(float x, float z) const;
    bool PolygonHolds(float x, float z, const LayerPolygon& polygon) const;

    cString name_;
    LayerData data_;
};
