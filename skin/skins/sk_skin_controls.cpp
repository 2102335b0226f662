#include "skin/skins/sk_skin_controls.h"

#include "skin/graphics/sk_canvas.h"
#include "skin/graphics/sk_text.h"
#include "skin/skins/sk_bitmap_objects.h"

namespace skin {

VCL_IMPLEMENT_CLASS(TSkSkinProgressBar, TSkCustomProgressBar, [](auto& b) {
    b.Component();
    PublishSkinnedControl<TSkSkinProgressBar>(b);
})
VCL_IMPLEMENT_CLASS(TSkSkinPanel, TSkCustomPanel, [](auto& b) {
    b.Component();
    PublishSkinnedControl<TSkSkinPanel>(b);
})
VCL_IMPLEMENT_CLASS(TSkSkinCheckBox, TSkCustomCheckBox, [](auto& b) {
    b.Component();
    PublishSkinnedControl<TSkSkinCheckBox>(b);
})

namespace {

void PaintLaidOut(TSkSkinObject* object, const RECT& rect, vcl::TCanvas* canvas)
{
    object->SetBounds(rect);
    object->Paint(canvas);
}

bool AnyMask(TSkSkinObject* object)
{
    auto* bitmap = dynamic_cast<TSkBitmapObject*>(object);
    return bitmap && (bitmap->Masked() || bitmap->MaskedBorder() || bitmap->MaskedAngles());
}

}  // namespace

// ------------------------------------------------------------ progress bar

TSkSkinProgressBar::TSkSkinProgressBar(vcl::TComponent* owner)
    : TSkCustomProgressBar(owner), skin_(*this, "ProgressBar")
{
    SetTransparent(true);
    SetBorderWidth(0);
}

void TSkSkinProgressBar::SetSkinManager(TSkSkinManager* manager)
{
    if (skin_.Assign(manager))
        skin_.Copy()->SetControl(this);
    Invalidate();
}

void TSkSkinProgressBar::GetBarRect(RECT& rect) const
{
    TSkSkinObject* frame = IsSkinned() ? skin_.Find("Frame") : nullptr;
    if (!frame) {
        TSkCustomProgressBar::GetBarRect(rect);
        return;
    }
    rect = RECT{frame->MarginLeft(), frame->MarginTop(), Width() - frame->MarginRight(),
                Height() - frame->MarginBottom()};
}

void TSkSkinProgressBar::PaintBar()
{
    if (!IsSkinned()) {
        TSkCustomProgressBar::PaintBar();
        return;
    }
    RECT r{};
    GetBarRect(r);
    const bool vertical = Orientation() == kboVertical;
    const int length = vertical ? r.bottom - r.top : r.right - r.left;
    const int filled = static_cast<int>(vcl::Round(static_cast<double>(GetFraction(Position())) * length));
    if (vertical)
        r.top = r.bottom - filled;
    else
        r.right = r.left + filled;
    TSkSkinObject* bar = skin_.Find(vertical ? "BarVert" : "BarHorz");
    if (!bar)
        bar = skin_.Find("Bar");
    if (bar)
        PaintLaidOut(bar, r, Canvas());
}

void TSkSkinProgressBar::PaintFrame()
{
    if (!IsSkinned()) {
        TSkCustomProgressBar::PaintFrame();
        return;
    }
    if (!Transparent())
        FillRectColor(Canvas(), RECT{0, 0, Width(), Height()}, Color());
    if (TSkSkinObject* frame = skin_.Find("Frame"))
        PaintLaidOut(frame, RECT{0, 0, Width(), Height()}, Canvas());
}

void TSkSkinProgressBar::Loaded()
{
    TSkCustomProgressBar::Loaded();
    Invalidate();
}

// ------------------------------------------------------------------- panel

TSkSkinPanel::TSkSkinPanel(vcl::TComponent* owner) : TSkCustomPanel(owner), skin_(*this, "Panel") {}

void TSkSkinPanel::SetSkinManager(TSkSkinManager* manager)
{
    const bool copied = skin_.Assign(manager);
    const TSkSkinSource* source = manager ? manager->Source() : nullptr;
    if (copied) {
        skin_.Copy()->SetControl(this);
        if (TSkSkinObject* caption = skin_.Find("Caption"))
            SetTitleHeight(caption->Height());
        TSkSkinObject* frame = skin_.Find("Frame");
        if (frame && dynamic_cast<TSkBitmapObject*>(frame))
            SetTransparent(AnyMask(frame));
    } else if (source && source->GetObjectCount() > 0 && !source->Reloading) {
        // The skin has no object of this name: the height it gave stays.
        if (savedTitleHeight_ != 0)
            SetTitleHeight(savedTitleHeight_);
    } else {
        if (savedTitleHeight_ == 0)
            savedTitleHeight_ = TitleHeight();
        SetTitleHeight(savedTitleHeight_);
    }
    Invalidate();
}

void TSkSkinPanel::PaintTitle()
{
    if (!IsSkinned()) {
        TSkCustomPanel::PaintTitle();
        return;
    }
    if (!ShowCaption())
        return;
    vcl::TCanvas* canvas = Canvas();
    RECT t{};
    GetTitleRect(t);
    if (!Transparent() && Parent())
        FillRectColor(canvas, t, Parent()->Color());
    if (TSkSkinObject* caption = skin_.Find("Caption")) {
        TSkSkinObject* title = skin_.Find("Title");
        if (!title)
            title = caption;
        title->Text = Caption();
        PaintLaidOut(title, t, canvas);
        canvas->Font()->Assign(title->Font());
    } else {
        t.left += 5;
        t.right -= 5;
        canvas->Brush()->SetStyle(vcl::bsClear);
        SkDrawText(canvas, Caption(), t, DrawTextBiDiModeFlags(DT_SINGLELINE | DT_VCENTER));
    }
    if (!ShowButton())
        return;
    TSkSkinObject* button =
        skin_.Find(ButtonKind() == pbkHide ? "ButtonHide" : Rolled() ? "ButtonRolldown" : "ButtonRollup");
    if (!button)
        button = skin_.Find("Button");
    if (!button)
        return;
    button->SetBounds(GetButtonRect());
    button->SetState(ButtonPressed() ? kStatePressed : ButtonHover() ? kStateHot : kStateNormal);
    button->Paint(canvas);
}

void TSkSkinPanel::PaintFrame()
{
    if (!IsSkinned()) {
        TSkCustomPanel::PaintFrame();
        return;
    }
    if (TSkSkinObject* frame = skin_.Find("Frame"))
        PaintLaidOut(frame, RECT{0, 0, Width(), Height()}, Canvas());
}

// --------------------------------------------------------------- check box

TSkSkinCheckBox::TSkSkinCheckBox(vcl::TComponent* owner) : TSkCustomCheckBox(owner), skin_(*this, "CheckBox") {}

void TSkSkinCheckBox::SetSkinManager(TSkSkinManager* manager)
{
    if (skin_.Assign(manager)) {
        TSkSkinObject* text = skin_.Find("Text");
        Font()->Assign(text ? text->Font() : skin_.Copy()->Font());
        skin_.Copy()->SetControl(this);
    }
    Invalidate();
}

POINT TSkSkinCheckBox::GetCheckSize()
{
    TSkSkinObject* checked = IsSkinned() ? skin_.Find("Checked") : nullptr;
    return checked ? POINT{checked->Width(), checked->Height()} : TSkCustomCheckBox::GetCheckSize();
}

void TSkSkinCheckBox::PaintCheck()
{
    if (!IsSkinned()) {
        TSkCustomCheckBox::PaintCheck();
        return;
    }
    const POINT size = GetCheckSize();
    const RECT area = Alignment() == ktaLeftJustify ? RECT{0, 0, Width(), Height()}
                                                     : RECT{Width() - size.x, 0, Width(), Height()};
    const int top = area.top + (area.bottom - area.top - size.y) / 2;
    const RECT check{area.left, top, area.left + size.x, top + size.y};
    const std::uint8_t state = !Enabled()        ? kStateDisabled
                               : MouseInControl() ? kStateHot
                               : HasFocus()       ? kStateFocused
                                                  : kStateNormal;
    TSkSkinObject* box = skin_.Find(State() == cbChecked ? "Checked" : State() == cbGrayed ? "Mixed" : "Unchecked");
    if (box) {
        box->SetState(state);
        PaintLaidOut(box, check, Canvas());
    }
    if (TSkSkinObject* text = skin_.Find("Text")) {
        text->SetState(state);
        PaintFont()->Assign(text->GetFont());
    } else if (box) {
        PaintFont()->Assign(box->GetFont());
    }
}

}  // namespace skin
