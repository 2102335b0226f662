#pragma once

// The popup menu component: a root item whose children pop up at a point,
// with the popup options handed to the whole tree.

#include "platform/vcl/menus.h"
#include "skin/graphics/sk_options.h"
#include "skin/menus/sk_menu_item.h"

namespace skin {

class TSkEditMenu;

class TSkCustomPopupMenu : public vcl::TPopupMenu {
    VCL_DECLARE_CLASS(TSkCustomPopupMenu, vcl::TPopupMenu)
public:
    explicit TSkCustomPopupMenu(vcl::TComponent* owner);
    // `makeRoot` gives a subclass its own root item class; a virtual call
    // could not, as the root is made while this constructor runs.
    TSkCustomPopupMenu(vcl::TComponent* owner, TSkCustomItem* (*makeRoot)(vcl::TComponent* owner));
    ~TSkCustomPopupMenu() override;

    TSkCustomItem* Items() const { return items_; }
    vcl::TCustomImageList* Images() const { return items_->Images(); }
    void SetImages(vcl::TCustomImageList* v) { items_->SetImages(v); }
    TSkPopupMenuOptions* PopupMenuOptions() const { return options_; }
    void SetPopupMenuOptions(TSkPopupMenuOptions* v);

    // Shows the menu at a screen point; returns once it has closed.
    void Popup(int x, int y) override;
    virtual void AddItem(vcl::TComponent* container, TSkCustomItem* item);
    virtual TSkCustomItem* CreateItem(vcl::TComponent* owner);
    virtual void CloseMenu();
    // The popup menu whose Popup is running, or null.
    static TSkCustomPopupMenu* Running();

    void GetChildren(const vcl::TGetChildProc& proc, vcl::TComponent* root) override;

protected:
    void Loaded() override;

private:
    TSkCustomItem* items_;
    TSkPopupMenuOptions* options_;
};

// An edit's context menu on `menu`, which it takes over (and frees).
TSkEditMenu* WrapEditMenu(TSkCustomPopupMenu* menu);

}  // namespace skin
