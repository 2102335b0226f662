#pragma once

#include <cstdint>

#include "platform/gdi/surface.h"
#include "platform/gdi/wingdi.h"

// A memory DC with a top-down 32-bit DIB section selected, for pixel checks.
struct MemoryCanvas {
    MemoryCanvas(int width, int height, std::uint32_t fill = 0) : w(width), h(height)
    {
        BITMAPINFO bi{};
        bi.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
        bi.bmiHeader.biWidth = width;
        bi.bmiHeader.biHeight = -height;
        bi.bmiHeader.biPlanes = 1;
        bi.bmiHeader.biBitCount = 32;
        void* p = nullptr;
        bitmap = CreateDIBSection(nullptr, &bi, DIB_RGB_COLORS, &p, nullptr, 0);
        bits = static_cast<std::uint32_t*>(p);
        dc = CreateCompatibleDC(nullptr);
        old = SelectObject(dc, bitmap);
        for (int i = 0; i < width * height; ++i)
            bits[i] = fill;
    }
    ~MemoryCanvas()
    {
        SelectObject(dc, old);
        DeleteDC(dc);
        DeleteObject(bitmap);
    }
    MemoryCanvas(const MemoryCanvas&) = delete;
    MemoryCanvas& operator=(const MemoryCanvas&) = delete;

    std::uint32_t At(int x, int y) const { return bits[y * w + x] & 0x00FFFFFF; }
    void Set(int x, int y, std::uint32_t p) { bits[y * w + x] = p; }
    // Bounding box of pixels that differ from `background`; empty if none.
    RECT InkBox(std::uint32_t background) const
    {
        RECT r{w, h, 0, 0};
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x)
                if (At(x, y) != (background & 0x00FFFFFF)) {
                    r.left = std::min<LONG>(r.left, x);
                    r.top = std::min<LONG>(r.top, y);
                    r.right = std::max<LONG>(r.right, x + 1);
                    r.bottom = std::max<LONG>(r.bottom, y + 1);
                }
        if (r.left >= r.right)
            return RECT{0, 0, 0, 0};
        return r;
    }

    int w;
    int h;
    HDC dc = nullptr;
    HBITMAP bitmap = nullptr;
    HGDIOBJ old = nullptr;
    std::uint32_t* bits = nullptr;
};
