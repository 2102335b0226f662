#include "launcher/components/kit_draw.h"

#include <algorithm>

namespace kit {

namespace {

// Where the bitmap goes inside `rect` before tiling and clipping.
RECT Placement(const RECT& rect, int width, int height, UINT flags)
{
    const int rw = rect.right - rect.left, rh = rect.bottom - rect.top;
    int w = width, h = height;
    if (flags & kDrawStretch) {
        const bool byWidth = flags & kDrawAspectWidth, byHeight = flags & kDrawAspectHeight;
        if (byWidth && byHeight) {
            // Fit inside: the smaller of the two scales wins.
            if (static_cast<long long>(rw) * height <= static_cast<long long>(rh) * width) {
                w = rw;
                h = static_cast<int>(static_cast<long long>(height) * rw / width);
            } else {
                h = rh;
                w = static_cast<int>(static_cast<long long>(width) * rh / height);
            }
        } else if (byWidth) {
            w = rw;
            h = static_cast<int>(static_cast<long long>(height) * rw / width);
        } else if (byHeight) {
            h = rh;
            w = static_cast<int>(static_cast<long long>(width) * rh / height);
        } else {
            w = rw;
            h = rh;
        }
    }
    int x = rect.left, y = rect.top;
    if (flags & kDrawCenter) {
        x += (rw - w) / 2;
        y += (rh - h) / 2;
    }
    return RECT{x, y, x + w, y + h};
}

// A monochrome mask of `source`: white where it has `key`.
HBITMAP KeyMask(HDC source, int width, int height, COLORREF key, HDC& maskDc)
{
    HBITMAP mask = CreateBitmap(width, height, 1, 1, nullptr);
    maskDc = CreateCompatibleDC(nullptr);
    SelectObject(maskDc, mask);
    const COLORREF oldBack = SetBkColor(source, key);
    BitBlt(maskDc, 0, 0, width, height, source, 0, 0, SRCCOPY);
    SetBkColor(source, oldBack);
    return mask;
}

// Draws one copy of the bitmap at `to`, stretched to its size.
class PieceDrawer {
public:
    PieceDrawer(vcl::TBitmap* bitmap, UINT flags, vcl::TColor key, vcl::TBitmap* mask)
        : width_(bitmap->Width()), height_(bitmap->Height())
    {
        source_ = bitmap->Canvas()->Handle();
        if (flags & (kDrawColorKey | kDrawTransparent)) {
            const vcl::TColor color = flags & kDrawColorKey ? key : bitmap->TransparentColor();
            HDC maskDc = nullptr;
            keyMask_ = KeyMask(source_, width_, height_, vcl::ColorToRGB(color), maskDc);
            maskDc_ = maskDc;
            // The image with its transparent pixels black, so SRCPAINT leaves the background.
            cleared_.SetSize(width_, height_);
            HDC cleared = cleared_.Canvas()->Handle();
            BitBlt(cleared, 0, 0, width_, height_, source_, 0, 0, SRCCOPY);
            const COLORREF oldText = SetTextColor(cleared, RGB(255, 255, 255));
            const COLORREF oldBack = SetBkColor(cleared, RGB(0, 0, 0));
            BitBlt(cleared, 0, 0, width_, height_, maskDc_, 0, 0, SRCAND);
            SetTextColor(cleared, oldText);
            SetBkColor(cleared, oldBack);
            source_ = cleared;
        } else if ((flags & kDrawMask) && mask && !mask->Empty()) {
            maskDc_ = mask->Canvas()->Handle();
        }
    }

    ~PieceDrawer()
    {
        if (keyMask_) {
            DeleteDC(maskDc_);
            DeleteObject(keyMask_);
        }
    }

    void Draw(HDC dest, const RECT& to) const
    {
        const int w = to.right - to.left, h = to.bottom - to.top;
        if (!maskDc_) {
            StretchBlt(dest, to.left, to.top, w, h, source_, 0, 0, width_, height_, SRCCOPY);
            return;
        }
        // A monochrome mask takes the destination's colours: 1 white, 0 black.
        const COLORREF oldText = SetTextColor(dest, RGB(0, 0, 0));
        const COLORREF oldBack = SetBkColor(dest, RGB(255, 255, 255));
        StretchBlt(dest, to.left, to.top, w, h, maskDc_, 0, 0, width_, height_, SRCAND);
        StretchBlt(dest, to.left, to.top, w, h, source_, 0, 0, width_, height_, SRCPAINT);
        SetTextColor(dest, oldText);
        SetBkColor(dest, oldBack);
    }

private:
    int width_;
    int height_;
    HDC source_ = nullptr;
    HDC maskDc_ = nullptr;
    HBITMAP keyMask_ = nullptr;
    vcl::TBitmap cleared_;
};

RECT Intersection(const RECT& a, const RECT& b)
{
    RECT r{std::max(a.left, b.left), std::max(a.top, b.top), std::min(a.right, b.right), std::min(a.bottom, b.bottom)};
    if (r.right <= r.left || r.bottom <= r.top)
        return RECT{0, 0, 0, 0};
    return r;
}

}  // namespace

RECT DrawBitmap(vcl::TCanvas* canvas, const RECT& rect, vcl::TBitmap* bitmap, UINT flags, vcl::TColor key,
                vcl::TBitmap* mask)
{
    if (!canvas || !bitmap || bitmap->Empty())
        return RECT{0, 0, 0, 0};
    // The display is 32-bit: a palette never needs realising (kDrawPalette).
    const bool tile = flags & kDrawTile;
    const bool clip = tile || (flags & kDrawClip);
    HDC dest = canvas->Handle();
    const int saved = clip ? SaveDC(dest) : 0;
    if (clip)
        IntersectClipRect(dest, rect.left, rect.top, rect.right, rect.bottom);

    const PieceDrawer piece(bitmap, flags, key, mask);
    RECT covered;
    if (tile) {
        const int w = bitmap->Width(), h = bitmap->Height();
        for (int y = rect.top; y < rect.bottom; y += h)
            for (int x = rect.left; x < rect.right; x += w)
                piece.Draw(dest, RECT{x, y, x + w, y + h});
        covered = rect;
    } else {
        covered = Placement(rect, bitmap->Width(), bitmap->Height(), flags);
        if (covered.right > covered.left && covered.bottom > covered.top)
            piece.Draw(dest, covered);
        if (clip)
            covered = Intersection(covered, rect);
    }
    if (clip)
        RestoreDC(dest, saved);
    return covered;
}

RECT DrawDisabledBitmap(vcl::TCanvas* canvas, const RECT& rect, vcl::TBitmap* bitmap, UINT flags, vcl::TColor key,
                        vcl::TBitmap* mask, vcl::TColor disabledColor)
{
    if (!canvas || !bitmap || bitmap->Empty())
        return RECT{0, 0, 0, 0};
    const int w = bitmap->Width(), h = bitmap->Height();
    // The disabled picture goes through a key colour of its own that the
    // picture cannot hold: magenta, or lime when magenta is the disabled one.
    if (disabledColor != vcl::clNone)
        disabledColor = static_cast<vcl::TColor>(vcl::ColorToRGB(disabledColor));
    const vcl::TColor hole = disabledColor == vcl::clFuchsia ? vcl::clLime : vcl::clFuchsia;
    vcl::TBitmap disabled;
    disabled.SetSize(w, h);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            const vcl::TColor c = bitmap->Canvas()->Pixels(x, y);
            const bool visible = mask ? (mask->Canvas()->Pixels(x, y) & 0xFFFFFF) != 0xFFFFFF
                                      : (c & 0xFFFFFF) != (vcl::ColorToRGB(key) & 0xFFFFFF);
            vcl::TColor out = hole;
            if (visible && disabledColor == vcl::clNone) {
                const int grey = (30 * (c & 0xFF) + 59 * ((c >> 8) & 0xFF) + 11 * ((c >> 16) & 0xFF)) / 100;
                out = static_cast<vcl::TColor>(grey | grey << 8 | grey << 16);
            } else if (visible && (x + y) % 2 == 0) {
                out = disabledColor;
            }
            disabled.Canvas()->SetPixel(x, y, out);
        }
    flags &= ~(kDrawTransparent | kDrawMask);
    return DrawBitmap(canvas, rect, &disabled, flags | kDrawColorKey, hole, nullptr);
}

}  // namespace kit
