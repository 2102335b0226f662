#pragma once

// What the edit needs of the menus for its context menu: a popup menu that
// it owns, with items it can caption, enable and find again by their
// command, shown at a screen point. The menus sit above the controls, so
// they install the maker when their unit starts; until then an edit shows
// no context menu.

#include "platform/vcl/classes.h"
#include "platform/win32/wintypes.h"

namespace skin {

class TSkPopupMenuOptions;

class TSkEditMenu {
public:
    virtual ~TSkEditMenu() = default;
    // Appends an item; the caption "-" is a separator. `onClick` runs
    // when the item is chosen.
    virtual void AddItem(const vcl::AnsiString& caption, int command, const std::function<void()>& onClick) = 0;
    virtual bool HasItem(int command) const = 0;
    virtual void SetItemEnabled(int command, bool enabled) = 0;
    virtual bool ItemEnabled(int command) const = 0;
    virtual void SetOptions(TSkPopupMenuOptions* options) = 0;
    // Shows the menu for `popupComponent`; returns once it has closed.
    virtual void Popup(vcl::TComponent* popupComponent, POINT at) = 0;
};

class IEditMenus {
public:
    virtual ~IEditMenus() = default;
    // A new, empty popup menu owned by `owner` (freed with it).
    virtual TSkEditMenu* CreateMenu(vcl::TComponent* owner) = 0;
};

// Installed by the menus unit; null before that.
void InstallEditMenus(IEditMenus* menus);
IEditMenus* EditMenus();

}  // namespace skin
