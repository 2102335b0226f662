#include "skin/controls/sk_custom_control.h"

#include "platform/vcl/forms.h"
#include "skin/controls/sk_scroll_bar.h"
#include "skin/graphics/sk_theme.h"

namespace skin {

const vcl::TEnumInfo kBevelCutInfo{"TSkBevelCut",
                                   {"kbvNone", "kbvLowered", "kbvRaised", "kbvSpace", "kbvBorder", "kbvFlatBorder"}};
const vcl::TEnumInfo kBevelKindInfo{"TSkBevelKind", {"kbkNone", "kbkSingle", "kbkTile", "kbkSoft", "kbkBorder", "kbkFlat"}};

namespace {

constexpr int kCornerSize = 20;
constexpr int kEditPart = 1;

}  // namespace

TSkBevelColors BevelColors(TSkBevelCut cut, bool inner)
{
    using namespace vcl;
    switch (cut) {
    case kbvLowered:
        return inner ? TSkBevelColors{cl3DDkShadow, clBtnFace} : TSkBevelColors{clBtnShadow, clBtnHighlight};
    case kbvRaised:
        return inner ? TSkBevelColors{clBtnShadow, clBtnShadow} : TSkBevelColors{clBtnHighlight, cl3DDkShadow};
    case kbvSpace:
        return TSkBevelColors{clBtnFace, clBtnFace};
    case kbvBorder:
        return inner ? TSkBevelColors{clWindow, clWindow} : TSkBevelColors{cl3DDkShadow, cl3DDkShadow};
    case kbvFlatBorder:
        return inner ? TSkBevelColors{clBtnFace, clBtnFace} : TSkBevelColors{clBtnShadow, clBtnShadow};
    case kbvNone:
        break;
    }
    return TSkBevelColors{clNone, clNone};
}

VCL_IMPLEMENT_CLASS(TSkCustomControl, vcl::TCustomControl, [](auto& b) {
    b.Object("Blending", &TSkCustomControl::Blending, &TSkCustomControl::SetBlending);
    b.Enum("Performance", &kPerformanceInfo, &TSkCustomControl::Performance, &TSkCustomControl::SetPerformance,
           std::optional<TSkPerformance>(kspNoBuffer));
    b.Bool("Transparent", &TSkCustomControl::Transparent, &TSkCustomControl::SetTransparent, false);
    b.Event("OnMouseEnter", &TSkCustomControl::OnMouseEnter);
    b.Event("OnMouseLeave", &TSkCustomControl::OnMouseLeave);
    b.Message(WM_ERASEBKGND, &TSkCustomControl::WMEraseBkgnd);
    b.Message(SKM_BACKGROUNDREQUEST, &TSkCustomControl::SKMBackgroundRequest);
    b.Message(WM_WINDOWPOSCHANGING, &TSkCustomControl::WMWindowPosChanging);
    b.Message(WM_THEMECHANGED, &TSkCustomControl::WMThemeChanged);
    b.Message(vcl::CM_MOUSEENTER, &TSkCustomControl::CMMouseEnter);
    b.Message(vcl::CM_MOUSELEAVE, &TSkCustomControl::CMMouseLeave);
    b.Message(vcl::CM_ENTER, &TSkCustomControl::CMEnter);
    b.Message(vcl::CM_EXIT, &TSkCustomControl::CMExit);
})

TSkCustomControl::TSkCustomControl(vcl::TComponent* owner)
    : vcl::TCustomControl(owner), blending_(new TSkBlending()), paintFont_(new vcl::TFont()),
      blendBackground_(new TSkBitmap())
{
    controlStyle_.Include(vcl::csOpaque);
    SetColor(vcl::clBtnFace);
    SetBounds(0, 0, 100, 30);
    blending_->OnChange = [this](vcl::TObject* sender) { BlendingChanged(sender); };
}

TSkCustomControl::~TSkCustomControl()
{
    FreeScrollBars();
    delete blendBackground_;
    delete paintFont_;
    delete blending_;
}

// ---------------------------------------------------------------- setters

void TSkCustomControl::SetPerformance(TSkPerformance v)
{
    if (!AcceptsPerformance(performance_, v, blending_))
        return;
    performance_ = v;
    Invalidate();
}

void TSkCustomControl::SetTransparent(bool v)
{
    if (v == transparent_)
        return;
    transparent_ = v;
    Invalidate();
}

void TSkCustomControl::SetBlending(TSkBlending* v)
{
    // Assigning notifies BlendingChanged, which keeps a buffered mode.
    blending_->Assign(v);
    if (blending_->Enabled() && performance_ == kspNoBuffer)
        performance_ = kspDoubleBuffer;
    if (!ComponentState().Contains(vcl::csLoading))
        Invalidate();
}

void TSkCustomControl::BlendingChanged(vcl::TObject*)
{
    if (blending_->Enabled() && performance_ == kspNoBuffer)
        performance_ = kspDoubleBuffer;
    Invalidate();
}

void TSkCustomControl::SetBevelInner(TSkBevelCut v)
{
    if (v == bevelInner_)
        return;
    bevelKind_ = kbkNone;
    bevelInner_ = v;
    BorderChanged();
    Invalidate();
}

void TSkCustomControl::SetBevelOuter(TSkBevelCut v)
{
    if (v == bevelOuter_)
        return;
    bevelKind_ = kbkNone;
    bevelOuter_ = v;
    BorderChanged();
    Invalidate();
}

void TSkCustomControl::SetBevelKind(TSkBevelKind v)
{
    if (v == bevelKind_)
        return;
    if (v != kbkNone) {
        const TSkBevelCut cut = v == kbkBorder ? kbvBorder : v == kbkFlat ? kbvFlatBorder : kbvLowered;
        bevelInner_ = cut;
        bevelOuter_ = cut;
    }
    bevelKind_ = v;
    BorderChanged();
    Invalidate();
}

void TSkCustomControl::SetBevelSides(TSkBevelSides v)
{
    if (v == bevelSides_)
        return;
    bevelSides_ = v;
    BorderChanged();
    Invalidate();
}

void TSkCustomControl::SetBevelWidth(int v)
{
    if (v == bevelWidth_)
        return;
    bevelWidth_ = v;
    BorderChanged();
    Invalidate();
}

void TSkCustomControl::SetBorderWidth(int v)
{
    if (v == borderWidth_)
        return;
    borderWidth_ = v;
    BorderChanged();
    Invalidate();
}

void TSkCustomControl::InvalidateArea(const RECT& rect)
{
    if (HandleAllocated())
        InvalidateRect(Handle(), &rect, FALSE);
}

// ---------------------------------------------------------------- geometry

void TSkCustomControl::GetPaintRect(RECT& rect) const
{
    rect = RECT{0, 0, boundsWidth_, boundsHeight_};
    InflateRect(&rect, -borderWidth_, -borderWidth_);
    const int cuts = (bevelInner_ != kbvNone ? 1 : 0) + (bevelOuter_ != kbvNone ? 1 : 0);
    const int inset = bevelWidth_ * cuts;
    if (bevelSides_.Contains(kbsLeft))
        rect.left += inset;
    if (bevelSides_.Contains(kbsTop))
        rect.top += inset;
    if (bevelSides_.Contains(kbsRight))
        rect.right -= inset;
    if (bevelSides_.Contains(kbsBottom))
        rect.bottom -= inset;
}

int TSkCustomControl::BarWidth(TSkCustomScrollBar* bar) const { return bar ? bar->Width() : 0; }
int TSkCustomControl::BarHeight(TSkCustomScrollBar* bar) const { return bar ? bar->Height() : 0; }

RECT TSkCustomControl::GetClientRect() const
{
    RECT r = PaintRect();
    r.right -= BarWidth(vertBar_);
    r.bottom -= BarHeight(horzBar_);
    return r;
}

void TSkCustomControl::SetBounds(int left, int top, int width, int height)
{
    vcl::TCustomControl::SetBounds(left, top, width, height);
    // The size the control took: constraints and auto size may have
    // changed the one asked for.
    boundsWidth_ = Width();
    boundsHeight_ = Height();
    RealignScrollBars();
}

// ------------------------------------------------------------ scroll bars

TSkCustomScrollBar* TSkCustomControl::CreateScrollBar() { return new TSkCustomScrollBar(this); }

int TSkCustomControl::GetScrollBarSize() const { return GetSystemMetrics(SM_CYVTHUMB); }

void TSkCustomControl::FreeScrollBars()
{
    delete horzBar_;
    horzBar_ = nullptr;
    delete vertBar_;
    vertBar_ = nullptr;
}

void TSkCustomControl::CreateScrollBars()
{
    FreeScrollBars();
    auto make = [this](vcl::TScrollBarKind kind, UINT message) {
        TSkCustomScrollBar* bar = CreateScrollBar();
        bar->SetBorderWidth(0);
        bar->SetParent(this);
        bar->SetKind(kind);
        if (kind == vcl::sbHorizontal)
            bar->SetHeight(GetScrollBarSize());
        else
            bar->SetWidth(GetScrollBarSize());
        bar->SetVisible(true);
        bar->SetTransparent(false);
        bar->OnScroll = [this, bar, message](vcl::TObject*, TSkScrollCode code, int& position) {
            if (scrollLock_)
                return;
            const unsigned value = static_cast<unsigned>(code);
            Perform(message, value <= kscEndScroll ? value : 0, position);
            position = bar->Position();
        };
        return bar;
    };
    if (scrollBars_ == vcl::ssHorizontal || scrollBars_ == vcl::ssBoth)
        horzBar_ = make(vcl::sbHorizontal, WM_HSCROLL);
    if (scrollBars_ == vcl::ssVertical || scrollBars_ == vcl::ssBoth)
        vertBar_ = make(vcl::sbVertical, WM_VSCROLL);
    RealignScrollBars();
}

void TSkCustomControl::RealignScrollBars()
{
    if (boundsWidth_ < 0 || boundsHeight_ < 0 || (!horzBar_ && !vertBar_))
        return;
    RECT area{0, 0, boundsWidth_, boundsHeight_};
    if (Parent()) {
        if (HandleAllocated())
            ::GetClientRect(Handle(), &area);
        const RECT paint = PaintRect();
        area.left += paint.left;
        area.top += paint.top;
        area.right -= boundsWidth_ - paint.right;
        area.bottom -= boundsHeight_ - paint.bottom;
    }
    const int vertWidth = BarWidth(vertBar_), horzHeight = BarHeight(horzBar_);
    if (horzBar_)
        horzBar_->SetBounds(area.left, area.bottom - horzHeight, area.right - vertWidth - area.left, horzHeight);
    if (vertBar_)
        vertBar_->SetBounds(area.right - vertWidth, area.top, vertWidth, area.bottom - horzHeight - area.top);
}

// --------------------------------------------------------- class library

void TSkCustomControl::Loaded()
{
    vcl::TCustomControl::Loaded();
    RealignScrollBars();
}

void TSkCustomControl::CreateParams(vcl::TCreateParams& params)
{
    vcl::TCustomControl::CreateParams(params);
    params.Style &= ~static_cast<DWORD>(WS_HSCROLL | WS_VSCROLL);
}

void TSkCustomControl::CreateWnd()
{
    vcl::TCustomControl::CreateWnd();
    if (Parent())
        CreateScrollBars();
}

// --------------------------------------------------------------- messages

void TSkCustomControl::MouseEnter()
{
    mouseInControl_ = true;
    OnMouseEnter(this);
}

void TSkCustomControl::MouseLeave()
{
    mouseInControl_ = false;
    OnMouseLeave(this);
}

void TSkCustomControl::FocusEnter()
{
    hasFocus_ = true;
    Invalidate();
}

void TSkCustomControl::FocusExit()
{
    hasFocus_ = false;
    Invalidate();
}

void TSkCustomControl::CMMouseEnter(vcl::TMessage& m)
{
    DispatchFrom(StaticClass()->ClassParent(), m);
    MouseEnter();
}

void TSkCustomControl::CMMouseLeave(vcl::TMessage& m)
{
    DispatchFrom(StaticClass()->ClassParent(), m);
    MouseLeave();
}

void TSkCustomControl::CMEnter(vcl::TMessage& m)
{
    FocusEnter();
    DispatchFrom(StaticClass()->ClassParent(), m);
}

void TSkCustomControl::CMExit(vcl::TMessage& m)
{
    FocusExit();
    DispatchFrom(StaticClass()->ClassParent(), m);
}

void TSkCustomControl::WMEraseBkgnd(vcl::TMessage& m)
{
    if (ComponentState().Contains(vcl::csDesigning) && transparent_)
        CopyParentBackground(reinterpret_cast<HDC>(m.WParam));
    m.Result = 1;
}

void TSkCustomControl::SKMBackgroundRequest(vcl::TMessage& m)
{
    HDC dc = reinterpret_cast<HDC>(m.WParam);
    if (BackgroundRequestOf(m) && dc)
        PaintFaceInto(dc);
    m.Result = 1;
}

void TSkCustomControl::PaintFaceInto(HDC dc)
{
    vcl::TCanvas* canvas = Canvas();
    canvas->Lock();
    HDC saved = canvas->HandleAllocated() ? canvas->Handle() : nullptr;
    try {
        if (blending_->Enabled() && boundsWidth_ > 0 && boundsHeight_ > 0) {
            // A translucent control's face is what it shows on screen: mixed
            // over its own parent's face. A child that sees through it must
            // get that mix, not the bare face, or it shows a solid box.
            TSkBufferedPaint face(kspDoubleBuffer, boundsWidth_, boundsHeight_, true);
            canvas->SetHandle(face.Target(dc));
            PaintFace(canvas->Handle());
            TSkBitmap background;
            face.Finish(dc, blending_, &background, [this](HDC target) { CopyParentBackground(target); });
        } else {
            canvas->SetHandle(dc);
            PaintFace(dc);
        }
    } catch (...) {
        canvas->SetHandle(saved);
        canvas->Unlock();
        throw;
    }
    canvas->SetHandle(saved);
    canvas->Unlock();
}

void TSkCustomControl::PaintFace(HDC dc)
{
    if (transparent_)
        CopyParentBackground(dc);
    PaintBorder();
    const int clip = SaveDC(dc);
    if (scrollBars_ == vcl::ssBoth) {
        const RECT client = GetClientRect();
        IntersectClipRect(dc, client.left, client.top, client.right, client.bottom);
    }
    PaintClient();
    RestoreDC(dc, clip);
}

void TSkCustomControl::WMWindowPosChanging(vcl::TMessage& m)
{
    if (auto* pos = reinterpret_cast<WINDOWPOS*>(m.LParam)) {
        if (!(pos->flags & SWP_NOSIZE)) {
            boundsWidth_ = pos->cx;
            boundsHeight_ = pos->cy;
            RealignScrollBars();
            if (ComponentState().Contains(vcl::csDesigning) && blending_->Enabled())
                pos->flags |= SWP_NOCOPYBITS;
        }
    }
    DispatchFrom(StaticClass()->ClassParent(), m);
}

void TSkCustomControl::WMThemeChanged(vcl::TMessage& m)
{
    Invalidate();
    DefaultHandler(m);
}

// --------------------------------------------------------------- painting

void TSkCustomControl::PaintClient()
{
    if (transparent_)
        return;
    vcl::TCanvas* canvas = Canvas();
    canvas->Brush()->SetColor(Color());
    canvas->Brush()->SetStyle(vcl::bsSolid);
    canvas->FillRect(PaintRect());
}

void TSkCustomControl::PaintThemedCorner(const RECT& corner)
{
    HTHEME theme = ThemeApi().OpenThemeData(HandleAllocated() ? Handle() : nullptr, u"Edit");
    if (!theme)
        return;
    ThemeApi().DrawThemeBackground(theme, Canvas()->Handle(), kEditPart, 0, &corner, nullptr);
    ThemeApi().CloseThemeData(theme);
}

void TSkCustomControl::PaintBorder()
{
    vcl::TCanvas* canvas = Canvas();
    const bool themed = ThemesActive() && useThemedBorder_;
    if (scrollBars_ == vcl::ssBoth) {
        const RECT corner{boundsWidth_ - kCornerSize, boundsHeight_ - kCornerSize, boundsWidth_, boundsHeight_};
        if (themed) {
            PaintThemedCorner(corner);
        } else {
            canvas->Brush()->SetColor(Color());
            canvas->Brush()->SetStyle(vcl::bsSolid);
            canvas->FillRect(corner);
        }
    }
    const RECT full{0, 0, boundsWidth_, boundsHeight_};
    const RECT paint = PaintRect();
    if (RectEquals(paint, full))
        return;
    if (themed) {
        HDC dc = canvas->Handle();
        HTHEME theme = ThemeApi().OpenThemeData(HandleAllocated() ? Handle() : nullptr, u"Edit");
        if (!theme)
            return;
        const int state = !Enabled() ? 4 : hasFocus_ ? 3 : mouseInControl_ ? 2 : 1;
        const int saved = SaveDC(dc);
        ExcludeClipRect(dc, paint.left, paint.top, paint.right, paint.bottom);
        ThemeApi().DrawThemeBackground(theme, dc, kEditPart, state, &full, nullptr);
        RestoreDC(dc, saved);
        ThemeApi().CloseThemeData(theme);
        return;
    }
    RECT r = full;
    if (bevelWidth_ > 0) {
        if (bevelOuter_ != kbvNone) {
            const TSkBevelColors c = BevelColors(bevelOuter_, false);
            DrawBevelRings(canvas, r, bevelSides_, c.second, c.first, bevelWidth_);
        }
        if (bevelInner_ != kbvNone) {
            const TSkBevelColors c = BevelColors(bevelInner_, true);
            DrawBevelRings(canvas, r, bevelSides_, c.second, c.first, bevelWidth_);
        }
    }
    canvas->Brush()->SetStyle(vcl::bsClear);
    canvas->Pen()->SetStyle(vcl::psSolid);
    canvas->Pen()->SetColor(Color());
    for (int i = 0; i < borderWidth_ && !RectIsEmpty(r); ++i) {
        canvas->Rectangle(r);
        InflateRect(&r, -1, -1);
    }
}

void TSkCustomControl::CopyParentBackground(HDC dc)
{
    if (!Parent())
        return;
    TSkParentFace how;
    how.Origin = Parent()->ScreenToClient(GetClientOrigin());
    how.Width = Width();
    how.Height = Height();
    how.Buffered = performance_ != kspNoBuffer;
    how.RequestBuffered = how.Buffered;
    how.PaintGraphicSiblings = blending_->Enabled();
    PaintParentFace(this, dc, how);
}

void TSkCustomControl::Paint()
{
    if (Width() <= 0 || Height() <= 0 || boundsWidth_ <= 0 || boundsHeight_ <= 0)
        return;
    vcl::TCanvas* canvas = Canvas();
    HDC windowDC = canvas->Handle();
    try {
        TSkBufferedPaint paint(performance_, boundsWidth_, boundsHeight_, true);
        canvas->SetHandle(paint.Target(windowDC));
        HDC dc = canvas->Handle();
        paintFont_->Assign(Font());
        if (transparent_)
            CopyParentBackground(dc);
        RECT r = PaintRect();
        const bool bothBars = scrollBars_ == vcl::ssBoth;
        if (bothBars) {
            const RECT client = GetClientRect();
            r.right = client.right;
            r.bottom = client.bottom;
        }
        int saved = SaveDC(dc);
        ExcludeClipRect(dc, r.left, r.top, r.right, r.bottom);
        PaintBorder();
        RestoreDC(dc, saved);
        saved = SaveDC(dc);
        if (bothBars) {
            const RECT client = GetClientRect();
            IntersectClipRect(dc, client.left, client.top, client.right, client.bottom);
        }
        PaintClient();
        RestoreDC(dc, saved);
        paint.Finish(windowDC, blending_, blendBackground_, [this](HDC target) { CopyParentBackground(target); });
    } catch (...) {
        canvas->SetHandle(windowDC);
        throw;
    }
    canvas->SetHandle(windowDC);
}

}  // namespace skin
