// The rock's walk map planned by the engine's own walk map: the ledge's block
// is cut out of the floor, walks go round it, and the climb's start can be
// walked to from either side and left again.

#include "engine/world/kestrune_walk_map.h"
#include "tests/engine/world/walk_map_fixture.h"
#include "tools/demo/demo_lighthouse.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

namespace vls::test {
namespace {

class RockWalkTest : public ::testing::Test {
protected:
    RockWalkTest() : camera(tools::RockCamera()), ledge(tools::RockLedgeSeenBy(camera)), map(&control)
    {
        host.scene = &scene;
        LayerBuilder builder;
        builder.data = tools::RockWalkLayer(camera).data;
        floor = AddLayer(scene, builder, "walkmap_rock");
        map.BindLayers(scene);
        camera.Unproject(tools::rock::kLedgeFoot, climb);
    }

    tools::FloorPoint Floor(tools::BandPoint pixel) const
    {
        tools::FloorPoint point{};
        camera.Unproject(pixel, point);
        return point;
    }

    bool InBlock(float x, float z) const
    {
        return x > ledge.front.x - tools::kRockLedgeHalfWidth && x < ledge.front.x + tools::kRockLedgeHalfWidth
            && z > ledge.front.z && z < ledge.front.z + tools::kRockLedgeDepth;
    }
    // The way cut in from the block's front to the climb's start.
    bool InClimbWay(float x, float z) const
    {
        return std::abs(x - climb.x) <= tools::rock::kClimbWayHalfWidth && z <= climb.z + tools::rock::kClimbWayHalfWidth;
    }

    WalkHost host;
    cKestruneScene scene;
    tools::DemoFloorCamera camera;
    tools::RockLedge ledge;
    tools::FloorPoint climb{};
    FakeControl control;
    cKestruneWalkMap map;
    cKestruneEnvironmentLayer* floor = nullptr;
};

TEST_F(RockWalkTest, TheLedgesBlockIsCutOutButForTheWayInToTheClimb)
{
    ASSERT_NE(map.nodeLayer, nullptr) << "its nodes passed the bind check";
    EXPECT_TRUE(floor->ContainsPoint(climb.x, climb.z)) << "the climb's start";
    ASSERT_TRUE(InBlock(climb.x, climb.z)) << "lies inside the block, which lifts him straight up onto its top";
    int walkable = 0;
    for (float x = ledge.front.x - 0.6f; x <= ledge.front.x + 0.6f; x += 0.02f)
        for (float z = ledge.front.z - 0.1f; z <= ledge.front.z + 1.3f; z += 0.02f)
            if (InBlock(x, z) && floor->ContainsPoint(x, z)) {
                ++walkable;
                EXPECT_TRUE(InClimbWay(x, z)) << x << "," << z;
            }
    EXPECT_GT(walkable, 0);
    // The floor round the block stays: where he arrives, the shore, and
    // beside and in front of the block.
    for (const tools::BandPoint spot : {tools::rock::kArrival, tools::rock::kShore, tools::BandPoint{600, 490},
                                        tools::BandPoint{410, 432}, tools::BandPoint{470, 505}}) {
        const tools::FloorPoint point = Floor(spot);
        EXPECT_TRUE(floor->ContainsPoint(point.x, point.z)) << spot.x << "," << spot.y;
    }
}

// Every walk is planned, ends where it was sent (or, sent into the block,
// on the edge of its cut-out), and no point of its curves lies inside the
// block but in the way in to the climb.
TEST_F(RockWalkTest, WalksGoRoundTheBlockAndInToTheClimb)
{
    const tools::FloorPoint centre{ledge.front.x, ledge.front.z + tools::kRockLedgeDepth / 2};
    struct Walk {
        const char* what;
        tools::FloorPoint from;
        tools::FloorPoint to;
        bool reaches;  // the target itself, not a place on the cut-out's edge
    };
    const Walk walks[] = {
        {"arrival to the right of the block", Floor(tools::rock::kArrival), Floor({600, 490}), true},
        {"and back", Floor({600, 490}), Floor(tools::rock::kArrival), true},
        {"the tower's foot to the shore", Floor(tools::rock::kTowerFoot), Floor(tools::rock::kShore), true},
        {"right of the block to behind its left", Floor({600, 490}), Floor({410, 432}), true},
        {"arrival to the climb", Floor(tools::rock::kArrival), climb, true},
        {"right of the block to the climb", Floor({600, 490}), climb, true},
        {"the climb to the shore", climb, Floor(tools::rock::kShore), true},
        {"the climb to behind the block's left", climb, Floor({410, 432}), true},
        {"arrival into the middle of the block", Floor(tools::rock::kArrival), centre, false},
        {"the shore into the block's right side", Floor(tools::rock::kShore), {centre.x + 0.5f, centre.z}, false},
    };
    for (const Walk& walk : walks) {
        SCOPED_TRACE(walk.what);
        control.SetPosition(walk.from.x, 0.0f, walk.from.z);
        ASSERT_EQ(map.FindPath(walk.to.x, 0.0f, walk.to.z), 0);
        ASSERT_GE(map.RecordCount(), 2);
        const PathRecord& last = map.path.back();
        if (walk.reaches) {
            EXPECT_FLOAT_EQ(last.x, walk.to.x);
            EXPECT_FLOAT_EQ(last.z, walk.to.z);
        } else {
            EXPECT_TRUE(floor->ContainsPoint(last.x, last.z)) << last.x << "," << last.z;
        }
        for (std::size_t k = 1; k < map.path.size(); ++k)
            for (int i = 0; i <= 50; ++i) {
                float x = 0.0f, z = 0.0f;
                map.Evaluate(k, static_cast<float>(i) / 50.0f, x, z);
                EXPECT_FALSE(InBlock(x, z) && !InClimbWay(x, z)) << "segment " << k << " at " << x << "," << z;
            }
    }
}

} // namespace
} // namespace vls::test
