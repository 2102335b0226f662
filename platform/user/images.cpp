#include "platform/gdi/icons.h"
#include "platform/gdi/wingdi.h"
#include "platform/user/winuser.h"

namespace {

HBITMAP CopyBitmap(HBITMAP source, int cx, int cy)
{
    BITMAP info{};
    if (!GetObjectA(source, sizeof info, &info))
        return nullptr;
    const int w = cx > 0 ? cx : info.bmWidth;
    const int h = cy > 0 ? cy : info.bmHeight;
    HDC screen = GetDC(nullptr);
    HDC from = CreateCompatibleDC(screen);
    HDC to = CreateCompatibleDC(screen);
    HBITMAP copy = CreateCompatibleBitmap(screen, w, h);
    HGDIOBJ oldFrom = SelectObject(from, source);
    HGDIOBJ oldTo = SelectObject(to, copy);
    StretchBlt(to, 0, 0, w, h, from, 0, 0, info.bmWidth, info.bmHeight, SRCCOPY);
    SelectObject(from, oldFrom);
    SelectObject(to, oldTo);
    DeleteDC(from);
    DeleteDC(to);
    ReleaseDC(nullptr, screen);
    return copy;
}

}  // namespace

HANDLE CopyImage(HANDLE image, UINT type, int cx, int cy, UINT flags)
{
    HANDLE copy = nullptr;
    switch (type) {
    case IMAGE_ICON:
    case IMAGE_CURSOR: copy = vls::gdi::ScaledIconCopy(static_cast<HICON>(image), cx, cy); break;
    case IMAGE_BITMAP: copy = CopyBitmap(static_cast<HBITMAP>(image), cx, cy); break;
    default: return nullptr;
    }
    if (copy && (flags & LR_COPYDELETEORG)) {
        if (type == IMAGE_BITMAP)
            DeleteObject(image);
        else
            DestroyIcon(static_cast<HICON>(image));
    }
    return copy;
}
