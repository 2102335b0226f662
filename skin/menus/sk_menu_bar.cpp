#include "skin/menus/sk_menu_bar.h"

#include "platform/vcl/forms.h"
#include "skin/controls/sk_control_bar.h"
#include "skin/forms/sk_custom_form.h"
#include "skin/graphics/sk_canvas.h"
#include "skin/graphics/sk_theme.h"

namespace skin {

// -------------------------------------------------------------- bar view

VCL_IMPLEMENT_CLASS(TSkMenuBarView, TSkItemView, [](auto&) {})

TSkMenuBarView::TSkMenuBarView(TSkCustomMenuBar* bar, TSkCustomItem* root)
    : TSkItemView(bar, root, bar->Canvas(), bar, bar, koHorizontal), bar_(bar)
{
}

void TSkMenuBarView::SetContentSize(SIZE size)
{
    if (!bar_->AutoSize())
        return;
    const RECT content = bar_->GetContentRect();
    const int height = size.cy + (bar_->Height() - (content.bottom - content.top));
    bar_->SetBounds(bar_->Left(), bar_->Top(), bar_->Width(), height);
}

void TSkMenuBarView::InvalidateAll() { bar_->Invalidate(); }

void TSkMenuBarView::InvalidateItem(TSkCustomItem* item)
{
    if (!item)
        return;
    if (bar_->Performance() != kspNoBuffer || bar_->OnControlBar() || !bar_->HandleAllocated()) {
        bar_->Invalidate();
        return;
    }
    const RECT r = GetItemRect(item);
    vcl::TCanvas canvas;
    HDC dc = GetDC(bar_->Handle());
    canvas.SetHandle(dc);
    item->DrawItem(&canvas, this, !Tracking(), item == Selected(), r);
    canvas.SetHandle(nullptr);
    ReleaseDC(bar_->Handle(), dc);
}

// ---------------------------------------------------------------- the bar

VCL_IMPLEMENT_CLASS(TSkCustomMenuBar, TSkCustomControl, [](auto& b) {
    using T = TSkCustomMenuBar;
    b.Component();
    b.Bool("AutoSize", &T::AutoSize, &T::SetAutoSize, true);
    b.Object("Images", &T::Images, &T::SetImages);
    b.Object("Items", &T::Items);
    b.Object("PopupMenuOptions", &T::PopupMenuOptions, &T::SetPopupMenuOptions);
    b.Bool("ShowBevel", &T::ShowBevel, &T::SetShowBevel, false);
    b.Message(WM_LBUTTONDOWN, &T::WMLButtonDown);
    b.Message(vcl::CM_MOUSELEAVE, &T::CMMouseLeave2);
    b.Message(vcl::CM_DIALOGCHAR, &T::CMDialogChar);
})

TSkCustomMenuBar::TSkCustomMenuBar(vcl::TComponent* owner) : TSkCustomControl(owner)
{
    RegisterItemContainer(StaticClass(), [](vcl::TComponent* container, TSkCustomItem* item) {
        static_cast<TSkCustomMenuBar*>(container)->AddItem(container, item);
    });
    controlStyle_.Include(vcl::csActionClient);
    options_ = new TSkPopupMenuOptions();
    items_ = CreateItem(this);
    items_->SetParentComponentValue(this);
    if (!ComponentState().Contains(vcl::csDesigning))
        items_->OnChangeNotify = [this](vcl::TObject* s) { ItemsChanged(s); };
    view_ = new TSkMenuBarView(this, items_);
    SetColor(vcl::clMenu);
    SetParentColor(false);
    SetHeight(GetSystemMetrics(SM_CYMENU));
    if (!ComponentState().Contains(vcl::csLoading))
        layoutGuard_ = false;
}

TSkCustomMenuBar::~TSkCustomMenuBar()
{
    items_->SetMenuOptions(nullptr);
    items_->OnChangeNotify = nullptr;
    delete view_;
    view_ = nullptr;
    delete items_;
    delete options_;
    UnregisterItemContainer(StaticClass());
}

TSkCustomItem* TSkCustomMenuBar::CreateItem(vcl::TComponent* owner) { return new TSkCustomItem(owner); }

void TSkCustomMenuBar::AddItem(vcl::TComponent* container, TSkCustomItem* item)
{
    static_cast<TSkCustomMenuBar*>(container)->items_->Add(item);
}

void TSkCustomMenuBar::SetPopupMenuOptions(TSkPopupMenuOptions* v)
{
    options_->Assign(v);
    items_->SetMenuOptions(options_);
}

void TSkCustomMenuBar::SetShowBevel(bool v)
{
    if (v == showBevel_)
        return;
    showBevel_ = v;
    Invalidate();
}

bool TSkCustomMenuBar::OnControlBar() const { return dynamic_cast<TSkCustomControlBar*>(Parent()) != nullptr; }

void TSkCustomMenuBar::Loaded()
{
    TSkCustomControl::Loaded();
    items_->SetMenuOptions(options_);
    items_->SetToolbarLook(OnControlBar());
    vcl::TCustomForm* form = dynamic_cast<vcl::TCustomForm*>(Owner());
    if (!ComponentState().Contains(vcl::csDesigning) && form && form->FormStyle() == vcl::fsMDIForm) {
        static const int kKinds[4] = {4, 3, 2, 1};
        for (int i = 0; i < 4; ++i) {
            TSkCustomItem* item = CreateItem(Owner());
            item->SetKind(kKinds[i]);
            item->SetVisible(false);
            item->OnClick = [this](vcl::TObject* s) { WindowButtonClick(s); };
            item->FreeNotification(this);
            windowButtons_[i] = item;
            windowButtonsGuard_ = true;
            if (i == 0)
                items_->Insert(0, item);
            else
                items_->Add(item);
            windowButtonsGuard_ = false;
        }
    }
    layoutGuard_ = false;
    view_->Layout();
    items_->SetBiDiMode(static_cast<std::uint8_t>(BiDiMode()));
}

void TSkCustomMenuBar::ItemsChanged(vcl::TObject*)
{
    const vcl::TComponentState state = ComponentState();
    if (state.Contains(vcl::csLoading) || state.Contains(vcl::csDestroying) || windowButtonsGuard_)
        return;
    Rebuild();
}

void TSkCustomMenuBar::Rebuild()
{
    items_->SetMenuOptions(options_);
    if (auto* window = dynamic_cast<vcl::TWinControl*>(Owner()))
        items_->SetOwnerWindow(window);
    items_->SetToolbarLook(OnControlBar());
    view_->Layout();
    Invalidate();
}

// The window buttons belong to the form and may be freed with it or by it;
// a freed frame of a maximized child takes its buttons' target with it.
void TSkCustomMenuBar::Notification(vcl::TComponent* component, vcl::TOperation operation)
{
    TSkCustomControl::Notification(component, operation);
    if (operation != vcl::opRemove || !component)
        return;
    for (TSkCustomItem*& item : windowButtons_)
        if (item == component)
            item = nullptr;
    if (component == windowForm_) {
        windowForm_ = nullptr;
        if (!ComponentState().Contains(vcl::csDestroying))
            HideWindowButtons();
    }
}

RECT TSkCustomMenuBar::GetContentRect()
{
    RECT r{0, 0, ClientWidth(), ClientHeight()};
    if (Align() == vcl::alTop)
        r.bottom -= 2;
    else if (Align() == vcl::alBottom)
        r.top += 2;
    return r;
}

void TSkCustomMenuBar::GetChildren(const vcl::TGetChildProc& proc, vcl::TComponent* root)
{
    for (int i = 0; i < items_->Count(); ++i)
        if (items_->Items(i)->Kind() == 0)
            proc(items_->Items(i));
    TSkCustomControl::GetChildren(proc, root);
}

void TSkCustomMenuBar::SetBounds(int left, int top, int width, int height)
{
    if (!view_ || layoutGuard_ || autoSize_) {
        TSkCustomControl::SetBounds(left, top, width, height);
        if (view_ && !layoutGuard_) {
            layoutGuard_ = true;
            autoSize_ = false;
            view_->Layout();
            layoutGuard_ = false;
            autoSize_ = true;
        }
        return;
    }
    layoutGuard_ = true;
    TSkCustomControl::SetBounds(left, top, width, height);
    view_->Layout();
    layoutGuard_ = false;
}

void TSkCustomMenuBar::InitiateAction()
{
    TSkCustomControl::InitiateAction();
    if (view_)
        view_->UpdateActions();
}

void TSkCustomMenuBar::MouseMove(vcl::TShiftState shift, int x, int y)
{
    TSkCustomControl::MouseMove(shift, x, y);
    view_->TrackMouse(ClientToScreen(POINT{x, y}));
}

void TSkCustomMenuBar::CMMouseLeave2(vcl::TMessage& m)
{
    DispatchFrom(StaticClass()->ClassParent(), m);
    view_->TrackMouse(POINT{-1, -1});
}

void TSkCustomMenuBar::WMLButtonDown(vcl::TMessage& m)
{
    DispatchFrom(StaticClass()->ClassParent(), m);
    const POINT p{GET_X_LPARAM(m.LParam), GET_Y_LPARAM(m.LParam)};
    for (int i = 0; i < items_->Count(); ++i) {
        const RECT r = view_->GetItemRect(items_->Items(i));
        if (PtInRect(&r, p)) {
            TrackMenu();
            return;
        }
    }
}

bool TSkCustomMenuBar::TrackMenu()
{
    items_->SetAnimateNext(true);
    items_->SetMenuRunMark(true);
    view_->InvalidateAll();
    return view_->Track();
}

void TSkCustomMenuBar::CMDialogChar(vcl::TMessage& m)
{
    const char ch = static_cast<char>(m.WParam);
    if (ch != 0 && (m.LParam & (1 << 29)) && items_->FindAccel(ch) && Parent()) {
        PostMessageA(Parent()->Handle(), WM_CHAR, m.WParam, 0);
        TrackMenu();
        m.Result = 1;
        return;
    }
    DispatchFrom(StaticClass()->ClassParent(), m);
}

bool TSkCustomMenuBar::IsShortCut(const vcl::TMessage& keyMessage) { return items_->IsShortCut(keyMessage); }

void TSkCustomMenuBar::SetWindowButtonsVisible(bool visible, TSkCustomForm* form)
{
    windowButtonsGuard_ = true;
    for (TSkCustomItem* item : windowButtons_)
        if (item)
            item->SetVisible(visible);
    windowButtonsGuard_ = false;
    if (windowForm_ && windowForm_ != form)
        windowForm_->RemoveFreeNotification(this);
    windowForm_ = form;
    if (form)
        form->FreeNotification(this);
    items_->SetWindowForm(form);
    view_->Layout();
    Invalidate();
}

void TSkCustomMenuBar::ShowWindowButtons(TSkCustomForm* form) { SetWindowButtonsVisible(true, form); }

void TSkCustomMenuBar::HideWindowButtons() { SetWindowButtonsVisible(false, nullptr); }

void TSkCustomMenuBar::WindowButtonClick(vcl::TObject* sender)
{
    auto* item = dynamic_cast<TSkCustomItem*>(sender);
    if (!windowForm_ || !item)
        return;
    switch (item->Kind()) {
    case 1: windowForm_->Close(); break;
    case 2: windowForm_->Restore(); break;
    case 3: windowForm_->Minimize(); break;
    case 4:
        windowForm_->ShowSystemMenu();
        view_->TrackMouse(ClientToScreen(POINT{-1, -1}));
        break;
    default: break;
    }
}

// On a control bar the bar shows the control bar's background under its
// titles, lined up with it, as a toolbar does.
void TSkCustomMenuBar::PaintControlBarBackground()
{
    vcl::TCanvas* canvas = Canvas();
    vcl::TWinControl* parent = Parent();
    if (ThemesActive()) {
        if (HTHEME theme = ThemeApi().OpenThemeData(nullptr, u"Rebar")) {
            const RECT parentClient{-Left(), -Top(), parent->ClientWidth() - Left(), parent->ClientHeight() - Top()};
            ThemeApi().DrawThemeBackground(theme, canvas->Handle(), 0, 0, &parentClient, nullptr);
            ThemeApi().CloseThemeData(theme);
            return;
        }
    }
    FillRectColor(canvas, RECT{0, 0, Width(), Height()}, parent->Color());
}

void TSkCustomMenuBar::PaintClient()
{
    if (OnControlBar())
        PaintControlBarBackground();
    else
        TSkCustomControl::PaintClient();
    vcl::TCanvas* canvas = Canvas();
    const RECT content = GetContentRect();
    view_->SetOrigin(POINT{content.left, content.top});
    view_->Paint(canvas);
    if (!showBevel_)
        return;
    const RECT client{0, 0, ClientWidth(), ClientHeight()};
    const bool themes = ThemesActive();
    if (Align() == vcl::alTop) {
        if (themes)
            FillRectCoords(canvas, 0, client.bottom - 1, client.right, client.bottom, vcl::clHighlight);
        else
            DrawEdgeLines(canvas, RECT{0, client.bottom - 2, client.right, client.bottom}, vcl::clBtnShadow,
                          vcl::clBtnHighlight);
    } else if (Align() == vcl::alBottom) {
        if (themes)
            FillRectCoords(canvas, 0, 0, client.right, 1, vcl::clHighlight);
        else
            DrawEdgeLines(canvas, RECT{0, 0, client.right, 2}, vcl::clBtnShadow, vcl::clBtnHighlight);
    }
}

}  // namespace skin
