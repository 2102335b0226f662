#include "platform/gdi/objects.h"

#include <algorithm>
#include <cstring>
#include <mutex>
#include <unordered_map>

#include "platform/gdi/font.h"
#include "platform/gdi/syscolors.h"

namespace vls::gdi {

namespace {

std::mutex& TableLock()
{
    static std::mutex m;
    return m;
}

std::unordered_map<void*, std::shared_ptr<Object>>& Table()
{
    static std::unordered_map<void*, std::shared_ptr<Object>> t;
    return t;
}

SurfacePtr& ScreenSurface()
{
    static SurfacePtr s;
    return s;
}

}  // namespace

// ------------------------------------------------------------------ surface

Surface::Surface(int width, int height)
    : width_(std::max(0, width)), height_(std::max(0, height)), stride_(width_),
      owned_(static_cast<size_t>(width_) * height_, 0u), pixels_(owned_.data())
{
}

Surface::Surface(int width, int height, std::uint32_t* pixels, int stridePixels)
    : width_(std::max(0, width)), height_(std::max(0, height)), stride_(stridePixels), pixels_(pixels)
{
}

void Surface::Fill(std::uint32_t pixel)
{
    for (int y = 0; y < height_; ++y)
        std::fill(Row(y), Row(y) + width_, pixel);
}

void Surface::Resize(int width, int height, std::uint32_t fill)
{
    width = std::max(0, width);
    height = std::max(0, height);
    std::vector<std::uint32_t> next(static_cast<size_t>(width) * height, fill);
    for (int y = 0; y < std::min(height, height_); ++y)
        std::copy(Row(y), Row(y) + std::min(width, width_), next.data() + static_cast<size_t>(y) * width);
    owned_ = std::move(next);
    pixels_ = owned_.data();
    width_ = width;
    height_ = height;
    stride_ = width;
}

// -------------------------------------------------------------------- table

HGDIOBJ Register(std::shared_ptr<Object> object)
{
    void* handle = object.get();
    std::lock_guard lock(TableLock());
    Table()[handle] = std::move(object);
    return handle;
}

std::shared_ptr<Object> Lookup(HGDIOBJ handle)
{
    if (!handle)
        return nullptr;
    std::lock_guard lock(TableLock());
    auto it = Table().find(handle);
    return it == Table().end() ? nullptr : it->second;
}

void Unregister(HGDIOBJ handle)
{
    std::shared_ptr<Object> keep;  // destroyed outside the lock
    std::lock_guard lock(TableLock());
    auto it = Table().find(handle);
    if (it != Table().end()) {
        keep = std::move(it->second);
        Table().erase(it);
    }
}

std::size_t LiveObjectCount()
{
    std::lock_guard lock(TableLock());
    return static_cast<size_t>(std::count_if(Table().begin(), Table().end(), [](const auto& e) { return !e.second->stock; }));
}

void SetScreenSurface(SurfacePtr screen) { ScreenSurface() = std::move(screen); }
SurfacePtr GetScreenSurface() { return ScreenSurface(); }

// ------------------------------------------------------------ stock objects

namespace {

std::shared_ptr<Object> MakeStockPen(UINT style, COLORREF color)
{
    auto p = std::make_shared<PenObject>();
    p->style = style;
    p->color = color;
    return p;
}

std::shared_ptr<Object> MakeStockBrush(UINT style, COLORREF color)
{
    auto b = std::make_shared<BrushObject>();
    b->style = style;
    b->color = color;
    return b;
}

std::shared_ptr<FontObject> MakeStockFont(const char16_t* face, LONG height, BYTE pitch)
{
    auto f = std::make_shared<FontObject>();
    f->logFont.lfHeight = height;
    f->logFont.lfWeight = FW_NORMAL;
    f->logFont.lfCharSet = DEFAULT_CHARSET;
    f->logFont.lfPitchAndFamily = pitch;
    std::u16string name(face);
    std::copy(name.begin(), name.end(), f->logFont.lfFaceName);
    f->font = Font::Open(f->logFont);
    return f;
}

std::shared_ptr<Object> CreateStock(int index)
{
    switch (index) {
    case WHITE_BRUSH: return MakeStockBrush(BS_SOLID, RGB(255, 255, 255));
    case LTGRAY_BRUSH: return MakeStockBrush(BS_SOLID, RGB(192, 192, 192));
    case GRAY_BRUSH: return MakeStockBrush(BS_SOLID, RGB(128, 128, 128));
    case DKGRAY_BRUSH: return MakeStockBrush(BS_SOLID, RGB(64, 64, 64));
    case BLACK_BRUSH: return MakeStockBrush(BS_SOLID, RGB(0, 0, 0));
    case NULL_BRUSH: return MakeStockBrush(BS_NULL, 0);
    case WHITE_PEN: return MakeStockPen(PS_SOLID, RGB(255, 255, 255));
    case BLACK_PEN: return MakeStockPen(PS_SOLID, 0);
    case NULL_PEN: return MakeStockPen(PS_NULL, 0);
    case OEM_FIXED_FONT:
    case ANSI_FIXED_FONT:
    case SYSTEM_FIXED_FONT: return MakeStockFont(u"Courier New", -13, FIXED_PITCH | FF_MODERN);
    case SYSTEM_FONT:
    case DEVICE_DEFAULT_FONT:
    case ANSI_VAR_FONT:
    case DEFAULT_GUI_FONT: return MakeStockFont(u"MS Sans Serif", -11, VARIABLE_PITCH | FF_SWISS);
    default: return nullptr;
    }
}

}  // namespace

std::shared_ptr<Object> Stock(int index)
{
    static std::mutex m;
    static std::unordered_map<int, std::shared_ptr<Object>> stock;
    std::lock_guard lock(m);
    auto it = stock.find(index);
    if (it != stock.end())
        return it->second;
    std::shared_ptr<Object> o = CreateStock(index);
    if (o) {
        o->stock = true;
        Register(o);
    }
    stock[index] = o;
    return o;
}

std::shared_ptr<FontObject> DefaultFont()
{
    return std::static_pointer_cast<FontObject>(Stock(SYSTEM_FONT));
}

// ------------------------------------------------------------ system colours

namespace {

COLORREF g_sysColors[COLOR_ENDCOLORS] = {
    RGB(212, 208, 200), RGB(58, 110, 165),  RGB(10, 36, 106),   RGB(128, 128, 128), RGB(212, 208, 200),
    RGB(255, 255, 255), RGB(0, 0, 0),       RGB(0, 0, 0),       RGB(0, 0, 0),       RGB(255, 255, 255),
    RGB(212, 208, 200), RGB(212, 208, 200), RGB(128, 128, 128), RGB(10, 36, 106),   RGB(255, 255, 255),
    RGB(212, 208, 200), RGB(128, 128, 128), RGB(128, 128, 128), RGB(0, 0, 0),       RGB(212, 208, 200),
    RGB(255, 255, 255), RGB(64, 64, 64),    RGB(212, 208, 200), RGB(0, 0, 0),       RGB(255, 255, 225),
    RGB(181, 181, 181), RGB(0, 0, 128),     RGB(166, 202, 240), RGB(192, 192, 192), RGB(49, 106, 197),
    RGB(236, 233, 216),
};

}  // namespace

COLORREF SysColor(int index)
{
    return index >= 0 && index < COLOR_ENDCOLORS ? g_sysColors[index] : 0;
}

void SetSysColor(int index, COLORREF color)
{
    if (index >= 0 && index < COLOR_ENDCOLORS)
        g_sysColors[index] = color & 0xFFFFFF;
}

HBRUSH SysColorBrush(int index)
{
    static std::mutex m;
    static std::unordered_map<int, std::shared_ptr<BrushObject>> brushes;
    std::lock_guard lock(m);
    auto& b = brushes[index];
    if (!b || b->color != SysColor(index)) {
        if (b)
            Unregister(b.get());
        b = std::make_shared<BrushObject>();
        b->color = SysColor(index);
        b->stock = true;
        Register(b);
    }
    return HandleOf<HBRUSH>(b);
}

// -------------------------------------------------------------- DC targets

SurfacePtr SurfaceOf(const DcObject& dc)
{
    if (!dc.memory)
        return dc.surface;
    return dc.state.bitmap ? dc.state.bitmap->surface : nullptr;
}

DrawTarget TargetOf(DcObject& dc)
{
    DrawTarget t;
    SurfacePtr s = SurfaceOf(dc);
    if (!s)
        return t;
    t.surface = s.get();
    const DcState& st = dc.state;
    t.offset = {dc.deviceOrigin.x + st.viewportOrg.x - st.windowOrg.x, dc.deviceOrigin.y + st.viewportOrg.y - st.windowOrg.y};
    Region clip(RECT{0, 0, s->Width(), s->Height()});
    if (dc.visible)
        clip = Region::Combine(clip, *dc.visible, Region::Op::And);
    if (st.clip) {
        Region c = *st.clip;
        c.Offset(dc.deviceOrigin.x, dc.deviceOrigin.y);
        clip = Region::Combine(clip, c, Region::Op::And);
    }
    t.clip = std::move(clip);
    return t;
}

}  // namespace vls::gdi

using namespace vls::gdi;

// ------------------------------------------------------------ Win32 entries

HGDIOBJ GetStockObject(int index)
{
    std::shared_ptr<Object> o = Stock(index);
    return o ? o.get() : nullptr;
}

BOOL DeleteObject(HGDIOBJ object)
{
    std::shared_ptr<Object> o = Lookup(object);
    if (!o || o->kind == Kind::DC)
        return FALSE;
    if (o->stock)
        return TRUE;
    if (o->kind == Kind::Bitmap && std::static_pointer_cast<BitmapObject>(o)->selectedCount > 0)
        return FALSE;  // still selected into a memory DC
    Unregister(object);
    return TRUE;
}

DWORD GetObjectType(HGDIOBJ object)
{
    std::shared_ptr<Object> o = Lookup(object);
    if (!o)
        return 0;
    switch (o->kind) {
    case Kind::Pen: return OBJ_PEN;
    case Kind::Brush: return OBJ_BRUSH;
    case Kind::Font: return OBJ_FONT;
    case Kind::Bitmap: return OBJ_BITMAP;
    case Kind::Region: return OBJ_REGION;
    case Kind::DC: return std::static_pointer_cast<DcObject>(o)->memory ? OBJ_MEMDC : OBJ_DC;
    case Kind::Icon: return 0;
    }
    return 0;
}

namespace {

int CopyOut(const void* value, int valueSize, int size, LPVOID buffer)
{
    if (!buffer)
        return valueSize;
    const int n = std::min(size, valueSize);
    if (n <= 0)
        return 0;
    std::memcpy(buffer, value, static_cast<size_t>(n));
    return n;
}

}  // namespace

int GetObjectW(HGDIOBJ object, int size, LPVOID buffer)
{
    std::shared_ptr<Object> o = Lookup(object);
    if (!o)
        return 0;
    switch (o->kind) {
    case Kind::Pen: {
        auto p = std::static_pointer_cast<PenObject>(o);
        LOGPEN lp{p->style, {p->width, 0}, p->color};
        return CopyOut(&lp, sizeof lp, size, buffer);
    }
    case Kind::Brush: {
        auto b = std::static_pointer_cast<BrushObject>(o);
        LOGBRUSH lb{b->style, b->color, static_cast<ULONG_PTR>(b->hatch)};
        return CopyOut(&lb, sizeof lb, size, buffer);
    }
    case Kind::Font: {
        auto f = std::static_pointer_cast<FontObject>(o);
        return CopyOut(&f->logFont, sizeof f->logFont, size, buffer);
    }
    case Kind::Bitmap: {
        auto b = std::static_pointer_cast<BitmapObject>(o);
        DIBSECTION ds{};
        ds.dsBm.bmWidth = b->surface->Width();
        ds.dsBm.bmHeight = b->surface->Height();
        ds.dsBm.bmBitsPixel = static_cast<WORD>(b->bitsPerPixel);
        ds.dsBm.bmPlanes = 1;
        ds.dsBm.bmWidthBytes = b->bitsPerPixel == 1 ? ((ds.dsBm.bmWidth + 15) / 16) * 2 : ds.dsBm.bmWidth * 4;
        ds.dsBm.bmBits = b->dib ? b->bits : nullptr;
        ds.dsBmih.biSize = sizeof(BITMAPINFOHEADER);
        ds.dsBmih.biWidth = ds.dsBm.bmWidth;
        ds.dsBmih.biHeight = -ds.dsBm.bmHeight;
        ds.dsBmih.biPlanes = 1;
        ds.dsBmih.biBitCount = static_cast<WORD>(b->bitsPerPixel);
        ds.dsBmih.biSizeImage = static_cast<DWORD>(ds.dsBm.bmWidthBytes * ds.dsBm.bmHeight);
        if (b->dib && size >= static_cast<int>(sizeof(DIBSECTION)))
            return CopyOut(&ds, sizeof ds, size, buffer);
        return CopyOut(&ds.dsBm, sizeof ds.dsBm, size, buffer);
    }
    default: return 0;
    }
}

int GetObjectA(HGDIOBJ object, int size, LPVOID buffer)
{
    std::shared_ptr<FontObject> f = GetFontObject(object);
    if (!f)
        return GetObjectW(object, size, buffer);
    LOGFONTA la{};
    std::memcpy(&la, &f->logFont, offsetof(LOGFONTA, lfFaceName));
    const std::string face = WideToAnsi(f->logFont.lfFaceName);
    std::strncpy(la.lfFaceName, face.c_str(), LF_FACESIZE - 1);
    return CopyOut(&la, sizeof la, size, buffer);
}

// -------------------------------------------------------- pens and brushes

HPEN CreatePen(int style, int width, COLORREF color)
{
    auto p = std::make_shared<PenObject>();
    p->style = static_cast<UINT>(style) & PS_STYLE_MASK;
    p->width = std::max(1, width);
    p->color = color & 0xFFFFFF;
    return static_cast<HPEN>(Register(p));
}

HPEN CreatePenIndirect(const LOGPEN* pen)
{
    return pen ? CreatePen(static_cast<int>(pen->lopnStyle), pen->lopnWidth.x, pen->lopnColor) : nullptr;
}

HBRUSH CreateSolidBrush(COLORREF color)
{
    auto b = std::make_shared<BrushObject>();
    b->color = color & 0xFFFFFF;
    return static_cast<HBRUSH>(Register(b));
}

HBRUSH CreateHatchBrush(int hatch, COLORREF color)
{
    if (hatch < HS_HORIZONTAL || hatch > HS_DIAGCROSS)
        return nullptr;
    auto b = std::make_shared<BrushObject>();
    b->style = BS_HATCHED;
    b->color = color & 0xFFFFFF;
    b->hatch = hatch;
    return static_cast<HBRUSH>(Register(b));
}

HBRUSH CreatePatternBrush(HBITMAP bitmap)
{
    auto bm = GetBitmap(bitmap);
    if (!bm || bm->surface->Width() == 0 || bm->surface->Height() == 0)
        return nullptr;
    auto b = std::make_shared<BrushObject>();
    b->style = BS_PATTERN;
    // The brush keeps its own copy of the pixels, so the bitmap may go.
    auto own = std::make_shared<Surface>(bm->surface->Width(), bm->surface->Height());
    for (int y = 0; y < own->Height(); ++y)
        std::copy(bm->surface->Row(y), bm->surface->Row(y) + own->Width(), own->Row(y));
    b->pattern = own;
    return static_cast<HBRUSH>(Register(b));
}

HBRUSH CreateBrushIndirect(const LOGBRUSH* brush)
{
    if (!brush)
        return nullptr;
    switch (brush->lbStyle) {
    case BS_SOLID: return CreateSolidBrush(brush->lbColor);
    case BS_NULL: return static_cast<HBRUSH>(GetStockObject(NULL_BRUSH));
    case BS_HATCHED: return CreateHatchBrush(static_cast<int>(brush->lbHatch), brush->lbColor);
    case BS_PATTERN: return CreatePatternBrush(reinterpret_cast<HBITMAP>(brush->lbHatch));
    default: return nullptr;
    }
}
