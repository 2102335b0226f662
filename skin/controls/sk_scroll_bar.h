#pragma once

// TSkCustomScrollBar: the library's windowless scroll bar: a track with an
// arrow button at each end, a slider sized by the page, and the two page
// areas beside the slider. It takes its own mouse input, shows hover and
// pressed looks and repeats held buttons and pages on a timer. The control
// bases make it for their built-in bars; the list box drives one itself.

#include "skin/controls/sk_graphic_control.h"

namespace vcl {
class TTimer;
}

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
    ~TSkCustomScrollBar() override;

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

    void PaintClient() override;
    virtual void PaintFirstButton();
    virtual void PaintSecondButton();
    virtual void PaintFirstPage();
    virtual void PaintSecondPage();
    virtual void PaintSlider();
    virtual void PaintTrack();
    virtual void PaintBorder();
    virtual int GetButtonSize() const;
    virtual int GetSliderSize() const;
    virtual RECT GetFirstButtonRect() const;
    virtual RECT GetSecondButtonRect() const;
    virtual RECT GetSliderRect() const;
    virtual RECT GetTrackRect() const;
    virtual RECT GetFirstPageRect() const;
    virtual RECT GetSecondPageRect() const;
    virtual bool InFirstButton(int x, int y) const;
    virtual bool InSecondButton(int x, int y) const;
    virtual bool InSlider(int x, int y) const;
    virtual bool InFirstPage(int x, int y) const;
    virtual bool InSecondPage(int x, int y) const;

    // Fits the cross size to the system's thumb metric and the border.
    void UpdateSize();
    // Steady scrolling towards one end while the owner asks (a list box
    // while the mouse is held beyond its items); one end at a time.
    void SetAutoScrollMin(bool on);
    void SetAutoScrollMax(bool on);
    bool AutoScrollMin() const { return autoScrollMin_; }
    bool AutoScrollMax() const { return autoScrollMax_; }

    // Where the slider's leading edge stands along the axis.
    int SliderOffset() const;
    // The position a slider leading edge at `offset` stands for.
    int PositionFromOffset(int offset) const;
    bool SliderHeld() const { return dragOffset_ >= 0; }
    bool Repeating() const;
    // The part looks, for painting by descendants.
    bool SliderHover() const { return hoverSlider_; }
    bool FirstButtonHover() const { return hoverFirstButton_; }
    bool SecondButtonHover() const { return hoverSecondButton_; }
    bool FirstButtonPressed() const { return pressedFirstButton_; }
    bool SecondButtonPressed() const { return pressedSecondButton_; }
    bool FirstPagePressed() const { return pressedFirstPage_; }
    bool SecondPagePressed() const { return pressedSecondPage_; }

protected:
    void MouseDown(vcl::TMouseButton button, vcl::TShiftState shift, int x, int y) override;
    void MouseMove(vcl::TShiftState shift, int x, int y) override;
    void MouseUp(vcl::TMouseButton button, vcl::TShiftState shift, int x, int y) override;
    void MouseLeave() override;
    bool Vertical() const { return kind_ == vcl::sbVertical; }
    bool SliderVisible() const;

private:
    int SmallChangeValue() const { return smallChange_; }
    void SetSmallChangeValue(int v) { smallChange_ = static_cast<vcl::TScrollBarInc>(v); }
    int LargeChangeValue() const { return largeChange_; }
    void SetLargeChangeValue(int v) { largeChange_ = static_cast<vcl::TScrollBarInc>(v); }
    void WMGetDlgCode(vcl::TMessage& m) { m.Result = DLGC_WANTARROWS; }
    void CMEnabledChanged(vcl::TMessage& m);

    int ThumbMetric() const;
    int TrackStart() const;
    int TrackLength() const;
    int SliderRange() const;
    void StartRepeat(bool immediate);
    void StopRepeat();
    void RepeatTick(vcl::TObject*);
    void Step(int value, TSkScrollCode code);
    void PageStep(bool forward);
    void LineStep(bool forward);
    bool UpdatePageHover();
    void DrawArrow(const RECT& r, bool first, bool pressed, bool hover);

    vcl::TScrollBarKind kind_ = vcl::sbHorizontal;
    int min_ = 0;
    int max_ = 100;
    int pageSize_ = 0;
    int position_ = 0;
    vcl::TScrollBarInc smallChange_ = 1;
    vcl::TScrollBarInc largeChange_ = 1;
    bool showButtons_ = true;
    int borderWidth_ = 1;

    int dragOffset_ = -1;
    POINT lastMouse_{-1, -1};
    bool hoverSlider_ = false, hoverFirstButton_ = false, hoverSecondButton_ = false, hoverFirstPage_ = false,
         hoverSecondPage_ = false;
    bool pressedFirstButton_ = false, pressedSecondButton_ = false, pressedFirstPage_ = false,
         pressedSecondPage_ = false;
    bool autoScrollMin_ = false, autoScrollMax_ = false;
    vcl::TTimer* repeatTimer_ = nullptr;
};

}  // namespace skin
