#pragma once

#include "engine/base/dynarray.h"
#include "engine/base/kestrune_string.h"
#include "engine/script/script_identity.h"
#include "engine/world/walk_map_edge_grid.h"
#include "engine/world/walk_map_node_graph.h"

#include <cstdint>
#include <vector>

class cKestruneEnvironmentLayer;
class cKestruneHotspot;
class cKestrunePlayerControl;
class cKestruneScene;
class cKestruneScript;
class DatafileByteReader;

// One point of a planned walk with the Bezier handles around it and the
// arc-length table of the segment that ends here. Savegames keep the same
// 112 bytes.
struct PathRecord {
    static constexpr std::uint32_t kSize = 112;
    static constexpr int kTableSize = 21;

    float x = 0.0f;
    float z = 0.0f;
    float inX = 0.0f;
    float inZ = 0.0f;
    float outX = 0.0f;
    float outZ = 0.0f;
    std::int32_t node = -1;
    // table[i]: squared straight distance from the previous record's point to
    // the curve at u = i * 0.05.
    float table[kTableSize] = {};
};

// The floor a controller walks on: the scene's "walkmap" layers, the
// walkable and line-of-sight tests over them, the planning of a walk (direct
// or over the layers' node graph), the smoothing of that walk into Bezier
// segments, and the frame step that moves the owner along it and runs the
// arrival event.
class cKestruneWalkMap {
public:
    static constexpr std::uint32_t kSaveRecordSize = 88;
    static constexpr float kWalkSpeed = 1.2f;
    static constexpr float kRunSpeed = 2.4f;

    explicit cKestruneWalkMap(cKestrunePlayerControl* owner);
    cKestruneWalkMap(const cKestruneWalkMap&) = delete;
    cKestruneWalkMap& operator=(const cKestruneWalkMap&) = delete;

    // Binds the current scene's walk layers (none without a scene).
    void Bind();
    void BindLayers(const cKestruneScene& scene);
    void ComputeBounds();

    // mode 1: walkable; 2: not walkable; 3: inside the bounds.
    bool IsWalkable(float x, float z, std::int32_t mode) const;
    bool IsLineBlocked(float x1, float z1, float x2, float z2, std::int32_t node) const;
    // 0 when a walk was planned or none was needed, -1 when there is no path.
    std::int32_t FindPath(float x, float y, float z);
    void Step(float speedFactor);
    void Clear();

    // Records of more than one point make a walk under way.
    std::int32_t RecordCount() const { return static_cast<std::int32_t>(path.size()); }
    // The point on the segment ending at record k (k >= 1) at parameter u.
    void Evaluate(std::size_t k, float u, float& x, float& z) const;

    // The save record and path records, appended to out; and read back from
    // a payload (false when it is short or its count does not fit).
    std::uint32_t SavedSize() const;
    void SaveData(std::vector<std::uint8_t>& out) const;
    bool LoadData(DatafileByteReader& reader);

    // Fields, in the engine's order.
    DynArray<cKestruneEnvironmentLayer*> layers;
    float minZ = 0.0f;
    float maxZ = 0.0f;
    float minX = 0.0f;
    float maxX = 0.0f;
    cKestrunePlayerControl* owner = nullptr;
    std::int32_t mode = 0;
    std::vector<PathRecord> path;
    cString eventName;
    cScriptRef eventScript;
    cKestruneHotspot* eventHotspot = nullptr;
    std::uint32_t lastStepTime = 0;
    float finalDirX = 0.0f;
    float finalDirZ = 0.0f;
    float stepDistance = 0.0f;
    float segmentDistance = 0.0f;
    std::int32_t nodeCount = 0;
    const cKestruneEnvironmentLayer* nodeLayer = nullptr;

private:
    // The last enabled bound layer whose node graph passed the bind check.
    void ChooseNodeLayer();
    bool ClampTarget(float& x, float& z) const;
    bool PlanOverNodes(float startX, float startZ, float targetX, float targetZ);
    void Expand();
    // The node's half of IsLineBlocked: the segment's midpoint against the
    // node's polygon.
    bool BlockedAtNode(float x1, float z1, float x2, float z2, std::int32_t node) const;
    // Grows the handles of an inner point of the walk (see Expand), whose
    // legs are short, with the edges near it gathered once.
    // BlockedAtNode for every handle that GrowHandles may test, when it is
    // the same for all: 1 blocked, 0 free, -1 when it differs or is unknown.
    int NodeVerdictAcross(float x, float z, const float (*directions)[2], int count, float limit, float step,
                          std::int32_t node) const;
    float GrowHandles(float x, float z, const float (*directions)[2], int count, float limit, float step,
                      std::int32_t node);
    void FillTable(std::size_t k);
    void Arrive();

    // The node graphs of the bound layers that passed the bind check, and
    // the one in use.
    std::vector<WalkNodeGraph> graphs_;
    const WalkNodeGraph* graph_ = nullptr;
    WalkEdgeGrid edges_;
    WalkNodePairSearch pairs_;
    WalkEdgeGrid::Nearby nearby_;
};
