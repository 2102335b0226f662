#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "platform/vcl/forms.h"
#include "skin/skins/sk_frame_actions.h"
#include "skin/skins/sk_system_buttons.h"

using namespace skin;

namespace {

// A frame that records the actions asked of it.
class TFakeFrame : public vcl::TComponent, public TSkFrameActions {
    VCL_DECLARE_CLASS(TFakeFrame, vcl::TComponent)
public:
    explicit TFakeFrame(vcl::TComponent* owner) : vcl::TComponent(owner) {}
    unsigned icons = 0x7F;
    std::vector<std::string> actions;
    TSkSkinObject* customSender = nullptr;

    unsigned FrameBorderIcons() const override { return icons; }
    void FrameClose() override { actions.push_back("close"); }
    void FrameHelp() override { actions.push_back("help"); }
    void FrameMinimize() override { actions.push_back("minimize"); }
    void FrameMaximize() override { actions.push_back("maximize"); }
    void FrameRestore() override { actions.push_back("restore"); }
    void FrameRollup() override { actions.push_back("rollup"); }
    void FrameMinimizeToTray() override { actions.push_back("tray"); }
    void FrameShowSystemMenu() override { actions.push_back("sysmenu"); }
    void FrameCustomAction(TSkSkinObject* button) override
    {
        actions.push_back("custom");
        customSender = button;
    }
};
VCL_IMPLEMENT_CLASS(TFakeFrame, vcl::TComponent, [](auto& b) { b.Component(); })

// The control that paints the skin: answers the frame query with its frame
// and counts change notices.
class TFrameHost : public vcl::TGraphicControl {
    VCL_DECLARE_CLASS(TFrameHost, vcl::TGraphicControl)
public:
    explicit TFrameHost(vcl::TComponent* owner) : vcl::TGraphicControl(owner) {}
    TFakeFrame* frame = nullptr;
    int changes = 0;
};
VCL_IMPLEMENT_CLASS(TFrameHost, vcl::TGraphicControl, [](auto& b) {
    b.Component();
    b.Message(SKM_GETFORM, [](TFrameHost* self, vcl::TMessage& m) {
        m.Result = reinterpret_cast<LRESULT>(static_cast<vcl::TComponent*>(self->frame));
    });
    b.Message(SKM_OBJECTCHANGED, [](TFrameHost* self, vcl::TMessage&) { ++self->changes; });
})

struct Fixture {
    TFakeFrame frame{nullptr};
    TFrameHost host{nullptr};
    TSkSkinObject root{nullptr};
    Fixture() { host.frame = &frame; }
    template <class T>
    T* Add(TSkAction action)
    {
        auto* b = new T(&root);
        b->SetAction(action);
        b->SetBounds(RECT{0, 0, 10, 10});
        root.SetControl(&host);
        return b;
    }
};

}  // namespace

TEST(SkSystemButtons, FollowTheWindowStateAndBorderIcons)
{
    struct Case {
        TSkAction action;
        std::uint8_t state;
        unsigned icons;
        bool visible;
    };
    const unsigned all = 0x7F;
    const Case cases[] = {
        {sbaRestore, kStateNormal, all, false},     {sbaMaximize, kStateNormal, all, true},
        {sbaRollDown, kStateNormal, all, false},    {sbaMaximize, kStateMaximized, all, false},
        {sbaRestore, kStateMaximized, all, true},   {sbaRollUp, kStateMinimized, all, false},
        {sbaClose, kStateMinimized, all, true},     {sbaRollDown, kStateRolledUp, all, true},
        {sbaRollUp, kStateRolledUp, all, false},    {sbaClose, kStateNormal, all & ~(1u << kfiClose), false},
        {sbaRestore, kStateMaximized, all & ~(1u << kfiMaximize), false},
        {sbaSysMenu, kStateNormal, all & ~(1u << kfiSystemMenu), false},
        {sbaCustom, kStateNormal, 0, true},         {sbaTray, kStateNormal, all & ~(1u << kfiTray), false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.action) + " in " + std::to_string(c.state));
        for (int kind = 0; kind < 2; ++kind) {
            Fixture f;
            f.frame.icons = c.icons;
            TSkSkinObject* b = kind == 0 ? static_cast<TSkSkinObject*>(f.Add<TSkSystemButton>(c.action))
                                         : f.Add<TSkSysButtonSkinObject>(c.action);
            f.root.SetState(c.state);
            EXPECT_EQ(b->Visible, c.visible);
        }
    }
    // Without a frame nothing changes; a state outside the frame's leaves it.
    TSkSkinObject root(nullptr);
    auto* lone = new TSkSystemButton(&root);
    lone->SetAction(sbaRestore);
    root.SetState(kStateNormal);
    EXPECT_TRUE(lone->Visible);
    Fixture f;
    auto* b = f.Add<TSkSystemButton>(sbaMaximize);
    f.root.SetState(kStateMaximized);
    f.root.SetState(kStateHot);
    EXPECT_FALSE(b->Visible);
}

TEST(SkSystemButtons, ActOnlyWhenReleasedOverThemselves)
{
    Fixture f;
    auto* close = f.Add<TSkSystemButton>(sbaClose);
    close->MouseEnter();
    EXPECT_EQ(close->HoverState(), 1);
    close->MouseDown(vcl::mbLeft, 1, 1);
    EXPECT_EQ(close->HoverState(), 2);
    close->MouseLeave();
    close->MouseUp(vcl::mbLeft, 1, 1);
    EXPECT_TRUE(f.frame.actions.empty());
    // Coming back with the button held counts as pressed again.
    close->MouseMove(vcl::TShiftState{vcl::ssLeft}, 1, 1);
    close->MouseEnter();
    EXPECT_EQ(close->HoverState(), 2);
    close->MouseUp(vcl::mbRight, 1, 1);
    EXPECT_TRUE(f.frame.actions.empty());
    close->MouseDown(vcl::mbLeft, 1, 1);
    close->MouseUp(vcl::mbLeft, 1, 1);
    EXPECT_EQ(f.frame.actions, std::vector<std::string>{"close"});
    EXPECT_EQ(close->HoverState(), 1);
    EXPECT_GE(f.host.changes, 5);
}

TEST(SkSystemButtons, EveryActionReachesTheFrame)
{
    const std::pair<TSkAction, const char*> table[] = {
        {sbaClose, "close"},     {sbaHelp, "help"},         {sbaMinimize, "minimize"}, {sbaMaximize, "maximize"},
        {sbaRestore, "restore"}, {sbaRollDown, "restore"},  {sbaRollUp, "rollup"},     {sbaTray, "tray"},
        {sbaSysMenu, "sysmenu"}, {sbaCustom, "custom"},
    };
    for (const auto& [action, name] : table) {
        Fixture f;
        auto* b = f.Add<TSkSysButtonSkinObject>(action);
        b->DoAction();
        EXPECT_EQ(f.frame.actions, std::vector<std::string>{name});
    }
    Fixture f;
    auto* sysMenu = f.Add<TSkSystemButton>(sbaSysMenu);
    sysMenu->DblClick(vcl::mbLeft, 0, 0);
    auto* other = f.Add<TSkSystemButton>(sbaMinimize);
    other->DblClick(vcl::mbLeft, 0, 0);
    EXPECT_EQ(f.frame.actions, std::vector<std::string>{"close"});
    auto* custom = f.Add<TSkSystemButton>(sbaCustom);
    custom->DoAction();
    EXPECT_EQ(f.frame.customSender, custom);
}

TEST(SkSystemButtons, RollPanelButtonTogglesThePanelOfItsTree)
{
    Fixture f;
    auto* panel = new TSkRollPanelObject(&f.root);
    panel->SetName("Drawer");
    panel->SetRollKind(rkLeft);
    panel->SetRollValue(10);
    panel->SetBounds(RECT{100, 0, 200, 50});
    auto* group = new TSkSkinObject(&f.root);
    auto* button = new TSkSysButtonSkinObject(group);
    button->SetAction(sbaRollPanel);
    button->SetRollPanel("drawer");
    f.root.SetControl(&f.host);

    button->DoAction();
    EXPECT_EQ(panel->GetBounds().left, 190);  // the right edge stays
    EXPECT_EQ(panel->Width(), 10);
    button->DoAction();
    EXPECT_EQ(panel->GetBounds().left, 100);
    EXPECT_EQ(panel->Width(), 100);

    panel->SetRollKind(rkBottom);
    panel->Roll();
    EXPECT_EQ(panel->Top(), 0);  // the top edge stays
    EXPECT_EQ(panel->Height(), 10);

    // A top-level panel (no owner) does not roll.
    TSkRollPanelObject alone(nullptr);
    alone.SetRollValue(5);
    alone.SetWidth(40);
    alone.Roll();
    EXPECT_EQ(alone.Width(), 40);
}

TEST(SkSystemButtons, HoverPaintsTheHoverPictureWithChildrenInTheMatchingState)
{
    TSkBitmapList bitmaps;
    auto* image = new TSkBitmap();
    image->SetName("b");
    image->SetSize(3, 1);
    image->Bits()[0] = 0xFF000010;
    image->Bits()[1] = 0xFF000020;
    image->Bits()[2] = 0xFF000030;
    bitmaps.Add(image);
    Fixture f;
    auto* b = f.Add<TSkSystemButton>(sbaClose);
    for (auto [link, left] : {std::pair{b->Bitmap(), 0}, std::pair{b->BitmapHot(), 1}, std::pair{b->BitmapPressed(), 2}}) {
        link->SetName("b");
        link->SetRect(RECT{left, 0, left + 1, 1});
    }
    auto* glyph = new TSkTextObject(b);
    glyph->SetName("Glyph");
    glyph->SetColor(vcl::clNone);
    f.root.SetBitmapList(&bitmaps);
    f.root.ResolveLinks();

    TSkBitmap surface;
    surface.SetSize(10, 10);
    vcl::TCanvas canvas;
    canvas.SetHandle(surface.DC());
    struct Case {
        bool active;
        int hover;  // 0 none, 1 entered, 2 pressed
        TPixel want;
    };
    for (const Case& c : {Case{true, 0, 0x10}, Case{true, 1, 0x20}, Case{true, 2, 0x30}, Case{false, 2, 0x10}}) {
        f.root.SetActive(c.active);
        if (c.hover >= 1)
            b->MouseEnter();
        if (c.hover == 2)
            b->MouseDown(vcl::mbLeft, 0, 0);
        surface.Fill(0xFF000000);
        b->Paint(&canvas);
        EXPECT_EQ(surface.GetPixel(5, 5) & 0xFFFFFF, c.want);
        // Afterwards the tree is as it was.
        EXPECT_EQ(b->Active, c.active);
        EXPECT_EQ(glyph->State, kStateNormal);
        b->MouseUp(vcl::mbRight, 0, 0);
        b->MouseLeave();
    }
    canvas.SetHandle(nullptr);
}

TEST(SkSkinObjects2, ActiveColourButtonAndLinkObjectsPaintByState)
{
    TSkBitmap surface;
    surface.SetSize(30, 10);
    vcl::TCanvas canvas;
    canvas.SetHandle(surface.DC());
    surface.Fill(0xFF000000);

    TFrameHost host(nullptr);
    TSkActiveSkinObject active(nullptr);
    active.SetColor(vcl::clBlue);
    active.SetActiveColor(vcl::clRed);
    active.SetBounds(RECT{0, 0, 10, 10});
    active.SetControl(&host);
    active.MouseEnter();
    EXPECT_EQ(active.State, kStateHot);
    EXPECT_EQ(host.changes, 1);
    active.Paint(&canvas);
    EXPECT_EQ(surface.GetPixel(5, 5) & 0xFFFFFF, 0xFF0000u);
    active.MouseLeave();
    active.Paint(&canvas);
    EXPECT_EQ(surface.GetPixel(5, 5) & 0xFFFFFF, 0x0000FFu);

    TSkColorButtonObject button(nullptr);
    button.SetColor(vcl::clBlue);
    button.SetPressedColor(vcl::clLime);
    button.SetBounds(RECT{10, 0, 20, 10});
    button.SetState(kStatePressed);
    button.Paint(&canvas);
    EXPECT_EQ(surface.GetPixel(15, 5) & 0xFFFFFF, 0x00FF00u);
    EXPECT_EQ(button.Color(), vcl::clBlue);  // restored after the paint
    button.SetState(kStateNormal);
    button.Paint(&canvas);
    EXPECT_EQ(surface.GetPixel(15, 5) & 0xFFFFFF, 0x0000FFu);

    TSkLinkSkinObject link(nullptr);
    link.SetLinkControl("Edit1");
    link.SetBounds(RECT{20, 0, 30, 10});
    link.Paint(&canvas);
    EXPECT_EQ(surface.GetPixel(25, 5) & 0xFFFFFF, 0u);
    link.SetState(kStateLinkPlaceholder);
    link.Paint(&canvas);
    EXPECT_EQ(surface.GetPixel(20, 0) & 0xFFFFFF, 0u);         // the black frame
    EXPECT_EQ(surface.GetPixel(21, 1) & 0xFFFFFF, 0xFFFFFFu);  // the white box
    canvas.SetHandle(nullptr);
}

namespace {

// A 16 x 16 icon of one colour.
HICON SolidIcon(COLORREF colour)
{
    HDC screen = GetDC(nullptr);
    HBITMAP bits = CreateCompatibleBitmap(screen, 16, 16);
    ReleaseDC(nullptr, screen);
    HDC dc = CreateCompatibleDC(nullptr);
    HGDIOBJ old = SelectObject(dc, bits);
    const RECT all{0, 0, 16, 16};
    HBRUSH brush = CreateSolidBrush(colour);
    FillRect(dc, &all, brush);
    DeleteObject(brush);
    SelectObject(dc, old);
    DeleteDC(dc);
    std::vector<BYTE> opaque(16 * 2, 0);
    HBITMAP mask = CreateBitmap(16, 16, 1, 1, opaque.data());
    ICONINFO info{TRUE, 0, 0, mask, bits};
    HICON icon = CreateIconIndirect(&info);
    DeleteObject(mask);
    DeleteObject(bits);
    return icon;
}

}  // namespace

// The system-menu button shows the form's icon, else the application's,
// else the system's.
TEST(SkSystemButtons, SystemMenuButtonFallsBackToTheApplicationsIcon)
{
    vcl::TForm form(nullptr);
    TSkSkinObject root(nullptr);
    auto* button = new TSkSysButtonSkinObject(&root);
    button->SetAction(sbaSysMenu);
    button->SetBounds(RECT{2, 2, 18, 18});
    root.SetControl(&form);
    TSkBitmap surface;
    surface.SetSize(20, 20);
    vcl::TCanvas canvas;
    canvas.SetHandle(surface.DC());
    auto paintedAt = [&](int x, int y) {
        surface.Fill(0xFF000000);
        button->Paint(&canvas);
        return surface.GetPixel(x, y) & 0xFFFFFF;
    };

    const TPixel systemIcon = paintedAt(8, 8);
    vcl::Application->Icon()->SetHandle(SolidIcon(RGB(0xC0, 0x10, 0x20)));
    EXPECT_EQ(paintedAt(8, 8), 0xC01020u);
    EXPECT_NE(systemIcon, 0xC01020u);
    form.Icon()->SetHandle(SolidIcon(RGB(0x10, 0xC0, 0x20)));
    EXPECT_EQ(paintedAt(8, 8), 0x10C020u);
    vcl::Application->Icon()->SetHandle(nullptr);
    canvas.SetHandle(nullptr);
    root.SetControl(nullptr);
}
