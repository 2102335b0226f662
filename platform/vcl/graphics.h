#pragma once

// Colours, fonts, pens, brushes, canvases and pictures of the class library,
// drawn through our GDI.

#include <cstdint>
#include <functional>
#include <vector>

#include "platform/gdi/syscolors.h"
#include "platform/gdi/wingdi.h"
#include "platform/vcl/classes.h"
#include "platform/vcl/streams.h"

namespace vcl {

// 0x00BBGGRR, or a system colour: 0xFF000000 | COLOR_* index, as the skin
// streams store them (0x80000000 | index is read as the same colour).
using TColor = std::int32_t;
constexpr TColor SysColorBase = static_cast<TColor>(0xFF000000u);
constexpr TColor clBlack = 0x000000, clMaroon = 0x000080, clGreen = 0x008000, clOlive = 0x008080, clNavy = 0x800000,
                 clPurple = 0x800080, clTeal = 0x808000, clGray = 0x808080, clSilver = 0xC0C0C0, clRed = 0x0000FF,
                 clLime = 0x00FF00, clYellow = 0x00FFFF, clBlue = 0xFF0000, clFuchsia = 0xFF00FF, clAqua = 0xFFFF00,
                 clLtGray = 0xC0C0C0, clDkGray = 0x808080, clWhite = 0xFFFFFF;
constexpr TColor clNone = 0x1FFFFFFF;
constexpr TColor clDefault = 0x20000000;
constexpr TColor clScrollBar = SysColorBase | COLOR_SCROLLBAR;
constexpr TColor clBackground = SysColorBase | COLOR_BACKGROUND;
constexpr TColor clActiveCaption = SysColorBase | COLOR_ACTIVECAPTION;
constexpr TColor clInactiveCaption = SysColorBase | COLOR_INACTIVECAPTION;
constexpr TColor clMenu = SysColorBase | COLOR_MENU;
constexpr TColor clWindow = SysColorBase | COLOR_WINDOW;
constexpr TColor clWindowFrame = SysColorBase | COLOR_WINDOWFRAME;
constexpr TColor clMenuText = SysColorBase | COLOR_MENUTEXT;
constexpr TColor clWindowText = SysColorBase | COLOR_WINDOWTEXT;
constexpr TColor clCaptionText = SysColorBase | COLOR_CAPTIONTEXT;
constexpr TColor clActiveBorder = SysColorBase | COLOR_ACTIVEBORDER;
constexpr TColor clInactiveBorder = SysColorBase | COLOR_INACTIVEBORDER;
constexpr TColor clAppWorkSpace = SysColorBase | COLOR_APPWORKSPACE;
constexpr TColor clHighlight = SysColorBase | COLOR_HIGHLIGHT;
constexpr TColor clHighlightText = SysColorBase | COLOR_HIGHLIGHTTEXT;
constexpr TColor clBtnFace = SysColorBase | COLOR_BTNFACE;
constexpr TColor clBtnShadow = SysColorBase | COLOR_BTNSHADOW;
constexpr TColor clGrayText = SysColorBase | COLOR_GRAYTEXT;
constexpr TColor clBtnText = SysColorBase | COLOR_BTNTEXT;
constexpr TColor clInactiveCaptionText = SysColorBase | COLOR_INACTIVECAPTIONTEXT;
constexpr TColor clBtnHighlight = SysColorBase | COLOR_BTNHIGHLIGHT;
constexpr TColor cl3DDkShadow = SysColorBase | COLOR_3DDKSHADOW;
constexpr TColor cl3DLight = SysColorBase | COLOR_3DLIGHT;
constexpr TColor clInfoText = SysColorBase | COLOR_INFOTEXT;
constexpr TColor clInfoBk = SysColorBase | COLOR_INFOBK;

COLORREF ColorToRGB(TColor color);
bool ColorToIdent(TColor color, AnsiString& ident);
bool IdentToColor(const AnsiString& ident, TColor& color);
AnsiString ColorToString(TColor color);
TColor StringToColor(const AnsiString& s);  // EConvertError when neither name nor number
// Hands every colour name the library knows to `proc`, in its table order.
void GetColorValues(const std::function<void(const AnsiString&)>& proc);
const TIdentMap* ColorIdentMap();

enum TFontStyle { fsBold, fsItalic, fsUnderline, fsStrikeOut };
using TFontStyles = TSet<TFontStyle>;
enum TFontPitch { fpDefault, fpVariable, fpFixed };
enum TPenStyle { psSolid, psDash, psDot, psDashDot, psDashDotDot, psClear, psInsideFrame };
enum TPenMode {
    pmBlack, pmWhite, pmNop, pmNot, pmCopy, pmNotCopy, pmMergePenNot, pmMaskPenNot, pmMergeNotPen, pmMaskNotPen,
    pmMerge, pmNotMerge, pmMask, pmNotMask, pmXor, pmNotXor
};
enum TBrushStyle { bsSolid, bsClear, bsHorizontal, bsVertical, bsFDiagonal, bsBDiagonal, bsCross, bsDiagCross };
extern const TEnumInfo kFontStyleInfo, kFontPitchInfo, kPenStyleInfo, kPenModeInfo, kBrushStyleInfo;

class TBitmap;

class TGraphicsObject : public TPersistent {
    VCL_DECLARE_CLASS(TGraphicsObject, TPersistent)
public:
    TNotifyEvent OnChange;

protected:
    virtual void Changed() { OnChange(this); }
};

class TFont : public TGraphicsObject {
    VCL_DECLARE_CLASS(TFont, TGraphicsObject)
public:
    TFont();
    ~TFont() override;
    HFONT Handle();
    void Assign(TPersistent* source) override;

    AnsiString Name() const { return name_; }
    void SetName(const AnsiString& name);
    int Height() const { return height_; }
    void SetHeight(int height);
    int Size() const;
    void SetSize(int size);
    TColor Color() const { return color_; }
    void SetColor(TColor color);
    TFontStyles Style() const { return style_; }
    void SetStyle(TFontStyles style);
    BYTE Charset() const { return charset_; }
    void SetCharset(BYTE charset);
    TFontPitch Pitch() const { return pitch_; }
    void SetPitch(TFontPitch pitch);
    int PixelsPerInch() const { return 96; }

private:
    void Change();
    int CharsetValue() const { return charset_; }
    void SetCharsetValue(int c) { SetCharset(static_cast<BYTE>(c)); }
    HFONT handle_ = nullptr;
    AnsiString name_ = "MS Sans Serif";
    int height_ = -11;
    TColor color_ = clWindowText;
    TFontStyles style_;
    BYTE charset_ = DEFAULT_CHARSET;
    TFontPitch pitch_ = fpDefault;
};

class TPen : public TGraphicsObject {
    VCL_DECLARE_CLASS(TPen, TGraphicsObject)
public:
    TPen() = default;
    ~TPen() override;
    HPEN Handle();
    void Assign(TPersistent* source) override;
    TColor Color() const { return color_; }
    void SetColor(TColor c);
    int Width() const { return width_; }
    void SetWidth(int w);
    TPenStyle Style() const { return style_; }
    void SetStyle(TPenStyle s);
    TPenMode Mode() const { return mode_; }
    void SetMode(TPenMode m);

private:
    void Change();
    HPEN handle_ = nullptr;
    TColor color_ = clBlack;
    int width_ = 1;
    TPenStyle style_ = psSolid;
    TPenMode mode_ = pmCopy;
};

class TBrush : public TGraphicsObject {
    VCL_DECLARE_CLASS(TBrush, TGraphicsObject)
public:
    TBrush() = default;
    ~TBrush() override;
    HBRUSH Handle();
    void Assign(TPersistent* source) override;
    TColor Color() const { return color_; }
    void SetColor(TColor c);
    TBrushStyle Style() const { return style_; }
    void SetStyle(TBrushStyle s);
    TBitmap* Bitmap() const { return bitmap_; }
    void SetBitmap(TBitmap* bitmap);  // not owned; the brush copies its pattern

private:
    void Change();
    HBRUSH handle_ = nullptr;
    TColor color_ = clWhite;
    TBrushStyle style_ = bsSolid;
    TBitmap* bitmap_ = nullptr;
};

class TGraphic;

enum TCanvasStateItem { csHandleValid, csFontValid, csPenValid, csBrushValid };
using TCanvasState = TSet<TCanvasStateItem>;

class TCanvas : public TPersistent {
    VCL_DECLARE_CLASS(TCanvas, TPersistent)
public:
    TCanvas();
    ~TCanvas() override;

    HDC Handle();
    void SetHandle(HDC dc);
    bool HandleAllocated() const { return handle_ != nullptr; }
    TFont* Font() const { return font_; }
    TPen* Pen() const { return pen_; }
    TBrush* Brush() const { return brush_; }
    void SetFont(TFont* f) { font_->Assign(f); }
    void SetPen(TPen* p) { pen_->Assign(p); }
    void SetBrush(TBrush* b) { brush_->Assign(b); }
    DWORD CopyMode() const { return copyMode_; }
    void SetCopyMode(DWORD mode) { copyMode_ = mode; }
    POINT PenPos();
    void SetPenPos(POINT p) { MoveTo(p.x, p.y); }
    TColor Pixels(int x, int y);
    void SetPixel(int x, int y, TColor color);
    RECT ClipRect();

    void MoveTo(int x, int y);
    void LineTo(int x, int y);
    void Rectangle(int x1, int y1, int x2, int y2);
    void Rectangle(const RECT& r) { Rectangle(r.left, r.top, r.right, r.bottom); }
    void RoundRect(int x1, int y1, int x2, int y2, int x3, int y3);
    void Ellipse(int x1, int y1, int x2, int y2);
    void Polygon(const std::vector<POINT>& points);
    void Polyline(const std::vector<POINT>& points);
    void FillRect(const RECT& r);
    void FrameRect(const RECT& r);
    void DrawFocusRect(const RECT& r);
    void TextOut(int x, int y, const AnsiString& text);
    void TextRect(const RECT& r, int x, int y, const AnsiString& text);
    SIZE TextExtent(const AnsiString& text);
    int TextWidth(const AnsiString& text) { return TextExtent(text).cx; }
    int TextHeight(const AnsiString& text) { return TextExtent(text).cy; }
    void Draw(int x, int y, TGraphic* graphic);
    void StretchDraw(const RECT& r, TGraphic* graphic);
    void CopyRect(const RECT& dest, TCanvas* canvas, const RECT& source);
    void Refresh();
    void Lock() {}
    void Unlock() {}

    TNotifyEvent OnChange;
    TNotifyEvent OnChanging;

    // The DC with the canvas's font, pen and brush selected, as far as `state` asks.
    void RequiredState(TCanvasState state);

protected:
    virtual void CreateHandle() {}
    void Changing() { OnChanging(this); }
    void Changed() { OnChange(this); }
    void DeselectHandles();

private:
    HDC handle_ = nullptr;
    TCanvasState state_;
    TFont* font_;
    TPen* pen_;
    TBrush* brush_;
    DWORD copyMode_ = SRCCOPY;
    HGDIOBJ oldFont_ = nullptr, oldPen_ = nullptr, oldBrush_ = nullptr;
};

class TGraphic : public TPersistent {
    VCL_DECLARE_CLASS(TGraphic, TPersistent)
public:
    virtual bool Empty() const = 0;
    virtual int Width() const = 0;
    virtual int Height() const = 0;
    virtual void SetWidth(int w) = 0;
    virtual void SetHeight(int h) = 0;
    virtual void Draw(TCanvas* canvas, const RECT& rect) = 0;
    virtual void LoadFromStream(TStream* stream) = 0;
    virtual void SaveToStream(TStream* stream) = 0;
    void LoadFromFile(const AnsiString& fileName);
    void SaveToFile(const AnsiString& fileName);
    bool Transparent() const { return transparent_; }
    virtual void SetTransparent(bool t);
    bool Modified() const { return modified_; }
    void SetModified(bool m) { modified_ = m; }
    TNotifyEvent OnChange;
    void DefineProperties(TFiler* filer) override;

protected:
    virtual void Changed();
    // The "Data" of the stream: by default the graphic's own file form with a size in front.
    virtual void ReadData(TStream* stream);
    virtual void WriteData(TStream* stream);
    friend class TPicture;
    bool transparent_ = false;
    bool modified_ = false;
};

enum TPixelFormat { pfDevice, pf1bit, pf4bit, pf8bit, pf15bit, pf16bit, pf24bit, pf32bit, pfCustom };
enum TTransparentMode { tmAuto, tmFixed };
// Every bitmap here is a DIB section; the handle type is kept for callers
// that ask for a device-dependent one.
enum TBitmapHandleType { bmDIB, bmDDB };

// A 32-bit top-down DIB section with its own memory DC behind the canvas.
class TBitmap : public TGraphic {
    VCL_DECLARE_CLASS(TBitmap, TGraphic)
public:
    TBitmap();
    ~TBitmap() override;

    bool Empty() const override { return width_ == 0 || height_ == 0; }
    int Width() const override { return width_; }
    int Height() const override { return height_; }
    void SetWidth(int w) override { SetSize(w, height_); }
    void SetHeight(int h) override { SetSize(width_, h); }
    void SetSize(int width, int height);
    void Draw(TCanvas* canvas, const RECT& rect) override;
    void LoadFromStream(TStream* stream) override;  // BMP; EInvalidGraphic when not one
    void SaveToStream(TStream* stream) override;
    void LoadFromResourceName(HINSTANCE instance, const AnsiString& name);
    void Assign(TPersistent* source) override;

    TCanvas* Canvas();
    HBITMAP Handle();
    void* ScanLine(int row);  // ERangeError-like EInvalidGraphicOperation out of range
    TPixelFormat PixelFormat() const { return pixelFormat_; }
    void SetPixelFormat(TPixelFormat f) { pixelFormat_ = f; }
    TColor TransparentColor() const;
    void SetTransparentColor(TColor c);
    TTransparentMode TransparentMode() const { return transparentMode_; }
    void SetTransparentMode(TTransparentMode m) { transparentMode_ = m; }
    TBitmapHandleType HandleType() const { return handleType_; }
    void SetHandleType(TBitmapHandleType t) { handleType_ = t; }
    bool Monochrome() const { return false; }
    void Dormant() {}
    void FreeImage() {}
    std::uint32_t* Pixels() { return bits_; }

protected:
    // Stored data: a 32-bit byte count, then the BMP file.
    void ReadData(TStream* stream) override;
    void WriteData(TStream* stream) override;

private:
    class TBitmapCanvas;
    void Reallocate(int width, int height);
    int width_ = 0;
    int height_ = 0;
    HBITMAP handle_ = nullptr;
    std::uint32_t* bits_ = nullptr;
    TBitmapCanvas* canvas_ = nullptr;
    TPixelFormat pixelFormat_ = pfDevice;
    TTransparentMode transparentMode_ = tmAuto;
    TColor transparentColor_ = clDefault;
    TBitmapHandleType handleType_ = bmDIB;
};

class TIcon : public TGraphic {
    VCL_DECLARE_CLASS(TIcon, TGraphic)
public:
    TIcon() = default;
    ~TIcon() override;
    bool Empty() const override { return handle_ == nullptr; }
    int Width() const override { return width_; }
    int Height() const override { return height_; }
    void SetWidth(int) override {}
    void SetHeight(int) override {}
    void Draw(TCanvas* canvas, const RECT& rect) override;
    void LoadFromStream(TStream* stream) override;  // our icon form: a BMP with its mask below
    void SaveToStream(TStream* stream) override;
    HICON Handle() const { return handle_; }
    void SetHandle(HICON icon);  // takes ownership
    HICON ReleaseHandle();
    void Assign(TPersistent* source) override;

private:
    HICON handle_ = nullptr;
    int width_ = 0;
    int height_ = 0;
};

class TPicture : public TPersistent {
    VCL_DECLARE_CLASS(TPicture, TPersistent)
public:
    TPicture() = default;
    ~TPicture() override;
    TGraphic* Graphic() const { return graphic_; }
    void SetGraphic(TGraphic* graphic);  // copies it
    TBitmap* Bitmap();                   // makes the picture a bitmap when it is not one
    TIcon* Icon();
    int Width() const { return graphic_ ? graphic_->Width() : 0; }
    int Height() const { return graphic_ ? graphic_->Height() : 0; }
    void LoadFromFile(const AnsiString& fileName);  // ".bmp" or ".ico"
    void SaveToFile(const AnsiString& fileName);
    void Assign(TPersistent* source) override;
    void DefineProperties(TFiler* filer) override;
    TNotifyEvent OnChange;

private:
    void Replace(TGraphic* graphic);
    void Changed(TObject*) { OnChange(this); }
    TGraphic* graphic_ = nullptr;
};

// Named resources of the program ("SK_BTN_OK" ...): the bytes of a BMP or
// of any data, registered by the program or library that carries them.
void RegisterResource(const AnsiString& name, const std::vector<std::uint8_t>& data);
bool FindResourceData(const AnsiString& name, std::vector<std::uint8_t>& data);

}  // namespace vcl
