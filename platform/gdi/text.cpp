#include "platform/gdi/text.h"

#include "platform/gdi/font_library.h"

#include <algorithm>
#include <cstring>
#include <map>

#include "platform/gdi/raster.h"

namespace vls::gdi {

Font& FontOf(DcObject& dc)
{
    if (!dc.state.font || !dc.state.font->font)
        dc.state.font = DefaultFont();
    return *dc.state.font->font;
}

namespace {

std::uint32_t Blend(std::uint32_t dest, std::uint32_t color, unsigned coverage)
{
    const unsigned inv = 255 - coverage;
    std::uint32_t out = 0;
    for (int shift = 0; shift < 24; shift += 8) {
        const unsigned d = (dest >> shift) & 0xFF;
        const unsigned c = (color >> shift) & 0xFF;
        out |= ((d * inv + c * coverage + 127) / 255) << shift;
    }
    return out;
}

void FillSurfaceRect(const DrawTarget& t, const RECT& area, std::uint32_t pixel)
{
    ForEachClipped(t, area, [&](const RECT& r) {
        for (int y = r.top; y < r.bottom; ++y)
            std::fill(t.surface->Row(y) + r.left, t.surface->Row(y) + r.right, pixel);
    });
}

}  // namespace

int DrawTextRun(DcObject& dc, int x, int y, const std::u16string& text, const RECT* clip, bool opaque, const INT* dx)
{
    Font& font = FontOf(dc);
    int width = 0;
    for (size_t i = 0; i < text.size(); ++i)
        width += dx ? dx[i] : font.Advance(text[i]);
    DrawTarget t = TargetOf(dc);
    if (!t.Valid())
        return width;
    if (clip) {
        RECT c{clip->left + t.offset.x, clip->top + t.offset.y, clip->right + t.offset.x, clip->bottom + t.offset.y};
        t.clip = Region::Combine(t.clip, Region(c), Region::Op::And);
    }
    const TEXTMETRICA& tm = font.Metrics();
    const int left = x + t.offset.x;
    const int top = y + t.offset.y;
    if (opaque)
        FillSurfaceRect(t, RECT{left, top, left + width, top + tm.tmHeight}, ColorRefToPixel(dc.state.bkColor));
    const std::uint32_t color = ColorRefToPixel(dc.state.textColor);
    const int baseline = top + tm.tmAscent;
    int pen = left;
    for (size_t i = 0; i < text.size(); ++i) {
        const Glyph& g = font.GetGlyph(text[i]);
        const RECT box{pen + g.left, baseline - g.top, pen + g.left + g.width, baseline - g.top + g.height};
        ForEachClipped(t, box, [&](const RECT& r) {
            for (int py = r.top; py < r.bottom; ++py) {
                std::uint32_t* row = t.surface->Row(py);
                const std::uint8_t* cov = g.coverage.data() + static_cast<size_t>(py - box.top) * g.width;
                for (int px = r.left; px < r.right; ++px) {
                    const unsigned a = cov[px - box.left];
                    if (a)
                        row[px] = Blend(row[px], color, a);
                }
            }
        });
        pen += dx ? dx[i] : g.advance;
    }
    if (font.Underline()) {
        const int uy = baseline + std::max<LONG>(1, tm.tmDescent / 2);
        FillSurfaceRect(t, RECT{left, uy, left + width, uy + 1}, color);
    }
    if (font.StrikeOut()) {
        const int sy = baseline - tm.tmAscent / 3;
        FillSurfaceRect(t, RECT{left, sy, left + width, sy + 1}, color);
    }
    return width;
}

}  // namespace vls::gdi

using namespace vls::gdi;

// -------------------------------------------------------------------- fonts

HFONT CreateFontIndirectW(const LOGFONTW* lf)
{
    if (!lf)
        return nullptr;
    auto f = std::make_shared<FontObject>();
    f->logFont = *lf;
    f->logFont.lfFaceName[LF_FACESIZE - 1] = 0;
    f->font = Font::Open(f->logFont);
    return static_cast<HFONT>(Register(f));
}

HFONT CreateFontIndirectA(const LOGFONTA* lf)
{
    if (!lf)
        return nullptr;
    LOGFONTW w{};
    std::memcpy(&w, lf, offsetof(LOGFONTA, lfFaceName));
    const std::u16string face = AnsiToWide(lf->lfFaceName, static_cast<int>(strnlen(lf->lfFaceName, LF_FACESIZE)));
    std::copy(face.begin(), face.begin() + std::min<size_t>(face.size(), LF_FACESIZE - 1), w.lfFaceName);
    return CreateFontIndirectW(&w);
}

HFONT CreateFontA(int height, int width, int escapement, int orientation, int weight, DWORD italic, DWORD underline,
                  DWORD strikeOut, DWORD charSet, DWORD outPrecision, DWORD clipPrecision, DWORD quality,
                  DWORD pitchAndFamily, LPCSTR face)
{
    LOGFONTA lf{};
    lf.lfHeight = height;
    lf.lfWidth = width;
    lf.lfEscapement = escapement;
    lf.lfOrientation = orientation;
    lf.lfWeight = weight;
    lf.lfItalic = static_cast<BYTE>(italic);
    lf.lfUnderline = static_cast<BYTE>(underline);
    lf.lfStrikeOut = static_cast<BYTE>(strikeOut);
    lf.lfCharSet = static_cast<BYTE>(charSet);
    lf.lfOutPrecision = static_cast<BYTE>(outPrecision);
    lf.lfClipPrecision = static_cast<BYTE>(clipPrecision);
    lf.lfQuality = static_cast<BYTE>(quality);
    lf.lfPitchAndFamily = static_cast<BYTE>(pitchAndFamily);
    if (face)
        std::strncpy(lf.lfFaceName, face, LF_FACESIZE - 1);
    return CreateFontIndirectA(&lf);
}

BOOL GetTextMetricsA(HDC hdc, LPTEXTMETRICA metrics)
{
    auto dc = GetDc(hdc);
    if (!dc || !metrics)
        return FALSE;
    Font& font = FontOf(*dc);
    *metrics = font.Metrics();
    if (metrics->tmAveCharWidth == 0) {
        // The original's average width is that of the lower-case letters
        // weighted by frequency; the width of "x" is a close stand-in.
        metrics->tmAveCharWidth = font.Advance(U'x');
        int widest = 0;
        for (char32_t c = 0x20; c < 0x7F; ++c)
            widest = std::max(widest, font.Advance(c));
        metrics->tmMaxCharWidth = widest;
    }
    return TRUE;
}

int GetTextFaceA(HDC hdc, int count, LPSTR face)
{
    auto dc = GetDc(hdc);
    if (!dc)
        return 0;
    const std::string& name = FontOf(*dc).FaceName();
    if (!face)
        return static_cast<int>(name.size()) + 1;
    if (count <= 0)
        return 0;
    const size_t n = std::min(name.size(), static_cast<size_t>(count - 1));
    std::memcpy(face, name.data(), n);
    face[n] = 0;
    return static_cast<int>(n);
}

BOOL GetTextExtentPoint32W(HDC hdc, LPCWSTR text, int length, LPSIZE size)
{
    auto dc = GetDc(hdc);
    if (!dc || !size || length < 0 || (!text && length > 0))
        return FALSE;
    Font& font = FontOf(*dc);
    size->cx = font.TextWidth(std::u16string(text ? text : u"", static_cast<size_t>(length)));
    size->cy = font.Metrics().tmHeight;
    return TRUE;
}

BOOL GetTextExtentPoint32A(HDC hdc, LPCSTR text, int length, LPSIZE size)
{
    if (length < 0 || (!text && length > 0))
        return FALSE;
    const std::u16string w = AnsiToWide(text ? text : "", length);
    return GetTextExtentPoint32W(hdc, w.c_str(), static_cast<int>(w.size()), size);
}

BOOL GetTextExtentExPointW(HDC hdc, LPCWSTR text, int length, int maxExtent, LPINT fit, LPINT dx, LPSIZE size)
{
    auto dc = GetDc(hdc);
    if (!dc || !size || length < 0 || (!text && length > 0))
        return FALSE;
    Font& font = FontOf(*dc);
    int total = 0;
    int fitted = 0;
    for (int i = 0; i < length; ++i) {
        total += font.Advance(text[i]);
        if (dx)
            dx[i] = total;
        if (total <= maxExtent)
            fitted = i + 1;
    }
    if (fit)
        *fit = fitted;
    size->cx = total;
    size->cy = font.Metrics().tmHeight;
    return TRUE;
}

BOOL ExtTextOutW(HDC hdc, int x, int y, UINT options, const RECT* rect, LPCWSTR text, UINT length, const INT* dx)
{
    auto dc = GetDc(hdc);
    if (!dc || (!text && length > 0))
        return FALSE;
    if ((options & ETO_OPAQUE) && rect) {
        const DrawTarget t = TargetOf(*dc);
        if (t.Valid()) {
            const RECT r{rect->left + t.offset.x, rect->top + t.offset.y, rect->right + t.offset.x, rect->bottom + t.offset.y};
            const std::uint32_t back = ColorRefToPixel(dc->state.bkColor);
            ForEachClipped(t, r, [&](const RECT& c) {
                for (int py = c.top; py < c.bottom; ++py)
                    std::fill(t.surface->Row(py) + c.left, t.surface->Row(py) + c.right, back);
            });
        }
    }
    const std::u16string s(text ? text : u"", length);
    Font& font = FontOf(*dc);
    int width = 0;
    for (size_t i = 0; i < s.size(); ++i)
        width += dx ? dx[i] : font.Advance(s[i]);
    const UINT align = dc->state.textAlign;
    if (align & TA_UPDATECP) {
        x = dc->state.position.x;
        y = dc->state.position.y;
    }
    int left = x;
    if ((align & TA_CENTER) == TA_CENTER)
        left = x - width / 2;
    else if (align & TA_RIGHT)
        left = x - width;
    int top = y;
    const TEXTMETRICA& tm = font.Metrics();
    if ((align & TA_BASELINE) == TA_BASELINE)
        top = y - tm.tmAscent;
    else if (align & TA_BOTTOM)
        top = y - tm.tmHeight;
    const bool opaque = dc->state.bkMode == OPAQUE && !(options & ETO_OPAQUE);
    DrawTextRun(*dc, left, top, s, (options & ETO_CLIPPED) ? rect : nullptr, opaque, dx);
    if (align & TA_UPDATECP)
        dc->state.position.x = (align & TA_RIGHT) && (align & TA_CENTER) != TA_CENTER ? x - width : x + width;
    return TRUE;
}

BOOL ExtTextOutA(HDC hdc, int x, int y, UINT options, const RECT* rect, LPCSTR text, UINT length, const INT* dx)
{
    const std::u16string w = AnsiToWide(text, text ? static_cast<int>(length) : 0);
    return ExtTextOutW(hdc, x, y, options, rect, w.c_str(), static_cast<UINT>(w.size()), dx);
}

BOOL TextOutW(HDC hdc, int x, int y, LPCWSTR text, int length)
{
    return length >= 0 && ExtTextOutW(hdc, x, y, 0, nullptr, text, static_cast<UINT>(length), nullptr);
}

BOOL TextOutA(HDC hdc, int x, int y, LPCSTR text, int length)
{
    return length >= 0 && ExtTextOutA(hdc, x, y, 0, nullptr, text, static_cast<UINT>(length), nullptr);
}

// ------------------------------------------------------------ enumeration

namespace {

struct FamilyInfo {
    bool fixed = false;
    bool scalable = true;
    std::vector<std::pair<std::string, std::pair<int, int>>> styles;  // style name, weight, slant
};

std::map<std::string, FamilyInfo> ListFamilies()
{
    MatchFamily("");  // sets fontconfig up, with its release at exit
    std::map<std::string, FamilyInfo> families;
    const FontLibrary* const fonts = LoadFontLibrary();
    if (!fonts)
        return families;
    FcPattern* pattern = fonts->FcPatternCreate();
    FcObjectSet* os = fonts->FcObjectSetBuild(FC_FAMILY, FC_STYLE, FC_SPACING, FC_SCALABLE, FC_WEIGHT, FC_SLANT, nullptr);
    FcFontSet* set = fonts->FcFontList(nullptr, pattern, os);
    for (int i = 0; set && i < set->nfont; ++i) {
        FcChar8* family = nullptr;
        if (fonts->FcPatternGetString(set->fonts[i], FC_FAMILY, 0, &family) != FcResultMatch)
            continue;
        FamilyInfo& info = families[reinterpret_cast<const char*>(family)];
        int spacing = 0, weight = 0, slant = 0;
        FcBool scalable = FcTrue;
        if (fonts->FcPatternGetInteger(set->fonts[i], FC_SPACING, 0, &spacing) == FcResultMatch)
            info.fixed = spacing >= FC_MONO;
        if (fonts->FcPatternGetBool(set->fonts[i], FC_SCALABLE, 0, &scalable) == FcResultMatch)
            info.scalable = scalable;
        fonts->FcPatternGetInteger(set->fonts[i], FC_WEIGHT, 0, &weight);
        fonts->FcPatternGetInteger(set->fonts[i], FC_SLANT, 0, &slant);
        FcChar8* style = nullptr;
        fonts->FcPatternGetString(set->fonts[i], FC_STYLE, 0, &style);
        info.styles.push_back({style ? reinterpret_cast<const char*>(style) : "", {weight, slant}});
    }
    if (set)
        fonts->FcFontSetDestroy(set);
    fonts->FcObjectSetDestroy(os);
    fonts->FcPatternDestroy(pattern);
    return families;
}

}  // namespace

int EnumFontFamiliesExA(HDC hdc, LOGFONTA* filter, FONTENUMPROCA proc, LPARAM lParam, DWORD)
{
    if (!proc)
        return 0;
    const std::string only = filter && filter->lfFaceName[0] ? std::string(filter->lfFaceName, strnlen(filter->lfFaceName, LF_FACESIZE)) : "";
    (void)hdc;
    int last = 1;
    for (const auto& [name, info] : ListFamilies()) {
        if (!only.empty() && strcasecmp(only.c_str(), name.c_str()) != 0)
            continue;
        LOGFONTA lf{};
        std::strncpy(lf.lfFaceName, name.c_str(), LF_FACESIZE - 1);
        lf.lfHeight = 16;
        lf.lfWeight = FW_NORMAL;
        lf.lfCharSet = ANSI_CHARSET;
        lf.lfOutPrecision = OUT_TT_PRECIS;
        lf.lfQuality = PROOF_QUALITY;
        lf.lfPitchAndFamily = static_cast<BYTE>((info.fixed ? FIXED_PITCH | FF_MODERN : VARIABLE_PITCH | FF_SWISS));
        TEXTMETRICA tm{};
        tm.tmHeight = 16;
        tm.tmWeight = FW_NORMAL;
        tm.tmCharSet = ANSI_CHARSET;
        tm.tmPitchAndFamily = static_cast<BYTE>((info.fixed ? 0 : TMPF_FIXED_PITCH) | (info.scalable ? TMPF_VECTOR | TMPF_TRUETYPE : 0));
        const DWORD type = info.scalable ? TRUETYPE_FONTTYPE : RASTER_FONTTYPE;
        if (only.empty()) {
            last = proc(&lf, &tm, type, lParam);
            if (!last)
                return 0;
            continue;
        }
        // A named family is enumerated once per style.
        for (const auto& style : info.styles) {
            LOGFONTA styled = lf;
            styled.lfWeight = style.second.first >= FC_WEIGHT_DEMIBOLD ? FW_BOLD : FW_NORMAL;
            styled.lfItalic = style.second.second != FC_SLANT_ROMAN ? 1 : 0;
            last = proc(&styled, &tm, type, lParam);
            if (!last)
                return 0;
        }
    }
    return last;
}

int EnumFontFamiliesA(HDC hdc, LPCSTR family, FONTENUMPROCA proc, LPARAM lParam)
{
    LOGFONTA filter{};
    filter.lfCharSet = DEFAULT_CHARSET;
    if (family)
        std::strncpy(filter.lfFaceName, family, LF_FACESIZE - 1);
    return EnumFontFamiliesExA(hdc, &filter, proc, lParam, 0);
}
