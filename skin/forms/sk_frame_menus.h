#pragma once

// What the self-drawn frame needs of the menus: its menu bar, the popup
// menus linked as system and tray menus, and the built-in system menu. The
// menus sit above the forms, so they install this when their unit starts;
// until then the frame shows no menus and its menu bar takes no keys.

#include <functional>
#include <vector>

#include "platform/vcl/controls.h"
#include "platform/vcl/menus.h"

namespace skin {

class TSkCustomForm;
class TSkPopupMenuOptions;

// One entry of the built-in system menu; the caption "-" is a separator.
struct TSkSystemMenuEntry {
    vcl::AnsiString Caption;
    int Glyph = -1;  // index in the system-menu glyph list
    vcl::AnsiString ShortCutText;
};

class IFrameMenus {
public:
    virtual ~IFrameMenus() = default;

    // `menuBar` is a menu bar control of the menus folder.
    virtual bool MenuBarIsShortCut(vcl::TControl* menuBar, const vcl::TMessage& keyMessage) = 0;
    virtual bool MenuBarTrackMenu(vcl::TControl* menuBar) = 0;
    virtual void MenuBarShowWindowButtons(vcl::TControl* menuBar, TSkCustomForm* childFrame) = 0;
    virtual void MenuBarHideWindowButtons(vcl::TControl* menuBar) = 0;

    // A popup menu of the menus folder linked to the frame: takes `options`,
    // optionally comes to the foreground, and returns once it has closed.
    virtual void PopupLinkedMenu(vcl::TPopupMenu* menu, TSkPopupMenuOptions* options, bool foreground,
                                 POINT at) = 0;
    // The built-in system menu, rebuilt from `entries`; `onClick` gets the
    // chosen entry's caption after the menu has closed.
    virtual void PopupSystemMenu(TSkCustomForm* frame, const std::vector<TSkSystemMenuEntry>& entries,
                                 TSkPopupMenuOptions* options, bool foreground, POINT at,
                                 const std::function<void(const vcl::AnsiString&)>& onClick) = 0;
};

// Installed by the menus unit; null before that.
void InstallFrameMenus(IFrameMenus* menus);
IFrameMenus* FrameMenus();

}  // namespace skin
