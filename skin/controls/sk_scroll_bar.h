#pragma once

// TSkCustomScrollBar: the library's windowless scroll bar. The control
// bases make it for their built-in bars; this holds its range, position and
// events.

#include "skin/controls/sk_graphic_control.h"

namespace skin {

// 0 line up/left, 1 line down/right, 2 page up/left, 3 page down/right,
// 4 slider released, 5 slider tracking, 6 top, 7 bottom, 8 end of scrolling.
enum TSkScrollCode {
    kscLineUp, kscLineDown, kscPageUp, kscPageDown, kscPosition, kscTrack, kscTop, kscBottom, kscEndScroll
};
using TSkScrollEvent = vcl::TEvent<vcl::TObject*, TSkScrollCode, int&>;

class TSkCustomScrollBar : public TSkGraphicControl {
    VCL_DECLARE_CLASS(TSkCustomScrollBar, TSkGraphicControl)
public:
    explicit TSkCustomScrollBar(vcl::TComponent* owner);

    vcl::TScrollBarKind Kind() const { return kind_; }
    void SetKind(vcl::TScrollBarKind v);
    int Min() const { return min_; }
    void SetMin(int v);
    int Max() const { return max_; }
    void SetMax(int v);
    int PageSize() const { return pageSize_; }
    void SetPageSize(int v);
    int Position() const { return position_; }
    void SetPosition(int v);
    vcl::TScrollBarInc SmallChange() const { return smallChange_; }
    void SetSmallChange(vcl::TScrollBarInc v) { smallChange_ = v; }
    vcl::TScrollBarInc LargeChange() const { return largeChange_; }
    void SetLargeChange(vcl::TScrollBarInc v) { largeChange_ = v; }
    bool ShowButtons() const { return showButtons_; }
    void SetShowButtons(bool v);
    int BorderWidth() const { return borderWidth_; }
    void SetBorderWidth(int v);

    vcl::TNotifyEvent OnChange;
    TSkScrollEvent OnScroll;

    virtual void Change() { OnChange(this); }
    virtual void Scroll(TSkScrollCode code, int& position) { OnScroll(this, code, position); }

private:
    int SmallChangeValue() const { return smallChange_; }
    void SetSmallChangeValue(int v) { smallChange_ = static_cast<vcl::TScrollBarInc>(v); }
    int LargeChangeValue() const { return largeChange_; }
    void SetLargeChangeValue(int v) { largeChange_ = static_cast<vcl::TScrollBarInc>(v); }

    vcl::TScrollBarKind kind_ = vcl::sbHorizontal;
    int min_ = 0;
    int max_ = 100;
    int pageSize_ = 0;
    int position_ = 0;
    vcl::TScrollBarInc smallChange_ = 1;
    vcl::TScrollBarInc largeChange_ = 1;
    bool showButtons_ = true;
    int borderWidth_ = 1;
};

}  // namespace skin
