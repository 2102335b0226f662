// Laying out a text object: glyph lookup, line fitting, centring and the quads.

#include "engine/render/graphics_host.h"
#include "engine/render/kestrune_fonts.h"
#include "engine/render/kestrune_graphics.h"

#include <vector>

namespace {

constexpr float kTexelNudge = 0.0001f;

// The glyph list of a text: one entry per UTF-16 unit; null where there is
// no glyph. Sums and line fits stop at the first null entry at or after
// their start.
struct GlyphList {
    std::vector<const KestruneGlyph*> entries;

    bool Ends(std::size_t i) const { return i >= entries.size() || entries[i] == nullptr; }
    int32_t Advance(std::size_t i) const { return Ends(i) ? 0 : entries[i]->advance; }

    int32_t Sum(std::size_t from, std::size_t to) const
    {
        int32_t sum = 0;
        for (std::size_t i = from; i < to && !Ends(i); ++i) sum += Advance(i);
        return sum;
    }

    static bool KeptPunctuation(char16_t c) { return c == '!' || c == '?' || c == '.' || c == ':' || c == ','; }

    // How many entries from p go on the line before the break; the line then
    // holds entries p .. p + result, the last being the break character. A
    // space takes directly following punctuation with it.
    int32_t LineFit(std::size_t p, int32_t budget) const
    {
        int32_t count = 0, run = 0;
        std::size_t i = p;
        bool fitted = false;
        while (!Ends(i)) {
            if (entries[i]->code == 0x20) {
                while (!Ends(i + 1) && KeptPunctuation(entries[i + 1]->code)) {
                    ++run;
                    budget -= Advance(i + 1);
                    ++i;
                }
                count += run;
                run = 0;
            }
            ++run;
            budget -= Advance(i);
            if (budget < 1) {
                fitted = true;
                break;
            }
            ++i;
        }
        if (!fitted) return count + run;
        // A word wider than the line, with no space to break at: break after
        // the last character that fits (at least one goes on the line).
        if (count == 0) return run >= 2 ? run - 2 : 0;
        return count;
    }
};

}  // namespace

cKestruneText* cKestruneFonts::CreateTextW(int32_t font, const char16_t* text, int32_t x, int32_t y, DWORD colour,
                                           uint32_t flags)
{
    if (font < 0 || font >= kFontCount) font = 0;
    if (!text) text = u"";
    const Font& face = fonts[font];
    std::size_t length = 0;
    while (text[length]) ++length;

    GlyphList list;
    list.entries.resize(length, nullptr);
    for (std::size_t i = 0; i < length; ++i) {
        if (text[i] >= 0x20) list.entries[i] = FindGlyph(face, font, text[i]);
    }

    auto* made = new cKestruneText();
    made->font = font;
    made->x = x;
    made->y = y;
    made->translucent = (colour >> 24) != 0xFF;
    made->lineCount = 1;
    made->height = face.lineHeight;
    made->width = list.Sum(0, length);
    made->vertices = new KestruneTextVertex[length * 6 + 1];

    const bool centre = (flags & kTextCentre) != 0, wrap = (flags & kTextWrap) != 0;
    int32_t penY = y;
    int32_t lineStart = centre ? x - made->width / 2 : x;
    const int32_t limit = static_cast<int32_t>(cKestruneGraphics::kScreenWidth * 0.7);
    std::size_t last = length;  // index of the last character of the current line
    if (wrap) {
        last = static_cast<std::size_t>(list.LineFit(0, limit));
        if (centre) lineStart = x - list.Sum(0, last) / 2;
    }

    cKestruneGraphicsHost& host = GraphicsHost();
    const float n = host.CameraNear(), f = host.CameraFar();
    const float z = f / (f - n) - (f * n / (f - n)) * 0.9090909f;
    int32_t penX = lineStart;
    for (std::size_t i = 0; i < length; ++i) {
        const KestruneGlyph* g = list.entries[i];
        if (!g) continue;
        if (wrap && i > last) {
            last = i + static_cast<std::size_t>(list.LineFit(i, limit));
            ++made->lineCount;
            made->height += face.lineHeight;
            penY += face.lineHeight;
            lineStart = x;
            if (centre) lineStart = x - (last > i ? list.Sum(i, last) : list.Advance(i)) / 2;
            penX = lineStart;
        }
        const float left = static_cast<float>(penX + g->xOffset), right = left + g->width;
        const float top = static_cast<float>(penY - g->topOffset), bottom = top + g->height;
        const float ul = g->uLeft + kTexelNudge, ur = g->uRight + kTexelNudge;
        const float vt = g->vTop + kTexelNudge, vb = g->vBottom + kTexelNudge;
        const DWORD low = colour | 0x000F0F0F, high = colour & 0xFFF0F0F0;
        KestruneTextVertex* v = made->vertices + made->quadCount * 6;
        v[0] = {left, bottom, z, 0.9f, low, ul, vb};
        v[1] = {right, bottom, z, 0.9f, low, ur, vb};
        v[2] = {left, top, z, 0.9f, high, ul, vt};
        v[3] = {right, top, z, 0.9f, high, ur, vt};
        v[4] = {left, top, z, 0.9f, high, ul, vt};
        v[5] = {right, bottom, z, 0.9f, low, ur, vb};
        penX += g->advance;
        ++made->quadCount;
    }
    texts.Add(made);
    return made;
}
