#pragma once

// Our 32-bit surfaces and the device contexts that draw on them.
//
// A surface is a top-down block of 0xAARRGGBB pixels (stored blue, green,
// red, alpha). DIB sections, compatible bitmaps, window back buffers and the
// virtual desktop are all surfaces. The window manager owns the surfaces of
// its top-level windows and of the screen, and puts device contexts over
// them with CreateSurfaceDC: a window DC or a paint DC is such a DC whose
// device origin is the window's (client) origin inside the top-level surface
// and whose visible region is what of the window can be seen, both in
// surface pixels. ReleaseDC/EndPaint end it with DeleteDC.

#include <cstdint>
#include <memory>
#include <vector>

#include "platform/gdi/wingdi.h"

namespace vls::gdi {

class Surface {
public:
    Surface(int width, int height);
    // Wraps pixels owned by someone else (they must outlive the surface).
    Surface(int width, int height, std::uint32_t* pixels, int stridePixels);

    int Width() const { return width_; }
    int Height() const { return height_; }
    int Stride() const { return stride_; }
    std::uint32_t* Pixels() { return pixels_; }
    const std::uint32_t* Pixels() const { return pixels_; }
    std::uint32_t* Row(int y) { return pixels_ + static_cast<std::ptrdiff_t>(y) * stride_; }
    const std::uint32_t* Row(int y) const { return pixels_ + static_cast<std::ptrdiff_t>(y) * stride_; }
    std::uint32_t At(int x, int y) const { return Row(y)[x]; }
    void Fill(std::uint32_t pixel);
    // Grows or shrinks an owned surface, keeping the overlapping pixels.
    void Resize(int width, int height, std::uint32_t fill = 0);

private:
    int width_ = 0;
    int height_ = 0;
    int stride_ = 0;
    std::vector<std::uint32_t> owned_;
    std::uint32_t* pixels_ = nullptr;
};

using SurfacePtr = std::shared_ptr<Surface>;

// Pixel and colour conversion. GDI drawing writes 0 into the alpha byte, as
// the original does on 32-bit DIB sections; copies keep it.
constexpr std::uint32_t ColorRefToPixel(COLORREF c)
{
    return ((c & 0xFFu) << 16) | (c & 0xFF00u) | ((c >> 16) & 0xFFu);
}
constexpr COLORREF PixelToColorRef(std::uint32_t p)
{
    return ((p >> 16) & 0xFFu) | (p & 0xFF00u) | ((p & 0xFFu) << 16);
}

// A device context over `surface`. `origin` is where logical (0, 0) lies on
// the surface before any window or viewport origin; `visible` (surface
// coordinates, copied; null means the whole surface) limits all drawing.
// `owner` is an opaque tag the caller can read back (the window).
HDC CreateSurfaceDC(SurfacePtr surface, POINT origin, HRGN visible, void* owner = nullptr);
// Changes the device origin or visible region of a surface DC (the window
// moved or was uncovered). The region is copied; null is the whole surface.
void SetSurfaceDCOrigin(HDC hdc, POINT origin);
void SetSurfaceDCVisibleRegion(HDC hdc, HRGN visible);
void* GetSurfaceDCOwner(HDC hdc);
// The surface any DC draws on (memory DCs: the selected bitmap's), or null.
SurfacePtr GetDCSurface(HDC hdc);
POINT GetDCDeviceOrigin(HDC hdc);
// The surface behind a bitmap handle (DIB sections and compatible bitmaps).
SurfacePtr GetBitmapSurface(HBITMAP bitmap);

// The screen: CreateDCA("DISPLAY") and GetDeviceCaps(HORZRES/VERTRES) use it.
// Installed by the window manager; absent, the screen is 1024 x 768 of
// nothing and reads as the desktop colour.
void SetScreenSurface(SurfacePtr screen);
SurfacePtr GetScreenSurface();

// Every live DC, pen, brush, font, bitmap and region: for leak tests.
std::size_t LiveObjectCount();

}  // namespace vls::gdi
