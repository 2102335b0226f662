#include "skin/graphics/sk_bitmap.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <vector>

#include "platform/vcl/clipbrd.h"
#include "platform/user/winuser.h"
#include "skin/graphics/sk_pixel_rows.h"
#include "skin/graphics/sk_stream_io.h"

namespace skin {

VCL_IMPLEMENT_CLASS(TSkBitmap, vcl::TPersistent, [](auto& b) { b.Persistent(); })

VCL_IMPLEMENT_CLASS(TSkBitmapLink, vcl::TPersistent, [](auto& b) {
    b.Persistent();
    b.Str("Name", &TSkBitmapLink::Name, &TSkBitmapLink::SetName);
    b.Int("Left", &TSkBitmapLink::Left, &TSkBitmapLink::SetLeft, std::nullopt);
    b.Int("Top", &TSkBitmapLink::Top, &TSkBitmapLink::SetTop, std::nullopt);
    b.Int("Right", &TSkBitmapLink::Right, &TSkBitmapLink::SetRight, std::nullopt);
    b.Int("Bottom", &TSkBitmapLink::Bottom, &TSkBitmapLink::SetBottom, std::nullopt);
})

namespace {

RECT Intersect(const RECT& a, const RECT& b)
{
    RECT r{std::max(a.left, b.left), std::max(a.top, b.top), std::min(a.right, b.right), std::min(a.bottom, b.bottom)};
    if (r.right <= r.left || r.bottom <= r.top)
        r = RECT{0, 0, 0, 0};
    return r;
}

bool IsEmptyRect(const RECT& r) { return r.right <= r.left || r.bottom <= r.top; }

}  // namespace

TSkBitmap::TSkBitmap() : font_(new vcl::TFont())
{
    info_.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info_.bmiHeader.biPlanes = 1;
    info_.bmiHeader.biBitCount = 32;
    info_.bmiHeader.biCompression = BI_RGB;
}

TSkBitmap::~TSkBitmap()
{
    FreeHandle();
    delete font_;
}

void TSkBitmap::FreeHandle()
{
    if (!handle_ && !dc_)
        return;
    OnFreeHandle(this);
    if (dc_)
        DeleteDC(dc_);
    if (handle_)
        DeleteObject(handle_);
    dc_ = nullptr;
    handle_ = nullptr;
    bits_ = nullptr;
    width_ = 0;
    height_ = 0;
}

void TSkBitmap::SetSize(int width, int height)
{
    width = std::abs(width);
    height = std::abs(height);
    if (width == 0 || height == 0 || (width == width_ && height == height_))
        return;
    struct ChangeAtEnd {
        TSkBitmap* self;
        ~ChangeAtEnd() { self->OnChange(self); }
    } change{this};
    FreeHandle();
    info_.bmiHeader.biWidth = width;
    info_.bmiHeader.biHeight = -height;
    void* bits = nullptr;
    HBITMAP handle = CreateDIBSection(nullptr, &info_, DIB_RGB_COLORS, &bits, nullptr, 0);
    if (!handle || !bits) {
        if (handle)
            DeleteObject(handle);
        throw vcl::Exception("Can't allocate the DIB handle");
    }
    HDC dc = CreateCompatibleDC(nullptr);
    if (!dc) {
        DeleteObject(handle);
        throw vcl::Exception("Can't create compatible DC");
    }
    if (!SelectObject(dc, handle)) {
        DeleteDC(dc);
        DeleteObject(handle);
        throw vcl::Exception("Can't select an object into DC");
    }
    handle_ = handle;
    dc_ = dc;
    bits_ = static_cast<TPixel*>(bits);
    width_ = width;
    height_ = height;
}

// ---------------------------------------------------------------- drawing

void TSkBitmap::Draw(HDC dc, int x, int y, bool transparent)
{
    if (Empty())
        return;
    if (transparent)
        ColorKeyStretchBlit(dc, x, y, KeyColor, height_, width_, 0, 0, this, height_, width_);
    else
        BitBlt(dc, x, y, width_, height_, dc_, 0, 0, SRCCOPY);
}

void TSkBitmap::DrawRect(HDC dc, int x, int y, const RECT& source, bool transparent)
{
    if (Empty() || IsEmptyRect(source))
        return;
    const int w = source.right - source.left;
    const int h = source.bottom - source.top;
    if (transparent)
        ColorKeyStretchBlit(dc, x, y, KeyColor, h, w, source.top, source.left, this, h, w);
    else
        BitBlt(dc, x, y, w, h, dc_, source.left, source.top, SRCCOPY);
}

void TSkBitmap::StretchRect(HDC dc, const RECT& dest, const RECT& source, bool transparent)
{
    if (Empty() || IsEmptyRect(source) || IsEmptyRect(dest))
        return;
    const int sw = source.right - source.left;
    const int sh = source.bottom - source.top;
    const int dw = dest.right - dest.left;
    const int dh = dest.bottom - dest.top;
    if (transparent)
        ColorKeyStretchBlit(dc, dest.left, dest.top, KeyColor, sh, sw, source.top, source.left, this, dh, dw);
    else
        StretchBlt(dc, dest.left, dest.top, dw, dh, dc_, source.left, source.top, sw, sh, SRCCOPY);
}

void TSkBitmap::TileRect(vcl::TCanvas* canvas, const RECT& dest, const RECT& source, bool transparent)
{
    TileRect(canvas->Handle(), dest, source, transparent);
}

void TSkBitmap::TileRect(HDC dc, const RECT& dest, const RECT& source, bool transparent)
{
    const int w = source.right - source.left;
    const int h = source.bottom - source.top;
    if (w <= 0 || h <= 0)
        return;
    for (int x = dest.left; x < dest.right; x += w) {
        for (int y = dest.top;; y += h) {
            const RECT tile{x, y, x + w, y + h};
            const RECT visible = Intersect(tile, dest);
            if (IsEmptyRect(visible))
                break;
            const int vw = visible.right - visible.left;
            const int vh = visible.bottom - visible.top;
            if (vw == w && vh == h)
                StretchRect(dc, tile, source, transparent);
            else
                StretchRect(dc, visible, RECT{source.left, source.top, source.left + vw, source.top + vh}, transparent);
        }
    }
}

void TSkBitmap::DrawTo(TSkBitmap* target, int x, const RECT& source, int y)
{
    if (!target || Empty() || target->Empty())
        return;
    if (!alphaBlend_) {
        BitBlt(target->dc_, x, y, source.right - source.left, source.bottom - source.top, dc_, source.left, source.top,
               SRCCOPY);
        return;
    }
    const RECT clipped = Intersect(source, RECT{0, 0, width_, height_});
    if (IsEmptyRect(clipped))
        return;
    int count = clipped.right - clipped.left;
    int sourceLeft = clipped.left;
    int destX = x;
    if (destX < 0) {
        sourceLeft -= destX;
        count += destX;
        destX = 0;
    }
    count = std::min(count, target->width_ - destX);
    if (count <= 0)
        return;
    for (int r = clipped.top; r < clipped.bottom; ++r) {
        const int ty = y + (r - clipped.top);
        if (ty < 0)
            continue;
        if (ty >= target->height_)
            break;
        BlendRow(PixelPtr(sourceLeft, r), target->PixelPtr(destX, ty), count);
    }
}

void TSkBitmap::StretchTo(TSkBitmap* target, const RECT& source, const RECT& dest)
{
    if (!target || Empty() || target->Empty())
        return;
    if (!alphaBlend_) {
        StretchBlt(target->dc_, dest.left, dest.top, dest.right - dest.left, dest.bottom - dest.top, dc_, source.left,
                   source.top, source.right - source.left, source.bottom - source.top, SRCCOPY);
        return;
    }
    if (IsEmptyRect(Intersect(source, RECT{0, 0, width_, height_})) || IsEmptyRect(dest))
        return;
    const RECT visible = Intersect(dest, RECT{0, 0, target->width_, target->height_});
    if (IsEmptyRect(visible))
        return;
    const int sw = source.right - source.left;
    const int sh = source.bottom - source.top;
    const int dw = dest.right - dest.left;
    const int dh = dest.bottom - dest.top;
    if (sw == dw && sh == dh) {
        DrawTo(target, dest.left, source, dest.top);
        return;
    }
    const std::int64_t stepX = static_cast<std::int64_t>(sw) * 65536 / dw;
    const std::int64_t stepY = static_cast<std::int64_t>(sh) * 65536 / dh;
    const std::int64_t startX = vcl::MulDiv(sw * (visible.left - dest.left), 65535, dw);
    const std::int64_t startY = vcl::MulDiv(sh * (visible.top - dest.top), 65535, dh);
    // The source column of each visible target column. It only grows across
    // the row, so the columns whose source lies outside the bitmap are cut
    // off at the two ends, once.
    std::vector<int> columns;
    columns.reserve(static_cast<std::size_t>(visible.right - visible.left));
    int firstColumn = visible.left;
    std::int64_t ax = startX;
    for (int tx = visible.left; tx < visible.right; ++tx, ax += stepX) {
        const int sx = source.left + static_cast<int>(ax >> 16);
        if (sx < 0) {
            firstColumn = tx + 1;
            continue;
        }
        if (sx >= width_)
            break;
        columns.push_back(sx);
    }
    if (columns.empty())
        return;
    const int count = static_cast<int>(columns.size());
    // Enlarging repeats source rows: each sampled row is made ready once,
    // its source half of the blend done, for all the target rows it covers.
    std::vector<std::uint32_t> prepared(2 * columns.size());
    TPixel* const shares = prepared.data();
    std::uint32_t* const weights = prepared.data() + count;
    int rowSource = -1;
    std::int64_t ay = startY;
    for (int ty = visible.top; ty < visible.bottom; ++ty, ay += stepY) {
        const int sy = source.top + static_cast<int>(ay >> 16);
        if (sy < 0)
            continue;
        if (sy >= height_)
            break;
        const TPixel* const line = PixelPtr(0, sy);
        TPixel* const d = target->PixelPtr(firstColumn, ty);
        if (target == this) {
            // Pixel by pixel: a source pixel may be one this stretch already wrote.
            for (int k = 0; k < count; ++k)
                d[k] = BlendPixel(line[columns[k]], d[k]);
            continue;
        }
        if (sy != rowSource) {
            // A row that the next target row samples again is made ready;
            // one that only this target row takes is blended straight.
            const bool repeats = ty + 1 < visible.bottom && source.top + static_cast<int>((ay + stepY) >> 16) == sy;
            if (!repeats) {
                BlendColumns(line, width_, columns.data(), d, count);
                continue;
            }
            PrepareColumns(line, width_, columns.data(), shares, weights, count);
            rowSource = sy;
        }
        BlendPreparedRow(shares, weights, d, count);
    }
}

void TSkBitmap::ComposeOver(TSkBitmap* source, int x, int y, const RECT& sourceRect)
{
    if (!source || Empty() || source->Empty())
        return;
    RECT r = sourceRect;
    if (r.left < 0) {
        x -= r.left;
        r.left = 0;
    }
    if (r.top < 0) {
        y -= r.top;
        r.top = 0;
    }
    r.right = std::min(r.right, source->width_);
    r.bottom = std::min(r.bottom, source->height_);
    for (int sy = r.top; sy < r.bottom; ++sy) {
        const int ty = y + sy - r.top;
        if (ty < 0 || ty >= height_)
            continue;
        for (int sx = r.left; sx < r.right; ++sx) {
            const int tx = x + sx - r.left;
            if (tx < 0 || tx >= width_)
                continue;
            TPixel* own = PixelPtr(tx, ty);
            const std::uint8_t a = PixelAlpha(*own);
            if (a == 0)
                *own = *source->PixelPtr(sx, sy);
            else if (a != 255)
                *own = BlendPixel(*own, *source->PixelPtr(sx, sy));
        }
    }
}

// ---------------------------------------------------------- pixel writes

void TSkBitmap::Fill(TPixel value)
{
    if (!Empty())
        std::fill(bits_, bits_ + static_cast<std::ptrdiff_t>(width_) * height_, value);
}

void TSkBitmap::FillRect(const RECT& rect, TPixel value)
{
    const RECT r = Intersect(rect, RECT{0, 0, width_, height_});
    if (IsEmptyRect(r))
        return;
    for (int y = r.top; y < r.bottom; ++y) {
        TPixel* p = PixelPtr(r.left, y);
        if (alphaBlend_) {
            for (int x = 0; x < r.right - r.left; ++x)
                p[x] = BlendPixel(value, p[x]);
        } else {
            std::fill(p, p + (r.right - r.left), value);
        }
    }
}

void TSkBitmap::SetAlpha(std::uint8_t alpha)
{
    SetRectAlpha(alpha, RECT{0, 0, width_, height_});
}

void TSkBitmap::SetRectAlpha(std::uint8_t alpha, const RECT& rect)
{
    const RECT r = Intersect(rect, RECT{0, 0, width_, height_});
    if (IsEmptyRect(r))
        return;
    const TPixel a = static_cast<TPixel>(alpha) << 24;
    for (int y = r.top; y < r.bottom; ++y) {
        TPixel* p = PixelPtr(r.left, y);
        for (int x = 0; x < r.right - r.left; ++x)
            p[x] = (p[x] & 0x00FFFFFFu) | a;
    }
}

void TSkBitmap::MaskColor(TPixel color)
{
    const std::ptrdiff_t n = static_cast<std::ptrdiff_t>(width_) * height_;
    for (std::ptrdiff_t i = 0; i < n; ++i) {
        const TPixel p = bits_[i];
        if (std::abs(PixelRed(p) - PixelRed(color)) < 6 && std::abs(PixelGreen(p) - PixelGreen(color)) < 6 &&
            std::abs(PixelBlue(p) - PixelBlue(color)) < 6)
            bits_[i] = KeyColor;
    }
}

void TSkBitmap::ChangeHue(int delta)
{
    const std::ptrdiff_t n = static_cast<std::ptrdiff_t>(width_) * height_;
    for (std::ptrdiff_t i = 0; i < n; ++i)
        if (PixelAlpha(bits_[i]) != 0)
            bits_[i] = ShiftHue(bits_[i], delta);
}

TPixel TSkBitmap::GetPixel(int x, int y) const
{
    if (Empty() || x < 0 || y < 0 || x >= width_ || y >= height_)
        return kOpaqueBlack;
    return *PixelPtr(x, y);
}

TSkBitmapLink* TSkBitmap::MakeLink(const RECT& rect) const
{
    auto* link = new TSkBitmapLink();
    link->SetImage(const_cast<TSkBitmap*>(this));
    link->SetName(name_);
    link->SetRect(rect);
    return link;
}

// ------------------------------------------------------------ assignment

void TSkBitmap::AssignGraphic(vcl::TGraphic* graphic, int width, int height)
{
    SetSize(width, height);
    if (Empty())
        return;
    if (auto* bitmap = dynamic_cast<vcl::TBitmap*>(graphic)) {
        BitBlt(dc_, 0, 0, width_, height_, bitmap->Canvas()->Handle(), 0, 0, SRCCOPY);
    } else {
        vcl::TCanvas canvas;
        canvas.SetHandle(dc_);
        canvas.StretchDraw(RECT{0, 0, width_, height_}, graphic);
        canvas.SetHandle(nullptr);
    }
    SetAlpha(255);
}

void TSkBitmap::Assign(vcl::TPersistent* source)
{
    if (dynamic_cast<TSkBitmap*>(source))
        return;
    if (auto* picture = dynamic_cast<vcl::TPicture*>(source)) {
        if (picture->Graphic())
            AssignGraphic(picture->Graphic(), picture->Width(), picture->Height());
        return;
    }
    if (auto* graphic = dynamic_cast<vcl::TGraphic*>(source)) {
        AssignGraphic(graphic, graphic->Width(), graphic->Height());
        return;
    }
    inherited::Assign(source);
}

void TSkBitmap::AssignTo(vcl::TPersistent* dest)
{
    auto fill = [this](vcl::TBitmap* bitmap) {
        bitmap->SetSize(width_, height_);
        if (!Empty())
            Draw(bitmap->Canvas(), 0, 0, false);
    };
    if (auto* picture = dynamic_cast<vcl::TPicture*>(dest)) {
        fill(picture->Bitmap());
    } else if (auto* bitmap = dynamic_cast<vcl::TBitmap*>(dest)) {
        fill(bitmap);
    } else if (auto* clipboard = dynamic_cast<vcl::TClipboard*>(dest)) {
        vcl::TBitmap temp;
        fill(&temp);
        clipboard->Assign(&temp);
    } else {
        inherited::AssignTo(dest);
    }
}

// ----------------------------------------------------------- the record

void TSkBitmap::LoadFromStream(vcl::TStream* stream)
{
    vcl::AnsiString name;
    ReadStreamString(stream, name);
    name_ = name;
    const std::int32_t width = ReadInt32(stream);
    const std::int32_t height = ReadInt32(stream);
    // A negative side would leave its pixel block unread and the stream out of step.
    if (width < 0 || width > kMaxBitmapSide || height < 0 || height > kMaxBitmapSide)
        throw vcl::EReadError(vcl::Format("Skin bitmap size %d x %d is out of range", width, height));
    // The pixel block is only read when the stored size is the size the
    // bitmap now has, so check it fits only then.
    const bool readPixels = width > 0 && height > 0;
    if (readPixels && static_cast<std::int64_t>(width) * height * 4 > BytesLeft(stream))
        throw vcl::EReadError(vcl::Format("Skin bitmap of %d x %d runs past the stream", width, height));
    SetSize(width, height);
    if (readPixels && width_ == width && height_ == height)
        stream->ReadBuffer(bits_, width * height * 4);
}

void TSkBitmap::SaveToStream(vcl::TStream* stream) const
{
    WriteStreamString(stream, name_);
    WriteInt32(stream, width_);
    WriteInt32(stream, height_);
    if (!Empty())
        stream->WriteBuffer(bits_, width_ * height_ * 4);
}

// ------------------------------------------------------ colour-key blit

void ColorKeyStretchBlit(HDC dc, int x, int y, TPixel key, int sourceHeight, int sourceWidth, int sourceTop,
                         int sourceLeft, TSkBitmap* bitmap, int destHeight, int destWidth)
{
    if (!bitmap || bitmap->Empty() || sourceWidth <= 0 || sourceHeight <= 0 || destWidth <= 0 || destHeight <= 0)
        return;
    const RECT source{sourceLeft, sourceTop, sourceLeft + sourceWidth, sourceTop + sourceHeight};
    if (IsEmptyRect(Intersect(source, RECT{0, 0, bitmap->Width(), bitmap->Height()})))
        return;
    TSkBitmap temp;
    temp.SetSize(destWidth, destHeight);
    StretchBlt(temp.DC(), 0, 0, destWidth, destHeight, dc, x, y, destWidth, destHeight, SRCCOPY);
    const TPixel keyRgb = key & 0x00FFFFFFu;
    const int bw = bitmap->Width();
    const int bh = bitmap->Height();
    const bool sameSize = sourceWidth == destWidth && sourceHeight == destHeight;
    const std::int64_t stepX = sameSize ? 65536 : static_cast<std::int64_t>(sourceWidth) * 65536 / destWidth;
    const std::int64_t stepY = sameSize ? 65536 : static_cast<std::int64_t>(sourceHeight) * 65536 / destHeight;
    std::int64_t ay = 0;
    for (int row = 0; row < destHeight; ++row, ay += stepY) {
        const int sy = sourceTop + static_cast<int>(ay >> 16);
        if (sy < 0 || sy >= bh)
            continue;
        const TPixel* sourceRow = bitmap->PixelPtr(0, sy);
        TPixel* out = temp.PixelPtr(0, row);
        std::int64_t ax = 0;
        for (int col = 0; col < destWidth; ++col, ax += stepX) {
            const int sx = sourceLeft + static_cast<int>(ax >> 16);
            if (sx < 0 || sx >= bw)
                continue;
            const TPixel p = sourceRow[sx];
            if ((p & 0x00FFFFFFu) != keyRgb)
                out[col] = p;
        }
    }
    temp.Draw(dc, x, y, false);
}

// ---------------------------------------------------------------- links

bool TSkBitmapLink::IsValid() const
{
    return image_ != nullptr &&
           static_cast<std::int64_t>(rect_.right - rect_.left) * (rect_.bottom - rect_.top) > 0;
}

RECT TSkBitmapLink::ClippedRect() const
{
    if (!image_)
        return RECT{0, 0, 0, 0};
    return Intersect(rect_, RECT{0, 0, image_->Width(), image_->Height()});
}

void TSkBitmapLink::Assign(vcl::TPersistent* source)
{
    if (auto* link = dynamic_cast<TSkBitmapLink*>(source)) {
        image_ = link->image_;
        rect_ = link->rect_;
        name_ = link->name_;
        return;
    }
    inherited::Assign(source);
}

// ----------------------------------------------------------------- list

int TSkBitmapList::Add(TSkBitmap* bitmap)
{
    items_.push_back(bitmap);
    return Count() - 1;
}

TSkBitmap* TSkBitmapList::GetBitmap(int index) const
{
    return index >= 0 && index < Count() ? items_[static_cast<size_t>(index)] : nullptr;
}

TSkBitmapLink* TSkBitmapList::GetLink(const vcl::AnsiString& name, const RECT& rect) const
{
    const vcl::AnsiString wanted = vcl::LowerCase(name);
    TSkBitmap* found = nullptr;
    for (TSkBitmap* b : items_)
        if (vcl::LowerCase(b->Name()) == wanted)
            found = b;
    return found ? found->MakeLink(rect) : nullptr;
}

void TSkBitmapList::Clear()
{
    for (TSkBitmap* b : items_)
        delete b;
    items_.clear();
}

// --------------------------------------------------------- button glyphs

namespace {

constexpr const char* kGlyphNames[11] = {"",           "SK_BTN_OK",    "SK_BTN_CANCEL", "SK_BTN_HELP",
                                         "SK_BTN_YES", "SK_BTN_NO",    "SK_BTN_CLOSE",  "SK_BTN_ABORT",
                                         "SK_BTN_RETRY", "SK_BTN_IGNORE", "SK_BTN_ALL"};
std::array<vcl::TBitmap*, 11> glyphs{};

}  // namespace

vcl::TBitmap* GetButtonGlyph(std::uint8_t kind)
{
    const int slot = kind & 0x7F;
    if (slot >= static_cast<int>(glyphs.size()))
        return nullptr;
    if (!glyphs[static_cast<size_t>(slot)]) {
        auto* bitmap = new vcl::TBitmap();
        if (slot != 0) {
            try {
                bitmap->LoadFromResourceName(nullptr, kGlyphNames[slot]);
            } catch (const vcl::Exception&) {
                // A program without the resource gets an empty glyph, as
                // LoadBitmap's null handle would give.
            }
        }
        glyphs[static_cast<size_t>(slot)] = bitmap;
    }
    return glyphs[static_cast<size_t>(slot)];
}

void FreeButtonGlyphs()
{
    for (auto*& g : glyphs) {
        delete g;
        g = nullptr;
    }
}

}  // namespace skin
