#include "skin/controls/sk_panel.h"

#include <algorithm>

#include "platform/vcl/filer.h"
#include "platform/vcl/forms.h"
#include "platform/vcl/streams.h"
#include "skin/graphics/sk_text.h"
#include "skin/graphics/sk_theme.h"

namespace skin {

const vcl::TEnumInfo kPanelButtonKindInfo{"TSkPanelButtonKind", {"pbkRoll", "pbkHide"}};

namespace {

constexpr int kHeaderClosePart = 2, kGroupCollapsePart = 6, kGroupExpandPart = 7, kGroupHeadPart = 8,
              kGroupBackgroundPart = 5;
constexpr int kRollStep = 4;
constexpr int kMostHeight = 32767;
constexpr int kTitleTextInset = 5;

// Draws one part of the "ExplorerBar" class; false when the class is not there.
bool DrawExplorerBar(HDC dc, int part, int state, const RECT& r)
{
    HTHEME theme = ThemeApi().OpenThemeData(nullptr, u"ExplorerBar");
    if (!theme)
        return false;
    ThemeApi().DrawThemeBackground(theme, dc, part, state, &r, nullptr);
    ThemeApi().CloseThemeData(theme);
    return true;
}

}  // namespace

VCL_IMPLEMENT_CLASS(TSkCustomPanel, TSkCustomControl, [](auto& b) {
    b.Component();
    b.WStr("Caption", &TSkCustomPanel::Caption, &TSkCustomPanel::SetCaption);
    b.Bool("ShowCaption", &TSkCustomPanel::ShowCaption, &TSkCustomPanel::SetShowCaption, true);
    b.Bool("ShowButton", &TSkCustomPanel::ShowButton, &TSkCustomPanel::SetShowButton, true);
    b.Bool("ShowBevel", &TSkCustomPanel::ShowBevel, &TSkCustomPanel::SetShowBevel, true);
    b.Int("BevelWidth", &TSkCustomPanel::PanelBevelWidth, &TSkCustomPanel::SetPanelBevelWidth, 1);
    b.Int("BorderWidth", &TSkCustomPanel::PanelBorderWidth, &TSkCustomPanel::SetPanelBorderWidth, 3);
    b.Enum("ButtonKind", &kPanelButtonKindInfo, &TSkCustomPanel::ButtonKind, &TSkCustomPanel::SetButtonKind,
           std::optional<TSkPanelButtonKind>(pbkRoll));
    b.Bool("Rolled", &TSkCustomPanel::Rolled, &TSkCustomPanel::SetRolled, false);
    b.Bool("AnimateRoll", &TSkCustomPanel::AnimateRoll, &TSkCustomPanel::SetAnimateRoll, false);
    b.Bool("ParentRoll", &TSkCustomPanel::ParentRoll, &TSkCustomPanel::SetParentRoll, false);
    b.Str("ButtonHint", &TSkCustomPanel::ButtonHint, &TSkCustomPanel::SetButtonHint);
    b.Str("CaptionHint", &TSkCustomPanel::CaptionHint, &TSkCustomPanel::SetCaptionHint);
    b.Int("ButtonCursor", &TSkCustomPanel::ButtonCursor, &TSkCustomPanel::SetButtonCursor, vcl::crDefault).identMap =
        vcl::CursorIdentMap();
    b.Int("CaptionCursor", &TSkCustomPanel::CaptionCursor, &TSkCustomPanel::SetCaptionCursor, vcl::crDefault).identMap =
        vcl::CursorIdentMap();
    b.Event("OnButtonClick", &TSkCustomPanel::OnButtonClick);
    b.Event("OnHide", &TSkCustomPanel::OnHide);
    b.Event("OnBeforeRoll", &TSkCustomPanel::OnBeforeRoll);
    b.Event("OnRollup", &TSkCustomPanel::OnRollup);
    b.Message(vcl::CM_TEXTCHANGED, &TSkCustomPanel::CMTextChanged);
    b.Message(WM_SETCURSOR, &TSkCustomPanel::WMSetCursor);
    b.Message(vcl::CM_HINTSHOW, &TSkCustomPanel::CMHintShow);
})

TSkCustomPanel::TSkCustomPanel(vcl::TComponent* owner) : TSkCustomControl(owner)
{
    controlStyle_.Include(vcl::csAcceptsControls);
    SetColor(vcl::clWindow);
    SetBounds(Left(), Top(), 100, 90);
}

// ---------------------------------------------------------------- setters

void TSkCustomPanel::SetCaption(const vcl::WideString& v)
{
    if (v == caption_)
        return;
    caption_ = v;
    Invalidate();
}

void TSkCustomPanel::SetShowCaption(bool v)
{
    if (v == showCaption_)
        return;
    showCaption_ = v;
    Realign();
    Invalidate();
}

void TSkCustomPanel::SetShowButton(bool v)
{
    if (v == showButton_)
        return;
    showButton_ = v;
    Invalidate();
}

void TSkCustomPanel::SetShowBevel(bool v)
{
    if (v == showBevel_)
        return;
    showBevel_ = v;
    Invalidate();
    Realign();
}

void TSkCustomPanel::SetPanelBevelWidth(int v)
{
    if (v == bevelWidth_)
        return;
    bevelWidth_ = v;
    Invalidate();
    Realign();
}

void TSkCustomPanel::SetPanelBorderWidth(int v)
{
    if (v == borderWidth_)
        return;
    borderWidth_ = v;
    Invalidate();
    Realign();
}

void TSkCustomPanel::SetButtonKind(TSkPanelButtonKind v)
{
    if (v == buttonKind_)
        return;
    buttonKind_ = v;
    Invalidate();
}

void TSkCustomPanel::SetTitleHeight(int v)
{
    if (v == titleHeight_)
        return;
    titleHeight_ = v;
    Invalidate();
    Realign();
}

void TSkCustomPanel::SetRolled(bool v)
{
    if (v == rolled_)
        return;
    if (v)
        RollUp();
    else
        RollDown();
}

// ---------------------------------------------------------------- rolling

void TSkCustomPanel::StepHeight(int height)
{
    SetHeight(height);
    if (parentRoll_ && Parent())
        Parent()->SetHeight(Height());
}

void TSkCustomPanel::RollUp()
{
    OnBeforeRoll(this);
    normalHeight_ = Height();
    RECT title{};
    GetTitleRect(title);
    const int target = RectHeight(title) + 2 * bevelWidth_;
    if (animateRoll_) {
        for (int v = Height(); v >= target; --v) {
            if (v % kRollStep == 0)
                SetHeight(v);
            if (parentRoll_ && Parent())
                Parent()->SetHeight(Height());
        }
    }
    StepHeight(target);
    rolled_ = true;
    Invalidate();
    OnRollup(this);
}

void TSkCustomPanel::RollDown()
{
    OnBeforeRoll(this);
    rolled_ = false;
    if (animateRoll_) {
        for (int v = Height(); v <= normalHeight_; ++v) {
            if (v % kRollStep == 0)
                SetHeight(v);
            if (parentRoll_ && Parent())
                Parent()->SetHeight(Height());
        }
    }
    StepHeight(normalHeight_);
    OnRollup(this);
}

void TSkCustomPanel::ButtonClick()
{
    if (buttonKind_ == pbkRoll) {
        SetRolled(!rolled_);
    } else {
        OnHide(this);
        SetVisible(false);
    }
    OnButtonClick(this);
}

// --------------------------------------------------------------- geometry

void TSkCustomPanel::GetTitleRect(RECT& rect) const
{
    rect = RECT{0, 0, Width(), Height()};
    if (showBevel_ && !ThemesActive())
        InflateRect(&rect, -bevelWidth_, -bevelWidth_);
    rect.bottom = rect.top + titleHeight_;
}

RECT TSkCustomPanel::GetButtonRect() const
{
    if (!showCaption_ || !showButton_)
        return RECT{0, 0, 0, 0};
    RECT r{};
    GetTitleRect(r);
    r.left = r.right - RectHeight(r);
    InflateRect(&r, -2, -2);
    return r;
}

RECT TSkCustomPanel::GetClientRect() const
{
    RECT r{0, 0, Width(), Height()};
    InflateRect(&r, -borderWidth_, -borderWidth_);
    if (showBevel_)
        InflateRect(&r, -bevelWidth_, -bevelWidth_);
    if (showCaption_) {
        RECT title{};
        GetTitleRect(title);
        r.top += RectHeight(title);
    }
    return r;
}

void TSkCustomPanel::SetBounds(int left, int top, int width, int height)
{
    TSkCustomControl::SetBounds(left, top, width, rolled_ ? Height() : height);
}

// A 4-byte little-endian height, always written.
void TSkCustomPanel::DefineProperties(vcl::TFiler* filer)
{
    TSkCustomControl::DefineProperties(filer);
    filer->DefineBinaryProperty(
        "NormalHeight",
        [this](vcl::TStream* s) {
            std::uint8_t b[4] = {};
            s->ReadBuffer(b, 4);
            const auto stored =
                static_cast<std::int32_t>(b[0] | b[1] << 8 | b[2] << 16 | static_cast<std::uint32_t>(b[3]) << 24);
            // No window is taller than the coordinates can say; a height past
            // that would only make rolling down walk towards it for ever.
            normalHeight_ = std::clamp(stored, 0, kMostHeight);
        },
        [this](vcl::TStream* s) {
            const auto v = static_cast<std::uint32_t>(normalHeight_);
            const std::uint8_t b[4] = {static_cast<std::uint8_t>(v), static_cast<std::uint8_t>(v >> 8),
                                       static_cast<std::uint8_t>(v >> 16), static_cast<std::uint8_t>(v >> 24)};
            s->WriteBuffer(b, 4);
        },
        true);
}

void TSkCustomPanel::Loaded()
{
    TSkCustomControl::Loaded();
    Invalidate();
}

vcl::AnsiString TSkCustomPanel::HintAt(POINT p)
{
    RECT title{};
    GetTitleRect(title);
    if (!showCaption_ || !PtInRect(&title, p))
        return Hint();
    return showButton_ && hover_ ? buttonHint_ : captionHint_;
}

void TSkCustomPanel::CMHintShow(vcl::TMessage& m)
{
    DispatchFrom(StaticClass()->ClassParent(), m);
    auto* info = reinterpret_cast<vcl::THintInfo*>(m.LParam);
    if (info && info->HintControl == this)
        info->HintStr = HintAt(info->CursorPos);
}

// --------------------------------------------------------------- painting

void TSkCustomPanel::PaintClient()
{
    if (!showCaption_) {
        PaintFrame();
        return;
    }
    HDC dc = Canvas()->Handle();
    RECT title{};
    GetTitleRect(title);
    int saved = SaveDC(dc);
    ExcludeClipRect(dc, title.left, title.top, title.right, title.bottom);
    PaintFrame();
    RestoreDC(dc, saved);
    if (!Transparent() && ThemesActive()) {
        saved = SaveDC(dc);
        IntersectClipRect(dc, title.left, title.top, title.right, title.bottom);
        CopyParentBackground(dc);
        RestoreDC(dc, saved);
    }
    PaintTitle();
}

void TSkCustomPanel::PaintFrame()
{
    vcl::TCanvas* canvas = Canvas();
    RECT r{0, 0, Width(), Height()};
    if (ThemesActive()) {
        if (showCaption_)
            r.top += titleHeight_;
        DrawExplorerBar(canvas->Handle(), kGroupBackgroundPart, 0, r);
        return;
    }
    FillRectColor(canvas, r, Color());
    if (!showBevel_)
        return;
    DrawEdgeLines(canvas, r, vcl::clBtnShadow, vcl::clBtnHighlight);
    InflateRect(&r, -1, -1);
    DrawEdgeLines(canvas, r, vcl::clBtnHighlight, vcl::clBtnShadow);
}

void TSkCustomPanel::PaintTitle()
{
    if (!showCaption_)
        return;
    vcl::TCanvas* canvas = Canvas();
    HDC dc = canvas->Handle();
    RECT t{};
    GetTitleRect(t);
    const bool themed = ThemesActive();
    if (themed) {
        DrawExplorerBar(dc, kGroupHeadPart, 1, t);
        t.left += kTitleTextInset;
        t.right -= kTitleTextInset;
        if (HTHEME theme = ThemeApi().OpenThemeData(nullptr, u"ExplorerBar")) {
            ThemeApi().DrawThemeText(theme, dc, kGroupHeadPart, 1, caption_.c_str(), static_cast<int>(caption_.size()),
                                     DrawTextBiDiModeFlags(DT_VCENTER | DT_SINGLELINE), 0, &t);
            ThemeApi().CloseThemeData(theme);
        }
    } else {
        FillRectColor(canvas, t, vcl::clBtnFace);
        DrawEdgeLines(canvas, t, vcl::clBtnHighlight, vcl::clBtnShadow);
        t.left += kTitleTextInset;
        t.right -= kTitleTextInset;
        canvas->Font()->Assign(Font());
        SkDrawText(canvas, caption_, t, DrawTextBiDiModeFlags(DT_VCENTER | DT_SINGLELINE));
    }
    if (!showButton_)
        return;
    RECT b = GetButtonRect();
    if (themed) {
        const int part = buttonKind_ == pbkHide ? kHeaderClosePart : rolled_ ? kGroupExpandPart : kGroupCollapsePart;
        DrawExplorerBar(dc, part, pressed_ ? 3 : hover_ ? 2 : 1, b);
        return;
    }
    const UINT pushed = pressed_ ? DFCS_PUSHED : 0;
    if (buttonKind_ == pbkHide)
        DrawFrameControl(dc, &b, DFC_CAPTION, DFCS_CAPTIONCLOSE | pushed);
    else
        DrawFrameControl(dc, &b, DFC_SCROLL, (rolled_ ? DFCS_SCROLLDOWN : DFCS_SCROLLUP) | pushed);
    if (pressed_)
        DrawEdgeLines(canvas, b, vcl::clBtnShadow, vcl::clBtnHighlight);
    else if (hover_)
        DrawEdgeLines(canvas, b, vcl::clBtnHighlight, vcl::clBtnShadow);
    else
        FrameRectColor(canvas, b, vcl::clBtnFace);
    InflateRect(&b, -1, -1);
    FrameRectColor(canvas, b, vcl::clBtnFace);
}

// ------------------------------------------------------------------ input

void TSkCustomPanel::MouseDown(vcl::TMouseButton button, vcl::TShiftState shift, int x, int y)
{
    TSkCustomControl::MouseDown(button, shift, x, y);
    const RECT b = GetButtonRect();
    if (button == vcl::mbLeft && PtInRect(&b, POINT{x, y})) {
        pressed_ = true;
        InvalidateArea(b);
    }
}

void TSkCustomPanel::MouseMove(vcl::TShiftState shift, int x, int y)
{
    TSkCustomControl::MouseMove(shift, x, y);
    const RECT b = GetButtonRect();
    const bool over = PtInRect(&b, POINT{x, y}) != 0;
    if (over != hover_) {
        hover_ = over;
        InvalidateArea(b);
    }
    if (shift.Contains(vcl::ssLeft) && pressed_ != over) {
        pressed_ = over;
        InvalidateArea(b);
    }
}

void TSkCustomPanel::MouseUp(vcl::TMouseButton button, vcl::TShiftState shift, int x, int y)
{
    TSkCustomControl::MouseUp(button, shift, x, y);
    if (button != vcl::mbLeft)
        return;
    const RECT b = GetButtonRect();
    const bool wasPressed = pressed_;
    pressed_ = false;
    InvalidateArea(b);
    if (wasPressed && PtInRect(&b, POINT{x, y}))
        ButtonClick();
}

void TSkCustomPanel::MouseLeave()
{
    TSkCustomControl::MouseLeave();
    if (hover_) {
        hover_ = false;
        InvalidateArea(GetButtonRect());
    }
}

void TSkCustomPanel::CMTextChanged(vcl::TMessage&) { SetCaption(vcl::AnsiToWide(Text())); }

void TSkCustomPanel::WMSetCursor(vcl::TMessage& m)
{
    if (LOWORD(static_cast<DWORD_PTR>(m.LParam)) == HTCLIENT && showCaption_) {
        POINT p{};
        GetCursorPos(&p);
        p = ScreenToClient(p);
        RECT title{};
        GetTitleRect(title);
        const RECT b = GetButtonRect();
        // The title has cursors of its own; at their default, the arrow,
        // not the panel's cursor.
        const bool overButton = showButton_ && PtInRect(&b, p);
        if (overButton || PtInRect(&title, p)) {
            ::SetCursor(vcl::Screen->Cursors(overButton ? buttonCursor_ : captionCursor_));
            m.Result = 1;
            return;
        }
    }
    DispatchFrom(StaticClass()->ClassParent(), m);
}

}  // namespace skin
