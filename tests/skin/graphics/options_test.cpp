#include <gtest/gtest.h>

#include "platform/vcl/filer.h"
#include "skin/graphics/sk_options.h"

using namespace skin;

TEST(SkOptions, ClampsAndNotifications)
{
    TSkBlending blending;
    int changes = 0;
    blending.OnChange = [&](vcl::TObject* sender) {
        EXPECT_EQ(sender, &blending);
        ++changes;
    };
    blending.SetValue(300);
    EXPECT_EQ(blending.Value(), 255);
    blending.SetValue(-5);
    EXPECT_EQ(blending.Value(), 0);
    EXPECT_EQ(changes, 2);
    blending.SetValue(0);
    EXPECT_EQ(changes, 2);

    TSkShadow shadow;
    int shadowChanges = 0;
    shadow.OnChange = [&](vcl::TObject*) { ++shadowChanges; };
    shadow.SetEnabled(true);
    shadow.SetSize(0);
    EXPECT_FALSE(shadow.Enabled());
    EXPECT_EQ(shadow.Size(), 0);
    EXPECT_EQ(shadowChanges, 2);
    shadow.SetSize(25);
    EXPECT_EQ(shadow.Size(), 20);

    struct Case {
        const char* what;
        std::function<void(int)> set;
        std::function<int()> get;
        int in, out;
    };
    TSkGravitation g;
    TSkAnimation a;
    const Case cases[] = {
        {"gravitation low", [&](int v) { g.SetSize(v); }, [&] { return g.Size(); }, 0, 1},
        {"gravitation high", [&](int v) { g.SetSize(v); }, [&] { return g.Size(); }, 80, 50},
        {"time low", [&](int v) { a.SetTime(v); }, [&] { return a.Time(); }, 10, 50},
        {"time high", [&](int v) { a.SetTime(v); }, [&] { return a.Time(); }, 20000, 9000},
        {"resolution low", [&](int v) { a.SetResolution(v); }, [&] { return a.Resolution(); }, 0, 1},
        {"resolution high", [&](int v) { a.SetResolution(v); }, [&] { return a.Resolution(); }, 11, 10},
        {"tiles low", [&](int v) { a.SetTileCount(v); }, [&] { return a.TileCount(); }, 0, 1},
        {"tiles high", [&](int v) { a.SetTileCount(v); }, [&] { return a.TileCount(); }, 21, 20},
    };
    for (const Case& c : cases) {
        c.set(c.in);
        EXPECT_EQ(c.get(), c.out) << c.what;
    }
}

TEST(SkOptions, AssignCopiesSameClassOnly)
{
    TSkBlending from, to;
    from.SetEnabled(true);
    from.SetValue(100);
    int changes = 0;
    to.OnChange = [&](vcl::TObject*) { ++changes; };
    to.Assign(&from);
    EXPECT_TRUE(to.Enabled());
    EXPECT_EQ(to.Value(), 100);
    EXPECT_EQ(changes, 1);
    TSkShadow shadow;
    EXPECT_THROW(to.Assign(&shadow), vcl::Exception);

    TSkPopupMenuOptions group, other;
    other.Animation()->SetEffect(keDiamondIn);
    other.Shadow()->SetSize(9);
    int groupChanges = 0;
    group.OnChange = [&](vcl::TObject*) { ++groupChanges; };
    group.Assign(&other);
    EXPECT_EQ(group.Animation()->Effect(), keDiamondIn);
    EXPECT_EQ(group.Shadow()->Size(), 9);
    EXPECT_EQ(groupChanges, 1);
    group.SetBlending(other.Blending());
    EXPECT_EQ(groupChanges, 2);
    // The group keeps its own objects.
    EXPECT_NE(group.Blending(), other.Blending());
}

TEST(SkOptions, DefaultsAndTransitionValues)
{
    TSkAnimation a;
    EXPECT_EQ(a.Effect(), keFade);
    EXPECT_EQ(a.Time(), 400);
    a.SetDirection(kdRotate90);
    const TSkTransition t = a.Transition();
    EXPECT_EQ(t.Direction, kdRotate90);
    EXPECT_EQ(t.Time, 400);
    TSkDragging d;
    EXPECT_EQ(d.DragMode(), kfdmFullDrag);
    TSkGravitation g;
    EXPECT_TRUE(g.Enabled());
    EXPECT_EQ(g.Size(), 20);
    TSkFormOptions f;
    ASSERT_TRUE(f.Blending() && f.Shadow() && f.Animation());
    RegisterOptionClasses();
    EXPECT_EQ(vcl::GetClass("TSkPopupMenuOptions"), TSkPopupMenuOptions::StaticClass());
}
