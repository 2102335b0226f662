#include "skin/controls/sk_combo_box.h"

#include <algorithm>
#include <cctype>

#include "platform/vcl/extctrls.h"
#include "skin/graphics/sk_canvas.h"
#include "skin/graphics/sk_text.h"
#include "skin/graphics/sk_theme.h"

namespace skin {

const vcl::TEnumInfo kComboButtonAlignInfo{"TSkComboButtonAlign", {"cbaLeft", "cbaRight"}};
const vcl::TEnumInfo kComboStyleInfo{"TSkComboStyle", {"kcsDropDown", "kcsDropDownList"}};

namespace {

constexpr int kDropDownButtonPart = 1;
constexpr LRESULT kButtonHitCode = 8;
constexpr unsigned kCompleteDelayMs = 100;

TSkCustomComboBox* g_openDropDown = nullptr;
IComboFrameSwitch* g_frameSwitch = nullptr;

// Lower case by ASCII rules only, as the completion compares.
vcl::AnsiString AsciiLower(vcl::AnsiString s)
{
    for (char& c : s)
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
    return s;
}

}  // namespace

TSkCustomComboBox* OpenDropDown() { return g_openDropDown; }

void CloseOpenDropDown()
{
    if (g_openDropDown)
        g_openDropDown->CloseDropDown();
}

void InstallComboFrameSwitch(IComboFrameSwitch* frameSwitch) { g_frameSwitch = frameSwitch; }

// ------------------------------------------------------ the drop window

VCL_IMPLEMENT_CLASS(TSkComboWindow, vcl::TForm, [](auto& b) {
    b.Message(vcl::CM_SHOWINGCHANGED, &TSkComboWindow::CMShowingChanged);
    b.Message(WM_CLOSE, &TSkComboWindow::WMClose);
    b.Message(WM_ACTIVATE, &TSkComboWindow::WMActivate);
    b.Message(WM_MOUSEACTIVATE, &TSkComboWindow::WMMouseActivate);
    b.Message(WM_ERASEBKGND, &TSkComboWindow::WMEraseBkgnd);
})

TSkComboWindow::TSkComboWindow(TSkCustomComboBox* combo) : vcl::TForm(combo), combo_(combo)
{
    SetBorderStyle(vcl::bsNone);
    SetKeyPreview(true);
}

void TSkComboWindow::CreateParams(vcl::TCreateParams& params)
{
    vcl::TForm::CreateParams(params);
    params.Style &= ~static_cast<DWORD>(WS_CHILD | WS_GROUP | WS_TABSTOP);
    params.Style |= WS_POPUP;
    params.ExStyle |= WS_EX_TOPMOST | WS_EX_TOOLWINDOW;
    params.WindowClass.style |= CS_SAVEBITS;
}

void TSkComboWindow::CMShowingChanged(vcl::TMessage&)
{
    if (!HandleAllocated())
        return;
    SetWindowPos(Handle(), nullptr, 0, 0, 0, 0,
                 SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE |
                     (Showing() ? SWP_SHOWWINDOW : SWP_HIDEWINDOW));
}

void TSkComboWindow::WMActivate(vcl::TMessage& m)
{
    if (LOWORD(static_cast<DWORD>(m.WParam)) != WA_INACTIVE) {
        vcl::TCustomForm* owner = combo_->ParentForm();
        if (owner && owner->HandleAllocated())
            SendMessageA(owner->Handle(), WM_NCACTIVATE, TRUE, 0);
        if (owner && owner->FormStyle() == vcl::fsMDIChild && vcl::Application->MainForm() &&
            vcl::Application->MainForm()->HandleAllocated())
            SendMessageA(vcl::Application->MainForm()->Handle(), WM_NCACTIVATE, TRUE, 0);
        return;
    }
    combo_->CloseDropDown();
}

void TSkComboWindow::KeyDown(WORD& key, vcl::TShiftState shift)
{
    vcl::TForm::KeyDown(key, shift);
    if (key == VK_ESCAPE) {
        combo_->CloseDropDown();
        key = 0;
    } else if (key == VK_RETURN || key == VK_SPACE) {
        combo_->ChooseListItem();
        key = 0;
    }
}

// ------------------------------------------------------- the combo box

VCL_IMPLEMENT_CLASS(TSkCustomComboBox, TSkCustomEdit, [](auto& b) {
    b.Component();
    b.Bool("AutoComplete", &TSkCustomComboBox::AutoComplete, &TSkCustomComboBox::SetAutoComplete, false);
    b.Enum("ButtonAlign", &kComboButtonAlignInfo, &TSkCustomComboBox::ButtonAlign,
           &TSkCustomComboBox::SetButtonAlign, std::optional<TSkComboButtonAlign>(cbaRight));
    b.Enum("ComboStyle", &kComboStyleInfo, &TSkCustomComboBox::ComboStyle, &TSkCustomComboBox::SetComboStyle,
           std::optional<TSkComboStyle>(kcsDropDown));
    b.Int("DropDownCount", &TSkCustomComboBox::DropDownCount, &TSkCustomComboBox::SetDropDownCount, 8);
    b.Int("ItemHeight", &TSkCustomComboBox::ItemHeight, &TSkCustomComboBox::SetItemHeight, 15);
    b.Object("Items", &TSkCustomComboBox::ItemsValue, &TSkCustomComboBox::SetItems);
    b.Bool("Flat", &TSkCustomComboBox::Flat, &TSkCustomComboBox::SetFlat, true);
    b.Enum("FontDevice", &kFontDeviceInfo, &TSkCustomComboBox::FontDevice, &TSkCustomComboBox::SetFontDevice,
           std::optional<TFontDevice>(fdScreen));
    b.Enum("FontType", &kFontTypeInfo, &TSkCustomComboBox::FontType, &TSkCustomComboBox::SetFontType,
           std::optional<TFontType>(ftAll));
    b.Int("ItemIndex", &TSkCustomComboBox::ItemIndex, &TSkCustomComboBox::SetItemIndex, -1);
    b.Enum("ListStyle", &kListBoxStyleInfo, &TSkCustomComboBox::ListStyle, &TSkCustomComboBox::SetListStyle,
           std::optional<TSkListBoxStyle>(lbStandard));
    b.Bool("ShowCheckBoxes", &TSkCustomComboBox::ShowCheckBoxes, &TSkCustomComboBox::SetShowCheckBoxes, false);
    b.Bool("Sorted", &TSkCustomComboBox::Sorted, &TSkCustomComboBox::SetSorted, false);
    b.WStr("Text", &TSkCustomComboBox::GetWideText, &TSkCustomComboBox::SetTextValue);
    b.Bool("WordWrap", &TSkCustomComboBox::WordWrap, &TSkCustomComboBox::SetWordWrap, false);
    b.Event("OnCloseUp", &TSkCustomComboBox::OnCloseUp);
    b.Event("OnDropDown", &TSkCustomComboBox::OnDropDown);
    b.Event("OnDrawItem", &TSkCustomComboBox::DrawItemEvent);
    b.Event("OnMeasureItem", &TSkCustomComboBox::MeasureItemEvent);
    b.Event("OnListBoxClick", &TSkCustomComboBox::OnListBoxClick);
    b.Event("OnAllowChange", &TSkCustomComboBox::OnAllowChange);
    b.Message(vcl::CM_MOUSELEAVE, &TSkCustomComboBox::CMMouseLeave);
    b.Message(WM_CONTEXTMENU, &TSkCustomComboBox::WMContextMenu);
    b.Message(WM_NCHITTEST, &TSkCustomComboBox::WMNCHitTest);
    b.Message(WM_NCLBUTTONDOWN, &TSkCustomComboBox::WMNCLButtonDown);
    b.Message(WM_NCMOUSEMOVE, &TSkCustomComboBox::WMNCMouseMove);
    b.Message(WM_MOUSEMOVE, &TSkCustomComboBox::WMMouseMove);
    b.Message(WM_SETFOCUS, &TSkCustomComboBox::WMSetFocus);
    b.Message(WM_KILLFOCUS, &TSkCustomComboBox::WMKillFocus);
    b.Message(vcl::CM_MOUSEWHEEL, &TSkCustomComboBox::CMMouseWheel);
    b.Message(WM_MOUSEWHEEL, &TSkCustomComboBox::WMMouseWheel);
    b.Message(WM_SETCURSOR, &TSkCustomComboBox::WMSetCursor);
})

TSkCustomComboBox::TSkCustomComboBox(vcl::TComponent* owner) : TSkCustomComboBox(owner, nullptr) {}

TSkCustomComboBox::TSkCustomComboBox(vcl::TComponent* owner, TSkCustomListBox* (*makeList)(TSkCustomComboBox*))
    : TSkCustomEdit(owner)
{
    listBox_ = makeList ? makeList(this) : CreateListBox();
    listBox_->SetClickOnKeyboard(false);
    listBox_->SetParent(this);
    listBox_->SetVisible(false);
    listBox_->SetTabStop(false);
    listBox_->SetAlign(ComponentState().Contains(vcl::csDesigning) ? vcl::alNone : vcl::alClient);
    listBox_->OnClick = [this](vcl::TObject* s) { ListBoxClick(s); };
    completeTimer_ = new vcl::TTimer(this);
    completeTimer_->SetEnabled(false);
    completeTimer_->SetInterval(kCompleteDelayMs);
    completeTimer_->OnTimer = [this](vcl::TObject* s) { AutoCompleteTimer(s); };
}

TSkCustomComboBox::~TSkCustomComboBox()
{
    if (g_openDropDown == this)
        g_openDropDown = nullptr;
    if (listBox_ && window_ && listBox_->Parent() == window_) {
        listBox_->SetVisible(false);
        listBox_->SetParent(this);
    }
    delete window_;
    window_ = nullptr;
    delete completeTimer_;
    completeTimer_ = nullptr;
    delete listBox_;
    listBox_ = nullptr;
}

TSkCustomListBox* TSkCustomComboBox::CreateListBox() { return new TSkCustomListBox(this); }

bool TSkCustomComboBox::DroppedDown() const { return listBox_ && listBox_->Visible() && window_; }

// ------------------------------------------------------------ properties

void TSkCustomComboBox::SetItems(vcl::TStrings* v)
{
    if (listBox_)
        listBox_->Items()->Assign(v);
}

void TSkCustomComboBox::SetFlat(bool v)
{
    if (listBox_)
        listBox_->SetFlat(v);
}

void TSkCustomComboBox::SetFontDevice(TFontDevice v)
{
    if (listBox_)
        listBox_->SetFontDevice(v);
}

void TSkCustomComboBox::SetFontType(TFontType v)
{
    if (listBox_)
        listBox_->SetFontType(v);
}

void TSkCustomComboBox::SetListStyle(TSkListBoxStyle v)
{
    if (!listBox_)
        return;
    listBox_->SetListStyle(v);
    if (v == lbFonts || v == lbFontSamples || v == lbColors || v == lbColorNames)
        itemHeight_ = listBox_->ItemHeight();
    Invalidate();
}

void TSkCustomComboBox::SetShowCheckBoxes(bool v)
{
    if (listBox_)
        listBox_->SetShowCheckBoxes(v);
}

void TSkCustomComboBox::SetSorted(bool v)
{
    if (listBox_)
        listBox_->SetSorted(v);
}

void TSkCustomComboBox::SetWordWrap(bool v)
{
    if (listBox_)
        listBox_->SetWordWrap(v);
}

void TSkCustomComboBox::SetButtonAlign(TSkComboButtonAlign v)
{
    if (buttonAlign_ == v)
        return;
    buttonAlign_ = v;
    Invalidate();
}

vcl::WideString TSkCustomComboBox::GetWideText() const
{
    vcl::TStrings* items = Items();
    if (comboStyle_ == kcsDropDownList && items && itemIndex_ >= 0 && itemIndex_ < items->Count())
        return ItemTextInCharset(items->Strings(itemIndex_), Font());
    return TSkCustomEdit::GetWideText();
}

void TSkCustomComboBox::Clear()
{
    TSkCustomEdit::Clear();
    if (listBox_)
        listBox_->Items()->Clear();
}

void TSkCustomComboBox::SetItemIndex(int v)
{
    itemIndex_ = v;
    const bool loading = ComponentState().Contains(vcl::csLoading);
    if (comboStyle_ == kcsDropDown && loading)
        return;
    const int count = Items() ? Items()->Count() : 0;
    if (itemIndex_ < -1)
        itemIndex_ = 0;
    if (itemIndex_ > count - 1)
        itemIndex_ = count - 1;
    if (comboStyle_ == kcsDropDown && itemIndex_ >= 0 && itemIndex_ < count)
        SetText(ItemTextInCharset(Items()->Strings(itemIndex_), Font()));
    if (comboStyle_ == kcsDropDownList && !loading)
        Change();
    Invalidate();
}

void TSkCustomComboBox::SetComboStyle(TSkComboStyle v)
{
    if (comboStyle_ == v)
        return;
    comboStyle_ = v;
    if (v == kcsDropDown) {
        if (!ComponentState().Contains(vcl::csLoading))
            SetReadOnly(savedReadOnly_);
        if (HandleAllocated())
            ShowEditCaret();
        savedReadOnly_ = ReadOnly();
    } else {
        if (itemIndex_ == -1)
            SetItemIndex(0);
        savedReadOnly_ = ReadOnly();
        SetReadOnly(true);
        StoreText(vcl::WideString());
        if (HandleAllocated())
            HideEditCaret();
    }
    Invalidate();
}

// -------------------------------------------------------------- geometry

int TSkCustomComboBox::GetButtonWidth()
{
    if (ThemesActive()) {
        HTHEME theme = ThemeApi().OpenThemeData(nullptr, u"ComboBox");
        if (theme) {
            SIZE size{};
            ThemeApi().GetThemePartSize(theme, nullptr, kDropDownButtonPart, 1, nullptr, TS_TRUE, &size);
            ThemeApi().CloseThemeData(theme);
            return size.cx;
        }
    }
    return 15;
}

RECT TSkCustomComboBox::GetTextRect()
{
    RECT r = TSkCustomEdit::GetTextRect();
    const int width = GetButtonWidth();
    if (buttonAlign_ == cbaRight)
        r.right -= width;
    else
        r.left += width;
    return r;
}

RECT TSkCustomComboBox::GetButtonRect()
{
    RECT r = GetTextRect();
    r.bottom = BoundsHeight() - r.top;
    r = InflatedRect(r, ThemesActive() ? 3 : 2);
    const int width = GetButtonWidth();
    if (buttonAlign_ == cbaRight)
        return RECT{r.right, r.top, r.right + width, r.bottom};
    return RECT{r.left - width, r.top, r.left, r.bottom};
}

// -------------------------------------------------------------- painting

void TSkCustomComboBox::PaintBackground(RECT rect, vcl::TCanvas* canvas)
{
    RECT fill = rect;
    if (buttonAlign_ == cbaRight)
        fill.right += BorderWidth() + 1;
    else
        fill.left -= BorderWidth() + 1;
    TSkCustomEdit::PaintBackground(fill, canvas);
    RECT button = GetButtonRect();
    bool themed = false;
    if (ThemesActive()) {
        if (HTHEME theme = ThemeApi().OpenThemeData(nullptr, u"ComboBox")) {
            const int state = !Enabled() ? 4 : buttonPressed_ ? 3 : buttonHover_ ? 2 : 1;
            ThemeApi().DrawThemeBackground(theme, canvas->Handle(), kDropDownButtonPart, state, &button, nullptr);
            ThemeApi().CloseThemeData(theme);
            themed = true;
        }
    }
    if (!themed)
        DrawFrameControl(canvas->Handle(), &button, DFC_SCROLL,
                         DFCS_SCROLLCOMBOBOX | (buttonPressed_ ? DFCS_PUSHED : 0));
    PaintSelectedItem(InflatedRect(rect, 1));
}

void TSkCustomComboBox::PaintSelectedItem(const RECT& rect)
{
    if (comboStyle_ != kcsDropDownList || !listBox_)
        return;
    vcl::TCanvas* canvas = Canvas();
    if (itemIndex_ >= 0 && itemIndex_ < listBox_->Items()->Count()) {
        // Highlighted only while the combo box has the focus. The list's own
        // canvas draws on the combo for the call, so an owner-draw handler
        // that paints on it paints the combo's face.
        const bool wasSelected = listBox_->Selected(itemIndex_);
        vcl::TCanvas* listCanvas = listBox_->Canvas();
        const HDC listDC = listCanvas->HandleAllocated() ? listCanvas->Handle() : nullptr;
        listBox_->SetSelected(itemIndex_, HasFocus());
        listCanvas->SetHandle(canvas->Handle());
        try {
            listBox_->DrawItem(canvas, itemIndex_, rect);
        } catch (...) {
            listCanvas->SetHandle(listDC);
            listBox_->SetSelected(itemIndex_, wasSelected);
            throw;
        }
        listCanvas->SetHandle(listDC);
        listBox_->SetSelected(itemIndex_, wasSelected);
    }
    if (HasFocus())
        canvas->DrawFocusRect(rect);
}

// ------------------------------------------------------------- dropping

void TSkCustomComboBox::DropDown()
{
    if (!listBox_)
        return;
    if (window_) {
        CloseUp();
        delete window_;
        window_ = nullptr;
    }
    window_ = new TSkComboWindow(this);
    const int rows = dropDownCount_ * itemHeight_;
    const int borders = listBox_->Height() - RectHeight(listBox_->PaintRect());
    POINT at = ClientToScreen(POINT{0, BoundsHeight()});
    if (vcl::Screen->Height() < at.y + rows)
        at.y = ClientToScreen(POINT{0, 0}).y - rows;
    if (vcl::Screen->Width() < at.x + Width())
        at.x = vcl::Screen->Width() - Width();
    window_->SetBounds(at.x, at.y, Width(), rows + borders);
    // The list scrolls the chosen item into view by its own page, so it
    // takes the window's size and row height before the item is chosen.
    listBox_->SetItemHeight(itemHeight_);
    listBox_->SetColor(Color());
    listBox_->SetBounds(0, 0, window_->ClientWidth(), window_->ClientHeight());
    for (int i = 0; i < listBox_->Items()->Count(); ++i)
        listBox_->SetSelected(i, false);
    const int selected = itemIndex_ >= 0 ? itemIndex_ : listBox_->Items()->Count() > 0 ? 0 : -1;
    listBox_->SetItemIndex(selected);
    // Chosen in an earlier drop-down, it may be out of this view.
    listBox_->ScrollIntoView(selected);
    listBox_->SetSelected(selected, true);
    vcl::TComponent* ownerForm = Owner();
    if (g_frameSwitch)
        g_frameSwitch->SetFramePaint(ownerForm, false);
    try {
        window_->Show();
        ShowList();
        if (listBox_->CanFocus())
            listBox_->SetFocus();
        listBox_->Repaint();
    } catch (...) {
        if (g_frameSwitch)
            g_frameSwitch->SetFramePaint(ownerForm, true);
        throw;
    }
    if (g_frameSwitch)
        g_frameSwitch->SetFramePaint(ownerForm, true);
}

void TSkCustomComboBox::ShowList()
{
    if (!listBox_->Visible()) {
        listBox_->SetVisible(true);
        listBox_->SetParent(window_);
        window_->Realign();
        listBox_->SetFont(Font());
        g_openDropDown = this;
    }
    OnDropDown(this);
}

void TSkCustomComboBox::CloseUp()
{
    if (listBox_ && (listBox_->Visible() || (listBox_->Parent() != this && HandleAllocated()))) {
        buttonPressed_ = false;
        listBox_->SetVisible(false);
        listBox_->SetParent(this);
        Invalidate();
        if (Enabled() && CanFocus()) {
            auto* form = dynamic_cast<vcl::TCustomForm*>(Owner());
            vcl::TNotifyEvent onActivate;
            if (form)
                std::swap(onActivate, form->OnActivate);
            try {
                SetFocus();
            } catch (...) {
                if (form)
                    std::swap(onActivate, form->OnActivate);
                throw;
            }
            if (form)
                std::swap(onActivate, form->OnActivate);
        }
        OnCloseUp(this);
    }
    g_openDropDown = nullptr;
}

void TSkCustomComboBox::CloseDropDown()
{
    CloseUp();
    if (window_)
        window_->Hide();
}

void TSkCustomComboBox::ChooseListItem()
{
    if (!window_ || !listBox_)
        return;
    const int chosen = listBox_->ItemIndex();
    bool allow = true;
    if (OnAllowChange) {
        const vcl::AnsiString text =
            chosen >= 0 && chosen < listBox_->Items()->Count() ? listBox_->Items()->Strings(chosen) : "";
        OnAllowChange(this, chosen, text, allow);
    }
    if (allow)
        SetItemIndex(chosen);
    CloseDropDown();
}

void TSkCustomComboBox::ListBoxClick(vcl::TObject*)
{
    if (!window_)
        return;
    OnListBoxClick(this);
    ChooseListItem();
}

// ---------------------------------------------------------- completion

void TSkCustomComboBox::Change()
{
    TSkCustomEdit::Change();
    if (!ComponentState().Contains(vcl::csDesigning) && autoComplete_ && !completing_ && completeTimer_)
        completeTimer_->SetEnabled(true);
}

void TSkCustomComboBox::AutoCompleteTimer(vcl::TObject*)
{
    completeTimer_->SetEnabled(false);
    const vcl::WideString typed = Text();
    if (typed.size() < lastCompleted_.size()) {
        lastCompleted_ = typed;
        return;
    }
    if (typed == lastCompleted_ || completing_ || !Items())
        return;
    lastCompleted_ = typed;
    completing_ = true;
    const vcl::AnsiString wanted = AsciiLower(vcl::WideToAnsi(typed));
    for (int i = 0; i < Items()->Count(); ++i) {
        const vcl::AnsiString item = Items()->Strings(i);
        if (AsciiLower(item.substr(0, wanted.size())) != wanted)
            continue;
        SetText(ItemTextInCharset(item, Font()));
        const int length = static_cast<int>(Text().size());
        const int at = static_cast<int>(typed.size());
        SetSelStart(at);
        SetCaretPos(at);
        SetSelLength(length - at);
        break;
    }
    completing_ = false;
}

void TSkCustomComboBox::Loaded()
{
    completing_ = true;
    try {
        TSkCustomEdit::Loaded();
    } catch (...) {
        completing_ = false;
        throw;
    }
    completing_ = false;
    lastCompleted_.clear();
    Realign();
}

void TSkCustomComboBox::SetParent(vcl::TWinControl* parent)
{
    TSkCustomEdit::SetParent(parent);
    if (listBox_ && ComponentState().Contains(vcl::csDesigning))
        listBox_->SetBounds(0, 1000, 50, 10);
}

// ------------------------------------------------------------------ input

void TSkCustomComboBox::StepItemIndex(int delta)
{
    SetItemIndex(static_cast<int>(std::clamp<long long>(static_cast<long long>(itemIndex_) + delta, INT32_MIN, INT32_MAX)));
}

void TSkCustomComboBox::KeyDown(WORD& key, vcl::TShiftState shift)
{
    TSkCustomEdit::KeyDown(key, shift);
    const bool list = comboStyle_ == kcsDropDownList;
    bool stepped = true;
    if (key == VK_DOWN && shift.Contains(vcl::ssAlt)) {
        DropDown();
        return;
    }
    switch (key) {
    case VK_UP: StepItemIndex(-1); break;
    case VK_DOWN: StepItemIndex(1); break;
    case VK_PRIOR: list ? StepItemIndex(-3) : void(stepped = false); break;
    case VK_NEXT: list ? StepItemIndex(3) : void(stepped = false); break;
    case VK_END: list && Items() ? SetItemIndex(Items()->Count() - 1) : void(stepped = false); break;
    case VK_HOME: list ? SetItemIndex(0) : void(stepped = false); break;
    default: stepped = false;
    }
    if (stepped && itemIndex_ < 0)
        SetItemIndex(0);
}

void TSkCustomComboBox::MouseDown(vcl::TMouseButton button, vcl::TShiftState shift, int x, int y)
{
    TSkCustomEdit::MouseDown(button, shift, x, y);
    if (comboStyle_ == kcsDropDownList && (button == vcl::mbLeft || button == vcl::mbMiddle) &&
        !ComponentState().Contains(vcl::csDesigning))
        DropDown();
}

void TSkCustomComboBox::SetHover(bool v)
{
    if (buttonHover_ == v)
        return;
    buttonHover_ = v;
    Invalidate();
}

void TSkCustomComboBox::CMMouseLeave(vcl::TMessage& m)
{
    DispatchFrom(StaticClass()->ClassParent(), m);
    SetHover(false);
}

void TSkCustomComboBox::WMContextMenu(vcl::TMessage& m)
{
    if (comboStyle_ == kcsDropDownList) {
        m.Result = 0;
        return;
    }
    DispatchFrom(StaticClass()->ClassParent(), m);
}

void TSkCustomComboBox::WMNCHitTest(vcl::TMessage& m)
{
    const POINT screen{static_cast<short>(LOWORD(static_cast<DWORD>(m.LParam))),
                       static_cast<short>(HIWORD(static_cast<DWORD>(m.LParam)))};
    const POINT p = ScreenToClient(screen);
    const RECT r = GetTextRect();
    const bool inText = p.x >= r.left && p.x < r.right && p.y >= r.top && p.y < BoundsHeight() - r.top;
    m.Result = inText ? HTCLIENT : kButtonHitCode;
}

void TSkCustomComboBox::WMNCLButtonDown(vcl::TMessage& m)
{
    if (ComponentState().Contains(vcl::csDesigning)) {
        DefaultHandler(m);
        return;
    }
    if (!Focused() && CanFocus())
        SetFocus();
    const POINT screen{static_cast<short>(LOWORD(static_cast<DWORD>(m.LParam))),
                       static_cast<short>(HIWORD(static_cast<DWORD>(m.LParam)))};
    const POINT p = ScreenToClient(screen);
    const RECT b = GetButtonRect();
    if (p.x >= b.left && p.x < b.right && p.y >= b.top && p.y < b.bottom) {
        buttonPressed_ = true;
        Invalidate();
        DropDown();
    }
    m.Result = 0;
}

void TSkCustomComboBox::WMNCMouseMove(vcl::TMessage& m)
{
    const POINT screen{static_cast<short>(LOWORD(static_cast<DWORD>(m.LParam))),
                       static_cast<short>(HIWORD(static_cast<DWORD>(m.LParam)))};
    const POINT p = ScreenToClient(screen);
    const RECT b = GetButtonRect();
    SetHover(p.x >= b.left && p.x < b.right && p.y >= b.top && p.y < b.bottom);
    DefaultHandler(m);
}

void TSkCustomComboBox::WMMouseMove(vcl::TMessage& m)
{
    DispatchFrom(StaticClass()->ClassParent(), m);
    SetHover(false);
}

void TSkCustomComboBox::WMSetFocus(vcl::TMessage& m)
{
    DispatchFrom(StaticClass()->ClassParent(), m);
    if (comboStyle_ == kcsDropDownList) {
        HideEditCaret();
        Invalidate();
    }
}

void TSkCustomComboBox::WMKillFocus(vcl::TMessage& m)
{
    DispatchFrom(StaticClass()->ClassParent(), m);
    Invalidate();
}

void TSkCustomComboBox::WheelBy(int steps)
{
    StepItemIndex(-steps);
    if (itemIndex_ < 0)
        SetItemIndex(0);
    if (comboStyle_ == kcsDropDownList)
        Change();
    Invalidate();
}

void TSkCustomComboBox::CMMouseWheel(vcl::TMessage& m)
{
    WheelBy(WheelSteps(static_cast<short>(HIWORD(static_cast<DWORD>(m.WParam))), WheelScrollLines()));
    m.Result = 1;
}

void TSkCustomComboBox::WMMouseWheel(vcl::TMessage& m)
{
    WheelBy(static_cast<short>(HIWORD(static_cast<DWORD>(m.WParam))) / WHEEL_DELTA);
    m.Result = 0;
}

void TSkCustomComboBox::WMSetCursor(vcl::TMessage& m)
{
    if (comboStyle_ == kcsDropDownList && LOWORD(static_cast<DWORD>(m.LParam)) == HTCLIENT) {
        ::SetCursor(LoadCursorA(nullptr, IDC_ARROW));
        m.Result = 1;
        return;
    }
    DispatchFrom(StaticClass()->ClassParent(), m);
}

}  // namespace skin
