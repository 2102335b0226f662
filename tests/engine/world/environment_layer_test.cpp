#include "engine/world/kestrune_environment_layer.h"
#include "tests/engine/world/layer_fixture.h"
#include "tests/engine/world/world_fixture.h"

#include <gtest/gtest.h>

#include <cmath>

namespace vls::test {
namespace {

class LayerTest : public WorldTest {
protected:
    cKestruneEnvironmentLayer& Make(const LayerBuilder& builder)
    {
        const std::vector<std::uint8_t> bytes = builder.Bytes();
        EXPECT_EQ(layer.LoadFromMemory(bytes.data(), bytes.size()), 0);
        layer.enabled = 1;
        return layer;
    }
    cKestruneEnvironmentLayer layer;
};

TEST_F(LayerTest, SquareEdgesCountOnTheLowSideOnly)
{
    Make(LayerBuilder().Rect(0, 0, 10, 10));
    struct Case {
        float x, z;
        bool inside;
    };
    const Case cases[] = {
        {5, 5, true},   {0, 5, true},   {5, 0, true},    {10, 5, false}, {5, 10, false},
        {0, 0, true},   {10, 10, false}, {-0.01f, 5, false}, {9.99f, 9.99f, true},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(layer.PointInPolygon(c.x, c.z, 0), c.inside) << c.x << "," << c.z;
        EXPECT_EQ(layer.ContainsPoint(c.x, c.z), c.inside) << c.x << "," << c.z;
    }
    layer.enabled = 0;
    EXPECT_FALSE(layer.PointInPolygon(5, 5, 0));
    EXPECT_FALSE(layer.ContainsPoint(5, 5));
}

TEST_F(LayerTest, TheLastContainingPolygonDecides)
{
    Make(LayerBuilder().Rect(0, 0, 10, 10).Rect(4, 4, 6, 6, true));
    EXPECT_FALSE(layer.ContainsPoint(5, 5));
    EXPECT_TRUE(layer.ContainsPoint(2, 2));
    std::uint8_t out = 7;
    layer.ContainsPointOut(5, 5, out);
    EXPECT_EQ(out, 0);
    layer.ContainsPointOut(20, 20, out);
    EXPECT_EQ(out, 0) << "left unchanged outside every polygon";
    layer.ContainsPointOut(2, 2, out);
    EXPECT_EQ(out, 1);

    cKestruneEnvironmentLayer holeFirst;
    const auto bytes = LayerBuilder().Rect(4, 4, 6, 6, true).Rect(0, 0, 10, 10).Bytes();
    ASSERT_EQ(holeFirst.LoadFromMemory(bytes.data(), bytes.size()), 0);
    holeFirst.enabled = 1;
    EXPECT_TRUE(holeFirst.ContainsPoint(5, 5));
}

TEST_F(LayerTest, TrianglesIncludeTheirEdgesAndGiveHeights)
{
    // A slope: y = x over the square, two triangles.
    LayerBuilder builder;
    builder.Polygon({{0, 0, 0}, {10, 10, 0}, {10, 10, 10}, {0, 0, 10}});
    builder.Triangle(0, 2, 3).Triangle(0, 1, 2);
    Make(builder);
    EXPECT_TRUE(layer.PointInTriangle(0, 0, 0));
    EXPECT_TRUE(layer.PointInTriangle(5, 5, 0));
    EXPECT_FALSE(layer.PointInTriangle(8, 2, 0));
    EXPECT_TRUE(layer.PointInTriangle(8, 2, 1));
    EXPECT_FALSE(layer.PointInTriangle(5, 5, 9)) << "no such triangle";
    float y = -1;
    ASSERT_TRUE(layer.HeightAt(3, 7, y));
    EXPECT_NEAR(y, 3.0f, 1e-4f);
    EXPECT_EQ(layer.lastTriangle, 0);
    ASSERT_TRUE(layer.HeightAt(8, 2, y));
    EXPECT_NEAR(y, 8.0f, 1e-4f);
    EXPECT_EQ(layer.lastTriangle, 1);
    EXPECT_FALSE(layer.HeightAt(20, 2, y)) << "outside the area";
}

TEST_F(LayerTest, HeightOutsideEveryTriangleComesFromTheLastOneFound)
{
    LayerBuilder builder;
    builder.Rect(0, 0, 10, 10);
    builder.Polygon({{0, 3, 0}, {0, 3, 2}, {2, 3, 0}});
    // Triangle over the second polygon only (corners are table indexes).
    builder.Triangle(4, 5, 6);
    Make(builder);
    float y = 0;
    ASSERT_TRUE(layer.HeightAt(9, 9, y));
    EXPECT_NEAR(y, 3.0f, 1e-5f) << "distance-weighted corners of triangle 0";
    // A collinear triangle holds no point and gives no NaN.
    LayerBuilder flat;
    flat.Polygon({{0, 1, 0}, {5, 1, 5}, {10, 1, 10}, {0, 1, 10}});
    flat.Triangle(0, 1, 2);
    cKestruneEnvironmentLayer line;
    const auto bytes = flat.Bytes();
    ASSERT_EQ(line.LoadFromMemory(bytes.data(), bytes.size()), 0);
    line.enabled = 1;
    ASSERT_TRUE(line.HeightAt(2, 5, y));
    EXPECT_FALSE(std::isnan(y));
    float w[3];
    EXPECT_FALSE(cKestruneEnvironmentLayer::Barycentric({0, 0, 0}, {1, 0, 1}, {2, 0, 2}, 1, 1, w));
    // Without triangles there is no height at all.
    cKestruneEnvironmentLayer bare;
    const auto plain = LayerBuilder().Rect(0, 0, 10, 10).Bytes();
    ASSERT_EQ(bare.LoadFromMemory(plain.data(), plain.size()), 0);
    bare.enabled = 1;
    EXPECT_FALSE(bare.HeightAt(5, 5, y));
}

TEST_F(LayerTest, SegmentsCrossOnlyThroughEdgeInteriors)
{
    // An open polyline: the closing edge (0,10)-(0,0) is not tested.
    Make(LayerBuilder().Polygon({{0, 0, 0}, {10, 0, 0}, {10, 0, 10}, {0, 0, 10}}));
    struct Case {
        float x1, z1, x2, z2;
        bool crosses;
    };
    const Case cases[] = {
        {5, 5, 15, 5, true},    // through the right edge
        {5, 5, 6, 6, false},    // inside
        {-5, 5, 5, 5, false},   // through the closing edge only
        {5, 5, 15, 15, false},  // exactly through the vertex (10, 10)
        {5, 5, 10, 5, false},   // ends on an edge
        {12, -5, 12, 15, false} // beside the square
    };
    for (const Case& c : cases)
        EXPECT_EQ(layer.SegmentCrossesEdges(c.x1, c.z1, c.x2, c.z2), c.crosses) << c.x1 << "," << c.z1 << " " << c.x2;
    layer.enabled = 0;
    EXPECT_FALSE(layer.SegmentCrossesEdges(5, 5, 15, 5));
}

TEST_F(LayerTest, BoundsCoverHolesAndStartWide)
{
    Make(LayerBuilder().Rect(-3, 1, 4, 2).Rect(0, -7, 1, 9, true));
    layer.enabled = 0;
    float minX, minZ, maxX, maxZ;
    layer.GetBounds(minX, minZ, maxX, maxZ);
    EXPECT_EQ(minX, -3);
    EXPECT_EQ(minZ, -7);
    EXPECT_EQ(maxX, 4);
    EXPECT_EQ(maxZ, 9);
    cKestruneEnvironmentLayer empty;
    empty.GetBounds(minX, minZ, maxX, maxZ);
    EXPECT_EQ(minX, 100000.0f);
    EXPECT_EQ(minZ, 100000.0f);
    EXPECT_EQ(maxX, -100000.0f);
    EXPECT_EQ(maxZ, -100000.0f);
}

TEST_F(LayerTest, StairsTakeTheSteeperEdgeAndIgnoreUnusableData)
{
    // p0-p1 rises 3 over x 4; p1-p2 is flat: the stair edge is p0-p1.
    Make(LayerBuilder().Polygon({{0, 0, 0}, {4, 3, 0}, {4, 3, 5}}));
    layer.SetStairValue(5);
    EXPECT_EQ(layer.stairActive, 1);
    EXPECT_EQ(layer.stairTop, 3.0f);
    EXPECT_EQ(layer.stairBottom, 0.0f);
    EXPECT_FLOAT_EQ(layer.stairStepHeight, 0.6f);
    EXPECT_FLOAT_EQ(layer.stairStepLength, 1.0f);

    struct Case {
        const char* what;
        LayerBuilder builder;
        std::int32_t count;
    };
    Case cases[] = {
        {"too few points", LayerBuilder().Polygon({{0, 0, 0}, {4, 3, 0}}), 5},
        {"no polygon", LayerBuilder(), 5},
        {"zero steps", LayerBuilder().Polygon({{0, 0, 0}, {4, 3, 0}, {4, 3, 5}}), 0},
        {"no rise", LayerBuilder().Rect(0, 0, 4, 4), 5},
    };
    for (Case& c : cases) {
        cKestruneEnvironmentLayer stair;
        const auto bytes = c.builder.Bytes();
        ASSERT_EQ(stair.LoadFromMemory(bytes.data(), bytes.size()), 0) << c.what;
        stair.SetStairValue(c.count);
        EXPECT_EQ(stair.stairActive, 0) << c.what;
        EXPECT_FALSE(std::isnan(stair.stairStepHeight)) << c.what;
    }
}

TEST_F(LayerTest, TriggersFireOnceOnEnterAndOnLeave)
{
    auto script = LoadScript("var hits int global g_hits\n"
                             "func in\n push ref hits\n push int 1\n assign\n ret\n"
                             "func out\n push ref hits\n push int 2\n assign\n ret\n");
    Make(LayerBuilder().Rect(0, 0, 10, 10));
    layer.triggerActive = 1;
    layer.enterCallback = "in";
    layer.leaveCallback = "out";
    const auto hits = [&] { return script->Variable(0)->intValue; };
    layer.UpdateTrigger(true, 5, 5, script.get());
    EXPECT_EQ(hits(), 1);
    script->Variable(0)->intValue = 0;
    layer.UpdateTrigger(true, 6, 6, script.get());
    EXPECT_EQ(hits(), 0) << "already inside";
    layer.UpdateTrigger(true, 20, 5, script.get());
    EXPECT_EQ(hits(), 2);
    layer.enabled = 0;
    script->Variable(0)->intValue = 0;
    layer.UpdateTrigger(true, 5, 5, script.get());
    EXPECT_EQ(hits(), 0);
    EXPECT_EQ(layer.playerInside, 0);
    layer.enabled = 1;
    layer.UpdateTrigger(false, 5, 5, script.get());
    EXPECT_EQ(layer.playerInside, 0) << "no player";
}

TEST_F(LayerTest, StateRecordRoundTrips)
{
    Make(LayerBuilder().Rect(0, 0, 10, 10));
    layer.triggerActive = 1;
    layer.enterCallback = "enter_fn";
    layer.leaveCallback = "leave_fn";
    layer.playerInside = 1;
    layer.stairCount = 4;
    layer.stairTop = 2.5f;
    std::uint8_t record[cKestruneEnvironmentLayer::kStateRecordSize];
    layer.SaveState(record, 0x1234);
    cKestruneEnvironmentLayer copy;
    EXPECT_EQ(copy.LoadState(record), 0x1234u);
    EXPECT_EQ(copy.enabled, 1);
    EXPECT_EQ(copy.triggerActive, 1);
    EXPECT_STREQ(copy.enterCallback.GetText(), "enter_fn");
    EXPECT_STREQ(copy.leaveCallback.GetText(), "leave_fn");
    EXPECT_EQ(copy.playerInside, 1);
    EXPECT_EQ(copy.stairCount, 4);
    EXPECT_EQ(copy.stairTop, 2.5f);
}

TEST_F(LayerTest, DamagedLayersAreRefused)
{
    const std::vector<std::uint8_t> good = LayerBuilder().Rect(0, 0, 10, 10).Triangle(0, 1, 2).Bytes();
    struct Case {
        const char* what;
        std::size_t offset; // a u32 of the header or block to overwrite
        std::uint32_t value;
        std::size_t cut;    // bytes dropped from the end
    };
    const Case cases[] = {
        {"data past the stream", 0, 0, 4},
        {"polygon count past the block", 68, 1000, 0},
        {"huge node count", 84, 0x40000000, 0},
        {"node count whose row table wraps 64 bits", 84, 0xFFFFFFFF, 0},
        {"point count past the block", 92, 0xFFFFFFFF, 0},
        {"triangle corner past its polygon", 92 + 12 + 4 * 12, 9, 0},
        {"triangle corner in a missing polygon", 92 + 12 + 4 * 12, 3 << 16, 0},
    };
    for (const Case& c : cases) {
        std::vector<std::uint8_t> bytes = good;
        if (c.cut)
            bytes.resize(bytes.size() - c.cut);
        else
            for (int i = 0; i < 4; ++i)
                bytes[c.offset + i] = static_cast<std::uint8_t>(c.value >> (8 * i));
        cKestruneEnvironmentLayer damaged;
        link.reports.clear();
        EXPECT_EQ(damaged.LoadFromMemory(bytes.data(), bytes.size()), -1) << c.what;
        ASSERT_EQ(link.reports.size(), 1u) << c.what;
        EXPECT_EQ(link.reports[0].module, "gameplay") << c.what;
        damaged.enabled = 1;
        EXPECT_FALSE(damaged.ContainsPoint(5, 5)) << c.what;
    }
}

} // namespace
} // namespace vls::test
