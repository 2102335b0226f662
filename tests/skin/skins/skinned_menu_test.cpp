#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "platform/win32/backend/headless/headless_backend.h"
#include "skin/menus/sk_item_view.h"
#include "skin/skins/sk_skin_button.h"
#include "skin/skins/sk_skin_controls.h"
#include "skin/skins/sk_skin_form.h"
#include "skin/skins/sk_skin_items.h"
#include "skin/skins/sk_skin_label.h"
#include "skin/skins/sk_skin_lists.h"
#include "skin/skins/sk_skin_message.h"
#include "skin/skins/sk_units.h"
#include "tests/support/temp_dir.h"
#include "tools/skin_writer.h"

using namespace skin;

namespace {

const char* kMenuSkin = R"(
name "Menus"
object MenuBar: TSkSkinObject
  Height = 20
  object Item: TSkSkinObject
    Height = 21
    TextMarginLeft = 5
    TextMarginRight = 7
    Color = clSilver
  end
end
object PopupMenu: TSkSkinObject
  object Frame: TSkSkinObject
    MarginLeft = 2
    MarginTop = 4
    MarginRight = 5
    MarginBottom = 6
    Color = clNavy
  end
  object Item: TSkSkinObject
    Height = 18
    Color = clTeal
    Font.Color = clYellow
  end
  object Separator: TSkSkinObject
    Height = 8
    Color = clMaroon
  end
end
object Form: TSkSkinObject
  Kind = skForm
  Width = 300
  Height = 200
  object Client: TSkSkinObject
    Align = saClient
    Kind = skClient
  end
end
object Button: TSkSkinObject
  Width = 80
  Height = 24
end
)";

class SkinnedMenus : public ::testing::Test {
protected:
    void SetUp() override
    {
        vls::headless::UseManualClock();
        InitializeSkinUnits();
        owner = new vcl::TForm(vcl::Application);
        manager = new TSkSkinManager(owner);
        vls::tools::BuildSkinSource(kMenuSkin, "", *manager->Source());
    }
    void TearDown() override
    {
        delete owner;
        vcl::Application->ProcessMessages();
        FinalizeSkinUnits();
    }
    TSkSkinItem* AddItem(TSkCustomPopupMenu* menu, const char* caption)
    {
        auto* item = new TSkSkinItem(menu);
        item->SetCaption(caption);
        menu->Items()->Add(item);
        return item;
    }
    static std::uint32_t Px(vcl::TColor c)
    {
        const COLORREF rgb = vcl::ColorToRGB(c);
        return (GetRValue(rgb) << 16) | (GetGValue(rgb) << 8) | GetBValue(rgb);
    }

    vls::test::ScopedConfig config;
    vcl::TForm* owner = nullptr;
    TSkSkinManager* manager = nullptr;
};

}  // namespace

TEST_F(SkinnedMenus, PopupItemsAreMeasuredAndPaintedFromTheSkin)
{
    auto* menu = new TSkSkinPopupMenu(owner);
    TSkSkinItem* open = AddItem(menu, "Open");
    TSkSkinItem* separator = AddItem(menu, "-");
    menu->SetSkinManager(manager);
    ASSERT_NE(dynamic_cast<TSkSkinItem*>(menu->Items()), nullptr);
    EXPECT_TRUE(open->UseSkin());

    TSkBitmap picture;
    picture.SetSize(120, 40);
    picture.Fill(0xFF000000);
    vcl::TCanvas canvas;
    canvas.SetHandle(picture.DC());
    TSkItemView view(nullptr, menu->Items(), &canvas, nullptr, nullptr, koVertical);
    int height = 0, width = 0;
    open->MeasureItem(&canvas, &view, height, width);
    EXPECT_EQ(height, 18);
    EXPECT_GT(width, 22 + 42);
    open->DrawItem(&canvas, &view, true, false, RECT{0, 0, 120, 18});
    separator->DrawItem(&canvas, &view, true, true, RECT{0, 20, 120, 28});
    canvas.SetHandle(nullptr);
    EXPECT_EQ(picture.GetPixel(100, 9) & 0xFFFFFF, Px(vcl::clTeal));
    EXPECT_EQ(picture.GetPixel(100, 24) & 0xFFFFFF, Px(vcl::clMaroon));

    // A horizontal view takes the bar's item.
    TSkItemView bar(nullptr, menu->Items(), &canvas, nullptr, nullptr, koHorizontal);
    canvas.SetHandle(picture.DC());
    open->MeasureItem(&canvas, &bar, height, width);
    canvas.SetHandle(nullptr);
    EXPECT_EQ(height, 21);
}

// A skin without a "Separator" object draws a separator row with the item
// object's background and the plain etched line over it.
TEST_F(SkinnedMenus, WithoutASeparatorObjectTheSeparatorStillShowsItsLine)
{
    std::string noSeparator = kMenuSkin;
    const size_t from = noSeparator.find("  object Separator");
    noSeparator.erase(from, noSeparator.find("  end\n", from) + 6 - from);
    TSkSkinManager* plain = new TSkSkinManager(owner);
    vls::tools::BuildSkinSource(noSeparator.c_str(), "", *plain->Source());
    auto* menu = new TSkSkinPopupMenu(owner);
    TSkSkinItem* separator = AddItem(menu, "-");
    menu->SetSkinManager(plain);
    ASSERT_TRUE(separator->UseSkin());
    ASSERT_EQ(separator->SeparatorObject(), nullptr);

    TSkBitmap picture;
    picture.SetSize(120, 15);
    picture.Fill(0xFF000000);
    vcl::TCanvas canvas;
    canvas.SetHandle(picture.DC());
    TSkItemView view(nullptr, menu->Items(), &canvas, nullptr, nullptr, koVertical);
    separator->DrawItem(&canvas, &view, true, false, RECT{0, 0, 120, 15});
    canvas.SetHandle(nullptr);
    EXPECT_EQ(picture.GetPixel(60, 3) & 0xFFFFFF, Px(vcl::clTeal));
    EXPECT_EQ(picture.GetPixel(60, 7) & 0xFFFFFF, Px(vcl::clBtnShadow));
    EXPECT_EQ(picture.GetPixel(60, 8) & 0xFFFFFF, Px(vcl::clBtnHighlight));
    EXPECT_EQ(picture.GetPixel(60, 12) & 0xFFFFFF, Px(vcl::clTeal));
}

TEST_F(SkinnedMenus, PopupFrameTakesTheSkinsMargins)
{
    auto* menu = new TSkSkinPopupMenu(owner);
    AddItem(menu, "Open");
    menu->SetSkinManager(manager);
    auto* root = dynamic_cast<TSkSkinItem*>(menu->Items());
    std::unique_ptr<TSkPopupWindow> window(root->CreatePopupWindow(menu, nullptr));
    auto* frame = dynamic_cast<TSkSkinPopupForm*>(window->Frame());
    ASSERT_NE(frame, nullptr);
    window->SetBounds(0, 0, 100, 80);
    window->LayoutView();
    ASSERT_TRUE(frame->UseSkin());
    const RECT client = frame->GetFrameClientRect();
    EXPECT_EQ(client.left, 2);
    EXPECT_EQ(client.top, 4);
    EXPECT_EQ(frame->FrameWidth() - client.right, 5);
    EXPECT_EQ(frame->FrameHeight() - client.bottom, 6);
}

TEST_F(SkinnedMenus, LaterItemsAndAGoneManager)
{
    auto* menu = new TSkSkinPopupMenu(owner);
    menu->SetSkinManager(manager);
    TSkSkinItem* late = AddItem(menu, "Late");
    EXPECT_EQ(late->SkinManager(), nullptr);
    menu->SetSkinManager(menu->SkinManager());  // as Popup does first
    EXPECT_EQ(late->SkinManager(), manager);

    // A skin without "PopupMenu" turns the whole tree plain.
    std::string noPopup = kMenuSkin;
    noPopup.replace(noPopup.find("object PopupMenu:"), 17, "object Elsewhere:");
    manager->Source()->Clear();
    vls::tools::BuildSkinSource(noPopup, "", *manager->Source());
    EXPECT_FALSE(late->UseSkin());

    delete manager;
    EXPECT_EQ(late->SkinManager(), nullptr);
    EXPECT_EQ(menu->SkinManager(), nullptr);
    EXPECT_FALSE(late->UseSkin());
}

TEST_F(SkinnedMenus, SkinnedMessageBuildsSkinnedControls)
{
    auto* message = new TSkSkinMessage(owner);
    message->SetSkinManager(manager);
    std::unique_ptr<TSkMessageForm> dialog(
        BuildMessageForm(message, u"Saved.", kmtInformation, TSkMsgDlgButtons{kmbOK, kmbCancel}));
    auto* frame = dynamic_cast<TSkSkinForm*>(dialog->Frame());
    ASSERT_NE(frame, nullptr);
    EXPECT_EQ(frame->SkinManager(), manager);
    EXPECT_TRUE(frame->IsSkinned());
    auto* ok = dynamic_cast<TSkSkinButton*>(dialog->FindComponent("OK"));
    ASSERT_NE(ok, nullptr);
    EXPECT_EQ(ok->Parent(), dialog.get());
    EXPECT_TRUE(ok->IsSkinned());
    auto* text = dynamic_cast<TSkSkinLabel*>(dialog->FindComponent("Message"));
    ASSERT_NE(text, nullptr);
    EXPECT_EQ(text->SkinManager(), manager);
    auto* edit = dynamic_cast<TSkSkinEdit*>(message->CreateEdit(dialog.get()));
    ASSERT_NE(edit, nullptr);
    EXPECT_EQ(edit->Parent(), dialog.get());
    EXPECT_EQ(edit->SkinManager(), manager);
    auto* box = dynamic_cast<TSkSkinCheckBox*>(message->CreateCheckBox(dialog.get()));
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(box->SkinManager(), manager);
    dialog.reset();

    // After the manager is gone: the same classes, plain.
    delete manager;
    EXPECT_EQ(message->SkinManager(), nullptr);
    dialog.reset(BuildMessageForm(message, u"Saved.", kmtInformation, TSkMsgDlgButtons{kmbOK}));
    auto* plainOk = dynamic_cast<TSkSkinButton*>(dialog->FindComponent("OK"));
    ASSERT_NE(plainOk, nullptr);
    EXPECT_FALSE(plainOk->IsSkinned());
    EXPECT_FALSE(dynamic_cast<TSkSkinForm*>(dialog->Frame())->IsSkinned());
}

TEST_F(SkinnedMenus, TheSkinnedFramesSystemMenuHasSkinnedItems)
{
    owner->SetBounds(50, 50, 300, 200);
    auto* frame = new TSkSkinForm(owner);
    frame->SetSkinManager(manager);
    static_cast<vcl::TComponent*>(frame)->Loaded();
    owner->Show();
    vcl::Application->ProcessMessages();
    // The menu's loop takes keys from the queue: Escape closes it.
    PostMessageA(owner->Handle(), WM_KEYDOWN, VK_ESCAPE, 0);
    frame->ShowSystemMenu();
    TSkCustomPopupMenu* menu = nullptr;
    for (int i = 0; i < frame->ComponentCount() && !menu; ++i)
        menu = dynamic_cast<TSkCustomPopupMenu*>(frame->Components(i));
    ASSERT_NE(menu, nullptr);
    ASSERT_GT(menu->Items()->Count(), 0);
    for (int i = 0; i < menu->Items()->Count(); ++i) {
        auto* item = dynamic_cast<TSkSkinItem*>(menu->Items()->Items(i));
        ASSERT_NE(item, nullptr) << i;
        EXPECT_EQ(item->SkinManager(), manager);
    }
}

// Columns of `picture` between `from` and `to` that hold anything but `ground`.
static int InkedColumns(TSkBitmap& picture, int from, int to, int top, int bottom, std::uint32_t ground)
{
    int inked = 0;
    for (int x = from; x < to; ++x)
        for (int y = top; y < bottom; ++y)
            if ((picture.GetPixel(x, y) & 0xFFFFFF) != ground) {
                ++inked;
                break;
            }
    return inked;
}

TEST_F(SkinnedMenus, PopupItemsShowTheirShortcutThroughTheItemObject)
{
    auto* menu = new TSkSkinPopupMenu(owner);
    TSkSkinItem* save = AddItem(menu, "S");
    save->SetShortCut(static_cast<vcl::TShortCut>(0x4000 | 'S'));  // Ctrl+S
    TSkSkinItem* plain = AddItem(menu, "S");
    menu->SetSkinManager(manager);

    TSkBitmap picture;
    picture.SetSize(200, 40);
    picture.Fill(0xFF000000);
    vcl::TCanvas canvas;
    canvas.SetHandle(picture.DC());
    TSkItemView view(nullptr, menu->Items(), &canvas, nullptr, nullptr, koVertical);
    save->DrawItem(&canvas, &view, true, false, RECT{0, 0, 200, 18});
    plain->DrawItem(&canvas, &view, true, false, RECT{0, 20, 200, 38});
    canvas.SetHandle(nullptr);
    const std::uint32_t teal = Px(vcl::clTeal);
    // The keys stand right-aligned before the submenu arrow's strip.
    EXPECT_GT(InkedColumns(picture, 120, 178, 0, 18, teal), 10);
    EXPECT_EQ(InkedColumns(picture, 178, 200, 0, 18, teal), 0);
    // The shared item object does not carry them on to the next item.
    EXPECT_EQ(InkedColumns(picture, 120, 200, 20, 38, teal), 0);
    EXPECT_TRUE(manager->Source()->FindObject("PopupMenu")->FindObject("Item")->ShortCutText.empty());
}

TEST(SkinObjectText, ShortcutKeysDrawRightAlignedInTheTextRectangleAndGreyWhenDisabled)
{
    TSkSkinObject object(nullptr);
    object.SetColor(vcl::clTeal);
    object.Font()->SetColor(vcl::clYellow);
    object.SetTextMarginRight(10);
    object.SetBounds(RECT{0, 0, 200, 18});
    object.ShortCutText = u"Ctrl+S";
    for (const bool enabled : {true, false}) {
        object.Enabled = enabled;
        TSkBitmap picture;
        picture.SetSize(200, 18);
        vcl::TCanvas canvas;
        canvas.SetHandle(picture.DC());
        object.Paint(&canvas);
        canvas.SetHandle(nullptr);
        const std::uint32_t teal = 0x008080;
        EXPECT_EQ(InkedColumns(picture, 0, 120, 0, 18, teal), 0);
        EXPECT_GT(InkedColumns(picture, 150, 190, 0, 18, teal), 10);
        EXPECT_EQ(InkedColumns(picture, 190, 200, 0, 18, teal), 0);
        bool fullInk = false;
        for (int x = 150; x < 190; ++x)
            for (int y = 0; y < 18; ++y)
                fullInk = fullInk || (picture.GetPixel(x, y) & 0xFFFFFF) == (enabled ? 0xFFFF00u : 0x808080u);
        EXPECT_TRUE(fullInk) << enabled;
    }
}
