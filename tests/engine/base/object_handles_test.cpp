#include "engine/base/object_handles.h"

#include <gtest/gtest.h>

#include <set>

namespace {

TEST(ObjectHandles, ResolveOnlyTheLiveObjectOfItsKind)
{
    int a = 0;
    const ObjectHandle handle = RegisterObject(&a, ObjectKind::Image);
    ASSERT_NE(handle, kNoObject);
    EXPECT_EQ(ResolveObject(handle, ObjectKind::Image), &a);
    EXPECT_EQ(ResolveObject(handle, ObjectKind::Any), &a);
    EXPECT_EQ(ResolveObject(handle, ObjectKind::Text), nullptr);
    EXPECT_EQ(ResolveObject(kNoObject, ObjectKind::Any), nullptr);
    EXPECT_EQ(RegisterObject(nullptr, ObjectKind::Image), kNoObject);
    ReleaseObject(handle);
    EXPECT_EQ(ResolveObject(handle, ObjectKind::Image), nullptr);
    // Releasing twice, or a handle never issued, changes nothing.
    ReleaseObject(handle);
    ReleaseObject(0xFFFFFFFFu);
}

TEST(ObjectHandles, AReusedSlotNeverAnswersAStaleHandle)
{
    int a = 0;
    int b = 0;
    const std::size_t before = LiveObjectCount();
    const ObjectHandle first = RegisterObject(&a, ObjectKind::Text);
    ReleaseObject(first);
    const ObjectHandle second = RegisterObject(&b, ObjectKind::Text);
    EXPECT_NE(first, second);
    EXPECT_EQ(ResolveObject(first, ObjectKind::Text), nullptr);
    EXPECT_EQ(ResolveObject(second, ObjectKind::Text), &b);
    EXPECT_EQ(LiveObjectCount(), before + 1);
    ReleaseObject(second);
    EXPECT_EQ(LiveObjectCount(), before);
}

TEST(ObjectHandles, ASlotIsRetiredBeforeItsGenerationWraps)
{
    int a = 0;
    std::set<ObjectHandle> issued;
    // Far more lifetimes than one slot's 4095 generations: every handle is new.
    for (int i = 0; i < 10000; ++i) {
        const ObjectHandle handle = RegisterObject(&a, ObjectKind::Test);
        EXPECT_TRUE(issued.insert(handle).second) << i;
        ReleaseObject(handle);
    }
}

TEST(ObjectHandles, AnEntryLivesWithItsObject)
{
    int a = 0;
    ObjectHandle handle;
    {
        const cObjectHandleEntry entry(&a, ObjectKind::Character);
        handle = entry.Handle();
        EXPECT_EQ(ResolveObjectAs<int>(handle, ObjectKind::Character), &a);
    }
    EXPECT_EQ(ResolveObject(handle, ObjectKind::Character), nullptr);
}

} // namespace
