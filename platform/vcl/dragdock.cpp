#include "platform/vcl/dragdock.h"

#include <algorithm>
#include <cstdlib>

#include "platform/vcl/forms.h"

namespace vcl {

const TEnumInfo kDragKindInfo{"TDragKind", {"dkDrag", "dkDock"}};

VCL_IMPLEMENT_CLASS(TDragObject, TObject, [](auto&) {})
VCL_IMPLEMENT_CLASS(TDragControlObject, TDragObject, [](auto&) {})
VCL_IMPLEMENT_CLASS(TDragDockObject, TDragControlObject, [](auto&) {})

TCursor TDragObject::GetDragCursor(bool accepted, int, int) { return accepted ? crDrag : crNoDrop; }

TCursor TDragControlObject::GetDragCursor(bool accepted, int x, int y)
{
    if (accepted && control_)
        return control_->DragCursor();
    return TDragObject::GetDragCursor(accepted, x, y);
}

TDragDockObject::TDragDockObject(TControl* control) : TDragControlObject(control)
{
    if (control) {
        const POINT origin = control->Parent() ? control->Parent()->ClientToScreen(POINT{control->Left(), control->Top()})
                                               : POINT{control->Left(), control->Top()};
        DockRect = RECT{origin.x, origin.y, origin.x + control->Width(), origin.y + control->Height()};
    }
}

// The side of a site that a screen point is nearest to; the middle third
// of the site means the whole site.
TAlign DockAlignAt(TWinControl* site, POINT screen)
{
    const POINT p = site->ScreenToClient(screen);
    const int w = std::max(site->ClientWidth(), 1), h = std::max(site->ClientHeight(), 1);
    if (p.x >= w / 3 && p.x < w - w / 3 && p.y >= h / 3 && p.y < h - h / 3)
        return alClient;
    const int distances[4] = {p.x, w - p.x, p.y, h - p.y};
    const TAlign sides[4] = {alLeft, alRight, alTop, alBottom};
    return sides[std::min_element(distances, distances + 4) - distances];
}

// ------------------------------------------------------------ dock tree

void TDockTree::InsertControl(TControl* control, TAlign align, TControl*)
{
    control->SetAlign(align == alNone ? alClient : align);
    site_->Realign();
}

void TDockTree::RemoveControl(TControl* control)
{
    if (control->Parent() == site_)
        control->SetAlign(alNone);
    site_->Realign();
}

void TDockTree::PositionDockRect(TControl* client, TControl*, TAlign align, RECT& dockRect)
{
    const POINT o = site_->ClientToScreen(POINT{0, 0});
    const int w = site_->ClientWidth(), h = site_->ClientHeight();
    const int cw = std::min(client->Width(), w), ch = std::min(client->Height(), h);
    switch (align) {
    case alLeft: dockRect = RECT{o.x, o.y, o.x + cw, o.y + h}; break;
    case alRight: dockRect = RECT{o.x + w - cw, o.y, o.x + w, o.y + h}; break;
    case alTop: dockRect = RECT{o.x, o.y, o.x + w, o.y + ch}; break;
    case alBottom: dockRect = RECT{o.x, o.y + h - ch, o.x + w, o.y + h}; break;
    default: dockRect = RECT{o.x, o.y, o.x + w, o.y + h}; break;
    }
}

void TDockTree::ResetBounds(bool) { site_->Realign(); }

// ------------------------------------------------------- the one drag

namespace {

struct Drag {
    TControl* control = nullptr;
    TDragObject* object = nullptr;
    bool ownsObject = false;
    bool started = false;
    POINT start{};
    int threshold = kDefaultDragThreshold;
    TControl* target = nullptr;
    bool accepted = false;
    unsigned generation = 0;  // tells a drag apart from one that replaced it
};

Drag g_drag;

// What the events of a plain drag see as the source: the dragged control
// itself for a control's drag, else the drag object.
TObject* SourceOf(TDragObject* object)
{
    if (auto* c = dynamic_cast<TDragControlObject*>(object); c && !dynamic_cast<TDragDockObject*>(object))
        return c->Control();
    return object;
}

POINT CursorPos()
{
    POINT p{};
    GetCursorPos(&p);
    return p;
}

bool Contains(const TControl* outer, const TControl* inner)
{
    for (const TControl* c = inner; c; c = c->Parent())
        if (c == outer)
            return true;
    return false;
}

}  // namespace

// Access to the controls' protected drag handlers for the drag itself.
struct DragDockAccess {
    static void StartDrag(TControl* c, TDragObject*& o) { c->DoStartDrag(o); }
    static void StartDock(TControl* c, TDragObject*& o) { c->DoStartDock(o); }
    static void EndDrag(TControl* c, TObject* target, int x, int y) { c->DoEndDrag(target, x, y); }
    static void EndDock(TControl* c, TObject* target, int x, int y) { c->DoEndDock(target, x, y); }
    // A dock drag asks the site's DockOver, any other the target's DragOver.
    static bool Over(TControl* target, TDragObject* object, POINT screen, TDragState state)
    {
        bool accept = false;
        const POINT p = target->ScreenToClient(screen);
        auto* dock = dynamic_cast<TDragDockObject*>(object);
        if (auto* site = dynamic_cast<TWinControl*>(target); dock && site)
            site->DockOver(dock, p.x, p.y, state, accept);
        else
            target->DragOver(SourceOf(object), p.x, p.y, state, accept);
        return accept;
    }
    static void Drop(TControl* target, TObject* source, POINT screen)
    {
        const POINT p = target->ScreenToClient(screen);
        target->DragDrop(source, p.x, p.y);
    }
    static void SetHost(TControl* c, TWinControl* host) { c->hostDockSite_ = host; }
    static TCustomForm*& FloatHost(TControl* c) { return c->floatHost_; }
    static std::vector<TControl*>& Clients(TWinControl* site) { return site->dockClients_; }
};

TControl* DragControl() { return g_drag.control; }
TDragObject* DragObject() { return g_drag.object; }
bool DragActive() { return g_drag.control && g_drag.started; }

namespace {

void StartDragging()
{
    TControl* control = g_drag.control;
    TDragObject* object = nullptr;
    const unsigned generation = g_drag.generation;
    if (control->DragKind() == dkDock)
        DragDockAccess::StartDock(control, object);
    else
        DragDockAccess::StartDrag(control, object);
    if (g_drag.generation != generation)
        return;  // a handler ended the drag
    g_drag.ownsObject = object == nullptr;
    if (!object)
        object = control->DragKind() == dkDock ? new TDragDockObject(control) : new TDragControlObject(control);
    g_drag.object = object;
    g_drag.started = true;
}

// The dock site under a screen point that takes `control`: the nearest
// enclosing window that is a dock site, is not the control or inside it,
// holds the point in its influence area and accepts the dock.
TWinControl* FindDockSite(TControl* control, POINT screen)
{
    TControl* under = FindDragTarget(screen, false);
    for (TControl* c = under; c; c = c->Parent()) {
        auto* site = dynamic_cast<TWinControl*>(c);
        if (!site || !site->DockSite() || Contains(control, site))
            continue;
        const POINT o = site->ClientToScreen(POINT{0, 0});
        RECT influence{o.x, o.y, o.x + site->Width(), o.y + site->Height()};
        influence = RECT{influence.left - 10, influence.top - 10, influence.right + 10, influence.bottom + 10};
        bool canDock = true;
        site->GetSiteInfo(control, influence, screen, canDock);
        if (canDock && screen.x >= influence.left && screen.x < influence.right && screen.y >= influence.top &&
            screen.y < influence.bottom)
            return site;
    }
    return nullptr;
}

void DragTo(POINT screen)
{
    if (!g_drag.started) {
        if (std::abs(screen.x - g_drag.start.x) <= g_drag.threshold &&
            std::abs(screen.y - g_drag.start.y) <= g_drag.threshold)
            return;
        StartDragging();
        if (!g_drag.started)
            return;
    }
    const unsigned generation = g_drag.generation;
    TDragObject* object = g_drag.object;
    object->DragPos = screen;
    TControl* target = nullptr;
    auto* dock = dynamic_cast<TDragDockObject*>(object);
    if (dock)
        target = FindDockSite(g_drag.control, screen);
    else
        target = FindDragTarget(screen, false);
    if (target != g_drag.target && g_drag.target) {
        DragDockAccess::Over(g_drag.target, object, screen, dsDragLeave);
        if (g_drag.generation != generation)
            return;
    }
    const TDragState state = target != g_drag.target ? dsDragEnter : dsDragMove;
    g_drag.target = target;
    g_drag.accepted = false;
    object->DragTarget = target;
    if (dock) {
        dock->Floating = target == nullptr;
        dock->DropOnControl = nullptr;
        dock->DropAlign = target ? DockAlignAt(static_cast<TWinControl*>(target), screen) : alNone;
        const int w = g_drag.control->Width(), h = g_drag.control->Height();
        dock->DockRect = RECT{screen.x, screen.y, screen.x + w, screen.y + h};
        if (auto* site = static_cast<TWinControl*>(target); site && site->DockManager())
            site->DockManager()->PositionDockRect(g_drag.control, nullptr, dock->DropAlign, dock->DockRect);
    }
    if (target) {
        object->DragTargetPos = target->ScreenToClient(screen);
        const bool accepted = DragDockAccess::Over(target, object, screen, state);
        if (g_drag.generation != generation)
            return;
        g_drag.accepted = accepted;
        if (dock && !accepted) {
            dock->Floating = true;
            dock->DockRect = RECT{screen.x, screen.y, screen.x + g_drag.control->Width(),
                                  screen.y + g_drag.control->Height()};
        }
    }
}

}  // namespace

void EndDragging(bool drop)
{
    if (!g_drag.control)
        return;
    const Drag drag = g_drag;
    g_drag = Drag{};
    g_drag.generation = drag.generation + 1;
    if (GetCaptureControl() == drag.control)
        SetCaptureControl(nullptr);
    if (!drag.started)
        return;
    TControl* control = drag.control;
    TDragObject* object = drag.object;
    object->Dropped = drop && drag.accepted;
    object->Cancelling = !drop;
    const POINT screen = object->DragPos;
    const POINT at = drag.target ? drag.target->ScreenToClient(screen) : screen;
    if (auto* dock = dynamic_cast<TDragDockObject*>(object)) {
        TWinControl* site = dynamic_cast<TWinControl*>(drag.target);
        if (drop && site && drag.accepted) {
            site->DockDrop(dock, at.x, at.y);
        } else if (drop && dock->Floating) {
            control->ManualFloat(dock->DockRect);
        }
        DragDockAccess::EndDock(control, object->Dropped ? drag.target : nullptr, at.x, at.y);
    } else {
        if (object->Dropped)
            DragDockAccess::Drop(drag.target, SourceOf(object), screen);
        DragDockAccess::EndDrag(control, object->Dropped ? drag.target : nullptr, at.x, at.y);
    }
    if (drag.ownsObject)
        delete object;
}

bool DragMessage(TControl* control, TMessage& m)
{
    if (g_drag.control != control)
        return false;
    switch (m.Msg) {
    case WM_MOUSEMOVE: {
        DragTo(CursorPos());
        // Before the threshold the control still sees the move.
        return g_drag.control == control && g_drag.started;
    }
    case WM_LBUTTONUP:
        if (!g_drag.started) {
            EndDragging(false);
            return false;
        }
        EndDragging(true);
        {
            TControlState state = control->ControlState();
            state.Exclude(csLButtonDown);
            state.Exclude(csClicked);
            control->SetControlState(state);
        }
        return true;
    case WM_RBUTTONDOWN:
    case WM_CANCELMODE:
        EndDragging(false);
        return true;
    case WM_KEYDOWN:
        if (m.WParam == VK_ESCAPE && g_drag.started) {
            EndDragging(false);
            return true;
        }
        return false;
    default: return false;
    }
}

// ------------------------------------------------ the controls' side

void TControl::BeginDrag(bool immediate, int threshold)
{
    if (ComponentState().Contains(csDesigning) || g_drag.control)
        return;
    g_drag.control = this;
    g_drag.object = nullptr;
    g_drag.started = false;
    g_drag.target = nullptr;
    g_drag.accepted = false;
    g_drag.threshold = threshold < 0 ? kDefaultDragThreshold : threshold;
    g_drag.start = CursorPos();
    SetCaptureControl(this);
    if (immediate) {
        StartDragging();
        if (g_drag.control == this && g_drag.started)
            DragTo(g_drag.start);
    }
}

bool TControl::Dragging() const { return g_drag.control == this; }

void TControl::EndDrag(bool drop)
{
    if (Dragging())
        EndDragging(drop);
}

bool TControl::Floating() const { return !parent_ || (floatHost_ && parent_ == floatHost_); }

void TControl::DoStartDrag(TDragObject*& dragObject) { OnStartDrag(this, dragObject); }
void TControl::DoEndDrag(TObject* target, int x, int y) { OnEndDrag(this, target, x, y); }
void TControl::DragOver(TObject* source, int x, int y, TDragState state, bool& accept)
{
    accept = static_cast<bool>(OnDragOver);
    OnDragOver(this, source, x, y, state, accept);
}
void TControl::DragDrop(TObject* source, int x, int y) { OnDragDrop(this, source, x, y); }

void TControl::DoStartDock(TDragObject*& dragObject)
{
    TDragDockObject* dock = nullptr;
    OnStartDock(this, dock);
    if (dock)
        dragObject = dock;
}

void TControl::DoEndDock(TObject* target, int x, int y) { OnEndDock(this, target, x, y); }

void TControl::ManualDock(TWinControl* site, TControl* dropOnControl, TAlign align)
{
    if (!site) {
        const POINT o = parent_ ? parent_->ClientToScreen(POINT{left_, top_}) : POINT{left_, top_};
        ManualFloat(RECT{o.x, o.y, o.x + width_, o.y + height_});
        return;
    }
    TDragDockObject dock(this);
    dock.DropOnControl = dropOnControl;
    dock.DropAlign = align;
    dock.Floating = false;
    site->DockDrop(&dock, 0, 0);
}

void TControl::ManualFloat(const RECT& screenRect)
{
    TWinControl* old = hostDockSite_;
    if (old && !(floatHost_ && old == floatHost_) && !old->DoUnDock(nullptr, this))
        return;
    if (old)
        old->ForgetDockClient(this);
    TCustomForm* host = floatHost_;
    if (!host) {
        host = new TForm(nullptr);
        host->SetBorderStyle(bsSizeToolWin);
        floatHost_ = host;
    }
    SetAlign(alNone);
    SetParent(host);
    SetBounds(0, 0, screenRect.right - screenRect.left, screenRect.bottom - screenRect.top);
    host->SetBounds(screenRect.left, screenRect.top, screenRect.right - screenRect.left,
                    screenRect.bottom - screenRect.top);
    // The frame's size is known only once the window exists.
    host->HandleNeeded();
    host->SetClientWidth(width_);
    host->SetClientHeight(height_);
    hostDockSite_ = nullptr;
    host->Show();
}

// A control that leaves its floating host frees the host once the
// messages under way have been handled.
void TControl::LeaveFloatHost()
{
    TCustomForm* host = floatHost_;
    floatHost_ = nullptr;
    if (!host)
        return;
    host->Hide();
    host->Release();
}

void TControl::LeaveDragAndDock()
{
    if (Dragging()) {
        const Drag drag = g_drag;
        g_drag = Drag{};
        g_drag.generation = drag.generation + 1;
        if (drag.ownsObject)
            delete drag.object;
    } else if (g_drag.control && g_drag.target == this) {
        // The drag goes on over whatever lies under the cursor next; it
        // must not tell a freed control that the drag left it.
        g_drag.target = nullptr;
        g_drag.accepted = false;
        if (g_drag.object)
            g_drag.object->DragTarget = nullptr;
    }
    if (hostDockSite_)
        hostDockSite_->ForgetDockClient(this);
    if (floatHost_ && parent_ == floatHost_) {
        parent_->RemoveControl(this);
        LeaveFloatHost();
    }
    floatHost_ = nullptr;
}

// ------------------------------------------------------------ dock sites

void TWinControl::LeaveDockSite()
{
    for (TControl* client : dockClients_)
        DragDockAccess::SetHost(client, nullptr);
    dockClients_.clear();
    delete dockManager_;
    dockManager_ = nullptr;
}

void TWinControl::SetDockSite(bool v) { dockSite_ = v; }

void TWinControl::SetUseDockManager(bool v)
{
    useDockManager_ = v;
    if (v && !dockManager_)
        dockManager_ = new TDockTree(this);
    if (!v) {
        delete dockManager_;
        dockManager_ = nullptr;
    }
}

TControl* TWinControl::DockClients(int index) const
{
    if (index < 0 || index >= DockClientCount())
        throw EListError(Format(consts::SListIndexError, index));
    return dockClients_[static_cast<std::size_t>(index)];
}

void TWinControl::ForgetDockClient(TControl* client)
{
    auto it = std::find(dockClients_.begin(), dockClients_.end(), client);
    if (it == dockClients_.end())
        return;
    dockClients_.erase(it);
    if (dockManager_)
        dockManager_->RemoveControl(client);
    DragDockAccess::SetHost(client, nullptr);
}

void TWinControl::DockOver(TDragDockObject* source, int x, int y, TDragState state, bool& accept)
{
    accept = true;
    OnDockOver(this, source, x, y, state, accept);
}

void TWinControl::GetSiteInfo(TControl* client, RECT& influenceRect, POINT mousePos, bool& canDock)
{
    OnGetSiteInfo(this, client, influenceRect, mousePos, canDock);
}

bool TWinControl::DoUnDock(TWinControl* newTarget, TControl* client)
{
    bool allow = true;
    OnUnDock(this, client, newTarget, allow);
    return allow;
}

void TWinControl::DockDrop(TDragDockObject* source, int x, int y)
{
    TControl* client = source->Control();
    if (!client)
        return;
    TWinControl* old = client->HostDockSite();
    if (old && old != this) {
        if (!old->DoUnDock(this, client))
            return;
        old->ForgetDockClient(client);
    }
    const bool wasFloating = client->floatHost_ != nullptr;
    DisableAlign();
    try {
        if (client->Parent() != this) {
            const POINT p = ScreenToClient(POINT{source->DockRect.left, source->DockRect.top});
            client->SetParent(this);
            client->SetBounds(p.x, p.y, client->Width(), client->Height());
        }
        if (std::find(dockClients_.begin(), dockClients_.end(), client) == dockClients_.end())
            dockClients_.push_back(client);
        DragDockAccess::SetHost(client, this);
        if (dockManager_)
            dockManager_->InsertControl(client, source->DropAlign, source->DropOnControl);
    } catch (...) {
        EnableAlign();
        throw;
    }
    EnableAlign();
    if (wasFloating)
        client->LeaveFloatHost();
    OnDockDrop(this, source, x, y);
}

}  // namespace vcl
