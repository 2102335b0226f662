#pragma once

// Drag and dock: the drag objects, the events of dragging and docking, the
// dock manager of a dock site, and the one drag in progress, which the
// dragged control's window procedure feeds with the mouse.

#include "platform/vcl/controls.h"
#include "platform/vcl/drag_events.h"

namespace vcl {

class TDragObject : public TObject {
    VCL_DECLARE_CLASS(TDragObject, TObject)
public:
    // The screen point of the drag and the control under it.
    POINT DragPos{};
    TControl* DragTarget = nullptr;
    POINT DragTargetPos{};
    bool Cancelling = false;
    bool Dropped = false;
    virtual TCursor GetDragCursor(bool accepted, int x, int y);
};

class TDragControlObject : public TDragObject {
    VCL_DECLARE_CLASS(TDragControlObject, TDragObject)
public:
    explicit TDragControlObject(TControl* control = nullptr) : control_(control) {}
    TControl* Control() const { return control_; }
    TCursor GetDragCursor(bool accepted, int x, int y) override;

private:
    TControl* control_;
};

class TDragDockObject : public TDragControlObject {
    VCL_DECLARE_CLASS(TDragDockObject, TDragControlObject)
public:
    explicit TDragDockObject(TControl* control = nullptr);
    // Where the control would land, on the screen.
    RECT DockRect{};
    TAlign DropAlign = alNone;
    TControl* DropOnControl = nullptr;
    bool Floating = true;
};

// Lays out the controls docked on a site that uses it.
class IDockManager {
public:
    virtual ~IDockManager() = default;
    virtual void InsertControl(TControl* control, TAlign align, TControl* dropOnControl) = 0;
    virtual void RemoveControl(TControl* control) = 0;
    // The screen rectangle a client would take if dropped now.
    virtual void PositionDockRect(TControl* client, TControl* dropOnControl, TAlign align, RECT& dockRect) = 0;
    virtual void ResetBounds(bool force) = 0;
};

// The plain dock manager: each docked control takes the side it was
// dropped on (the whole site when dropped on its middle), in docking order.
class TDockTree : public IDockManager {
public:
    explicit TDockTree(TWinControl* site) : site_(site) {}
    void InsertControl(TControl* control, TAlign align, TControl* dropOnControl) override;
    void RemoveControl(TControl* control) override;
    void PositionDockRect(TControl* client, TControl* dropOnControl, TAlign align, RECT& dockRect) override;
    void ResetBounds(bool force) override;

private:
    TWinControl* site_;
};

// Mouse movement before a drag that was not started at once becomes one.
constexpr int kDefaultDragThreshold = 5;

// The drag in progress, or null.
TControl* DragControl();
TDragObject* DragObject();
bool DragActive();
// Ends the drag in progress: dropped at the last point, or cancelled.
void EndDragging(bool drop);
// Feeds the dragged control's mouse and key messages to the drag; true
// when the message was taken.
bool DragMessage(TControl* control, TMessage& m);
// The side of `site` that a screen point is nearest to, or alClient in
// its middle third.
TAlign DockAlignAt(TWinControl* site, POINT screen);

}  // namespace vcl
