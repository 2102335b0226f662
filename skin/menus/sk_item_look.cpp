// The plain look of menu items (measuring and painting without a skin) and
// the popup of an item's children with its placement on the screen.

#include <algorithm>
#include <memory>

#include "platform/vcl/forms.h"
#include "skin/forms/sk_custom_form.h"
#include "skin/graphics/sk_canvas.h"
#include "skin/graphics/sk_text.h"
#include "skin/controls/sk_control_bar.h"
#include "skin/graphics/sk_theme.h"
#include "skin/menus/sk_menu_bar.h"
#include "skin/menus/sk_item_view.h"
#include "skin/menus/sk_menu_resources.h"
#include "skin/menus/sk_popup_window.h"

namespace skin {

using vcl::AnsiString;

namespace {

constexpr int kGlyphWidth = 22;
constexpr int kSeparatorHeight = 15;
constexpr UINT kCenterFlags = DT_CENTER | DT_VCENTER | DT_SINGLELINE;  // 0x25
constexpr UINT kLeftFlags = DT_VCENTER | DT_SINGLELINE;                // 0x24
constexpr UINT kRightFlags = DT_RIGHT | DT_VCENTER | DT_SINGLELINE;    // 0x26

int TextWidth(vcl::TCanvas* canvas, const AnsiString& text)
{
    RECT r{0, 0, 0, 0};
    SelectObject(canvas->Handle(), canvas->Font()->Handle());
    DrawTextA(canvas->Handle(), text.c_str(), static_cast<int>(text.size()), &r,
              DT_SINGLELINE | DT_NOPREFIX | DT_CALCRECT);
    return r.right - r.left;
}

void DrawCaption(vcl::TCanvas* canvas, const AnsiString& text, RECT r, UINT flags, vcl::TColor color)
{
    SetBkMode(canvas->Handle(), TRANSPARENT);
    canvas->Font()->SetColor(color);
    SelectObject(canvas->Handle(), canvas->Font()->Handle());
    SetTextColor(canvas->Handle(), vcl::ColorToRGB(color));
    DrawTextA(canvas->Handle(), text.c_str(), static_cast<int>(text.size()), &r, flags);
}

constexpr int kToolbarButtonPart = 1;  // TP_BUTTON
constexpr int kToolbarNormal = 1, kToolbarHot = 2, kToolbarPressed = 3;

// A title of a menu bar that stands on a control bar.
bool OnControlBar(const TSkCustomItem* item)
{
    auto* bar = dynamic_cast<TSkCustomMenuBar*>(item->GetParentComponent());
    return bar && dynamic_cast<TSkCustomControlBar*>(bar->Parent());
}

// The themed toolbar button under a title, then its caption; false when the
// theme has no toolbar class, so that the plain look is drawn instead.
bool DrawToolbarTitle(vcl::TCanvas* canvas, const RECT& rect, bool pressed, bool hover, const AnsiString& caption,
                      UINT flags)
{
    HTHEME theme = ThemeApi().OpenThemeData(nullptr, u"Toolbar");
    if (!theme)
        return false;
    const int state = pressed ? kToolbarPressed : hover ? kToolbarHot : kToolbarNormal;
    ThemeApi().DrawThemeBackground(theme, canvas->Handle(), kToolbarButtonPart, state, &rect, nullptr);
    ThemeApi().CloseThemeData(theme);
    DrawCaption(canvas, caption, rect, flags, vcl::clMenuText);
    return true;
}

}  // namespace

int TSkCustomItem::GetGlyphWidth()
{
    vcl::TCustomImageList* images = GetImageList();
    if (images && images->Width() > MenuResources().DefaultItemHeight)
        return images->Width() + 6;
    return kGlyphWidth;
}

void TSkCustomItem::MeasureItem(vcl::TCanvas* canvas, TSkItemView* view, int& height, int& width)
{
    if (!canvas)
        return;
    if (MenuResources().MenuFont)
        canvas->Font()->Assign(MenuResources().MenuFont);
    width = MenuResources().DefaultItemWidth;
    height = MenuResources().DefaultItemHeight;
    if (view && view->Orientation() == koHorizontal) {
        width = TextWidth(canvas, caption_) + 12;
        if (kind_ >= 1 && kind_ <= 4)
            width = height;
        return;
    }
    width = TextWidth(canvas, caption_) + GetGlyphWidth() + 42;
    if (shortCut_ != 0)
        width += TextWidth(canvas, vcl::ShortCutToText(shortCut_));
    if (IsSeparator()) {
        height = kSeparatorHeight;
        return;
    }
    vcl::TCustomImageList* images = GetImageList();
    if (images && images->Height() > MenuResources().DefaultItemHeight)
        height = images->Height() + 4;
}

void TSkCustomItem::DrawItem(vcl::TCanvas* canvas, TSkItemView* view, bool notTracking, bool isSelected,
                             const RECT& rect)
{
    if (!canvas || RectIsEmpty(rect))
        return;
    if (MenuResources().MenuFont)
        canvas->Font()->Assign(MenuResources().MenuFont);
    const bool pressed = isSelected && !notTracking;
    const bool hover = isSelected && notTracking;
    const bool themes = ThemesActive();
    if (view && view->Orientation() == koHorizontal) {
        if (kind_ >= 1 && kind_ <= 4) {
            FillRectColor(canvas, rect, vcl::clMenu);
            RECT r = InflatedRect(rect, -2);
            ++r.right;
            --r.bottom;
            if (kind_ <= 3) {
                const UINT which = kind_ == 1 ? DFCS_CAPTIONCLOSE : kind_ == 2 ? DFCS_CAPTIONRESTORE : DFCS_CAPTIONMIN;
                const UINT state = pressed ? DFCS_PUSHED : hover ? DFCS_FLAT : 0;
                DrawFrameControl(canvas->Handle(), &r, DFC_CAPTION, which | 0x10 | state);
            } else if (windowForm_) {
                if (pressed)
                    DrawEdgeLines(canvas, rect, vcl::clBtnShadow, vcl::clBtnHighlight);
                else if (hover)
                    DrawEdgeLines(canvas, rect, vcl::clBtnHighlight, vcl::clBtnShadow);
                HICON icon = windowForm_->GetSmallIcon();
                DrawIconEx(canvas->Handle(), rect.left + 1, rect.top + 1, icon, 0, 0, 0, nullptr, DI_NORMAL);
            }
            return;
        }
        if (themes && OnControlBar(this) &&
            DrawToolbarTitle(canvas, rect, pressed, hover, caption_, DrawTextBiDiModeFlags(kCenterFlags)))
            return;
        FillRectColor(canvas, rect, vcl::clMenu);
        if (enabled_) {
            if (themes && isSelected)
                FillRectColor(canvas, InflatedRect(rect, -1), vcl::clHighlight);
            else if (!themes && pressed)
                DrawEdgeLines(canvas, rect, vcl::clBtnShadow, vcl::clBtnHighlight);
            else if (!themes && hover)
                DrawEdgeLines(canvas, rect, vcl::clBtnHighlight, vcl::clBtnShadow);
        }
        const UINT flags = DrawTextBiDiModeFlags(kCenterFlags);
        if (!enabled_) {
            RECT shifted = rect;
            OffsetRect(&shifted, 1, 1);
            DrawCaption(canvas, caption_, shifted, flags, vcl::clBtnHighlight);
            DrawCaption(canvas, caption_, rect, flags, vcl::clBtnShadow);
        } else {
            DrawCaption(canvas, caption_, rect, flags,
                        themes && isSelected ? vcl::clHighlightText : vcl::clMenuText);
        }
        return;
    }

    // Vertical view.
    if (IsSeparator()) {
        FillRectColor(canvas, rect, vcl::clMenu);
        DrawSeparatorLine(canvas, rect);
        return;
    }
    FillRectColor(canvas, rect, isSelected ? vcl::clHighlight : vcl::clMenu);
    const vcl::TColor textColor = isSelected ? vcl::clHighlightText : vcl::clMenuText;
    const int glyphWidth = GetGlyphWidth();
    vcl::TCustomImageList* images = GetImageList();
    if (checked_ || (images && imageIndex_ >= 0)) {
        RECT column{rect.left, rect.top, rect.left + glyphWidth, rect.bottom};
        if (!themes)
            FillRectColor(canvas, column, vcl::clBtnFace);
        column.right = column.left + (column.bottom - column.top);
        if (checked_ && !isSelected) {
            FillPattern(canvas, column, vcl::clBtnFace, vcl::clBtnHighlight);
            DrawEdgeLines(canvas, column, vcl::clBtnShadow, vcl::clBtnHighlight);
        } else if (checked_ && !themes) {
            DrawEdgeLines(canvas, column, vcl::clBtnShadow, vcl::clBtnHighlight);
        } else if (!checked_ && isSelected && !themes) {
            DrawEdgeLines(canvas, column, vcl::clBtnHighlight, vcl::clBtnShadow);
        }
        if (images && imageIndex_ >= 0) {
            images->Draw(canvas, column.left + ((column.right - column.left) - images->Width()) / 2,
                         column.top + ((column.bottom - column.top) - images->Height()) / 2, imageIndex_, enabled_);
        } else {
            const int cx = (column.left + column.right) / 2 - 2;
            const int cy = (column.top + column.bottom) / 2 + 1;
            const POINT black[] = {{cx - 2, cy - 2}, {cx, cy}, {cx + 4, cy - 4}, {cx + 4, cy - 3},
                                   {cx, cy + 1},     {cx - 2, cy - 1}, {cx - 2, cy - 2}};
            const POINT white[] = {{cx - 3, cy - 2}, {cx - 3, cy - 1}, {cx, cy + 2}, {cx + 5, cy - 3}, {cx + 5, cy - 5}};
            canvas->Pen()->SetColor(vcl::clBlack);
            SelectObject(canvas->Handle(), canvas->Pen()->Handle());
            Polyline(canvas->Handle(), black, 7);
            canvas->Pen()->SetColor(vcl::clWhite);
            SelectObject(canvas->Handle(), canvas->Pen()->Handle());
            Polyline(canvas->Handle(), white, 5);
        }
    }
    RECT text{rect.left + glyphWidth + 4, rect.top, rect.right, rect.bottom};
    const UINT flags = DrawTextBiDiModeFlags(kLeftFlags) & ~static_cast<UINT>(DT_RIGHT);
    auto drawText = [&](const AnsiString& s, const RECT& r, UINT f) {
        if (!enabled_) {
            if (!isSelected) {
                RECT shifted = r;
                OffsetRect(&shifted, 1, 1);
                DrawCaption(canvas, s, shifted, f, vcl::clBtnHighlight);
            }
            DrawCaption(canvas, s, r, f, vcl::clBtnShadow);
        } else {
            DrawCaption(canvas, s, r, f, textColor);
        }
    };
    if (shortCut_ != 0) {
        text.right -= 22;
        drawText(vcl::ShortCutToText(shortCut_), text, kRightFlags);
    }
    drawText(caption_, text, flags);
    if (!children_.empty() && MenuResources().Arrow) {
        TSkBitmap* arrow = MenuResources().Arrow;
        const vcl::TColor color = enabled_ ? textColor : vcl::clBtnShadow;
        const TPixel ink = 0xFF000000u | (vcl::ColorToRGB(color) & 0xFF) << 16 | (vcl::ColorToRGB(color) & 0xFF00) |
                           ((vcl::ColorToRGB(color) >> 16) & 0xFF);
        TSkBitmap tinted;
        tinted.SetSize(arrow->Width(), arrow->Height());
        for (int y = 0; y < arrow->Height(); ++y)
            for (int x = 0; x < arrow->Width(); ++x) {
                const TPixel p = arrow->GetPixel(x, y);
                *tinted.PixelPtr(x, y) = (p & 0x00FFFFFFu) == 0x00FF00FFu ? KeyColor : ink;
            }
        const int top = (rect.top + rect.bottom - arrow->Height()) / 2;
        tinted.Draw(canvas, rect.right - 24 + (22 - arrow->Width()) / 2, top, true);
    }
}

void TSkCustomItem::DrawScroller(vcl::TCanvas* canvas, bool active, int kind, const RECT& rect)
{
    if (!canvas || RectIsEmpty(rect))
        return;
    if (MenuResources().MenuFont)
        canvas->Font()->Assign(MenuResources().MenuFont);
    FillRectColor(canvas, rect, vcl::clMenu);
    if (active)
        DrawEdgeLines(canvas, rect, vcl::clBtnShadow, vcl::clBtnHighlight);
    DrawScrollTriangle(canvas, kind, rect);
}

void DrawSeparatorLine(vcl::TCanvas* canvas, const RECT& rect)
{
    const RECT line{rect.left + 2, rect.top + 7, rect.right - 2, rect.top + 9};
    DrawEdgeLines(canvas, line, vcl::clBtnShadow, vcl::clBtnHighlight);
}

void DrawScrollTriangle(vcl::TCanvas* canvas, int kind, const RECT& rect)
{
    const RECT box = CenterRect(RECT{0, 0, 7, 4}, rect);
    for (int row = 0; row < 4; ++row) {
        // Kind 1 points up (base on the bottom row), kind 2 down.
        const int half = kind == 1 ? row : 3 - row;
        const RECT line{box.left + 3 - half, box.top + row, box.left + 4 + half, box.top + row + 1};
        FillRectColor(canvas, line, canvas->Font()->Color());
    }
}

TSkPopupWindow* TSkCustomItem::CreatePopupWindow(vcl::TComponent* owner, TSkItemView* parentView)
{
    return new TSkPopupWindow(owner, parentView, this);
}

TSkCustomForm* TSkCustomItem::FindOwnerFrame() const
{
    if (!ownerWindow_)
        return nullptr;
    for (int i = 0; i < ownerWindow_->ComponentCount(); ++i) {
        if (auto* frame = dynamic_cast<TSkCustomForm*>(ownerWindow_->Components(i)))
            return frame;
    }
    return nullptr;
}

RECT TSkCustomItem::PopupWorkArea() const
{
    vcl::TComponent* c = Owner();
    while (c && c->Owner() && c->Owner() != vcl::Application)
        c = c->Owner();
    if (auto* form = dynamic_cast<vcl::TCustomForm*>(c)) {
        const RECT m = form->Monitor()->BoundsRect();
        return m;
    }
    return RECT{0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
}

RECT PlacePopup(const RECT& work, SIZE size, int x, int y, const RECT& itemRect, TSkOrientation parent,
                bool fromItem)
{
    RECT r{};
    auto at = [&](int left, int top) { r = RECT{left, top, left + size.cx, top + size.cy}; };
    if (!fromItem) {
        at(x, y);
        if (r.right > work.right)
            at(x - size.cx, r.top);
        if (r.bottom > work.bottom)
            at(r.left, y - size.cy);
        return r;
    }
    if (parent == koHorizontal) {
        at(itemRect.left, itemRect.bottom);
        if (r.right > work.right)
            at(itemRect.right - size.cx, r.top);
        if (r.bottom > work.bottom) {
            at(r.left, itemRect.top - size.cy);
            if (r.top < 0)
                at(r.left, work.top);
        }
    } else {
        at(itemRect.right, itemRect.top);
        if (r.right > work.right)
            at(itemRect.left - size.cx, r.top);
        if (r.bottom > work.bottom)
            at(r.left, itemRect.bottom - size.cy);
    }
    if (r.right > work.right)
        at(work.right - size.cx, r.top);
    if (r.bottom > work.bottom)
        at(r.left, work.bottom - size.cy);
    return r;
}

void TSkCustomItem::Popup(TSkItemView* parentView, int x, int y, const RECT& itemRect)
{
    const bool anyVisible = std::any_of(children_.begin(), children_.end(), [](TSkCustomItem* c) { return c->Visible(); });
    if (!anyVisible)
        return;
    OnBeforeDropDown(this);
    std::unique_ptr<TSkPopupWindow> window(CreatePopupWindow(Owner(), parentView));
    const RECT work = PopupWorkArea();
    window->SetBounds(x, y, window->Width(), window->Height());
    window->LayoutView();
    const SIZE size{window->Width(), window->Height()};
    const bool fromItem = itemRect.right - itemRect.left != 0;
    const TSkOrientation parent = parentView ? parentView->Orientation() : koVertical;
    const RECT placed = PlacePopup(work, size, x, y, itemRect, parent, fromItem);
    window->View()->MoveTo(POINT{placed.left, placed.top});

    TSkCustomForm* frame = FindOwnerFrame();
    if (frame)
        frame->DisableFramePaint();
    try {
        window->Show();
        if (foregroundOnPopup_)
            SetForegroundWindow(window->Handle());
    } catch (...) {
        if (frame)
            frame->EnableFramePaint();
        throw;
    }
    if (frame)
        frame->EnableFramePaint();
    if (parentView)
        parentView->SetChildView(window->View());
    try {
        window->TrackView();
    } catch (...) {
        if (parentView)
            parentView->SetChildView(nullptr);
        throw;
    }
    if (parentView)
        parentView->SetChildView(nullptr);
}

}  // namespace skin
