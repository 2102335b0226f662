#include "platform/gdi/font.h"

#include "platform/gdi/font_library.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <mutex>

namespace vls::gdi {

namespace {

std::mutex& FontLock()
{
    static std::mutex m;
    return m;
}

// Only asked for once the font libraries are loaded.
FT_Library Library()
{
    static FT_Library lib = [] {
        FT_Library l = nullptr;
        LoadFontLibrary()->FT_Init_FreeType(&l);
        return l;
    }();
    return lib;
}

// The original system's sans-serif user-interface faces, which Linux lacks.
bool IsSansSubstitute(const std::string& face)
{
    static const char* const kFaces[] = {"MS Sans Serif", "Microsoft Sans Serif", "MS Shell Dlg", "MS Shell Dlg 2",
                                         "System", "Tahoma", "Arial", "Verdana", ""};
    for (const char* f : kFaces) {
        if (strcasecmp(face.c_str(), f) == 0)
            return true;
    }
    return false;
}

struct Match {
    std::string file;
    int index = 0;
    std::string family;
    bool bold = false;
    bool italic = false;
};

// Fontconfig keeps its configuration for the life of the process; it is
// released at exit so that leak checkers see a clean end.
void ReleaseFontconfigAtExit(const FontLibrary* fonts)
{
    static const bool registered = [fonts] {
        fonts->FcInit();
        std::atexit([] { LoadFontLibrary()->FcFini(); });
        return true;
    }();
    (void)registered;
}

Match FindFont(const std::string& face, LONG weight, bool italic, BYTE pitchAndFamily)
{
    Match m;
    const FontLibrary* const fonts = LoadFontLibrary();
    if (!fonts)
        return m;
    ReleaseFontconfigAtExit(fonts);
    FcPattern* pattern = fonts->FcPatternCreate();
    if (IsSansSubstitute(face)) {
        fonts->FcPatternAddString(pattern, FC_FAMILY, reinterpret_cast<const FcChar8*>("DejaVu Sans"));
        fonts->FcPatternAddString(pattern, FC_FAMILY, reinterpret_cast<const FcChar8*>("sans-serif"));
    } else if (strcasecmp(face.c_str(), "Courier New") == 0 || strcasecmp(face.c_str(), "Courier") == 0 ||
               (pitchAndFamily & 0x3) == FIXED_PITCH) {
        fonts->FcPatternAddString(pattern, FC_FAMILY, reinterpret_cast<const FcChar8*>(face.c_str()));
        fonts->FcPatternAddString(pattern, FC_FAMILY, reinterpret_cast<const FcChar8*>("DejaVu Sans Mono"));
        fonts->FcPatternAddString(pattern, FC_FAMILY, reinterpret_cast<const FcChar8*>("monospace"));
    } else {
        fonts->FcPatternAddString(pattern, FC_FAMILY, reinterpret_cast<const FcChar8*>(face.c_str()));
        fonts->FcPatternAddString(pattern, FC_FAMILY, reinterpret_cast<const FcChar8*>("DejaVu Sans"));
        fonts->FcPatternAddString(pattern, FC_FAMILY, reinterpret_cast<const FcChar8*>("sans-serif"));
    }
    fonts->FcPatternAddInteger(pattern, FC_WEIGHT, weight >= FW_SEMIBOLD ? FC_WEIGHT_BOLD : FC_WEIGHT_REGULAR);
    fonts->FcPatternAddInteger(pattern, FC_SLANT, italic ? FC_SLANT_ITALIC : FC_SLANT_ROMAN);
    fonts->FcPatternAddBool(pattern, FC_SCALABLE, FcTrue);
    fonts->FcConfigSubstitute(nullptr, pattern, FcMatchPattern);
    fonts->FcDefaultSubstitute(pattern);
    FcResult result;
    FcPattern* found = fonts->FcFontMatch(nullptr, pattern, &result);
    if (found) {
        FcChar8* file = nullptr;
        FcChar8* family = nullptr;
        int index = 0, w = 0, slant = 0;
        if (fonts->FcPatternGetString(found, FC_FILE, 0, &file) == FcResultMatch)
            m.file = reinterpret_cast<const char*>(file);
        if (fonts->FcPatternGetString(found, FC_FAMILY, 0, &family) == FcResultMatch)
            m.family = reinterpret_cast<const char*>(family);
        if (fonts->FcPatternGetInteger(found, FC_INDEX, 0, &index) == FcResultMatch)
            m.index = index;
        if (fonts->FcPatternGetInteger(found, FC_WEIGHT, 0, &w) == FcResultMatch)
            m.bold = w >= FC_WEIGHT_DEMIBOLD;
        if (fonts->FcPatternGetInteger(found, FC_SLANT, 0, &slant) == FcResultMatch)
            m.italic = slant != FC_SLANT_ROMAN;
        fonts->FcPatternDestroy(found);
    }
    fonts->FcPatternDestroy(pattern);
    return m;
}

std::u32string Decode(const std::u16string& text)
{
    std::u32string out;
    for (size_t i = 0; i < text.size(); ++i) {
        char32_t c = text[i];
        if (c >= 0xD800 && c < 0xDC00 && i + 1 < text.size() && text[i + 1] >= 0xDC00 && text[i + 1] < 0xE000) {
            c = 0x10000 + ((c - 0xD800) << 10) + (text[i + 1] - 0xDC00);
            ++i;
        }
        out.push_back(c);
    }
    return out;
}

}  // namespace

struct Font::FaceHandle {
    FT_Face face = nullptr;
    ~FaceHandle()
    {
        if (face) {
            std::lock_guard lock(FontLock());
            LoadFontLibrary()->FT_Done_Face(face);
        }
    }
};

Font::~Font() = default;

std::string MatchFamily(const std::string& faceName)
{
    std::lock_guard lock(FontLock());
    return FindFont(faceName, FW_NORMAL, false, 0).family;
}

std::shared_ptr<Font> Font::Open(const LOGFONTW& lf)
{
    std::shared_ptr<Font> font(new Font());
    font->logFont_ = lf;
    font->underline_ = lf.lfUnderline != 0;
    font->strikeOut_ = lf.lfStrikeOut != 0;
    return font;
}

void Font::Resolve() const
{
    // Fonts are only ever made by Open, never as constant objects.
    std::call_once(matched_, [this] { const_cast<Font*>(this)->OpenFace(); });
}

void Font::OpenFace()
{
    const LOGFONTW& lf = logFont_;
    const std::string face = WideToAnsi(std::u16string(lf.lfFaceName, std::find(lf.lfFaceName, lf.lfFaceName + LF_FACESIZE, u'\0')));
    face_ = std::make_unique<FaceHandle>();
    const bool wantBold = lf.lfWeight >= FW_SEMIBOLD;
    const bool wantItalic = lf.lfItalic != 0;

    std::lock_guard lock(FontLock());
    const Match m = FindFont(face, lf.lfWeight, wantItalic, lf.lfPitchAndFamily);
    faceName_ = face.empty() ? m.family : face;
    TEXTMETRICA& tm = metrics_;
    tm.tmWeight = wantBold ? FW_BOLD : FW_NORMAL;
    tm.tmItalic = wantItalic ? 1 : 0;
    tm.tmUnderlined = underline_ ? 1 : 0;
    tm.tmStruckOut = strikeOut_ ? 1 : 0;
    tm.tmCharSet = lf.lfCharSet == DEFAULT_CHARSET ? ANSI_CHARSET : lf.lfCharSet;
    tm.tmFirstChar = 0x1E;
    tm.tmLastChar = 0xFF;
    tm.tmDefaultChar = 0x1F;
    tm.tmBreakChar = 0x20;
    tm.tmDigitizedAspectX = tm.tmDigitizedAspectY = kScreenDpi;
    // A file was matched only if the font libraries are loaded.
    const FontLibrary* const fonts = LoadFontLibrary();
    if (m.file.empty() || fonts->FT_New_Face(Library(), m.file.c_str(), m.index, &face_->face) != 0) {
        face_->face = nullptr;
        // No font at all: fixed 8 x 13 cells so that layout still works.
        tm.tmHeight = 13;
        tm.tmAscent = 10;
        tm.tmDescent = 3;
        tm.tmAveCharWidth = tm.tmMaxCharWidth = 8;
        return;
    }
    FT_Face f = face_->face;
    emboldenSynthetic_ = wantBold && !m.bold;
    obliqueSynthetic_ = wantItalic && !m.italic;

    // The cell of the original is the OS/2 table's Windows ascent plus descent.
    double ascentUnits = f->ascender;
    double descentUnits = -f->descender;
    if (const auto* os2 = static_cast<const TT_OS2*>(fonts->FT_Get_Sfnt_Table(f, FT_SFNT_OS2)); os2 && os2->usWinAscent) {
        ascentUnits = os2->usWinAscent;
        descentUnits = os2->usWinDescent;
    }
    const double upem = f->units_per_EM ? f->units_per_EM : 2048;
    LONG height = lf.lfHeight;
    if (height == 0)
        height = -11;
    double em;
    if (height < 0)
        em = -height;
    else
        em = height * upem / (ascentUnits + descentUnits);
    const int emPixels = std::max(1, static_cast<int>(std::lround(em)));
    fonts->FT_Set_Pixel_Sizes(f, 0, static_cast<FT_UInt>(emPixels));
    tm.tmAscent = static_cast<LONG>(std::lround(ascentUnits * em / upem));
    tm.tmDescent = static_cast<LONG>(std::lround(descentUnits * em / upem));
    tm.tmHeight = tm.tmAscent + tm.tmDescent;
    if (height > 0)
        tm.tmHeight = height, tm.tmDescent = height - tm.tmAscent;
    tm.tmInternalLeading = std::max<LONG>(0, tm.tmHeight - emPixels);
    tm.tmExternalLeading = 0;
    const bool fixed = FT_IS_FIXED_WIDTH(f);
    tm.tmPitchAndFamily = static_cast<BYTE>((fixed ? 0 : TMPF_FIXED_PITCH) | TMPF_VECTOR | TMPF_TRUETYPE |
                                            (fixed ? FF_MODERN : FF_SWISS));
}

const Glyph& Font::Load(char32_t c)
{
    Resolve();
    Glyph g;
    FT_Face f = face_->face;
    if (!f) {
        g.advance = 8;
        return glyphs_[c] = std::move(g);
    }
    const FontLibrary* const fonts = LoadFontLibrary();
    std::lock_guard lock(FontLock());
    FT_UInt index = fonts->FT_Get_Char_Index(f, c);
    if (index == 0 && c >= 0x20)
        index = fonts->FT_Get_Char_Index(f, u'?');
    if (fonts->FT_Load_Glyph(f, index, FT_LOAD_DEFAULT | FT_LOAD_TARGET_LIGHT) == 0) {
        if (emboldenSynthetic_)
            fonts->FT_GlyphSlot_Embolden(f->glyph);
        if (obliqueSynthetic_)
            fonts->FT_GlyphSlot_Oblique(f->glyph);
        g.advance = static_cast<int>((f->glyph->advance.x + 32) >> 6);
        if (fonts->FT_Render_Glyph(f->glyph, FT_RENDER_MODE_NORMAL) == 0) {
            const FT_Bitmap& bm = f->glyph->bitmap;
            g.left = f->glyph->bitmap_left;
            g.top = f->glyph->bitmap_top;
            g.width = static_cast<int>(bm.width);
            g.height = static_cast<int>(bm.rows);
            g.coverage.resize(static_cast<size_t>(g.width) * g.height);
            for (int y = 0; y < g.height; ++y) {
                const unsigned char* row = bm.buffer + static_cast<std::ptrdiff_t>(y) * bm.pitch;
                for (int x = 0; x < g.width; ++x) {
                    g.coverage[static_cast<size_t>(y) * g.width + x] =
                        bm.pixel_mode == FT_PIXEL_MODE_MONO ? ((row[x / 8] & (0x80 >> (x % 8))) ? 255 : 0) : row[x];
                }
            }
        }
    }
    // Control characters take no room, as in the original's layout.
    if (c < 0x20)
        g = Glyph();
    return glyphs_[c] = std::move(g);
}

const Glyph& Font::GetGlyph(char32_t c)
{
    auto it = glyphs_.find(c);
    return it != glyphs_.end() ? it->second : Load(c);
}

int Font::Advance(char32_t c) { return GetGlyph(c).advance; }

int Font::TextWidth(const std::u16string& text)
{
    int w = 0;
    for (char32_t c : Decode(text))
        w += Advance(c);
    return w;
}

// ------------------------------------------------------------ code page 1252

namespace {

constexpr char16_t k1252High[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,
};

}  // namespace

std::u16string AnsiToWide(const char* text, int length)
{
    std::u16string out;
    if (!text)
        return out;
    const size_t n = length < 0 ? std::strlen(text) : static_cast<size_t>(length);
    out.reserve(n);
    for (size_t i = 0; i < n; ++i) {
        const auto b = static_cast<unsigned char>(text[i]);
        out.push_back(b >= 0x80 && b < 0xA0 ? k1252High[b - 0x80] : static_cast<char16_t>(b));
    }
    return out;
}

std::string WideToAnsi(const std::u16string& text)
{
    std::string out;
    out.reserve(text.size());
    for (char16_t c : text) {
        if (c < 0x80 || (c >= 0xA0 && c < 0x100)) {
            out.push_back(static_cast<char>(c));
            continue;
        }
        const auto* hit = std::find(std::begin(k1252High), std::end(k1252High), c);
        out.push_back(hit != std::end(k1252High) ? static_cast<char>(0x80 + (hit - std::begin(k1252High))) : '?');
    }
    return out;
}

}  // namespace vls::gdi
