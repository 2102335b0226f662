#include "platform/vcl/graphics.h"

#include <algorithm>
#include <cstring>
#include <map>

#include "platform/gdi/bmp.h"
#include "platform/gdi/surface.h"
#include "platform/vcl/filer.h"

namespace vcl {

const TEnumInfo kFontStyleInfo{"TFontStyle", {"fsBold", "fsItalic", "fsUnderline", "fsStrikeOut"}};
const TEnumInfo kFontPitchInfo{"TFontPitch", {"fpDefault", "fpVariable", "fpFixed"}};
const TEnumInfo kPenStyleInfo{"TPenStyle", {"psSolid", "psDash", "psDot", "psDashDot", "psDashDotDot", "psClear", "psInsideFrame"}};
const TEnumInfo kPenModeInfo{"TPenMode", {"pmBlack", "pmWhite", "pmNop", "pmNot", "pmCopy", "pmNotCopy", "pmMergePenNot",
                                          "pmMaskPenNot", "pmMergeNotPen", "pmMaskNotPen", "pmMerge", "pmNotMerge",
                                          "pmMask", "pmNotMask", "pmXor", "pmNotXor"}};
const TEnumInfo kBrushStyleInfo{"TBrushStyle", {"bsSolid", "bsClear", "bsHorizontal", "bsVertical", "bsFDiagonal",
                                                "bsBDiagonal", "bsCross", "bsDiagCross"}};

// ------------------------------------------------------------------ colours

namespace {

const std::vector<std::pair<TColor, const char*>>& ColorNames()
{
    static const std::vector<std::pair<TColor, const char*>> names = {
        {clBlack, "clBlack"}, {clMaroon, "clMaroon"}, {clGreen, "clGreen"}, {clOlive, "clOlive"}, {clNavy, "clNavy"},
        {clPurple, "clPurple"}, {clTeal, "clTeal"}, {clGray, "clGray"}, {clSilver, "clSilver"}, {clRed, "clRed"},
        {clLime, "clLime"}, {clYellow, "clYellow"}, {clBlue, "clBlue"}, {clFuchsia, "clFuchsia"}, {clAqua, "clAqua"},
        {clWhite, "clWhite"}, {clScrollBar, "clScrollBar"}, {clBackground, "clBackground"},
        {clActiveCaption, "clActiveCaption"}, {clInactiveCaption, "clInactiveCaption"}, {clMenu, "clMenu"},
        {clWindow, "clWindow"}, {clWindowFrame, "clWindowFrame"}, {clMenuText, "clMenuText"},
        {clWindowText, "clWindowText"}, {clCaptionText, "clCaptionText"}, {clActiveBorder, "clActiveBorder"},
        {clInactiveBorder, "clInactiveBorder"}, {clAppWorkSpace, "clAppWorkSpace"}, {clHighlight, "clHighlight"},
        {clHighlightText, "clHighlightText"}, {clBtnFace, "clBtnFace"}, {clBtnShadow, "clBtnShadow"},
        {clGrayText, "clGrayText"}, {clBtnText, "clBtnText"}, {clInactiveCaptionText, "clInactiveCaptionText"},
        {clBtnHighlight, "clBtnHighlight"}, {cl3DDkShadow, "cl3DDkShadow"}, {cl3DLight, "cl3DLight"},
        {clInfoText, "clInfoText"}, {clInfoBk, "clInfoBk"}, {clNone, "clNone"}, {clDefault, "clDefault"},
    };
    return names;
}

}  // namespace

COLORREF ColorToRGB(TColor color)
{
    if (color < 0)
        return vls::gdi::SysColor(color & 0xFF);
    return static_cast<COLORREF>(color) & 0xFFFFFF;
}

bool ColorToIdent(TColor color, AnsiString& ident)
{
    for (const auto& [c, n] : ColorNames()) {
        if (c == color) {
            ident = n;
            return true;
        }
    }
    return false;
}

bool IdentToColor(const AnsiString& ident, TColor& color)
{
    for (const auto& [c, n] : ColorNames()) {
        if (SameText(ident, n)) {
            color = c;
            return true;
        }
    }
    return false;
}

AnsiString ColorToString(TColor color)
{
    AnsiString ident;
    if (ColorToIdent(color, ident))
        return ident;
    return "$" + IntToHex(static_cast<std::uint32_t>(color), 8);
}

TColor StringToColor(const AnsiString& s)
{
    TColor c;
    if (IdentToColor(s, c))
        return c;
    return StrToInt(s);
}

const TIdentMap* ColorIdentMap()
{
    static const TIdentMap map{
        [](std::int64_t v, std::string& ident) { return ColorToIdent(static_cast<TColor>(v), ident); },
        [](const std::string& ident, std::int64_t& v) {
            TColor c;
            if (!IdentToColor(ident, c))
                return false;
            v = c;
            return true;
        }};
    return &map;
}

// -------------------------------------------------------- graphics objects

VCL_IMPLEMENT_CLASS(TGraphicsObject, TPersistent, [](auto&) {})

VCL_IMPLEMENT_CLASS(TFont, TGraphicsObject, [](auto& b) {
    b.Persistent();
    b.Int("Charset", &TFont::CharsetValue, &TFont::SetCharsetValue, DEFAULT_CHARSET);
    b.Int("Color", &TFont::Color, &TFont::SetColor, std::nullopt).identMap = ColorIdentMap();
    b.Int("Height", &TFont::Height, &TFont::SetHeight, std::nullopt);
    b.Str("Name", &TFont::Name, &TFont::SetName).stored = [](const TObject*) { return true; };
    b.Enum("Pitch", &kFontPitchInfo, &TFont::Pitch, &TFont::SetPitch, std::optional<TFontPitch>(fpDefault));
    b.Int("Size", &TFont::Size, &TFont::SetSize, std::nullopt).stored = [](const TObject*) { return false; };
    b.Set("Style", &kFontStyleInfo, &TFont::Style, &TFont::SetStyle, std::optional<TFontStyles>(TFontStyles{}));
})

TFont::TFont() = default;

TFont::~TFont()
{
    if (handle_)
        DeleteObject(handle_);
}

void TFont::Change()
{
    if (handle_) {
        DeleteObject(handle_);
        handle_ = nullptr;
    }
    Changed();
}

HFONT TFont::Handle()
{
    if (!handle_) {
        LOGFONTA lf{};
        lf.lfHeight = height_;
        lf.lfWeight = style_.Contains(fsBold) ? FW_BOLD : FW_NORMAL;
        lf.lfItalic = style_.Contains(fsItalic);
        lf.lfUnderline = style_.Contains(fsUnderline);
        lf.lfStrikeOut = style_.Contains(fsStrikeOut);
        lf.lfCharSet = charset_;
        lf.lfPitchAndFamily = static_cast<BYTE>(pitch_ == fpFixed ? FIXED_PITCH : pitch_ == fpVariable ? VARIABLE_PITCH : DEFAULT_PITCH);
        std::strncpy(lf.lfFaceName, name_.c_str(), LF_FACESIZE - 1);
        handle_ = CreateFontIndirectA(&lf);
    }
    return handle_;
}

void TFont::Assign(TPersistent* source)
{
    auto* f = dynamic_cast<TFont*>(source);
    if (!f) {
        TPersistent::Assign(source);
        return;
    }
    name_ = f->name_;
    height_ = f->height_;
    color_ = f->color_;
    style_ = f->style_;
    charset_ = f->charset_;
    pitch_ = f->pitch_;
    Change();
}

void TFont::SetName(const AnsiString& name)
{
    if (!name.empty() && name != name_) {
        name_ = name;
        Change();
    }
}

void TFont::SetHeight(int height)
{
    if (height != height_) {
        height_ = height;
        Change();
    }
}

int TFont::Size() const { return -MulDiv(height_, 72, PixelsPerInch()); }
void TFont::SetSize(int size) { SetHeight(-MulDiv(size, PixelsPerInch(), 72)); }

void TFont::SetColor(TColor color)
{
    if (color != color_) {
        color_ = color;
        Changed();  // the colour is not part of the font handle
    }
}

void TFont::SetStyle(TFontStyles style)
{
    if (!(style == style_)) {
        style_ = style;
        Change();
    }
}

void TFont::SetCharset(BYTE charset)
{
    if (charset != charset_) {
        charset_ = charset;
        Change();
    }
}

void TFont::SetPitch(TFontPitch pitch)
{
    if (pitch != pitch_) {
        pitch_ = pitch;
        Change();
    }
}

VCL_IMPLEMENT_CLASS(TPen, TGraphicsObject, [](auto& b) {
    b.Persistent();
    b.Int("Color", &TPen::Color, &TPen::SetColor, clBlack).identMap = ColorIdentMap();
    b.Enum("Mode", &kPenModeInfo, &TPen::Mode, &TPen::SetMode, std::optional<TPenMode>(pmCopy));
    b.Enum("Style", &kPenStyleInfo, &TPen::Style, &TPen::SetStyle, std::optional<TPenStyle>(psSolid));
    b.Int("Width", &TPen::Width, &TPen::SetWidth, 1);
})

TPen::~TPen()
{
    if (handle_)
        DeleteObject(handle_);
}

void TPen::Change()
{
    if (handle_) {
        DeleteObject(handle_);
        handle_ = nullptr;
    }
    Changed();
}

HPEN TPen::Handle()
{
    if (!handle_) {
        static const int kStyles[] = {PS_SOLID, PS_DASH, PS_DOT, PS_DASHDOT, PS_DASHDOTDOT, PS_NULL, PS_INSIDEFRAME};
        handle_ = CreatePen(kStyles[style_], width_, ColorToRGB(color_));
    }
    return handle_;
}

void TPen::Assign(TPersistent* source)
{
    auto* p = dynamic_cast<TPen*>(source);
    if (!p) {
        TPersistent::Assign(source);
        return;
    }
    color_ = p->color_;
    width_ = p->width_;
    style_ = p->style_;
    mode_ = p->mode_;
    Change();
}

void TPen::SetColor(TColor c)
{
    if (c != color_) {
        color_ = c;
        Change();
    }
}

void TPen::SetWidth(int w)
{
    if (w >= 0 && w != width_) {
        width_ = w;
        Change();
    }
}

void TPen::SetStyle(TPenStyle s)
{
    if (s != style_) {
        style_ = s;
        Change();
    }
}

void TPen::SetMode(TPenMode m)
{
    if (m != mode_) {
        mode_ = m;
        Changed();
    }
}

VCL_IMPLEMENT_CLASS(TBrush, TGraphicsObject, [](auto& b) {
    b.Persistent();
    b.Int("Color", &TBrush::Color, &TBrush::SetColor, clWhite).identMap = ColorIdentMap();
    b.Enum("Style", &kBrushStyleInfo, &TBrush::Style, &TBrush::SetStyle, std::optional<TBrushStyle>(bsSolid));
})

TBrush::~TBrush()
{
    if (handle_)
        DeleteObject(handle_);
}

void TBrush::Change()
{
    if (handle_) {
        DeleteObject(handle_);
        handle_ = nullptr;
    }
    Changed();
}

HBRUSH TBrush::Handle()
{
    if (!handle_) {
        if (bitmap_ && !bitmap_->Empty())
            handle_ = CreatePatternBrush(bitmap_->Handle());
        else if (style_ == bsClear)
            handle_ = static_cast<HBRUSH>(GetStockObject(NULL_BRUSH));
        else if (style_ == bsSolid)
            handle_ = CreateSolidBrush(ColorToRGB(color_));
        else
            handle_ = CreateHatchBrush(style_ - bsHorizontal, ColorToRGB(color_));
    }
    return handle_;
}

void TBrush::Assign(TPersistent* source)
{
    auto* b = dynamic_cast<TBrush*>(source);
    if (!b) {
        TPersistent::Assign(source);
        return;
    }
    color_ = b->color_;
    style_ = b->style_;
    bitmap_ = b->bitmap_;
    Change();
}

void TBrush::SetColor(TColor c)
{
    if (c != color_ || style_ == bsClear) {
        color_ = c;
        if (style_ == bsClear)
            style_ = bsSolid;
        Change();
    }
}

void TBrush::SetStyle(TBrushStyle s)
{
    if (s != style_) {
        style_ = s;
        Change();
    }
}

void TBrush::SetBitmap(TBitmap* bitmap)
{
    bitmap_ = bitmap;
    Change();
}

// ------------------------------------------------------------------ TCanvas

VCL_IMPLEMENT_CLASS(TCanvas, TPersistent, [](auto&) {})

TCanvas::TCanvas() : font_(new TFont()), pen_(new TPen()), brush_(new TBrush())
{
    font_->OnChange = [this](TObject*) { state_.Exclude(csFontValid); };
    pen_->OnChange = [this](TObject*) { state_.Exclude(csPenValid); };
    brush_->OnChange = [this](TObject*) { state_.Exclude(csBrushValid); };
}

TCanvas::~TCanvas()
{
    SetHandle(nullptr);
    delete font_;
    delete pen_;
    delete brush_;
}

void TCanvas::DeselectHandles()
{
    if (handle_) {
        if (oldFont_)
            SelectObject(handle_, oldFont_);
        if (oldPen_)
            SelectObject(handle_, oldPen_);
        if (oldBrush_)
            SelectObject(handle_, oldBrush_);
    }
    oldFont_ = oldPen_ = oldBrush_ = nullptr;
    state_ = TCanvasState();
}

void TCanvas::SetHandle(HDC dc)
{
    if (dc == handle_)
        return;
    DeselectHandles();
    handle_ = dc;
    if (dc)
        state_.Include(csHandleValid);
}

HDC TCanvas::Handle()
{
    RequiredState({csHandleValid});
    return handle_;
}

void TCanvas::RequiredState(TCanvasState required)
{
    if (!handle_) {
        CreateHandle();
        if (!handle_)
            throw EInvalidOperation(consts::SNoCanvasHandle);
        state_.Include(csHandleValid);
    }
    if (required.Contains(csFontValid) && !state_.Contains(csFontValid)) {
        HGDIOBJ old = SelectObject(handle_, font_->Handle());
        if (!oldFont_)
            oldFont_ = old;
        SetTextColor(handle_, ColorToRGB(font_->Color()));
        state_.Include(csFontValid);
    }
    if (required.Contains(csPenValid) && !state_.Contains(csPenValid)) {
        HGDIOBJ old = SelectObject(handle_, pen_->Handle());
        if (!oldPen_)
            oldPen_ = old;
        SetROP2(handle_, pen_->Mode() + 1);
        state_.Include(csPenValid);
    }
    if (required.Contains(csBrushValid) && !state_.Contains(csBrushValid)) {
        HGDIOBJ old = SelectObject(handle_, brush_->Handle());
        if (!oldBrush_)
            oldBrush_ = old;
        SetBkColor(handle_, ColorToRGB(brush_->Color()));
        SetBkMode(handle_, brush_->Style() == bsSolid ? OPAQUE : TRANSPARENT);
        state_.Include(csBrushValid);
    }
}

void TCanvas::Refresh() { DeselectHandles(); if (handle_) state_.Include(csHandleValid); }

POINT TCanvas::PenPos()
{
    RequiredState({csHandleValid});
    POINT p{};
    GetCurrentPositionEx(handle_, &p);
    return p;
}

TColor TCanvas::Pixels(int x, int y)
{
    RequiredState({csHandleValid});
    const COLORREF c = GetPixel(handle_, x, y);
    return c == CLR_INVALID ? -1 : static_cast<TColor>(c);
}

void TCanvas::SetPixel(int x, int y, TColor color)
{
    Changing();
    RequiredState({csHandleValid, csPenValid});
    ::SetPixel(handle_, x, y, ColorToRGB(color));
    Changed();
}

RECT TCanvas::ClipRect()
{
    RequiredState({csHandleValid});
    RECT r{};
    GetClipBox(handle_, &r);
    return r;
}

void TCanvas::MoveTo(int x, int y)
{
    RequiredState({csHandleValid});
    MoveToEx(handle_, x, y, nullptr);
}

void TCanvas::LineTo(int x, int y)
{
    Changing();
    RequiredState({csHandleValid, csPenValid, csBrushValid});
    ::LineTo(handle_, x, y);
    Changed();
}

void TCanvas::Rectangle(int x1, int y1, int x2, int y2)
{
    Changing();
    RequiredState({csHandleValid, csPenValid, csBrushValid});
    ::Rectangle(handle_, x1, y1, x2, y2);
    Changed();
}

void TCanvas::RoundRect(int x1, int y1, int x2, int y2, int x3, int y3)
{
    Changing();
    RequiredState({csHandleValid, csPenValid, csBrushValid});
    ::RoundRect(handle_, x1, y1, x2, y2, x3, y3);
    Changed();
}

void TCanvas::Ellipse(int x1, int y1, int x2, int y2)
{
    Changing();
    RequiredState({csHandleValid, csPenValid, csBrushValid});
    ::Ellipse(handle_, x1, y1, x2, y2);
    Changed();
}

void TCanvas::Polygon(const std::vector<POINT>& points)
{
    Changing();
    RequiredState({csHandleValid, csPenValid, csBrushValid});
    ::Polygon(handle_, points.data(), static_cast<int>(points.size()));
    Changed();
}

void TCanvas::Polyline(const std::vector<POINT>& points)
{
    Changing();
    RequiredState({csHandleValid, csPenValid, csBrushValid});
    ::Polyline(handle_, points.data(), static_cast<int>(points.size()));
    Changed();
}

void TCanvas::FillRect(const RECT& r)
{
    Changing();
    RequiredState({csHandleValid, csBrushValid});
    ::FillRect(handle_, &r, brush_->Handle());
    Changed();
}

void TCanvas::FrameRect(const RECT& r)
{
    Changing();
    RequiredState({csHandleValid, csBrushValid});
    ::FrameRect(handle_, &r, brush_->Handle());
    Changed();
}

void TCanvas::DrawFocusRect(const RECT& r)
{
    Changing();
    RequiredState({csHandleValid, csBrushValid});
    ::DrawFocusRect(handle_, &r);
    Changed();
}

void TCanvas::TextOut(int x, int y, const AnsiString& text)
{
    Changing();
    RequiredState({csHandleValid, csFontValid, csBrushValid});
    ExtTextOutA(handle_, x, y, 0, nullptr, text.data(), static_cast<UINT>(text.size()), nullptr);
    MoveToEx(handle_, x + TextWidth(text), y, nullptr);
    Changed();
}

void TCanvas::TextRect(const RECT& r, int x, int y, const AnsiString& text)
{
    Changing();
    RequiredState({csHandleValid, csFontValid, csBrushValid});
    const UINT options = ETO_CLIPPED | (brush_->Style() != bsClear ? ETO_OPAQUE : 0);
    ExtTextOutA(handle_, x, y, options, &r, text.data(), static_cast<UINT>(text.size()), nullptr);
    Changed();
}

SIZE TCanvas::TextExtent(const AnsiString& text)
{
    RequiredState({csHandleValid, csFontValid});
    SIZE s{};
    GetTextExtentPoint32A(handle_, text.data(), static_cast<int>(text.size()), &s);
    return s;
}

void TCanvas::Draw(int x, int y, TGraphic* graphic)
{
    if (!graphic || graphic->Empty())
        return;
    Changing();
    RequiredState({csHandleValid});
    graphic->Draw(this, RECT{x, y, x + graphic->Width(), y + graphic->Height()});
    Changed();
}

void TCanvas::StretchDraw(const RECT& r, TGraphic* graphic)
{
    if (!graphic || graphic->Empty())
        return;
    Changing();
    RequiredState({csHandleValid});
    graphic->Draw(this, r);
    Changed();
}

void TCanvas::CopyRect(const RECT& dest, TCanvas* canvas, const RECT& source)
{
    Changing();
    RequiredState({csHandleValid, csBrushValid});
    canvas->RequiredState({csHandleValid, csBrushValid});
    StretchBlt(handle_, dest.left, dest.top, dest.right - dest.left, dest.bottom - dest.top, canvas->handle_, source.left,
               source.top, source.right - source.left, source.bottom - source.top, copyMode_);
    Changed();
}

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
