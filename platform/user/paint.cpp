#include "platform/gdi/surface.h"
#include "platform/user/user_control.h"
#include "platform/user/user_state.h"

#include <algorithm>
#include <vector>

namespace vls::user {
namespace {

// GetDC and BeginPaint clip by the window's own styles; GetDCEx called with
// its flags clips children only when DCX_CLIPCHILDREN asks for it, which is
// what tracking outlines drawn over a window's children rely on.
constexpr DWORD kDcxUseStyle = 0x00010000;

RECT ClientBounds(const Window* w) { return {0, 0, w->client.right - w->client.left, w->client.bottom - w->client.top}; }

// Where a window's own top-left corner (window or client) lies in its
// top-level window's surface.
POINT SurfaceOffset(const Window* w, bool client)
{
    const Window* top = TopLevelOf(const_cast<Window*>(w));
    const RECT topRect = ScreenWindowRect(top);
    if (client) {
        const POINT o = ClientOriginOnScreen(w);
        return {o.x - topRect.left, o.y - topRect.top};
    }
    const RECT r = ScreenWindowRect(w);
    return {r.left - topRect.left, r.top - topRect.top};
}

RECT ToSurface(const Window* w, RECT r, bool client)
{
    const POINT o = SurfaceOffset(w, client);
    OffsetRect(&r, o.x, o.y);
    return r;
}

// What of a window can be drawn on, in surface pixels: its area cut by every
// ancestor's client area, less its children (when `clipChildren`) and the
// siblings above it (WS_CLIPSIBLINGS), and inside the window regions.
HRGN VisibleRegion(const Window* w, bool client, const RECT* limit, bool clipChildren)
{
    const Window* top = TopLevelOf(const_cast<Window*>(w));
    RECT area = client ? ToSurface(w, ClientBounds(w), true)
                       : ToSurface(w, {0, 0, w->rect.right - w->rect.left, w->rect.bottom - w->rect.top}, false);
    if (limit) {
        const RECT l = ToSurface(w, *limit, client);
        IntersectRect(&area, &area, &l);
    }
    HRGN rgn = CreateRectRgnIndirect(&area);
    const auto cut = [&](const RECT& r, int mode) {
        HRGN piece = CreateRectRgnIndirect(&r);
        CombineRgn(rgn, rgn, piece, mode);
        DeleteObject(piece);
    };
    for (const Window* c = w; c && c != top; c = Find(c->parent)) {
        const Window* p = Find(c->parent);
        if (!p)
            break;
        cut(ToSurface(p, ClientBounds(p), true), RGN_AND);
        if (c->style & WS_CLIPSIBLINGS) {
            for (const HWND sib : p->children) {
                if (sib == c->handle)
                    break;
                const Window* sw = Find(sib);
                if (sw && (sw->style & WS_VISIBLE))
                    cut(ToSurface(sw, {0, 0, sw->rect.right - sw->rect.left, sw->rect.bottom - sw->rect.top}, false), RGN_DIFF);
            }
        }
    }
    if (client && clipChildren) {
        for (const HWND ch : w->children) {
            const Window* cw = Find(ch);
            if (cw && (cw->style & WS_VISIBLE))
                cut(ToSurface(cw, {0, 0, cw->rect.right - cw->rect.left, cw->rect.bottom - cw->rect.top}, false), RGN_DIFF);
        }
    }
    for (const Window* c = w; c; c = Find(c->parent)) {
        if (c->region) {
            HRGN shaped = CreateRectRgn(0, 0, 0, 0);
            CombineRgn(shaped, c->region, nullptr, RGN_COPY);
            const POINT o = SurfaceOffset(c, false);
            OffsetRgn(shaped, o.x, o.y);
            CombineRgn(rgn, rgn, shaped, RGN_AND);
            DeleteObject(shaped);
        }
        if (c == top)
            break;
    }
    return rgn;
}

HDC MakeWindowDC(Window* w, bool client, const RECT* limit, HRGN extraClip, DWORD flags)
{
    Window* top = TopLevelOf(w);
    if (!top)
        return nullptr;
    if (!top->surface)
        ResizeSurface(top);
    const bool clipChildren = (flags & DCX_CLIPCHILDREN) || ((flags & kDcxUseStyle) && (w->style & WS_CLIPCHILDREN));
    HRGN visible = VisibleRegion(w, client, limit, clipChildren);
    if (extraClip && (flags & (DCX_INTERSECTRGN | DCX_EXCLUDERGN))) {
        HRGN shifted = CreateRectRgn(0, 0, 0, 0);
        CombineRgn(shifted, extraClip, nullptr, RGN_COPY);
        const POINT o = SurfaceOffset(w, client);
        OffsetRgn(shifted, o.x, o.y);
        CombineRgn(visible, visible, shifted, (flags & DCX_INTERSECTRGN) ? RGN_AND : RGN_DIFF);
        DeleteObject(shifted);
    }
    const HDC dc = gdi::CreateSurfaceDC(top->surface, SurfaceOffset(w, client), visible, w->handle);
    DeleteObject(visible);
    return dc;
}

void Union(RECT& into, const RECT& r)
{
    if (IsRectEmpty(&r))
        return;
    if (IsRectEmpty(&into))
        into = r;
    else
        UnionRect(&into, &into, &r);
}

Window* FirstToPaint(Window* w)
{
    if (!w || !(w->style & WS_VISIBLE) || w->minimized)
        return nullptr;
    if (!IsDesktop(w) && NeedsPaint(w))
        return w;
    for (const HWND c : w->children)
        if (Window* found = FirstToPaint(Find(c)))
            return found;
    return nullptr;
}

void UpdateTree(HWND hwnd)
{
    Window* w = Find(hwnd);
    if (!w)
        return;
    if (NeedsPaint(w)) {
        Send(w, WM_PAINT, 0, 0);
        if ((w = Find(hwnd)) && NeedsPaint(w))
            ValidateRect(hwnd, nullptr);
    }
    if (!(w = Find(hwnd)))
        return;
    const std::vector<HWND> children = w->children;
    for (const HWND c : children)
        UpdateTree(c);
}

}  // namespace

bool NeedsPaint(const Window* w)
{
    return (!IsRectEmpty(&w->update) || w->internalPaint || w->frameInvalid) && IsWindowVisible(w->handle);
}

Window* FindWindowToPaint() { return FirstToPaint(Find(Get().desktop)); }

void InvalidateWindow(Window* w, const RECT* rect, bool erase, bool children, bool frame, bool hitFrames)
{
    // WM_SETREDRAW FALSE: the window keeps its pixels until redrawing is back on.
    if (!w || IsDesktop(w) || !(w->style & WS_VISIBLE) || !w->redraw)
        return;
    RECT r = ClientBounds(w);
    if (rect)
        IntersectRect(&r, &r, rect);
    if (!IsRectEmpty(&r)) {
        Union(w->update, r);
        w->updateErase = w->updateErase || erase;
    }
    if (frame)
        w->frameInvalid = true;
    if (!children)
        return;
    for (const HWND c : w->children) {
        Window* cw = Find(c);
        if (!cw || !(cw->style & WS_VISIBLE))
            continue;
        RECT part{};
        const RECT whole = rect ? r : ClientBounds(w);
        if (!IntersectRect(&part, &whole, &cw->rect))
            continue;
        // An uncovered border or caption of a child is drawn again as well.
        RECT inClient{};
        const bool framePart = hitFrames && !(IntersectRect(&inClient, &part, &cw->client) && EqualRect(&inClient, &part));
        OffsetRect(&part, -cw->client.left, -cw->client.top);
        InvalidateWindow(cw, &part, erase, true, frame, hitFrames);
        if (framePart && cw->redraw)
            cw->frameInvalid = true;
    }
}

void ResizeSurface(Window* top)
{
    const int width = std::max(1, static_cast<int>(top->rect.right - top->rect.left));
    const int height = std::max(1, static_cast<int>(top->rect.bottom - top->rect.top));
    if (!top->surface)
        top->surface = std::make_shared<gdi::Surface>(width, height);
    else if (top->surface->Width() != width || top->surface->Height() != height)
        top->surface->Resize(width, height);
    ApplyShape(top);
}

void ApplyShape(Window* top)
{
    if (!top->native)
        return;
    State& s = Get();
    const int width = std::max(1, static_cast<int>(top->rect.right - top->rect.left));
    const int height = std::max(1, static_cast<int>(top->rect.bottom - top->rect.top));
    if (!top->region) {
        s.backend->SetNativeShape(top->native, {}, width, height);
        return;
    }
    std::vector<std::uint8_t> mask(static_cast<std::size_t>(width) * static_cast<std::size_t>(height), 0);
    const DWORD size = GetRegionData(top->region, 0, nullptr);
    std::vector<std::uint8_t> buffer(std::max<DWORD>(size, sizeof(RGNDATAHEADER)));
    auto* data = reinterpret_cast<RGNDATA*>(buffer.data());
    if (size && GetRegionData(top->region, size, data)) {
        const std::size_t count = std::min<std::size_t>(data->rdh.nCount, (buffer.size() - sizeof(RGNDATAHEADER)) / sizeof(RECT));
        const RECT* rects = reinterpret_cast<const RECT*>(buffer.data() + sizeof(RGNDATAHEADER));
        for (std::size_t i = 0; i < count; ++i) {
            const int x0 = std::clamp(static_cast<int>(rects[i].left), 0, width);
            const int x1 = std::clamp(static_cast<int>(rects[i].right), 0, width);
            const int y0 = std::clamp(static_cast<int>(rects[i].top), 0, height);
            const int y1 = std::clamp(static_cast<int>(rects[i].bottom), 0, height);
            for (int y = y0; y < y1; ++y)
                std::fill(mask.begin() + y * width + x0, mask.begin() + y * width + x1, 1);
        }
    }
    s.backend->SetNativeShape(top->native, mask, width, height);
    // Shaping may have replaced the desktop's window: show the pixels again.
    top->surfaceDirty = true;
}

void PresentDirty()
{
    State& s = Get();
    for (const HWND h : Find(s.desktop)->children) {
        Window* w = Find(h);
        if (!w || !w->surfaceDirty || !w->native || !w->nativeShown || !w->surface)
            continue;
        w->surfaceDirty = false;
        s.backend->Present(w->native, w->surface->Pixels(), w->surface->Width(), w->surface->Height(), w->surface->Stride());
    }
}

gdi::SurfacePtr WindowSurface(HWND hwnd, POINT* clientOrigin)
{
    Window* w = Find(hwnd);
    Window* top = TopLevelOf(w);
    if (!top)
        return nullptr;
    if (!top->surface)
        ResizeSurface(top);
    if (clientOrigin)
        *clientOrigin = SurfaceOffset(w, true);
    return top->surface;
}

void PresentWindow(HWND hwnd)
{
    if (Window* top = TopLevelOf(Find(hwnd)))
        top->surfaceDirty = true;
}

}  // namespace vls::user

using namespace vls::user;

HDC BeginPaint(HWND hwnd, LPPAINTSTRUCT paint)
{
    Window* w = Find(hwnd);
    if (!w || !paint)
        return nullptr;
    HideCaretForPaint(hwnd);
    if (w->frameInvalid) {
        w->frameInvalid = false;
        Send(w, WM_NCPAINT, 1, 0);
        if (!(w = Find(hwnd)))
            return nullptr;
    }
    const RECT update = w->update;
    const bool erase = w->updateErase;
    w->update = {};
    w->updateErase = false;
    w->internalPaint = false;
    *paint = PAINTSTRUCT{};
    const HDC dc = MakeWindowDC(w, true, &update, nullptr, kDcxUseStyle);
    paint->hdc = dc;
    paint->rcPaint = update;
    paint->fErase = FALSE;
    if (erase && dc)
        paint->fErase = Send(w, WM_ERASEBKGND, reinterpret_cast<WPARAM>(dc), 0) ? FALSE : TRUE;
    return dc;
}

BOOL EndPaint(HWND hwnd, const PAINTSTRUCT* paint)
{
    if (paint && paint->hdc)
        DeleteDC(paint->hdc);
    PresentWindow(hwnd);
    ShowCaretAfterPaint(hwnd);
    return TRUE;
}

HDC GetDCEx(HWND hwnd, HRGN clip, DWORD flags)
{
    if (!hwnd)
        return CreateDCA("DISPLAY", nullptr, nullptr, nullptr);
    Window* w = Find(hwnd);
    if (!w)
        return nullptr;
    if (IsDesktop(w))
        return CreateDCA("DISPLAY", nullptr, nullptr, nullptr);
    return MakeWindowDC(w, !(flags & DCX_WINDOW), nullptr, clip, flags);
}

HDC GetDC(HWND hwnd) { return GetDCEx(hwnd, nullptr, kDcxUseStyle); }

HDC GetWindowDC(HWND hwnd) { return GetDCEx(hwnd, nullptr, DCX_WINDOW | kDcxUseStyle); }

int ReleaseDC(HWND hwnd, HDC hdc)
{
    if (!hdc)
        return 0;
    const HWND owner = static_cast<HWND>(vls::gdi::GetSurfaceDCOwner(hdc));
    DeleteDC(hdc);
    PresentWindow(owner ? owner : hwnd);
    return 1;
}

HWND WindowFromDC(HDC hdc)
{
    const HWND owner = hdc ? static_cast<HWND>(vls::gdi::GetSurfaceDCOwner(hdc)) : nullptr;
    return Find(owner) ? owner : nullptr;
}

BOOL InvalidateRect(HWND hwnd, const RECT* rect, BOOL erase)
{
    if (!hwnd) {
        // The whole screen: every top-level window.
        for (const HWND h : Find(Get().desktop)->children)
            InvalidateWindow(Find(h), nullptr, erase != FALSE, true, true);
        return TRUE;
    }
    Window* w = Find(hwnd);
    if (!w)
        return FALSE;
    InvalidateWindow(w, rect, erase != FALSE, !(w->style & WS_CLIPCHILDREN), false);
    return TRUE;
}

BOOL InvalidateRgn(HWND hwnd, HRGN region, BOOL erase)
{
    if (!region)
        return InvalidateRect(hwnd, nullptr, erase);
    RECT box{};
    GetRgnBox(region, &box);
    return InvalidateRect(hwnd, &box, erase);
}

BOOL ValidateRect(HWND hwnd, const RECT* rect)
{
    Window* w = Find(hwnd);
    if (!w)
        return FALSE;
    if (!rect) {
        w->update = {};
        w->updateErase = false;
        w->internalPaint = false;
        w->frameInvalid = false;
        return TRUE;
    }
    RECT rest{};
    // The update area is kept as a rectangle: take off what a band covers.
    if (SubtractRect(&rest, &w->update, rect))
        w->update = rest;
    else
        w->update = {};
    return TRUE;
}

BOOL ValidateRgn(HWND hwnd, HRGN region)
{
    if (!region)
        return ValidateRect(hwnd, nullptr);
    RECT box{};
    GetRgnBox(region, &box);
    return ValidateRect(hwnd, &box);
}

BOOL GetUpdateRect(HWND hwnd, LPRECT rect, BOOL)
{
    const Window* w = Find(hwnd);
    if (!w)
        return FALSE;
    if (rect)
        *rect = w->update;
    return !IsRectEmpty(&w->update);
}

int GetUpdateRgn(HWND hwnd, HRGN region, BOOL)
{
    const Window* w = Find(hwnd);
    if (!w || !region)
        return ERROR;
    SetRectRgn(region, w->update.left, w->update.top, w->update.right, w->update.bottom);
    return IsRectEmpty(&w->update) ? NULLREGION : SIMPLEREGION;
}

BOOL RedrawWindow(HWND hwnd, const RECT* update, HRGN region, UINT flags)
{
    Window* w = hwnd ? Find(hwnd) : Find(Get().desktop);
    if (!w)
        return FALSE;
    RECT box{};
    const RECT* area = update;
    if (!area && region) {
        GetRgnBox(region, &box);
        area = &box;
    }
    const bool children = (flags & RDW_ALLCHILDREN) || (!(flags & RDW_NOCHILDREN) && !(w->style & WS_CLIPCHILDREN));
    if (IsDesktop(w)) {
        if (flags & RDW_INVALIDATE)
            for (const HWND h : w->children)
                InvalidateWindow(Find(h), nullptr, (flags & RDW_ERASE) != 0, true, true);
    } else {
        if (flags & RDW_INVALIDATE)
            InvalidateWindow(w, area, (flags & RDW_ERASE) != 0, children, (flags & RDW_FRAME) != 0);
        if (flags & RDW_INTERNALPAINT)
            w->internalPaint = true;
        if (flags & RDW_VALIDATE) {
            ValidateRect(hwnd, area);
            if (flags & RDW_NOFRAME)
                w->frameInvalid = false;
        }
    }
    if (flags & (RDW_UPDATENOW | RDW_ERASENOW)) {
        if (IsDesktop(w)) {
            const std::vector<HWND> tops = w->children;
            for (const HWND h : tops)
                UpdateTree(h);
        } else {
            UpdateTree(hwnd);
        }
        PresentDirty();
    }
    return TRUE;
}

BOOL UpdateWindow(HWND hwnd)
{
    if (!Find(hwnd))
        return FALSE;
    UpdateTree(hwnd);
    PresentDirty();
    return TRUE;
}

BOOL ScrollWindow(HWND hwnd, int, int, const RECT*, const RECT*)
{
    return InvalidateRect(hwnd, nullptr, TRUE);
}

BOOL LockWindowUpdate(HWND) { return TRUE; }
