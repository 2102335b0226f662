#include "skin/graphics/sk_region.h"

#include <cstring>

namespace skin {

DWORD BuildRegionData(TSkBitmap* bitmap, int x, int y, std::vector<std::uint8_t>& data)
{
    data.clear();
    if (!bitmap || bitmap->Empty())
        return 0;
    std::vector<RECT> runs;
    const int w = bitmap->Width();
    for (int row = 0; row < bitmap->Height(); ++row) {
        const TPixel* p = bitmap->PixelPtr(0, row);
        int col = 0;
        while (col < w) {
            while (col < w && IsKeyColor(p[col]))
                ++col;
            const int start = col;
            while (col < w && !IsKeyColor(p[col]))
                ++col;
            if (col > start)
                runs.push_back(RECT{x + start, y + row, x + col, y + row + 1});
        }
    }
    const size_t size = sizeof(RGNDATAHEADER) + runs.size() * sizeof(RECT);
    data.assign(size, 0);
    RGNDATAHEADER header{};
    header.dwSize = sizeof(RGNDATAHEADER);
    header.iType = RDH_RECTANGLES;
    header.nCount = static_cast<DWORD>(runs.size());
    header.nRgnSize = 0;
    header.rcBound = RECT{0, 0, bitmap->Width(), bitmap->Height()};
    std::memcpy(data.data(), &header, sizeof(header));
    if (!runs.empty())
        std::memcpy(data.data() + sizeof(header), runs.data(), runs.size() * sizeof(RECT));
    return static_cast<DWORD>(size);
}

HRGN CreateRegionFromBitmap(TSkBitmap* bitmap, int x, int y)
{
    std::vector<std::uint8_t> data;
    const DWORD size = BuildRegionData(bitmap, x, y, data);
    if (size == 0)
        return nullptr;
    return ExtCreateRegion(nullptr, size, reinterpret_cast<const RGNDATA*>(data.data()));
}

}  // namespace skin
