#include "skin/skins/sk_skin_lists.h"

#include "skin/graphics/sk_canvas.h"
#include "skin/graphics/sk_system.h"
#include "skin/graphics/sk_text.h"
#include "skin/skins/sk_bitmap_objects.h"
#include "skin/skins/sk_skin_items.h"

namespace skin {

VCL_IMPLEMENT_CLASS(TSkSkinScrollBar, TSkCustomScrollBar, [](auto& b) {
    b.Component();
    b.Bool("ShowButtons", &TSkSkinScrollBar::ShowButtons, &TSkSkinScrollBar::SetShowButtons, true);
    PublishSkinnedControl<TSkSkinScrollBar>(b);
})
VCL_IMPLEMENT_CLASS(TSkSkinEdit, TSkCustomEdit, [](auto& b) {
    b.Component();
    PublishSkinnedControl<TSkSkinEdit>(b);
})
VCL_IMPLEMENT_CLASS(TSkSkinListBox, TSkCustomListBox, [](auto& b) {
    b.Component();
    PublishSkinnedControl<TSkSkinListBox>(b);
})
VCL_IMPLEMENT_CLASS(TSkSkinComboBox, TSkCustomComboBox, [](auto& b) {
    b.Component();
    PublishSkinnedControl<TSkSkinComboBox>(b);
})

namespace {

// 8 disabled, 5 mouse over, 7 focused, else 0.
std::uint8_t FieldState(const TSkCustomControl& c)
{
    if (!c.Enabled())
        return kStateDisabled;
    if (c.MouseInControl())
        return kStateHot;
    if (c.HasFocus())
        return kStateFocused;
    return kStateNormal;
}

// A control without a border shows only the middle of the frame: its
// border parts are laid out beyond the control.
void LayOutFrame(TSkSkinObject* frame, const TSkCustomControl& c)
{
    RECT paint{};
    c.GetPaintRect(paint);
    const int w = c.Width(), h = c.Height();
    if (paint.left == 0 && paint.top == 0 && paint.right == w && paint.bottom == h)
        frame->SetBounds(RECT{-frame->MarginLeft(), -frame->MarginTop(), w + frame->MarginRight(),
                              h + frame->MarginBottom()});
    else
        frame->SetBounds(RECT{0, 0, w, h});
}

// The "Frame" of a skinned field over the whole control, in its state.
void PaintFieldBorder(TSkSkinCopy& skin, TSkCustomControl& c)
{
    if (TSkSkinObject* frame = skin.Find("Frame")) {
        frame->SetState(FieldState(c));
        frame->SetBounds(RECT{0, 0, c.Width(), c.Height()});
        frame->Paint(c.Canvas());
    }
}

void PaintFieldBackground(TSkSkinCopy& skin, TSkCustomControl& c, vcl::TCanvas* canvas)
{
    TSkSkinObject* frame = skin.Find("Frame");
    if (!frame)
        frame = skin.Copy();
    frame->SetState(FieldState(c));
    LayOutFrame(frame, c);
    frame->Paint(canvas);
}

bool AnyMask(TSkSkinObject* object)
{
    if (auto* bitmap = dynamic_cast<TSkBitmapObject*>(object))
        return bitmap->Masked() || bitmap->MaskedBorder() || bitmap->MaskedAngles();
    return object->Masked();
}

}  // namespace

// ---------------------------------------------------------------- scroll bar

TSkSkinScrollBar::TSkSkinScrollBar(vcl::TComponent* owner) : TSkCustomScrollBar(owner), skin_(*this, "ScrollBar")
{
    SetBorderWidth(0);
}

void TSkSkinScrollBar::SetSkinManager(TSkSkinManager* manager)
{
    if (skin_.Assign(manager)) {
        const bool vertical = Vertical();
        TSkSkinObject* frame = skin_.Find(vertical ? "VertFrame" : "HorzFrame");
        if (!frame)
            frame = skin_.Find("Frame");
        if (frame) {
            if (vertical)
                SetWidth(frame->Width());
            else
                SetHeight(frame->Height());
        }
    }
    Invalidate();
}

std::uint8_t TSkSkinScrollBar::PartState(bool pressed, bool hover) const
{
    if (!Enabled())
        return kStateDisabled;
    if (pressed)
        return kStatePressed;
    return hover ? kStateHot : kStateNormal;
}

void TSkSkinScrollBar::PaintPart(const char* first, const char* second, std::uint8_t state, const RECT& rect)
{
    TSkSkinObject* part = skin_.Find(first);
    if (!part && second)
        part = skin_.Find(second);
    if (!part)
        return;
    part->SetState(state);
    part->SetBounds(rect);
    part->Paint(Canvas());
}

void TSkSkinScrollBar::PaintTrack()
{
    if (!IsSkinned()) {
        TSkCustomScrollBar::PaintTrack();
        return;
    }
    PaintPart(Vertical() ? "VertFrame" : "HorzFrame", "Frame", kStateNormal, RECT{0, 0, Width(), Height()});
}

void TSkSkinScrollBar::PaintFirstButton()
{
    if (!IsSkinned()) {
        TSkCustomScrollBar::PaintFirstButton();
        return;
    }
    PaintPart(Vertical() ? "TopButton" : "LeftButton", nullptr, PartState(FirstButtonPressed(), FirstButtonHover()),
              GetFirstButtonRect());
}

void TSkSkinScrollBar::PaintSecondButton()
{
    if (!IsSkinned()) {
        TSkCustomScrollBar::PaintSecondButton();
        return;
    }
    PaintPart(Vertical() ? "BottomButton" : "RightButton", nullptr,
              PartState(SecondButtonPressed(), SecondButtonHover()), GetSecondButtonRect());
}

void TSkSkinScrollBar::PaintSlider()
{
    if (!IsSkinned()) {
        TSkCustomScrollBar::PaintSlider();
        return;
    }
    PaintPart(Vertical() ? "VertSlider" : "HorzSlider", "Slider", PartState(SliderHeld(), SliderHover()),
              GetSliderRect());
}

void TSkSkinScrollBar::PaintBorder()
{
    if (!IsSkinned())
        TSkCustomScrollBar::PaintBorder();
}

int TSkSkinScrollBar::GetButtonSize() const
{
    if (IsSkinned()) {
        if (TSkSkinObject* button = skin_.Find(Vertical() ? "TopButton" : "LeftButton"))
            return Vertical() ? button->Height() : button->Width();
    }
    return TSkCustomScrollBar::GetButtonSize();
}

// ---------------------------------------------------------------- edit

TSkSkinEdit::TSkSkinEdit(vcl::TComponent* owner) : TSkCustomEdit(owner), skin_(*this, "Edit") {}

void TSkSkinEdit::SetSkinManager(TSkSkinManager* manager)
{
    if (skin_.Assign(manager)) {
        skin_.Copy()->SetControl(this);
        TSkSkinObject* text = skin_.Find("Text");
        Font()->Assign(text ? text->Font() : skin_.Copy()->Font());
    }
    // The context menu goes with the edit's menu object; ask whether it is still there.
    if (menu_ && vcl::IsLiveObject(menu_))
        menu_->SetSkinManager(manager);
    Invalidate();
}

void TSkSkinEdit::PaintBorder()
{
    if (!IsSkinned())
        TSkCustomEdit::PaintBorder();
    else
        PaintFieldBorder(skin_, *this);
}

void TSkSkinEdit::PaintBackground(RECT rect, vcl::TCanvas* canvas)
{
    if (!IsSkinned())
        TSkCustomEdit::PaintBackground(rect, canvas);
    else
        PaintFieldBackground(skin_, *this, canvas);
}

TSkEditMenu* TSkSkinEdit::CreatePopupMenu(vcl::TComponent* owner)
{
    menu_ = new TSkSkinPopupMenu(owner);
    menu_->SetSkinManager(SkinManager());
    return WrapEditMenu(menu_);
}

// ---------------------------------------------------------------- list box

TSkSkinListBox::TSkSkinListBox(vcl::TComponent* owner)
    : TSkCustomListBox(owner, [](TSkCustomListBox* list) -> TSkCustomScrollBar* { return new TSkSkinScrollBar(list); }),
      skin_(*this, "ListBox")
{
}

void TSkSkinListBox::SetSkinManager(TSkSkinManager* manager)
{
    if (skin_.Assign(manager)) {
        skin_.Copy()->SetControl(this);
        if (TSkSkinObject* frame = skin_.Find("Frame"))
            SetTransparent(AnyMask(frame));
    }
    if (auto* bar = dynamic_cast<TSkSkinScrollBar*>(ScrollBar()))
        bar->SetSkinManager(manager);
    Invalidate();
}

void TSkSkinListBox::PaintBorder()
{
    if (!IsSkinned())
        TSkCustomListBox::PaintBorder();
    else
        PaintFieldBorder(skin_, *this);
}

void TSkSkinListBox::GetPaintRect(RECT& rect) const
{
    if (!IsSkinned()) {
        TSkCustomListBox::GetPaintRect(rect);
        return;
    }
    const TSkSkinObject* m = skin_.Find("Frame");
    if (!m)
        m = skin_.Copy();
    rect = RECT{m->MarginLeft(), m->MarginTop(), Width() - m->MarginRight(), Height() - m->MarginBottom()};
}

int TSkSkinListBox::GetCheckWidth() { return TSkCustomListBox::GetCheckWidth() + (IsSkinned() ? 6 : 0); }

void TSkSkinListBox::PaintBackground()
{
    if (!IsSkinned()) {
        TSkCustomListBox::PaintBackground();
        return;
    }
    TSkSkinObject* frame = skin_.Find("Frame");
    if (!frame)
        return;
    frame->SetState(!Enabled() ? kStateDisabled : MouseInControl() ? kStateHot : kStateNormal);
    LayOutFrame(frame, *this);
    frame->Paint(Canvas());
}

void TSkSkinListBox::PaintCheckBox(int index, const RECT& rect)
{
    static const char* const kByState[] = {"Unchecked", "Checked", "Mixed"};
    const int check = CheckState(index);
    TSkSkinObject* box = IsSkinned() && check >= 0 && check <= 2 ? skin_.Find(kByState[check]) : nullptr;
    if (!box) {
        TSkCustomListBox::PaintCheckBox(index, rect);
        return;
    }
    box->SetState(!Enabled() ? kStateDisabled : index == HoverCheckItem() ? kStateHot : kStateNormal);
    box->SetBounds(rect);
    box->Paint(Canvas());
}

void TSkSkinListBox::DrawItem(vcl::TCanvas* canvas, int index, const RECT& rect)
{
    TSkSkinObject* item = IsSkinned() ? skin_.Find("Item") : nullptr;
    const TSkListBoxStyle style = ListStyle();
    const bool ownerDraw = style != lbStandard && style <= lbOwnerDrawVariable && OnDrawItem;
    if (!item || ownerDraw || index < 0 || index >= Items()->Count()) {
        TSkCustomListBox::DrawItem(canvas, index, rect);
        return;
    }
    std::uint8_t state = kStateNormal;
    if (!Enabled())
        state = kStateDisabled;
    else if (Selected(index))
        state = HasFocus() ? kStateFocused : kStatePressed;
    item->SetState(state);
    item->SetBounds(rect);
    canvas->Font()->Assign(item->GetFont());
    const vcl::AnsiString text = Items()->Strings(index);
    RECT textRect = rect;
    textRect.left += 2;
    if (style <= lbOwnerDrawVariable && text == "-") {
        // The object draws itself as a separator line.
        item->Text.assign(1, u'-');
        item->SetState(kStateNormal);
        item->Paint(canvas);
        return;
    }
    item->Text.clear();
    item->Paint(canvas);
    canvas->Font()->Assign(item->GetFont());
    canvas->Brush()->SetStyle(vcl::bsClear);
    switch (style) {
    case lbFonts:
    case lbFontSamples:
    case lbColors:
    case lbColorNames:
        DrawStyledContent(canvas, index, textRect.left, textRect, InflatedRect(textRect, -4),
                          DT_SINGLELINE | DT_VCENTER);
        break;
    default:
        SkDrawText(canvas, vcl::AnsiToWide(text), textRect, DrawTextBiDiModeFlags(WordWrap() ? DT_WORDBREAK : 0));
        break;
    }
}

// ---------------------------------------------------------------- combo box

TSkSkinComboBox::TSkSkinComboBox(vcl::TComponent* owner)
    : TSkCustomComboBox(owner, [](TSkCustomComboBox* combo) -> TSkCustomListBox* { return new TSkSkinListBox(combo); }),
      skin_(*this, "ComboBox")
{
}

void TSkSkinComboBox::SetSkinManager(TSkSkinManager* manager)
{
    if (auto* list = dynamic_cast<TSkSkinListBox*>(ListBox()))
        list->SetSkinManager(manager);
    if (skin_.Assign(manager)) {
        skin_.Copy()->SetControl(this);
        TSkSkinObject* text = skin_.Find("Text");
        Font()->Assign(text ? text->Font() : skin_.Copy()->Font());
        if (TSkSkinObject* button = skin_.Find("Button"))
            skinButtonWidth_ = button->Width();
    }
    Invalidate();
}

int TSkSkinComboBox::GetButtonWidth()
{
    return skinButtonWidth_ != 0 ? skinButtonWidth_ : TSkCustomComboBox::GetButtonWidth();
}

void TSkSkinComboBox::PaintBorder()
{
    if (!IsSkinned())
        TSkCustomComboBox::PaintBorder();
    else
        PaintFieldBorder(skin_, *this);
}

void TSkSkinComboBox::PaintBackground(RECT rect, vcl::TCanvas* canvas)
{
    if (!IsSkinned()) {
        TSkCustomComboBox::PaintBackground(rect, canvas);
        return;
    }
    PaintFieldBackground(skin_, *this, canvas);
    if (TSkSkinObject* button = skin_.Find("Button")) {
        std::uint8_t state = kStateNormal;
        if (!Enabled())
            state = kStateDisabled;
        else if (ButtonHover())
            state = kStateHot;
        else if (HasFocus())
            state = kStateFocused;
        button->SetState(state);
        button->SetBounds(GetButtonRect());
        button->Paint(canvas);
    }
    PaintSelectedItem(InflatedRect(rect, 1));
}

void TSkSkinComboBox::ShowList()
{
    TSkCustomComboBox::ShowList();
    if (auto* list = dynamic_cast<TSkSkinListBox*>(ListBox()))
        list->SetSkinManager(SkinManager());
}

}  // namespace skin
