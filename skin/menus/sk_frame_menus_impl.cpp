// The menus that the self-drawn frame reaches through its seam: linked
// popup menus and the built-in system menu. Installed by the menus unit.

#include <map>

#include "skin/forms/sk_custom_form.h"
#include "skin/graphics/sk_system.h"
#include "skin/menus/sk_menu_bar.h"
#include "skin/menus/sk_menus_unit.h"
#include "skin/menus/sk_popup_menu.h"

namespace skin {

namespace {

// Marks the system menu among the frame's components.
constexpr int kSystemMenuTag = 0x5359;

class TFrameMenus : public IFrameMenus {
public:
    bool MenuBarIsShortCut(vcl::TControl* bar, const vcl::TMessage& keyMessage) override
    {
        auto* menuBar = dynamic_cast<TSkCustomMenuBar*>(bar);
        return menuBar && menuBar->IsShortCut(keyMessage);
    }
    bool MenuBarTrackMenu(vcl::TControl* bar) override
    {
        auto* menuBar = dynamic_cast<TSkCustomMenuBar*>(bar);
        return menuBar && menuBar->TrackMenu();
    }
    void MenuBarShowWindowButtons(vcl::TControl* bar, TSkCustomForm* childFrame) override
    {
        if (auto* menuBar = dynamic_cast<TSkCustomMenuBar*>(bar))
            menuBar->ShowWindowButtons(childFrame);
    }
    void MenuBarHideWindowButtons(vcl::TControl* bar) override
    {
        if (auto* menuBar = dynamic_cast<TSkCustomMenuBar*>(bar))
            menuBar->HideWindowButtons();
    }

    void PopupLinkedMenu(vcl::TPopupMenu* menu, TSkPopupMenuOptions* options, bool foreground, POINT at) override
    {
        auto* popup = dynamic_cast<TSkCustomPopupMenu*>(menu);
        if (!popup) {
            menu->Popup(at.x, at.y);
            return;
        }
        popup->SetPopupMenuOptions(options);
        popup->Items()->SetForegroundOnPopup(foreground);
        popup->Popup(at.x, at.y);
    }

    void PopupSystemMenu(TSkCustomForm* frame, const std::vector<TSkSystemMenuEntry>& entries,
                         TSkPopupMenuOptions* options, bool foreground, POINT at,
                         const std::function<void(const vcl::AnsiString&)>& onClick) override
    {
        // Kept by the frame between uses: a chosen item runs after the menu
        // has closed, so its items must outlive this call.
        TSkCustomPopupMenu* menu = nullptr;
        for (int i = 0; i < frame->ComponentCount() && !menu; ++i) {
            auto* c = dynamic_cast<TSkCustomPopupMenu*>(frame->Components(i));
            if (c && c->Tag() == kSystemMenuTag)
                menu = c;
        }
        if (!menu) {
            menu = new TSkCustomPopupMenu(frame);
            menu->SetTag(kSystemMenuTag);
        }
        TSkCustomItem* root = menu->Items();
        // The entries' glyph indexes are the frame-button pictures.
        root->SetImages(SystemResources().FrameButtons);
        while (root->Count() > 0)
            delete root->Items(root->Count() - 1);
        for (const TSkSystemMenuEntry& e : entries) {
            auto* item = dynamic_cast<TSkCustomItem*>(frame->CreateMenuItem(menu));
            if (!item)
                item = new TSkCustomItem(menu);
            item->SetCaption(e.Caption);
            item->SetImageIndex(e.Glyph);
            if (!e.ShortCutText.empty())
                item->SetShortCut(vcl::TextToShortCut(e.ShortCutText));
            const vcl::AnsiString caption = e.Caption;
            item->OnClick = [onClick, caption](vcl::TObject*) { onClick(caption); };
            root->Add(item);
        }
        menu->SetPopupMenuOptions(options);
        root->SetForegroundOnPopup(foreground);
        if (auto* window = dynamic_cast<vcl::TWinControl*>(frame->Owner()))
            root->SetOwnerWindow(window);
        menu->Popup(at.x, at.y);
    }
};

TFrameMenus g_frameMenus;

}  // namespace

void InstallMenusForFrames() { InstallFrameMenus(&g_frameMenus); }

}  // namespace skin
