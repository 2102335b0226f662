#pragma once

// Menus drawn from the skin: TSkSkinItem paints items with the skin's
// "MenuBar" and "PopupMenu" objects, and its popups get a frame from the
// "PopupMenu" object's "Frame". TSkSkinPopupMenu is the popup menu whose
// items are all skinned. Without a usable skin everything is the plain look.

#include "skin/menus/sk_popup_menu.h"
#include "skin/menus/sk_popup_window.h"
#include "skin/skins/sk_skin_manager.h"

namespace skin {

class TSkSkinItem : public TSkCustomItem {
    VCL_DECLARE_CLASS(TSkSkinItem, TSkCustomItem)
public:
    explicit TSkSkinItem(vcl::TComponent* owner);
    ~TSkSkinItem() override;

    TSkSkinManager* SkinManager() const { return manager_; }
    // Binds the item and every skinned item below it.
    void SetSkinManager(TSkSkinManager* value);
    bool UseSkin() const;

    // The objects are looked up in the manager's skin at each use, so a
    // skin reloaded in between never leaves the item pointing into the old.
    TSkSkinObject* MenuBarObject() const;
    TSkSkinObject* PopupObject() const;
    TSkSkinObject* BarItemObject() const;
    TSkSkinObject* PopupItemObject() const;
    TSkSkinObject* SeparatorObject() const;

    void MeasureItem(vcl::TCanvas* canvas, TSkItemView* view, int& height, int& width) override;
    void DrawItem(vcl::TCanvas* canvas, TSkItemView* view, bool notTracking, bool isSelected,
                  const RECT& rect) override;
    void DrawScroller(vcl::TCanvas* canvas, bool active, int kind, const RECT& rect) override;
    TSkPopupWindow* CreatePopupWindow(vcl::TComponent* owner, TSkItemView* parentView) override;

protected:
    void Notification(vcl::TComponent* component, vcl::TOperation operation) override;

private:
    void DrawPopupItem(vcl::TCanvas* canvas, std::uint8_t state, const RECT& rect);
    TSkSkinManager* manager_ = nullptr;
};

// The frame of a skinned popup: the "Frame" child of the skin's "PopupMenu".
class TSkSkinPopupForm : public TSkPopupForm {
    VCL_DECLARE_CLASS(TSkSkinPopupForm, TSkPopupForm)
public:
    explicit TSkSkinPopupForm(vcl::TComponent* owner) : TSkPopupForm(owner) {}
    bool UseSkin() const;
    RECT GetFrameClientRect() override;
    void DrawFrame(vcl::TCanvas* canvas) override;

private:
    TSkSkinObject* FrameObject() const;
};

class TSkSkinPopupWindow : public TSkPopupWindow {
    VCL_DECLARE_CLASS(TSkSkinPopupWindow, TSkPopupWindow)
public:
    TSkSkinPopupWindow(vcl::TComponent* owner, TSkItemView* parentView, TSkSkinItem* item);
    TSkSkinManager* SkinManager() const { return item_->SkinManager(); }

private:
    TSkSkinItem* item_;
};

class TSkSkinPopupMenu : public TSkCustomPopupMenu {
    VCL_DECLARE_CLASS(TSkSkinPopupMenu, TSkCustomPopupMenu)
public:
    explicit TSkSkinPopupMenu(vcl::TComponent* owner);
    ~TSkSkinPopupMenu() override;

    TSkSkinManager* SkinManager() const { return manager_; }
    void SetSkinManager(TSkSkinManager* value);
    vcl::AnsiString Version() const { return "3.2.2"; }
    void SetVersion(const vcl::AnsiString&) {}

    TSkCustomItem* CreateItem(vcl::TComponent* owner) override;
    void Popup(int x, int y) override;

protected:
    void Loaded() override;
    void Notification(vcl::TComponent* component, vcl::TOperation operation) override;

private:
    TSkSkinManager* manager_ = nullptr;
};

}  // namespace skin
