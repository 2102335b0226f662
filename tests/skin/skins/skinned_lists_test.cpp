#include <gtest/gtest.h>

#include "skin/skins/sk_skin_lists.h"
#include "tests/skin/controls/control_fixture.h"
#include "tools/skin_writer.h"

using namespace skin;

namespace {

const char* kListSkin = R"(
name "Lists"
object Edit: TSkSkinObject
  object Frame: TSkSkinObject
    MarginLeft = 3
    MarginTop = 4
    MarginRight = 5
    MarginBottom = 6
    Color = clTeal
  end
  object Text: TSkSkinObject
    Font.Color = clYellow
  end
end
object ListBox: TSkSkinObject
  object Frame: TSkSkinObject
    MarginLeft = 2
    MarginTop = 2
    MarginRight = 2
    MarginBottom = 2
    Color = clNavy
  end
  object Item: TSkActiveObject
    Color = clGreen
    ActiveColor = clGreen
  end
  object Checked: TSkSkinObject
    Width = 13
    Height = 13
  end
end
object ComboBox: TSkSkinObject
  object Frame: TSkSkinObject
    MarginLeft = 2
    MarginTop = 2
    MarginRight = 2
    MarginBottom = 2
    Color = clMaroon
  end
  object Button: TSkSkinObject
    Width = 19
    Color = clOlive
  end
  object Text: TSkSkinObject
  end
end
object ScrollBar: TSkSkinObject
  object VertFrame: TSkSkinObject
    Width = 13
    Height = 40
    Color = clGray
  end
  object TopButton: TSkSkinObject
    Width = 13
    Height = 11
    Color = clRed
  end
end
)";

class SkinnedLists : public sktest::ControlTest {
protected:
    void SetUp() override
    {
        ControlTest::SetUp();
        manager = new TSkSkinManager(form);
        vls::tools::BuildSkinSource(kListSkin, "", *manager->Source());
    }
    TSkSkinManager* manager = nullptr;
};

}  // namespace

TEST_F(SkinnedLists, EditWithoutBorderShowsOnlyTheFramesMiddle)
{
    auto* edit = new TSkSkinEdit(form);
    edit->SetParent(form);
    edit->SetBounds(10, 10, 100, 22);
    edit->SetBorderWidth(0);
    edit->SetBevelKind(kbkNone);
    edit->SetBevelInner(kbvNone);
    edit->SetBevelOuter(kbvNone);
    edit->SetSkinManager(manager);
    ASSERT_TRUE(edit->IsSkinned());
    EXPECT_EQ(edit->Font()->Color(), vcl::clYellow);
    RECT paint{};
    edit->GetPaintRect(paint);
    ASSERT_TRUE(paint.left == 0 && paint.top == 0 && paint.right == edit->Width() && paint.bottom == edit->Height());
    Snapshot();
    EXPECT_EQ(Rgb(10 + 50, 10 + edit->Height() / 2), Px(vcl::clTeal));

    TSkBitmap picture;
    picture.SetSize(edit->Width(), edit->Height());
    vcl::TCanvas canvas;
    canvas.SetHandle(picture.DC());
    edit->PaintBackground(paint, &canvas);
    canvas.SetHandle(nullptr);
    const RECT r = edit->Skin().Find("Frame")->GetBounds();
    EXPECT_EQ(r.left, -3);
    EXPECT_EQ(r.top, -4);
    EXPECT_EQ(r.right, edit->Width() + 5);
    EXPECT_EQ(r.bottom, edit->Height() + 6);
}

TEST_F(SkinnedLists, ListBoxCheckCellsItemsAndSeparator)
{
    auto* list = new TSkSkinListBox(form);
    list->SetParent(form);
    list->SetBounds(10, 10, 120, 80);
    EXPECT_EQ(list->GetCheckWidth(), 15);
    list->SetSkinManager(manager);
    EXPECT_EQ(list->GetCheckWidth(), 21);
    EXPECT_NE(dynamic_cast<TSkSkinScrollBar*>(list->ScrollBar()), nullptr);
    RECT paint{};
    list->GetPaintRect(paint);
    EXPECT_EQ(paint.left, 2);
    EXPECT_EQ(paint.bottom, list->Height() - 2);

    list->Items()->Add("first");
    list->Items()->Add("-");
    list->SetItemIndex(1);
    TSkBitmap picture;
    picture.SetSize(100, 20);
    vcl::TCanvas canvas;
    canvas.SetHandle(picture.DC());
    list->DrawItem(&canvas, 1, RECT{0, 0, 100, 16});
    canvas.SetHandle(nullptr);
    // The separator takes the item object in its normal state, selected or not.
    EXPECT_EQ(list->Skin().Find("Item")->State, kStateNormal);
    EXPECT_EQ(list->Skin().Find("Item")->Text, u"-");
}

TEST_F(SkinnedLists, ComboBoxHandsItsManagerOnAndKeepsTheButtonWidth)
{
    auto* combo = new TSkSkinComboBox(form);
    combo->SetParent(form);
    combo->SetBounds(10, 10, 150, 23);
    combo->SetComboStyle(kcsDropDownList);
    combo->Items()->Add("Alpha");
    combo->Items()->Add("Beta");
    combo->SetItemIndex(0);
    combo->SetSkinManager(manager);
    auto* list = dynamic_cast<TSkSkinListBox*>(combo->ListBox());
    ASSERT_NE(list, nullptr);
    EXPECT_EQ(list->SkinManager(), manager);
    EXPECT_EQ(combo->GetButtonWidth(), 19);
    Snapshot();
    // The button in the skin's colour at the right, the field's selected
    // item on the skinned list's item object.
    const RECT button = combo->GetButtonRect();
    EXPECT_EQ(Rgb(10 + (button.left + button.right) / 2, 10 + 11), Px(vcl::clOlive));
    EXPECT_EQ(Rgb(10 + 60, 10 + 11), Px(vcl::clGreen));

    delete manager;
    EXPECT_FALSE(combo->IsSkinned());
    EXPECT_EQ(list->SkinManager(), nullptr);
    EXPECT_EQ(combo->GetButtonWidth(), 19);
}

TEST_F(SkinnedLists, VerticalScrollBarTakesTheSkinsWidthAndButtonSize)
{
    auto* bar = new TSkSkinScrollBar(form);
    bar->SetParent(form);
    bar->SetKind(vcl::sbVertical);
    bar->SetBounds(10, 10, 17, 100);
    const int plainButton = bar->GetButtonSize();
    bar->SetSkinManager(manager);
    EXPECT_EQ(bar->Width(), 13);
    EXPECT_EQ(bar->GetButtonSize(), 11);
    Snapshot();
    EXPECT_EQ(Rgb(10 + 6, 10 + 4), Px(vcl::clRed));
    EXPECT_EQ(Rgb(10 + 6, 10 + 50), Px(vcl::clGray));
    bar->SetSkinManager(nullptr);
    EXPECT_EQ(bar->GetButtonSize(), plainButton);
}

// The font and colour styles paint the skin's item object first and their
// mark, swatch and name over it, in the item's text cell.
TEST_F(SkinnedLists, FontAndColourStylesPaintTheItemObjectUnderTheirContent)
{
    auto* list = new TSkSkinListBox(form);
    list->SetParent(form);
    list->SetBounds(10, 10, 160, 100);
    list->SetSkinManager(manager);
    ASSERT_TRUE(list->IsSkinned());
    struct Case {
        TSkListBoxStyle style;
        int swatchX;  // a pixel inside the colour swatch, or -1
    };
    for (const Case c : {Case{lbFonts, -1}, Case{lbFontSamples, -1}, Case{lbColors, 60}, Case{lbColorNames, 12}}) {
        SCOPED_TRACE(static_cast<int>(c.style));
        list->SetListStyle(c.style);
        if (c.style == lbFonts || c.style == lbFontSamples) {
            list->Items()->Clear();
            list->Items()->Add("Sans");
        }
        const int index = c.swatchX >= 0 ? list->Items()->IndexOf("clRed") : 0;
        ASSERT_GE(index, 0);
        TSkBitmap picture;
        picture.SetSize(140, 18);
        picture.Fill(0xFFFF00FF);
        vcl::TCanvas canvas;
        canvas.SetHandle(picture.DC());
        list->DrawItem(&canvas, index, RECT{0, 0, 140, 18});
        canvas.SetHandle(nullptr);
        // The item object's colour at the row's left, before the text cell.
        EXPECT_EQ(picture.GetPixel(1, 9) & 0xFFFFFF, Px(vcl::clGreen));
        if (c.swatchX >= 0) {
            EXPECT_EQ(picture.GetPixel(c.swatchX, 9) & 0xFFFFFF, Px(vcl::clRed));
        }
    }
}
