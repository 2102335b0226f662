#include "skin/menus/sk_item_view.h"

#include <algorithm>

#include "platform/vcl/forms.h"
#include "skin/graphics/sk_canvas.h"
#include "skin/graphics/sk_system.h"
#include "skin/menus/sk_menu_resources.h"

namespace skin {

namespace {

constexpr int kScrollerHeight = 10;
constexpr UINT kScrollInterval = 100;

bool IsWindowButton(const TSkCustomItem* item) { return item->Kind() >= 1 && item->Kind() <= 4; }

RECT ToScreen(vcl::TControl* host, RECT r)
{
    const POINT a = host->ClientToScreen(POINT{r.left, r.top});
    const POINT b = host->ClientToScreen(POINT{r.right, r.bottom});
    return RECT{a.x, a.y, b.x, b.y};
}

}  // namespace

VCL_IMPLEMENT_CLASS(TSkItemView, vcl::TComponent, [](auto&) {})

TSkItemView::TSkItemView(vcl::TComponent* owner, TSkCustomItem* root, vcl::TCanvas* canvas, vcl::TControl* sizeHost,
                         vcl::TWinControl* eventHost, TSkOrientation orientation)
    : vcl::TComponent(owner),
      root_(root),
      orientation_(orientation),
      sizeHost_(sizeHost),
      eventHost_(eventHost),
      canvas_(canvas)
{
    if (root_)
        root_->FreeNotification(this);
}

TSkItemView::~TSkItemView() { delete scrollTimer_; }

POINT& TSkItemView::LastMousePos()
{
    static POINT last{0, 0};
    return last;
}

bool TSkItemView::Scrolling() const { return root_ && root_->Scrolled() && root_->ScrollCount() > 0; }

int TSkItemView::ShownCount() const
{
    if (!root_)
        return 0;
    if (Scrolling())
        return std::min(root_->ScrollCount(), root_->Count() - root_->TopIndex());
    return root_->Count();
}

// A view lives across messages while its items may be freed by anyone (a
// rebuilt menu, a freed action's item); it must never paint or hit a freed
// one, so it forgets its root and selected item when they go.
void TSkItemView::Notification(vcl::TComponent* component, vcl::TOperation operation)
{
    vcl::TComponent::Notification(component, operation);
    if (operation != vcl::opRemove || !component)
        return;
    if (component == selected_)
        selected_ = nullptr;
    if (component == root_)
        root_ = nullptr;
}

void TSkItemView::Keep(TSkCustomItem* item)
{
    if (item == selected_)
        return;
    if (selected_ && selected_ != root_)
        selected_->RemoveFreeNotification(this);
    selected_ = item;
    if (item)
        item->FreeNotification(this);
}

void TSkItemView::SetContentSize(SIZE) {}
void TSkItemView::MoveTo(POINT) {}
void TSkItemView::InvalidateAll() {}
void TSkItemView::InvalidateItem(TSkCustomItem*) {}
void TSkItemView::InvalidateScroller(int) {}

void TSkItemView::UpdateActions()
{
    if (!root_)
        return;
    for (int i = 0; i < root_->Count(); ++i)
        root_->Items(i)->InitiateAction();
}

// -------------------------------------------------------------- layout

void TSkItemView::ComputeRects(TSkCustomItem* asked)
{
    if (!root_ || !asked)
        return;
    if (!asked->Visible()) {
        asked->SetItemRect(RECT{});
        return;
    }
    if (IsWindowButton(asked)) {
        int w = 0, h = 0;
        asked->MeasureItem(canvas_, this, h, w);
        const int width = sizeHost_ ? sizeHost_->Width() : 0;
        RECT r{};
        switch (asked->Kind()) {
        case 1: r = RECT{width - w, 0, width, h}; break;
        case 2: r = RECT{width - 2 * w, 0, width - w, h}; break;
        case 3: r = RECT{width - 3 * w, 0, width - 2 * w, h}; break;
        default: r = RECT{0, 0, w, h}; break;
        }
        OffsetRect(&r, origin_.x, origin_.y);
        asked->SetItemRect(r);
        return;
    }
    const int top = root_->TopIndex();
    const int n = ShownCount();
    int x = 0, y = 0;
    const int shift = (Scrolling() && orientation_ == koVertical) ? kScrollerHeight : 0;
    std::vector<TSkCustomItem*> rows;
    for (int i = 0; i < root_->Count(); ++i) {
        TSkCustomItem* child = root_->Items(i);
        // A shown system-icon button takes its place in the row before the
        // titles; the other window buttons sit at the right, after them.
        if (!child->Visible() || (IsWindowButton(child) && (child->Kind() != 4 || orientation_ == koVertical)))
            continue;
        int w = 0, h = 0;
        child->MeasureItem(canvas_, this, h, w);
        if (orientation_ == koVertical) {
            x = std::max(x, w);
            if (i >= top && i <= top + n) {
                y += h;
                child->SetItemRect(RECT{origin_.x, origin_.y + y - h + shift, origin_.x + x, origin_.y + y + shift});
                rows.push_back(child);
            }
        } else {
            y = std::max(y, h);
            x += w;
            if (child == asked)
                child->SetItemRect(RECT{origin_.x + x - w, origin_.y, origin_.x + x, origin_.y + h});
        }
    }
    if (orientation_ == koVertical) {
        for (TSkCustomItem* row : rows) {
            RECT r = row->ItemRect();
            r.right = origin_.x + x;
            row->SetItemRect(r);
        }
    }
}

void TSkItemView::Layout()
{
    if (!root_)
        return;
    const int n = ShownCount();
    if (canvas_ && MenuResources().MenuFont)
        canvas_->Font()->Assign(MenuResources().MenuFont);
    for (int i = 0; i < root_->Count(); ++i)
        root_->Items(i)->SetItemRect(RECT{});
    SIZE size{0, (Scrolling() && orientation_ == koVertical) ? 2 * kScrollerHeight : 0};
    const int top = root_->TopIndex();
    for (int i = top; i < std::min(root_->Count(), top + n); ++i) {
        TSkCustomItem* child = root_->Items(i);
        if (!child->Visible())
            continue;
        const RECT r = GetItemRect(child);
        const int w = r.right - r.left;
        const int h = r.bottom - r.top;
        if (orientation_ == koVertical) {
            size.cx = std::max<LONG>(size.cx, w);
            size.cy += h;
        } else {
            size.cy = std::max<LONG>(size.cy, h);
            if (!IsWindowButton(child))
                size.cx += w;
        }
    }
    SetContentSize(size);
    contentSize_ = size;
}

RECT TSkItemView::GetItemRect(TSkCustomItem* item)
{
    if (!item)
        return RECT{};
    if (RectIsEmpty(item->ItemRect()))
        ComputeRects(item);
    return item->ItemRect();
}

RECT TSkItemView::GetScrollerRect(int which)
{
    if (!Scrolling() || orientation_ != koVertical)
        return RECT{};
    if (which == 1)
        return RECT{origin_.x, origin_.y, origin_.x + contentSize_.cx, origin_.y + kScrollerHeight};
    return RECT{origin_.x, origin_.y + contentSize_.cy - kScrollerHeight, origin_.x + contentSize_.cx,
                origin_.y + contentSize_.cy};
}

void TSkItemView::Paint(vcl::TCanvas* canvas)
{
    if (!root_ || !canvas)
        return;
    const int n = ShownCount();
    if (MenuResources().MenuFont)
        canvas->Font()->Assign(MenuResources().MenuFont);
    if (Scrolling() && orientation_ == koVertical) {
        root_->DrawScroller(canvas, scrollDirection_ == 1, 1, GetScrollerRect(1));
        root_->DrawScroller(canvas, scrollDirection_ == 2, 2, GetScrollerRect(2));
    }
    const int top = root_->TopIndex();
    for (int i = top; i < std::min(root_->Count(), top + n); ++i) {
        TSkCustomItem* child = root_->Items(i);
        if (child->Visible() && !child->PaintSuppressed())
            child->DrawItem(canvas, this, !tracking_, child == selected_, GetItemRect(child));
    }
}

// ----------------------------------------------------------- selection

void TSkItemView::Select(TSkCustomItem* item)
{
    if (item == selected_)
        return;
    TSkCustomItem* old = selected_;
    Keep(item);
    if (old)
        InvalidateItem(old);
    if (item)
        InvalidateItem(item);
    vcl::Application->SetHint(item ? item->Hint() : vcl::AnsiString());
}

void TSkItemView::TrackMouse(POINT screenPoint)
{
    if (!eventHost_ || !root_)
        return;
    const POINT p = eventHost_->ScreenToClient(screenPoint);
    if (!tracking_) {
        Select(nullptr);
        vcl::Application->SetHint("");
    }
    if (Scrolling() && orientation_ == koVertical) {
        const RECT up = GetScrollerRect(1);
        const RECT down = GetScrollerRect(2);
        if (PtInRect(&up, p)) {
            scrollDirection_ = 1;
            InvalidateScroller(1);
            StartScroll();
        } else if (PtInRect(&down, p)) {
            scrollDirection_ = 2;
            InvalidateScroller(2);
            StartScroll();
        } else if (scrollDirection_ != 0) {
            StopScroll();
            InvalidateScroller(1);
            InvalidateScroller(2);
        }
    }
    const int top = root_->TopIndex();
    const int n = ShownCount();
    for (int i = top; i < std::min(root_->Count(), top + n); ++i) {
        TSkCustomItem* child = root_->Items(i);
        if (!child->Visible())
            continue;
        const RECT r = GetItemRect(child);
        if (PtInRect(&r, p)) {
            Select(child);
            return;
        }
    }
}

void TSkItemView::StartScroll()
{
    if (submenuOpen_ && childView_)
        PostKey(childView_->EventHost(), VK_ESCAPE);
    if (!scrollTimer_) {
        scrollTimer_ = new vcl::TTimer(nullptr);
        scrollTimer_->SetInterval(kScrollInterval);
        scrollTimer_->OnTimer = [this](vcl::TObject* s) { ScrollTimer(s); };
        scrollTimer_->SetEnabled(true);
    }
}

void TSkItemView::StopScroll()
{
    delete scrollTimer_;
    scrollTimer_ = nullptr;
    scrollDirection_ = 0;
}

void TSkItemView::ScrollTimer(vcl::TObject*)
{
    if (scrollDirection_ == 1 && root_->TopIndex() > 0)
        SelectPrev();
    else if (scrollDirection_ == 2 && root_->TopIndex() + root_->ScrollCount() < root_->Count())
        SelectNext();
}

void TSkItemView::SelectNext()
{
    if (!root_ || root_->Count() == 0)
        return;
    const int count = root_->Count();
    int index = selected_ ? root_->IndexOf(selected_) : -1;
    // At most one pass: a view without a selectable child keeps its state.
    TSkCustomItem* found = nullptr;
    for (int step = 0; step < count; ++step) {
        index = (index + 1) % count;
        TSkCustomItem* child = root_->Items(index);
        if (child->Visible() && !child->IsSeparator()) {
            found = child;
            break;
        }
    }
    if (!found)
        return;
    if (Scrolling()) {
        const int b = root_->IndexOf(found);
        if (b == 0 && root_->TopIndex() != 0) {
            root_->SetTopIndex(0);
            Layout();
            InvalidateAll();
        } else if (b >= root_->TopIndex() + root_->ScrollCount()) {
            root_->SetTopIndex(b - root_->ScrollCount() + 1);
            Layout();
            InvalidateAll();
        }
    }
    Select(found);
    if (submenuOpen_)
        OpenSubmenu();
}

void TSkItemView::SelectPrev()
{
    if (!root_ || root_->Count() == 0)
        return;
    const int count = root_->Count();
    int index = selected_ ? root_->IndexOf(selected_) : count;
    TSkCustomItem* found = nullptr;
    bool wrapped = false;
    for (int step = 0; step < count; ++step) {
        if (index <= 0) {
            index = count;
            wrapped = true;
        }
        --index;
        TSkCustomItem* child = root_->Items(index);
        if (child->Visible() && !child->IsSeparator()) {
            found = child;
            break;
        }
    }
    if (!found)
        return;
    if (Scrolling()) {
        const int b = root_->IndexOf(found);
        if (wrapped && b >= root_->TopIndex() + root_->ScrollCount()) {
            root_->SetTopIndex(std::max(0, count - root_->ScrollCount()));
            Layout();
            InvalidateAll();
        } else if (b < root_->TopIndex()) {
            root_->SetTopIndex(b);
            Layout();
            InvalidateAll();
        }
    }
    Select(found);
    if (submenuOpen_)
        OpenSubmenu();
}

bool TSkItemView::HasSubmenu() const { return selected_ && selected_->Count() > 0; }

POINT TSkItemView::GetSubmenuPoint()
{
    const RECT r = GetItemRect(selected_);
    const POINT p = orientation_ == koHorizontal ? POINT{r.left, r.bottom} : POINT{r.right, r.top};
    return eventHost_ ? eventHost_->ClientToScreen(p) : p;
}

bool TSkItemView::OpenSubmenu()
{
    if (!selected_ || !selected_->Enabled() || selected_->Count() == 0 || scrollTimer_)
        return false;
    const RECT screen = ToScreen(eventHost_, GetItemRect(selected_));
    submenuOpen_ = true;
    const POINT p = GetSubmenuPoint();
    selected_->Popup(this, p.x, p.y, screen);
    return true;
}

void TSkItemView::CloseChain()
{
    for (TSkItemView* v = this; v; v = v->parentView_) {
        v->tracking_ = false;
        v->Keep(nullptr);
        v->submenuOpen_ = false;
        v->InvalidateAll();
    }
}

void TSkItemView::PostKey(vcl::TWinControl* host, WPARAM key)
{
    if (host && host->HandleAllocated())
        PostMessageA(host->Handle(), WM_KEYDOWN, key, 0);
}

// --------------------------------------------------------------- tracking

bool TSkItemView::InSelectedOfChain(POINT screenPoint)
{
    for (TSkItemView* v = this; v; v = v->parentView_) {
        if (!v->selected_ || !v->eventHost_)
            continue;
        const POINT p = v->eventHost_->ScreenToClient(screenPoint);
        const RECT r = v->GetItemRect(v->selected_);
        if (PtInRect(&r, p))
            return true;
    }
    return false;
}

// True when the loop must end.
bool TSkItemView::HandleMouseMove(POINT screenPoint)
{
    if (screenPoint.x == LastMousePos().x && screenPoint.y == LastMousePos().y)
        return false;
    TSkItemView* top = this;
    while (top->parentView_)
        top = top->parentView_;
    for (TSkItemView* v = top; v; v = v->childView_) {
        TSkCustomItem* before = v->selected_;
        v->TrackMouse(screenPoint);
        if (v != this && v->selected_ != before && v->selected_) {
            for (TSkItemView* w = this; w && w != v; w = w->parentView_)
                PostKey(w->eventHost_, VK_ESCAPE);
            if (v->eventHost_ && v->eventHost_->HandleAllocated())
                PostMessageA(v->eventHost_->Handle(), SK_OPENSUBMENU, 0, 0);
            return true;
        }
        if (v == this)
            break;
    }
    LastMousePos() = screenPoint;
    return false;
}

void TSkItemView::HandleKey(const MSG& msg, bool& endLoop)
{
    const WPARAM key = msg.wParam;
    const bool vertical = orientation_ == koVertical;
    switch (key) {
    case VK_TAB:
    case VK_SPACE: break;
    case VK_RETURN: {
        TSkCustomItem* item = selected_;
        if (item)
            item->Click();
        const bool opened = OpenSubmenu();
        if (!opened && item && item->Enabled() && !item->IsSeparator())
            CloseChain();
        break;
    }
    case VK_ESCAPE:
        if (parentView_)
            parentView_->submenuOpen_ = false;
        Keep(nullptr);
        InvalidateAll();
        endLoop = true;
        break;
    case VK_MENU:
    case VK_F10: CloseChain(); break;
    case VK_LEFT:
        if (!vertical) {
            SelectPrev();
        } else if (parentView_ && parentView_->orientation_ == koHorizontal) {
            PostKey(parentView_->eventHost_, VK_LEFT);
            endLoop = true;
        } else if (parentView_) {
            PostKey(eventHost_, VK_ESCAPE);
        }
        break;
    case VK_RIGHT:
        if (!vertical) {
            SelectNext();
        } else if (parentView_) {
            if (!OpenSubmenu()) {
                if (parentView_->orientation_ == koHorizontal) {
                    PostKey(parentView_->eventHost_, VK_RIGHT);
                    endLoop = true;
                } else {
                    PostKey(eventHost_, VK_ESCAPE);
                }
            }
        }
        break;
    case VK_UP:
        if (vertical)
            SelectPrev();
        break;
    case VK_DOWN:
        if (vertical)
            SelectNext();
        else
            OpenSubmenu();
        break;
    default: TranslateMessage(&msg); break;
    }
}

bool TSkItemView::Track()
{
    tracking_ = true;
    SetCursor(LoadCursorA(nullptr, IDC_ARROW));
    if (root_ && root_->Count() > 0) {
        int index = root_->TopIndex();
        if (index < 0 || index >= root_->Count())
            index = root_->Count() - 1;
        TSkCustomItem* first = root_->Items(index);
        if (IsWindowButton(first) && index + 1 < root_->Count())
            first = root_->Items(index + 1);
        Keep(first);
        InvalidateItem(first);
        POINT cursor{};
        GetCursorPos(&cursor);
        TrackMouse(cursor);
    }
    if (eventHost_)
        CaptureMouse(eventHost_->Handle());
    const HWND captured = GetCapture();
    try {
        bool first = true;
        while (tracking_ && GetCapture() == captured) {
            if (!first)
                WaitMessage();
            first = false;
            MSG msg{};
            bool endLoop = false;
            while (tracking_ && GetCapture() == captured && !endLoop &&
                   PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE)) {
                if (msg.message == WM_QUIT || (msg.message >= WM_NCLBUTTONDOWN && msg.message <= WM_NCMBUTTONDBLCLK)) {
                    CloseChain();
                    break;
                }
                if (msg.message == WM_WINDOWPOSCHANGING) {
                    CloseChain();
                    endLoop = true;
                    break;
                }
                if (msg.message == WM_LBUTTONDOWN) {
                    POINT screen{GET_X_LPARAM(msg.lParam), GET_Y_LPARAM(msg.lParam)};
                    ClientToScreen(msg.hwnd, &screen);
                    const POINT p = eventHost_->ScreenToClient(screen);
                    const RECT own = GetItemRect(selected_);
                    if (selected_ && PtInRect(&own, p)) {
                        PostKey(eventHost_, VK_RETURN);
                        PeekMessageA(&msg, nullptr, WM_LBUTTONDOWN, WM_LBUTTONDOWN, PM_REMOVE);
                    } else if (InSelectedOfChain(screen)) {
                        PeekMessageA(&msg, nullptr, WM_LBUTTONDOWN, WM_LBUTTONDOWN, PM_REMOVE);
                    } else {
                        // The click stays queued for the window under the mouse.
                        CloseChain();
                        endLoop = true;
                    }
                    continue;
                }
                PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE);
                if (msg.message == WM_CONTEXTMENU)
                    continue;
                if (msg.message >= WM_KEYFIRST && msg.message <= WM_SYSDEADCHAR) {
                    if (GetKeyState(VK_LBUTTON) < 0)
                        continue;
                    if (msg.message == WM_KEYDOWN || msg.message == WM_SYSKEYDOWN) {
                        HandleKey(msg, endLoop);
                    } else if (msg.message == WM_CHAR || msg.message == WM_SYSCHAR) {
                        if (TSkCustomItem* found = root_->FindAccel(static_cast<char>(msg.wParam))) {
                            Select(found);
                            InvalidateItem(found);
                            PostKey(eventHost_, VK_RETURN);
                        }
                    }
                    continue;
                }
                if (msg.message >= WM_MOUSEFIRST && msg.message <= WM_MOUSEFIRST + 10) {
                    POINT screen{GET_X_LPARAM(msg.lParam), GET_Y_LPARAM(msg.lParam)};
                    ClientToScreen(msg.hwnd, &screen);
                    if (msg.message == WM_MOUSEMOVE) {
                        if (HandleMouseMove(screen))
                            endLoop = true;
                    } else if (msg.message == WM_LBUTTONUP) {
                        const POINT p = eventHost_->ScreenToClient(screen);
                        const RECT own = GetItemRect(selected_);
                        if (selected_ && PtInRect(&own, p))
                            PostKey(eventHost_, VK_RETURN);
                        else if (!InSelectedOfChain(screen))
                            CloseChain();
                    }
                    continue;
                }
                if (msg.message == SK_OPENSUBMENU) {
                    OpenSubmenu();
                    continue;
                }
                DispatchMessageA(&msg);
            }
            if (endLoop)
                break;
        }
    } catch (...) {
        if (parentView_)
            parentView_->InvalidateAll();
        tracking_ = false;
        ReleaseMouse();
        throw;
    }
    if (parentView_)
        parentView_->InvalidateAll();
    tracking_ = false;
    ReleaseMouse();
    return true;
}

}  // namespace skin
