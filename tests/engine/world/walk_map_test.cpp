#include "engine/base/datafile_bytes.h"
#include "engine/world/kestrune_hotspot.h"
#include "engine/world/kestrune_walk_map.h"
#include "tests/engine/world/walk_map_fixture.h"
#include "tests/engine/world/world_fixture.h"

#include <gtest/gtest.h>

#include <cstring>
#include <new>

namespace vls::test {
namespace {

class WalkMapTest : public WorldTest {
protected:
    WalkMapTest() { host.scene = &scene; }

    void Place(float x, float z)
    {
        control.position[0] = x;
        control.position[2] = z;
    }
    // Every leg of the planned path is clear of the layers' edges.
    void ExpectLegsClear() const
    {
        for (std::size_t k = 1; k < map.path.size(); ++k)
            EXPECT_FALSE(map.IsLineBlocked(map.path[k - 1].x, map.path[k - 1].z, map.path[k].x, map.path[k].z, -1))
                << "leg " << k;
    }

    WalkHost host;
    cKestruneScene scene;
    FakeControl control;
    cKestruneWalkMap map{&control};
};

TEST_F(WalkMapTest, WalkableAndBoundsTests)
{
    EXPECT_FALSE(map.IsWalkable(1, 1, 1)) << "no layers: nothing is walkable";
    EXPECT_TRUE(map.IsWalkable(1, 1, 2));
    AddLayer(scene, HoleFloor());
    map.Bind();
    struct Case {
        float x, z;
        bool walkable, inBounds;
    };
    const Case cases[] = {
        {1, 1, true, true}, {5, 5, false, true}, {3.9f, 5, true, true}, {11, 5, false, false},
        {10, 10, false, true}, {0, 0, true, true}, {-0.1f, 5, false, false},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(map.IsWalkable(c.x, c.z, 1), c.walkable) << c.x << "," << c.z;
        EXPECT_EQ(map.IsWalkable(c.x, c.z, 2), !c.walkable) << c.x << "," << c.z;
        EXPECT_EQ(map.IsWalkable(c.x, c.z, 3), c.inBounds) << c.x << "," << c.z;
    }
    EXPECT_EQ(map.nodeCount, 4);
    scene.layers.data[0]->enabled = 0;
    EXPECT_FALSE(map.IsWalkable(1, 1, 1)) << "a disabled layer holds no floor";
}

TEST_F(WalkMapTest, LineOfSightAndTheNodePolygonTest)
{
    AddLayer(scene, HoleFloor());
    map.Bind();
    EXPECT_TRUE(map.IsLineBlocked(1, 5, 9, 5, -1)) << "through the hole";
    EXPECT_FALSE(map.IsLineBlocked(1, 1, 9, 1, -1));
    EXPECT_FALSE(map.IsLineBlocked(-5, -5, -1, -1, -1)) << "off the floor but crossing no edge";
    EXPECT_TRUE(map.IsLineBlocked(-5, -5, -1, -1, 0)) << "midpoint outside the node's floor polygon";
    EXPECT_FALSE(map.IsLineBlocked(1, 1, 2, 2, 0));
}

TEST_F(WalkMapTest, PathTables)
{
    AddLayer(scene, HoleFloor(true));
    map.Bind();
    struct Case {
        const char* what;
        float fromX, fromZ, toX, toZ;
        std::int32_t result;
        std::vector<std::int32_t> nodes; // node of every record; empty: no path
        float lastX, lastZ;
    };
    const Case cases[] = {
        {"direct", 1, 1, 9, 1, 0, {-1, -1}, 9, 1},
        {"around the hole", 2, 5, 8, 5, 0, {-1, 0, 1, -1}, 8, 5},
        {"unreachable island", 2, 5, 25, 5, -1, {}, 0, 0},
        {"clamped out of the hole", 1, 5, 5, 5, 0, {-1, -1}, 3.999f, 5},
        {"far off the floor", 1, 1, 200, 200, -1, {}, 0, 0},
    };
    for (const Case& c : cases) {
        Place(c.fromX, c.fromZ);
        EXPECT_EQ(map.FindPath(c.toX, 0, c.toZ), c.result) << c.what;
        ASSERT_EQ(map.path.size(), c.nodes.size()) << c.what;
        EXPECT_EQ(map.mode, c.nodes.empty() ? 0 : 1) << c.what;
        if (c.nodes.empty())
            continue;
        for (std::size_t k = 0; k < c.nodes.size(); ++k)
            EXPECT_EQ(map.path[k].node, c.nodes[k]) << c.what << " record " << k;
        EXPECT_FLOAT_EQ(map.path.front().x, c.fromX) << c.what;
        EXPECT_NEAR(map.path.back().x, c.lastX, 1e-4) << c.what;
        EXPECT_NEAR(map.path.back().z, c.lastZ, 1e-4) << c.what;
        ExpectLegsClear();
    }
}

TEST_F(WalkMapTest, AClickOnTheOwnPositionOnlyTurns)
{
    AddLayer(scene, HoleFloor());
    map.Bind();
    Place(1, 1);
    map.finalDirX = 0;
    map.finalDirZ = 1;
    EXPECT_EQ(map.FindPath(1, 0, 1), 0);
    EXPECT_TRUE(map.path.empty());
    EXPECT_EQ(map.mode, 0);
    EXPECT_EQ(control.turns, 1);
    EXPECT_FLOAT_EQ(control.facing[2], 1.0f);
    EXPECT_EQ(map.finalDirZ, 0.0f) << "the direction is used once";
}

TEST_F(WalkMapTest, CurvesStayClearAndTablesMeasureThem)
{
    AddLayer(scene, HoleFloor());
    map.Bind();
    Place(1, 1);
    control.facing[0] = -1; // facing away: no handle at the start
    ASSERT_EQ(map.FindPath(9, 0, 1), 0);
    ASSERT_EQ(map.path.size(), 2u);
    const PathRecord& straight = map.path[1];
    EXPECT_EQ(straight.table[0], 0.0f);
    EXPECT_NEAR(straight.table[20], 64.0f, 1e-3);
    EXPECT_NEAR(straight.table[10], 16.0f, 1e-3) << "a straight leg is measured at its parameter";

    Place(2, 5);
    control.facing[0] = 0;
    control.facing[2] = -1; // toward the first node
    map.finalDirX = 1;
    map.finalDirZ = 0;
    ASSERT_EQ(map.FindPath(8, 5, 5), 0);
    ASSERT_EQ(map.path.size(), 4u);
    EXPECT_LT(map.path[0].outZ, 5.0f) << "the start handle follows the facing";
    EXPECT_LT(map.path.back().inX, 8.0f) << "the end handle comes in along the final direction";
    EXPECT_NE(map.path[1].inX, map.path[1].outX) << "a corner is rounded";
    // Every curve point keeps off the hole.
    for (std::size_t k = 1; k < map.path.size(); ++k) {
        for (int i = 0; i <= 20; ++i) {
            float x, z;
            map.Evaluate(k, i * 0.05f, x, z);
            EXPECT_TRUE(map.IsWalkable(x, z, 1)) << k << " u=" << i * 0.05f << " at " << x << "," << z;
        }
        EXPECT_GT(map.path[k].table[20], 0.0f);
    }
}

TEST_F(WalkMapTest, SpeedsOnTheClockAndArrivalOnce)
{
    AddLayer(scene, HoleFloor());
    map.Bind();
    auto script = LoadScript("var hits int\n func arrived\n push ref hits\n push int 1\n assign\n ret\n");
    Place(1, 1);
    ASSERT_EQ(map.FindPath(9, 0, 1), 0);
    map.eventScript = script.get();
    map.eventName = "arrived";
    host.now += 1000;
    map.Step(1.0f);
    // The table is sampled every 0.05 of the curve parameter: within 0.02.
    EXPECT_NEAR(control.position[0], 2.2f, 0.02) << "1.2 units a second";
    EXPECT_FLOAT_EQ(control.position[1], 0.5f) << "height from the controller";
    EXPECT_NEAR(map.stepDistance, 1.2f, 0.02);
    map.mode = 2;
    host.now += 1000;
    map.Step(1.0f);
    EXPECT_NEAR(control.position[0], 4.6f, 0.02) << "running doubles the speed";
    const float before = control.position[0];
    host.now -= 500;
    map.Step(1.0f);
    EXPECT_EQ(control.position[0], before) << "a clock gone backwards moves nothing";
    host.now += 10000;
    map.Step(1.0f);
    EXPECT_FLOAT_EQ(control.position[0], 9.0f);
    EXPECT_EQ(map.mode, 0);
    EXPECT_EQ(script->Variable(0)->intValue, 0) << "the event fires one frame after the end";
    map.Step(1.0f);
    EXPECT_EQ(script->Variable(0)->intValue, 1);
    script->Variable(0)->intValue = 0;
    map.Step(1.0f);
    EXPECT_EQ(script->Variable(0)->intValue, 0) << "once only";

    map.eventScript = script.get();
    map.Step(1.0f);
    EXPECT_EQ(script->Variable(0)->intValue, 1) << "an event set while standing runs on the next step";
}

TEST_F(WalkMapTest, AnArrivalEventDiesWithItsScriptEvenWhenANewScriptTakesItsAddress)
{
    // The next scene's script is often made where the old one was freed.
    const std::vector<std::uint8_t> code =
        tools::AssembleScriptBytes("var hits int\n func on_use\n push ref hits\n push int 1\n assign\n ret\n");
    alignas(cKestruneScript) unsigned char storage[sizeof(cKestruneScript)];
    auto* const old = new (storage) cKestruneScript();
    ASSERT_EQ(old->LoadFromMemory(code.data(), code.size()), 0);
    map.eventScript = old;
    map.eventName = "on_use";
    old->~cKestruneScript();
    auto* const next = new (storage) cKestruneScript();
    ASSERT_EQ(next->LoadFromMemory(code.data(), code.size()), 0);
    ASSERT_EQ(static_cast<void*>(next), static_cast<void*>(old));

    map.Step(1.0f);
    EXPECT_EQ(next->Variable(0)->intValue, 0) << "the old scene's on_use does not run in the new scene";
    EXPECT_FALSE(map.eventScript) << "the event is used up all the same";
    next->~cKestruneScript();
}

TEST_F(WalkMapTest, DuplicatePointsAreSkippedWithoutAStall)
{
    AddLayer(scene, HoleFloor());
    map.Bind();
    Place(1, 1);
    ASSERT_EQ(map.FindPath(5, 0, 1), 0);
    // Splice a repeated point into the middle of the walk.
    PathRecord middle = map.path[1];
    middle.x = middle.inX = middle.outX = 3;
    map.path.insert(map.path.begin() + 1, middle);
    map.path.insert(map.path.begin() + 1, middle);
    map.path[1].table[1] = 1; // the first leg has a length; the repeat has none
    for (float& t : map.path[2].table)
        t = 0.0f;
    map.path[1].x = 3;
    map.Step(1.0f);
    host.now += 100000;
    map.Step(1.0f);
    EXPECT_FLOAT_EQ(control.position[0], 3.0f);
    EXPECT_EQ(map.path.size(), 2u) << "the repeat is dropped with the leg before it";
    EXPECT_EQ(map.mode, 1);
}

TEST_F(WalkMapTest, SaveAndLoadInTheMiddleOfAWalk)
{
    AddLayer(scene, HoleFloor());
    scene.hotspots.Add(new cKestruneHotspot());
    scene.hotspots.Add(new cKestruneHotspot());
    map.Bind();
    auto script = LoadScript("var hits int\n func arrived\n push ref hits\n push int 1\n assign\n ret\n");
    script->id = script->SaveIdentity();
    Place(2, 5);
    map.finalDirX = 0;
    map.finalDirZ = 1;
    ASSERT_EQ(map.FindPath(8, 0, 5), 0);
    map.eventScript = script.get();
    map.eventName = "arrived";
    map.eventHotspot = scene.hotspots.data[1];
    host.now += 1500;
    map.Step(1.0f);
    host.now += 40;

    std::vector<std::uint8_t> bytes;
    map.SaveData(bytes);
    ASSERT_EQ(bytes.size(), map.SavedSize());
    EXPECT_EQ(bytes.size(), 88u + 112u * map.path.size());

    FakeControl resumed;
    for (int i = 0; i < 3; ++i)
        resumed.position[i] = control.position[i];
    cKestruneWalkMap loaded(&resumed);
    loaded.Bind();
    DatafileByteReader reader(bytes.data(), bytes.size());
    ASSERT_TRUE(loaded.LoadData(reader));
    EXPECT_EQ(loaded.path.size(), map.path.size());
    EXPECT_EQ(loaded.mode, 1) << "the walk goes on";
    EXPECT_EQ(loaded.eventScript, script.get());
    EXPECT_EQ(loaded.eventHotspot, scene.hotspots.data[1]);
    EXPECT_EQ(loaded.lastStepTime, map.lastStepTime);
    EXPECT_EQ(loaded.finalDirZ, 1.0f);
    for (std::size_t k = 0; k < map.path.size(); ++k)
        EXPECT_EQ(std::memcmp(loaded.path[k].table, map.path[k].table, sizeof map.path[k].table), 0);

    for (int frame = 0; frame < 100 && loaded.mode != 0; ++frame) {
        host.now += 200;
        loaded.Step(1.0f);
    }
    loaded.Step(1.0f);
    EXPECT_FLOAT_EQ(resumed.position[0], 8.0f);
    EXPECT_EQ(script->Variable(0)->intValue, 1) << "the arrival event fires after loading";
    EXPECT_EQ(scene.hoverHotspot, scene.hotspots.data[1]);

    std::vector<std::uint8_t> shortBytes(bytes.begin(), bytes.end() - 1);
    DatafileByteReader shortReader(shortBytes.data(), shortBytes.size());
    cKestruneWalkMap refused(&resumed);
    EXPECT_FALSE(refused.LoadData(shortReader)) << "a count past the data is refused";
    EXPECT_TRUE(refused.path.empty());
}

TEST_F(WalkMapTest, BadNodeGraphsAreRefusedAtBind)
{
    LayerBuilder builder = HoleFloor();
    builder.data.rows[1].next = 99;
    AddLayer(scene, builder);
    map.Bind();
    EXPECT_EQ(map.nodeCount, 0);
    EXPECT_EQ(map.nodeLayer, nullptr);
    ASSERT_EQ(link.reports.size(), 1u);
    Place(2, 5);
    EXPECT_EQ(map.FindPath(8, 0, 5), -1) << "no graph: no way around the hole";

    cKestruneScene other;
    LayerBuilder badPolygon = HoleFloor();
    badPolygon.data.nodes[2].field[2] = 7;
    AddLayer(other, badPolygon);
    map.BindLayers(other);
    EXPECT_EQ(map.nodeCount, 0);
}

} // namespace
} // namespace vls::test
