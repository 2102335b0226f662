#include "skin/graphics/sk_text.h"

#include "platform/win32/kernel/version.h"
#include "platform/user/winuser.h"
#include "skin/graphics/sk_bitmap.h"

namespace skin {

bool IsWinNT = true;
bool IsWin98OrLater = false;

void InitOsFlags()
{
    OSVERSIONINFOA info{};
    info.dwOSVersionInfoSize = sizeof(info);
    if (!GetVersionExA(&info))
        return;
    IsWinNT = info.dwPlatformId == VER_PLATFORM_WIN32_NT;
    IsWin98OrLater = info.dwPlatformId == VER_PLATFORM_WIN32_WINDOWS && info.dwMinorVersion > 0;
}

namespace {

HDC TextDC(vcl::TCanvas* canvas)
{
    canvas->RequiredState({vcl::csHandleValid, vcl::csFontValid, vcl::csBrushValid});
    HDC dc = canvas->Handle();
    SetBkMode(dc, TRANSPARENT);
    return dc;
}

}  // namespace

int SkDrawText(vcl::TCanvas* canvas, const vcl::WideString& text, RECT& rect, UINT format)
{
    HDC dc = TextDC(canvas);
    if (IsWinNT)
        return DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &rect, format);
    const vcl::AnsiString ansi = vcl::WideToAnsi(text);
    return DrawTextA(dc, ansi.c_str(), static_cast<int>(ansi.size()), &rect, format);
}

int SkTextWidth(vcl::TCanvas* canvas, const vcl::WideString& text, UINT format)
{
    RECT r{0, 0, 0, 0};
    SkDrawText(canvas, text, r, format | DT_CALCRECT);
    return r.right;
}

int SkTextHeight(vcl::TCanvas* canvas, const vcl::WideString& text)
{
    RECT r{0, 0, 0, 0};
    SkDrawText(canvas, text, r, DT_CALCRECT);
    return r.bottom;
}

void EllipsisText(HDC dc, const vcl::WideString& text, int maxWidth, vcl::WideString& result)
{
    auto width = [dc](const vcl::WideString& s) {
        SIZE size{0, 0};
        GetTextExtentPoint32W(dc, s.c_str(), static_cast<int>(s.size()), &size);
        return size.cx;
    };
    if (width(text) <= maxWidth) {
        result = text;
        return;
    }
    const vcl::WideString dots = u"...";
    result.clear();
    for (char16_t c : text) {
        if (width(result + c + dots) > maxWidth)
            break;
        result += c;
    }
    result += dots;
}

int DrawRotatedText(vcl::TCanvas* canvas, const vcl::WideString& text, const RECT& rect, bool clockwise, UINT format)
{
    const int w = rect.right - rect.left;
    const int h = rect.bottom - rect.top;
    if (w <= 0 || h <= 0)
        return 0;
    TSkBitmap textBitmap;
    textBitmap.SetSize(h, w);
    textBitmap.Fill(KeyColor);
    TSkBitmap output;
    output.SetSize(w, h);
    output.Fill(KeyColor);
    textBitmap.Font()->Assign(canvas->Font());
    vcl::TCanvas textCanvas;
    textCanvas.SetHandle(textBitmap.DC());
    textCanvas.Font()->Assign(textBitmap.Font());
    RECT textRect{0, 0, h, w};
    const int result = SkDrawText(&textCanvas, text, textRect, format);
    textCanvas.SetHandle(nullptr);
    // The text's own pixels are told from the background by their whole
    // value, alpha included, since drawing leaves the key's alpha alone.
    for (int y = 0; y < w; ++y)
        for (int x = 0; x < h; ++x) {
            const TPixel p = *textBitmap.PixelPtr(x, y);
            if (p == KeyColor)
                continue;
            if (clockwise)
                *output.PixelPtr(w - 1 - y, x) = p;
            else
                *output.PixelPtr(y, h - 1 - x) = p;
        }
    output.Draw(canvas->Handle(), rect.left, rect.top, true);
    return result;
}

}  // namespace skin
