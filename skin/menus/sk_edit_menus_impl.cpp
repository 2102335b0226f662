// The edit's context menu as the menus build it: a popup menu owned by the
// edit, with one item per command. Installed by the menus unit.

#include <map>

#include "skin/controls/sk_edit_menu.h"
#include "skin/menus/sk_menu_item.h"
#include "skin/menus/sk_menus_unit.h"
#include "skin/menus/sk_popup_menu.h"

namespace skin {

namespace {

class TEditPopupMenu : public TSkEditMenu {
public:
    explicit TEditPopupMenu(TSkCustomPopupMenu* menu) : menu_(menu) {}
    ~TEditPopupMenu() override { delete menu_; }
    TEditPopupMenu(const TEditPopupMenu&) = delete;
    TEditPopupMenu& operator=(const TEditPopupMenu&) = delete;

    void AddItem(const vcl::AnsiString& caption, int command, const std::function<void()>& onClick) override
    {
        TSkCustomItem* item = menu_->CreateItem(menu_);
        item->SetCaption(caption);
        if (onClick)
            item->OnClick = [onClick](vcl::TObject*) { onClick(); };
        menu_->Items()->Add(item);
        if (caption != "-")
            items_[command] = item;
    }
    bool HasItem(int command) const override { return items_.count(command) != 0; }
    void SetItemEnabled(int command, bool enabled) override
    {
        if (auto it = items_.find(command); it != items_.end())
            it->second->SetEnabled(enabled);
    }
    bool ItemEnabled(int command) const override
    {
        auto it = items_.find(command);
        return it != items_.end() && it->second->Enabled();
    }
    void SetOptions(TSkPopupMenuOptions* options) override { menu_->SetPopupMenuOptions(options); }
    void Popup(vcl::TComponent* popupComponent, POINT at) override
    {
        menu_->SetPopupComponent(popupComponent);
        menu_->Popup(at.x, at.y);
    }
    TSkCustomPopupMenu* Menu() const { return menu_; }

private:
    TSkCustomPopupMenu* menu_;
    std::map<int, TSkCustomItem*> items_;
};

class TEditMenus : public IEditMenus {
public:
    TSkEditMenu* CreateMenu(vcl::TComponent* owner) override { return WrapEditMenu(new TSkCustomPopupMenu(owner)); }
};

TEditMenus g_editMenus;

}  // namespace

TSkEditMenu* WrapEditMenu(TSkCustomPopupMenu* menu) { return new TEditPopupMenu(menu); }

void InstallMenusForEdits() { InstallEditMenus(&g_editMenus); }

}  // namespace skin
