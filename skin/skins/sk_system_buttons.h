#pragma once

// Skin objects that act as the frame's buttons: they follow the window
// state and border icons, track the mouse over them and run a window
// action when clicked.

#include "skin/skins/sk_bitmap_objects.h"
#include "skin/skins/sk_skin_objects2.h"

namespace skin {

enum TSkAction {
    sbaNone, sbaClose, sbaHelp, sbaMinimize, sbaMaximize, sbaRestore, sbaRollUp, sbaRollDown, sbaTray, sbaSysMenu,
    sbaRollPanel, sbaCustom
};
extern const vcl::TEnumInfo kSkActionInfo;

// What the two button classes share: hover state (0 none, 1 over,
// 2 pressed) and the shift state last seen by MouseMove.
struct TSkSystemButtonTracker {
    int hover = 0;
    vcl::TShiftState shift;

    void FollowFrameState(TSkSkinObject& button, TSkAction action, std::uint8_t value) const;
    void MouseEnter(TSkSkinObject& button);
    void MouseLeave(TSkSkinObject& button);
    void MouseDown(TSkSkinObject& button, vcl::TMouseButton which);
    void MouseMove(TSkSkinObject& button, vcl::TShiftState state);
    // True when the press ends over the button, so that the action runs.
    bool MouseUp(TSkSkinObject& button, vcl::TMouseButton which);
    void DblClick(TSkSkinObject& button, TSkAction action, vcl::TMouseButton which) const;
};

// Runs the window action of a button on its frame; nothing without one.
void DoSystemAction(TSkSkinObject& button, TSkAction action, const vcl::AnsiString& rollPanel);

// The system-menu button of a form paints the form's icon in place of its
// bitmaps. True when it did.
bool PaintSystemMenuIcon(TSkSkinObject& button, TSkAction action, vcl::TCanvas* canvas);

class TSkSystemButton : public TSkActiveBitmap {
    VCL_DECLARE_CLASS(TSkSystemButton, TSkActiveBitmap)
public:
    explicit TSkSystemButton(vcl::TComponent* owner);
    ~TSkSystemButton() override;

    TSkAction Action() const { return action_; }
    void SetAction(TSkAction v) { action_ = v; }
    TSkBitmapLink* BitmapHot() const { return hot_.get(); }
    TSkBitmapLink* BitmapPressed() const { return pressed_.get(); }
    int HoverState() const { return tracker_.hover; }

    void SetState(std::uint8_t state) override;
    void Paint(vcl::TCanvas* canvas) override;
    void MouseEnter() override { tracker_.MouseEnter(*this); }
    void MouseLeave() override { tracker_.MouseLeave(*this); }
    void MouseDown(vcl::TMouseButton button, int, int) override { tracker_.MouseDown(*this, button); }
    void MouseMove(vcl::TShiftState shift, int, int) override { tracker_.MouseMove(*this, shift); }
    void MouseUp(vcl::TMouseButton button, int, int) override;
    void DblClick(vcl::TMouseButton button, int, int) override { tracker_.DblClick(*this, action_, button); }
    void DoAction() { DoSystemAction(*this, action_, vcl::AnsiString()); }
    void ResolveLinks() override;
    void Assign(vcl::TPersistent* source) override;

protected:
    const TSkBitmapLink* PictureLink() override;
    void PaintPicture(vcl::TCanvas* canvas) override;

private:
    void PaintHovered(vcl::TCanvas* canvas, const TSkBitmapLink* picture, std::uint8_t childState);
    void SetChildState(std::uint8_t state);

    TSkAction action_ = sbaNone;
    std::unique_ptr<TSkBitmapLink> hot_, pressed_;
    const TSkBitmapLink* hoverPicture_ = nullptr;  // set during a hovered paint
    TSkSystemButtonTracker tracker_;
};

class TSkSysButtonSkinObject : public TSkBitmapSkinObject {
    VCL_DECLARE_CLASS(TSkSysButtonSkinObject, TSkBitmapSkinObject)
public:
    explicit TSkSysButtonSkinObject(vcl::TComponent* owner);
    ~TSkSysButtonSkinObject() override;

    TSkAction Action() const { return action_; }
    void SetAction(TSkAction v) { action_ = v; }
    TSkBitmapLink* BitmapHover() const { return hover_.get(); }
    TSkBitmapLink* BitmapDown() const { return down_.get(); }
    vcl::AnsiString RollPanel() const { return rollPanel_; }
    void SetRollPanel(const vcl::AnsiString& v) { rollPanel_ = v; }
    int HoverState() const { return tracker_.hover; }

    void SetState(std::uint8_t state) override;
    void MouseEnter() override { tracker_.MouseEnter(*this); }
    void MouseLeave() override { tracker_.MouseLeave(*this); }
    void MouseDown(vcl::TMouseButton button, int, int) override { tracker_.MouseDown(*this, button); }
    void MouseMove(vcl::TShiftState shift, int, int) override { tracker_.MouseMove(*this, shift); }
    void MouseUp(vcl::TMouseButton button, int, int) override;
    void DblClick(vcl::TMouseButton button, int, int) override { tracker_.DblClick(*this, action_, button); }
    void DoAction() { DoSystemAction(*this, action_, rollPanel_); }
    void ResolveLinks() override;
    void Assign(vcl::TPersistent* source) override;

protected:
    const TSkBitmapLink* PictureLink() override;
    void PaintPicture(vcl::TCanvas* canvas) override;

private:
    TSkAction action_ = sbaNone;
    std::unique_ptr<TSkBitmapLink> hover_, down_;
    vcl::AnsiString rollPanel_;
    TSkSystemButtonTracker tracker_;
};

}  // namespace skin
