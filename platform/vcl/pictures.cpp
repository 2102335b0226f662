#include <algorithm>
#include <map>

#include "platform/gdi/bmp.h"
#include "platform/gdi/surface.h"
#include "platform/vcl/filer.h"
#include "platform/vcl/graphics.h"

namespace vcl {

// ----------------------------------------------------------------- TGraphic

VCL_IMPLEMENT_CLASS(TGraphic, TPersistent, [](auto&) {})

void TGraphic::LoadFromFile(const AnsiString& fileName)
{
    TFileStream file(fileName, fmOpenRead | fmShareDenyWrite);
    LoadFromStream(&file);
}

void TGraphic::SaveToFile(const AnsiString& fileName)
{
    TFileStream file(fileName, fmCreate);
    SaveToStream(&file);
}

void TGraphic::SetTransparent(bool t)
{
    if (t != transparent_) {
        transparent_ = t;
        Changed();
    }
}

void TGraphic::Changed()
{
    modified_ = true;
    OnChange(this);
}

void TGraphic::ReadData(TStream* stream) { LoadFromStream(stream); }
void TGraphic::WriteData(TStream* stream) { SaveToStream(stream); }

void TGraphic::DefineProperties(TFiler* filer)
{
    filer->DefineBinaryProperty(
        "Data", [this](TStream* s) { ReadData(s); }, [this](TStream* s) { WriteData(s); }, !Empty());
}

// ------------------------------------------------------------------ TBitmap

class TBitmap::TBitmapCanvas : public TCanvas {
public:
    explicit TBitmapCanvas(TBitmap* bitmap) : bitmap_(bitmap) {}
    ~TBitmapCanvas() override { FreeDc(); }
    void FreeDc()
    {
        if (HandleAllocated()) {
            HDC dc = Handle();
            SetHandle(nullptr);
            SelectObject(dc, old_);
            DeleteDC(dc);
        }
    }

protected:
    void CreateHandle() override
    {
        HDC dc = CreateCompatibleDC(nullptr);
        old_ = SelectObject(dc, bitmap_->Handle());
        SetHandle(dc);
    }

private:
    TBitmap* bitmap_;
    HGDIOBJ old_ = nullptr;
};

VCL_IMPLEMENT_CLASS(TBitmap, TGraphic, [](auto& b) { b.Persistent(); })

TBitmap::TBitmap() = default;

TBitmap::~TBitmap()
{
    delete canvas_;
    if (handle_)
        DeleteObject(handle_);
}

void TBitmap::Reallocate(int width, int height)
{
    if (canvas_)
        canvas_->FreeDc();
    HBITMAP old = handle_;
    std::uint32_t* oldBits = bits_;
    const int oldWidth = width_, oldHeight = height_;
    handle_ = nullptr;
    bits_ = nullptr;
    width_ = std::max(0, width);
    height_ = std::max(0, height);
    if (width_ > 0 && height_ > 0) {
        BITMAPINFO bi{};
        bi.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
        bi.bmiHeader.biWidth = width_;
        bi.bmiHeader.biHeight = -height_;
        bi.bmiHeader.biPlanes = 1;
        bi.bmiHeader.biBitCount = 32;
        void* p = nullptr;
        handle_ = CreateDIBSection(nullptr, &bi, DIB_RGB_COLORS, &p, nullptr, 0);
        if (!handle_)
            throw EOutOfResources(consts::SInvalidBitmap);
        bits_ = static_cast<std::uint32_t*>(p);
        // New pixels are white, old ones stay where they were.
        std::fill(bits_, bits_ + static_cast<size_t>(width_) * height_, 0x00FFFFFFu);
        for (int y = 0; y < std::min(oldHeight, height_) && oldBits; ++y)
            std::copy(oldBits + static_cast<size_t>(y) * oldWidth, oldBits + static_cast<size_t>(y) * oldWidth + std::min(oldWidth, width_),
                      bits_ + static_cast<size_t>(y) * width_);
    }
    if (old)
        DeleteObject(old);
}

void TBitmap::SetSize(int width, int height)
{
    if (width == width_ && height == height_)
        return;
    Reallocate(width, height);
    Changed();
}

HBITMAP TBitmap::Handle() { return handle_; }

TCanvas* TBitmap::Canvas()
{
    if (!canvas_)
        canvas_ = new TBitmapCanvas(this);
    if (Empty())
        throw EInvalidGraphicOperation(consts::SNoCanvasHandle);
    return canvas_;
}

void* TBitmap::ScanLine(int row)
{
    if (row < 0 || row >= height_ || !bits_)
        throw EInvalidGraphicOperation(Format(consts::SListIndexError, row));
    return bits_ + static_cast<size_t>(row) * width_;
}

TColor TBitmap::TransparentColor() const
{
    if (transparentMode_ == tmFixed && transparentColor_ != clDefault)
        return transparentColor_;
    if (Empty())
        return clDefault;
    // The bottom-left pixel decides, as in the original.
    return static_cast<TColor>(vls::gdi::PixelToColorRef(bits_[static_cast<size_t>(height_ - 1) * width_])) & 0xFFFFFF;
}

void TBitmap::SetTransparentColor(TColor c)
{
    transparentColor_ = c;
    transparentMode_ = c == clDefault ? tmAuto : tmFixed;
    Changed();
}

void TBitmap::Draw(TCanvas* canvas, const RECT& r)
{
    if (Empty())
        return;
    HDC src = CreateCompatibleDC(nullptr);
    HGDIOBJ old = SelectObject(src, handle_);
    HDC dest = canvas->Handle();
    const int w = r.right - r.left, h = r.bottom - r.top;
    if (!transparent_) {
        StretchBlt(dest, r.left, r.top, w, h, src, 0, 0, width_, height_, canvas->CopyMode());
    } else {
        // Pixels of the transparent colour leave the canvas as it was.
        const COLORREF key = ColorToRGB(TransparentColor());
        for (int y = 0; y < h; ++y) {
            const int sy = y * height_ / h;
            for (int x = 0; x < w; ++x) {
                const int sx = x * width_ / w;
                const COLORREF c = vls::gdi::PixelToColorRef(bits_[static_cast<size_t>(sy) * width_ + sx]);
                if (c != key)
                    ::SetPixel(dest, r.left + x, r.top + y, c);
            }
        }
    }
    SelectObject(src, old);
    DeleteDC(src);
}

void TBitmap::LoadFromStream(TStream* stream)
{
    const std::int64_t size = stream->Size() - stream->Position();
    if (size <= 0 || size > 256 * 1024 * 1024)
        throw EInvalidGraphic(consts::SInvalidBitmap);
    std::vector<std::uint8_t> data(static_cast<size_t>(size));
    stream->ReadBuffer(data.data(), static_cast<std::int32_t>(size));
    vls::gdi::Surface picture(0, 0);
    vls::gdi::BmpInfo info;
    std::string error;
    if (!vls::gdi::ReadBmp(data, picture, info, error))
        throw EInvalidGraphic(consts::SInvalidBitmap);
    Reallocate(0, 0);
    Reallocate(picture.Width(), picture.Height());
    for (int y = 0; y < height_; ++y)
        std::copy(picture.Row(y), picture.Row(y) + width_, bits_ + static_cast<size_t>(y) * width_);
    pixelFormat_ = info.bitCount == 32 ? pf32bit : info.bitCount == 24 ? pf24bit : info.bitCount == 16 ? pf16bit : pfDevice;
    Changed();
}

void TBitmap::SaveToStream(TStream* stream)
{
    vls::gdi::Surface view(width_, height_, bits_, width_);
    const int bits = pixelFormat_ == pf32bit ? 32 : pixelFormat_ == pf16bit || pixelFormat_ == pf15bit ? 16 : 24;
    const std::vector<std::uint8_t> file = vls::gdi::WriteBmp(view, bits);
    stream->WriteBuffer(file.data(), static_cast<std::int32_t>(file.size()));
}

void TBitmap::ReadData(TStream* stream)
{
    std::int32_t size = 0;
    stream->ReadBuffer(&size, 4);
    if (size < 0 || size > stream->Size() - stream->Position())
        throw EReadError(consts::SReadError);
    TMemoryStream data;
    data.SetSize(size);
    if (size)
        stream->ReadBuffer(data.Memory(), size);
    data.SetPosition(0);
    LoadFromStream(&data);
}

void TBitmap::WriteData(TStream* stream)
{
    TMemoryStream data;
    SaveToStream(&data);
    const auto size = static_cast<std::int32_t>(data.Size());
    stream->WriteBuffer(&size, 4);
    data.SaveToStream(stream);
}

void TBitmap::LoadFromResourceName(HINSTANCE, const AnsiString& name)
{
    std::vector<std::uint8_t> data;
    if (!FindResourceData(name, data))
        throw EInvalidGraphic(consts::SInvalidBitmap);
    TMemoryStream m;
    m.WriteBuffer(data.data(), static_cast<std::int32_t>(data.size()));
    m.SetPosition(0);
    LoadFromStream(&m);
}

void TBitmap::Assign(TPersistent* source)
{
    auto* b = dynamic_cast<TBitmap*>(source);
    if (!b) {
        TGraphic::Assign(source);
        return;
    }
    Reallocate(0, 0);
    Reallocate(b->width_, b->height_);
    if (bits_)
        std::copy(b->bits_, b->bits_ + static_cast<size_t>(width_) * height_, bits_);
    pixelFormat_ = b->pixelFormat_;
    transparent_ = b->transparent_;
    transparentMode_ = b->transparentMode_;
    transparentColor_ = b->transparentColor_;
    Changed();
}

// -------------------------------------------------------------------- TIcon

VCL_IMPLEMENT_CLASS(TIcon, TGraphic, [](auto& b) { b.Persistent(); })

TIcon::~TIcon()
{
    if (handle_)
        DestroyIcon(handle_);
}

void TIcon::SetHandle(HICON icon)
{
    if (handle_ && handle_ != icon)
        DestroyIcon(handle_);
    handle_ = icon;
    width_ = height_ = 0;
    ICONINFO info{};
    if (icon && GetIconInfo(icon, &info)) {
        BITMAP bm{};
        if (info.hbmColor && GetObjectA(info.hbmColor, sizeof bm, &bm)) {
            width_ = bm.bmWidth;
            height_ = bm.bmHeight;
        } else if (info.hbmMask && GetObjectA(info.hbmMask, sizeof bm, &bm)) {
            width_ = bm.bmWidth;
            height_ = bm.bmHeight / 2;
        }
        DeleteObject(info.hbmColor);
        DeleteObject(info.hbmMask);
    }
    Changed();
}

HICON TIcon::ReleaseHandle()
{
    HICON h = handle_;
    handle_ = nullptr;
    width_ = height_ = 0;
    return h;
}

void TIcon::Draw(TCanvas* canvas, const RECT& rect)
{
    if (handle_)
        DrawIconEx(canvas->Handle(), rect.left, rect.top, handle_, rect.right - rect.left, rect.bottom - rect.top, 0, nullptr, DI_NORMAL);
}

void TIcon::LoadFromStream(TStream* stream)
{
    // A BMP whose pixels carry alpha: alpha 0 is see-through.
    TBitmap picture;
    picture.LoadFromStream(stream);
    BITMAPINFO bi{};
    HBITMAP color = CreateBitmap(picture.Width(), picture.Height(), 1, 32, picture.Pixels());
    std::vector<BYTE> maskBits(static_cast<size_t>((picture.Width() + 15) / 16 * 2) * picture.Height(), 0);
    const int stride = (picture.Width() + 15) / 16 * 2;
    for (int y = 0; y < picture.Height(); ++y)
        for (int x = 0; x < picture.Width(); ++x)
            if ((picture.Pixels()[y * picture.Width() + x] >> 24) == 0)
                maskBits[static_cast<size_t>(y) * stride + x / 8] |= static_cast<BYTE>(0x80 >> (x % 8));
    (void)bi;
    HBITMAP mask = CreateBitmap(picture.Width(), picture.Height(), 1, 1, maskBits.data());
    ICONINFO info{TRUE, 0, 0, mask, color};
    SetHandle(CreateIconIndirect(&info));
    DeleteObject(color);
    DeleteObject(mask);
}

void TIcon::SaveToStream(TStream* stream)
{
    if (!handle_)
        return;
    TBitmap picture;
    picture.SetPixelFormat(pf32bit);
    picture.SetSize(width_, height_);
    RECT r{0, 0, width_, height_};
    picture.Canvas()->Brush()->SetColor(clBlack);
    picture.Canvas()->FillRect(r);
    Draw(picture.Canvas(), r);
    picture.SaveToStream(stream);
}

void TIcon::Assign(TPersistent* source)
{
    auto* i = dynamic_cast<TIcon*>(source);
    if (!i) {
        TGraphic::Assign(source);
        return;
    }
    SetHandle(i->handle_ ? CopyIcon(i->handle_) : nullptr);
}

// ----------------------------------------------------------------- TPicture

VCL_IMPLEMENT_CLASS(TPicture, TPersistent, [](auto& b) { b.Persistent(); })

TPicture::~TPicture() { delete graphic_; }

void TPicture::Replace(TGraphic* graphic)
{
    delete graphic_;
    graphic_ = graphic;
    if (graphic_)
        graphic_->OnChange = [this](TObject* s) { Changed(s); };
    Changed(this);
}

void TPicture::SetGraphic(TGraphic* graphic)
{
    if (!graphic) {
        Replace(nullptr);
        return;
    }
    TClass cls = graphic->ClassType();
    auto* copy = static_cast<TGraphic*>(cls->create(nullptr));
    copy->Assign(graphic);
    Replace(copy);
}

TBitmap* TPicture::Bitmap()
{
    if (!dynamic_cast<TBitmap*>(graphic_))
        Replace(new TBitmap());
    return static_cast<TBitmap*>(graphic_);
}

TIcon* TPicture::Icon()
{
    if (!dynamic_cast<TIcon*>(graphic_))
        Replace(new TIcon());
    return static_cast<TIcon*>(graphic_);
}

void TPicture::LoadFromFile(const AnsiString& fileName)
{
    const AnsiString ext = LowerCase(ExtractFileExt(fileName));
    TGraphic* g;
    if (ext == ".bmp")
        g = new TBitmap();
    else if (ext == ".ico")
        g = new TIcon();
    else
        throw EInvalidGraphic(Format(consts::SUnknownExtension, ext.empty() ? ext : ext.substr(1)));
    try {
        g->LoadFromFile(fileName);
    } catch (...) {
        delete g;
        throw;
    }
    Replace(g);
}

void TPicture::SaveToFile(const AnsiString& fileName)
{
    if (graphic_)
        graphic_->SaveToFile(fileName);
}

void TPicture::Assign(TPersistent* source)
{
    if (!source) {
        Replace(nullptr);
        return;
    }
    if (auto* p = dynamic_cast<TPicture*>(source)) {
        SetGraphic(p->graphic_);
        return;
    }
    if (auto* g = dynamic_cast<TGraphic*>(source)) {
        SetGraphic(g);
        return;
    }
    TPersistent::Assign(source);
}

void TPicture::DefineProperties(TFiler* filer)
{
    // "Data": the graphic's class name as a short string, then its data.
    filer->DefineBinaryProperty(
        "Data",
        [this](TStream* s) {
            std::uint8_t n = 0;
            s->ReadBuffer(&n, 1);
            AnsiString name(n, '\0');
            if (n)
                s->ReadBuffer(name.data(), n);
            // The library's own graphic classes need no registration.
            TClass cls = SameText(name, "TBitmap") ? TBitmap::StaticClass()
                         : SameText(name, "TIcon") ? TIcon::StaticClass()
                                                   : FindClass(name);
            if (!cls->create || !cls->InheritsFrom(TGraphic::StaticClass()))
                throw EReadError(consts::SInvalidImage);
            auto* g = static_cast<TGraphic*>(cls->create(nullptr));
            try {
                g->ReadData(s);
            } catch (...) {
                delete g;
                throw;
            }
            Replace(g);
        },
        [this](TStream* s) {
            const AnsiString name = graphic_->ClassName();
            const auto n = static_cast<std::uint8_t>(name.size());
            s->WriteBuffer(&n, 1);
            s->WriteBuffer(name.data(), n);
            graphic_->WriteData(s);
        },
        graphic_ && !graphic_->Empty());
}

// ---------------------------------------------------------------- resources

namespace {

std::map<AnsiString, std::vector<std::uint8_t>>& Resources()
{
    static std::map<AnsiString, std::vector<std::uint8_t>> r;
    return r;
}

}  // namespace

void RegisterResource(const AnsiString& name, const std::vector<std::uint8_t>& data)
{
    Resources()[UpperCase(name)] = data;
}

bool FindResourceData(const AnsiString& name, std::vector<std::uint8_t>& data)
{
    auto it = Resources().find(UpperCase(name));
    if (it == Resources().end())
        return false;
    data = it->second;
    return true;
}

}  // namespace vcl
