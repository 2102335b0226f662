#pragma once

// Fonts: a logical font is matched through fontconfig and rendered with
// FreeType at 96 dots per inch. Glyph advances are whole pixels, so that
// measuring and drawing agree exactly. The match is made when the font is
// first measured or drawn: device contexts select the stock font from the
// start, and a program that never draws text never starts fontconfig.

#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <unordered_map>
#include <vector>

#include "platform/gdi/wingdi.h"

namespace vls::gdi {

constexpr int kScreenDpi = 96;

struct Glyph {
    int advance = 0;
    int left = 0;  // bitmap offset from the pen position
    int top = 0;   // bitmap top above the baseline
    int width = 0;
    int height = 0;
    std::vector<std::uint8_t> coverage;  // width * height, 0..255
};

class Font {
public:
    ~Font();
    static std::shared_ptr<Font> Open(const LOGFONTW& logFont);

    const TEXTMETRICA& Metrics() const
    {
        Resolve();
        return metrics_;
    }
    const std::string& FaceName() const
    {
        Resolve();
        return faceName_;
    }
    bool Underline() const { return underline_; }
    bool StrikeOut() const { return strikeOut_; }
    int Advance(char32_t c);
    const Glyph& GetGlyph(char32_t c);
    int TextWidth(const std::u16string& text);

private:
    Font() = default;
    void Resolve() const;
    void OpenFace();
    const Glyph& Load(char32_t c);

    LOGFONTW logFont_{};
    mutable std::once_flag matched_;
    struct FaceHandle;
    std::unique_ptr<FaceHandle> face_;
    TEXTMETRICA metrics_{};
    std::string faceName_;
    bool underline_ = false;
    bool strikeOut_ = false;
    bool emboldenSynthetic_ = false;
    bool obliqueSynthetic_ = false;
    std::unordered_map<char32_t, Glyph> glyphs_;
};

// The family fontconfig picks for a face name, after our substitutes for the
// original system's sans-serif faces.
std::string MatchFamily(const std::string& faceName);

// Code page 1252 to UTF-16 and UTF-16 to 1252 ('?' for what it lacks).
std::u16string AnsiToWide(const char* text, int length);
std::string WideToAnsi(const std::u16string& text);

}  // namespace vls::gdi
