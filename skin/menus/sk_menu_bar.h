#pragma once

// The menu bar: a control showing the titles of its root item's children
// in a row; a click or the menu key starts menu mode, which opens the
// titles' popups. On a form with maximized child windows it also carries
// their window buttons.

#include "skin/controls/sk_custom_control.h"
#include "skin/menus/sk_item_view.h"

namespace skin {

class TSkCustomMenuBar;

class TSkMenuBarView : public TSkItemView {
    VCL_DECLARE_CLASS(TSkMenuBarView, TSkItemView)
public:
    TSkMenuBarView(TSkCustomMenuBar* bar, TSkCustomItem* root);
    void SetContentSize(SIZE size) override;
    void InvalidateAll() override;
    void InvalidateItem(TSkCustomItem* item) override;

private:
    TSkCustomMenuBar* bar_;
};

class TSkCustomMenuBar : public TSkCustomControl {
    VCL_DECLARE_CLASS(TSkCustomMenuBar, TSkCustomControl)
public:
    explicit TSkCustomMenuBar(vcl::TComponent* owner);
    ~TSkCustomMenuBar() override;

    bool AutoSize() const { return autoSize_; }
    void SetAutoSize(bool v) { autoSize_ = v; }
    vcl::TCustomImageList* Images() const { return items_->Images(); }
    void SetImages(vcl::TCustomImageList* v) { items_->SetImages(v); }
    TSkCustomItem* Items() const { return items_; }
    TSkPopupMenuOptions* PopupMenuOptions() const { return options_; }
    void SetPopupMenuOptions(TSkPopupMenuOptions* v);
    bool ShowBevel() const { return showBevel_; }
    void SetShowBevel(bool v);
    TSkMenuBarView* View() const { return view_; }
    TSkCustomForm* WindowForm() const { return windowForm_; }
    // The bar stands on a control bar, which gives its titles the toolbar look.
    bool OnControlBar() const;

    virtual RECT GetContentRect();
    virtual void AddItem(vcl::TComponent* container, TSkCustomItem* item);
    virtual TSkCustomItem* CreateItem(vcl::TComponent* owner);
    virtual void Rebuild();

    bool TrackMenu();
    bool IsShortCut(const vcl::TMessage& keyMessage);
    void ShowWindowButtons(TSkCustomForm* form);
    void HideWindowButtons();
    void PaintClient() override;
    void SetBounds(int left, int top, int width, int height) override;
    void GetChildren(const vcl::TGetChildProc& proc, vcl::TComponent* root) override;
    // The bar's own action, then the actions of its titles.
    void InitiateAction() override;

protected:
    void Loaded() override;
    void Notification(vcl::TComponent* component, vcl::TOperation operation) override;
    void MouseMove(vcl::TShiftState shift, int x, int y) override;

private:
    void ItemsChanged(vcl::TObject*);
    void WindowButtonClick(vcl::TObject* sender);
    void WMLButtonDown(vcl::TMessage& m);
    void CMMouseLeave2(vcl::TMessage& m);
    void CMDialogChar(vcl::TMessage& m);
    void SetWindowButtonsVisible(bool visible, TSkCustomForm* form);
    void PaintControlBarBackground();

    bool windowButtonsGuard_ = false;
    TSkCustomItem* items_;
    TSkMenuBarView* view_ = nullptr;
    TSkPopupMenuOptions* options_;
    bool autoSize_ = true;
    TSkCustomForm* windowForm_ = nullptr;
    bool showBevel_ = false;
    bool layoutGuard_ = true;
    TSkCustomItem* windowButtons_[4] = {};  // system icon, minimize, restore, close
};

}  // namespace skin
