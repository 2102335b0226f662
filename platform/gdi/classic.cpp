#include <algorithm>

#include "platform/gdi/raster.h"
#include "platform/gdi/syscolors.h"

using namespace vls::gdi;

namespace {

// Fills a logical rectangle with a plain colour through the DC's clip.
void Fill(HDC hdc, int left, int top, int right, int bottom, COLORREF color)
{
    auto dc = GetDc(hdc);
    if (!dc || left >= right || top >= bottom)
        return;
    const DrawTarget t = TargetOf(*dc);
    if (!t.Valid())
        return;
    const std::uint32_t pixel = ColorRefToPixel(color);
    const RECT area{left + t.offset.x, top + t.offset.y, right + t.offset.x, bottom + t.offset.y};
    ForEachClipped(t, area, [&](const RECT& r) {
        for (int y = r.top; y < r.bottom; ++y)
            std::fill(t.surface->Row(y) + r.left, t.surface->Row(y) + r.right, pixel);
    });
}

// One ring of an edge: top and left in `topLeft`, then bottom and right in
// `bottomRight`, which owns the top-right and bottom-left corners.
void Ring(HDC hdc, const RECT& r, UINT sides, COLORREF topLeft, COLORREF bottomRight)
{
    if (sides & BF_TOP)
        Fill(hdc, r.left, r.top, r.right - 1, r.top + 1, topLeft);
    if (sides & BF_LEFT)
        Fill(hdc, r.left, r.top, r.left + 1, r.bottom - 1, topLeft);
    if (sides & BF_BOTTOM)
        Fill(hdc, r.left, r.bottom - 1, r.right, r.bottom, bottomRight);
    if (sides & BF_RIGHT)
        Fill(hdc, r.right - 1, r.top, r.right, r.bottom, bottomRight);
}

RECT Shrink(const RECT& r, UINT sides)
{
    RECT s = r;
    if (sides & BF_LEFT)
        ++s.left;
    if (sides & BF_TOP)
        ++s.top;
    if (sides & BF_RIGHT)
        --s.right;
    if (sides & BF_BOTTOM)
        --s.bottom;
    return s;
}

void Triangle(HDC hdc, int cx, int cy, int size, int direction, COLORREF color)
{
    // direction: 0 down, 1 up, 2 left, 3 right; `size` rows of shrinking width.
    for (int i = 0; i < size; ++i) {
        const int half = size - 1 - i;
        switch (direction) {
        case 0: Fill(hdc, cx - half, cy - size / 2 + i, cx + half + 1, cy - size / 2 + i + 1, color); break;
        case 1: Fill(hdc, cx - half, cy + size / 2 - i, cx + half + 1, cy + size / 2 - i + 1, color); break;
        case 2: Fill(hdc, cx + size / 2 - i, cy - half, cx + size / 2 - i + 1, cy + half + 1, color); break;
        default: Fill(hdc, cx - size / 2 + i, cy - half, cx - size / 2 + i + 1, cy + half + 1, color); break;
        }
    }
}

void CheckMark(HDC hdc, int left, int top, COLORREF color)
{
    // The classic 7 x 7 tick: a falling then rising stroke three pixels thick.
    static const int kTop[7] = {2, 3, 4, 3, 2, 1, 0};
    for (int col = 0; col < 7; ++col)
        Fill(hdc, left + col, top + kTop[col], left + col + 1, top + kTop[col] + 3, color);
}

void CaptionGlyph(HDC hdc, const RECT& r, UINT kind, COLORREF color)
{
    const int w = r.right - r.left, h = r.bottom - r.top;
    const int size = std::max(4, std::min(w, h) / 2);
    const int left = r.left + (w - size) / 2, top = r.top + (h - size) / 2;
    switch (kind & 0xF) {
    case DFCS_CAPTIONCLOSE:
        for (int i = 0; i < size; ++i) {
            Fill(hdc, left + i, top + i, left + i + 2, top + i + 1, color);
            Fill(hdc, left + size - 1 - i - 1, top + i, left + size - i, top + i + 1, color);
        }
        break;
    case DFCS_CAPTIONMIN: Fill(hdc, left, top + size - 2, left + size - 2, top + size, color); break;
    case DFCS_CAPTIONMAX:
        Fill(hdc, left, top, left + size, top + 2, color);
        Fill(hdc, left, top, left + 1, top + size, color);
        Fill(hdc, left + size - 1, top, left + size, top + size, color);
        Fill(hdc, left, top + size - 1, left + size, top + size, color);
        break;
    case DFCS_CAPTIONRESTORE: {
        const int s = size * 2 / 3;
        for (const POINT o : {POINT{size - s, 0}, POINT{0, size - s}}) {
            Fill(hdc, left + o.x, top + o.y, left + o.x + s, top + o.y + 2, color);
            Fill(hdc, left + o.x, top + o.y, left + o.x + 1, top + o.y + s, color);
            Fill(hdc, left + o.x + s - 1, top + o.y, left + o.x + s, top + o.y + s, color);
            Fill(hdc, left + o.x, top + o.y + s - 1, left + o.x + s, top + o.y + s, color);
        }
        break;
    }
    default:  // help: a question mark from strokes
        Fill(hdc, left + 1, top, left + size - 1, top + 2, color);
        Fill(hdc, left + size - 2, top, left + size, top + size / 2, color);
        Fill(hdc, left + size / 2 - 1, top + size / 2 - 1, left + size - 1, top + size / 2 + 1, color);
        Fill(hdc, left + size / 2 - 1, top + size / 2, left + size / 2 + 1, top + size * 3 / 4, color);
        Fill(hdc, left + size / 2 - 1, top + size - 2, left + size / 2 + 1, top + size, color);
        break;
    }
}

BOOL PushFrame(HDC hdc, RECT& r, UINT state)
{
    UINT edge = (state & (DFCS_PUSHED | DFCS_CHECKED)) ? EDGE_SUNKEN : EDGE_RAISED;
    UINT flags = BF_RECT | BF_MIDDLE | BF_ADJUST;
    if (state & DFCS_FLAT)
        flags |= BF_FLAT;
    if (state & DFCS_MONO)
        flags |= BF_MONO;
    return DrawEdge(hdc, &r, edge, flags);
}

}  // namespace

BOOL DrawEdge(HDC hdc, LPRECT rect, UINT edge, UINT flags)
{
    if (!GetDc(hdc) || !rect)
        return FALSE;
    RECT r = *rect;
    const UINT sides = flags & BF_RECT;
    const UINT outer = edge & BDR_OUTER;
    const UINT inner = edge & BDR_INNER;
    const COLORREF light = SysColor(COLOR_3DLIGHT), dark = SysColor(COLOR_3DDKSHADOW);
    const COLORREF high = SysColor(COLOR_BTNHIGHLIGHT), shadow = SysColor(COLOR_BTNSHADOW);
    if (outer) {
        COLORREF tl, br;
        if (flags & BF_MONO)
            tl = br = SysColor(COLOR_WINDOWFRAME);
        else if (flags & BF_FLAT)
            tl = br = shadow;
        else if (outer & BDR_RAISEDOUTER)
            tl = (flags & BF_SOFT) ? high : light, br = dark;
        else
            tl = shadow, br = high;
        Ring(hdc, r, sides, tl, br);
        r = Shrink(r, sides);
    }
    if (inner) {
        COLORREF tl, br;
        if (flags & BF_MONO)
            tl = br = SysColor(COLOR_WINDOW);
        else if (flags & BF_FLAT)
            tl = br = SysColor(COLOR_BTNFACE);
        else if (inner & BDR_RAISEDINNER)
            tl = (flags & BF_SOFT) ? light : high, br = shadow;
        else
            tl = dark, br = light;
        Ring(hdc, r, sides, tl, br);
        r = Shrink(r, sides);
    }
    if (flags & BF_MIDDLE)
        Fill(hdc, r.left, r.top, r.right, r.bottom, SysColor((flags & BF_MONO) ? COLOR_WINDOW : COLOR_BTNFACE));
    if (flags & BF_ADJUST)
        *rect = r;
    return TRUE;
}

BOOL DrawFrameControl(HDC hdc, LPRECT rect, UINT type, UINT state)
{
    if (!GetDc(hdc) || !rect)
        return FALSE;
    RECT r = *rect;
    const COLORREF glyph = (state & DFCS_INACTIVE) ? SysColor(COLOR_GRAYTEXT) : SysColor(COLOR_BTNTEXT);
    const int shift = (state & DFCS_PUSHED) ? 1 : 0;
    switch (type) {
    case DFC_BUTTON: {
        const UINT kind = state & 0xFF;
        if (kind & DFCS_BUTTONPUSH) {
            PushFrame(hdc, r, state);
            break;
        }
        if (kind & (DFCS_BUTTONRADIO | DFCS_BUTTONRADIOIMAGE)) {
            const RECT box{r.left, r.top, r.left + 12, r.top + 12};
            const COLORREF fill = (state & (DFCS_PUSHED | DFCS_INACTIVE)) ? SysColor(COLOR_BTNFACE) : SysColor(COLOR_WINDOW);
            HBRUSH brush = CreateSolidBrush(fill);
            HRGN round = CreateEllipticRgn(box.left, box.top, box.right, box.bottom);
            FillRgn(hdc, round, brush);
            DeleteObject(round);
            DeleteObject(brush);
            if (state & DFCS_CHECKED)
                Fill(hdc, box.left + 4, box.top + 4, box.left + 8, box.top + 8, glyph);
            break;
        }
        // Check box: a 13 x 13 sunken square in the top-left of the rectangle.
        const int size = std::min<int>(13, std::min(r.right - r.left, r.bottom - r.top));
        RECT box{r.left + (r.right - r.left - size) / 2, r.top + (r.bottom - r.top - size) / 2, 0, 0};
        box.right = box.left + size;
        box.bottom = box.top + size;
        const bool grayed = (kind & DFCS_BUTTON3STATE) && (state & DFCS_CHECKED);
        const bool dim = (state & (DFCS_PUSHED | DFCS_INACTIVE)) || grayed;
        RECT inside = box;
        DrawEdge(hdc, &inside, (state & DFCS_FLAT) ? BDR_SUNKENOUTER : EDGE_SUNKEN,
                 BF_RECT | BF_ADJUST | ((state & DFCS_FLAT) ? BF_FLAT : 0));
        Fill(hdc, inside.left, inside.top, inside.right, inside.bottom, SysColor(dim ? COLOR_BTNFACE : COLOR_WINDOW));
        if (state & DFCS_CHECKED)
            CheckMark(hdc, inside.left + (inside.right - inside.left - 7) / 2, inside.top + (inside.bottom - inside.top - 7) / 2,
                      (state & DFCS_INACTIVE) || grayed ? SysColor(COLOR_BTNSHADOW) : glyph);
        break;
    }
    case DFC_CAPTION:
        PushFrame(hdc, r, state);
        CaptionGlyph(hdc, RECT{r.left + shift, r.top + shift, r.right + shift, r.bottom + shift}, state, glyph);
        break;
    case DFC_SCROLL: {
        const UINT kind = state & 0xFF;
        if (kind == DFCS_SCROLLSIZEGRIP) {
            Fill(hdc, r.left, r.top, r.right, r.bottom, SysColor(COLOR_BTNFACE));
            for (int i = 0; i < 3; ++i) {
                const int d = 3 + i * 4;
                for (int k = 0; k < d && k < r.right - r.left; ++k) {
                    Fill(hdc, r.right - d + k, r.bottom - 1 - k, r.right - d + k + 1, r.bottom - k, SysColor(COLOR_BTNSHADOW));
                    Fill(hdc, r.right - d + k + 1, r.bottom - 1 - k, r.right - d + k + 2, r.bottom - k, SysColor(COLOR_BTNHIGHLIGHT));
                }
            }
            break;
        }
        PushFrame(hdc, r, state);
        const int size = std::max(2, std::min(r.right - r.left, r.bottom - r.top) / 4);
        const int cx = (r.left + r.right) / 2 + shift, cy = (r.top + r.bottom) / 2 + shift;
        int direction = 0;
        if (kind == DFCS_SCROLLUP)
            direction = 1;
        else if (kind == DFCS_SCROLLLEFT)
            direction = 2;
        else if (kind == DFCS_SCROLLRIGHT)
            direction = 3;
        Triangle(hdc, cx, cy, size, direction, glyph);
        break;
    }
    case DFC_MENU: {
        // Menu images are monochrome: black on white, for masking by the caller.
        Fill(hdc, r.left, r.top, r.right, r.bottom, RGB(255, 255, 255));
        const int cx = (r.left + r.right) / 2, cy = (r.top + r.bottom) / 2;
        const UINT kind = state & 0xFF;
        if (kind == DFCS_MENUCHECK)
            CheckMark(hdc, cx - 3, cy - 3, 0);
        else if (kind == DFCS_MENUBULLET)
            Fill(hdc, cx - 2, cy - 2, cx + 2, cy + 2, 0);
        else
            Triangle(hdc, cx, cy, std::max(2, (r.bottom - r.top) / 4), kind == DFCS_MENUARROWRIGHT ? 2 : 3, 0);
        break;
    }
    default: return FALSE;
    }
    return TRUE;
}

BOOL DrawFocusRect(HDC hdc, const RECT* rect)
{
    auto dc = GetDc(hdc);
    if (!dc || !rect || rect->left >= rect->right || rect->top >= rect->bottom)
        return FALSE;
    // Every other pixel of the outline, inverted, so that a second call erases it.
    std::vector<RECT> dots;
    auto dot = [&](int x, int y) {
        if ((x - rect->left + y - rect->top) % 2 == 0)
            dots.push_back({x, y, x + 1, y + 1});
    };
    for (int x = rect->left; x < rect->right; ++x) {
        dot(x, rect->top);
        if (rect->bottom - 1 > rect->top)
            dot(x, rect->bottom - 1);
    }
    for (int y = rect->top + 1; y < rect->bottom - 1; ++y) {
        dot(rect->left, y);
        if (rect->right - 1 > rect->left)
            dot(rect->right - 1, y);
    }
    const DrawTarget t = TargetOf(*dc);
    Region area = Region::FromRects(dots);
    area.Offset(t.offset.x, t.offset.y);
    FillRegionWithPen(t, area, 0x00FFFFFF, R2_XORPEN);
    return TRUE;
}

// -------------------------------------------------------------------- icons

namespace {

SurfacePtr CopyOf(const std::shared_ptr<BitmapObject>& b)
{
    if (!b)
        return nullptr;
    auto s = std::make_shared<Surface>(b->surface->Width(), b->surface->Height());
    for (int y = 0; y < s->Height(); ++y)
        std::copy(b->surface->Row(y), b->surface->Row(y) + s->Width(), s->Row(y));
    return s;
}

}  // namespace

HICON CreateIconIndirect(ICONINFO* info)
{
    if (!info)
        return nullptr;
    auto mask = GetBitmap(info->hbmMask);
    auto color = GetBitmap(info->hbmColor);
    if (!mask && !color)
        return nullptr;
    auto icon = std::make_shared<IconObject>();
    icon->color = CopyOf(color);
    icon->mask = CopyOf(mask);
    icon->isIcon = info->fIcon != 0;
    icon->hotX = info->xHotspot;
    icon->hotY = info->yHotspot;
    return static_cast<HICON>(Register(icon));
}

BOOL GetIconInfo(HICON icon, ICONINFO* info)
{
    auto i = GetIcon(icon);
    if (!i || !info)
        return FALSE;
    auto toBitmap = [](const SurfacePtr& s, UINT bits) -> HBITMAP {
        if (!s)
            return nullptr;
        HBITMAP b = CreateBitmap(s->Width(), s->Height(), 1, bits, nullptr);
        SurfacePtr d = GetBitmapSurface(b);
        for (int y = 0; y < s->Height(); ++y)
            std::copy(s->Row(y), s->Row(y) + s->Width(), d->Row(y));
        return b;
    };
    info->fIcon = i->isIcon;
    info->xHotspot = i->hotX;
    info->yHotspot = i->hotY;
    info->hbmMask = toBitmap(i->mask, 1);
    info->hbmColor = toBitmap(i->color, 32);
    return TRUE;
}

HICON CopyIcon(HICON icon)
{
    auto i = GetIcon(icon);
    if (!i)
        return nullptr;
    auto copy = std::make_shared<IconObject>(*i);
    copy->stock = false;
    return static_cast<HICON>(Register(copy));
}

BOOL DestroyIcon(HICON icon)
{
    const auto i = GetIcon(icon);
    if (!i)
        return FALSE;
    // Stock icons are shared: destroying one leaves it for the next caller.
    if (!i->stock)
        Unregister(icon);
    return TRUE;
}

BOOL DrawIconEx(HDC hdc, int x, int y, HICON icon, int width, int height, UINT, HBRUSH flickerFree, UINT flags)
{
    auto dc = GetDc(hdc);
    auto i = GetIcon(icon);
    if (!dc || !i)
        return FALSE;
    // Without a colour bitmap the mask is twice as high: AND half over XOR half.
    const Surface* color = i->color.get();
    const Surface* mask = i->mask.get();
    const int iconWidth = color ? color->Width() : mask->Width();
    const int iconHeight = color ? color->Height() : mask->Height() / 2;
    const int w = width > 0 ? width : iconWidth;
    const int h = height > 0 ? height : iconHeight;
    if (flickerFree) {
        RECT r{x, y, x + w, y + h};
        FillRect(hdc, &r, flickerFree);
    }
    bool hasAlpha = false;
    if (color) {
        for (int py = 0; py < color->Height() && !hasAlpha; ++py)
            for (int px = 0; px < color->Width() && !hasAlpha; ++px)
                hasAlpha = (color->At(px, py) >> 24) != 0;
    }
    const DrawTarget t = TargetOf(*dc);
    if (!t.Valid() || iconWidth <= 0 || iconHeight <= 0)
        return TRUE;
    const RECT area{x + t.offset.x, y + t.offset.y, x + w + t.offset.x, y + h + t.offset.y};
    ForEachClipped(t, area, [&](const RECT& r) {
        for (int py = r.top; py < r.bottom; ++py) {
            std::uint32_t* row = t.surface->Row(py);
            const int sy = (py - area.top) * iconHeight / h;
            for (int px = r.left; px < r.right; ++px) {
                const int sx = (px - area.left) * iconWidth / w;
                std::uint32_t d = row[px];
                if (hasAlpha && (flags & DI_IMAGE)) {
                    const std::uint32_t s = color->At(sx, sy);
                    const unsigned a = s >> 24;
                    std::uint32_t out = 0;
                    for (int sh = 0; sh < 24; sh += 8)
                        out |= ((((s >> sh) & 0xFF) * a + ((d >> sh) & 0xFF) * (255 - a) + 127) / 255) << sh;
                    row[px] = out;
                    continue;
                }
                if ((flags & DI_MASK) && mask)
                    d &= mask->At(sx, sy) | 0xFF000000u;
                if (flags & DI_IMAGE)
                    d ^= color ? (color->At(sx, sy) & 0x00FFFFFF) : (mask->At(sx, sy + iconHeight) & 0x00FFFFFF);
                row[px] = d;
            }
        }
    });
    return TRUE;
}

BOOL DrawIcon(HDC hdc, int x, int y, HICON icon) { return DrawIconEx(hdc, x, y, icon, 0, 0, 0, nullptr, DI_NORMAL); }
