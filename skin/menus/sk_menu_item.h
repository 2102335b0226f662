#pragma once

// The one node class of every menu: a tree of items under a root that the
// menu component owns. Tree operations, change notification, the action
// link, running an item, accelerator and shortcut searches, and the marks
// that views and popups set on a whole tree.

#include <cstdint>
#include <vector>

#include "platform/vcl/actnlist.h"
#include "platform/vcl/imglist.h"
#include "platform/vcl/menus.h"
#include "skin/graphics/sk_options.h"

namespace skin {

class TSkCustomForm;
class TSkCustomItem;
class TSkItemView;
class TSkPopupWindow;

// Message that runs a chosen item once the menus have closed; lParam is the
// item's identity (TSkCustomItem::Id), never its address.
constexpr UINT SK_ITEMCLICK = 2234;

class EKsItemError : public vcl::Exception {
public:
    using vcl::Exception::Exception;
};

class TSkCustomItemActionLink : public vcl::TActionLink {
    VCL_DECLARE_CLASS(TSkCustomItemActionLink, vcl::TActionLink)
public:
    explicit TSkCustomItemActionLink(vcl::TObject* client);
    bool IsCaptionLinked() override;
    bool IsCheckedLinked() override;
    bool IsEnabledLinked() override;
    bool IsHelpContextLinked() override;
    bool IsHintLinked() override;
    bool IsImageIndexLinked() override;
    bool IsShortCutLinked() override;
    bool IsVisibleLinked() override;
    bool IsOnExecuteLinked() override;
    void SetCaption(const vcl::AnsiString& value) override;
    void SetChecked(bool value) override;
    void SetEnabled(bool value) override;
    void SetHelpContext(int value) override;
    void SetHint(const vcl::AnsiString& value) override;
    void SetImageIndex(int value) override;
    void SetShortCut(vcl::TShortCut value) override;
    void SetVisible(bool value) override;
    void SetOnExecute(const vcl::TNotifyEvent& value) override;

protected:
    void AssignClient(vcl::TObject* client) override;

private:
    vcl::TCustomAction* CustomAction() const;
    TSkCustomItem* client_ = nullptr;
};

using vcl::SameHandler;

class TSkCustomItem : public vcl::TComponent {
    VCL_DECLARE_CLASS(TSkCustomItem, vcl::TComponent)
public:
    explicit TSkCustomItem(vcl::TComponent* owner);
    ~TSkCustomItem() override;

    // Tree.
    void Insert(int index, TSkCustomItem* item);
    void Add(TSkCustomItem* item) { Insert(Count(), item); }
    void Delete(int index);
    int IndexOf(const TSkCustomItem* item) const;
    void Remove(TSkCustomItem* item);
    TSkCustomItem* Items(int index) const;
    int Count() const { return static_cast<int>(children_.size()); }
    TSkCustomItem* Parent() const { return parent_; }
    TSkCustomItem* Root();

    // Searches.
    TSkCustomItem* FindAccel(char ch) const;
    enum TFindKind { fkHandler = 1, fkShortCut = 2 };
    TSkCustomItem* FindItem(int value, int kind);
    TSkCustomItem* FindItem(const vcl::TNotifyEvent& handler);
    // `keyMessage`: WM_KEYDOWN or WM_SYSKEYDOWN with the key code and key data.
    bool IsShortCut(const vcl::TMessage& keyMessage);
    vcl::TCustomImageList* GetImageList();

    // Running.
    virtual void Click();
    // Runs the item at once by the run rule, with no menu-closing detour.
    void RunClick();
    std::uint32_t Id() const { return id_; }
    static TSkCustomItem* FindById(std::uint32_t id);

    // Properties.
    vcl::TBasicAction* Action() const;
    void SetAction(vcl::TBasicAction* value);
    vcl::AnsiString Caption() const { return caption_; }
    void SetCaption(const vcl::AnsiString& value);
    bool Checked() const { return checked_; }
    void SetChecked(bool value);
    bool Enabled() const { return enabled_; }
    void SetEnabled(bool value);
    int HelpContext() const { return helpContext_; }
    void SetHelpContext(int value) { helpContext_ = value; }
    vcl::AnsiString Hint() const { return hint_; }
    void SetHint(const vcl::AnsiString& value) { hint_ = value; }
    int ImageIndex() const { return imageIndex_; }
    void SetImageIndex(int value) { imageIndex_ = value; }
    vcl::TCustomImageList* Images() const { return images_; }
    void SetImages(vcl::TCustomImageList* value);
    vcl::TShortCut ShortCut() const { return shortCut_; }
    void SetShortCut(vcl::TShortCut value) { shortCut_ = value; }
    bool Visible() const { return visible_; }
    void SetVisible(bool value);
    bool Scrolled() const { return scrolled_; }
    void SetScrolled(bool value) { scrolled_ = value; }
    int ScrollCount() const { return scrollCount_; }
    void SetScrollCount(int value) { scrollCount_ = value; }
    int TopIndex() const { return topIndex_; }
    void SetTopIndex(int value) { topIndex_ = value; }
    bool IsSeparator() const { return caption_ == "-"; }
    vcl::TComponent* ParentComponentValue() const { return parentComponent_; }
    void SetParentComponentValue(vcl::TComponent* value) { parentComponent_ = value; }

    vcl::TNotifyEvent OnClick;
    vcl::TNotifyEvent OnBeforeDropDown;
    // Internal; the menu bar sets it on its root.
    vcl::TNotifyEvent OnChangeNotify;

    // Window-button kind of a menu bar item: 0 ordinary, 1 close, 2 restore,
    // 3 minimize, 4 system icon.
    int Kind() const { return kind_; }
    void SetKind(int value) { kind_ = value; }
    std::uint8_t BiDi() const { return bidiMode_; }
    bool ToolbarLook() const { return toolbarLook_; }
    bool AnimateNext() const { return animateNext_; }
    bool MenuRunMark() const { return menuRun_; }
    bool ForegroundOnPopup() const { return foregroundOnPopup_; }
    bool PaintSuppressed() const { return paintSuppressed_; }
    TSkCustomForm* WindowForm() const { return windowForm_; }
    vcl::TComponent* OwnerWindow() const { return ownerWindow_; }
    TSkPopupMenuOptions* MenuOptions() const { return menuOptions_; }
    RECT ItemRect() const { return itemRect_; }
    void SetItemRect(const RECT& r) { itemRect_ = r; }

    // Marks on the item and every descendant.
    void SetWindowForm(TSkCustomForm* value);
    void SetAnimateNext(bool value);
    void SetMenuRunMark(bool value);
    void SetMenuOptions(TSkPopupMenuOptions* value);
    void SetOwnerWindow(vcl::TComponent* value);
    void SetPaintSuppressed(bool value);
    void SetForegroundOnPopup(bool value);
    // Marks on the item and its direct children.
    void SetBiDiMode(std::uint8_t value);
    void SetToolbarLook(bool value);

    bool UseRightToLeftReading() const;
    bool UseRightToLeftAlignment() const;
    UINT DrawTextBiDiModeFlags(UINT flags) const;

    virtual void Changed();
    virtual void InitiateAction();

    // Plain look; skinned items replace these.
    virtual void MeasureItem(vcl::TCanvas* canvas, TSkItemView* view, int& height, int& width);
    virtual void DrawItem(vcl::TCanvas* canvas, TSkItemView* view, bool notTracking, bool isSelected,
                          const RECT& rect);
    virtual void DrawScroller(vcl::TCanvas* canvas, bool active, int kind, const RECT& rect);
    int GetGlyphWidth();
    // The window the children are shown in.
    virtual TSkPopupWindow* CreatePopupWindow(vcl::TComponent* owner, TSkItemView* parentView);
    // Shows the children in a popup at (x, y) or beside `itemRect` (screen
    // coordinates; no width means a popup at the point) and tracks it; returns
    // when the popup has closed.
    void Popup(TSkItemView* parentView, int x, int y, const RECT& itemRect);
    // The first frame component among the owner window's components.
    TSkCustomForm* FindOwnerFrame() const;
    RECT PopupWorkArea() const;

    // Streaming.
    void GetChildren(const vcl::TGetChildProc& proc, vcl::TComponent* root) override;
    bool HasParent() const override { return true; }
    vcl::TComponent* GetParentComponent() const override;
    void SetParentComponent(vcl::TComponent* value) override;

protected:
    void Loaded() override;
    void Notification(vcl::TComponent* component, vcl::TOperation operation) override;
    void DoActionChange(vcl::TObject* sender);
    virtual void ActionChange(vcl::TObject* sender, bool checkDefaults);

private:
    friend class TSkCustomItemActionLink;
    template <class F>
    void ForTree(F f);
    bool IsStoredUnlinked(bool (vcl::TActionLink::*linked)()) const;
    int ShortCutValue() const { return shortCut_; }
    void SetShortCutValue(int v) { SetShortCut(static_cast<vcl::TShortCut>(v)); }

    vcl::AnsiString caption_;
    bool checked_ = false;
    bool enabled_ = true;
    int helpContext_ = 0;
    vcl::AnsiString hint_;
    int imageIndex_ = -1;
    vcl::TCustomImageList* images_ = nullptr;
    vcl::TShortCut shortCut_ = 0;
    bool visible_ = true;
    TSkCustomItemActionLink* actionLink_ = nullptr;
    TSkCustomItem* parent_ = nullptr;
    vcl::TComponent* parentComponent_ = nullptr;
    std::vector<TSkCustomItem*> children_;
    int kind_ = 0;
    TSkCustomForm* windowForm_ = nullptr;
    bool animateNext_ = false;
    bool menuRun_ = false;
    vcl::TComponent* ownerWindow_ = nullptr;
    std::uint8_t bidiMode_ = 0;
    bool toolbarLook_ = false;
    bool foregroundOnPopup_ = false;
    bool scrolled_ = false;
    int topIndex_ = 0;
    int scrollCount_ = 0;
    bool paintSuppressed_ = false;
    RECT itemRect_{};
    TSkPopupMenuOptions* menuOptions_ = nullptr;
    std::uint32_t id_ = 0;
};

// The small triangle of a menu's scroll button (kind 1 up, 2 down), in the
// canvas font's colour.
void DrawScrollTriangle(vcl::TCanvas* canvas, int kind, const RECT& rect);

// The etched line of a popup's separator row.
void DrawSeparatorLine(vcl::TCanvas* canvas, const RECT& rect);

// Menu components register their class so that items loaded with a form
// find the component that holds them.
using TAddItemProc = std::function<void(vcl::TComponent* container, TSkCustomItem* item)>;
void RegisterItemContainer(vcl::TClass containerClass, const TAddItemProc& addItem);
void UnregisterItemContainer(vcl::TClass containerClass);
void FreeItemContainers();
int ItemContainerCount();

// The hidden window that runs chosen items after the menus have closed;
// null outside the menus unit's lifetime.
HWND ClickHandlerWindow();
void CreateClickHandler();
void FreeClickHandler();

}  // namespace skin
