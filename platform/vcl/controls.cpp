#include "platform/vcl/controls.h"

#include "platform/vcl/actnlist.h"
#include "platform/vcl/dragdock.h"

#include "platform/vcl/forms.h"
#include "platform/vcl/menus.h"

namespace vcl {

const TEnumInfo kAlignInfo{"TAlign", {"alNone", "alTop", "alBottom", "alLeft", "alRight", "alClient"}};
const TEnumInfo kAnchorInfo{"TAnchorKind", {"akLeft", "akTop", "akRight", "akBottom"}};
const TEnumInfo kBiDiModeInfo{"TBiDiMode", {"bdLeftToRight", "bdRightToLeft", "bdRightToLeftNoAlign", "bdRightToLeftReadingOnly"}};
const TEnumInfo kDragModeInfo{"TDragMode", {"dmManual", "dmAutomatic"}};
const TEnumInfo kAlignmentInfo{"TAlignment", {"taLeftJustify", "taRightJustify", "taCenter"}};
const TEnumInfo kScrollStyleInfo{"TScrollStyle", {"ssNone", "ssHorizontal", "ssVertical", "ssBoth"}};
const TEnumInfo kTextLayoutInfo{"TTextLayout", {"tlTop", "tlCenter", "tlBottom"}};
const TEnumInfo kScrollBarKindInfo{"TScrollBarKind", {"sbHorizontal", "sbVertical"}};
const TEnumInfo kImeModeInfo{"TImeMode", {"imDisable", "imClose", "imOpen", "imDontCare", "imSAlpha", "imAlpha", "imHira",
                                          "imSKata", "imKata", "imChinese", "imSHanguel", "imHanguel"}};

namespace {

TControl* g_captureControl = nullptr;

struct CursorName {
    TCursor value;
    const char* name;
};
constexpr CursorName kCursorNames[] = {
    {crDefault, "crDefault"},   {crNone, "crNone"},           {crArrow, "crArrow"},       {crCross, "crCross"},
    {crIBeam, "crIBeam"},       {-5, "crSize"},               {crSizeNESW, "crSizeNESW"}, {crSizeNS, "crSizeNS"},
    {crSizeNWSE, "crSizeNWSE"}, {crSizeWE, "crSizeWE"},       {crUpArrow, "crUpArrow"},   {crHourGlass, "crHourGlass"},
    {crDrag, "crDrag"},         {crNoDrop, "crNoDrop"},       {crHSplit, "crHSplit"},     {crVSplit, "crVSplit"},
    {crMultiDrag, "crMultiDrag"}, {crSQLWait, "crSQLWait"},   {crNo, "crNo"},             {crAppStart, "crAppStart"},
    {crHelp, "crHelp"},         {crHandPoint, "crHandPoint"}, {crSizeAll, "crSizeAll"},
};

}  // namespace

bool CursorToIdent(std::int64_t cursor, std::string& ident)
{
    for (const CursorName& c : kCursorNames) {
        if (c.value == cursor) {
            ident = c.name;
            return true;
        }
    }
    return false;
}

bool IdentToCursor(const std::string& ident, std::int64_t& cursor)
{
    for (const CursorName& c : kCursorNames) {
        if (SameText(ident, c.name)) {
            cursor = c.value;
            return true;
        }
    }
    return false;
}

const TIdentMap* CursorIdentMap()
{
    static const TIdentMap map{CursorToIdent, IdentToCursor};
    return &map;
}

TControl* GetCaptureControl()
{
    if (g_captureControl && !IsLiveObject(g_captureControl))
        g_captureControl = nullptr;
    return g_captureControl;
}

void SetCaptureControl(TControl* control)
{
    g_captureControl = nullptr;
    if (!control) {
        ReleaseCapture();
        return;
    }
    if (auto* win = dynamic_cast<TWinControl*>(control))
        SetCapture(win->Handle());
    else if (control->Parent())
        SetCapture(control->Parent()->Handle());
    else
        return;
    g_captureControl = control;
}

TShiftState KeysToShiftState(WPARAM keys)
{
    TShiftState s;
    if (keys & MK_SHIFT)
        s.Include(ssShift);
    if (keys & MK_CONTROL)
        s.Include(ssCtrl);
    if (keys & MK_LBUTTON)
        s.Include(ssLeft);
    if (keys & MK_RBUTTON)
        s.Include(ssRight);
    if (keys & MK_MBUTTON)
        s.Include(ssMiddle);
    if (GetKeyState(VK_MENU) < 0)
        s.Include(ssAlt);
    return s;
}

TShiftState KeyDataToShiftState(LPARAM keyData)
{
    TShiftState s;
    if (GetKeyState(VK_SHIFT) < 0)
        s.Include(ssShift);
    if (GetKeyState(VK_CONTROL) < 0)
        s.Include(ssCtrl);
    if (keyData & 0x20000000)
        s.Include(ssAlt);
    return s;
}

// ----------------------------------------------------------------- TControl

VCL_IMPLEMENT_CLASS(TControl, TComponent, [](auto& b) {
    b.Int("Left", &TControl::Left, &TControl::SetLeft, std::nullopt);
    b.Int("Top", &TControl::Top, &TControl::SetTop, std::nullopt);
    b.Int("Width", &TControl::Width, &TControl::SetWidth, std::nullopt);
    b.Int("Height", &TControl::Height, &TControl::SetHeight, std::nullopt);
    b.Enum("Align", &kAlignInfo, &TControl::Align, &TControl::SetAlign, std::optional<TAlign>(alNone));
    b.Set("Anchors", &kAnchorInfo, &TControl::Anchors, &TControl::SetAnchors, std::optional<TAnchors>(TAnchors{akLeft, akTop}));
    b.Enum("BiDiMode", &kBiDiModeInfo, &TControl::BiDiMode, &TControl::SetBiDiMode, std::optional<TBiDiMode>(bdLeftToRight));
    // Values that a linked action supplies are not stored with the control.
    b.Str("Caption", &TControl::Caption, &TControl::SetCaption).stored = [](const TObject* o) {
        auto* c = static_cast<const TControl*>(o);
        return !c->Caption().empty() && !c->IsLinked(&TControlActionLink::IsCaptionLinked);
    };
    auto& color = b.Int("Color", &TControl::ColorValue, &TControl::SetColorValue, std::nullopt);
    color.identMap = ColorIdentMap();
    color.stored = [](const TObject* o) { return static_cast<const TControl*>(o)->IsColorStored(); };
    b.Object("Constraints", &TControl::Constraints, &TControl::SetConstraints);
    b.Int("Cursor", &TControl::CursorValue, &TControl::SetCursorValue, crDefault).identMap = CursorIdentMap();
    b.Enum("DragMode", &kDragModeInfo, &TControl::DragMode, &TControl::SetDragMode, std::optional<TDragMode>(dmManual));
    b.Enum("DragKind", &kDragKindInfo, &TControl::DragKind, &TControl::SetDragKind, std::optional<TDragKind>(dkDrag));
    b.Int("DragCursor", &TControl::DragCursorValue, &TControl::SetDragCursorValue, crDrag).identMap = CursorIdentMap();
    b.Bool("Enabled", &TControl::Enabled, &TControl::SetEnabled, true).stored = [](const TObject* o) {
        auto* c = static_cast<const TControl*>(o);
        return !c->Enabled() && !c->IsLinked(&TControlActionLink::IsEnabledLinked);
    };
    b.Object("Font", &TControl::FontValue, &TControl::SetFontValue).stored = [](const TObject* o) {
        return static_cast<const TControl*>(o)->IsFontStored();
    };
    b.Str("Hint", &TControl::Hint, &TControl::SetHint).stored = [](const TObject* o) {
        auto* c = static_cast<const TControl*>(o);
        return !c->Hint().empty() && !c->IsLinked(&TControlActionLink::IsHintLinked);
    };
    b.Object("PopupMenu", &TControl::PopupMenu, &TControl::SetPopupMenu);
    b.Bool("ParentBiDiMode", &TControl::ParentBiDiMode, &TControl::SetParentBiDiMode, true);
    b.Bool("ParentColor", &TControl::ParentColor, &TControl::SetParentColor, true);
    b.Bool("ParentFont", &TControl::ParentFont, &TControl::SetParentFont, true);
    b.Bool("ParentShowHint", &TControl::ParentShowHint, &TControl::SetParentShowHint, true);
    b.Bool("ShowHint", &TControl::ShowHint, &TControl::SetShowHint, false).stored = [](const TObject* o) {
        return !static_cast<const TControl*>(o)->ParentShowHint();
    };
    b.Bool("Visible", &TControl::Visible, &TControl::SetVisible, true).stored = [](const TObject* o) {
        auto* c = static_cast<const TControl*>(o);
        return !c->Visible() && !c->IsLinked(&TControlActionLink::IsVisibleLinked);
    };
    b.Event("OnClick", &TControl::OnClick).stored = [](const TObject* o) {
        auto* c = static_cast<const TControl*>(o);
        return !c->OnClick.methodName.empty() && !c->IsLinked(&TControlActionLink::IsOnExecuteLinked);
    };
    b.Event("OnCanResize", &TControl::OnCanResize);
    b.Event("OnConstrainedResize", &TControl::OnConstrainedResize);
    b.Event("OnDblClick", &TControl::OnDblClick);
    b.Event("OnMouseDown", &TControl::OnMouseDown);
    b.Event("OnMouseMove", &TControl::OnMouseMove);
    b.Event("OnMouseUp", &TControl::OnMouseUp);
    b.Event("OnResize", &TControl::OnResize);
    b.Event("OnStartDrag", &TControl::OnStartDrag);
    b.Event("OnEndDrag", &TControl::OnEndDrag);
    b.Event("OnDragOver", &TControl::OnDragOver);
    b.Event("OnDragDrop", &TControl::OnDragDrop);
    b.Event("OnStartDock", &TControl::OnStartDock);
    b.Event("OnEndDock", &TControl::OnEndDock);
    using M = std::function<void(TControl*, TMessage&)>;
    b.Message(WM_LBUTTONDOWN, M([](TControl* c, TMessage& m) { c->WMMouseDown(m, mbLeft, false); }));
    b.Message(WM_RBUTTONDOWN, M([](TControl* c, TMessage& m) { c->WMMouseDown(m, mbRight, false); }));
    b.Message(WM_MBUTTONDOWN, M([](TControl* c, TMessage& m) { c->WMMouseDown(m, mbMiddle, false); }));
    b.Message(WM_LBUTTONDBLCLK, M([](TControl* c, TMessage& m) { c->WMMouseDown(m, mbLeft, true); }));
    b.Message(WM_RBUTTONDBLCLK, M([](TControl* c, TMessage& m) { c->WMMouseDown(m, mbRight, true); }));
    b.Message(WM_LBUTTONUP, M([](TControl* c, TMessage& m) { c->WMMouseUp(m, mbLeft); }));
    b.Message(WM_RBUTTONUP, M([](TControl* c, TMessage& m) { c->WMMouseUp(m, mbRight); }));
    b.Message(WM_MBUTTONUP, M([](TControl* c, TMessage& m) { c->WMMouseUp(m, mbMiddle); }));
    b.Message(WM_MOUSEMOVE, M([](TControl* c, TMessage& m) {
                  c->MouseMove(KeysToShiftState(m.WParam), GET_X_LPARAM(m.LParam), GET_Y_LPARAM(m.LParam));
                  c->DefaultHandler(m);
              }));
    b.Message(CM_ENABLEDCHANGED, &TControl::CMEnabledChanged);
    b.Message(CM_VISIBLECHANGED, &TControl::CMVisibleChanged);
    b.Message(CM_TEXTCHANGED, &TControl::CMTextChanged);
    b.Message(CM_PARENTFONTCHANGED, &TControl::CMParentFontChanged);
    b.Message(CM_PARENTCOLORCHANGED, &TControl::CMParentColorChanged);
    b.Message(CM_PARENTSHOWHINTCHANGED, &TControl::CMParentShowHintChanged);
    b.Message(CM_HITTEST, &TControl::CMHitTest);
    b.Message(CM_MOUSEWHEEL, &TControl::CMMouseWheel);
    b.Message(WM_CONTEXTMENU, &TControl::WMContextMenu);
})

TControl::TControl(TComponent* owner)
    : TComponent(owner), font_(new TFont()), constraints_(new TSizeConstraints(this))
{
    WindowProc = [this](TMessage& m) { WndProc(m); };
    font_->OnChange = [this](TObject* s) { FontChanged(s); };
    controlStyle_ = TControlStyle{csCaptureMouse, csClickEvents, csSetCaption, csDoubleClicks};
}

TControl::~TControl()
{
    LeaveDragAndDock();
    if (GetCaptureControl() == this)
        SetCaptureControl(nullptr);
    if (Application)
        Application->ControlDestroyed(this);
    if (parent_)
        parent_->RemoveControl(this);
    delete actionLink_;
    delete constraints_;
    delete font_;
}

void TControl::SetParent(TWinControl* parent)
{
    if (parent_ == parent)
        return;
    if (parent == this)
        throw EInvalidOperation(consts::SInvalidPropertyValue);
    if (parent_)
        parent_->RemoveControl(this);
    if (parent)
        parent->InsertControl(this);
}

void TControl::SetBounds(int left, int top, int width, int height)
{
    if (!CheckNewSize(width, height)) {
        width = width_;
        height = height_;
    }
    if (left == left_ && top == top_ && width == width_ && height == height_)
        return;
    InvalidateControl(visible_, false);
    left_ = left;
    top_ = top;
    width_ = std::max(0, width);
    height_ = std::max(0, height);
    InvalidateControl(visible_, controlStyle_.Contains(csOpaque));
    RequestAlign();
    Resize();
}

RECT TControl::GetClientRect() const { return RECT{0, 0, width_, height_}; }

void TControl::SetClientWidth(int v) { SetWidth(width_ - ClientWidth() + v); }
void TControl::SetClientHeight(int v) { SetHeight(height_ - ClientHeight() + v); }

POINT TControl::GetClientOrigin() const
{
    if (!parent_)
        throw EInvalidOperation(Format(consts::SParentRequired, Name()));
    const POINT p = parent_->GetClientOrigin();
    return POINT{p.x + left_, p.y + top_};
}

POINT TControl::ClientToScreen(POINT p) const
{
    const POINT o = GetClientOrigin();
    return POINT{p.x + o.x, p.y + o.y};
}

POINT TControl::ScreenToClient(POINT p) const
{
    const POINT o = GetClientOrigin();
    return POINT{p.x - o.x, p.y - o.y};
}

void TControl::SetVisible(bool v)
{
    if (visible_ == v)
        return;
    visible_ = v;
    InvalidateControl(true, controlStyle_.Contains(csOpaque) && v);
    Perform(CM_VISIBLECHANGED, v, 0);
    RequestAlign();
}

void TControl::SetEnabled(bool v)
{
    if (enabled_ == v)
        return;
    enabled_ = v;
    Perform(CM_ENABLEDCHANGED, 0, 0);
}

void TControl::SetText(const AnsiString& v)
{
    if (text_ == v)
        return;
    text_ = v;
    Perform(CM_TEXTCHANGED, 0, 0);
}

void TControl::SetColor(TColor c)
{
    if (color_ == c)
        return;
    color_ = c;
    parentColor_ = false;
    Perform(CM_COLORCHANGED, 0, 0);
    Invalidate();
}

void TControl::SetParentFont(bool v)
{
    if (parentFont_ == v)
        return;
    parentFont_ = v;
    if (v && parent_ && !ComponentState().Contains(csReading))
        Perform(CM_PARENTFONTCHANGED, 0, 0);
}

void TControl::SetParentColor(bool v)
{
    if (parentColor_ == v)
        return;
    parentColor_ = v;
    if (v && parent_ && !ComponentState().Contains(csReading))
        Perform(CM_PARENTCOLORCHANGED, 0, 0);
}

void TControl::SetShowHint(bool v)
{
    if (showHint_ == v)
        return;
    showHint_ = v;
    parentShowHint_ = false;
    Perform(CM_SHOWHINTCHANGED, 0, 0);
}

void TControl::SetParentShowHint(bool v)
{
    if (parentShowHint_ == v)
        return;
    parentShowHint_ = v;
    if (v && parent_ && !ComponentState().Contains(csReading))
        Perform(CM_PARENTSHOWHINTCHANGED, 0, 0);
}

void TControl::SetAlign(TAlign a)
{
    if (align_ == a)
        return;
    align_ = a;
    RequestAlign();
}

void TControl::SetCursor(TCursor c)
{
    if (cursor_ == c)
        return;
    cursor_ = c;
    Perform(CM_CURSORCHANGED, 0, 0);
}

void TControl::FontChanged(TObject*)
{
    parentFont_ = false;
    Perform(CM_FONTCHANGED, 0, 0);
    if (autoSize_)
        AdjustSize();
}

LRESULT TControl::Perform(UINT msg, WPARAM wParam, LPARAM lParam)
{
    TMessage m{msg, wParam, lParam, 0};
    WindowProc(m);
    return m.Result;
}

void TControl::WndProc(TMessage& m)
{
    if (DragMessage(this, m))
        return;
    if (m.Msg >= WM_MOUSEFIRST && m.Msg <= WM_MOUSELAST) {
        // At design time the mouse belongs to the design surface, except
        // where the control claims it for itself.
        if (ComponentState().Contains(csDesigning) && m.Msg != WM_MOUSEWHEEL &&
            Perform(CM_DESIGNHITTEST, m.WParam, m.LParam) == 0)
            return;
        if (!enabled_ && m.Msg != WM_MOUSEMOVE)
            return;
        if ((m.Msg == WM_LBUTTONDOWN || m.Msg == WM_LBUTTONDBLCLK) && dragMode_ == dmAutomatic &&
            !ComponentState().Contains(csDesigning) && !Dragging()) {
            BeginDrag(true, -1);
            return;
        }
        if ((m.Msg == WM_LBUTTONDOWN || m.Msg == WM_LBUTTONDBLCLK) && controlStyle_.Contains(csCaptureMouse))
            SetCaptureControl(this);
        else if (m.Msg == WM_LBUTTONUP && GetCaptureControl() == this)
            SetCaptureControl(nullptr);
    }
    Dispatch(m);
}

void TControl::DefaultHandler(TMessage& m)
{
    switch (m.Msg) {
    case WM_GETTEXTLENGTH: m.Result = static_cast<LRESULT>(text_.size()); break;
    default: break;
    }
}

void TControl::WMMouseDown(TMessage& m, TMouseButton button, bool doubleClick)
{
    TShiftState shift = KeysToShiftState(m.WParam);
    if (doubleClick) {
        shift.Include(ssDouble);
        if (controlStyle_.Contains(csDoubleClicks))
            DblClick();
    }
    if (button == mbLeft && !doubleClick && controlStyle_.Contains(csClickEvents))
        controlState_.Include(csClicked);
    if (button == mbLeft)
        controlState_.Include(csLButtonDown);
    MouseDown(button, shift, GET_X_LPARAM(m.LParam), GET_Y_LPARAM(m.LParam));
    DefaultHandler(m);
}

void TControl::WMMouseUp(TMessage& m, TMouseButton button)
{
    const int x = GET_X_LPARAM(m.LParam), y = GET_Y_LPARAM(m.LParam);
    if (button == mbLeft) {
        controlState_.Exclude(csLButtonDown);
        if (controlState_.Contains(csClicked)) {
            controlState_.Exclude(csClicked);
            const RECT r = GetClientRect();
            if (x >= r.left && x < r.right && y >= r.top && y < r.bottom)
                Click();
        }
    }
    MouseUp(button, KeysToShiftState(m.WParam), x, y);
    DefaultHandler(m);
}

void TControl::MouseDown(TMouseButton button, TShiftState shift, int x, int y) { OnMouseDown(this, button, shift, x, y); }
void TControl::MouseUp(TMouseButton button, TShiftState shift, int x, int y) { OnMouseUp(this, button, shift, x, y); }
void TControl::MouseMove(TShiftState shift, int x, int y) { OnMouseMove(this, shift, x, y); }
void TControl::CMMouseWheel(TMessage& m)
{
    const POINT at{GET_X_LPARAM(m.LParam), GET_Y_LPARAM(m.LParam)};
    const auto delta = static_cast<SHORT>(HIWORD(static_cast<DWORD>(m.WParam)));
    m.Result = DoMouseWheel(KeysToShiftState(LOWORD(static_cast<DWORD>(m.WParam))), delta, at) ? 1 : 0;
}

bool TControl::DoMouseWheel(TShiftState shift, int delta, POINT mousePos)
{
    bool handled = false;
    OnMouseWheel(this, shift, delta, mousePos, handled);
    if (handled)
        return true;
    // Whole notches only; what is left waits for the next turn.
    wheelAccumulator_ += delta;
    while (!handled && (wheelAccumulator_ >= WHEEL_DELTA || wheelAccumulator_ <= -WHEEL_DELTA)) {
        if (wheelAccumulator_ < 0) {
            wheelAccumulator_ += WHEEL_DELTA;
            handled = DoMouseWheelDown(shift, mousePos);
        } else {
            wheelAccumulator_ -= WHEEL_DELTA;
            handled = DoMouseWheelUp(shift, mousePos);
        }
    }
    return handled;
}

bool TControl::DoMouseWheelDown(TShiftState shift, POINT mousePos)
{
    bool handled = false;
    OnMouseWheelDown(this, shift, mousePos, handled);
    return handled;
}

bool TControl::DoMouseWheelUp(TShiftState shift, POINT mousePos)
{
    bool handled = false;
    OnMouseWheelUp(this, shift, mousePos, handled);
    return handled;
}

void TControl::DblClick() { OnDblClick(this); }
void TControl::Resize() { OnResize(this); }
void TControl::Changed() { Perform(CM_CHANGED, 0, reinterpret_cast<LPARAM>(this)); }

void TControl::Loaded()
{
    TComponent::Loaded();
    if (parent_) {
        if (parentColor_)
            Perform(CM_PARENTCOLORCHANGED, 0, 0);
        if (parentFont_)
            Perform(CM_PARENTFONTCHANGED, 0, 0);
        if (parentShowHint_)
            Perform(CM_PARENTSHOWHINTCHANGED, 0, 0);
    }
    if (TBasicAction* action = Action())
        ActionChange(action, true);
    RequestAlign();
}

// Every change of place, size or visibility reaches the parent's layout, not
// only those of aligned controls: a container may place all its children.
void TControl::RequestAlign()
{
    if (parent_ && !ComponentState().Contains(csLoading))
        parent_->AlignControl(this);
}

void TControl::CMEnabledChanged(TMessage&) { Invalidate(); }

void TControl::SetPopupMenu(TPopupMenu* menu)
{
    popupMenu_ = menu;
    if (menu)
        menu->FreeNotification(this);
}

void TControl::Notification(TComponent* component, TOperation operation)
{
    TComponent::Notification(component, operation);
    if (operation == opRemove && component == popupMenu_)
        popupMenu_ = nullptr;
    // A freed action has let go of the link before the notice comes.
    if (operation == opRemove && actionLink_ && (component == Action() || !Action()))
        SetAction(nullptr);
}

void TControl::WMContextMenu(TMessage& m)
{
    if (!popupMenu_ || !popupMenu_->AutoPopup()) {
        DefaultHandler(m);
        return;
    }
    POINT p{GET_X_LPARAM(m.LParam), GET_Y_LPARAM(m.LParam)};
    if (p.x == -1 && p.y == -1)  // from the keyboard: at the control's corner
        p = ClientToScreen(POINT{0, 0});
    popupMenu_->SetPopupComponent(this);
    popupMenu_->Popup(p.x, p.y);
    m.Result = 1;
}
void TControl::CMVisibleChanged(TMessage&) {}

void TControl::CMParentFontChanged(TMessage&)
{
    if (parentFont_ && parent_) {
        font_->Assign(parent_->Font());
        parentFont_ = true;  // the assignment cleared it
    }
}

void TControl::CMParentColorChanged(TMessage&)
{
    if (parentColor_ && parent_) {
        color_ = parent_->Color();
        Invalidate();
    }
}

void TControl::CMParentShowHintChanged(TMessage&)
{
    if (parentShowHint_ && parent_)
        showHint_ = parent_->ShowHint();
}

void TControl::InvalidateControl(bool isVisible, bool isOpaque)
{
    if ((isVisible || visible_) && parent_ && parent_->HandleAllocated()) {
        const RECT r = BoundsRect();
        InvalidateRect(parent_->Handle(), &r, !(isOpaque || parent_->controlStyle_.Contains(csOpaque)));
    }
}

void TControl::Invalidate() { InvalidateControl(visible_, controlStyle_.Contains(csOpaque)); }

void TControl::Update()
{
    if (parent_)
        parent_->Update();
}

void TControl::Repaint()
{
    if (visible_ && parent_ && parent_->HandleAllocated()) {
        Invalidate();
        parent_->Update();
    }
}

void TControl::BringToFront()
{
    if (parent_) {
        auto& list = parent_->controls_;
        std::erase(list, this);
        list.push_back(this);
        if (auto* w = dynamic_cast<TWinControl*>(this); w && w->HandleAllocated())
            SetWindowPos(w->Handle(), HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
        Invalidate();
    }
}

void TControl::SendToBack()
{
    if (parent_) {
        auto& list = parent_->controls_;
        std::erase(list, this);
        list.insert(list.begin(), this);
        if (auto* w = dynamic_cast<TWinControl*>(this); w && w->HandleAllocated())
            SetWindowPos(w->Handle(), HWND_BOTTOM, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
        Invalidate();
    }
}

bool TControl::Showing() const
{
    if (auto* w = dynamic_cast<const TWinControl*>(this))
        return w->showing_;
    return visible_ && parent_ && parent_->Showing();
}

TCustomForm* TControl::ParentForm() const
{
    const TControl* c = this;
    while (c->parent_)
        c = c->parent_;
    return dynamic_cast<TCustomForm*>(const_cast<TControl*>(c));
}

TComponent* TControl::GetParentComponent() const { return parent_; }

void TControl::SetParentComponent(TComponent* parent)
{
    if (auto* w = dynamic_cast<TWinControl*>(parent))
        SetParent(w);
}

}  // namespace vcl
