#include <gtest/gtest.h>

#include "memory_canvas.h"
#include "platform/gdi/drawtext.h"
#include "platform/gdi/font.h"

namespace {

using vls::gdi::LayoutDrawText;
using vls::gdi::TextLine;

// Every character 10 pixels wide, so layout rules can be checked exactly.
const vls::gdi::AdvanceFn kTen = [](char16_t c) { return c < 0x20 ? 0 : 10; };

std::vector<std::u16string> Texts(const std::vector<TextLine>& lines)
{
    std::vector<std::u16string> out;
    for (const TextLine& l : lines)
        out.push_back(l.text);
    return out;
}

struct LayoutCase {
    const char* name;
    std::u16string text;
    UINT format;
    int width;
    std::vector<std::u16string> lines;
};

TEST(DrawTextLayout, LineRules)
{
    const LayoutCase cases[] = {
        {"empty gives no line", u"", 0, 100, {}},
        {"CR LF, LF and CR each break once", u"a\r\nb\nc\rd", 0, 100, {u"a", u"b", u"c", u"d"}},
        {"a final break adds no line", u"a\r\n", 0, 100, {u"a"}},
        {"blank lines stay", u"a\n\nb", 0, 100, {u"a", u"", u"b"}},
        {"single line keeps breaks as text", u"a\nb", DT_SINGLELINE, 100, {u"a\nb"}},
        {"prefix removed", u"&File", 0, 100, {u"File"}},
        {"double ampersand is one", u"A && B", 0, 100, {u"A & B"}},
        {"trailing ampersand dropped", u"AB&", 0, 100, {u"AB"}},
        {"a lone ampersand is no text", u"&", 0, 100, {}},
        {"no prefix keeps ampersands", u"&A&&", DT_NOPREFIX, 100, {u"&A&&"}},
        {"wrap at spaces", u"aa bb cc", DT_WORDBREAK, 50, {u"aa bb", u"cc"}},
        {"spaces at a break are swallowed", u"aa    bb", DT_WORDBREAK, 30, {u"aa", u"bb"}},
        {"long word stays whole", u"abcdefgh ij", DT_WORDBREAK, 30, {u"abcdefgh", u"ij"}},
        {"edit control breaks long words", u"abcdefgh", DT_WORDBREAK | DT_EDITCONTROL, 30, {u"abc", u"def", u"gh"}},
        {"wrap keeps explicit breaks", u"aa bb\ncc", DT_WORDBREAK, 200, {u"aa bb", u"cc"}},
        {"single line ignores word break", u"aa bb cc", DT_WORDBREAK | DT_SINGLELINE, 30, {u"aa bb cc"}},
        {"zero width puts each word on a line", u"a b", DT_WORDBREAK, 0, {u"a", u"b"}},
        {"end ellipsis", u"abcdefgh", DT_END_ELLIPSIS, 60, {u"abc..."}},
        {"ellipsis only when too wide", u"abc", DT_END_ELLIPSIS, 60, {u"abc"}},
    };
    for (const LayoutCase& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(Texts(LayoutDrawText(c.text, c.format, c.width, kTen, 80)), c.lines);
    }
}

TEST(DrawTextLayout, PrefixUnderlineAndTabs)
{
    const auto lines = LayoutDrawText(u"&Open &&go &x", 0, 500, kTen, 80);
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_EQ(lines[0].text, u"Open &go x");
    EXPECT_EQ(lines[0].underlined, (std::vector<size_t>{0, 9}));
    EXPECT_TRUE(LayoutDrawText(u"&Open", DT_HIDEPREFIX, 500, kTen, 80)[0].underlined.empty());

    // Tabs jump to the next multiple of the tab width only when expanded.
    EXPECT_EQ(vls::gdi::RunWidth(u"a\tb", DT_EXPANDTABS, kTen, 80), 90);
    EXPECT_EQ(vls::gdi::RunWidth(u"a\tb", 0, kTen, 80), 20);
    EXPECT_EQ(vls::gdi::RunWidth(u"abcdefgh\tb", DT_EXPANDTABS, kTen, 80), 170);
    EXPECT_EQ(LayoutDrawText(u"aa bb", DT_WORDBREAK, 45, kTen, 80)[0].width, 20);
}

class FontTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        LOGFONTA lf{};
        lf.lfHeight = -11;
        lf.lfWeight = FW_NORMAL;
        strcpy(lf.lfFaceName, "MS Sans Serif");
        font = CreateFontIndirectA(&lf);
        old = SelectObject(canvas.dc, font);
        SetBkMode(canvas.dc, TRANSPARENT);
    }
    void TearDown() override
    {
        SelectObject(canvas.dc, old);
        DeleteObject(font);
    }
    MemoryCanvas canvas{200, 60, 0xFFFFFF};
    HFONT font = nullptr;
    HGDIOBJ old = nullptr;
};

TEST_F(FontTest, SansSerifFacesResolveToAnInstalledFamily)
{
    EXPECT_EQ(vls::gdi::MatchFamily("MS Sans Serif"), "DejaVu Sans");
    EXPECT_EQ(vls::gdi::MatchFamily("Microsoft Sans Serif"), "DejaVu Sans");
    char face[LF_FACESIZE];
    GetTextFaceA(canvas.dc, LF_FACESIZE, face);
    EXPECT_STREQ(face, "MS Sans Serif");  // the logical name, as callers asked
    TEXTMETRICA tm{};
    ASSERT_TRUE(GetTextMetricsA(canvas.dc, &tm));
    EXPECT_EQ(tm.tmHeight, tm.tmAscent + tm.tmDescent);
    EXPECT_GE(tm.tmHeight, 11);
    EXPECT_LE(tm.tmHeight, 16);
    EXPECT_EQ(tm.tmHeight - tm.tmInternalLeading, 11);  // character height is the asked -11
    EXPECT_TRUE(tm.tmPitchAndFamily & TMPF_TRUETYPE);
}

TEST_F(FontTest, ExtentsAddUpAndMatchCalcRect)
{
    SIZE whole{}, left{}, right{};
    ASSERT_TRUE(GetTextExtentPoint32W(canvas.dc, u"Hello world", 11, &whole));
    GetTextExtentPoint32W(canvas.dc, u"Hello", 5, &left);
    GetTextExtentPoint32W(canvas.dc, u" world", 6, &right);
    EXPECT_EQ(whole.cx, left.cx + right.cx);
    EXPECT_GT(whole.cx, 40);
    SIZE ansi{};
    GetTextExtentPoint32A(canvas.dc, "Hello world", 11, &ansi);
    EXPECT_EQ(ansi.cx, whole.cx);

    RECT r{5, 7, 5, 7};
    const int h = DrawTextW(canvas.dc, u"Hello world", -1, &r, DT_CALCRECT | DT_SINGLELINE);
    EXPECT_EQ(h, whole.cy);
    EXPECT_EQ(r.right - r.left, whole.cx);
    EXPECT_EQ(r.bottom - r.top, whole.cy);
    EXPECT_EQ(canvas.InkBox(0xFFFFFF).right, 0);  // measuring draws nothing

    // Two lines by word break: twice the height, width of the wider line.
    RECT wrap{0, 0, left.cx + 2, 0};
    EXPECT_EQ(DrawTextW(canvas.dc, u"Hello world", -1, &wrap, DT_CALCRECT | DT_WORDBREAK), 2 * whole.cy);
    SIZE world{};
    GetTextExtentPoint32W(canvas.dc, u"world", 5, &world);
    EXPECT_EQ(wrap.right, std::max(left.cx, world.cx));

    RECT empty{0, 0, 0, 0};
    EXPECT_EQ(DrawTextW(canvas.dc, u"", 0, &empty, DT_CALCRECT), 0);
    EXPECT_EQ(empty.bottom, 0);
}

TEST_F(FontTest, AlignmentPlacesTheInk)
{
    SIZE size{};
    GetTextExtentPoint32W(canvas.dc, u"MMM", 3, &size);
    struct Case {
        const char* name;
        UINT format;
    };
    RECT area{20, 10, 180, 50};
    for (const Case& c : {Case{"left", DT_LEFT}, Case{"center", DT_CENTER}, Case{"right", DT_RIGHT}}) {
        SCOPED_TRACE(c.name);
        MemoryCanvas m(200, 60, 0xFFFFFF);
        SelectObject(m.dc, font);
        SetBkMode(m.dc, TRANSPARENT);
        RECT r = area;
        DrawTextW(m.dc, u"MMM", 3, &r, c.format | DT_SINGLELINE | DT_VCENTER);
        const RECT ink = m.InkBox(0xFFFFFF);
        ASSERT_LT(ink.left, ink.right);
        const int start = c.format == DT_CENTER ? 20 + (160 - size.cx) / 2 : c.format == DT_RIGHT ? 180 - size.cx : 20;
        EXPECT_NEAR(ink.left, start, 2);
        EXPECT_LE(ink.right, start + size.cx + 1);
        // Vertically centred: the cell sits in the middle of 40 pixels.
        const int cellTop = 10 + (40 - size.cy) / 2;
        EXPECT_GE(ink.top, cellTop);
        EXPECT_LE(ink.bottom, cellTop + size.cy);
        SelectObject(m.dc, GetStockObject(SYSTEM_FONT));
    }
}

TEST_F(FontTest, TextIsClippedToTheRectangleUnlessNoClip)
{
    RECT r{10, 10, 30, 30};
    DrawTextW(canvas.dc, u"WWWWWWWWWW", -1, &r, DT_SINGLELINE);
    RECT ink = canvas.InkBox(0xFFFFFF);
    EXPECT_LE(ink.right, 30);
    EXPECT_GE(ink.left, 10);
    MemoryCanvas free(200, 60, 0xFFFFFF);
    SelectObject(free.dc, font);
    RECT r2{10, 10, 30, 30};
    DrawTextW(free.dc, u"WWWWWWWWWW", -1, &r2, DT_SINGLELINE | DT_NOCLIP);
    EXPECT_GT(free.InkBox(0xFFFFFF).right, 30);
    SelectObject(free.dc, GetStockObject(SYSTEM_FONT));
}

TEST_F(FontTest, OpaqueBackgroundAndTextColour)
{
    SetBkMode(canvas.dc, OPAQUE);
    SetBkColor(canvas.dc, RGB(0, 0, 255));
    SetTextColor(canvas.dc, RGB(255, 0, 0));
    ExtTextOutW(canvas.dc, 0, 0, 0, nullptr, u"I", 1, nullptr);
    SIZE s{};
    GetTextExtentPoint32W(canvas.dc, u"I", 1, &s);
    EXPECT_EQ(canvas.At(0, 0), 0x0000FFu);  // cell filled with the background
    EXPECT_EQ(canvas.At(s.cx, 0), 0xFFFFFFu);
    bool red = false;
    for (int y = 0; y < s.cy; ++y)
        for (int x = 0; x < s.cx; ++x)
            red = red || ((canvas.At(x, y) >> 16) > 0x80 && (canvas.At(x, y) & 0xFF) < 0x80);  // mostly text colour
    EXPECT_TRUE(red);
}

TEST(FontEnumeration, ListsInstalledFamiliesAsTrueType)
{
    struct Found {
        bool dejaVu = false;
        DWORD type = 0;
        int calls = 0;
    } found;
    HDC dc = CreateCompatibleDC(nullptr);
    EnumFontFamiliesA(dc, nullptr,
                      [](const LOGFONTA* lf, const TEXTMETRICA*, DWORD type, LPARAM p) -> int {
                          auto* f = reinterpret_cast<Found*>(p);
                          ++f->calls;
                          if (std::string(lf->lfFaceName) == "DejaVu Sans") {
                              f->dejaVu = true;
                              f->type = type;
                          }
                          return 1;
                      },
                      reinterpret_cast<LPARAM>(&found));
    EXPECT_TRUE(found.dejaVu);
    EXPECT_EQ(found.type, TRUETYPE_FONTTYPE);
    // Returning 0 stops the enumeration.
    int calls = 0;
    EnumFontFamiliesA(dc, nullptr, [](const LOGFONTA*, const TEXTMETRICA*, DWORD, LPARAM p) -> int {
        ++*reinterpret_cast<int*>(p);
        return 0;
    }, reinterpret_cast<LPARAM>(&calls));
    EXPECT_EQ(calls, 1);
    DeleteDC(dc);
}

}  // namespace
