#include <gtest/gtest.h>

#include <vector>

#include "platform/vcl/forms.h"
#include "platform/win32/backend/headless/headless_backend.h"
#include "test_controls.h"
#include "tests/support/temp_dir.h"

using namespace vcl;

namespace {

// A container that places its children itself: every child goes to the
// left edge, one under the other, and each layout is logged with the
// control that asked for it.
class TStackBox : public TCustomControl {
    VCL_DECLARE_CLASS(TStackBox, TCustomControl)
public:
    explicit TStackBox(TComponent* owner) : TCustomControl(owner) {}
    std::vector<TControl*> asked;

protected:
    void AlignControls(TControl* control, RECT& rect) override
    {
        asked.push_back(control);
        int top = rect.top;
        for (int i = 0; i < ControlCount(); ++i) {
            TControl* c = Controls(i);
            if (!c->Visible())
                continue;
            c->SetBounds(rect.left, top, c->Width(), c->Height());
            top += c->Height();
        }
    }
};
VCL_IMPLEMENT_CLASS(TStackBox, TCustomControl, [](auto&) {})

// Claims the mouse at design time on its left half only.
class TDesignTarget : public TCustomControl {
    VCL_DECLARE_CLASS(TDesignTarget, TCustomControl)
public:
    explicit TDesignTarget(TComponent* owner) : TCustomControl(owner) {}
    std::vector<POINT> downs;
    std::vector<POINT> asked;

protected:
    void MouseDown(TMouseButton, TShiftState, int x, int y) override { downs.push_back(POINT{x, y}); }

private:
    void CMDesignHitTest(TMessage& m)
    {
        const POINT p{GET_X_LPARAM(m.LParam), GET_Y_LPARAM(m.LParam)};
        asked.push_back(p);
        m.Result = p.x < Width() / 2 ? 1 : 0;
    }
};
VCL_IMPLEMENT_CLASS(TDesignTarget, TCustomControl,
                    [](auto& b) { b.Message(CM_DESIGNHITTEST, &TDesignTarget::CMDesignHitTest); })

class AlignControlTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        vls::headless::UseManualClock();
        form = new TForm(Application);
        form->SetBounds(0, 0, 300, 200);
        form->Show();
        Application->ProcessMessages();
    }
    void TearDown() override
    {
        delete form;
        Application->ProcessMessages();
    }
    TControl* AddChild(TWinControl* parent, int left, int top)
    {
        auto* c = new vcltest::TTestLabel(form);
        c->SetBounds(left, top, 40, 20);
        c->SetParent(parent);
        return c;
    }

    vls::test::ScopedConfig config;
    TForm* form = nullptr;
};

TEST_F(AlignControlTest, ContainerPlacesUnalignedChildrenOnEveryChange)
{
    auto* box = new TStackBox(form);
    box->SetParent(form);
    box->SetBounds(10, 10, 200, 150);
    box->asked.clear();

    TControl* a = AddChild(box, 50, 50);
    TControl* b = AddChild(box, 70, 90);
    EXPECT_EQ(a->BoundsRect().left, 0);
    EXPECT_EQ(a->BoundsRect().top, 0);
    EXPECT_EQ(b->BoundsRect().top, 20);
    // The insertions asked with the inserted control; the moves the layout
    // itself made did not ask again.
    EXPECT_EQ(box->asked, (std::vector<TControl*>{a, b}));

    box->asked.clear();
    a->SetBounds(a->Left(), a->Top(), 40, 35);  // a size change of a plain child
    EXPECT_EQ(b->BoundsRect().top, 35);
    a->SetVisible(false);
    EXPECT_EQ(b->BoundsRect().top, 0);
    EXPECT_EQ(box->asked, (std::vector<TControl*>{a, a}));

    // Removing a child lays out the rest, asking for no control in particular.
    box->asked.clear();
    a->SetVisible(true);
    b->SetParent(nullptr);
    EXPECT_EQ(box->asked, (std::vector<TControl*>{a, nullptr}));
    delete b;
}

TEST_F(AlignControlTest, DisabledAlignmentRunsOnceWhenEnabledAgainAndOnlyIfAsked)
{
    auto* box = new TStackBox(form);
    box->SetParent(form);
    box->SetBounds(10, 10, 200, 150);
    box->asked.clear();

    box->DisableAlign();
    box->DisableAlign();
    TControl* a = AddChild(box, 50, 50);
    AddChild(box, 50, 80);
    EXPECT_TRUE(box->asked.empty());
    EXPECT_EQ(a->Left(), 50);
    box->EnableAlign();
    EXPECT_TRUE(box->asked.empty());  // still disabled once
    box->EnableAlign();
    EXPECT_EQ(box->asked, std::vector<TControl*>{nullptr});
    EXPECT_EQ(a->Left(), 0);

    // Nothing asked while disabled: nothing runs at the end.
    box->asked.clear();
    box->DisableAlign();
    box->EnableAlign();
    EXPECT_TRUE(box->asked.empty());
}

TEST_F(AlignControlTest, DesignTimeMouseReachesOnlyWhereTheControlClaimsIt)
{
    auto* target = new TDesignTarget(form);
    target->SetParent(form);
    target->SetBounds(20, 20, 100, 40);
    Application->ProcessMessages();

    auto click = [&](int x, int y) {
        const POINT p = target->ClientToScreen(POINT{x, y});
        vls::headless::Click(p.x, p.y);
        vls::headless::AdvanceClock(1000);
        Application->ProcessMessages();
    };
    click(10, 5);  // running: the hit test is not asked
    EXPECT_TRUE(target->asked.empty());
    ASSERT_EQ(target->downs.size(), 1u);

    target->SetDesigning(true);
    target->downs.clear();
    click(80, 5);  // right half: the design surface keeps it
    EXPECT_TRUE(target->downs.empty());
    click(10, 7);
    ASSERT_EQ(target->downs.size(), 1u);
    EXPECT_EQ(target->downs[0].y, 7);
    ASSERT_FALSE(target->asked.empty());
    EXPECT_EQ(target->asked.back().x, 10);
}

}  // namespace
