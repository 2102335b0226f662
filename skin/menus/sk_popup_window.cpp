#include "skin/menus/sk_popup_window.h"

#include "skin/graphics/sk_canvas.h"
#include "skin/graphics/sk_theme.h"

namespace skin {

namespace {

constexpr int kPopupBorder = 3;
constexpr int kProbeSize = 1000;

}  // namespace

// ------------------------------------------------------------- popup frame

VCL_IMPLEMENT_CLASS(TSkPopupForm, TSkCustomForm, [](auto& b) {
    b.Message(WM_ACTIVATE, &TSkPopupForm::WMActivate);
    b.Message(WM_MOUSEACTIVATE, &TSkPopupForm::WMActivate);
})

TSkPopupForm::TSkPopupForm(vcl::TComponent* owner) : TSkCustomForm(owner)
{
    SetBorderIcons(TSkBorderIcons{});
    SetBorderStyle(kbsNone);
    Dragging()->SetSizeable(false);
    Dragging()->SetMoveable(false);
    SetPerformance(ksfpNoBuffer);
    SetActive(true);
}

RECT TSkPopupForm::GetFrameClientRect()
{
    return RECT{kPopupBorder, kPopupBorder, FrameWidth() - kPopupBorder, FrameHeight() - kPopupBorder};
}

POINT TSkPopupForm::GetMinTrackSize() { return POINT{10, 10}; }

void TSkPopupForm::DrawFrame(vcl::TCanvas* canvas)
{
    RECT r{0, 0, FrameWidth(), FrameHeight()};
    if (ThemesActive()) {
        FrameRectColor(canvas, r, vcl::clBtnShadow);
        InflateRect(&r, -1, -1);
        FrameRectColor(canvas, r, vcl::clMenu);
        InflateRect(&r, -1, -1);
        FrameRectColor(canvas, r, vcl::clMenu);
        return;
    }
    DrawEdgeLines(canvas, r, vcl::clBtnFace, vcl::clBlack);
    InflateRect(&r, -1, -1);
    DrawEdgeLines(canvas, r, vcl::clBtnHighlight, vcl::clBtnShadow);
    InflateRect(&r, -1, -1);
    DrawEdgeLines(canvas, r, vcl::clMenu, vcl::clMenu);
}

void TSkPopupForm::PaintBackground()
{
    if (!popupWindow_ || !popupWindow_->View())
        return;
    vcl::TCanvas* canvas = FormCanvas();
    TSkPopupView* view = popupWindow_->View();
    view->SetOrigin(POINT{0, 0});
    FillRectColor(canvas, GetClientBounds(), vcl::clMenu);
    view->Paint(canvas);
}

void TSkPopupForm::WMActivate(vcl::TMessage&)
{
    // The owner keeps its active caption while the popup is up.
    if (ownerWindow_ && ownerWindow_->HandleAllocated())
        SendMessageA(ownerWindow_->Handle(), WM_NCACTIVATE, 1, 0);
}

// -------------------------------------------------------------- popup view

VCL_IMPLEMENT_CLASS(TSkPopupView, TSkItemView, [](auto&) {})

TSkPopupView::TSkPopupView(TSkPopupWindow* window, TSkCustomItem* root, TSkItemView* parentView)
    : TSkItemView(window, root, window->Frame()->FormCanvas(), window, window, koVertical), window_(window)
{
    SetParentView(parentView);
}

void TSkPopupView::SetContentSize(SIZE size)
{
    TSkPopupForm* frame = window_->Frame();
    window_->SetBounds(window_->Left(), window_->Top(), kProbeSize, kProbeSize);
    // The frame may have limited the probe to its largest size: what it
    // took, less the client area, is the border.
    const RECT client = frame->GetFrameClientRect();
    const int shadow = frame->Shadow()->Enabled() ? frame->Shadow()->Size() : 0;
    const int borderWidth = frame->FrameWidth() - (client.right - client.left);
    const int borderHeight = frame->FrameHeight() - (client.bottom - client.top);
    window_->SetBounds(window_->Left(), window_->Top(), size.cx + borderWidth + shadow, size.cy + borderHeight + shadow);
}

void TSkPopupView::MoveTo(POINT point) { window_->SetBounds(point.x, point.y, window_->Width(), window_->Height()); }

void TSkPopupView::InvalidateAll()
{
    if (!window_->HandleAllocated())
        return;
    window_->Invalidate();
    window_->Frame()->PaintFrame();
}

void TSkPopupView::DrawAtOnce(const RECT& rect, const std::function<void(vcl::TCanvas*)>& draw, TSkCustomItem* item)
{
    TSkPopupForm* frame = window_->Frame();
    if (!window_->HandleAllocated() || RectIsEmpty(rect))
        return;
    if ((frame->Performance() != ksfpNoBuffer || frame->Blending()->Enabled()) && item && item->Parent()) {
        // Only this item repaints: the background painting passes over the rest.
        item->Parent()->SetPaintSuppressed(true);
        item->SetPaintSuppressed(false);
        try {
            frame->PaintRect(rect);
        } catch (...) {
            item->Parent()->SetPaintSuppressed(false);
            throw;
        }
        item->Parent()->SetPaintSuppressed(false);
        return;
    }
    draw(frame->FormCanvas());
}

void TSkPopupView::InvalidateItem(TSkCustomItem* item)
{
    if (!item)
        return;
    const RECT r = GetItemRect(item);
    DrawAtOnce(
        r, [&](vcl::TCanvas* canvas) { item->DrawItem(canvas, this, !Tracking(), item == Selected(), r); }, item);
}

void TSkPopupView::InvalidateScroller(int which)
{
    const RECT r = GetScrollerRect(which);
    DrawAtOnce(
        r, [&](vcl::TCanvas* canvas) { Root()->DrawScroller(canvas, ScrollDirection() == which, which, r); }, nullptr);
}

// ------------------------------------------------------------ popup window

VCL_IMPLEMENT_CLASS(TSkPopupWindow, vcl::TForm,
                    [](auto& b) { b.Message(vcl::CM_SHOWINGCHANGED, &TSkPopupWindow::CMShowingChanged); })

TSkPopupWindow::TSkPopupWindow(vcl::TComponent* owner, TSkItemView* parentView, TSkCustomItem* item,
                               FormMaker makeForm)
    : vcl::TForm(owner)
{
    SetDefaultMonitor(vcl::dmMainForm);
    frame_ = makeForm ? makeForm(this) : CreatePopupForm();
    frame_->Loaded();
    frame_->SetPopupWindow(this);
    frame_->SetStayOnTop(true);
    TSkPopupMenuOptions* options = item->MenuOptions();
    if (options) {
        frame_->Blending()->Assign(options->Blending());
        frame_->Shadow()->Assign(options->Shadow());
    }
    if (auto* ownerOwner = owner ? dynamic_cast<vcl::TWinControl*>(owner->Owner()) : nullptr)
        frame_->SetOwnerWindow(ownerOwner);
    else
        frame_->SetOwnerWindow(dynamic_cast<vcl::TWinControl*>(owner));
    if (!item->MenuRunMark() || (item->AnimateNext() && options)) {
        if (options)
            frame_->Animation()->Assign(options->Animation());
        TSkCustomItem* marked = item->Parent() ? item->Parent() : item;
        marked->SetAnimateNext(false);
    }
    view_ = new TSkPopupView(this, item, parentView);
    SetCursor(vcl::crDefault);
}

TSkPopupWindow::~TSkPopupWindow()
{
    delete view_;
    view_ = nullptr;
    delete frame_;
    frame_ = nullptr;
}

TSkPopupForm* TSkPopupWindow::CreatePopupForm() { return new TSkPopupForm(this); }

void TSkPopupWindow::CreateParams(vcl::TCreateParams& params)
{
    vcl::TForm::CreateParams(params);
    params.ExStyle |= WS_EX_TOPMOST | WS_EX_TOOLWINDOW;
}

void TSkPopupWindow::CMShowingChanged(vcl::TMessage&)
{
    // The popup never takes the activation from the window it belongs to.
    constexpr UINT kShow = SWP_NOSIZE | SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_SHOWWINDOW;
    constexpr UINT kHide = SWP_NOSIZE | SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_HIDEWINDOW;
    SetWindowPos(Handle(), nullptr, 0, 0, 0, 0, Showing() ? kShow : kHide);
}

void TSkPopupWindow::LayoutView()
{
    if (view_ && frame_)
        view_->Layout();
}

bool TSkPopupWindow::TrackView() { return view_->Track(); }

}  // namespace skin
