#pragma once

// The window every popup of a menu is shown in: a frameless, never
// activated top-most form whose self-drawn frame paints the popup's border
// and whose view lays out, paints and tracks the item's children.

#include "platform/vcl/forms.h"
#include "skin/forms/sk_custom_form.h"
#include "skin/menus/sk_item_view.h"

namespace skin {

class TSkPopupWindow;

class TSkPopupForm : public TSkCustomForm {
    VCL_DECLARE_CLASS(TSkPopupForm, TSkCustomForm)
public:
    explicit TSkPopupForm(vcl::TComponent* owner);
    using TSkCustomForm::Loaded;

    TSkPopupWindow* PopupWindow() const { return popupWindow_; }
    void SetPopupWindow(TSkPopupWindow* w) { popupWindow_ = w; }
    vcl::TWinControl* OwnerWindow() const { return ownerWindow_; }
    void SetOwnerWindow(vcl::TWinControl* w) { ownerWindow_ = w; }

    RECT GetFrameClientRect() override;
    POINT GetMinTrackSize() override;
    void DrawFrame(vcl::TCanvas* canvas) override;
    void PaintBackground() override;

private:
    void WMActivate(vcl::TMessage& m);
    TSkPopupWindow* popupWindow_ = nullptr;
    vcl::TWinControl* ownerWindow_ = nullptr;
};

class TSkPopupView : public TSkItemView {
    VCL_DECLARE_CLASS(TSkPopupView, TSkItemView)
public:
    TSkPopupView(TSkPopupWindow* window, TSkCustomItem* root, TSkItemView* parentView);
    void SetContentSize(SIZE size) override;
    void MoveTo(POINT point) override;
    void InvalidateAll() override;
    void InvalidateItem(TSkCustomItem* item) override;
    void InvalidateScroller(int which) override;

private:
    void DrawAtOnce(const RECT& rect, const std::function<void(vcl::TCanvas*)>& draw, TSkCustomItem* item);
    TSkPopupWindow* window_;
};

class TSkPopupWindow : public vcl::TForm {
    VCL_DECLARE_CLASS(TSkPopupWindow, vcl::TForm)
public:
    using FormMaker = TSkPopupForm* (*)(TSkPopupWindow* window);
    // `makeForm` gives the frame of a subclass; a virtual call could not,
    // as the frame is made while this constructor runs.
    TSkPopupWindow(vcl::TComponent* owner, TSkItemView* parentView, TSkCustomItem* item,
                   FormMaker makeForm = nullptr);
    ~TSkPopupWindow() override;

    TSkPopupView* View() const { return view_; }
    TSkPopupForm* Frame() const { return frame_; }
    TSkPopupForm* CreatePopupForm();
    void LayoutView();
    bool TrackView();

protected:
    void CreateParams(vcl::TCreateParams& params) override;

private:
    void CMShowingChanged(vcl::TMessage& m);
    TSkPopupView* view_ = nullptr;
    TSkPopupForm* frame_ = nullptr;
};

}  // namespace skin
