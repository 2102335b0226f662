#pragma once

// TSkCustomTabControl: an owner-drawn tab strip on any side, in one
// scrolling row or several rows, and with UsePages a page control whose
// TSkCustomTabSheet pages follow the tabs.

#include <array>
#include <string>
#include <unordered_map>
#include <vector>

#include "platform/vcl/extctrls.h"
#include "platform/vcl/imglist.h"
#include "platform/vcl/lists.h"
#include "skin/controls/sk_custom_control.h"

namespace skin {

class TSkCustomTabControl;

enum TTabPosition { tpTop, tpBottom, tpLeft, tpRight };
extern const vcl::TEnumInfo kTabPositionInfo;
using TTabChangingEvent = vcl::TEvent<vcl::TObject*, bool&>;
using TDrawTabEvent = vcl::TEvent<TSkCustomTabControl*, int, const RECT&, bool>;

// The Tabs list: every change lays the tabs out again through the control.
class TSkTabStringList : public vcl::TStringList {
    VCL_DECLARE_CLASS(TSkTabStringList, vcl::TStringList)
public:
    explicit TSkTabStringList(TSkCustomTabControl* control = nullptr) : control_(control) {}
    void Put(int index, const vcl::AnsiString& s) override;
    void Insert(int index, const vcl::AnsiString& s) override;
    void Delete(int index) override;
    void Clear() override;
    int Add(const vcl::AnsiString& s) override;
    void Assign(vcl::TPersistent* source) override;

protected:
    void SetUpdateState(bool updating) override;

private:
    friend class TSkCustomTabControl;
    void Updated();
    TSkCustomTabControl* control_;
};

class TSkCustomTabSheet : public vcl::TCustomControl {
    VCL_DECLARE_CLASS(TSkCustomTabSheet, vcl::TCustomControl)
public:
    explicit TSkCustomTabSheet(vcl::TComponent* owner);
    ~TSkCustomTabSheet() override;

    TSkCustomTabControl* TabControl() const { return control_; }
    int ImageIndex() const { return imageIndex_; }
    void SetImageIndex(int v);
    int PageIndex() const;
    void SetPageIndex(int v);
    bool PageVisible() const { return pageVisible_; }
    void SetPageVisible(bool v);
    int TabIndex() const;
    // Space kept free inside the page's edges for its aligned children.
    int BorderWidth() const { return borderWidth_; }
    void SetBorderWidth(int v);

    vcl::TNotifyEvent OnShow;
    vcl::TNotifyEvent OnHide;

protected:
    void SetParent(vcl::TWinControl* parent) override;
    void AdjustClientRect(RECT& rect) override;

private:
    friend class TSkCustomTabControl;
    void CMTextChanged(vcl::TMessage& m);
    void CMVisibleChanged(vcl::TMessage& m);
    void WMEraseBkgnd(vcl::TMessage& m);
    int PageIndexValue() const { return PageIndex(); }

    TSkCustomTabControl* control_ = nullptr;
    int imageIndex_ = -1;
    bool pageVisible_ = true;
    int borderWidth_ = 0;
};

class TSkCustomTabControl : public TSkCustomControl {
    VCL_DECLARE_CLASS(TSkCustomTabControl, TSkCustomControl)
public:
    static constexpr int kMaxRows = 100;

    explicit TSkCustomTabControl(vcl::TComponent* owner);
    ~TSkCustomTabControl() override;

    vcl::TStrings* Tabs() const { return tabs_; }
    void SetTabs(vcl::TStrings* v) { tabs_->Assign(v); }
    int TabIndex() const { return tabIndex_; }
    void SetTabIndex(int v);
    TTabPosition TabPosition() const { return tabPosition_; }
    void SetTabPosition(TTabPosition v);
    bool MultiLine() const { return multiLine_; }
    void SetMultiLine(bool v);
    bool ScrollOpposite() const { return scrollOpposite_; }
    void SetScrollOpposite(bool v);
    bool RaggedRight() const { return raggedRight_; }
    void SetRaggedRight(bool v);
    int TabWidth() const { return tabWidth_; }
    void SetTabWidth(int v);
    int TabHeight() const { return tabHeight_; }
    void SetTabHeight(int v);
    bool HotTrack() const { return hotTrack_; }
    void SetHotTrack(bool v);
    bool OwnerDraw() const { return ownerDraw_; }
    void SetOwnerDraw(bool v);
    vcl::TCustomImageList* Images() const { return images_; }
    void SetImages(vcl::TCustomImageList* v);
    bool UsePages() const { return usePages_; }
    void SetUsePages(bool v);
    TSkCustomTabSheet* ActivePage() const;
    void SetActivePage(TSkCustomTabSheet* page);

    vcl::TNotifyEvent OnChange;
    TTabChangingEvent OnChanging;
    TDrawTabEvent OnDrawTab;

    // Pages.
    int PageCount() const { return static_cast<int>(pages_.size()); }
    TSkCustomTabSheet* Pages(int index) const { return pages_.at(static_cast<size_t>(index)); }
    void AddPage(TSkCustomTabSheet* page) { InsertPage(PageCount(), page); }
    void InsertPage(int index, TSkCustomTabSheet* page);
    void RemovePage(TSkCustomTabSheet* page);
    int TabOfPage(const TSkCustomTabSheet* page) const;
    TSkCustomTabSheet* PageOfTab(int tab) const;

    // Geometry.
    virtual int LeftMargin() const { return 2; }
    virtual int TopMargin() const { return 2; }
    virtual int RightMargin() const { return 2; }
    virtual int BottomMargin() const { return 2; }
    virtual int CalcTabWidth(int index);
    virtual int CalcTabHeight();
    virtual int GetScrollButtonSize();
    void LayoutRows();
    int RowCount() const { return rowCount_; }
    int RowOfTab(int index) const;
    int JustifiedWidth(int index);
    int TabAreaHeight();
    RECT FrameRect();
    RECT GetTabRect(int index);
    TTabPosition TabSide(int index) const;
    bool ScrollButtonsShown();
    RECT LeftButtonRect();
    RECT RightButtonRect();
    int FirstVisibleTab() const { return firstVisible_; }
    int LastVisibleTab();
    void ScrollTabs(int delta);
    int TabAt(int x, int y);
    // The area inside the frame that the pages and aligned children share.
    RECT DisplayRect();

    // Painting.
    void PaintClient() override;
    virtual void DrawTab(int index);
    virtual void DrawTabFace(int index, TTabPosition side, const RECT& rect);
    virtual void DrawTabImage(int index, TTabPosition side, const RECT& rect);
    virtual void DrawTabText(int index, TTabPosition side, const RECT& rect);
    virtual void PaintFrame();
    virtual void PaintLeftButton();
    virtual void PaintRightButton();
    virtual bool InLeftButton(int x, int y);
    virtual bool InRightButton(int x, int y);
    virtual void UpdateTabs();
    void RefreshTabs();

    void SetBounds(int left, int top, int width, int height) override;
    void GetChildren(const vcl::TGetChildProc& proc, vcl::TComponent* root) override;

protected:
    void AdjustClientRect(RECT& rect) override;
    virtual void Change() { OnChange(this); }
    virtual bool CanChange();
    virtual void DoDrawTab(int index, const RECT& rect, bool active) { OnDrawTab(this, index, rect, active); }
    void Loaded() override;
    void Notification(vcl::TComponent* component, vcl::TOperation operation) override;
    void Resize() override;
    void MouseDown(vcl::TMouseButton button, vcl::TShiftState shift, int x, int y) override;
    void MouseMove(vcl::TShiftState shift, int x, int y) override;
    void MouseUp(vcl::TMouseButton button, vcl::TShiftState shift, int x, int y) override;
    void MouseLeave() override;
    void KeyDown(WORD& key, vcl::TShiftState shift) override;
    void FocusEnter() override;
    void FocusExit() override;

private:
    friend class TSkTabStringList;
    friend class TSkCustomTabSheet;
    struct Row {
        int last = 0, extra = 0, remainder = 0;
    };
    int SideMargin() const;
    int SelectedRow() const;
    int RowDistance(int row) const;
    int OppositeRowsHeight();
    bool OnOppositeSide(int index) const;
    int LastFullyVisibleTab();
    void PaintTabs(bool selected);
    void PaintBackground();
    void RepeatScroll(vcl::TObject*);
    void StopRepeat();
    void ActivatePageOfTab(int tab);
    void CMDialogChar(vcl::TMessage& m);
    void CMEnabledChanged(vcl::TMessage& m);
    void CMFontChanged(vcl::TMessage& m);
    // Caption widths in the control's font, measured once until the font changes.
    int TextWidth(const vcl::AnsiString& caption);
    void WMGetDlgCode(vcl::TMessage& m);

    TSkTabStringList* tabs_;
    std::vector<TSkCustomTabSheet*> pages_;
    TSkCustomTabSheet* activePage_ = nullptr;
    int tabIndex_ = -1;
    int loadedTabIndex_ = -1;
    TTabPosition tabPosition_ = tpTop;
    bool multiLine_ = false;
    bool scrollOpposite_ = false;
    bool raggedRight_ = false;
    int tabWidth_ = 0;
    int tabHeight_ = 0;
    bool hotTrack_ = false;
    bool ownerDraw_ = false;
    vcl::TCustomImageList* images_ = nullptr;
    bool usePages_ = false;
    int firstVisible_ = 0;
    int trackedTab_ = -1;
    bool leftHover_ = false, rightHover_ = false, leftPressed_ = false, rightPressed_ = false;
    vcl::TTimer* repeatTimer_ = nullptr;
    bool busy_ = false;
    bool tabsUpdating_ = false;
    int rowCount_ = 1;
    std::array<Row, kMaxRows> rows_{};
    std::unordered_map<std::string, int> textWidths_;
    int lineHeight_ = -1;
};

}  // namespace skin
