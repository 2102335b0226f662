#pragma once

// TSkCustomComboBox: the single-line edit with a drop-down button and an
// inner list box that it shows in a borderless top-most popup form
// (TSkComboWindow): free text with a list, or a fixed pick list, with
// completion of typed text, stepping by keys and wheel, and vetoable
// changes.

#include "platform/vcl/forms.h"
#include "skin/controls/sk_edit.h"
#include "skin/controls/sk_list_box.h"

namespace vcl {
class TTimer;
}

namespace skin {

class TSkCustomComboBox;

enum TSkComboButtonAlign { cbaLeft, cbaRight };
enum TSkComboStyle { kcsDropDown, kcsDropDownList };
extern const vcl::TEnumInfo kComboButtonAlignInfo, kComboStyleInfo;
using TSkComboBoxAllowChangeEvent = vcl::TEvent<vcl::TObject*, int, const vcl::AnsiString&, bool&>;

// The combo box whose list is open, for the self-drawn frame: a press on
// the frame of the owner form closes it.
TSkCustomComboBox* OpenDropDown();
void CloseOpenDropDown();

// The frame switch: while a list drops down, the owner form's self-drawn
// frame keeps its active look. The forms sit above the controls and
// install this; without it nothing is switched.
class IComboFrameSwitch {
public:
    virtual ~IComboFrameSwitch() = default;
    virtual void SetFramePaint(vcl::TComponent* ownerForm, bool enabled) = 0;
};
void InstallComboFrameSwitch(IComboFrameSwitch* frameSwitch);

class TSkComboWindow : public vcl::TForm {
    VCL_DECLARE_CLASS(TSkComboWindow, vcl::TForm)
public:
    explicit TSkComboWindow(TSkCustomComboBox* combo);

protected:
    void CreateParams(vcl::TCreateParams& params) override;
    void KeyDown(WORD& key, vcl::TShiftState shift) override;

private:
    void CMShowingChanged(vcl::TMessage& m);
    void WMClose(vcl::TMessage& m) { m.Result = 0; }
    void WMActivate(vcl::TMessage& m);
    void WMMouseActivate(vcl::TMessage& m) { DefaultHandler(m); }
    void WMEraseBkgnd(vcl::TMessage& m) { m.Result = 1; }
    TSkCustomComboBox* combo_;
};

class TSkCustomComboBox : public TSkCustomEdit {
    VCL_DECLARE_CLASS(TSkCustomComboBox, TSkCustomEdit)
public:
    explicit TSkCustomComboBox(vcl::TComponent* owner);
    // `makeList` gives a subclass its own list box; a virtual call could
    // not, as the list is made while this constructor runs.
    TSkCustomComboBox(vcl::TComponent* owner, TSkCustomListBox* (*makeList)(TSkCustomComboBox* combo));
    ~TSkCustomComboBox() override;

    TSkCustomListBox* ListBox() const { return listBox_; }
    TSkComboWindow* DropWindow() const { return window_; }
    TSkComboButtonAlign ButtonAlign() const { return buttonAlign_; }
    void SetButtonAlign(TSkComboButtonAlign v);
    int DropDownCount() const { return dropDownCount_; }
    void SetDropDownCount(int v) { dropDownCount_ = v; }
    int ItemHeight() const { return itemHeight_; }
    void SetItemHeight(int v) { itemHeight_ = v; }
    int ItemIndex() const { return itemIndex_; }
    void SetItemIndex(int v);
    TSkComboStyle ComboStyle() const { return comboStyle_; }
    void SetComboStyle(TSkComboStyle v);
    bool AutoComplete() const { return autoComplete_; }
    void SetAutoComplete(bool v) { autoComplete_ = v; }
    bool ButtonHover() const { return buttonHover_; }
    bool ButtonPressed() const { return buttonPressed_; }
    bool DroppedDown() const;

    // Kept by the inner list box.
    vcl::TStrings* Items() const { return listBox_ ? listBox_->Items() : nullptr; }
    void SetItems(vcl::TStrings* v);
    bool Flat() const { return listBox_ && listBox_->Flat(); }
    void SetFlat(bool v);
    TFontDevice FontDevice() const { return listBox_ ? listBox_->FontDevice() : fdScreen; }
    void SetFontDevice(TFontDevice v);
    TFontType FontType() const { return listBox_ ? listBox_->FontType() : ftAll; }
    void SetFontType(TFontType v);
    // The list box's owner-draw events, which the combo box publishes.
    TDrawItemEvent* DrawItemEvent() const { return listBox_ ? &listBox_->OnDrawItem : nullptr; }
    TMeasureItemEvent* MeasureItemEvent() const { return listBox_ ? &listBox_->OnMeasureItem : nullptr; }
    TSkListBoxStyle ListStyle() const { return listBox_ ? listBox_->ListStyle() : lbStandard; }
    void SetListStyle(TSkListBoxStyle v);
    bool ShowCheckBoxes() const { return listBox_ && listBox_->ShowCheckBoxes(); }
    void SetShowCheckBoxes(bool v);
    bool Sorted() const { return listBox_ && listBox_->Sorted(); }
    void SetSorted(bool v);
    bool WordWrap() const { return listBox_ && listBox_->WordWrap(); }
    void SetWordWrap(bool v);

    vcl::WideString GetWideText() const override;
    void Clear();

    vcl::TNotifyEvent OnDropDown;
    vcl::TNotifyEvent OnCloseUp;
    vcl::TNotifyEvent OnListBoxClick;
    TSkComboBoxAllowChangeEvent OnAllowChange;

    virtual void ShowList();
    virtual void CloseUp();
    virtual void DropDown();
    virtual TSkCustomListBox* CreateListBox();
    virtual int GetButtonWidth();
    RECT GetButtonRect();
    // CloseUp, then the window hidden.
    void CloseDropDown();
    // What a chosen item does: ask OnAllowChange, take it when allowed,
    // close the list.
    void ChooseListItem();

    RECT GetTextRect() override;
    void PaintBackground(RECT rect, vcl::TCanvas* canvas) override;
    void Change() override;
    void SetParent(vcl::TWinControl* parent) override;

protected:
    void Loaded() override;
    void KeyDown(WORD& key, vcl::TShiftState shift) override;
    void MouseDown(vcl::TMouseButton button, vcl::TShiftState shift, int x, int y) override;
    bool DrawsOwnText() const override { return comboStyle_ != kcsDropDownList; }
    void PaintSelectedItem(const RECT& rect);

private:
    void ListBoxClick(vcl::TObject*);
    void AutoCompleteTimer(vcl::TObject*);
    void StepItemIndex(int delta);
    void WheelBy(int steps);
    void CMMouseLeave(vcl::TMessage& m);
    void WMContextMenu(vcl::TMessage& m);
    void WMNCHitTest(vcl::TMessage& m);
    void WMNCLButtonDown(vcl::TMessage& m);
    void WMNCMouseMove(vcl::TMessage& m);
    void WMMouseMove(vcl::TMessage& m);
    void WMSetFocus(vcl::TMessage& m);
    void WMKillFocus(vcl::TMessage& m);
    void CMMouseWheel(vcl::TMessage& m);
    void WMMouseWheel(vcl::TMessage& m);
    void WMSetCursor(vcl::TMessage& m);
    void SetHover(bool v);
    vcl::TStrings* ItemsValue() const { return Items(); }
    void SetTextValue(const vcl::WideString& v) { SetText(v); }

    TSkCustomListBox* listBox_ = nullptr;
    TSkComboButtonAlign buttonAlign_ = cbaRight;
    bool buttonHover_ = false;
    bool buttonPressed_ = false;
    int dropDownCount_ = 8;
    int itemHeight_ = 15;
    int itemIndex_ = -1;
    TSkComboStyle comboStyle_ = kcsDropDown;
    bool autoComplete_ = false;
    vcl::WideString lastCompleted_;
    bool completing_ = false;
    vcl::TTimer* completeTimer_ = nullptr;
    bool savedReadOnly_ = false;
    TSkComboWindow* window_ = nullptr;
};

}  // namespace skin
