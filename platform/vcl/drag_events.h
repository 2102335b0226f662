#pragma once

// The kinds, states and events of dragging and docking, for the controls
// to declare; the drag objects and the drag itself are in dragdock.h.

#include "platform/vcl/classes.h"
#include "platform/win32/wintypes.h"

namespace vcl {

class TControl;
class TWinControl;
class TDragObject;
class TDragDockObject;

enum TDragKind { dkDrag, dkDock };
enum TDragState { dsDragEnter, dsDragLeave, dsDragMove };
extern const TEnumInfo kDragKindInfo;

using TStartDragEvent = TEvent<TObject*, TDragObject*&>;
using TEndDragEvent = TEvent<TObject*, TObject*, int, int>;
using TDragOverEvent = TEvent<TObject*, TObject*, int, int, TDragState, bool&>;
using TDragDropEvent = TEvent<TObject*, TObject*, int, int>;
using TStartDockEvent = TEvent<TObject*, TDragDockObject*&>;
using TDockOverEvent = TEvent<TObject*, TDragDockObject*, int, int, TDragState, bool&>;
using TDockDropEvent = TEvent<TObject*, TDragDockObject*, int, int>;
using TGetSiteInfoEvent = TEvent<TObject*, TControl*, RECT&, POINT, bool&>;
using TUnDockEvent = TEvent<TObject*, TControl*, TWinControl*, bool&>;

}  // namespace vcl
