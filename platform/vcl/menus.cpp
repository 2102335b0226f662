#include "platform/vcl/menus.h"

#include <cstring>

#include "platform/user/winuser.h"

namespace vcl {

namespace {
const TEnumInfo kPopupAlignmentInfo{"TPopupAlignment", {"paLeft", "paRight", "paCenter"}};

AnsiString KeyName(WORD key)
{
    if ((key >= '0' && key <= '9') || (key >= 'A' && key <= 'Z'))
        return AnsiString(1, static_cast<char>(key));
    if (key >= VK_F1 && key <= VK_F1 + 23)
        return 'F' + IntToStr(key - VK_F1 + 1);
    switch (key) {
    case VK_BACK: return "BkSp";
    case VK_TAB: return "Tab";
    case VK_RETURN: return "Enter";
    case VK_ESCAPE: return "Esc";
    case VK_SPACE: return "Space";
    case VK_PRIOR: return "PgUp";
    case VK_NEXT: return "PgDn";
    case VK_END: return "End";
    case VK_HOME: return "Home";
    case VK_LEFT: return "Left";
    case VK_UP: return "Up";
    case VK_RIGHT: return "Right";
    case VK_DOWN: return "Down";
    case VK_INSERT: return "Ins";
    case VK_DELETE: return "Del";
    default: return AnsiString();
    }
}
}  // namespace

VCL_IMPLEMENT_CLASS(TPopupMenu, TComponent, [](auto& b) {
    b.Component();
    b.Enum("Alignment", &kPopupAlignmentInfo, &TPopupMenu::Alignment, &TPopupMenu::SetAlignment,
           std::optional<TPopupAlignment>(paLeft));
    b.Bool("AutoPopup", &TPopupMenu::AutoPopup, &TPopupMenu::SetAutoPopup, true);
    b.Event("OnPopup", &TPopupMenu::OnPopup);
})

void TPopupMenu::Popup(int, int) { OnPopup(this); }

void TPopupMenu::Notification(TComponent* component, TOperation operation)
{
    TComponent::Notification(component, operation);
    if (operation == opRemove && component == popupComponent_)
        popupComponent_ = nullptr;
}

TShortCut MakeShortCut(WORD key, bool shift, bool ctrl, bool alt)
{
    if (key & 0xF000)
        return scNone;
    return static_cast<TShortCut>(key | (shift ? scShift : 0) | (ctrl ? scCtrl : 0) | (alt ? scAlt : 0));
}

AnsiString ShortCutToText(TShortCut shortCut)
{
    const AnsiString name = KeyName(shortCut & 0x0FFF);
    if (name.empty())
        return AnsiString();
    AnsiString text;
    if (shortCut & scShift)
        text += "Shift+";
    if (shortCut & scCtrl)
        text += "Ctrl+";
    if (shortCut & scAlt)
        text += "Alt+";
    return text + name;
}

TShortCut TextToShortCut(const AnsiString& text)
{
    AnsiString rest = text;
    TShortCut mods = 0;
    for (bool again = true; again;) {
        again = false;
        for (const auto& [prefix, bit] : {std::pair<const char*, TShortCut>{"Shift+", scShift}, {"Ctrl+", scCtrl}, {"Alt+", scAlt}}) {
            const size_t n = std::strlen(prefix);
            if (rest.size() > n && SameText(rest.substr(0, n), prefix)) {
                mods |= bit;
                rest = rest.substr(n);
                again = true;
            }
        }
    }
    for (WORD key = 8; key < 255; ++key) {
        const AnsiString name = KeyName(key);
        if (!name.empty() && SameText(name, rest))
            return static_cast<TShortCut>(key | mods);
    }
    return scNone;
}

}  // namespace vcl
