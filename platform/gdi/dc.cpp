#include <algorithm>
#include <cstring>

#include "platform/gdi/font.h"
#include "platform/gdi/objects.h"

using namespace vls::gdi;

namespace {

std::shared_ptr<DcObject> NewDc()
{
    auto dc = std::make_shared<DcObject>();
    dc->state.pen = std::static_pointer_cast<PenObject>(Stock(BLACK_PEN));
    dc->state.brush = std::static_pointer_cast<BrushObject>(Stock(WHITE_BRUSH));
    dc->state.font = DefaultFont();
    return dc;
}

// A memory DC starts with a 1 x 1 monochrome bitmap selected.
std::shared_ptr<BitmapObject> DefaultBitmap()
{
    static std::shared_ptr<BitmapObject> b = [] {
        auto o = std::make_shared<BitmapObject>();
        o->surface = std::make_shared<Surface>(1, 1);
        o->bitsPerPixel = 1;
        o->stock = true;
        Register(o);
        return o;
    }();
    return b;
}

void SetBitmap(DcState& st, std::shared_ptr<BitmapObject> bitmap)
{
    if (st.bitmap)
        --st.bitmap->selectedCount;
    st.bitmap = std::move(bitmap);
    if (st.bitmap)
        ++st.bitmap->selectedCount;
}

void ReleaseState(DcState& st)
{
    SetBitmap(st, nullptr);
}

}  // namespace

namespace vls::gdi {

HDC CreateSurfaceDC(SurfacePtr surface, POINT origin, HRGN visible, void* owner)
{
    if (!surface)
        return nullptr;
    auto dc = NewDc();
    dc->memory = false;
    dc->surface = std::move(surface);
    dc->deviceOrigin = origin;
    dc->owner = owner;
    if (auto r = GetRegion(visible))
        dc->visible = r->region;
    return static_cast<HDC>(Register(dc));
}

void SetSurfaceDCOrigin(HDC hdc, POINT origin)
{
    if (auto dc = GetDc(hdc))
        dc->deviceOrigin = origin;
}

void SetSurfaceDCVisibleRegion(HDC hdc, HRGN visible)
{
    auto dc = GetDc(hdc);
    if (!dc)
        return;
    if (auto r = GetRegion(visible))
        dc->visible = r->region;
    else
        dc->visible.reset();
}

void* GetSurfaceDCOwner(HDC hdc)
{
    auto dc = GetDc(hdc);
    return dc ? dc->owner : nullptr;
}

SurfacePtr GetDCSurface(HDC hdc)
{
    auto dc = GetDc(hdc);
    return dc ? SurfaceOf(*dc) : nullptr;
}

POINT GetDCDeviceOrigin(HDC hdc)
{
    auto dc = GetDc(hdc);
    return dc ? dc->deviceOrigin : POINT{0, 0};
}

SurfacePtr GetBitmapSurface(HBITMAP bitmap)
{
    auto b = GetBitmap(bitmap);
    return b ? b->surface : nullptr;
}

}  // namespace vls::gdi

HDC CreateCompatibleDC(HDC)
{
    auto dc = NewDc();
    SetBitmap(dc->state, DefaultBitmap());
    return static_cast<HDC>(Register(dc));
}

HDC CreateDCA(LPCSTR driver, LPCSTR, LPCSTR, const void*)
{
    if (driver && strcasecmp(driver, "DISPLAY") == 0) {
        if (SurfacePtr screen = GetScreenSurface())
            return CreateSurfaceDC(screen, POINT{0, 0}, nullptr, nullptr);
    }
    return CreateCompatibleDC(nullptr);
}

BOOL DeleteDC(HDC hdc)
{
    auto dc = GetDc(hdc);
    if (!dc)
        return FALSE;
    ReleaseState(dc->state);
    for (DcState& s : dc->saved)
        ReleaseState(s);
    dc->saved.clear();
    Unregister(hdc);
    return TRUE;
}

int SaveDC(HDC hdc)
{
    auto dc = GetDc(hdc);
    if (!dc)
        return 0;
    dc->saved.push_back(dc->state);
    if (dc->state.bitmap)
        ++dc->state.bitmap->selectedCount;
    return static_cast<int>(dc->saved.size());
}

BOOL RestoreDC(HDC hdc, int savedDC)
{
    auto dc = GetDc(hdc);
    if (!dc)
        return FALSE;
    const int count = static_cast<int>(dc->saved.size());
    const int level = savedDC < 0 ? count + 1 + savedDC : savedDC;
    if (level < 1 || level > count)
        return FALSE;
    ReleaseState(dc->state);
    dc->state = dc->saved[static_cast<size_t>(level - 1)];
    for (int i = level; i < count; ++i)
        ReleaseState(dc->saved[static_cast<size_t>(i)]);
    dc->saved.resize(static_cast<size_t>(level - 1));
    return TRUE;
}

HGDIOBJ SelectObject(HDC hdc, HGDIOBJ object)
{
    auto dc = GetDc(hdc);
    std::shared_ptr<Object> o = Lookup(object);
    if (!dc || !o)
        return nullptr;
    DcState& st = dc->state;
    switch (o->kind) {
    case Kind::Pen: {
        HGDIOBJ old = st.pen.get();
        st.pen = std::static_pointer_cast<PenObject>(o);
        return old;
    }
    case Kind::Brush: {
        HGDIOBJ old = st.brush.get();
        st.brush = std::static_pointer_cast<BrushObject>(o);
        return old;
    }
    case Kind::Font: {
        HGDIOBJ old = st.font.get();
        st.font = std::static_pointer_cast<FontObject>(o);
        return old;
    }
    case Kind::Bitmap: {
        auto b = std::static_pointer_cast<BitmapObject>(o);
        // Only memory DCs take bitmaps, and a bitmap sits in one DC at a time.
        if (!dc->memory || (b->selectedCount > 0 && b != st.bitmap && !b->stock))
            return nullptr;
        HGDIOBJ old = st.bitmap.get();
        SetBitmap(st, b);
        return old;
    }
    case Kind::Region: {
        const int kind = SelectClipRgn(hdc, static_cast<HRGN>(object));
        return reinterpret_cast<HGDIOBJ>(static_cast<INT_PTR>(kind));
    }
    default: return nullptr;
    }
}

HGDIOBJ GetCurrentObject(HDC hdc, UINT type)
{
    auto dc = GetDc(hdc);
    if (!dc)
        return nullptr;
    switch (type) {
    case OBJ_PEN: return dc->state.pen.get();
    case OBJ_BRUSH: return dc->state.brush.get();
    case OBJ_FONT: return dc->state.font.get();
    case OBJ_BITMAP: return dc->state.bitmap.get();
    default: return nullptr;
    }
}

int GetDeviceCaps(HDC hdc, int index)
{
    auto dc = GetDc(hdc);
    SurfacePtr screen = GetScreenSurface();
    const int screenWidth = screen ? screen->Width() : 1024;
    const int screenHeight = screen ? screen->Height() : 768;
    switch (index) {
    case TECHNOLOGY: return DT_RASDISPLAY;
    case HORZRES:
    case DESKTOPHORZRES: return screenWidth;
    case VERTRES:
    case DESKTOPVERTRES: return screenHeight;
    case HORZSIZE: return screenWidth * 254 / (kScreenDpi * 10);
    case VERTSIZE: return screenHeight * 254 / (kScreenDpi * 10);
    case BITSPIXEL:
        if (dc && dc->memory && dc->state.bitmap)
            return dc->state.bitmap->bitsPerPixel;
        return 32;
    case PLANES: return 1;
    case NUMCOLORS: return -1;
    case NUMBRUSHES:
    case NUMPENS: return -1;
    case NUMFONTS: return 0;
    case RASTERCAPS: return RC_BITBLT | RC_STRETCHBLT | RC_DI_BITMAP | RC_DIBTODEV;
    case LOGPIXELSX:
    case LOGPIXELSY: return kScreenDpi;
    case SIZEPALETTE: return 0;
    case COLORRES: return 24;
    default: return 0;
    }
}

// ------------------------------------------------------------- DC state

#define VLS_DC_ACCESSORS(Type, SetName, GetName, field, bad)  \
    Type SetName(HDC hdc, Type value)                          \
    {                                                          \
        auto dc = GetDc(hdc);                                  \
        if (!dc)                                               \
            return bad;                                        \
        const Type old = dc->state.field;                      \
        dc->state.field = value;                               \
        return old;                                            \
    }                                                          \
    Type GetName(HDC hdc)                                      \
    {                                                          \
        auto dc = GetDc(hdc);                                  \
        return dc ? dc->state.field : bad;                     \
    }

VLS_DC_ACCESSORS(COLORREF, SetTextColor, GetTextColor, textColor, CLR_INVALID)
VLS_DC_ACCESSORS(COLORREF, SetBkColor, GetBkColor, bkColor, CLR_INVALID)
VLS_DC_ACCESSORS(UINT, SetTextAlign, GetTextAlign, textAlign, static_cast<UINT>(GDI_ERROR))
VLS_DC_ACCESSORS(int, SetStretchBltMode, GetStretchBltMode, stretchMode, 0)
#undef VLS_DC_ACCESSORS

int SetBkMode(HDC hdc, int mode)
{
    auto dc = GetDc(hdc);
    if (!dc || (mode != TRANSPARENT && mode != OPAQUE))
        return 0;
    const int old = dc->state.bkMode;
    dc->state.bkMode = mode;
    return old;
}

int GetBkMode(HDC hdc)
{
    auto dc = GetDc(hdc);
    return dc ? dc->state.bkMode : 0;
}

int SetROP2(HDC hdc, int rop2)
{
    auto dc = GetDc(hdc);
    if (!dc || rop2 < R2_BLACK || rop2 > R2_WHITE)
        return 0;
    const int old = dc->state.rop2;
    dc->state.rop2 = rop2;
    return old;
}

int GetROP2(HDC hdc)
{
    auto dc = GetDc(hdc);
    return dc ? dc->state.rop2 : 0;
}

namespace {

BOOL SetPoint(HDC hdc, POINT DcState::*field, int x, int y, LPPOINT old, bool offset)
{
    auto dc = GetDc(hdc);
    if (!dc)
        return FALSE;
    POINT& p = dc->state.*field;
    if (old)
        *old = p;
    p = offset ? POINT{p.x + x, p.y + y} : POINT{x, y};
    return TRUE;
}

BOOL GetPoint(HDC hdc, POINT DcState::*field, LPPOINT out)
{
    auto dc = GetDc(hdc);
    if (!dc || !out)
        return FALSE;
    *out = dc->state.*field;
    return TRUE;
}

}  // namespace

BOOL SetBrushOrgEx(HDC hdc, int x, int y, LPPOINT old) { return SetPoint(hdc, &DcState::brushOrg, x, y, old, false); }
BOOL GetBrushOrgEx(HDC hdc, LPPOINT org) { return GetPoint(hdc, &DcState::brushOrg, org); }
BOOL SetWindowOrgEx(HDC hdc, int x, int y, LPPOINT old) { return SetPoint(hdc, &DcState::windowOrg, x, y, old, false); }
BOOL GetWindowOrgEx(HDC hdc, LPPOINT org) { return GetPoint(hdc, &DcState::windowOrg, org); }
BOOL SetViewportOrgEx(HDC hdc, int x, int y, LPPOINT old) { return SetPoint(hdc, &DcState::viewportOrg, x, y, old, false); }
BOOL GetViewportOrgEx(HDC hdc, LPPOINT org) { return GetPoint(hdc, &DcState::viewportOrg, org); }
BOOL OffsetViewportOrgEx(HDC hdc, int dx, int dy, LPPOINT old) { return SetPoint(hdc, &DcState::viewportOrg, dx, dy, old, true); }
BOOL OffsetWindowOrgEx(HDC hdc, int dx, int dy, LPPOINT old) { return SetPoint(hdc, &DcState::windowOrg, dx, dy, old, true); }
BOOL MoveToEx(HDC hdc, int x, int y, LPPOINT old) { return SetPoint(hdc, &DcState::position, x, y, old, false); }
BOOL GetCurrentPositionEx(HDC hdc, LPPOINT pos) { return GetPoint(hdc, &DcState::position, pos); }

BOOL LPtoDP(HDC hdc, LPPOINT points, int count)
{
    auto dc = GetDc(hdc);
    if (!dc || (!points && count > 0))
        return FALSE;
    for (int i = 0; i < count; ++i) {
        points[i].x += dc->state.viewportOrg.x - dc->state.windowOrg.x;
        points[i].y += dc->state.viewportOrg.y - dc->state.windowOrg.y;
    }
    return TRUE;
}

BOOL DPtoLP(HDC hdc, LPPOINT points, int count)
{
    auto dc = GetDc(hdc);
    if (!dc || (!points && count > 0))
        return FALSE;
    for (int i = 0; i < count; ++i) {
        points[i].x -= dc->state.viewportOrg.x - dc->state.windowOrg.x;
        points[i].y -= dc->state.viewportOrg.y - dc->state.windowOrg.y;
    }
    return TRUE;
}

// --------------------------------------------------------------- clipping

namespace {

// The area a DC could draw on without a clip region, in DC coordinates.
Region DeviceArea(const DcObject& dc)
{
    SurfacePtr s = SurfaceOf(dc);
    if (!s)
        return Region();
    Region area(RECT{0, 0, s->Width(), s->Height()});
    if (dc.visible)
        area = Region::Combine(area, *dc.visible, Region::Op::And);
    area.Offset(-dc.deviceOrigin.x, -dc.deviceOrigin.y);
    return area;
}

Region CurrentClip(const DcObject& dc)
{
    Region area = DeviceArea(dc);
    if (dc.state.clip)
        area = Region::Combine(area, *dc.state.clip, Region::Op::And);
    return area;
}

RECT LogicalToDevice(const DcObject& dc, int left, int top, int right, int bottom)
{
    const int dx = dc.state.viewportOrg.x - dc.state.windowOrg.x;
    const int dy = dc.state.viewportOrg.y - dc.state.windowOrg.y;
    return RECT{left + dx, top + dy, right + dx, bottom + dy};
}

}  // namespace

int ExtSelectClipRgn(HDC hdc, HRGN rgn, int mode)
{
    auto dc = GetDc(hdc);
    if (!dc)
        return ERROR;
    auto r = GetRegion(rgn);
    if (!r) {
        if (mode != RGN_COPY)
            return ERROR;
        dc->state.clip.reset();
        return CurrentClip(*dc).Kind();
    }
    if (mode == RGN_COPY || !dc->state.clip) {
        const Region base = dc->state.clip ? *dc->state.clip : DeviceArea(*dc);
        switch (mode) {
        case RGN_COPY: dc->state.clip = r->region; break;
        case RGN_AND: dc->state.clip = Region::Combine(base, r->region, Region::Op::And); break;
        case RGN_OR: dc->state.clip = Region::Combine(base, r->region, Region::Op::Or); break;
        case RGN_XOR: dc->state.clip = Region::Combine(base, r->region, Region::Op::Xor); break;
        case RGN_DIFF: dc->state.clip = Region::Combine(base, r->region, Region::Op::Diff); break;
        default: return ERROR;
        }
    } else {
        static const Region::Op ops[] = {Region::Op::And, Region::Op::Or, Region::Op::Xor, Region::Op::Diff};
        if (mode < RGN_AND || mode > RGN_DIFF)
            return ERROR;
        dc->state.clip = Region::Combine(*dc->state.clip, r->region, ops[mode - RGN_AND]);
    }
    return CurrentClip(*dc).Kind();
}

int SelectClipRgn(HDC hdc, HRGN rgn) { return ExtSelectClipRgn(hdc, rgn, RGN_COPY); }

int IntersectClipRect(HDC hdc, int left, int top, int right, int bottom)
{
    auto dc = GetDc(hdc);
    if (!dc)
        return ERROR;
    const Region r(LogicalToDevice(*dc, left, top, right, bottom));
    dc->state.clip = dc->state.clip ? Region::Combine(*dc->state.clip, r, Region::Op::And) : r;
    return CurrentClip(*dc).Kind();
}

int ExcludeClipRect(HDC hdc, int left, int top, int right, int bottom)
{
    auto dc = GetDc(hdc);
    if (!dc)
        return ERROR;
    const Region r(LogicalToDevice(*dc, left, top, right, bottom));
    const Region base = dc->state.clip ? *dc->state.clip : DeviceArea(*dc);
    dc->state.clip = Region::Combine(base, r, Region::Op::Diff);
    return CurrentClip(*dc).Kind();
}

int OffsetClipRgn(HDC hdc, int dx, int dy)
{
    auto dc = GetDc(hdc);
    if (!dc)
        return ERROR;
    if (dc->state.clip)
        dc->state.clip->Offset(dx, dy);
    return CurrentClip(*dc).Kind();
}

int GetClipBox(HDC hdc, LPRECT rect)
{
    auto dc = GetDc(hdc);
    if (!dc || !rect)
        return ERROR;
    const Region clip = CurrentClip(*dc);
    RECT b = clip.Bounds();
    const int dx = dc->state.viewportOrg.x - dc->state.windowOrg.x;
    const int dy = dc->state.viewportOrg.y - dc->state.windowOrg.y;
    if (!clip.Empty())
        b = RECT{b.left - dx, b.top - dy, b.right - dx, b.bottom - dy};
    *rect = b;
    return clip.Kind();
}

int GetClipRgn(HDC hdc, HRGN rgn)
{
    auto dc = GetDc(hdc);
    auto r = GetRegion(rgn);
    if (!dc || !r)
        return -1;
    if (!dc->state.clip)
        return 0;
    r->region = *dc->state.clip;
    return 1;
}

BOOL PtVisible(HDC hdc, int x, int y)
{
    auto dc = GetDc(hdc);
    if (!dc)
        return FALSE;
    const RECT p = LogicalToDevice(*dc, x, y, x + 1, y + 1);
    return CurrentClip(*dc).Contains(p.left, p.top);
}

BOOL RectVisible(HDC hdc, const RECT* rect)
{
    auto dc = GetDc(hdc);
    if (!dc || !rect)
        return FALSE;
    return CurrentClip(*dc).Intersects(LogicalToDevice(*dc, rect->left, rect->top, rect->right, rect->bottom));
}
