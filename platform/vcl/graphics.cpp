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

const std::vector<std::pair<int, const char*>>& CharsetNames()
{
    static const std::vector<std::pair<int, const char*>> names = {
        {0, "ANSI_CHARSET"},        {1, "DEFAULT_CHARSET"},    {2, "SYMBOL_CHARSET"},    {77, "MAC_CHARSET"},
        {128, "SHIFTJIS_CHARSET"},  {129, "HANGEUL_CHARSET"},  {130, "JOHAB_CHARSET"},   {134, "GB2312_CHARSET"},
        {136, "CHINESEBIG5_CHARSET"}, {161, "GREEK_CHARSET"},  {162, "TURKISH_CHARSET"}, {163, "VIETNAMESE_CHARSET"},
        {177, "HEBREW_CHARSET"},    {178, "ARABIC_CHARSET"},   {186, "BALTIC_CHARSET"},  {204, "RUSSIAN_CHARSET"},
        {222, "THAI_CHARSET"},      {238, "EASTEUROPE_CHARSET"}, {255, "OEM_CHARSET"},
    };
    return names;
}

// The text form names character sets as it names colours.
const TIdentMap* CharsetIdentMap()
{
    static const TIdentMap map{[](std::int64_t v, std::string& ident) {
                                   for (const auto& [c, n] : CharsetNames())
                                       if (c == v) {
                                           ident = n;
                                           return true;
                                       }
                                   return false;
                               },
                               [](const std::string& ident, std::int64_t& v) {
                                   for (const auto& [c, n] : CharsetNames())
                                       if (SameText(ident, n)) {
                                           v = c;
                                           return true;
                                       }
                                   return false;
                               }};
    return &map;
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
    if ((static_cast<std::uint32_t>(color) & 0xFF000000u) == 0x80000000u)
        color = SysColorBase | (color & 0xFF);
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
    return '$' + IntToHex(static_cast<std::uint32_t>(color), 8);
}

TColor StringToColor(const AnsiString& s)
{
    TColor c;
    if (IdentToColor(s, c))
        return c;
    return StrToInt(s);
}

void GetColorValues(const std::function<void(const AnsiString&)>& proc)
{
    for (const auto& [c, n] : ColorNames())
        proc(n);
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
    // Character set and style carry no stored default: a skin's text form
    // always names them.
    b.Int("Charset", &TFont::CharsetValue, &TFont::SetCharsetValue, std::nullopt).identMap = CharsetIdentMap();
    b.Int("Color", &TFont::Color, &TFont::SetColor, std::nullopt).identMap = ColorIdentMap();
    b.Int("Height", &TFont::Height, &TFont::SetHeight, std::nullopt);
    b.Str("Name", &TFont::Name, &TFont::SetName).stored = [](const TObject*) { return true; };
    b.Enum("Pitch", &kFontPitchInfo, &TFont::Pitch, &TFont::SetPitch, std::optional<TFontPitch>(fpDefault));
    b.Int("Size", &TFont::Size, &TFont::SetSize, std::nullopt).stored = [](const TObject*) { return false; };
    b.Set("Style", &kFontStyleInfo, &TFont::Style, &TFont::SetStyle, std::optional<TFontStyles>());
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

namespace {

int PenModeToRop2(TPenMode mode)
{
    static constexpr int kRop2[] = {R2_BLACK,       R2_WHITE,       R2_NOP,         R2_NOT,
                                    R2_COPYPEN,     R2_NOTCOPYPEN,  R2_MERGEPENNOT, R2_MASKPENNOT,
                                    R2_MERGENOTPEN, R2_MASKNOTPEN,  R2_MERGEPEN,    R2_NOTMERGEPEN,
                                    R2_MASKPEN,     R2_NOTMASKPEN,  R2_XORPEN,      R2_NOTXORPEN};
    return kRop2[mode];
}

}  // namespace

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
        SetROP2(handle_, PenModeToRop2(pen_->Mode()));
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

}  // namespace vcl
