#include <gtest/gtest.h>

#include <map>
#include <vector>

#include "launcher/components/kit_application.h"
#include "launcher/components/kit_starter.h"
#include "platform/uxtheme/uxtheme.h"
#include "platform/vcl/forms.h"
#include "platform/win32/backend/headless/headless_backend.h"
#include "tests/support/temp_dir.h"

using namespace kit;

namespace {

class KitUnitsTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        vls::headless::UseManualClock();
        InitializeKitUnits();
    }
    void TearDown() override
    {
        FinalizeKitUnits();
        vcl::Application->ProcessMessages();
    }
    // Moves the clock in steps of the pool's tick, serving each.
    static void RunTicks(int ticks)
    {
        for (int i = 0; i < ticks; ++i) {
            vls::headless::AdvanceClock(50);
            vcl::Application->ProcessMessages();
        }
    }
    vls::test::ScopedConfig config;
};

TEST_F(KitUnitsTest, StartUpCreatesTheGlobalsWithoutThemes)
{
    ASSERT_NE(KitApplication, nullptr);
    ASSERT_NE(KitThemeManager, nullptr);
    ASSERT_NE(KitContainer, nullptr);
    EXPECT_FALSE(KitThemeManager->Hooked());
    EXPECT_TRUE(KitApplication->Themed());
    // Without the library (unless a test installed its double) nothing is bound.
    if (!vls::uxtheme::TestThemeInstalled()) {
        EXPECT_FALSE(KitThemes.available);
        EXPECT_EQ(KitThemes.IsThemeActive, nullptr);
        KitApplication->RefreshThemed();
        EXPECT_FALSE(KitApplication->Themed());
    }
    EXPECT_TRUE(KitOSFlags.winNT);
    EXPECT_TRUE(KitOSFlags.winXP);
    EXPECT_TRUE(KitOSFlags.spiWorks);
    EXPECT_EQ(KitApplication->TimerPool()->MinInterval(), 50);
    EXPECT_EQ(KitApplication->Stored(), "#tdl");
    EXPECT_EQ(KitApplication->CheckBoxSize().cx, 13);
    EXPECT_EQ(KitApplication->PerformanceFrequency(), 1000000);
    EXPECT_FALSE(KitApplication->PrevInstance());
}

TEST_F(KitUnitsTest, ASecondApplicationObjectFindsTheMutex)
{
    TKitApplication second(nullptr);
    EXPECT_TRUE(second.PrevInstance());
    EXPECT_NE(second.Mutex(), nullptr);
}

TEST_F(KitUnitsTest, IntervalsMustSuitMinInterval)
{
    TKitTimerPool* pool = KitApplication->TimerPool();
    for (const int interval : {25, 75, 0, -50, 1001}) {
        try {
            pool->Add(7, interval);
            ADD_FAILURE() << interval;
        } catch (const vcl::EInvalidOperation& e) {
            EXPECT_EQ(e.Message, "Interval not compatible with MinInterval property!");
        }
    }
    EXPECT_EQ(pool->Count(), 0);
    TKitTimerItem* item = pool->Add(7, 150);
    EXPECT_EQ(item->Divider(), 3);
    EXPECT_TRUE(item->Enabled());
    EXPECT_EQ(item->MaxCalls(), -1);
    EXPECT_THROW(pool->Add(7, 100), vcl::EListError);
    EXPECT_THROW(item->SetInterval(120), vcl::EInvalidOperation);
    EXPECT_EQ(item->Interval(), 150);

    // MinInterval is fixed once the pool is running outside loading.
    pool->SetMinInterval(10);
    EXPECT_EQ(pool->MinInterval(), 50);
}

TEST_F(KitUnitsTest, ItemsFireByDividerOnTheClock)
{
    std::map<WORD, std::vector<int>> calls;
    TKitTimerPool* pool = KitApplication->TimerPool();
    pool->OnTimer = [&](vcl::TObject* sender, WORD ident, int count) {
        EXPECT_EQ(sender, pool);
        calls[ident].push_back(count);
    };
    pool->Add(1, 50);
    pool->Add(2, 100);
    pool->Add(3, 150);
    EXPECT_TRUE(pool->Running());
    RunTicks(6);
    EXPECT_EQ(calls[1], (std::vector<int>{1, 2, 3, 4, 5, 6}));
    EXPECT_EQ(calls[2], (std::vector<int>{1, 2, 3}));  // ticks 0, 2, 4
    EXPECT_EQ(calls[3], (std::vector<int>{1, 2}));     // ticks 0, 3
    EXPECT_EQ(pool->Ticks(), 6);

    pool->Remove(1);
    pool->Remove(2);
    pool->Remove(3);
    EXPECT_FALSE(pool->Running());
    RunTicks(2);
    EXPECT_EQ(pool->Ticks(), 6);
}

TEST_F(KitUnitsTest, ItemDisablesItselfAtItsCallLimit)
{
    int calls = 0;
    vcl::TObject* seen = nullptr;
    vcl::TList user;
    const WORD ident = KitApplication->AddTimer(
        50, [&](vcl::TObject* u) {
            ++calls;
            seen = u;
        },
        &user);
    EXPECT_EQ(ident, kFirstTimerIdent);
    TKitTimerItem* item = KitApplication->GetTimer(ident);
    item->SetMaxCalls(3);
    RunTicks(6);
    EXPECT_EQ(calls, 3);
    EXPECT_EQ(seen, &user);
    EXPECT_FALSE(item->Enabled());
    EXPECT_EQ(item->Counter(), 3);
    // Disabling keeps the window timer ticking.
    EXPECT_TRUE(KitApplication->TimerPool()->Running());
}

TEST_F(KitUnitsTest, ItemMayRemoveItselfFromItsCallback)
{
    int calls = 0;
    WORD ident = 0;
    ident = KitApplication->AddTimer(
        50, [&](vcl::TObject*) {
            ++calls;
            KitApplication->RemoveTimer(ident);
        },
        nullptr);
    RunTicks(3);
    EXPECT_EQ(calls, 1);
    EXPECT_EQ(KitApplication->GetTimer(ident), nullptr);
    EXPECT_EQ(KitApplication->AddTimer(50, nullptr, nullptr), ident);  // the slot is free again
}

TEST_F(KitUnitsTest, ExceptionsInCallbacksGoToTheApplication)
{
    int handled = 0;
    vcl::Application->OnException = [&](vcl::TObject*, vcl::Exception& e) {
        EXPECT_EQ(e.Message, "boom");
        ++handled;
    };
    int later = 0;
    KitApplication->AddTimer(50, [](vcl::TObject*) { throw vcl::Exception("boom"); }, nullptr);
    KitApplication->AddTimer(50, [&](vcl::TObject*) { ++later; }, nullptr);
    RunTicks(2);
    vcl::Application->OnException = nullptr;
    EXPECT_EQ(handled, 2);
    EXPECT_EQ(later, 2);
}

TEST_F(KitUnitsTest, TimerIdentifiersRunOut)
{
    for (int i = 0; i < kTimerSlots; ++i)
        ASSERT_EQ(KitApplication->AddTimer(1000, nullptr, nullptr), kFirstTimerIdent + i);
    EXPECT_EQ(KitApplication->AddTimer(1000, nullptr, nullptr), 0);
    try {
        TKitStarter starter(nullptr);
        FAIL();
    } catch (const vcl::EOutOfResources& e) {
        EXPECT_EQ(e.Message, vcl::consts::SOutOfResources);
    }
}

}  // namespace
