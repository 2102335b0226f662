#include "platform/vcl/imglist.h"

#include "platform/gdi/surface.h"

namespace vcl {

namespace {
const TEnumInfo kDrawingStyleInfo{"TDrawingStyle", {"dsFocus", "dsSelected", "dsNormal", "dsTransparent"}};
}

VCL_IMPLEMENT_CLASS(TCustomImageList, TComponent, [](auto& b) {
    auto& bk = b.Int("BkColor", &TCustomImageList::BkColor, &TCustomImageList::SetBkColor, clNone);
    bk.identMap = ColorIdentMap();
    b.Enum("DrawingStyle", &kDrawingStyleInfo, &TCustomImageList::DrawingStyle, &TCustomImageList::SetDrawingStyle,
           std::optional<TDrawingStyle>(dsNormal));
    b.Int("Height", &TCustomImageList::Height, &TCustomImageList::SetHeight, 16);
    b.Bool("Masked", &TCustomImageList::Masked, &TCustomImageList::SetMasked, true);
    b.Int("Width", &TCustomImageList::Width, &TCustomImageList::SetWidth, 16);
    b.Event("OnChange", &TCustomImageList::OnChange);
})
VCL_IMPLEMENT_CLASS(TImageList, TCustomImageList, [](auto& b) { b.Component(); })

TCustomImageList::TCustomImageList(TComponent* owner) : TComponent(owner) {}
TCustomImageList::~TCustomImageList() = default;

void TCustomImageList::SetWidth(int w)
{
    if (w > 0 && w != width_) {
        width_ = w;
        Clear();
    }
}

void TCustomImageList::SetHeight(int h)
{
    if (h > 0 && h != height_) {
        height_ = h;
        Clear();
    }
}

int TCustomImageList::AddCells(TBitmap* image, const std::function<bool(int, int, std::uint32_t)>& isClear)
{
    if (!image || image->Empty())
        return -1;
    const int first = Count();
    const int cells = std::max(1, image->Width() / width_);
    for (int cell = 0; cell < cells; ++cell) {
        Image img;
        img.pixels.assign(static_cast<size_t>(width_) * height_, 0);
        img.clear.assign(static_cast<size_t>(width_) * height_, true);
        for (int y = 0; y < std::min(height_, image->Height()); ++y) {
            for (int x = 0; x < width_ && cell * width_ + x < image->Width(); ++x) {
                const int sx = cell * width_ + x;
                const std::uint32_t p = image->Pixels()[static_cast<size_t>(y) * image->Width() + sx] & 0xFFFFFF;
                img.pixels[static_cast<size_t>(y) * width_ + x] = p;
                img.clear[static_cast<size_t>(y) * width_ + x] = masked_ && isClear(sx, y, p);
            }
        }
        images_.push_back(std::move(img));
    }
    Changed();
    return first;
}

int TCustomImageList::Add(TBitmap* image, TBitmap* mask)
{
    return AddCells(image, [mask](int x, int y, std::uint32_t) {
        if (!mask || mask->Empty() || x >= mask->Width() || y >= mask->Height())
            return false;
        return (mask->Pixels()[static_cast<size_t>(y) * mask->Width() + x] & 0xFFFFFF) != 0;
    });
}

int TCustomImageList::AddMasked(TBitmap* image, TColor maskColor)
{
    if (maskColor == clDefault && image && !image->Empty())
        maskColor = image->TransparentColor();
    const std::uint32_t key = vls::gdi::ColorRefToPixel(ColorToRGB(maskColor));
    return AddCells(image, [key](int, int, std::uint32_t p) { return p == key; });
}

void TCustomImageList::Delete(int index)
{
    if (index < 0 || index >= Count())
        throw EInvalidOperation(Format(consts::SListIndexError, index));
    images_.erase(images_.begin() + index);
    Changed();
}

void TCustomImageList::Clear()
{
    images_.clear();
    Changed();
}

void TCustomImageList::Draw(TCanvas* canvas, int x, int y, int index, bool enabled)
{
    if (index < 0 || index >= Count())
        return;
    const Image& img = images_[static_cast<size_t>(index)];
    HDC dc = canvas->Handle();
    const COLORREF shadow = ColorToRGB(clBtnShadow);
    for (int py = 0; py < height_; ++py) {
        for (int px = 0; px < width_; ++px) {
            const size_t i = static_cast<size_t>(py) * width_ + px;
            if (img.clear[i])
                continue;
            COLORREF c = vls::gdi::PixelToColorRef(img.pixels[i]);
            if (!enabled)
                c = shadow;
            ::SetPixel(dc, x + px, y + py, c);
        }
    }
}

void TCustomImageList::GetBitmap(int index, TBitmap* image)
{
    if (!image || index < 0 || index >= Count())
        return;
    image->SetSize(width_, height_);
    const Image& img = images_[static_cast<size_t>(index)];
    for (size_t i = 0; i < img.pixels.size(); ++i)
        image->Pixels()[i] = img.pixels[i];
}

}  // namespace vcl
