#pragma once

// Views of an item's children on a host window (a menu bar or a popup
// window): layout, painting and the modal tracking loop. An open menu is a
// chain of views, each nested in the loop of the view it was opened from;
// the loops talk only through posted messages.

#include "platform/vcl/controls.h"
#include "platform/vcl/extctrls.h"
#include "skin/menus/sk_menu_item.h"

namespace skin {

// Posted to a view's event host: open the selected item's sub-menu.
constexpr UINT SK_OPENSUBMENU = 1135;

enum TSkOrientation { koHorizontal, koVertical };

class TSkItemView : public vcl::TComponent {
    VCL_DECLARE_CLASS(TSkItemView, vcl::TComponent)
public:
    TSkItemView(vcl::TComponent* owner, TSkCustomItem* root, vcl::TCanvas* canvas, vcl::TControl* sizeHost,
                vcl::TWinControl* eventHost, TSkOrientation orientation);
    ~TSkItemView() override;

    TSkCustomItem* Root() const { return root_; }
    TSkCustomItem* Selected() const { return selected_; }
    void SetSelected(TSkCustomItem* item) { Keep(item); }
    TSkItemView* ParentView() const { return parentView_; }
    void SetParentView(TSkItemView* v) { parentView_ = v; }
    TSkItemView* ChildView() const { return childView_; }
    void SetChildView(TSkItemView* v) { childView_ = v; }
    TSkOrientation Orientation() const { return orientation_; }
    vcl::TWinControl* EventHost() const { return eventHost_; }
    vcl::TCanvas* Canvas() const { return canvas_; }
    bool Tracking() const { return tracking_; }
    bool SubmenuOpen() const { return submenuOpen_; }
    void SetSubmenuOpen(bool v) { submenuOpen_ = v; }
    POINT Origin() const { return origin_; }
    void SetOrigin(POINT p) { origin_ = p; }
    SIZE ContentSize() const { return contentSize_; }
    int ScrollDirection() const { return scrollDirection_; }

    void Layout();
    RECT GetItemRect(TSkCustomItem* item);
    RECT GetScrollerRect(int which);
    void TrackMouse(POINT screenPoint);
    void SelectNext();
    void SelectPrev();
    bool OpenSubmenu();
    bool Track();
    void CloseChain();
    bool HasSubmenu() const;
    POINT GetSubmenuPoint();

    virtual void SetContentSize(SIZE size);
    virtual void MoveTo(POINT point);
    virtual void InvalidateAll();
    virtual void InvalidateItem(TSkCustomItem* item);
    virtual void InvalidateScroller(int which);
    virtual void UpdateActions();
    virtual void Paint(vcl::TCanvas* canvas);

    // The last mouse position any tracking loop saw (screen coordinates).
    static POINT& LastMousePos();

protected:
    void Notification(vcl::TComponent* component, vcl::TOperation operation) override;
    // The selected item, followed so that a freed one is forgotten at once.
    void Keep(TSkCustomItem* item);
    int ShownCount() const;
    bool Scrolling() const;
    void ComputeRects(TSkCustomItem* asked);
    void StartScroll();
    void StopScroll();
    void ScrollTimer(vcl::TObject*);
    void Select(TSkCustomItem* item);
    void PostKey(vcl::TWinControl* host, WPARAM key);
    bool InSelectedOfChain(POINT screenPoint);
    bool HandleMouseMove(POINT screenPoint);
    void HandleKey(const MSG& msg, bool& endLoop);

    TSkCustomItem* root_;
    TSkOrientation orientation_;
    vcl::TControl* sizeHost_;
    vcl::TWinControl* eventHost_;
    TSkCustomItem* selected_ = nullptr;
    bool submenuOpen_ = false;
    bool tracking_ = false;
    TSkItemView* parentView_ = nullptr;
    TSkItemView* childView_ = nullptr;
    vcl::TCanvas* canvas_;
    POINT origin_{};
    SIZE contentSize_{};
    vcl::TTimer* scrollTimer_ = nullptr;
    int scrollDirection_ = 0;
};

// Where a popup of `size` goes in `work`: at (x, y), or beside `itemRect`
// when `fromItem` (below a bar title, right of a sub-menu item), moved to
// stay inside the work area.
RECT PlacePopup(const RECT& work, SIZE size, int x, int y, const RECT& itemRect, TSkOrientation parent,
                bool fromItem);

}  // namespace skin
