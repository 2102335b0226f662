#pragma once

// The drawing objects behind GDI handles. A handle is the address of its
// object; the table keeps every live one, so that a stale or foreign handle
// is refused instead of followed. Device contexts hold shared references to
// what they have selected, so deleting a selected object never leaves a DC
// pointing at freed memory.

#include <memory>
#include <optional>
#include <vector>

#include "platform/gdi/region.h"
#include "platform/gdi/surface.h"
#include "platform/gdi/wingdi.h"

namespace vls::gdi {

class Font;

enum class Kind { Pen, Brush, Font, Bitmap, Region, DC, Icon };

struct Object {
    explicit Object(Kind k) : kind(k) {}
    virtual ~Object() = default;
    const Kind kind;
    bool stock = false;
};

struct PenObject : Object {
    PenObject() : Object(Kind::Pen) {}
    UINT style = PS_SOLID;
    int width = 1;
    COLORREF color = 0;
};

struct BrushObject : Object {
    BrushObject() : Object(Kind::Brush) {}
    UINT style = BS_SOLID;
    COLORREF color = 0;
    int hatch = 0;
    SurfacePtr pattern;  // a private copy, as the original takes one
};

struct BitmapObject : Object {
    BitmapObject() : Object(Kind::Bitmap) {}
    SurfacePtr surface;
    int bitsPerPixel = 32;
    bool dib = false;
    void* bits = nullptr;  // the memory a DIB section's caller sees
    int selectedCount = 0;
};

struct FontObject : Object {
    FontObject() : Object(Kind::Font) {}
    LOGFONTW logFont{};
    std::shared_ptr<Font> font;
};

struct RegionObject : Object {
    RegionObject() : Object(Kind::Region) {}
    Region region;
};

struct IconObject : Object {
    IconObject() : Object(Kind::Icon) {}
    SurfacePtr color;
    SurfacePtr mask;  // white where the screen shows through; may be null
    bool isIcon = true;
    DWORD hotX = 0;
    DWORD hotY = 0;
};

struct DcState {
    std::shared_ptr<PenObject> pen;
    std::shared_ptr<BrushObject> brush;
    std::shared_ptr<FontObject> font;
    std::shared_ptr<BitmapObject> bitmap;
    COLORREF textColor = 0x000000;
    COLORREF bkColor = 0xFFFFFF;
    int bkMode = OPAQUE;
    int rop2 = R2_COPYPEN;
    int stretchMode = BLACKONWHITE;
    UINT textAlign = TA_LEFT | TA_TOP;
    POINT brushOrg{0, 0};
    POINT windowOrg{0, 0};
    POINT viewportOrg{0, 0};
    POINT position{0, 0};
    std::optional<Region> clip;  // DC coordinates (before the device origin)
};

struct DcObject : Object {
    DcObject() : Object(Kind::DC) {}
    bool memory = true;
    SurfacePtr surface;  // surface DCs; memory DCs draw on state.bitmap
    POINT deviceOrigin{0, 0};
    std::optional<Region> visible;  // surface coordinates
    void* owner = nullptr;
    DcState state;
    std::vector<DcState> saved;
};

// Registers a new object and returns its handle.
HGDIOBJ Register(std::shared_ptr<Object> object);
std::shared_ptr<Object> Lookup(HGDIOBJ handle);
void Unregister(HGDIOBJ handle);

template <class T, Kind K>
std::shared_ptr<T> LookupAs(const void* handle)
{
    std::shared_ptr<Object> o = Lookup(const_cast<void*>(handle));
    if (!o || o->kind != K)
        return nullptr;
    return std::static_pointer_cast<T>(o);
}

inline std::shared_ptr<DcObject> GetDc(HDC h) { return LookupAs<DcObject, Kind::DC>(h); }
inline std::shared_ptr<PenObject> GetPen(HGDIOBJ h) { return LookupAs<PenObject, Kind::Pen>(h); }
inline std::shared_ptr<BrushObject> GetBrush(HGDIOBJ h) { return LookupAs<BrushObject, Kind::Brush>(h); }
inline std::shared_ptr<FontObject> GetFontObject(HGDIOBJ h) { return LookupAs<FontObject, Kind::Font>(h); }
inline std::shared_ptr<BitmapObject> GetBitmap(HGDIOBJ h) { return LookupAs<BitmapObject, Kind::Bitmap>(h); }
inline std::shared_ptr<RegionObject> GetRegion(HGDIOBJ h) { return LookupAs<RegionObject, Kind::Region>(h); }
inline std::shared_ptr<IconObject> GetIcon(HICON h) { return LookupAs<IconObject, Kind::Icon>(h); }

template <class H>
H HandleOf(const std::shared_ptr<Object>& o)
{
    return reinterpret_cast<H>(o.get());
}

// The stock objects, created on first use and never deleted.
std::shared_ptr<Object> Stock(int index);
std::shared_ptr<FontObject> DefaultFont();

// Where a DC's logical coordinates land on its surface, and what of the
// surface it may touch (visible region, clip region and surface bounds).
struct DrawTarget {
    Surface* surface = nullptr;
    Region clip;
    POINT offset{0, 0};  // surface = logical + offset
    bool Valid() const { return surface && !clip.Empty(); }
};
DrawTarget TargetOf(DcObject& dc);
SurfacePtr SurfaceOf(const DcObject& dc);

}  // namespace vls::gdi
