#include "engine/natives/engine_natives.h"
#include "engine/world/kestrune_object_handle.h"
#include "engine/world/kestrune_scene.h"
#include "tests/engine/world/world_fixture.h"

#include <gtest/gtest.h>

#include <cmath>

namespace vls::test {
namespace {

class ObjectNativesTest : public WorldTest {
protected:
    ObjectNativesTest() { RegisterObjectNatives(); }
};

TEST_F(ObjectNativesTest, EnabledAndDestinationThroughTheVariablesHandle)
{
    auto script = LoadScript("var door object class cObject\n var seen bool\n"
                             "callsite put cObject__PutEnabled 1 int\n callsite get cObject__GetEnabled 0 bool\n"
                             "callsite dest cObject__SetPathfinderDest 3 int\n"
                             "push bool 1\n native door put\n"
                             "push ref seen\n native door get\n assign\n"
                             "push float 2\n push float 3\n push float 90\n native door dest\n end\n");
    cKestruneScene scene;
    cKestruneObjectHandle* const door = scene.CreateObjectHandle();
    script->Variable(0)->object = door->Handle();
    script->Run("");
    EXPECT_TRUE(link.reports.empty()) << link.reports.back().text;
    EXPECT_EQ(door->enabled, 1);
    EXPECT_EQ(script->Variable(1)->boolValue, 1);
    EXPECT_EQ(door->destX, 2.0f);
    EXPECT_EQ(door->destY, 3.0f);
    EXPECT_NEAR(door->dirX, 0.0f, 1e-6f);
    EXPECT_NEAR(door->dirZ, -1.0f, 1e-6f);
}

TEST_F(ObjectNativesTest, AStaleHandleReachesNothing)
{
    auto script = LoadScript("var door object class cObject\n"
                             "callsite put cObject__PutEnabled 1 int\n push bool 1\n native door put\n end\n");
    ObjectHandle stale;
    {
        cKestruneScene scene;
        stale = scene.CreateObjectHandle()->Handle();
    }
    script->Variable(0)->object = stale;
    script->Run("");
    EXPECT_TRUE(link.reports.empty());
}

} // namespace
} // namespace vls::test
