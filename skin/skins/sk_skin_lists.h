#pragma once

// The skinned edit, list box, combo box and scroll bar. Each paints its
// frame and parts from named children of its skin object; the combo box
// hands its manager on to its drop-down list and the list box to its
// scroll bar, so one assignment skins the whole composite.

#include "skin/controls/sk_combo_box.h"
#include "skin/controls/sk_edit.h"
#include "skin/controls/sk_list_box.h"
#include "skin/controls/sk_scroll_bar.h"
#include "skin/skins/sk_skin_copy.h"

namespace skin {

class TSkSkinPopupMenu;

class TSkSkinScrollBar : public TSkCustomScrollBar {
    VCL_DECLARE_CLASS(TSkSkinScrollBar, TSkCustomScrollBar)
    SK_SKINNED_CONTROL_MEMBERS(true)
public:
    explicit TSkSkinScrollBar(vcl::TComponent* owner);
    void PaintFirstButton() override;
    void PaintSecondButton() override;
    void PaintSlider() override;
    void PaintTrack() override;
    void PaintBorder() override;
    int GetButtonSize() const override;

private:
    // 8 disabled, 6 pressed, 5 mouse over, else 0.
    std::uint8_t PartState(bool pressed, bool hover) const;
    void PaintPart(const char* first, const char* second, std::uint8_t state, const RECT& rect);
};

class TSkSkinEdit : public TSkCustomEdit {
    VCL_DECLARE_CLASS(TSkSkinEdit, TSkCustomEdit)
    SK_SKINNED_CONTROL_MEMBERS(false)
public:
    explicit TSkSkinEdit(vcl::TComponent* owner);
    void PaintBorder() override;
    void PaintBackground(RECT rect, vcl::TCanvas* canvas) override;
    TSkEditMenu* CreatePopupMenu(vcl::TComponent* owner) override;
    TSkSkinPopupMenu* ContextMenu() const { return menu_; }

private:
    TSkSkinPopupMenu* menu_ = nullptr;
};

class TSkSkinListBox : public TSkCustomListBox {
    VCL_DECLARE_CLASS(TSkSkinListBox, TSkCustomListBox)
    SK_SKINNED_CONTROL_MEMBERS(false)
public:
    explicit TSkSkinListBox(vcl::TComponent* owner);
    void PaintBorder() override;
    void GetPaintRect(RECT& rect) const override;
    int GetCheckWidth() override;
    void DrawItem(vcl::TCanvas* canvas, int index, const RECT& rect) override;
    void PaintCheckBox(int index, const RECT& rect) override;
    void PaintBackground() override;
};

class TSkSkinComboBox : public TSkCustomComboBox {
    VCL_DECLARE_CLASS(TSkSkinComboBox, TSkCustomComboBox)
    SK_SKINNED_CONTROL_MEMBERS(false)
public:
    explicit TSkSkinComboBox(vcl::TComponent* owner);
    void PaintBorder() override;
    void PaintBackground(RECT rect, vcl::TCanvas* canvas) override;
    void ShowList() override;
    int GetButtonWidth() override;
    int SkinButtonWidth() const { return skinButtonWidth_; }

private:
    // Kept when the manager goes or a later skin lacks "Button".
    int skinButtonWidth_ = 0;
};

}  // namespace skin
