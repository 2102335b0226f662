#include "skin/controls/sk_status_panel.h"

#include "platform/vcl/comctrls.h"
#include "skin/controls/sk_status_bar.h"

namespace skin {

const vcl::TEnumInfo kStatusGliphLayoutInfo{"TSkStatusGliphLayout", {"sglGlyphLeft", "sglGlyphRight"}};
const vcl::TEnumInfo kStatusPanelStyleInfo{"TSkStatusPanelstyle", {"psText", "psOwnerDraw"}};

namespace {

constexpr int kMaxPercent = 100;

}  // namespace

VCL_IMPLEMENT_CLASS(TSkStatusPanel, vcl::TCollectionItem, [](auto& b) {
    b.Factory([](vcl::TComponent*) -> vcl::TPersistent* { return new TSkStatusPanel(); });
    b.WStr("Text", &TSkStatusPanel::Text, &TSkStatusPanel::SetText);
    b.Int("Width", &TSkStatusPanel::Width, &TSkStatusPanel::SetWidth, 50);
    b.Int("MaxWidth", &TSkStatusPanel::MaxWidth, &TSkStatusPanel::SetMaxWidth, 10000);
    b.Enum("Alignment", &vcl::kAlignmentInfo, &TSkStatusPanel::Alignment, &TSkStatusPanel::SetAlignment,
           std::optional<vcl::TAlignment>(vcl::taLeftJustify));
    b.Enum("Layout", &kStatusGliphLayoutInfo, &TSkStatusPanel::Layout, &TSkStatusPanel::SetLayout,
           std::optional<TSkStatusGliphLayout>(sglGlyphLeft));
    b.Int("ImageIndex", &TSkStatusPanel::ImageIndex, &TSkStatusPanel::SetImageIndex, -1);
    b.Bool("ShowImage", &TSkStatusPanel::ShowImage, &TSkStatusPanel::SetShowImage, true);
    b.Int("Margin", &TSkStatusPanel::Margin, &TSkStatusPanel::SetMargin, 2);
    b.Int("Spacing", &TSkStatusPanel::Spacing, &TSkStatusPanel::SetSpacing, 4);
    b.Enum("Style", &kStatusPanelStyleInfo, &TSkStatusPanel::Style, &TSkStatusPanel::SetStyle,
           std::optional<TSkStatusPanelstyle>(psText));
    b.Bool("Framed", &TSkStatusPanel::Framed, &TSkStatusPanel::SetFramed, true);
    b.Int("ViewPriority", &TSkStatusPanel::ViewPriority, &TSkStatusPanel::SetViewPriority, 100);
    b.Int("StretchPriority", &TSkStatusPanel::StretchPriority, &TSkStatusPanel::SetStretchPriority, 0);
    b.Object("Control", &TSkStatusPanel::Control, &TSkStatusPanel::SetControl);
})

TSkStatusPanel::~TSkStatusPanel()
{
    vcl::TControl* control = control_;
    control_ = nullptr;
    auto* win = dynamic_cast<vcl::TWinControl*>(control);
    if (win && vcl::IsLiveObject(win) && win->HandleAllocated() &&
        !win->ComponentState().Contains(vcl::csDestroying)) {
        win->BringToFront();
        win->Perform(vcl::CM_SHOWINGCHANGED, 0, 0);
    }
}

TSkCustomStatusBar* TSkStatusPanel::StatusBar() const
{
    auto* panels = dynamic_cast<TSkStatusPanels*>(Collection());
    return panels ? panels->Bar() : nullptr;
}

void TSkStatusPanel::SetText(const vcl::WideString& v)
{
    if (v == text_)
        return;
    text_ = v;
    PanelChanged();
}

void TSkStatusPanel::SetWidth(int v)
{
    if (v == width_)
        return;
    width_ = std::clamp(v, 0, std::max(0, maxWidth_));
    LayoutChanged();
}

void TSkStatusPanel::SetMaxWidth(int v)
{
    if (v == maxWidth_)
        return;
    maxWidth_ = v;
    if (maxWidth_ < width_)
        width_ = std::max(0, maxWidth_);
    LayoutChanged();
}

void TSkStatusPanel::SetAlignment(vcl::TAlignment v)
{
    alignment_ = v;
    PanelChanged();
}

void TSkStatusPanel::SetLayout(TSkStatusGliphLayout v)
{
    layout_ = v;
    PanelChanged();
}

void TSkStatusPanel::SetImageIndex(int v)
{
    imageIndex_ = v;
    PanelChanged();
}

void TSkStatusPanel::SetShowImage(bool v)
{
    showImage_ = v;
    PanelChanged();
}

void TSkStatusPanel::SetMargin(int v)
{
    margin_ = v;
    PanelChanged();
}

void TSkStatusPanel::SetSpacing(int v)
{
    spacing_ = v;
    PanelChanged();
}

void TSkStatusPanel::SetStyle(TSkStatusPanelstyle v)
{
    style_ = v;
    PanelChanged();
}

void TSkStatusPanel::SetFramed(bool v)
{
    framed_ = v;
    PanelChanged();
    if (TSkCustomStatusBar* bar = StatusBar(); bar && control_)
        control_->SetBoundsRect(bar->GetControlRect(this));
}

void TSkStatusPanel::SetViewPriority(int v)
{
    viewPriority_ = std::clamp(v, 0, kMaxPercent);
    LayoutChanged();
}

void TSkStatusPanel::SetStretchPriority(int v)
{
    stretchPriority_ = std::clamp(v, 0, kMaxPercent);
    LayoutChanged();
}

void TSkStatusPanel::SetControl(vcl::TControl* v)
{
    if (v == control_)
        return;
    TSkCustomStatusBar* bar = StatusBar();
    if (bar && v) {
        for (vcl::TControl* c = bar; c; c = c->Parent())
            if (c == v)
                throw vcl::EInvalidOperation("Can't insert own parent");
        for (int i = 0; i < bar->Panels()->Count(); ++i) {
            TSkStatusPanel* other = bar->Panels()->Items(i);
            if (other != this && other->control_ == v)
                other->SetControl(nullptr);
        }
    }
    vcl::TControl* previous = control_;
    control_ = v;
    if (bar && v)
        v->FreeNotification(bar);
    LayoutChanged();
    if (previous && vcl::IsLiveObject(previous))
        previous->Perform(vcl::CM_SHOWINGCHANGED, 0, 0);
}

void TSkStatusPanel::Assign(vcl::TPersistent* source)
{
    if (auto* plain = dynamic_cast<vcl::TStatusPanel*>(source)) {
        alignment_ = plain->Alignment();
        text_ = vcl::AnsiToWide(plain->Text());
        SetWidth(plain->Width());
        LayoutChanged();
        return;
    }
    auto* other = dynamic_cast<TSkStatusPanel*>(source);
    if (!other)
        AssignError(source);
    alignment_ = other->alignment_;
    imageIndex_ = other->imageIndex_;
    layout_ = other->layout_;
    margin_ = other->margin_;
    maxWidth_ = other->maxWidth_;
    spacing_ = other->spacing_;
    style_ = other->style_;
    showImage_ = other->showImage_;
    text_ = other->text_;
    width_ = other->width_;
    framed_ = other->framed_;
    viewPriority_ = other->viewPriority_;
    stretchPriority_ = other->stretchPriority_;
    vcl::TControl* control = nullptr;
    if (TSkCustomStatusBar* bar = StatusBar(); bar && other->control_ && bar->Owner())
        control = dynamic_cast<vcl::TControl*>(bar->Owner()->FindComponent(other->control_->Name()));
    SetControl(control);
    LayoutChanged();
}

vcl::AnsiString TSkStatusPanel::GetDisplayName() const
{
    if (!text_.empty())
        return vcl::WideToAnsi(text_);
    if (control_)
        return "[ " + control_->Name() + " ]";
    return vcl::TCollectionItem::GetDisplayName();
}

// ------------------------------------------------------------- collection

VCL_IMPLEMENT_CLASS(TSkStatusPanels, vcl::TCollection, [](auto&) {})

TSkStatusPanels::TSkStatusPanels(TSkCustomStatusBar* bar) : vcl::TCollection(TSkStatusPanel::StaticClass()), bar_(bar)
{
    SetOwner(bar);
}

vcl::TCollectionItem* TSkStatusPanels::Add() { return bar_->CreatePanel(); }

void TSkStatusPanels::InsertPanel(TSkStatusPanel* item, int index)
{
    item->SetCollection(this);
    item->SetIndex(std::clamp(index, 0, Count() - 1));
}

void TSkStatusPanels::Update(vcl::TCollectionItem* item)
{
    if (item)
        bar_->PanelChanged(static_cast<TSkStatusPanel*>(item)->Index());
    else
        bar_->LayoutChanged();
}

}  // namespace skin
