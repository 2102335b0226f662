#include <gtest/gtest.h>

#include <algorithm>

#include "platform/vcl/actnlist.h"
#include "platform/vcl/menus.h"
#include "platform/vcl/sysobjs.h"
#include "platform/user/winuser.h"
#include "tests/support/temp_dir.h"

using namespace vcl;

namespace {

TEST(Services, ObjectInstancesCallTheirMethodAndAreReused)
{
    int seen = 0;
    WNDPROC a = MakeObjectInstance([&](TMessage& m) {
        seen = static_cast<int>(m.Msg);
        m.Result = 42;
    });
    WNDPROC b = MakeObjectInstance([&](TMessage& m) { m.Result = 7; });
    ASSERT_NE(a, b);
    EXPECT_EQ(a(nullptr, 0x1234, 0, 0), 42);
    EXPECT_EQ(seen, 0x1234);
    EXPECT_EQ(b(nullptr, 1, 0, 0), 7);
    FreeObjectInstance(a);
    WNDPROC c = MakeObjectInstance([](TMessage& m) { m.Result = 9; });
    EXPECT_EQ(c, a);  // the freed entry point is handed out again
    EXPECT_EQ(c(nullptr, 1, 0, 0), 9);
    FreeObjectInstance(b);
    FreeObjectInstance(c);
}

TEST(Services, StackFileSearchAndShortcuts)
{
    TStack stack;
    int x = 1, y = 2;
    stack.Push(&x);
    stack.Push(&y);
    EXPECT_TRUE(stack.AtLeast(2));
    EXPECT_EQ(stack.Peek(), &y);
    EXPECT_EQ(stack.Pop(), &y);
    EXPECT_EQ(stack.Pop(), &x);
    EXPECT_EQ(stack.Pop(), nullptr);

    vls::test::TempDir dir;
    dir.write("resource.001", "abc");
    dir.write("resource.002", "defg");
    dir.write("other.txt", "x");
    std::vector<std::string> names;
    TSearchRec rec;
    for (int r = FindFirst((dir / "resource.*").string(), faAnyFile, rec); r == 0; r = FindNext(rec))
        names.push_back(rec.Name + ":" + std::to_string(rec.Size));
    FindClose(rec);
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names, (std::vector<std::string>{"resource.001:3", "resource.002:4"}));
    EXPECT_NE(FindFirst((dir / "none.*").string(), faAnyFile, rec), 0);
    EXPECT_TRUE(FileExists((dir / "other.txt").string()));
    EXPECT_FALSE(FileExists(dir.path().string()));
    EXPECT_TRUE(DirectoryExists(dir.path().string()));

    EXPECT_EQ(ShortCutToText(MakeShortCut('S', false, true, false)), "Ctrl+S");
    EXPECT_EQ(ShortCutToText(MakeShortCut(VK_F10, true, false, false)), "Shift+F10");
    EXPECT_EQ(ShortCutToText(VK_DELETE), "Del");
    EXPECT_EQ(TextToShortCut("Ctrl+S"), MakeShortCut('S', false, true, false));
    EXPECT_EQ(TextToShortCut("nonsense"), scNone);
}

// A client that follows its action in caption and enabled state.
class TFollower : public TActionLink {
public:
    using TActionLink::TActionLink;
    AnsiString caption;
    bool enabled = true;
    void SetCaption(const AnsiString& v) override
    {
        if (IsCaptionLinked())
            caption = v;
    }
    void SetEnabled(bool v) override
    {
        if (IsEnabledLinked())
            enabled = v;
    }
};

TEST(Services, ActionsReachTheirLinks)
{
    auto* action = new TAction(nullptr);
    TFollower link(nullptr);
    link.SetAction(action);
    action->SetCaption("&Save");
    action->SetEnabled(false);
    EXPECT_EQ(link.caption, "&Save");
    EXPECT_FALSE(link.enabled);
    int runs = 0;
    action->OnExecute = [&](TObject*) { ++runs; };
    EXPECT_TRUE(link.Execute());
    EXPECT_EQ(runs, 1);
    delete action;
    EXPECT_EQ(link.Action(), nullptr);  // the link forgets a freed action
    EXPECT_FALSE(link.Execute());
}

}  // namespace
