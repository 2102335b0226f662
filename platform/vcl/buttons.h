#pragma once

// Push buttons of the class library: the plain TButton with its default and
// cancel roles, and the bitmap-button kinds and glyph layouts that other
// buttons take over.

#include "platform/vcl/controls.h"

namespace vcl {

enum TButtonLayout { blGlyphLeft, blGlyphRight, blGlyphTop, blGlyphBottom };
enum TBitBtnKind { bkCustom, bkOK, bkCancel, bkHelp, bkYes, bkNo, bkClose, bkAbort, bkRetry, bkIgnore, bkAll };
using TNumGlyphs = int;  // 1..4
extern const TEnumInfo kButtonLayoutInfo, kBitBtnKindInfo;

class TButton : public TCustomControl {
    VCL_DECLARE_CLASS(TButton, TCustomControl)
public:
    explicit TButton(TComponent* owner);
    bool Default() const { return default_; }
    void SetDefault(bool v);
    bool Cancel() const { return cancel_; }
    void SetCancel(bool v) { cancel_ = v; }
    int ModalResult() const { return modalResult_; }
    void SetModalResult(int v) { modalResult_ = v; }
    // Shows the default frame and answers Enter: the default button while
    // no other button has the focus, or the focused button itself.
    bool Active() const { return active_; }
    void Click() override;

protected:
    void Paint() override;

private:
    void CMDialogKey(TMessage& m);
    void CMFocusChanged(TMessage& m);

    bool default_ = false;
    bool cancel_ = false;
    bool active_ = false;
    int modalResult_ = 0;
};

}  // namespace vcl
