#pragma once

// TSkCustomControl: the windowed base of the library's owner-drawn
// controls. It gives every control one painting pipeline: optional
// buffering, see-through painting over the parent's face, translucency over
// that face, bevels and a border around the client area, and built-in
// scroll bars. Descendants override the paint operations only.

#include "skin/controls/sk_paint_buffer.h"
#include "skin/graphics/sk_canvas.h"
#include "skin/graphics/sk_options.h"

namespace skin {

class TSkCustomScrollBar;

enum TSkBevelCut { kbvNone, kbvLowered, kbvRaised, kbvSpace, kbvBorder, kbvFlatBorder };
enum TSkBevelKind { kbkNone, kbkSingle, kbkTile, kbkSoft, kbkBorder, kbkFlat };
extern const vcl::TEnumInfo kBevelCutInfo, kBevelKindInfo;

// The bevel colours of one cut: the ring's first (left, top) and second
// (bottom, right) colour, for the outer and for the inner ring.
struct TSkBevelColors {
    vcl::TColor first, second;
};
TSkBevelColors BevelColors(TSkBevelCut cut, bool inner);

class TSkCustomControl : public vcl::TCustomControl {
    VCL_DECLARE_CLASS(TSkCustomControl, vcl::TCustomControl)
public:
    explicit TSkCustomControl(vcl::TComponent* owner);
    ~TSkCustomControl() override;

    TSkPerformance Performance() const { return performance_; }
    void SetPerformance(TSkPerformance v);
    bool Transparent() const { return transparent_; }
    void SetTransparent(bool v);
    TSkBlending* Blending() const { return blending_; }
    void SetBlending(TSkBlending* v);

    TSkBevelCut BevelInner() const { return bevelInner_; }
    void SetBevelInner(TSkBevelCut v);
    TSkBevelCut BevelOuter() const { return bevelOuter_; }
    void SetBevelOuter(TSkBevelCut v);
    TSkBevelKind BevelKind() const { return bevelKind_; }
    void SetBevelKind(TSkBevelKind v);
    TSkBevelSides BevelSides() const { return bevelSides_; }
    void SetBevelSides(TSkBevelSides v);
    int BevelWidth() const { return bevelWidth_; }
    void SetBevelWidth(int v);
    int BorderWidth() const { return borderWidth_; }
    void SetBorderWidth(int v);

    vcl::TScrollStyle ScrollBars() const { return scrollBars_; }
    bool ScrollLock() const { return scrollLock_; }
    void SetScrollLock(bool v) { scrollLock_ = v; }
    bool UseThemedBorder() const { return useThemedBorder_; }
    void SetUseThemedBorder(bool v) { useThemedBorder_ = v; }
    bool MouseInControl() const { return mouseInControl_; }
    bool HasFocus() const { return hasFocus_; }
    int BoundsWidth() const { return boundsWidth_; }
    int BoundsHeight() const { return boundsHeight_; }
    TSkCustomScrollBar* HorzScrollBar() const { return horzBar_; }
    TSkCustomScrollBar* VertScrollBar() const { return vertBar_; }

    RECT GetClientRect() const override;
    void SetBounds(int left, int top, int width, int height) override;
    void InvalidateArea(const RECT& rect);

    vcl::TNotifyEvent OnMouseEnter;
    vcl::TNotifyEvent OnMouseLeave;

    virtual void PaintClient();
    virtual void PaintBorder();
    virtual void GetPaintRect(RECT& rect) const;
    RECT PaintRect() const
    {
        RECT r{};
        GetPaintRect(r);
        return r;
    }
    // Paints the parent's face under this control into `dc` (at 0, 0).
    void CopyParentBackground(HDC dc);

protected:
    virtual TSkCustomScrollBar* CreateScrollBar();
    virtual int GetScrollBarSize() const;
    virtual void BorderChanged() {}
    virtual void MouseEnter();
    virtual void MouseLeave();
    virtual void FocusEnter();
    virtual void FocusExit();
    void BlendingChanged(vcl::TObject* sender);

    void Loaded() override;
    void CreateParams(vcl::TCreateParams& params) override;
    void CreateWnd() override;
    void Paint() override;

    // Descendants choose their bars, then ask for them again.
    void SetScrollBarsKind(vcl::TScrollStyle v) { scrollBars_ = v; }
    void CreateScrollBars();
    void RealignScrollBars();
    vcl::TFont* PaintFont() const { return paintFont_; }

private:
    void PaintFaceInto(HDC dc);
    // Border and client into `dc`, over the parent's face when transparent.
    void PaintFace(HDC dc);
    void PaintThemedCorner(const RECT& corner);
    void WMEraseBkgnd(vcl::TMessage& m);
    void SKMBackgroundRequest(vcl::TMessage& m);
    void WMWindowPosChanging(vcl::TMessage& m);
    void WMThemeChanged(vcl::TMessage& m);
    void CMMouseEnter(vcl::TMessage& m);
    void CMMouseLeave(vcl::TMessage& m);
    void CMEnter(vcl::TMessage& m);
    void CMExit(vcl::TMessage& m);
    void FreeScrollBars();
    int BarWidth(TSkCustomScrollBar* bar) const;
    int BarHeight(TSkCustomScrollBar* bar) const;

    TSkPerformance performance_ = kspNoBuffer;
    bool transparent_ = false;
    TSkBlending* blending_;
    TSkBevelCut bevelInner_ = kbvLowered;
    TSkBevelCut bevelOuter_ = kbvLowered;
    TSkBevelKind bevelKind_ = kbkNone;
    TSkBevelSides bevelSides_ = kAllBevelSides;
    int bevelWidth_ = 0;
    int borderWidth_ = 0;
    vcl::TScrollStyle scrollBars_ = vcl::ssNone;
    bool scrollLock_ = false;
    bool useThemedBorder_ = true;
    bool mouseInControl_ = false;
    bool hasFocus_ = false;
    int boundsWidth_ = 0;
    int boundsHeight_ = 0;
    vcl::TFont* paintFont_;
    TSkBitmap* blendBackground_;
    TSkCustomScrollBar* horzBar_ = nullptr;
    TSkCustomScrollBar* vertBar_ = nullptr;
};

// Publishes the base's bevel and border properties for a descendant that
// shows them, with that descendant's defaults.
template <class T>
void PublishBevels(vcl::ClassBuilder<T>& b, TSkBevelCut inner, TSkBevelCut outer, int bevelWidth, int borderWidth)
{
    b.template Set<TSkBevelSide>("BevelSides", &kBevelSideInfo, &T::BevelSides, &T::SetBevelSides,
                                 std::optional<TSkBevelSides>(kAllBevelSides));
    b.template Enum<TSkBevelCut>("BevelInner", &kBevelCutInfo, &T::BevelInner, &T::SetBevelInner,
                                 std::optional<TSkBevelCut>(inner));
    b.template Enum<TSkBevelCut>("BevelOuter", &kBevelCutInfo, &T::BevelOuter, &T::SetBevelOuter,
                                 std::optional<TSkBevelCut>(outer));
    b.template Enum<TSkBevelKind>("BevelKind", &kBevelKindInfo, &T::BevelKind, &T::SetBevelKind,
                                  std::optional<TSkBevelKind>(kbkNone));
    b.template Int<int>("BevelWidth", &T::BevelWidth, &T::SetBevelWidth, bevelWidth);
    b.template Int<int>("BorderWidth", &T::BorderWidth, &T::SetBorderWidth, borderWidth);
}

}  // namespace skin
