#pragma once

// TSkCustomEdit: the library's single-line edit. It keeps its own UTF-16
// text, caret, selection and horizontal scroll, an undo stack, clipboard
// exchange, input-method composition, six password looks and a context
// menu made through the menus' seam. TEditActionStack is its undo stack.

#include <memory>
#include <vector>

#include "skin/controls/sk_custom_control.h"

namespace skin {

class TSkCustomEdit;
class TSkEditMenu;
class TSkPopupMenuOptions;

enum TEditCharCase { ecNormal, ecUpperCase, ecLowerCase };
enum TPasswordKind { pkNone, pkChar, pkRect, pkRoundRect, pkCircle, pkTriangle };
extern const vcl::TEnumInfo kEditCharCaseInfo, kPasswordKindInfo;

// The commands of the edit's context menu.
enum TSkEditCommand { kecUndo, kecCut, kecCopy, kecPaste, kecDelete, kecSelectAll, kecSeparator };

struct EditAction {
    enum Kind : std::uint8_t { Deletion, Insertion };
    Kind kind = Deletion;
    bool chained = false;     // undoing this goes on to undo the one below
    int position = 0;         // 1-based character index
    vcl::WideString text;     // the deleted text of a deletion
    int count = 0;            // inserted characters of an insertion
};

class TEditActionStack {
public:
    explicit TEditActionStack(TSkCustomEdit* edit) : edit_(edit) {}
    // A deletion next to the one on top (a Backspace or Delete run) joins
    // it; anything else is a new record.
    void RecordDelete(int position, const vcl::WideString& text);
    void RecordInsert(int position, int count, bool chained);
    bool Undo();
    int Count() const { return static_cast<int>(actions_.size()); }
    const EditAction& Top() const { return actions_.back(); }

private:
    TSkCustomEdit* edit_;
    std::vector<EditAction> actions_;
};

class TSkCustomEdit : public TSkCustomControl {
    VCL_DECLARE_CLASS(TSkCustomEdit, TSkCustomControl)
public:
    explicit TSkCustomEdit(vcl::TComponent* owner);
    ~TSkCustomEdit() override;

    using vcl::TWinControl::SetText;
    vcl::WideString Text() const { return GetWideText(); }
    virtual vcl::WideString GetWideText() const { return text_; }
    void SetText(const vcl::WideString& v);
    // crDefault stands for the edit's own I-beam.
    void SetCursor(vcl::TCursor c);
    int CaretPos() const { return caretPos_; }
    int SelAnchor() const { return selAnchor_; }
    int SelDelta() const { return selDelta_; }
    int FirstVisible() const { return firstVisible_; }
    int GetSelStart() const;
    int GetSelLength() const { return selDelta_ < 0 ? -selDelta_ : selDelta_; }
    vcl::WideString GetSelText() const;
    bool AutoSelect() const { return autoSelect_; }
    void SetAutoSelect(bool v) { autoSelect_ = v; }
    TEditCharCase CharCase() const { return charCase_; }
    void SetCharCase(TEditCharCase v);
    bool HideSelection() const { return hideSelection_; }
    void SetHideSelection(bool v);
    int MaxLength() const { return maxLength_; }
    void SetMaxLength(int v) { maxLength_ = v; }
    bool ReadOnly() const { return readOnly_; }
    void SetReadOnly(bool v) { readOnly_ = v; }
    char16_t PasswordWideChar() const { return passwordChar_; }
    void SetPasswordWideChar(char16_t v);
    TPasswordKind PasswordKind() const { return passwordKind_; }
    void SetPasswordKind(TPasswordKind v);
    vcl::TAlignment TextAlignment() const { return textAlignment_; }
    void SetTextAlignment(vcl::TAlignment v);
    TSkPopupMenuOptions* ContextMenuOptions() const { return contextMenuOptions_; }
    void SetContextMenuOptions(TSkPopupMenuOptions* v);
    TEditActionStack* UndoStack() const { return undo_.get(); }
    TSkEditMenu* ContextMenu() const { return contextMenu_.get(); }

    vcl::TNotifyEvent OnChange;

    void Clear() { SetText(vcl::WideString()); }
    void SelectAll();
    void CopyToClipboard();
    void CutToClipboard();
    void PasteFromClipboard();
    void DeleteSelection();
    void Undo();
    void SetSelStart(int v);
    void SetSelLength(int v);
    void SetCaretPos(int v);
    int PrevWordPos(int i) const;
    int NextWordPos(int i) const;
    int CharPosToX(int i);
    int XToCharPos(int x);
    // Puts `s` in place of the selection, as typing does.
    void ReplaceSelection(const vcl::WideString& s);

    virtual RECT GetTextRect();
    virtual int GetPasswordCharWidth();
    virtual RECT GetSelectionRect();
    virtual void PaintText();
    virtual void PaintBackground(RECT rect, vcl::TCanvas* canvas);
    virtual void PaintSelectedText();
    virtual void PaintPasswordGlyph(const RECT& cell, bool selected);
    virtual bool CanChangeText(const vcl::WideString&) { return true; }
    // The context menu's maker; the default asks the menus' seam.
    virtual TSkEditMenu* CreatePopupMenu(vcl::TComponent* owner);
    virtual void UpdateContextMenu();
    virtual void ShowEditCaret();
    virtual void HideEditCaret();
    virtual void Change();

    void PaintClient() override;

protected:
    friend class TEditActionStack;
    void Loaded() override;
    void CreateWnd() override;
    bool CanAutoSize(int& newWidth, int& newHeight) override;
    void KeyDown(WORD& key, vcl::TShiftState shift) override;
    void KeyPress(char& key) override;
    void MouseDown(vcl::TMouseButton button, vcl::TShiftState shift, int x, int y) override;
    void MouseMove(vcl::TShiftState shift, int x, int y) override;
    void MouseUp(vcl::TMouseButton button, vcl::TShiftState shift, int x, int y) override;
    void FocusEnter() override;
    void FocusExit() override;
    void BorderChanged() override;
    // Stores a text without asking or telling anyone (undo, the class
    // library's own text change).
    void StoreText(const vcl::WideString& v) { text_ = v; }
    bool IsPassword() const { return passwordKind_ != pkNone; }
    // A pick-list combo box paints its item in place of the edit's text.
    virtual bool DrawsOwnText() const { return true; }
    void BuildContextMenu();

private:
    void WMGetDlgCode(vcl::TMessage& m);
    void WMCut(vcl::TMessage& m) { CutToClipboard(); m.Result = 0; }
    void WMCopy(vcl::TMessage& m) { CopyToClipboard(); m.Result = 0; }
    void WMPaste(vcl::TMessage& m) { PasteFromClipboard(); m.Result = 0; }
    void WMUndo(vcl::TMessage& m) { Undo(); m.Result = 0; }
    void WMContextMenu(vcl::TMessage& m);
    void WMLButtonDblClk(vcl::TMessage& m);
    void WMImeStartComposition(vcl::TMessage& m);
    void WMImeComposition(vcl::TMessage& m);
    void CMEnabledChanged(vcl::TMessage& m);
    void CMFontChanged(vcl::TMessage& m);
    void CMTextChanged(vcl::TMessage& m);
    void ExtendSelection(int oldCaret, bool shift);
    void ScrollToCaret();
    int TextHeight();
    int WidthOf(int from, int to);  // characters from..to, 1-based, inclusive
    int AlignmentShift();
    int CharCaseValue() const { return charCase_; }
    int PasswordCharValue() const { return passwordChar_; }
    void SetPasswordCharValue(int v) { SetPasswordWideChar(static_cast<char16_t>(v)); }
    void SetTextValue(const vcl::WideString& v) { SetText(v); }
    int EditCursorValue() const { return Cursor(); }
    void SetEditCursorValue(int c) { SetCursor(static_cast<vcl::TCursor>(c)); }
    // Every change of the text, by whatever road, brings these back into it.
    void KeepCaretInText();

    vcl::WideString text_;
    bool mouseSelecting_ = false;
    int caretPos_ = 0;
    int selAnchor_ = 0;
    int selDelta_ = 0;
    int firstVisible_ = 1;
    std::unique_ptr<TSkEditMenu> contextMenu_;
    bool autoSelect_ = true;
    TEditCharCase charCase_ = ecNormal;
    bool hideSelection_ = true;
    int maxLength_ = 0;
    bool readOnly_ = false;
    char16_t passwordChar_ = 0;
    TPasswordKind passwordKind_ = pkNone;
    vcl::TAlignment textAlignment_ = vcl::taLeftJustify;
    std::unique_ptr<TEditActionStack> undo_;
    TSkPopupMenuOptions* contextMenuOptions_;
    bool caretCreated_ = false;
};

}  // namespace skin
