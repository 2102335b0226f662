#include "launcher/components/kit_image_list.h"

#include <algorithm>
#include <cstring>

#include "launcher/components/kit_dib.h"
#include "launcher/components/kit_draw.h"
#include "platform/vcl/filer.h"

namespace kit {

VCL_IMPLEMENT_CLASS(TKitImageListItem, TKitListItem, [](auto& b) {
    using C = TKitImageListItem;
    b.Component();
    b.Int("AllocBy", &C::AllocBy, &C::SetAllocBy, 4);
    // Carried by the item record, never stored alone.
    b.Str("Description", &C::Description, &C::SetDescription).stored = [](const vcl::TObject*) { return false; };
    b.Bool("Masked", &C::Masked, &C::SetMasked, false);
    b.Int("Height", &C::Height, &C::SetHeight, 16);
    b.Int("Width", &C::Width, &C::SetWidth, 16);
})
VCL_IMPLEMENT_CLASS(TKitImageList, TKitCustomImageList, [](auto& b) {
    using C = TKitImageList;
    b.Component();
    b.Bool("DefaultCompressed", &C::DefaultCompressed, &C::SetDefaultCompressed, false);
    b.template Enum<TKitSavePixelFormat>("DefaultPixelFormat", &kSavePixelFormatInfo, &C::DefaultPixelFormat, &C::SetDefaultPixelFormat,
           std::optional(spfDefault));
})

namespace {

constexpr const char* kDamagedStrip = "Beschädigter Bildstreifen";
[[noreturn]] void Damaged() { throw vcl::EReadError(kDamagedStrip); }

void AppendBitmap(std::vector<std::uint8_t>& out, vcl::TBitmap* bitmap)
{
    vcl::TMemoryStream stream;
    bitmap->SaveToStream(&stream);
    out.insert(out.end(), stream.Bytes().begin(), stream.Bytes().end());
}

// Reads one BMP file from `data` at `at`, by the size its header gives.
void TakeBitmap(const std::vector<std::uint8_t>& data, std::size_t& at, vcl::TBitmap* bitmap, int width, int height)
{
    if (data.size() - at < 14 || data[at] != 'B' || data[at + 1] != 'M')
        Damaged();
    const std::uint32_t size = data[at + 2] | (data[at + 3] << 8) | (data[at + 4] << 16) |
                               (static_cast<std::uint32_t>(data[at + 5]) << 24);
    if (size < 14 || size > data.size() - at)
        Damaged();
    vcl::TMemoryStream stream;
    stream.WriteBuffer(&data[at], static_cast<std::int32_t>(size));
    stream.SetPosition(0);
    bitmap->LoadFromStream(&stream);
    if (bitmap->Width() != width || bitmap->Height() != height)
        Damaged();
    at += size;
}

void CopyInto(vcl::TBitmap* to, int x, vcl::TBitmap* from)
{
    for (int y = 0; y < from->Height(); ++y)
        std::memcpy(to->Pixels() + static_cast<std::size_t>(y) * to->Width() + x,
                    from->Pixels() + static_cast<std::size_t>(y) * from->Width(), sizeof(std::uint32_t) * from->Width());
}

}  // namespace

TKitImageListItem::TKitImageListItem(vcl::TComponent* owner)
    : TKitListItem(owner), strip_(new vcl::TBitmap()), mask_(new vcl::TBitmap())
{
}

TKitImageListItem::~TKitImageListItem()
{
    delete strip_;
    delete mask_;
}

void TKitImageListItem::Clear()
{
    count_ = 0;
    strip_->SetSize(0, 0);
    mask_->SetSize(0, 0);
}

void TKitImageListItem::SetHeight(int value)
{
    if (value == height_)
        return;
    height_ = value;
    Clear();
}

void TKitImageListItem::SetWidth(int value)
{
    if (value == width_)
        return;
    width_ = value;
    Clear();
}

int TKitImageListItem::Add(vcl::TBitmap* image, vcl::TBitmap* mask)
{
    if (!image || image->Width() != width_ || image->Height() != height_ ||
        (masked_ && (!mask || mask->Width() != width_ || mask->Height() != height_)))
        throw vcl::EInvalidOperation(kInvalidImageSize);
    if (static_cast<long long>(count_ + 1) * width_ > kMaxStripWidth)
        throw vcl::EInvalidOperation(kTooManyImages);
    const auto grow = [&](vcl::TBitmap* strip, vcl::TBitmap* piece) {
        vcl::TBitmap wider;
        wider.SetSize((count_ + 1) * width_, height_);
        if (count_ > 0)
            CopyInto(&wider, 0, strip);
        CopyInto(&wider, count_ * width_, piece);
        strip->Assign(&wider);
    };
    grow(strip_, image);
    if (masked_)
        grow(mask_, mask);
    return count_++;
}

void TKitImageListItem::Cut(vcl::TBitmap* strip, int index, vcl::TBitmap* piece) const
{
    piece->SetSize(width_, height_);
    BitBlt(piece->Canvas()->Handle(), 0, 0, width_, height_, strip->Canvas()->Handle(), index * width_, 0, SRCCOPY);
}

RECT TKitImageListItem::Draw(vcl::TCanvas* canvas, const RECT& rect, int index, UINT flags)
{
    return DrawPiece(canvas, rect, index, flags, false, vcl::clNone);
}

RECT TKitImageListItem::DrawDisabled(vcl::TCanvas* canvas, const RECT& rect, int index, UINT flags,
                                     vcl::TColor disabledColor)
{
    return DrawPiece(canvas, rect, index, flags, true, disabledColor);
}

RECT TKitImageListItem::DrawPiece(vcl::TCanvas* canvas, const RECT& rect, int index, UINT flags, bool disabled,
                                  vcl::TColor disabledColor)
{
    if (index < 0 || index >= count_)
        return RECT{0, 0, 0, 0};
    vcl::TBitmap image;
    Cut(strip_, index, &image);
    flags &= ~(kDrawColorKey | kDrawTransparent | kDrawMask);
    vcl::TBitmap mask;
    if (masked_)
        Cut(mask_, index, &mask);
    const vcl::TColor key = masked_ ? vcl::clNone : image.Canvas()->Pixels(0, height_ - 1);
    vcl::TBitmap* maskOrNone = masked_ ? &mask : nullptr;
    if (disabled)
        return DrawDisabledBitmap(canvas, rect, &image, flags, key, maskOrNone, disabledColor);
    return DrawBitmap(canvas, rect, &image, flags | (masked_ ? kDrawMask : kDrawColorKey), key, maskOrNone);
}

void TKitImageListItem::DefineProperties(vcl::TFiler* filer)
{
    TKitListItem::DefineProperties(filer);
    // Older forms stored the same record under this name; it is read, never
    // written.
    filer->DefineBinaryProperty(
        "Bitmap", [this](vcl::TStream* s) { FromRecord(ReadItemRecord(s, true)); }, nullptr, false);
}

RECT TKitImageList::DrawImage(vcl::TCanvas* canvas, const RECT& rect, int index, UINT flags, bool enabled)
{
    for (int i = 0; i < Count() && index >= 0; ++i) {
        TKitImageListItem* strip = ImageItem(i);
        if (index < strip->Count())
            return enabled ? strip->Draw(canvas, rect, index, flags)
                           : strip->DrawDisabled(canvas, rect, index, flags, DisabledColor);
        index -= strip->Count();
    }
    return RECT{0, 0, 0, 0};
}

TKitListItem* TKitImageList::CreateItem()
{
    auto* item = new TKitImageListItem(nullptr);
    item->SetSavePixelFormat(DefaultPixelFormat());
    return item;
}

std::optional<TKitStripHeader> TKitImageListItem::StripHeader() const
{
    return TKitStripHeader{height_, width_, allocBy_, masked_};
}

void TKitImageListItem::SetStripHeader(const TKitStripHeader& header)
{
    if (header.width < 1 || header.width > kMaxStripWidth || header.height < 1 || header.height > kMaxStripWidth)
        Damaged();
    SetHeight(header.height);
    SetWidth(header.width);
    allocBy_ = header.allocBy;
    masked_ = header.masked;
}

std::vector<std::uint8_t> TKitImageListItem::DataBytes() const
{
    std::vector<std::uint8_t> out(4);
    for (int i = 0; i < 4; ++i)
        out[static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(count_ >> (8 * i));
    if (count_ > 0) {
        if (savePixelFormat_ == spfDefault) {
            AppendBitmap(out, strip_);
        } else {
            const std::vector<std::uint8_t> strip = WriteDibFile(strip_, SavePixelFormatDepth(savePixelFormat_));
            out.insert(out.end(), strip.begin(), strip.end());
        }
        if (masked_) {
            const std::vector<std::uint8_t> mask = WriteDibFile(mask_, 1);
            out.insert(out.end(), mask.begin(), mask.end());
        }
    }
    return out;
}

void TKitImageListItem::SetDataBytes(const std::vector<std::uint8_t>& data)
{
    if (data.size() < 4)
        Damaged();
    const auto count = static_cast<std::int32_t>(data[0] | (data[1] << 8) | (data[2] << 16) |
                                                 (static_cast<std::uint32_t>(data[3]) << 24));
    if (count < 0 || static_cast<long long>(count) * width_ > kMaxStripWidth)
        Damaged();
    Clear();
    if (count == 0)
        return;
    std::size_t at = 4;
    TakeBitmap(data, at, strip_, count * width_, height_);
    if (masked_)
        TakeBitmap(data, at, mask_, count * width_, height_);
    count_ = count;
}

}  // namespace kit
