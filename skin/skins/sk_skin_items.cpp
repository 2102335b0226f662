#include "skin/skins/sk_skin_items.h"

#include <algorithm>
#include <memory>

#include "skin/forms/sk_custom_form.h"
#include "skin/graphics/sk_canvas.h"
#include "skin/menus/sk_item_view.h"
#include "skin/menus/sk_menu_resources.h"

namespace skin {

namespace {

constexpr int kArrowStrip = 22;

bool SourceUsable(const TSkSkinManager* manager)
{
    const TSkSkinSource* source = manager ? manager->Source() : nullptr;
    return source && !source->Reloading && source->GetObjectCount() > 0;
}

int TextWidth(vcl::TCanvas* canvas, const vcl::AnsiString& text)
{
    RECT r{0, 0, 0, 0};
    SelectObject(canvas->Handle(), canvas->Font()->Handle());
    DrawTextA(canvas->Handle(), text.c_str(), static_cast<int>(text.size()), &r, DT_SINGLELINE | DT_CALCRECT);
    return r.right - r.left;
}

std::uint8_t StateOf(bool notTracking, bool isSelected)
{
    if (!isSelected)
        return kStateNormal;
    return notTracking ? kStateHot : kStateFocused;
}

}  // namespace

VCL_IMPLEMENT_CLASS(TSkSkinItem, TSkCustomItem, [](auto& b) { b.Component(); })
VCL_IMPLEMENT_CLASS(TSkSkinPopupForm, TSkPopupForm, [](auto&) {})
VCL_IMPLEMENT_CLASS(TSkSkinPopupWindow, TSkPopupWindow, [](auto&) {})
VCL_IMPLEMENT_CLASS(TSkSkinPopupMenu, TSkCustomPopupMenu, [](auto& b) {
    using T = TSkSkinPopupMenu;
    b.Object("SkinManager", &T::SkinManager, &T::SetSkinManager);
    b.Str("Version", &T::Version, &T::SetVersion);
})

// ---------------------------------------------------------------- items

TSkSkinItem::TSkSkinItem(vcl::TComponent* owner) : TSkCustomItem(owner) {}

TSkSkinItem::~TSkSkinItem()
{
    UntrackSkinManager(*this, manager_);
}

void TSkSkinItem::SetSkinManager(TSkSkinManager* value)
{
    TrackSkinManager(*this, manager_, value);
    for (int i = 0; i < Count(); ++i)
        if (auto* child = dynamic_cast<TSkSkinItem*>(Items(i)))
            child->SetSkinManager(value);
}

void TSkSkinItem::Notification(vcl::TComponent* component, vcl::TOperation operation)
{
    TSkCustomItem::Notification(component, operation);
    if (operation == vcl::opRemove && component == manager_)
        manager_ = nullptr;
}

TSkSkinObject* TSkSkinItem::MenuBarObject() const
{
    return SourceUsable(manager_) ? manager_->Source()->FindObject("MenuBar") : nullptr;
}

TSkSkinObject* TSkSkinItem::PopupObject() const
{
    return SourceUsable(manager_) ? manager_->Source()->FindObject("PopupMenu") : nullptr;
}

TSkSkinObject* TSkSkinItem::BarItemObject() const
{
    TSkSkinObject* bar = MenuBarObject();
    return bar ? bar->FindObject(ToolbarLook() ? "ToolbarItem" : "Item") : nullptr;
}

TSkSkinObject* TSkSkinItem::PopupItemObject() const
{
    TSkSkinObject* popup = PopupObject();
    return popup ? popup->FindObject("Item") : nullptr;
}

TSkSkinObject* TSkSkinItem::SeparatorObject() const
{
    TSkSkinObject* popup = PopupObject();
    return popup ? popup->FindObject("Separator") : nullptr;
}

bool TSkSkinItem::UseSkin() const
{
    const vcl::TComponentState state = ComponentState();
    if (state.Contains(vcl::csLoading) || state.Contains(vcl::csDestroying))
        return false;
    return MenuBarObject() && PopupObject();
}

void TSkSkinItem::MeasureItem(vcl::TCanvas* canvas, TSkItemView* view, int& height, int& width)
{
    if (!canvas || !UseSkin()) {
        TSkCustomItem::MeasureItem(canvas, view, height, width);
        return;
    }
    const bool horizontal = view && view->Orientation() == koHorizontal;
    if (TSkSkinObject* barItem = horizontal ? BarItemObject() : nullptr) {
        canvas->Font()->Assign(barItem->GetFont());
        width = TextWidth(canvas, Caption()) + barItem->TextMarginLeft() + barItem->TextMarginRight();
        height = barItem->Height();
        if (Kind() >= 1 && Kind() <= 4)
            width = height;
        return;
    }
    TSkSkinObject* popupItem = horizontal ? nullptr : PopupItemObject();
    if (!popupItem) {
        TSkCustomItem::MeasureItem(canvas, view, height, width);
        return;
    }
    canvas->Font()->Assign(popupItem->GetFont());
    const int glyph = GetGlyphWidth();
    width = TextWidth(canvas, Caption()) + glyph + (ShortCut() ? TextWidth(canvas, vcl::ShortCutToText(ShortCut())) : 0) +
            42;
    height = popupItem->Height();
    if (!IsSeparator() && glyph - 4 > height)
        height = glyph + 4;
}

void TSkSkinItem::DrawItem(vcl::TCanvas* canvas, TSkItemView* view, bool notTracking, bool isSelected,
                           const RECT& rect)
{
    if (!canvas || RectIsEmpty(rect) || !UseSkin()) {
        TSkCustomItem::DrawItem(canvas, view, notTracking, isSelected, rect);
        return;
    }
    const std::uint8_t state = StateOf(notTracking, isSelected);
    const bool horizontal = view && view->Orientation() == koHorizontal;
    if (horizontal) {
        TSkSkinObject* barItem = BarItemObject();
        if (!barItem) {
            TSkCustomItem::DrawItem(canvas, view, notTracking, isSelected, rect);
            return;
        }
        if (Kind() >= 1 && Kind() <= 3) {
            static const char* const kButtons[] = {"Close", "Restore", "Min"};
            if (TSkSkinObject* button = MenuBarObject()->FindObject(kButtons[Kind() - 1])) {
                button->SetState(state);
                button->SetBounds(CenterRect(RECT{0, 0, button->Width(), button->Height()}, rect));
                button->Paint(canvas);
            }
            return;
        }
        canvas->Font()->Assign(barItem->GetFont());
        barItem->SetBounds(rect);
        barItem->Text = vcl::AnsiToWide(Caption());
        barItem->SetState(state);
        barItem->Enabled = Enabled();
        barItem->Paint(canvas);
        if (Kind() == 4 && WindowForm()) {
            const RECT square = CenterRect(RECT{0, 0, 16, 16}, rect);
            DrawIconEx(canvas->Handle(), square.left, square.top, WindowForm()->GetSmallIcon(), 16, 16, 0, nullptr,
                       DI_NORMAL);
        }
        return;
    }
    if (!PopupItemObject()) {
        TSkCustomItem::DrawItem(canvas, view, notTracking, isSelected, rect);
        return;
    }
    DrawPopupItem(canvas, state, rect);
}

void TSkSkinItem::DrawPopupItem(vcl::TCanvas* canvas, std::uint8_t state, const RECT& rect)
{
    TSkSkinObject* item = PopupItemObject();
    canvas->Font()->Assign(item->GetFont());
    item->SetBounds(rect);
    item->Text = vcl::AnsiToWide(Caption());
    item->SetState(state);
    if (IsSeparator()) {
        item->SetState(kStateNormal);
        item->Text.clear();
        if (TSkSkinObject* separator = SeparatorObject()) {
            separator->SetBounds(rect);
            separator->SetState(kStateNormal);
            separator->Paint(canvas);
        } else {
            // A skin without a separator picture still shows the line.
            item->Paint(canvas);
            DrawSeparatorLine(canvas, rect);
        }
        return;
    }
    item->Enabled = Enabled();
    item->ShortCutText = ShortCut() ? vcl::AnsiToWide(vcl::ShortCutToText(ShortCut())) : vcl::WideString();
    const int glyph = GetGlyphWidth();
    const int savedLeft = item->TextMarginLeft(), savedRight = item->TextMarginRight();
    item->SetTextMarginLeft(std::max(savedLeft, glyph));
    // The keys keep clear of the strip where a submenu's arrow goes.
    item->SetTextMarginRight(std::max(savedRight, kArrowStrip));
    item->Paint(canvas);
    item->SetTextMarginLeft(savedLeft);
    item->SetTextMarginRight(savedRight);
    item->Enabled = true;
    item->ShortCutText.clear();
    const vcl::TColor ink = canvas->Font()->Color();
    vcl::TCustomImageList* images = GetImageList();
    const RECT column{rect.left, rect.top, rect.left + glyph, rect.bottom};
    if (images && ImageIndex() >= 0) {
        images->Draw(canvas, column.left + (glyph - images->Width()) / 2,
                     column.top + (column.bottom - column.top - images->Height()) / 2, ImageIndex(), Enabled());
    } else if (Checked()) {
        const int cx = (column.left + column.right) / 2 - 2;
        const int cy = (column.top + column.bottom) / 2 + 1;
        const POINT first[] = {{cx - 2, cy - 2}, {cx, cy}, {cx + 4, cy - 4}, {cx + 4, cy - 3},
                               {cx, cy + 1},     {cx - 2, cy - 1}, {cx - 2, cy - 2}};
        const POINT second[] = {{cx - 3, cy - 2}, {cx - 3, cy - 1}, {cx, cy + 2}, {cx + 5, cy - 3}, {cx + 5, cy - 5}};
        canvas->Pen()->SetColor(ink);
        SelectObject(canvas->Handle(), canvas->Pen()->Handle());
        Polyline(canvas->Handle(), first, 7);
        Polyline(canvas->Handle(), second, 5);
    }
    if (Count() > 0 && MenuResources().Arrow) {
        // The arrow's dark pixels take the font colour.
        TSkBitmap* arrow = MenuResources().Arrow;
        const RECT strip{rect.right - kArrowStrip, rect.top, rect.right, rect.bottom};
        const int left = strip.left + (kArrowStrip - arrow->Width()) / 2;
        const int top = (strip.top + strip.bottom - arrow->Height()) / 2;
        const COLORREF color = vcl::ColorToRGB(ink);
        for (int y = 0; y < arrow->Height(); ++y)
            for (int x = 0; x < arrow->Width(); ++x)
                if ((arrow->GetPixel(x, y) & 0x00FFFFFFu) == 0)
                    SetPixel(canvas->Handle(), left + x, top + y, color);
    }
}

void TSkSkinItem::DrawScroller(vcl::TCanvas* canvas, bool active, int kind, const RECT& rect)
{
    TSkSkinObject* item = UseSkin() ? PopupItemObject() : nullptr;
    if (!canvas || RectIsEmpty(rect) || !item) {
        TSkCustomItem::DrawScroller(canvas, active, kind, rect);
        return;
    }
    std::unique_ptr<TSkSkinObject> copy(CloneSkinObject(item, nullptr));
    copy->SetBounds(rect);
    copy->Text.clear();
    copy->SetState(active ? kStateFocused : kStateNormal);
    copy->Paint(canvas);
    copy->SetState(kStateNormal);
    canvas->Font()->Assign(copy->GetFont());
    DrawScrollTriangle(canvas, kind, rect);
}

TSkPopupWindow* TSkSkinItem::CreatePopupWindow(vcl::TComponent* owner, TSkItemView* parentView)
{
    return new TSkSkinPopupWindow(owner, parentView, this);
}

// ---------------------------------------------------------------- popups

TSkSkinPopupWindow::TSkSkinPopupWindow(vcl::TComponent* owner, TSkItemView* parentView, TSkSkinItem* item)
    : TSkPopupWindow(owner, parentView, item,
                     [](TSkPopupWindow* window) -> TSkPopupForm* { return new TSkSkinPopupForm(window); }),
      item_(item)
{
}

TSkSkinObject* TSkSkinPopupForm::FrameObject() const
{
    auto* window = dynamic_cast<TSkSkinPopupWindow*>(PopupWindow());
    TSkSkinManager* manager = window ? window->SkinManager() : nullptr;
    if (!SourceUsable(manager))
        return nullptr;
    TSkSkinObject* popup = manager->Source()->FindObject("PopupMenu");
    return popup ? popup->FindObject("Frame") : nullptr;
}

bool TSkSkinPopupForm::UseSkin() const
{
    auto* window = dynamic_cast<TSkSkinPopupWindow*>(PopupWindow());
    TSkSkinManager* manager = window ? window->SkinManager() : nullptr;
    return SourceUsable(manager) && manager->Source()->FindObject("PopupMenu");
}

RECT TSkSkinPopupForm::GetFrameClientRect()
{
    if (!UseSkin())
        return TSkPopupForm::GetFrameClientRect();
    if (TSkSkinObject* frame = FrameObject())
        return RECT{frame->MarginLeft(), frame->MarginTop(), FrameWidth() - frame->MarginRight(),
                    FrameHeight() - frame->MarginBottom()};
    return RECT{3, 3, FrameWidth() - 3, FrameHeight() - 3};
}

void TSkSkinPopupForm::DrawFrame(vcl::TCanvas* canvas)
{
    if (!UseSkin()) {
        TSkPopupForm::DrawFrame(canvas);
        return;
    }
    if (TSkSkinObject* frame = FrameObject()) {
        frame->SetBounds(RECT{0, 0, FrameWidth(), FrameHeight()});
        frame->Paint(canvas);
    }
}

// ------------------------------------------------------------ popup menu

TSkSkinPopupMenu::TSkSkinPopupMenu(vcl::TComponent* owner)
    : TSkCustomPopupMenu(owner, [](vcl::TComponent* menu) -> TSkCustomItem* { return new TSkSkinItem(menu); })
{
}

TSkSkinPopupMenu::~TSkSkinPopupMenu()
{
    UntrackSkinManager(*this, manager_);
}

TSkCustomItem* TSkSkinPopupMenu::CreateItem(vcl::TComponent* owner) { return new TSkSkinItem(owner); }

void TSkSkinPopupMenu::SetSkinManager(TSkSkinManager* value)
{
    TrackSkinManager(*this, manager_, value);
    if (auto* root = dynamic_cast<TSkSkinItem*>(Items()))
        root->SetSkinManager(value);
}

void TSkSkinPopupMenu::Loaded()
{
    TSkCustomPopupMenu::Loaded();
    SetSkinManager(manager_);
}

void TSkSkinPopupMenu::Popup(int x, int y)
{
    // Items added since the last assignment get the manager too.
    SetSkinManager(manager_);
    TSkCustomPopupMenu::Popup(x, y);
}

void TSkSkinPopupMenu::Notification(vcl::TComponent* component, vcl::TOperation operation)
{
    TSkCustomPopupMenu::Notification(component, operation);
    if (operation == vcl::opRemove && component == manager_)
        SetSkinManager(nullptr);
}

}  // namespace skin
