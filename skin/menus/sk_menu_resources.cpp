#include "skin/menus/sk_menu_resources.h"

#include <algorithm>

#include "platform/user/winuser.h"

namespace skin {

namespace {

constexpr int kArrowSize = 20;
constexpr UINT kNonClientMetricsSize = 340;

TSkMenuResources g_resources;

}  // namespace

const TSkMenuResources& MenuResources() { return g_resources; }

void CreateMenuResources()
{
    if (g_resources.MenuFont)
        return;
    g_resources.MenuFont = new vcl::TFont();
    NONCLIENTMETRICSA metrics{};
    metrics.cbSize = kNonClientMetricsSize;
    if (SystemParametersInfoA(SPI_GETNONCLIENTMETRICS, kNonClientMetricsSize, &metrics, 0)) {
        g_resources.MenuFont->SetName(metrics.lfMenuFont.lfFaceName);
        g_resources.MenuFont->SetHeight(metrics.lfMenuFont.lfHeight);
        g_resources.MenuFont->SetCharset(metrics.lfMenuFont.lfCharSet);
        g_resources.DefaultItemWidth = std::max(20, metrics.iMenuWidth);
        g_resources.DefaultItemHeight = std::max(20, metrics.iMenuHeight);
    }
    g_resources.Arrow = new TSkBitmap();
    g_resources.Arrow->SetSize(kArrowSize, kArrowSize);
    RECT r{0, 0, kArrowSize, kArrowSize};
    DrawFrameControl(g_resources.Arrow->DC(), &r, DFC_MENU, DFCS_MENUARROW);
    for (int y = 0; y < kArrowSize; ++y) {
        for (int x = 0; x < kArrowSize; ++x) {
            TPixel* p = g_resources.Arrow->PixelPtr(x, y);
            if ((*p & 0x00FFFFFFu) == 0x00FFFFFFu)
                *p = 0x00FF00FFu;
        }
    }
}

void FreeMenuResources()
{
    delete g_resources.MenuFont;
    delete g_resources.Arrow;
    g_resources = TSkMenuResources{};
}

}  // namespace skin
