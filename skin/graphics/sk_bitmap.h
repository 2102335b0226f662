#pragma once

// TSkBitmap: a 32-bit top-down DIB section with its own memory DC, whose
// pixels the library reads and writes directly; TSkBitmapLink, a named
// rectangle of one; TSkBitmapList, the owning list of a skin's bitmaps.

#include <cstdint>
#include <vector>

#include "platform/gdi/wingdi.h"
#include "platform/vcl/graphics.h"
#include "skin/graphics/sk_pixels.h"

namespace skin {

class TSkBitmapLink;

// Sides above this in a stored bitmap record are taken for damage.
constexpr int kMaxBitmapSide = 16384;

class TSkBitmap : public vcl::TPersistent {
    VCL_DECLARE_CLASS(TSkBitmap, vcl::TPersistent)
public:
    TSkBitmap();
    ~TSkBitmap() override;

    void SetSize(int width, int height);
    bool Empty() const { return handle_ == nullptr; }
    int Width() const { return width_; }
    int Height() const { return height_; }
    HDC DC() const { return dc_; }
    HBITMAP Handle() const { return handle_; }
    TPixel* Bits() const { return bits_; }

    const vcl::AnsiString& Name() const { return name_; }
    void SetName(const vcl::AnsiString& name) { name_ = name; }
    bool AlphaBlend() const { return alphaBlend_; }
    void SetAlphaBlend(bool value) { alphaBlend_ = value; }
    vcl::TFont* Font() const { return font_; }

    void Draw(HDC dc, int x, int y, bool transparent);
    void Draw(vcl::TCanvas* canvas, int x, int y, bool transparent) { Draw(canvas->Handle(), x, y, transparent); }
    void DrawRect(HDC dc, int x, int y, const RECT& source, bool transparent);
    void DrawRect(vcl::TCanvas* canvas, int x, int y, const RECT& source, bool transparent)
    {
        DrawRect(canvas->Handle(), x, y, source, transparent);
    }
    void StretchRect(HDC dc, const RECT& dest, const RECT& source, bool transparent);
    void StretchRect(vcl::TCanvas* canvas, const RECT& dest, const RECT& source, bool transparent)
    {
        StretchRect(canvas->Handle(), dest, source, transparent);
    }
    void TileRect(vcl::TCanvas* canvas, const RECT& dest, const RECT& source, bool transparent);
    void TileRect(HDC dc, const RECT& dest, const RECT& source, bool transparent);

    void DrawTo(TSkBitmap* target, int x, const RECT& source, int y);
    void StretchTo(TSkBitmap* target, const RECT& source, const RECT& dest);
    void ComposeOver(TSkBitmap* source, int x, int y, const RECT& sourceRect);

    void Fill(TPixel value);
    void FillRect(const RECT& rect, TPixel value);
    void SetAlpha(std::uint8_t alpha);
    void SetRectAlpha(std::uint8_t alpha, const RECT& rect);
    void MaskColor(TPixel color);
    void ChangeHue(int delta);

    TPixel* PixelPtr(int x, int y) const { return bits_ + x + static_cast<std::ptrdiff_t>(y) * width_; }
    TPixel GetPixel(int x, int y) const;
    TSkBitmapLink* MakeLink(const RECT& rect) const;

    void Assign(vcl::TPersistent* source) override;

    // The bitmap record of the skin stream: name, width, height, pixels.
    void LoadFromStream(vcl::TStream* stream);
    void SaveToStream(vcl::TStream* stream) const;

    vcl::TNotifyEvent OnChange;
    vcl::TNotifyEvent OnFreeHandle;

protected:
    void AssignTo(vcl::TPersistent* dest) override;

private:
    void FreeHandle();
    void AssignGraphic(vcl::TGraphic* graphic, int width, int height);

    BITMAPINFO info_{};
    HBITMAP handle_ = nullptr;
    HDC dc_ = nullptr;
    TPixel* bits_ = nullptr;
    int width_ = 0;
    int height_ = 0;
    vcl::AnsiString name_;
    bool alphaBlend_ = false;
    vcl::TFont* font_;
};

// The library's own transparent blit: pixels of `bitmap` whose low 24 bits
// equal the key's are skipped, with nearest-neighbour sampling when the
// sizes differ. Source pixels outside the bitmap are skipped as well.
void ColorKeyStretchBlit(HDC dc, int x, int y, TPixel key, int sourceHeight, int sourceWidth, int sourceTop,
                         int sourceLeft, TSkBitmap* bitmap, int destHeight, int destWidth);

class TSkBitmapLink : public vcl::TPersistent {
    VCL_DECLARE_CLASS(TSkBitmapLink, vcl::TPersistent)
public:
    TSkBitmapLink() = default;
    vcl::AnsiString Name() const { return name_; }
    void SetName(const vcl::AnsiString& v) { name_ = v; }
    int Left() const { return rect_.left; }
    void SetLeft(int v) { rect_.left = v; }
    int Top() const { return rect_.top; }
    void SetTop(int v) { rect_.top = v; }
    int Right() const { return rect_.right; }
    void SetRight(int v) { rect_.right = v; }
    int Bottom() const { return rect_.bottom; }
    void SetBottom(int v) { rect_.bottom = v; }
    RECT Rect() const { return rect_; }
    void SetRect(const RECT& r) { rect_ = r; }
    TSkBitmap* Image() const { return image_; }
    void SetImage(TSkBitmap* image) { image_ = image; }
    bool IsValid() const;
    // The rectangle cut to the bitmap, so that no drawing reads past it.
    RECT ClippedRect() const;
    void Assign(vcl::TPersistent* source) override;

private:
    vcl::AnsiString name_;
    RECT rect_{};
    TSkBitmap* image_ = nullptr;
};

class TSkBitmapList {
public:
    TSkBitmapList() = default;
    ~TSkBitmapList() { Clear(); }
    TSkBitmapList(const TSkBitmapList&) = delete;
    TSkBitmapList& operator=(const TSkBitmapList&) = delete;

    int Add(TSkBitmap* bitmap);  // the list owns it from here on
    int Count() const { return static_cast<int>(items_.size()); }
    TSkBitmap* GetBitmap(int index) const;
    TSkBitmapLink* GetLink(const vcl::AnsiString& name, const RECT& rect) const;
    void Clear();
    void Swap(TSkBitmapList& other) { items_.swap(other.items_); }

private:
    std::vector<TSkBitmap*> items_;
};

// Button glyphs by kind (low 7 bits), loaded once from the program's bitmap
// resources "SK_BTN_OK" ... "SK_BTN_ALL"; slot 0 is an empty bitmap.
vcl::TBitmap* GetButtonGlyph(std::uint8_t kind);
void FreeButtonGlyphs();

}  // namespace skin
