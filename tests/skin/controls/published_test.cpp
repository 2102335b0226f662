#include <gtest/gtest.h>

#include <memory>
#include <sstream>

#include "control_fixture.h"
#include "platform/vcl/filer.h"
#include "platform/vcl/streams.h"
#include "skin/controls/sk_button.h"
#include "skin/controls/sk_check_box.h"
#include "skin/controls/sk_combo_box.h"
#include "skin/controls/sk_control_bar.h"
#include "skin/controls/sk_edit.h"
#include "skin/controls/sk_label.h"
#include "skin/controls/sk_list_box.h"
#include "skin/controls/sk_panel.h"
#include "skin/controls/sk_progress_bar.h"
#include "skin/controls/sk_scroll_bar.h"
#include "skin/controls/sk_speed_controls.h"
#include "skin/controls/sk_status_bar.h"
#include "skin/controls/sk_tab_control.h"

using namespace skin;

namespace {

// The properties each control publishes, as a form names them.
struct Published {
    vcl::TClass cls;
    const char* names;  // separated by blanks
};

const char* const kControlBase =
    "Blending Performance Transparent Constraints BiDiMode DragCursor DragKind DragMode ParentBiDiMode ShowHint "
    "Visible OnClick OnDblClick OnEnter OnExit OnMouseEnter OnMouseLeave OnKeyDown OnKeyUp OnKeyPress OnDragDrop "
    "OnDragOver OnEndDrag OnMouseDown OnMouseMove OnMouseUp OnResize OnStartDrag";

TEST(SkPublished, EveryControlCarriesThePropertiesItPublishes)
{
    const Published table[] = {
        {TSkCustomControl::StaticClass(), kControlBase},
        {TSkGraphicControl::StaticClass(),
         "Blending Performance Transparent BiDiMode ParentBiDiMode ShowHint Visible OnMouseEnter OnMouseLeave"},
        {TSkCustomLabel::StaticClass(),
         "Caption Alignment Layout WordWrap AutoSize ShowAccelChar FocusControl Transparent Align Anchors BiDiMode "
         "Color Constraints DragCursor DragKind DragMode Enabled Font ParentBiDiMode ParentColor ParentFont "
         "ParentShowHint PopupMenu ShowHint Visible OnClick OnDblClick OnDragDrop OnDragOver OnEndDock OnEndDrag "
         "OnMouseDown OnMouseMove OnMouseUp OnStartDock OnStartDrag"},
        {TSkCustomButton::StaticClass(),
         "Action Anchors ActiveDefault BlackAndWhiteGlyph Cancel Caption Default Enabled Font Kind ModalResult NumGlyphs Spacing "
         "State Glyph Layout ParentShowHint TabOrder TabStop WordWrap Transparent OnClick"},
        {TSkCustomCheckBox::StaticClass(),
         "Anchors Caption AllowGrayed Alignment Checked Enabled Font Spacing State WordWrap Transparent TabOrder "
         "TabStop OnClick OnDragDrop OnDragOver OnEndDrag OnKeyDown OnKeyPress OnKeyUp OnMouseDown OnMouseMove "
         "OnMouseUp"},
        {TSkCustomEdit::StaticClass(),
         "Anchors AutoSelect AutoSize Blending BevelSides BevelInner BevelOuter BevelKind BevelWidth BorderWidth "
         "CharCase Constraints Color Cursor DragCursor DragKind DragMode Enabled ImeMode ImeName Font HideSelection "
         "MaxLength Performance ParentFont ParentShowHint PasswordKind PasswordWideChar ContextMenuOptions ReadOnly "
         "ShowHint TabOrder TabStop Text TextAlignment Visible OnChange OnClick OnDblClick OnDragDrop OnDragOver "
         "OnEndDock OnEndDrag OnEnter OnExit OnKeyDown OnKeyPress OnKeyUp OnMouseDown OnMouseMove OnMouseUp "
         "OnStartDock OnStartDrag"},
        {TSkCustomPanel::StaticClass(),
         "Caption ShowCaption ShowButton ShowBevel BevelWidth BorderWidth ButtonKind Rolled AnimateRoll ParentRoll "
         "ButtonHint CaptionHint ButtonCursor CaptionCursor Color Font Transparent Align Anchors OnButtonClick "
         "OnHide OnBeforeRoll OnRollup DockSite UseDockManager OnDockDrop OnDockOver OnUnDock OnGetSiteInfo"},
        {TSkCustomProgressBar::StaticClass(), "Min Max Position Orientation BorderWidth ShowBorder Smooth Align Anchors"},
        {TSkCustomScrollBar::StaticClass(),
         "Kind Min Max PageSize Position SmallChange LargeChange ShowButtons BorderWidth Performance OnChange "
         "OnScroll Align Anchors BiDiMode Constraints DragCursor DragKind DragMode Enabled ParentBiDiMode "
         "ParentShowHint PopupMenu ShowHint Visible OnDragDrop OnDragOver OnEndDock OnEndDrag OnStartDock "
         "OnStartDrag"},
        {TSkSpeedDivider::StaticClass(), "Blending Performance Transparent"},
        {TSkSpeedContainer::StaticClass(), kControlBase},
        {TSkCustomStatusBar::StaticClass(),
         "BevelSides BevelInner BevelOuter BevelKind BevelWidth BorderWidth Color Font Height Align Anchors "
         "BiDiMode Constraints DragCursor DragKind DragMode Enabled ParentBiDiMode ParentFont ParentShowHint "
         "PopupMenu ShowHint Visible Panels Images SizeGrip OnPanelClick OnPanelDblClick OnDrawPanel "
         "OnCreatePanelClass"},
        {TSkStatusPanel::StaticClass(),
         "Text Width MaxWidth Alignment Layout ImageIndex ShowImage Margin Spacing Style Framed ViewPriority "
         "StretchPriority Control"},
        {TSkCustomTabSheet::StaticClass(),
         "Caption ImageIndex PageIndex PageVisible OnShow OnHide BorderWidth DragMode Enabled Font Height Left "
         "Constraints ParentFont ParentShowHint PopupMenu ShowHint Top Visible Width OnDragDrop OnDragOver "
         "OnEndDrag OnStartDrag OnEnter OnExit OnMouseDown OnMouseMove OnMouseUp OnResize"},
        {TSkCustomTabControl::StaticClass(),
         "Tabs TabIndex TabPosition MultiLine ScrollOpposite RaggedRight TabWidth TabHeight HotTrack OwnerDraw "
         "Images UsePages ActivePage Transparent OnChange OnChanging OnDrawTab Align Anchors BiDiMode Constraints "
         "DockSite DragCursor DragKind DragMode Enabled Font ParentBiDiMode ParentColor ParentFont ParentShowHint "
         "PopupMenu ShowHint TabOrder TabStop Visible OnDockDrop OnDockOver OnUnDock OnGetSiteInfo OnEndDock "
         "OnStartDock OnDragDrop OnDragOver OnEndDrag OnStartDrag OnEnter OnExit OnMouseDown OnMouseMove "
         "OnMouseUp OnResize"},
        {TSkCustomListBox::StaticClass(),
         "Align AllowGrayed AlwaysShowScrlBar Anchors BevelSides BevelInner BevelOuter BevelKind BevelWidth "
         "BorderWidth Color Columns Constraints DragCursor DragKind DragMode Enabled Flat Font FontDevice FontType "
         "ImeMode ImeName Items ItemHeight MultiSelect ParentColor ParentFont ParentShowHint PopupMenu SelCount "
         "ShowCheckBoxes ShowHint Sorted ListStyle TabOrder TabStop Visible WordWrap OnDrawItem OnMeasureItem "
         "OnClick OnDblClick OnDragDrop OnDragOver OnEndDock OnEndDrag OnEnter OnExit OnKeyDown OnKeyPress "
         "OnKeyUp OnMouseDown OnMouseMove OnMouseUp OnStartDock OnStartDrag"},
        {TSkCustomComboBox::StaticClass(),
         "AutoComplete ButtonAlign ComboStyle DropDownCount ItemHeight Items Flat FontDevice FontType ItemIndex "
         "ListStyle ShowCheckBoxes Sorted Text WordWrap OnCloseUp OnDropDown OnDrawItem OnMeasureItem "
         "OnListBoxClick OnAllowChange"},
        {TSkCustomControlBar::StaticClass(),
         "Align Anchors AutoDock AutoDrag AutoSize Color Constraints DockSite DragCursor DragKind DragMode Enabled "
         "ParentColor ParentCtl3D ParentFont ParentShowHint PopupMenu RowSize RowSnap ShowHint TabOrder TabStop "
         "Visible"},
    };
    for (const Published& row : table) {
        std::istringstream names(row.names);
        std::string name;
        while (names >> name)
            EXPECT_NE(row.cls->FindProperty(name), nullptr) << row.cls->ClassName() << "." << name;
    }
}

class SkPublishedStream : public sktest::ControlTest {
protected:
    // Writes `from` in the text form, reads that back into `into` and
    // returns the text.
    static std::string RoundTrip(vcl::TComponent* from, vcl::TComponent* into)
    {
        vcl::TMemoryStream binary;
        binary.WriteComponent(from);
        binary.SetPosition(0);
        vcl::TMemoryStream text;
        vcl::ObjectBinaryToText(&binary, &text);
        const std::string written(text.Bytes().begin(), text.Bytes().end());
        text.SetPosition(0);
        vcl::TMemoryStream back;
        vcl::ObjectTextToBinary(&text, &back);
        back.SetPosition(0);
        back.ReadComponent(into);
        return written;
    }
};

TEST_F(SkPublishedStream, PropertiesOnlyTheStreamsUseSurviveBothForms)
{
    auto* label = new TSkCustomLabel(form);
    label->SetDragCursor(vcl::crHandPoint);
    label->SetDragKind(vcl::dkDock);
    label->SetDragMode(vcl::dmAutomatic);
    label->SetCursor(vcl::crHelp);
    auto* labelCopy = new TSkCustomLabel(form);
    const std::string labelText = RoundTrip(label, labelCopy);
    EXPECT_NE(labelText.find("DragCursor = crHandPoint"), std::string::npos) << labelText;
    EXPECT_NE(labelText.find("DragKind = dkDock"), std::string::npos) << labelText;
    EXPECT_NE(labelText.find("Cursor = crHelp"), std::string::npos) << labelText;
    EXPECT_EQ(labelCopy->DragCursor(), vcl::crHandPoint);
    EXPECT_EQ(labelCopy->DragKind(), vcl::dkDock);
    EXPECT_EQ(labelCopy->DragMode(), vcl::dmAutomatic);
    EXPECT_EQ(labelCopy->Cursor(), vcl::crHelp);

    auto* edit = new TSkCustomEdit(form);
    edit->SetImeMode(vcl::imClose);
    edit->SetImeName("Input method");
    edit->SetAutoSize(false);
    auto* editCopy = new TSkCustomEdit(form);
    const std::string editText = RoundTrip(edit, editCopy);
    EXPECT_NE(editText.find("ImeMode = imClose"), std::string::npos) << editText;
    EXPECT_NE(editText.find("AutoSize = False"), std::string::npos) << editText;
    EXPECT_EQ(editCopy->ImeMode(), vcl::imClose);
    EXPECT_EQ(editCopy->ImeName(), "Input method");
    EXPECT_FALSE(editCopy->AutoSize());

    // The edit's cursor: crDefault stands for its I-beam, which is not stored.
    edit->SetCursor(vcl::crDefault);
    EXPECT_EQ(edit->Cursor(), vcl::crIBeam);
    edit->SetCursor(vcl::crHandPoint);
    RoundTrip(edit, editCopy);
    EXPECT_EQ(editCopy->Cursor(), vcl::crHandPoint);
    edit->SetCursor(vcl::crDefault);
    auto* plainCopy = new TSkCustomEdit(form);
    EXPECT_EQ(RoundTrip(edit, plainCopy).find("Cursor"), std::string::npos);
    EXPECT_EQ(plainCopy->Cursor(), vcl::crIBeam);

    auto* list = new TSkCustomListBox(form);
    list->SetImeMode(vcl::imOpen);
    list->SetImeName("Kana");
    auto* listCopy = new TSkCustomListBox(form);
    const std::string listText = RoundTrip(list, listCopy);
    EXPECT_NE(listText.find("ImeMode = imOpen"), std::string::npos) << listText;
    EXPECT_EQ(listCopy->ImeMode(), vcl::imOpen);
    EXPECT_EQ(listCopy->ImeName(), "Kana");

    auto* bar = new TSkCustomControlBar(form);
    bar->SetParent(form);
    EXPECT_TRUE(bar->ParentCtl3D());
    form->SetCtl3D(false);
    EXPECT_FALSE(bar->Ctl3D());  // the parent's look
    bar->SetCtl3D(true);
    EXPECT_FALSE(bar->ParentCtl3D());
    auto* barCopy = new TSkCustomControlBar(form);
    const std::string barText = RoundTrip(bar, barCopy);
    EXPECT_NE(barText.find("ParentCtl3D = False"), std::string::npos) << barText;
    EXPECT_FALSE(barCopy->ParentCtl3D());

    // A button that shows the default frame says so; reading it back
    // changes nothing.
    auto* button = new TSkCustomButton(form);
    button->SetParent(form);
    button->HandleNeeded();
    button->SetDefault(true);
    ASSERT_TRUE(button->ActiveDefault());
    auto* buttonCopy = new TSkCustomButton(form);
    const std::string buttonText = RoundTrip(button, buttonCopy);
    EXPECT_NE(buttonText.find("ActiveDefault = True"), std::string::npos) << buttonText;
    EXPECT_FALSE(buttonCopy->ActiveDefault());

    // The combo box's owner-draw events are its list box's.
    auto* combo = new TSkCustomComboBox(form);
    const vcl::TPropInfo* onDraw = combo->ClassType()->FindProperty("OnDrawItem");
    ASSERT_NE(onDraw, nullptr);
    onDraw->setMethod(combo, std::function<void(TSkCustomListBox*, vcl::TCanvas*, int, const RECT&, TOwnerDrawState)>(
                                 [](TSkCustomListBox*, vcl::TCanvas*, int, const RECT&, TOwnerDrawState) {}),
                      "ComboDrawItem");
    EXPECT_TRUE(static_cast<bool>(combo->ListBox()->OnDrawItem));
    EXPECT_EQ(onDraw->getMethod(combo), "ComboDrawItem");

    auto* sheet = new TSkCustomTabSheet(form);
    sheet->SetBorderWidth(4);
    auto* sheetCopy = new TSkCustomTabSheet(form);
    RoundTrip(sheet, sheetCopy);
    EXPECT_EQ(sheetCopy->BorderWidth(), 4);
}

TEST_F(SkPublishedStream, APageKeepsItsBorderFreeOfAlignedChildren)
{
    auto* tabs = new TSkCustomTabControl(form);
    tabs->SetParent(form);
    tabs->SetBounds(0, 0, 200, 150);
    tabs->SetUsePages(true);
    tabs->Tabs()->Add("One");
    TSkCustomTabSheet* page = tabs->Pages(0);
    auto* child = new vcl::TControl(form);
    child->SetParent(page);
    child->SetAlign(vcl::alClient);
    page->SetBorderWidth(6);
    EXPECT_EQ(child->Left(), 6);
    EXPECT_EQ(child->Top(), 6);
    EXPECT_EQ(child->Width(), page->ClientWidth() - 12);
}

}  // namespace
