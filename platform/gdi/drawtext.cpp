#include "platform/gdi/drawtext.h"

#include <algorithm>

#include "platform/gdi/raster.h"
#include "platform/gdi/text.h"

namespace vls::gdi {

namespace {

struct Marked {
    std::u16string text;
    std::vector<bool> underline;
};

// "&x" underlines x, "&&" is one "&"; a lone "&" at the end is dropped.
Marked StripPrefixes(const std::u16string& text, UINT format)
{
    Marked m;
    const bool prefixes = !(format & DT_NOPREFIX);
    for (size_t i = 0; i < text.size(); ++i) {
        char16_t c = text[i];
        bool mark = false;
        if (prefixes && c == u'&') {
            if (i + 1 >= text.size())
                break;
            c = text[++i];
            mark = c != u'&' && !(format & DT_HIDEPREFIX);
        }
        m.text.push_back(c);
        m.underline.push_back(mark);
    }
    return m;
}

TextLine MakeLine(const Marked& m, size_t begin, size_t end, UINT format, const AdvanceFn& advance, int tabWidth)
{
    TextLine line;
    line.text = m.text.substr(begin, end - begin);
    for (size_t i = begin; i < end; ++i) {
        if (m.underline[i])
            line.underlined.push_back(i - begin);
    }
    line.width = RunWidth(line.text, format, advance, tabWidth);
    return line;
}

bool IsSpace(char16_t c) { return c == u' ' || c == u'\t'; }

// Greedy word wrap of one paragraph [begin, end). Spaces where a line breaks
// are swallowed; a word wider than the rectangle stays whole unless the
// format asks for edit-control breaking.
void WrapParagraph(const Marked& m, size_t begin, size_t end, UINT format, int width, const AdvanceFn& advance,
                   int tabWidth, std::vector<TextLine>& out)
{
    size_t lineStart = begin;
    while (true) {
        if (lineStart >= end) {
            if (lineStart == begin)
                out.push_back(MakeLine(m, begin, begin, format, advance, tabWidth));
            return;
        }
        size_t lastFit = lineStart;  // end of the last whole word that fits
        size_t pos = lineStart;
        while (pos < end) {
            size_t wordEnd = pos;
            while (wordEnd < end && IsSpace(m.text[wordEnd]))
                ++wordEnd;
            while (wordEnd < end && !IsSpace(m.text[wordEnd]))
                ++wordEnd;
            const int w = RunWidth(m.text.substr(lineStart, wordEnd - lineStart), format, advance, tabWidth);
            if (w > width && lastFit > lineStart)
                break;
            if (w > width && (format & DT_EDITCONTROL)) {
                // Break inside the word at the last character that fits (at least one).
                size_t cut = lineStart + 1;
                while (cut < wordEnd &&
                       RunWidth(m.text.substr(lineStart, cut + 1 - lineStart), format, advance, tabWidth) <= width)
                    ++cut;
                lastFit = cut;
                break;
            }
            lastFit = wordEnd;
            pos = wordEnd;
            if (w > width)
                break;
        }
        size_t lineEnd = lastFit;
        size_t trimmed = lineEnd;
        while (trimmed > lineStart && m.text[trimmed - 1] == u' ')
            --trimmed;
        out.push_back(MakeLine(m, lineStart, trimmed, format, advance, tabWidth));
        lineStart = lineEnd;
        while (lineStart < end && m.text[lineStart] == u' ')
            ++lineStart;
        if (lineStart >= end)
            return;
    }
}

void AddEllipsis(TextLine& line, UINT format, int width, const AdvanceFn& advance, int tabWidth)
{
    if (line.width <= width)
        return;
    const std::u16string dots = u"...";
    std::u16string t = line.text;
    while (!t.empty() && RunWidth(t + dots, format, advance, tabWidth) > width)
        t.pop_back();
    if ((format & DT_WORD_ELLIPSIS) && !(format & DT_END_ELLIPSIS)) {
        const size_t space = t.find_last_of(u' ');
        if (space != std::u16string::npos)
            t.resize(space);
    }
    line.text = t + dots;
    std::erase_if(line.underlined, [&](size_t i) { return i >= t.size(); });
    line.width = RunWidth(line.text, format, advance, tabWidth);
}

}  // namespace

int RunWidth(const std::u16string& text, UINT format, const AdvanceFn& advance, int tabWidth)
{
    int x = 0;
    for (char16_t c : text) {
        if (c == u'\t' && (format & DT_EXPANDTABS) && tabWidth > 0)
            x = (x / tabWidth + 1) * tabWidth;
        else
            x += advance(c);
    }
    return x;
}

std::vector<TextLine> LayoutDrawText(const std::u16string& text, UINT format, int width, const AdvanceFn& advance,
                                     int tabWidth)
{
    std::vector<TextLine> lines;
    if (text.empty())
        return lines;
    const Marked m = StripPrefixes(text, format);
    if (m.text.empty())
        return lines;  // a lone "&" measures like no text at all
    const bool single = format & DT_SINGLELINE;
    const bool wrap = (format & DT_WORDBREAK) && !single;
    size_t start = 0;
    while (start <= m.text.size()) {
        size_t end = start;
        if (!single) {
            while (end < m.text.size() && m.text[end] != u'\r' && m.text[end] != u'\n')
                ++end;
        } else {
            end = m.text.size();
        }
        if (wrap)
            WrapParagraph(m, start, end, format, width, advance, tabWidth, lines);
        else
            lines.push_back(MakeLine(m, start, end, format, advance, tabWidth));
        if (end >= m.text.size())
            break;
        // CR LF is one break; a lone CR or LF is one too.
        start = end + ((m.text[end] == u'\r' && end + 1 < m.text.size() && m.text[end + 1] == u'\n') ? 2 : 1);
        if (start >= m.text.size())
            break;  // a final line break starts no empty line
    }
    if (format & (DT_END_ELLIPSIS | DT_WORD_ELLIPSIS | DT_PATH_ELLIPSIS)) {
        for (TextLine& line : lines)
            AddEllipsis(line, format, width, advance, tabWidth);
    }
    return lines;
}

}  // namespace vls::gdi

using namespace vls::gdi;

int DrawTextExW(HDC hdc, LPWSTR text, int length, LPRECT rect, UINT format, DRAWTEXTPARAMS* params)
{
    auto dc = GetDc(hdc);
    if (!dc || !rect || (!text && length != 0))
        return 0;
    std::u16string s;
    if (text)
        s = length < 0 ? std::u16string(text) : std::u16string(text, static_cast<size_t>(length));
    Font& font = FontOf(*dc);
    const TEXTMETRICA& tm = font.Metrics();
    const int lineHeight = tm.tmHeight + ((format & DT_EXTERNALLEADING) ? tm.tmExternalLeading : 0);
    const int aveWidth = std::max(1, font.Advance(U'x'));
    int tabWidth = 8 * aveWidth;
    if (format & DT_TABSTOP)
        tabWidth = static_cast<int>((format >> 8) & 0xFF) * aveWidth;
    if (params && params->iTabLength > 0)
        tabWidth = params->iTabLength * aveWidth;
    if (format & DT_TABSTOP)
        format &= ~0xFF00u;  // with DT_TABSTOP those bits are the tab length, not flags

    const AdvanceFn advance = [&font](char16_t c) { return font.Advance(c); };
    const int width = rect->right - rect->left;
    const std::vector<TextLine> lines = LayoutDrawText(s, format, width, advance, tabWidth);
    int maxWidth = 0;
    for (const TextLine& l : lines)
        maxWidth = std::max(maxWidth, l.width);
    const int textHeight = static_cast<int>(lines.size()) * lineHeight;
    if (params)
        params->uiLengthDrawn = static_cast<UINT>(s.size());

    if (format & DT_CALCRECT) {
        rect->right = rect->left + maxWidth;
        rect->bottom = rect->top + textHeight;
        return textHeight;
    }
    int y = rect->top;
    if (format & DT_SINGLELINE) {
        if (format & DT_VCENTER)
            y = rect->top + (rect->bottom - rect->top - textHeight) / 2;
        else if (format & DT_BOTTOM)
            y = rect->bottom - textHeight;
    }
    const RECT* clip = (format & DT_NOCLIP) ? nullptr : rect;
    const bool opaque = dc->state.bkMode == OPAQUE;
    int lineY = y;
    for (const TextLine& line : lines) {
        int x = rect->left;
        if (format & DT_CENTER)
            x = rect->left + (width - line.width) / 2;
        else if (format & DT_RIGHT)
            x = rect->right - line.width;
        if (!(format & DT_PREFIXONLY)) {
            // Tabs split the line into runs that start at their tab stops.
            size_t runStart = 0;
            int runX = 0;
            for (size_t i = 0; i <= line.text.size(); ++i) {
                const bool tab = i < line.text.size() && line.text[i] == u'\t' && (format & DT_EXPANDTABS);
                if (i < line.text.size() && !tab)
                    continue;
                const std::u16string run = line.text.substr(runStart, i - runStart);
                runX += DrawTextRun(*dc, x + runX, lineY, run, clip, opaque, nullptr);
                if (tab && tabWidth > 0)
                    runX = (runX / tabWidth + 1) * tabWidth;
                runStart = i + 1;
            }
        }
        for (size_t index : line.underlined) {
            const int ux = x + RunWidth(line.text.substr(0, index), format, advance, tabWidth);
            const int uw = font.Advance(line.text[index]);
            const DrawTarget t = TargetOf(*dc);
            RECT u{ux + t.offset.x, lineY + tm.tmAscent + 1 + t.offset.y, ux + uw + t.offset.x, lineY + tm.tmAscent + 2 + t.offset.y};
            Region area(u);
            if (clip) {
                area = Region::Combine(area,
                                       Region(RECT{clip->left + t.offset.x, clip->top + t.offset.y, clip->right + t.offset.x,
                                                   clip->bottom + t.offset.y}),
                                       Region::Op::And);
            }
            if (t.Valid())
                FillRegionWithPen(t, area, ColorRefToPixel(dc->state.textColor), R2_COPYPEN);
        }
        lineY += lineHeight;
    }
    if (format & (DT_VCENTER | DT_BOTTOM))
        return y - rect->top + textHeight;
    return textHeight;
}

int DrawTextW(HDC hdc, LPCWSTR text, int length, LPRECT rect, UINT format)
{
    return DrawTextExW(hdc, const_cast<LPWSTR>(text), length, rect, format, nullptr);
}

int DrawTextA(HDC hdc, LPCSTR text, int length, LPRECT rect, UINT format)
{
    const std::u16string w = AnsiToWide(text, text ? length : 0);
    return DrawTextExW(hdc, const_cast<LPWSTR>(w.c_str()), static_cast<int>(w.size()), rect, format, nullptr);
}
