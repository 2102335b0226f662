#include "platform/gdi/icons.h"

#include <algorithm>
#include <cmath>
#include <map>

#include "platform/gdi/objects.h"
#include "platform/gdi/surface.h"

namespace vls::gdi {

namespace {

constexpr std::uint32_t kOpaque = 0xFF000000u;
constexpr std::uint32_t kBlack = kOpaque;
constexpr std::uint32_t kWhite = 0xFFFFFFFFu;

struct Canvas {
    Surface& s;
    void Put(int x, int y, std::uint32_t p)
    {
        if (x >= 0 && y >= 0 && x < s.Width() && y < s.Height())
            s.Row(y)[x] = p;
    }
    void Box(int l, int t, int r, int b, std::uint32_t p)
    {
        for (int y = t; y < b; ++y)
            for (int x = l; x < r; ++x)
                Put(x, y, p);
    }
    // A filled disc with a one-pixel darker rim.
    void Disc(float cx, float cy, float radius, std::uint32_t fill, std::uint32_t rim)
    {
        for (int y = 0; y < s.Height(); ++y) {
            for (int x = 0; x < s.Width(); ++x) {
                const float d = std::hypot(x + 0.5f - cx, y + 0.5f - cy);
                if (d <= radius)
                    Put(x, y, d > radius - 1.5f ? rim : fill);
            }
        }
    }
};

// A window with a title bar.
void DrawApplication(Canvas& c)
{
    c.Box(2, 4, 30, 28, kBlack);
    c.Box(3, 5, 29, 27, kWhite);
    c.Box(3, 5, 29, 10, 0xFF000080u);
    c.Box(24, 6, 28, 9, 0xFFC0C0C0u);
}

void DrawError(Canvas& c)
{
    c.Disc(16, 16, 15, 0xFFE00000u, 0xFF800000u);
    for (int i = -6; i <= 6; ++i) {
        c.Box(16 + i - 1, 16 + i - 1, 16 + i + 2, 16 + i + 2, kWhite);
        c.Box(16 + i - 1, 16 - i - 1, 16 + i + 2, 16 - i + 2, kWhite);
    }
}

void DrawQuestion(Canvas& c)
{
    c.Disc(16, 16, 15, 0xFF2060E0u, 0xFF103080u);
    c.Box(11, 7, 21, 10, kWhite);   // top of the hook
    c.Box(18, 9, 21, 15, kWhite);   // right side
    c.Box(14, 14, 20, 17, kWhite);  // back to the middle
    c.Box(14, 16, 17, 20, kWhite);  // stem
    c.Box(14, 22, 17, 25, kWhite);  // dot
}

void DrawExclamation(Canvas& c)
{
    for (int y = 2; y < 30; ++y) {
        const float half = (y - 2) * 14.0f / 28.0f;
        for (int x = 0; x < 32; ++x) {
            const float dx = std::fabs(x + 0.5f - 16.0f);
            if (dx <= half + 0.5f)
                c.Put(x, y, (dx > half - 1.0f || y == 29) ? 0xFF806000u : 0xFFFFD800u);
        }
    }
    c.Box(15, 10, 18, 22, kBlack);
    c.Box(15, 24, 18, 27, kBlack);
}

void DrawInformation(Canvas& c)
{
    c.Disc(16, 16, 15, 0xFF2060E0u, 0xFF103080u);
    c.Box(14, 7, 18, 11, kWhite);
    c.Box(14, 13, 18, 25, kWhite);
    c.Box(12, 13, 14, 15, kWhite);
    c.Box(12, 23, 20, 25, kWhite);
}

void DrawLogo(Canvas& c)
{
    c.Box(4, 4, 15, 15, 0xFFE04020u);
    c.Box(17, 4, 28, 15, 0xFF40B040u);
    c.Box(4, 17, 15, 28, 0xFF2060E0u);
    c.Box(17, 17, 28, 28, 0xFFF0C020u);
}

std::shared_ptr<IconObject> MakeStockIcon(int id)
{
    auto surface = std::make_shared<Surface>(kStockIconSize, kStockIconSize);
    surface->Fill(0);  // fully transparent
    Canvas c{*surface};
    switch (id) {
    case 32512: DrawApplication(c); break;
    case 32513: DrawError(c); break;
    case 32514: DrawQuestion(c); break;
    case 32515: DrawExclamation(c); break;
    case 32516: DrawInformation(c); break;
    case 32517: DrawLogo(c); break;
    default: return nullptr;
    }
    auto icon = std::make_shared<IconObject>();
    icon->color = surface;
    icon->hotX = icon->hotY = kStockIconSize / 2;
    icon->stock = true;
    return icon;
}

}  // namespace

HICON StockIcon(int id)
{
    static auto* icons = new std::map<int, HICON>;  // stock: outlives exit handlers
    auto it = icons->find(id);
    if (it != icons->end())
        return it->second;
    std::shared_ptr<IconObject> icon = MakeStockIcon(id);
    if (!icon)
        return nullptr;
    const HICON handle = static_cast<HICON>(Register(icon));
    (*icons)[id] = handle;
    return handle;
}

HICON ScaledIconCopy(HICON source, int width, int height)
{
    const std::shared_ptr<IconObject> icon = GetIcon(source);
    if (!icon)
        return nullptr;
    auto scale = [&](const SurfacePtr& s, int w, int h) -> SurfacePtr {
        if (!s)
            return nullptr;
        auto out = std::make_shared<Surface>(w, h);
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x)
                out->Row(y)[x] = s->At(x * s->Width() / w, y * s->Height() / h);
        return out;
    };
    const Surface* picture = icon->color ? icon->color.get() : icon->mask.get();
    const int pictureHeight = icon->color ? picture->Height() : picture->Height() / 2;
    const int w = width > 0 ? width : picture->Width();
    const int h = height > 0 ? height : pictureHeight;
    auto copy = std::make_shared<IconObject>(*icon);
    copy->stock = false;
    if (w != picture->Width() || h != pictureHeight) {
        copy->color = scale(icon->color, w, h);
        // A mask without colour holds both halves one above the other.
        copy->mask = scale(icon->mask, w, icon->color ? h : h * 2);
        copy->hotX = icon->hotX * static_cast<DWORD>(w) / static_cast<DWORD>(std::max(1, picture->Width()));
        copy->hotY = icon->hotY * static_cast<DWORD>(h) / static_cast<DWORD>(std::max(1, pictureHeight));
    }
    return static_cast<HICON>(Register(copy));
}

}  // namespace vls::gdi
