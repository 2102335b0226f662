#pragma once

// Shortcuts and the popup menu base; menu items themselves are the user's
// (the control library brings its own item tree).

#include "platform/vcl/classes.h"

namespace vcl {

class TControl;

using TShortCut = WORD;
constexpr TShortCut scShift = 0x2000, scCtrl = 0x4000, scAlt = 0x8000, scNone = 0;

TShortCut MakeShortCut(WORD key, bool shift, bool ctrl, bool alt);
AnsiString ShortCutToText(TShortCut shortCut);  // "Ctrl+S", "Shift+F10", "Del"
TShortCut TextToShortCut(const AnsiString& text);

enum TPopupAlignment { paLeft, paRight, paCenter };

class TPopupMenu : public TComponent {
    VCL_DECLARE_CLASS(TPopupMenu, TComponent)
public:
    explicit TPopupMenu(TComponent* owner) : TComponent(owner) {}
    // Shows the menu at a screen point; the base only announces it.
    virtual void Popup(int x, int y);
    TComponent* PopupComponent() const { return popupComponent_; }
    void SetPopupComponent(TComponent* c) { popupComponent_ = c; }
    bool AutoPopup() const { return autoPopup_; }
    void SetAutoPopup(bool v) { autoPopup_ = v; }
    TPopupAlignment Alignment() const { return alignment_; }
    void SetAlignment(TPopupAlignment a) { alignment_ = a; }
    TNotifyEvent OnPopup;

protected:
    void Notification(TComponent* component, TOperation operation) override;

private:
    TComponent* popupComponent_ = nullptr;
    bool autoPopup_ = true;
    TPopupAlignment alignment_ = paLeft;
};

}  // namespace vcl
