#include "skin/controls/sk_button.h"

#include "platform/vcl/actnlist.h"
#include "platform/vcl/forms.h"
#include "skin/graphics/sk_bitmap.h"
#include "skin/graphics/sk_strings.h"
#include "skin/graphics/sk_text.h"
#include "skin/graphics/sk_theme.h"

namespace skin {

const vcl::TEnumInfo kButtonStateInfo{"TSkButtonState", {"kbsNormal", "kbsPressed"}};

namespace {

constexpr int kPushButtonPart = 1;
constexpr int kBlackColor = 0;

struct KindEntry {
    int caption;  // index in the library's strings, -1 for none
    int modalResult;
    bool isDefault;
};

// Indexed by TBitBtnKind.
constexpr KindEntry kKinds[] = {
    {-1, 0, false},
    {sksButtonOK, vcl::mrOk, true},
    {sksButtonOK + 1, vcl::mrCancel, false},
    {sksButtonOK + 4, 0, false},
    {sksButtonOK + 2, vcl::mrYes, true},
    {sksButtonOK + 3, vcl::mrNo, false},
    {sksButtonOK + 5, 0, false},
    {sksButtonOK + 8, vcl::mrAbort, false},
    {sksButtonOK + 7, vcl::mrRetry, false},
    {sksButtonOK + 6, vcl::mrIgnore, false},
    {sksButtonOK + 9, vcl::mrAll, false},
};

vcl::TColor ButtonFaceRgb() { return static_cast<vcl::TColor>(vcl::ColorToRGB(vcl::clBtnFace)); }

// The image list that holds `action`'s image, when its index lies in it.
vcl::TCustomImageList* ActionImages(vcl::TBasicAction* basic)
{
    auto* action = dynamic_cast<vcl::TCustomAction*>(basic);
    if (!action || !action->ActionList())
        return nullptr;
    vcl::TCustomImageList* images = action->ActionList()->Images();
    if (!images || action->ImageIndex() < 0 || action->ImageIndex() >= images->Count())
        return nullptr;
    return images;
}

}  // namespace

VCL_IMPLEMENT_CLASS(TSkCustomButton, TSkCustomControl, [](auto& b) {
    b.Component();
    b.template Object<vcl::TBasicAction>("Action", &TSkCustomButton::Action, &TSkCustomButton::SetAction);
    b.Bool("ActiveDefault", &TSkCustomButton::ActiveDefault, &TSkCustomButton::IgnoreActiveDefault, false);
    b.Bool("BlackAndWhiteGlyph", &TSkCustomButton::BlackAndWhiteGlyph, &TSkCustomButton::SetBlackAndWhiteGlyph, false);
    b.Bool("Cancel", &TSkCustomButton::Cancel, &TSkCustomButton::SetCancel, false);
    // A caption that the linked action supplies is not stored.
    b.WStr("Caption", &TSkCustomButton::Caption, &TSkCustomButton::SetCaption).stored = [](const vcl::TObject* o) {
        auto* button = static_cast<const TSkCustomButton*>(o);
        auto* action = dynamic_cast<vcl::TCustomAction*>(button->Action());
        return !button->caption_.empty() && !(action && vcl::WideToAnsi(button->caption_) == action->Caption());
    };
    b.Bool("Default", &TSkCustomButton::Default, &TSkCustomButton::SetDefault, false);
    b.Enum("Kind", &vcl::kBitBtnKindInfo, &TSkCustomButton::Kind, &TSkCustomButton::SetKind,
           std::optional<vcl::TBitBtnKind>(vcl::bkCustom));
    b.Int("ModalResult", &TSkCustomButton::ModalResult, &TSkCustomButton::SetModalResult, 0);
    b.Int("NumGlyphs", &TSkCustomButton::NumGlyphs, &TSkCustomButton::SetNumGlyphs, 1);
    b.Int("Spacing", &TSkCustomButton::Spacing, &TSkCustomButton::SetSpacing, 4);
    b.Enum("State", &kButtonStateInfo, &TSkCustomButton::State, &TSkCustomButton::SetState,
           std::optional<TSkButtonState>(kbsNormal));
    b.Object("Glyph", &TSkCustomButton::Glyph, &TSkCustomButton::SetGlyph).stored = [](const vcl::TObject* o) {
        return static_cast<const TSkCustomButton*>(o)->IsGlyphStored();
    };
    b.Enum("Layout", &vcl::kButtonLayoutInfo, &TSkCustomButton::Layout, &TSkCustomButton::SetLayout,
           std::optional<vcl::TButtonLayout>(vcl::blGlyphLeft));
    b.Bool("TabStop", &TSkCustomButton::TabStop, &TSkCustomButton::SetTabStop, true);
    b.Bool("WordWrap", &TSkCustomButton::WordWrap, &TSkCustomButton::SetWordWrap, false);
    b.Message(vcl::CM_ENABLEDCHANGED, &TSkCustomButton::CMEnabledChanged);
    b.Message(vcl::CM_DIALOGKEY, &TSkCustomButton::CMDialogKey);
    b.Message(vcl::CM_DIALOGCHAR, &TSkCustomButton::CMDialogChar);
    b.Message(vcl::CM_FOCUSCHANGED, &TSkCustomButton::CMFocusChanged);
    b.Message(vcl::CM_TEXTCHANGED, &TSkCustomButton::CMTextChanged);
})

TSkCustomButton::TSkCustomButton(vcl::TComponent* owner) : TSkCustomControl(owner), glyph_(new vcl::TBitmap())
{
    glyph_->OnChange = [this](vcl::TObject* sender) { GlyphChanged(sender); };
    controlStyle_ = vcl::TControlStyle{vcl::csCaptureMouse, vcl::csSetCaption, vcl::csDoubleClicks,
                                       vcl::csActionClient};
    SetColor(ButtonFaceRgb());
    SetPerformance(kspDoubleBuffer);
    SetTabStop(true);
    SetBounds(Left(), Top(), 75, 25);
}

TSkCustomButton::~TSkCustomButton() { delete glyph_; }

// ---------------------------------------------------------------- setters

void TSkCustomButton::SetCaption(const vcl::WideString& v)
{
    if (v == caption_)
        return;
    caption_ = v;
    Repaint();
}

void TSkCustomButton::SetLayout(vcl::TButtonLayout v)
{
    if (v == layout_)
        return;
    layout_ = v;
    Invalidate();
}

void TSkCustomButton::SetNumGlyphs(int v)
{
    if (v == numGlyphs_)
        return;
    numGlyphs_ = v;
    Invalidate();
}

void TSkCustomButton::SetSpacing(int v)
{
    if (v == spacing_)
        return;
    spacing_ = v;
    Invalidate();
}

void TSkCustomButton::SetBlackAndWhiteGlyph(bool v)
{
    if (v == blackAndWhiteGlyph_)
        return;
    blackAndWhiteGlyph_ = v;
    Invalidate();
}

void TSkCustomButton::SetWordWrap(bool v)
{
    if (v == wordWrap_)
        return;
    wordWrap_ = v;
    Invalidate();
}

void TSkCustomButton::SetDefault(bool v)
{
    default_ = v;
    vcl::TCustomForm* form = ParentForm();
    if (HandleAllocated() && form)
        form->Perform(vcl::CM_FOCUSCHANGED, 0, reinterpret_cast<LPARAM>(form->ActiveControl()));
    Invalidate();
}

void TSkCustomButton::SetKind(vcl::TBitBtnKind v)
{
    if (v == kind_)
        return;
    if (v != vcl::bkCustom) {
        const KindEntry& entry = kKinds[v];
        SetDefault(entry.isDefault);
        const vcl::WideString caption = vcl::AnsiToWide(SkLoadString(entry.caption));
        const bool loading = ComponentState().Contains(vcl::csLoading);
        if (!caption.empty() && (!loading || caption_.empty()))
            SetCaption(caption);
        modalResult_ = entry.modalResult;
        glyph_->Assign(GetButtonGlyph(static_cast<std::uint8_t>(v)));
        numGlyphs_ = 2;
    }
    kind_ = v;
    Invalidate();
}

void TSkCustomButton::GlyphChanged(vcl::TObject*)
{
    const int w = glyph_->Width(), h = glyph_->Height();
    if (h != 0 && w % h == 0) {
        const int cells = w / h;
        numGlyphs_ = cells < 5 ? cells : 1;
    }
    Invalidate();
}

// ---------------------------------------------------------------- layout

SIZE TSkCustomButton::GetGlyphSize() const
{
    const int cells = numGlyphs_ > 0 ? numGlyphs_ : 1;
    return SIZE{glyph_->Width() / cells, glyph_->Height()};
}

SIZE TSkCustomButton::CaptionSize()
{
    TSkBitmap scratch;
    scratch.SetSize(1, 1);
    vcl::TCanvas canvas;
    canvas.SetHandle(scratch.DC());
    canvas.Font()->Assign(Font());
    const SIZE size{SkTextWidth(&canvas, caption_, 0), SkTextHeight(&canvas, caption_)};
    canvas.SetHandle(nullptr);
    return size;
}

void TSkCustomButton::GetContentRect(RECT& rect)
{
    const SIZE cell = GetGlyphSize();
    if (wordWrap_) {
        rect = RECT{0, 0, Width() - 10 - spacing_ - cell.cx, Height() - 10 - spacing_ - cell.cy};
    } else {
        const SIZE text = CaptionSize();
        rect = RECT{0, 0, text.cx, text.cy};
    }
    if (!glyph_->Empty()) {
        if (layout_ == vcl::blGlyphTop || layout_ == vcl::blGlyphBottom)
            rect.bottom += cell.cy + spacing_;
        else
            rect.right += cell.cx + spacing_;
        rect.right = std::max<LONG>(rect.right, rect.left + cell.cx);
        rect.bottom = std::max<LONG>(rect.bottom, rect.top + cell.cy);
    }
    OffsetRect(&rect, (BoundsWidth() - rect.right) / 2, (BoundsHeight() - rect.bottom) / 2);
    if (state_ == kbsPressed)
        OffsetRect(&rect, 1, 1);
}

void TSkCustomButton::GetCaptionRect(RECT& rect)
{
    GetContentRect(rect);
    if (glyph_->Empty())
        return;
    const SIZE cell = GetGlyphSize();
    switch (layout_) {
    case vcl::blGlyphLeft: rect.left += cell.cx + spacing_; break;
    case vcl::blGlyphRight: rect.right -= cell.cx + spacing_; break;
    case vcl::blGlyphTop: rect.top += cell.cy + spacing_; break;
    case vcl::blGlyphBottom: rect.bottom -= cell.cy + spacing_; break;
    }
}

void TSkCustomButton::GetGlyphRect(RECT& rect)
{
    GetContentRect(rect);
    if (glyph_->Empty())
        return;
    const SIZE cell = GetGlyphSize();
    switch (layout_) {
    case vcl::blGlyphLeft: rect.right = rect.left + cell.cx + spacing_; break;
    case vcl::blGlyphRight: rect.left = rect.right - cell.cx - spacing_; break;
    case vcl::blGlyphTop: rect.bottom = rect.top + cell.cy + spacing_; break;
    case vcl::blGlyphBottom: rect.top = rect.bottom - cell.cy - spacing_; break;
    }
}

// --------------------------------------------------------------- painting

void TSkCustomButton::PaintClient()
{
    TSkCustomControl::PaintClient();
    PaintFace();
    PaintCaption();
    PaintGlyph();
}

void TSkCustomButton::PaintFace()
{
    vcl::TCanvas* canvas = Canvas();
    RECT r = PaintRect();
    if (ThemesActive()) {
        HTHEME theme = ThemeApi().OpenThemeData(nullptr, u"Button");
        if (!theme)
            return;
        const int state = !Enabled() ? 4 : state_ == kbsPressed ? 3 : MouseInControl() ? 2
                                         : (HasFocus() || activeDefault_) ? 5 : 1;
        if (!Transparent())
            CopyParentBackground(canvas->Handle());
        ThemeApi().DrawThemeBackground(theme, canvas->Handle(), kPushButtonPart, state, &r, nullptr);
        ThemeApi().CloseThemeData(theme);
        return;
    }
    if (HasFocus() || activeDefault_) {
        DrawEdgeLines(canvas, r, kBlackColor, kBlackColor);
        InflateRect(&r, -1, -1);
    }
    FillRectColor(canvas, r, Color());
    if (state_ == kbsNormal) {
        DrawEdgeLines(canvas, r, vcl::clBtnHighlight, kBlackColor);
        InflateRect(&r, -1, -1);
        DrawEdgeLines(canvas, r, Color(), vcl::clBtnShadow);
    } else {
        DrawEdgeLines(canvas, r, vcl::clBtnShadow, vcl::clBtnShadow);
    }
    if (HasFocus()) {
        RECT focus = PaintRect();
        InflateRect(&focus, -4, -4);
        DrawFocusRectColor(canvas, focus, vcl::clBtnShadow);
    }
}

void TSkCustomButton::PaintCaption()
{
    vcl::TCanvas* canvas = Canvas();
    canvas->Font()->Assign(PaintFont());
    RECT area{};
    GetCaptionRect(area);
    const SIZE text = CaptionSize();
    RECT t = wordWrap_ ? RECT{0, 0, RectWidth(area), text.cy} : RECT{0, 0, text.cx, text.cy};
    const UINT wrap = wordWrap_ ? DT_WORDBREAK : 0;
    SkDrawText(canvas, caption_, t, DrawTextBiDiModeFlags(DT_CALCRECT | wrap));
    OffsetRect(&t, (RectWidth(area) - RectWidth(t)) / 2 + area.left, (RectHeight(area) - RectHeight(t)) / 2 + area.top);
    if (!Enabled()) {
        RECT shifted = t;
        OffsetRect(&shifted, 1, 1);
        canvas->Font()->SetColor(vcl::clBtnHighlight);
        SkDrawText(canvas, caption_, shifted, DrawTextBiDiModeFlags(DT_CENTER | wrap));
        canvas->Font()->SetColor(vcl::clBtnShadow);
    }
    SkDrawText(canvas, caption_, t, DrawTextBiDiModeFlags(DT_CENTER | wrap));
}

namespace {

float Lightness(BYTE r, BYTE g, BYTE b)
{
    float hue = 0, saturation = 0, lightness = 0;
    PixelToHSL(0xFF000000u | (std::uint32_t{r} << 16) | (std::uint32_t{g} << 8) | b, hue, saturation, lightness);
    return lightness;
}

}  // namespace

void TSkCustomButton::PaintGlyph()
{
    if (glyph_->Empty())
        return;
    const SIZE cell = GetGlyphSize();
    RECT area{};
    GetGlyphRect(area);
    const RECT place = CenterRect(RECT{0, 0, cell.cx, cell.cy}, area);
    int index = 0;
    if (numGlyphs_ > 1 && !Enabled())
        index += 1;
    if (numGlyphs_ > 2 && state_ == kbsPressed)
        index += 2;
    const int width = glyph_->Width(), height = glyph_->Height();
    const std::uint32_t* pixels = glyph_->Pixels();
    const std::uint32_t transparent = pixels[static_cast<size_t>(height - 1) * width] & 0xFFFFFF;
    const bool grey = blackAndWhiteGlyph_ && !MouseInControl();
    const bool faded = numGlyphs_ == 1 && !Enabled();
    HDC dc = Canvas()->Handle();
    for (int y = 0; y < cell.cy; ++y) {
        for (int x = 0; x < cell.cx; ++x) {
            const int sx = index * cell.cx + x;
            if (sx >= width)
                continue;
            const std::uint32_t p = pixels[static_cast<size_t>(y) * width + sx] & 0xFFFFFF;
            if (p == transparent)
                continue;
            BYTE r = static_cast<BYTE>(p >> 16), g = static_cast<BYTE>(p >> 8), b = static_cast<BYTE>(p);
            // The two steps follow each other: a black-and-white glyph on a
            // disabled button is made grey, and then light grey.
            if (grey)
                r = g = b = static_cast<BYTE>(vcl::Round(Lightness(r, g, b) * 255.0));
            if (faded)
                r = g = b = static_cast<BYTE>(vcl::Round(Lightness(r, g, b) * 50.0) + 160);
            ::SetPixel(dc, place.left + x, place.top + y, RGB(r, g, b));
        }
    }
}

// ------------------------------------------------------------------ input

void TSkCustomButton::Click()
{
    if (vcl::TCustomForm* form = ParentForm())
        form->SetModalResult(modalResult_);
    TSkCustomControl::Click();
}

void TSkCustomButton::MouseDown(vcl::TMouseButton button, vcl::TShiftState shift, int x, int y)
{
    TSkCustomControl::MouseDown(button, shift, x, y);
    if (button != vcl::mbLeft || !Enabled())
        return;
    if (!ComponentState().Contains(vcl::csDesigning) && CanFocus())
        SetFocus();
    state_ = kbsPressed;
    tracking_ = true;
    Invalidate();
}

void TSkCustomButton::MouseMove(vcl::TShiftState shift, int x, int y)
{
    TSkCustomControl::MouseMove(shift, x, y);
    if (!tracking_)
        return;
    const TSkButtonState next =
        x >= 0 && x < ClientWidth() && y >= 0 && y < ClientHeight() ? kbsPressed : kbsNormal;
    if (next != state_) {
        state_ = next;
        Invalidate();
    }
}

void TSkCustomButton::MouseUp(vcl::TMouseButton button, vcl::TShiftState shift, int x, int y)
{
    TSkCustomControl::MouseUp(button, shift, x, y);
    if (!tracking_)
        return;
    tracking_ = false;
    state_ = kbsNormal;
    if (x >= 0 && x < Width() && y >= 0 && y < Height())
        Click();
    Invalidate();
}

void TSkCustomButton::KeyDown(WORD& key, vcl::TShiftState shift)
{
    if (key == VK_SPACE && !shift.Contains(vcl::ssAlt)) {
        state_ = kbsPressed;
        Invalidate();
    }
    TSkCustomControl::KeyDown(key, shift);
}

void TSkCustomButton::KeyUp(WORD& key, vcl::TShiftState shift)
{
    if (key == VK_SPACE) {
        state_ = kbsNormal;
        Invalidate();
        Click();
        key = 0;
    }
    TSkCustomControl::KeyUp(key, shift);
}

void TSkCustomButton::MouseEnter()
{
    TSkCustomControl::MouseEnter();
    Invalidate();
}

void TSkCustomButton::MouseLeave()
{
    TSkCustomControl::MouseLeave();
    Invalidate();
}

void TSkCustomButton::Loaded()
{
    // The inherited Loaded hands the linked action over with its defaults.
    TSkCustomControl::Loaded();
    Invalidate();
}

// ---------------------------------------------------------------- actions

bool TSkCustomButton::IsGlyphStored() const { return !ActionImages(Action()); }

void TSkCustomButton::ActionChange(vcl::TObject* sender, bool checkDefaults)
{
    TSkCustomControl::ActionChange(sender, checkDefaults);
    auto* action = dynamic_cast<vcl::TCustomAction*>(sender);
    if (!action)
        return;
    // The button shows the action's image, caption and handler whatever it
    // was given before.
    if (vcl::TCustomImageList* images = ActionImages(action)) {
        vcl::TBitmap picture;
        picture.SetSize(images->Width(), images->Height());
        picture.Canvas()->Brush()->SetColor(static_cast<vcl::TColor>(RGB(255, 0, 255)));
        picture.Canvas()->FillRect(RECT{0, 0, images->Width(), images->Height()});
        images->Draw(picture.Canvas(), 0, 0, action->ImageIndex());
        glyph_->Assign(&picture);
    }
    SetCaption(vcl::AnsiToWide(action->Caption()));
    OnClick = action->OnExecute;
}

void TSkCustomButton::CMEnabledChanged(vcl::TMessage& m)
{
    DispatchFrom(StaticClass()->ClassParent(), m);
    if (HandleAllocated() && !ComponentState().Contains(vcl::csDesigning))
        EnableWindow(Handle(), Enabled());
    Invalidate();
}

void TSkCustomButton::CMDialogKey(vcl::TMessage& m)
{
    const auto key = static_cast<WORD>(m.WParam);
    const bool enter = key == VK_RETURN && (activeDefault_ || HasFocus());
    const bool escape = key == VK_ESCAPE && cancel_;
    const vcl::TShiftState shift = vcl::KeyDataToShiftState(m.LParam);
    if ((enter || escape) && !shift.Contains(vcl::ssShift) && !shift.Contains(vcl::ssCtrl) &&
        !shift.Contains(vcl::ssAlt) && CanFocus()) {
        Click();
        m.Result = 1;
        return;
    }
    DispatchFrom(StaticClass()->ClassParent(), m);
}

void TSkCustomButton::CMDialogChar(vcl::TMessage& m)
{
    if (vcl::IsAccel(static_cast<WORD>(m.WParam), vcl::WideToAnsi(caption_)) && CanFocus()) {
        SetFocus();
        Click();
        m.Result = 1;
        return;
    }
    DispatchFrom(StaticClass()->ClassParent(), m);
}

void TSkCustomButton::CMFocusChanged(vcl::TMessage& m)
{
    auto* focused = reinterpret_cast<vcl::TWinControl*>(m.LParam);
    const bool isButton =
        focused && vcl::IsLiveObject(focused) && (focused->Is<TSkCustomButton>() || focused->Is<vcl::TButton>());
    const bool active = isButton ? false : default_;
    if (active != activeDefault_) {
        activeDefault_ = active;
        Invalidate();
    }
    DispatchFrom(StaticClass()->ClassParent(), m);
}

void TSkCustomButton::CMTextChanged(vcl::TMessage&)
{
    caption_ = vcl::AnsiToWide(Text());
    Repaint();
}

}  // namespace skin
