#pragma once

// TSkCustomListBox: the library's owner-drawn list box with its own scroll
// bar: single or multiple selection, per-item check boxes with a grayed
// third state, one scrolling column or newspaper columns, word-wrapped or
// owner-drawn items, hover highlighting, and the font and colour styles
// that fill themselves. TEkListBoxItems tells it of every change.

#include <cstdint>
#include <functional>
#include <vector>

#include "platform/vcl/lists.h"
#include "skin/controls/sk_custom_control.h"
#include "skin/controls/sk_scroll_bar.h"

namespace skin {

class TSkCustomListBox;

enum TSkListBoxStyle {
    lbStandard, lbOwnerDrawFixed, lbOwnerDrawVariable, lbFonts, lbFontSamples, lbColors, lbColorNames
};
enum TFontDevice { fdScreen, fdPrinter };
enum TFontType { ftAll, ftTrueType, ftFixedPitch };
enum TOwnerDrawStateItem { odSelected, odGrayed, odDisabled, odChecked, odFocused, odDefault, odHotLight };
using TOwnerDrawState = vcl::TSet<TOwnerDrawStateItem>;
extern const vcl::TEnumInfo kListBoxStyleInfo, kFontDeviceInfo, kFontTypeInfo;

using TDrawItemEvent = vcl::TEvent<TSkCustomListBox*, vcl::TCanvas*, int, const RECT&, TOwnerDrawState>;
using TMeasureItemEvent = vcl::TEvent<TSkCustomListBox*, vcl::TCanvas*, int, int&>;

class TEkListBoxItems : public vcl::TStringList {
    VCL_DECLARE_CLASS(TEkListBoxItems, vcl::TStringList)
public:
    explicit TEkListBoxItems(TSkCustomListBox* owner = nullptr) : listBox_(owner) {}

    void Put(int index, const vcl::AnsiString& s) override;
    void PutObject(int index, vcl::TObject* object) override;
    int Add(const vcl::AnsiString& s) override;
    int AddObject(const vcl::AnsiString& s, vcl::TObject* object) override;
    void Clear() override;
    void Delete(int index) override;
    void Exchange(int index1, int index2) override;
    void Insert(int index, const vcl::AnsiString& s) override;

protected:
    void SetUpdateState(bool updating) override;

private:
    void Inserted(int index);
    void Notify();
    TSkCustomListBox* listBox_;
};

class TSkCustomListBox : public TSkCustomControl {
    VCL_DECLARE_CLASS(TSkCustomListBox, TSkCustomControl)
public:
    explicit TSkCustomListBox(vcl::TComponent* owner);
    // `makeScrollBar` gives a subclass its own bar; a virtual call could not,
    // as the bar is made while this constructor runs.
    TSkCustomListBox(vcl::TComponent* owner, TSkCustomScrollBar* (*makeScrollBar)(TSkCustomListBox* list));
    ~TSkCustomListBox() override;

    TEkListBoxItems* Items() const { return items_; }
    void SetItems(vcl::TStrings* v) { items_->Assign(v); }
    bool AlwaysShowScrlBar() const { return alwaysShowScrlBar_; }
    void SetAlwaysShowScrlBar(bool v);
    bool ShowCheckBoxes() const { return showCheckBoxes_; }
    void SetShowCheckBoxes(bool v);
    bool Flat() const { return flat_; }
    void SetFlat(bool v);
    bool AllowGrayed() const { return allowGrayed_; }
    void SetAllowGrayed(bool v);
    int ItemIndex() const { return itemIndex_; }
    void SetItemIndex(int v);
    bool MultiSelect() const { return multiSelect_; }
    void SetMultiSelect(bool v);
    int Columns() const { return columns_; }
    void SetColumns(int v);
    bool WordWrap() const { return wordWrap_; }
    void SetWordWrap(bool v);
    TSkListBoxStyle ListStyle() const { return listStyle_; }
    void SetListStyle(TSkListBoxStyle v);
    bool Sorted() const { return sorted_; }
    void SetSorted(bool v);
    TFontDevice FontDevice() const { return fontDevice_; }
    void SetFontDevice(TFontDevice v);
    TFontType FontType() const { return fontType_; }
    void SetFontType(TFontType v);
    bool ClickOnKeyboard() const { return clickOnKeyboard_; }
    void SetClickOnKeyboard(bool v) { clickOnKeyboard_ = v; }
    int ItemHeight() const { return itemHeight_; }
    void SetItemHeight(int v);
    int SelCount() const;
    bool Selected(int index) const;
    void SetSelected(int index, bool v);
    // 0 unchecked, 1 checked, 2 grayed.
    int CheckState(int index) const;
    void SetCheckState(int index, int state);
    bool CheckEnabled(int index) const;
    void SetCheckEnabled(int index, bool v);
    int HoverItem() const { return hoverItem_; }
    int HoverCheckItem() const { return hoverCheck_; }
    int AnchorItem() const { return anchor_; }
    TSkCustomScrollBar* ScrollBar() const { return scrollBar_; }
    bool ScrollBarShown() const { return scrollBarShown_; }
    int FirstShown();
    int LastFullyShown();
    // Scrolls the view the least that shows the item whole.
    void ScrollIntoView(int index);

    void Clear() { items_->Clear(); }
    // The first item whose rectangle holds `p`; else -1 when `existing`,
    // else the item count.
    int ItemAtPos(POINT p, bool existing);

    TDrawItemEvent OnDrawItem;
    TMeasureItemEvent OnMeasureItem;

    virtual int GetItemTop(int index);
    virtual RECT GetItemRect(int index);
    virtual int GetItemHeight(int index);
    virtual int GetCheckWidth() { return 15; }
    virtual SIZE GetCheckSize() { return SIZE{13, 13}; }
    virtual void DrawItem(vcl::TCanvas* canvas, int index, const RECT& rect);
    virtual void PaintCheckBox(int index, const RECT& rect);
    virtual bool IsOverItem(int x, int y, const RECT& rect, int index);
    virtual bool IsOverCheckBox(int x, int y, const RECT& rect, int index);
    virtual TSkCustomScrollBar* CreateListScrollBar();
    virtual void PaintBackground();
    virtual void PaintItems();
    virtual void DoDrawItem(int index, const RECT& rect, TOwnerDrawState state);
    virtual int MeasureItem(int index);

    void PaintClient() override;
    void SetBounds(int left, int top, int width, int height) override;

    // Called by the items after every change.
    void ItemsChanged();
    void SetUpdating(bool v) { updating_ = v; }
    void UpdateScrollBar();
    void UpdateSelection();
    int GetItemWidth();
    void HitTest(int x, int y);
    void FillFonts();
    void FillColors();

protected:
    void Loaded() override;
    void KeyDown(WORD& key, vcl::TShiftState shift) override;
    void MouseDown(vcl::TMouseButton button, vcl::TShiftState shift, int x, int y) override;
    void MouseMove(vcl::TShiftState shift, int x, int y) override;
    void MouseUp(vcl::TMouseButton button, vcl::TShiftState shift, int x, int y) override;
    void MouseLeave() override;
    void FocusEnter() override;
    void FocusExit() override;
    void DoEnter() override;
    void DoExit() override;
    void WndProc(vcl::TMessage& message) override;
    void DoEndDrag(vcl::TObject* target, int x, int y) override;

    // The content of the font and colour styles: the TrueType mark or the
    // colour swatch in a cell from `cellLeft`, the name after it in `text`
    // (the item's text cell); lbColors fills `colorsArea` instead.
    void DrawStyledContent(vcl::TCanvas* canvas, int index, int cellLeft, RECT text, const RECT& colorsArea,
                           UINT flags);

private:
    friend class TEkListBoxItems;
    // One laid-out item: its whole row, its check cell and its text cell.
    struct Cell {
        int index;
        RECT check;
        RECT text;
    };
    // Visits the items that show, in the order they are painted, until
    // `visit` answers false.
    void WalkItems(const std::function<bool(const Cell&)>& visit);
    int ColumnHeight();
    int ScrollPosition() const;
    void ResizeFlags();
    void CycleCheck(int index);
    void ApplyHeight();
    void DrawDefaultItem(vcl::TCanvas* canvas, int index, const RECT& rect);
    void LimitScrollPosition(vcl::TObject*, TSkScrollCode code, int& position);
    void ScrollBarChange(vcl::TObject*);
    void WheelMessage(vcl::TMessage& m);
    void WMGetDlgCode(vcl::TMessage& m) { m.Result = DLGC_WANTARROWS; }
    void WMLButtonDown(vcl::TMessage& m);
    void CMEnabledChanged(vcl::TMessage& m);
    int SelCountValue() const { return SelCount(); }
    void SetSelCountValue(int) {}
    vcl::TStrings* ItemsValue() const { return items_; }

    bool updating_ = false;
    TEkListBoxItems* items_;
    bool alwaysShowScrlBar_ = false;
    bool showCheckBoxes_ = false;
    bool flat_ = true;
    bool dragSelect_ = false;
    int hoverItem_ = -1;
    int hoverCheck_ = -1;
    POINT lastMouse_{-1, -1};
    int anchor_ = -1;
    bool scrollBarShown_ = false;
    std::vector<std::uint8_t> checkStates_;
    std::vector<std::uint8_t> checkEnabled_;
    bool allowGrayed_ = false;
    int itemIndex_ = -1;
    bool multiSelect_ = false;
    int columns_ = 0;
    bool wordWrap_ = false;
    TSkListBoxStyle listStyle_ = lbStandard;
    bool sorted_ = false;
    TFontDevice fontDevice_ = fdScreen;
    TFontType fontType_ = ftAll;
    bool clickOnKeyboard_ = true;
    int itemHeight_ = 16;
    TSkCustomScrollBar* scrollBar_ = nullptr;
    std::vector<std::uint8_t> selected_;
};

// An 8-bit item in the code page of the font's character set (1251 for
// the Cyrillic set, else 1252).
vcl::WideString ItemTextInCharset(const vcl::AnsiString& text, vcl::TFont* font);
// The colour an item of the colour styles names, filled into `swatch` and
// outlined in black; a name that is no colour shows black.
void PaintColorSwatch(vcl::TCanvas* canvas, const RECT& swatch, const vcl::AnsiString& name);
// Whether an item object of the font styles marks a TrueType family.
bool IsTrueTypeItem(vcl::TObject* itemObject);
// Lines the wheel moves per notch: the system setting, at least 1.
int WheelScrollLines();
// The wheel delta as whole steps of `lines` each notch, never dividing by zero.
int WheelSteps(int delta, int lines);

}  // namespace skin
