#include "skin/controls/sk_edit.h"

#include <algorithm>

#include "platform/vcl/clipbrd.h"
#include "platform/vcl/forms.h"
#include "platform/win32/imm32/imm.h"
#include "platform/win32/kernel/code_pages.h"
#include "platform/win32/kernel/locale.h"
#include "skin/controls/sk_edit_menu.h"
#include "skin/graphics/sk_options.h"
#include "skin/graphics/sk_strings.h"
#include "skin/graphics/sk_text.h"

namespace skin {

const vcl::TEnumInfo kEditCharCaseInfo{"TEditCharCase", {"ecNormal", "ecUpperCase", "ecLowerCase"}};
const vcl::TEnumInfo kPasswordKindInfo{"TPasswordKind",
                                       {"pkNone", "pkChar", "pkRect", "pkRoundRect", "pkCircle", "pkTriangle"}};

namespace {

IEditMenus* g_editMenus = nullptr;

}  // namespace

void InstallEditMenus(IEditMenus* menus) { g_editMenus = menus; }
IEditMenus* EditMenus() { return g_editMenus; }

VCL_IMPLEMENT_CLASS(TSkCustomEdit, TSkCustomControl, [](auto& b) {
    b.Component();
    b.Bool("AutoSelect", &TSkCustomEdit::AutoSelect, &TSkCustomEdit::SetAutoSelect, true);
    b.Bool("AutoSize", &TSkCustomEdit::AutoSize, &TSkCustomEdit::SetAutoSize, true);
    PublishBevels(b, kbvLowered, kbvLowered, 1, 3);
    b.Enum("CharCase", &kEditCharCaseInfo, &TSkCustomEdit::CharCase, &TSkCustomEdit::SetCharCase,
           std::optional<TEditCharCase>(ecNormal));
    b.template Enum<vcl::TImeMode>("ImeMode", &vcl::kImeModeInfo, &TSkCustomEdit::ImeMode, &TSkCustomEdit::SetImeMode,
           std::optional<vcl::TImeMode>(vcl::imDontCare));
    b.Str("ImeName", &TSkCustomEdit::ImeName, &TSkCustomEdit::SetImeName);
    b.Bool("HideSelection", &TSkCustomEdit::HideSelection, &TSkCustomEdit::SetHideSelection, true);
    b.Int("MaxLength", &TSkCustomEdit::MaxLength, &TSkCustomEdit::SetMaxLength, 0);
    b.Enum("PasswordKind", &kPasswordKindInfo, &TSkCustomEdit::PasswordKind, &TSkCustomEdit::SetPasswordKind,
           std::optional<TPasswordKind>(pkNone));
    b.Int("PasswordWideChar", &TSkCustomEdit::PasswordCharValue, &TSkCustomEdit::SetPasswordCharValue, 0);
    b.Object("ContextMenuOptions", &TSkCustomEdit::ContextMenuOptions, &TSkCustomEdit::SetContextMenuOptions);
    b.Bool("ReadOnly", &TSkCustomEdit::ReadOnly, &TSkCustomEdit::SetReadOnly, false);
    b.WStr("Text", &TSkCustomEdit::GetWideText, &TSkCustomEdit::SetTextValue);
    b.Enum("TextAlignment", &vcl::kAlignmentInfo, &TSkCustomEdit::TextAlignment, &TSkCustomEdit::SetTextAlignment,
           std::optional<vcl::TAlignment>(vcl::taLeftJustify));
    b.Int("Cursor", &TSkCustomEdit::EditCursorValue, &TSkCustomEdit::SetEditCursorValue, vcl::crIBeam).identMap =
        vcl::CursorIdentMap();
    b.Event("OnChange", &TSkCustomEdit::OnChange);
    b.Message(WM_GETDLGCODE, &TSkCustomEdit::WMGetDlgCode);
    b.Message(WM_CUT, &TSkCustomEdit::WMCut);
    b.Message(WM_COPY, &TSkCustomEdit::WMCopy);
    b.Message(WM_PASTE, &TSkCustomEdit::WMPaste);
    b.Message(WM_UNDO, &TSkCustomEdit::WMUndo);
    b.Message(WM_CONTEXTMENU, &TSkCustomEdit::WMContextMenu);
    b.Message(WM_LBUTTONDBLCLK, &TSkCustomEdit::WMLButtonDblClk);
    b.Message(WM_IME_STARTCOMPOSITION, &TSkCustomEdit::WMImeStartComposition);
    b.Message(WM_IME_COMPOSITION, &TSkCustomEdit::WMImeComposition);
    b.Message(vcl::CM_ENABLEDCHANGED, &TSkCustomEdit::CMEnabledChanged);
    b.Message(vcl::CM_FONTCHANGED, &TSkCustomEdit::CMFontChanged);
    b.Message(vcl::CM_TEXTCHANGED, &TSkCustomEdit::CMTextChanged);
})

TSkCustomEdit::TSkCustomEdit(vcl::TComponent* owner)
    : TSkCustomControl(owner), undo_(std::make_unique<TEditActionStack>(this)),
      contextMenuOptions_(new TSkPopupMenuOptions())
{
    SetPerformance(kspDoubleBuffer);
    SetBevelKind(kbkSingle);
    SetBevelWidth(1);
    SetBorderWidth(3);
    SetTabStop(true);
    SetBounds(Left(), Top(), 121, 21);
    SetColor(vcl::clWindow);
    SetParentColor(false);
    controlStyle_.Include(vcl::csCaptureMouse);
    SetCursor(vcl::crIBeam);
    // The height follows the font from the window's creation or the end of
    // loading on.
    InitAutoSize(true);
}

TSkCustomEdit::~TSkCustomEdit()
{
    contextMenu_.reset();
    delete contextMenuOptions_;
}

// ------------------------------------------------------------ properties

void TSkCustomEdit::SetText(const vcl::WideString& v)
{
    if (!CanChangeText(v))
        return;
    const vcl::WideString old = text_;
    if (v.empty() || charCase_ == ecNormal) {
        text_ = v;
    } else {
        const vcl::AnsiString ansi = vcl::WideToAnsi(v);
        text_ = vcl::AnsiToWide(charCase_ == ecUpperCase ? vcl::AnsiUpperCase(ansi) : vcl::AnsiLowerCase(ansi));
    }
    KeepCaretInText();
    Invalidate();
    if (text_ != old)
        Change();
}

void TSkCustomEdit::KeepCaretInText()
{
    const int n = static_cast<int>(text_.size());
    caretPos_ = std::clamp(caretPos_, 0, n);
    selAnchor_ = std::clamp(selAnchor_, 0, n);
    selDelta_ = std::clamp(selAnchor_ + selDelta_, 0, n) - selAnchor_;
    firstVisible_ = std::clamp(firstVisible_, 1, std::max(n, 1));
}

void TSkCustomEdit::SetCursor(vcl::TCursor c) { vcl::TControl::SetCursor(c == vcl::crDefault ? vcl::crIBeam : c); }

void TSkCustomEdit::Change()
{
    Changed();
    if (Enabled() && HandleAllocated())
        SetCaretPos(caretPos_);
    OnChange(this);
}

void TSkCustomEdit::SetCharCase(TEditCharCase v)
{
    if (charCase_ == v)
        return;
    charCase_ = v;
    if (v != ecNormal && !text_.empty())
        SetText(text_);
}

void TSkCustomEdit::SetHideSelection(bool v)
{
    if (hideSelection_ == v)
        return;
    hideSelection_ = v;
    Invalidate();
}

void TSkCustomEdit::SetPasswordWideChar(char16_t v)
{
    if (passwordChar_ == v)
        return;
    passwordChar_ = v;
    if (v != 0) {
        passwordKind_ = pkChar;
        Invalidate();
        SetCaretPos(caretPos_);
    }
}

void TSkCustomEdit::SetPasswordKind(TPasswordKind v)
{
    if (passwordKind_ == v)
        return;
    passwordKind_ = v;
    Invalidate();
}

void TSkCustomEdit::SetTextAlignment(vcl::TAlignment v)
{
    if (textAlignment_ == v)
        return;
    textAlignment_ = v;
    Invalidate();
}

void TSkCustomEdit::SetContextMenuOptions(TSkPopupMenuOptions* v) { contextMenuOptions_->Assign(v); }

// ------------------------------------------------------------- selection

int TSkCustomEdit::GetSelStart() const
{
    if (selDelta_ > 0)
        return selAnchor_;
    if (selDelta_ < 0)
        return selAnchor_ + selDelta_;
    return caretPos_;
}

vcl::WideString TSkCustomEdit::GetSelText() const
{
    const int start = std::clamp(GetSelStart(), 0, static_cast<int>(text_.size()));
    return text_.substr(static_cast<std::size_t>(start), static_cast<std::size_t>(GetSelLength()));
}

void TSkCustomEdit::SetCaretPos(int v)
{
    caretPos_ = std::clamp(v, 0, static_cast<int>(text_.size()));
    ScrollToCaret();
    if (selDelta_ == 0)
        selAnchor_ = caretPos_;
    if (HasFocus() && HandleAllocated())
        ::SetCaretPos(CharPosToX(caretPos_), GetTextRect().top);
}

void TSkCustomEdit::SetSelStart(int v)
{
    if (v == selAnchor_)
        return;
    selDelta_ = 0;
    selAnchor_ = v;
    SetCaretPos(v);
    Invalidate();
}

void TSkCustomEdit::SetSelLength(int v)
{
    if (selDelta_ == v)
        return;
    selDelta_ = v;
    Invalidate();
}

void TSkCustomEdit::SelectAll()
{
    SetCaretPos(static_cast<int>(text_.size()));
    SetSelStart(0);
    SetSelLength(static_cast<int>(text_.size()));
    Invalidate();
}

int TSkCustomEdit::PrevWordPos(int i) const
{
    int j = std::clamp(i, 0, static_cast<int>(text_.size()));
    while (j > 0 && text_[static_cast<std::size_t>(j - 1)] == u' ')
        --j;
    while (j > 0 && text_[static_cast<std::size_t>(j - 1)] != u' ')
        --j;
    return j;
}

int TSkCustomEdit::NextWordPos(int i) const
{
    const int n = static_cast<int>(text_.size());
    int j = std::clamp(i, 0, n);
    while (j < n && text_[static_cast<std::size_t>(j)] != u' ')
        ++j;
    while (j < n && text_[static_cast<std::size_t>(j)] == u' ')
        ++j;
    return j;
}

// ---------------------------------------------------------------- edits

void TSkCustomEdit::ReplaceSelection(const vcl::WideString& s)
{
    if (readOnly_)
        return;
    const int start = std::clamp(GetSelStart(), 0, static_cast<int>(text_.size()));
    const vcl::WideString selected = GetSelText();
    vcl::WideString result = text_;
    result.replace(static_cast<std::size_t>(start), selected.size(), s);
    if (maxLength_ > 0 && static_cast<int>(result.size()) > maxLength_) {
        selDelta_ = 0;
        Invalidate();
        return;
    }
    SetText(result);
    // A text that the edit refused to take records nothing.
    if (text_ != result && text_.size() != result.size())
        return;
    undo_->RecordDelete(start + 1, selected);
    undo_->RecordInsert(start + 1, static_cast<int>(s.size()), !selected.empty());
    selDelta_ = 0;
    SetCaretPos(start + static_cast<int>(s.size()));
    Invalidate();
}

void TSkCustomEdit::DeleteSelection()
{
    if (readOnly_)
        return;
    const int start = std::clamp(GetSelStart(), 0, static_cast<int>(text_.size()));
    const vcl::WideString selected = GetSelText();
    if (!selected.empty()) {
        vcl::WideString result = text_;
        result.erase(static_cast<std::size_t>(start), selected.size());
        undo_->RecordDelete(start + 1, selected);
        SetText(result);
    }
    selDelta_ = 0;
    SetCaretPos(start);
    Invalidate();
}

void TSkCustomEdit::Undo() { undo_->Undo(); }

// ------------------------------------------------------------ clipboard

void TSkCustomEdit::CopyToClipboard()
{
    if (IsPassword() || GetSelLength() == 0)
        return;
    if (IsWinNT)
        vcl::Clipboard()->SetAsWideText(GetSelText());
    else
        vcl::Clipboard()->SetAsText(vcl::WideToAnsi(GetSelText()));
}

void TSkCustomEdit::CutToClipboard()
{
    CopyToClipboard();
    DeleteSelection();
}

void TSkCustomEdit::PasteFromClipboard()
{
    if (readOnly_)
        return;
    vcl::TClipboard* clipboard = vcl::Clipboard();
    vcl::WideString text;
    if (clipboard->HasFormat(CF_UNICODETEXT)) {
        text = clipboard->AsWideText();
        const auto end = text.find(u'\0');
        if (end != vcl::WideString::npos)
            text.resize(end);
    } else {
        text = vcl::AnsiToWide(clipboard->AsText());
    }
    ReplaceSelection(text);
}

// ----------------------------------------------------------------- keys

void TSkCustomEdit::ExtendSelection(int oldCaret, bool shift)
{
    if (shift) {
        selDelta_ += oldCaret - caretPos_;
        selAnchor_ = caretPos_;
    } else {
        selDelta_ = 0;
    }
    Invalidate();
}

void TSkCustomEdit::KeyDown(WORD& key, vcl::TShiftState shift)
{
    TSkCustomControl::KeyDown(key, shift);
    const bool ctrlOnly = shift.Contains(vcl::ssCtrl) && !shift.Contains(vcl::ssShift) && !shift.Contains(vcl::ssAlt);
    const int length = static_cast<int>(text_.size());
    const int oldCaret = caretPos_;
    auto move = [&](int to) {
        caretPos_ = std::clamp(to, 0, length);
        ExtendSelection(oldCaret, shift.Contains(vcl::ssShift));
    };
    switch (key) {
    case VK_BACK:
    case VK_DELETE:
        if (readOnly_)
            break;
        if (GetSelLength() > 0) {
            if (shift.Contains(vcl::ssShift))
                CutToClipboard();
            else
                DeleteSelection();
        } else if (!text_.empty()) {
            if (key == VK_DELETE && caretPos_ < length) {
                const vcl::WideString removed = text_.substr(static_cast<std::size_t>(caretPos_), 1);
                undo_->RecordDelete(caretPos_ + 1, removed);
                SetText(vcl::WideString(text_).erase(static_cast<std::size_t>(caretPos_), 1));
            } else if (key == VK_BACK && caretPos_ > 0) {
                const vcl::WideString removed = text_.substr(static_cast<std::size_t>(caretPos_ - 1), 1);
                undo_->RecordDelete(caretPos_, removed);
                const int at = caretPos_ - 1;
                SetText(vcl::WideString(text_).erase(static_cast<std::size_t>(at), 1));
                caretPos_ = at;
            }
        }
        break;
    case VK_END: move(length); break;
    case VK_HOME: move(0); break;
    case VK_LEFT: move(shift.Contains(vcl::ssCtrl) ? PrevWordPos(caretPos_) : caretPos_ - 1); break;
    case VK_RIGHT: move(shift.Contains(vcl::ssCtrl) ? NextWordPos(caretPos_) : caretPos_ + 1); break;
    case VK_INSERT:
        if (ctrlOnly)
            CopyToClipboard();
        else if (shift.Contains(vcl::ssShift))
            PasteFromClipboard();
        break;
    case 'C':
        if (ctrlOnly)
            CopyToClipboard();
        break;
    case 'V':
        if (ctrlOnly)
            PasteFromClipboard();
        break;
    case 'X':
        if (ctrlOnly)
            CutToClipboard();
        break;
    case 'Z':
        if (ctrlOnly)
            Undo();
        break;
    default: break;
    }
    SetCaretPos(caretPos_);
}

void TSkCustomEdit::KeyPress(char& key)
{
    TSkCustomControl::KeyPress(key);
    const auto code = static_cast<unsigned char>(key);
    if (code < 32 || readOnly_)
        return;
    char16_t wide = 0;
    if (MultiByteToWideChar(CP_ACP, MB_PRECOMPOSED, &key, 1, reinterpret_cast<LPWSTR>(&wide), 1) == 1)
        ReplaceSelection(vcl::WideString(1, wide));
}

void TSkCustomEdit::WMGetDlgCode(vcl::TMessage& m)
{
    DefaultHandler(m);
    m.Result |= DLGC_WANTARROWS | DLGC_WANTCHARS;
}

// ---------------------------------------------------------------- mouse

void TSkCustomEdit::MouseDown(vcl::TMouseButton button, vcl::TShiftState shift, int x, int y)
{
    if (CanFocus() && !Focused())
        SetFocus();
    if (button == vcl::mbLeft && !shift.Contains(vcl::ssDouble)) {
        mouseSelecting_ = true;
        selDelta_ = 0;
        SetCaretPos(XToCharPos(x));
        Invalidate();
    }
    TSkCustomControl::MouseDown(button, shift, x, y);
}

void TSkCustomEdit::MouseMove(vcl::TShiftState shift, int x, int y)
{
    TSkCustomControl::MouseMove(shift, x, y);
    if (!mouseSelecting_)
        return;
    const int oldCaret = caretPos_;
    int to = XToCharPos(x);
    if (x > GetTextRect().right)
        ++to;
    caretPos_ = std::clamp(to, 0, static_cast<int>(text_.size()));
    if (caretPos_ != oldCaret)
        ExtendSelection(oldCaret, true);
    SetCaretPos(caretPos_);
}

void TSkCustomEdit::MouseUp(vcl::TMouseButton button, vcl::TShiftState shift, int x, int y)
{
    mouseSelecting_ = false;
    TSkCustomControl::MouseUp(button, shift, x, y);
}

void TSkCustomEdit::WMLButtonDblClk(vcl::TMessage& m)
{
    DispatchFrom(StaticClass()->ClassParent(), m);
    mouseSelecting_ = false;
    // The word under the click: a caret at a word's first character already
    // stands at its start, where the previous-word walk would go back one.
    const int n = static_cast<int>(text_.size());
    const bool atWordStart = caretPos_ < n && text_[static_cast<std::size_t>(caretPos_)] != u' ' &&
                             (caretPos_ == 0 || text_[static_cast<std::size_t>(caretPos_ - 1)] == u' ');
    const int start = atWordStart ? caretPos_ : PrevWordPos(caretPos_);
    const int end = NextWordPos(start);
    selDelta_ = 0;
    caretPos_ = end;
    selAnchor_ = end;
    selDelta_ = start - end;
    SetCaretPos(end);
    Invalidate();
}

// ---------------------------------------------------------------- focus

void TSkCustomEdit::ShowEditCaret()
{
    if (!HandleAllocated())
        return;
    CreateCaret(Handle(), nullptr, 0, TextHeight());
    caretCreated_ = true;
    ShowCaret(Handle());
}

void TSkCustomEdit::HideEditCaret()
{
    if (HandleAllocated())
        HideCaret(Handle());
}

void TSkCustomEdit::FocusEnter()
{
    TSkCustomControl::FocusEnter();
    ShowEditCaret();
    selDelta_ = 0;
    SetCaretPos(0);
    if (autoSelect_)
        SelectAll();
}

void TSkCustomEdit::FocusExit()
{
    TSkCustomControl::FocusExit();
    if (caretCreated_)
        DestroyCaret();
    caretCreated_ = false;
    Invalidate();
}

void TSkCustomEdit::CMEnabledChanged(vcl::TMessage& m)
{
    DispatchFrom(StaticClass()->ClassParent(), m);
    if (!ComponentState().Contains(vcl::csDesigning) && HandleAllocated())
        EnableWindow(Handle(), Enabled());
    Invalidate();
}

void TSkCustomEdit::CMFontChanged(vcl::TMessage& m)
{
    DispatchFrom(StaticClass()->ClassParent(), m);
    PaintFont()->Assign(Font());
    AdjustSize();
    if (HasFocus()) {
        if (caretCreated_)
            DestroyCaret();
        ShowEditCaret();
        SetCaretPos(caretPos_);
    }
}

void TSkCustomEdit::CMTextChanged(vcl::TMessage& m)
{
    DispatchFrom(StaticClass()->ClassParent(), m);
    text_ = vcl::AnsiToWide(vcl::TWinControl::GetText());
    SetSelLength(0);
    KeepCaretInText();
    if (HandleAllocated())
        SetCaretPos(caretPos_);
    Invalidate();
}

// --------------------------------------------------------- input method

void TSkCustomEdit::WMImeStartComposition(vcl::TMessage& m)
{
    DefaultHandler(m);
    if (!HandleAllocated())
        return;
    HIMC context = ImmGetContext(Handle());
    if (!context)
        return;
    LOGFONTA font{};
    GetObjectA(Font()->Handle(), sizeof(font), &font);
    ImmSetCompositionFontA(context, &font);
    COMPOSITIONFORM form{};
    form.dwStyle = CFS_RECT;
    form.ptCurrentPos = POINT{CharPosToX(caretPos_), GetTextRect().top};
    form.rcArea = GetTextRect();
    ImmSetCompositionWindow(context, &form);
    ImmReleaseContext(Handle(), context);
}

void TSkCustomEdit::WMImeComposition(vcl::TMessage& m)
{
    HIMC context = HandleAllocated() ? ImmGetContext(Handle()) : nullptr;
    if (!context || !(static_cast<DWORD>(m.LParam) & GCS_RESULTSTR)) {
        if (context)
            ImmReleaseContext(Handle(), context);
        DefaultHandler(m);
        return;
    }
    const LONG bytes = ImmGetCompositionStringW(context, GCS_RESULTSTR, nullptr, 0);
    vcl::WideString result;
    if (bytes > 0) {
        result.resize(static_cast<std::size_t>(bytes) / 2);
        const LONG got = ImmGetCompositionStringW(context, GCS_RESULTSTR, result.data(), static_cast<DWORD>(bytes));
        result.resize(static_cast<std::size_t>(std::clamp<LONG>(got, 0, bytes)) / 2);
    }
    ImmReleaseContext(Handle(), context);
    for (char16_t c : result)
        ReplaceSelection(vcl::WideString(1, c));
    m.Result = 0;
}

// --------------------------------------------------------- context menu

TSkEditMenu* TSkCustomEdit::CreatePopupMenu(vcl::TComponent* owner)
{
    return EditMenus() ? EditMenus()->CreateMenu(owner) : nullptr;
}

void TSkCustomEdit::BuildContextMenu()
{
    if (contextMenu_)
        return;
    contextMenu_.reset(CreatePopupMenu(this));
    if (!contextMenu_)
        return;
    struct Entry {
        int caption;
        TSkEditCommand command;
        void (TSkCustomEdit::*run)();
    };
    const Entry entries[] = {
        {sksEditUndo, kecUndo, &TSkCustomEdit::Undo},
        {-1, kecSeparator, nullptr},
        {sksEditCut, kecCut, &TSkCustomEdit::CutToClipboard},
        {sksEditCopy, kecCopy, &TSkCustomEdit::CopyToClipboard},
        {sksEditPaste, kecPaste, &TSkCustomEdit::PasteFromClipboard},
        {sksEditDelete, kecDelete, &TSkCustomEdit::DeleteSelection},
        {-1, kecSeparator, nullptr},
        {sksEditSelectAll, kecSelectAll, &TSkCustomEdit::SelectAll},
    };
    for (const Entry& e : entries) {
        if (!e.run) {
            contextMenu_->AddItem("-", kecSeparator, {});
            continue;
        }
        auto run = e.run;
        contextMenu_->AddItem(SkLoadString(e.caption), e.command, [this, run] { (this->*run)(); });
    }
}

void TSkCustomEdit::UpdateContextMenu()
{
    BuildContextMenu();
    if (!contextMenu_)
        return;
    const bool selection = GetSelLength() > 0;
    const bool hasClipboardText = !vcl::Clipboard()->AsWideText().empty() || !vcl::Clipboard()->AsText().empty();
    contextMenu_->SetItemEnabled(kecUndo, undo_->Count() > 0 && !readOnly_);
    contextMenu_->SetItemEnabled(kecCut, selection && !IsPassword() && !readOnly_);
    contextMenu_->SetItemEnabled(kecCopy, selection && !IsPassword());
    contextMenu_->SetItemEnabled(kecPaste, hasClipboardText && !readOnly_);
    contextMenu_->SetItemEnabled(kecDelete, selection && !readOnly_);
    contextMenu_->SetItemEnabled(kecSelectAll, GetSelText() != text_);
    contextMenu_->SetOptions(contextMenuOptions_);
}

void TSkCustomEdit::WMContextMenu(vcl::TMessage& m)
{
    DispatchFrom(StaticClass()->ClassParent(), m);
    if (ComponentState().Contains(vcl::csDesigning))
        return;
    UpdateContextMenu();
    if (!contextMenu_)
        return;
    if (vcl::TCustomForm* form = ParentForm(); form && form->HandleAllocated())
        SendMessageA(form->Handle(), WM_CANCELMODE, 0, 0);
    POINT at{static_cast<short>(LOWORD(static_cast<DWORD>(m.LParam))),
             static_cast<short>(HIWORD(static_cast<DWORD>(m.LParam)))};
    if (m.LParam == -1)
        at = ClientToScreen(POINT{CharPosToX(caretPos_), GetTextRect().bottom});
    contextMenu_->Popup(this, at);
    m.Result = 1;
}

// --------------------------------------------------------------- sizing

void TSkCustomEdit::Loaded()
{
    TSkCustomControl::Loaded();
    AdjustSize();
}

void TSkCustomEdit::CreateWnd()
{
    TSkCustomControl::CreateWnd();
    AdjustSize();
}

void TSkCustomEdit::BorderChanged()
{
    TSkCustomControl::BorderChanged();
    AdjustSize();
}

bool TSkCustomEdit::CanAutoSize(int&, int& newHeight)
{
    newHeight = 2 * GetTextRect().top + TextHeight();
    return true;
}

}  // namespace skin
