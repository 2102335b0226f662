#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/vcl/dragdock.h"
#include "platform/vcl/forms.h"
#include "platform/win32/backend/headless/headless_backend.h"
#include "test_controls.h"
#include "tests/support/temp_dir.h"

using namespace vcl;

namespace {

class DragDock : public ::testing::Test {
protected:
    void SetUp() override
    {
        vls::headless::UseManualClock();
        form = new TForm(Application);
        form->SetBounds(0, 0, 400, 300);
        form->Show();
        source = new vcltest::TTestButton(form);
        source->SetParent(form);
        source->SetBounds(10, 10, 60, 20);
        target = new vcltest::TTestButton(form);
        target->SetParent(form);
        target->SetBounds(200, 10, 80, 80);
        Application->ProcessMessages();
    }
    void TearDown() override
    {
        delete form;
        Application->ProcessMessages();
    }
    static void MoveTo(TControl* c, int x, int y)
    {
        const POINT p = c->ClientToScreen(POINT{x, y});
        vls::headless::MouseMove(p.x, p.y);
        Application->ProcessMessages();
    }
    static void Button(bool down)
    {
        vls::headless::MouseButton(vls::backend::MouseButton::Left, down);
        Application->ProcessMessages();
    }

    vls::test::ScopedConfig config;
    TForm* form = nullptr;
    vcltest::TTestButton* source = nullptr;
    vcltest::TTestButton* target = nullptr;
};

TEST_F(DragDock, AutomaticDragCarriesTheControlToAnAcceptingTarget)
{
    source->SetDragMode(dmAutomatic);
    std::vector<std::string> log;
    source->OnStartDrag = [&](TObject*, TDragObject*&) { log.push_back("start"); };
    target->OnDragOver = [&](TObject*, TObject* from, int x, int y, TDragState state, bool& accept) {
        log.push_back("over " + std::to_string(state) + " " + std::to_string(x) + "," + std::to_string(y));
        accept = from == source;
    };
    TObject* dropped = nullptr;
    target->OnDragDrop = [&](TObject*, TObject* from, int, int) { dropped = from; };
    TObject* endTarget = source;
    source->OnEndDrag = [&](TObject*, TObject* t, int x, int y) {
        endTarget = t;
        log.push_back("end " + std::to_string(x) + "," + std::to_string(y));
    };
    int downs = 0;
    source->OnMouseDown = [&](TObject*, TMouseButton, TShiftState, int, int) { ++downs; };
    MoveTo(source, 5, 5);
    Button(true);
    EXPECT_TRUE(source->Dragging());
    EXPECT_EQ(downs, 0);  // an automatic drag takes the press
    MoveTo(target, 10, 12);
    MoveTo(target, 11, 12);
    Button(false);
    EXPECT_FALSE(source->Dragging());
    EXPECT_EQ(dropped, source);
    EXPECT_EQ(endTarget, target);
    const std::vector<std::string> want = {"start", "over 0 10,12", "over 2 11,12", "end 11,12"};
    EXPECT_EQ(log, want);
}

TEST_F(DragDock, ATargetFreedDuringTheDragIsNotDroppedOn)
{
    source->SetDragMode(dmAutomatic);
    target->OnDragOver = [&](TObject*, TObject*, int, int, TDragState, bool& accept) { accept = true; };
    TObject* endTarget = source;
    source->OnEndDrag = [&](TObject*, TObject* t, int, int) { endTarget = t; };
    MoveTo(source, 5, 5);
    Button(true);
    MoveTo(target, 10, 10);
    ASSERT_TRUE(source->Dragging());
    delete target;
    target = nullptr;
    Button(false);
    EXPECT_FALSE(source->Dragging());
    EXPECT_EQ(endTarget, nullptr);

    // The next drag leaves the freed control alone too.
    vls::headless::AdvanceClock(1000);
    endTarget = source;
    MoveTo(source, 5, 5);
    Button(true);
    MoveTo(form, 300, 200);
    Button(false);
    EXPECT_EQ(endTarget, nullptr);
}

TEST_F(DragDock, ThresholdAndRefusal)
{
    source->OnMouseDown = [&](TObject*, TMouseButton, TShiftState, int, int) { source->BeginDrag(false, 8); };
    int starts = 0, clicks = 0;
    source->OnStartDrag = [&](TObject*, TDragObject*&) { ++starts; };
    source->OnClick = [&](TObject*) { ++clicks; };
    // A press and release that stays within the threshold is a click.
    MoveTo(source, 5, 5);
    Button(true);
    MoveTo(source, 10, 10);
    Button(false);
    EXPECT_EQ(starts, 0);
    EXPECT_EQ(clicks, 1);
    EXPECT_FALSE(source->Dragging());
    // Past the threshold it drags; a target without OnDragOver refuses.
    TObject* endTarget = source;
    source->OnEndDrag = [&](TObject*, TObject* t, int, int) { endTarget = t; };
    vls::headless::AdvanceClock(1000);
    MoveTo(source, 5, 5);
    Button(true);
    MoveTo(target, 20, 20);
    EXPECT_EQ(starts, 1);
    Button(false);
    EXPECT_EQ(endTarget, nullptr);
    EXPECT_EQ(clicks, 1);
}

TEST_F(DragDock, EscapeCancels)
{
    source->SetDragMode(dmAutomatic);
    source->SetTabStop(true);
    int drops = 0;
    target->OnDragOver = [&](TObject*, TObject*, int, int, TDragState, bool& accept) { accept = true; };
    target->OnDragDrop = [&](TObject*, TObject*, int, int) { ++drops; };
    MoveTo(source, 5, 5);
    Button(true);
    MoveTo(target, 5, 5);
    source->Perform(WM_KEYDOWN, VK_ESCAPE, 0);
    EXPECT_FALSE(source->Dragging());
    Button(false);
    EXPECT_EQ(drops, 0);
}

TEST_F(DragDock, DockingOntoASiteAndFloatingOff)
{
    auto* site = new TWinControl(form);
    site->SetParent(form);
    site->SetBounds(150, 120, 200, 150);
    site->SetDockSite(true);
    site->SetUseDockManager(true);
    auto* panel = new vcltest::TTestButton(form);
    panel->SetParent(form);
    panel->SetBounds(10, 150, 50, 40);
    panel->SetDragKind(dkDock);
    panel->SetDragMode(dmAutomatic);
    Application->ProcessMessages();
    std::vector<std::string> log;
    site->OnGetSiteInfo = [&](TObject*, TControl* client, RECT&, POINT, bool& canDock) {
        canDock = client == panel;
    };
    site->OnDockOver = [&](TObject*, TDragDockObject* d, int, int, TDragState state, bool& accept) {
        log.push_back("over " + std::to_string(state));
        accept = d->Control() == panel;
    };
    site->OnDockDrop = [&](TObject*, TDragDockObject* d, int, int) {
        log.push_back("drop " + std::to_string(d->DropAlign));
    };
    panel->OnEndDock = [&](TObject*, TObject* t, int, int) { log.push_back(t == site ? "end site" : "end none"); };
    MoveTo(panel, 5, 5);
    Button(true);
    MoveTo(site, 5, 75);  // near the left edge
    Button(false);
    EXPECT_EQ(panel->Parent(), site);
    EXPECT_EQ(panel->HostDockSite(), site);
    EXPECT_EQ(site->DockClientCount(), 1);
    EXPECT_EQ(panel->Align(), alLeft);
    EXPECT_FALSE(panel->Floating());
    EXPECT_EQ(log, (std::vector<std::string>{"over 0", "drop " + std::to_string(alLeft), "end site"}));

    // Dragged out onto nothing, it floats on a host form of its own.
    bool allowed = false;
    site->OnUnDock = [&](TObject*, TControl* client, TWinControl*, bool& allow) {
        allow = allowed;
        EXPECT_EQ(client, panel);
    };
    vls::headless::AdvanceClock(1000);
    MoveTo(panel, 5, 5);
    Button(true);
    MoveTo(form, 30, 30);
    const POINT drop = form->ClientToScreen(POINT{30, 30});
    Button(false);
    EXPECT_EQ(panel->Parent(), site);  // OnUnDock said no
    allowed = true;
    vls::headless::AdvanceClock(1000);
    MoveTo(panel, 5, 5);
    Button(true);
    MoveTo(form, 30, 30);
    Button(false);
    ASSERT_NE(panel->Parent(), nullptr);
    EXPECT_NE(panel->Parent(), site);
    EXPECT_TRUE(panel->Floating());
    EXPECT_EQ(site->DockClientCount(), 0);
    EXPECT_EQ(panel->Parent()->Left(), drop.x);
    EXPECT_EQ(panel->Parent()->Top(), drop.y);
    EXPECT_TRUE(panel->Parent()->Visible());
    EXPECT_EQ(panel->Parent()->ClientWidth(), panel->Width());  // the host's client holds it whole
    EXPECT_EQ(panel->Parent()->ClientHeight(), panel->Height());

    // And docks back by code, its host going away.
    panel->ManualDock(site, nullptr, alTop);
    Application->ProcessMessages();
    EXPECT_EQ(panel->Parent(), site);
    EXPECT_EQ(panel->Align(), alTop);
    EXPECT_FALSE(panel->Floating());
}

TEST_F(DragDock, ControlListChangesAreAnnounced)
{
    std::vector<std::pair<TControl*, LPARAM>> seen;
    auto* site = new TWinControl(form);
    site->SetParent(form);
    site->WindowProc = [&, site](TMessage& m) {
        if (m.Msg == CM_CONTROLLISTCHANGE)
            seen.emplace_back(reinterpret_cast<TControl*>(m.WParam), m.LParam);
        site->WndProc(m);
    };
    source->SetParent(site);
    source->SetParent(form);
    EXPECT_EQ(seen, (std::vector<std::pair<TControl*, LPARAM>>{{source, 1}, {source, 0}}));
    site->WindowProc = [site](TMessage& m) { site->WndProc(m); };
}

TEST(ColorValues, EveryNameInTableOrder)
{
    std::vector<AnsiString> names;
    GetColorValues([&](const AnsiString& n) { names.push_back(n); });
    ASSERT_GT(names.size(), 30u);
    EXPECT_EQ(names.front(), "clBlack");
    for (const AnsiString& n : names)
        EXPECT_EQ(ColorToString(StringToColor(n)), n);
}

}  // namespace
