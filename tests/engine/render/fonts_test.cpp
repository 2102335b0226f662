#include "tests/engine/render/render_fixture.h"
#include "tests/support/bytes_read.h"
#include "tools/font_writer.h"

namespace vls::test {
namespace {

// A font with fixed metrics: letters advance 10, space 5, punctuation 4.
std::string FontBytes(int8_t pageCount = 1, int glyphCountClaim = -1)
{
    std::vector<KestruneGlyph> glyphs;
    auto add = [&](char16_t code, int8_t advance) {
        KestruneGlyph g;
        g.code = code;
        g.width = 8;
        g.height = 10;
        g.xOffset = 1;
        g.topOffset = 10;
        g.advance = advance;
        g.uLeft = 0.25f;
        g.vTop = 0.5f;
        g.uRight = 0.75f;
        g.vBottom = 1.0f;
        glyphs.push_back(g);
    };
    for (char16_t c = 'a'; c <= 'z'; ++c) add(c, 10);
    for (char16_t c = 'A'; c <= 'Z'; ++c) add(c, 10);
    add(' ', 5);
    for (char16_t c : std::u16string(u"!?.:,")) add(c, 4);
    KestruneFontHeader header;
    header.glyphCount = static_cast<uint16_t>(glyphCountClaim >= 0 ? glyphCountClaim : glyphs.size());
    header.pageCount = pageCount;
    header.lineHeight = 20;
    std::vector<uint8_t> out(kFontHeaderSize);
    WriteFontHeader(header, out.data());
    for (const auto& g : glyphs) {
        uint8_t record[kGlyphRecordSize];
        WriteGlyph(g, record);
        out.insert(out.end(), record, record + kGlyphRecordSize);
    }
    std::string bytes = Bytes(out);
    for (int i = 0; i < std::max<int>(pageCount, 0) && i < 4; ++i) bytes += ImageBytes(Solid(16, 16, 0xFFFFFFFF), 0, 0, 1, 1);
    return bytes;
}

class Fonts : public RenderWorld {
protected:
    void SetUp() override
    {
        data.Add("font1", FontBytes());
        data.Add("font2", FontBytes());
        Start();
        fonts->Load();
    }
    // Left x and top y of quad n.
    static std::pair<float, float> QuadAt(const cKestruneText* text, int n)
    {
        const KestruneTextVertex* v = text->vertices + n * 6;
        return {v[2].x, v[2].y};
    }
};

TEST_F(Fonts, GlyphsMakeQuadsOnTheBaseline)
{
    cKestruneText* text = fonts->CreateText(0, "Ab", 100, 50, 0xFF808080, 0);
    ASSERT_NE(text, nullptr);
    EXPECT_EQ(text->width, 20);
    EXPECT_EQ(text->height, 20);
    EXPECT_EQ(text->lineCount, 1);
    EXPECT_EQ(text->quadCount, 2);
    EXPECT_EQ(text->translucent, 0);
    const KestruneTextVertex* v = text->vertices + 6;  // 'b'
    EXPECT_EQ(v[0].x, 111);  // pen 110 + x offset 1
    EXPECT_EQ(v[0].y, 50);   // bottom: top 40 + height 10
    EXPECT_EQ(v[3].x, 119);
    EXPECT_EQ(v[3].y, 40);
    EXPECT_FLOAT_EQ(v[0].u, 0.2501f);
    EXPECT_FLOAT_EQ(v[0].v, 1.0001f);
    EXPECT_FLOAT_EQ(v[3].v, 0.5001f);
    EXPECT_EQ(v[0].colour, 0xFF8F8F8Fu);  // bottom lighter
    EXPECT_EQ(v[2].colour, 0xFF808080u);
    EXPECT_FLOAT_EQ(v[0].rhw, 0.9f);
    EXPECT_FLOAT_EQ(v[0].z, 100.0f / 99.0f - (100.0f / 99.0f) * 0.9090909f);
    // Triangle list order: BL, BR, TL, TR, TL, BR.
    EXPECT_EQ(v[4].x, v[2].x);
    EXPECT_EQ(v[5].y, v[1].y);

    cKestruneText* faded = fonts->CreateText(1, "a", 0, 0, 0x80FFFFFF, 0);
    EXPECT_EQ(faded->translucent, 1);
    fonts->SetTextColor(faded, 0xFF000000);
    EXPECT_EQ(faded->vertices[0].colour, 0xFF000000u);
    fonts->MoveText(faded, 30, -5);
    EXPECT_EQ(faded->vertices[2].x, 31);
    EXPECT_EQ(faded->vertices[2].y, -15);
}

TEST_F(Fonts, EmptyTextAndMissingGlyphs)
{
    cKestruneText* empty = fonts->CreateText(0, "", 0, 0, 0xFFFFFFFF, kTextWrap | kTextCentre);
    EXPECT_EQ(empty->width, 0);
    EXPECT_EQ(empty->lineCount, 1);
    EXPECT_EQ(empty->quadCount, 0);

    // A line feed ends the glyph list: the width stops there; without the
    // wrap flag the rest follows on the same line.
    cKestruneText* joined = fonts->CreateText(0, "ab\ncd", 0, 100, 0xFFFFFFFF, 0);
    EXPECT_EQ(joined->width, 20);
    EXPECT_EQ(joined->quadCount, 4);
    EXPECT_EQ(QuadAt(joined, 2), std::make_pair(21.0f, 90.0f));
    cKestruneText* wrapped = fonts->CreateText(0, "ab\ncd", 0, 100, 0xFFFFFFFF, kTextWrap);
    EXPECT_EQ(wrapped->lineCount, 2);
    EXPECT_EQ(wrapped->height, 40);
    EXPECT_EQ(QuadAt(wrapped, 2), std::make_pair(1.0f, 110.0f));

    testing::internal::CaptureStdout();
    cKestruneText* cjk = fonts->CreateTextW(1, u"a\u4e00b", 0, 0, 0xFFFFFFFF, 0);
    const std::string log = testing::internal::GetCapturedStdout();
    EXPECT_EQ(log, "Warning! No glyph in Font 1 for character 0x4e00. Please report so we cann add it.");
    EXPECT_EQ(cjk->width, 10);
    EXPECT_EQ(cjk->quadCount, 2);
    testing::internal::CaptureStdout();
    EXPECT_EQ(fonts->GetTextWidth(1, u"a\u4e00b"), 20);
    testing::internal::GetCapturedStdout();
    EXPECT_EQ(fonts->GetTextHeight(0, u"whatever"), 20);
}

TEST_F(Fonts, WrappingKeepsSpaceAndPunctuationOnTheLine)
{
    // Seven nine-letter words, then " ., " and a word that no longer fits in
    // 716 pixels: the space, the punctuation and the space after it close the
    // first line.
    auto words = [](char letter, int count) {
        std::string out;
        for (int i = 0; i < count; ++i) out += std::string(9, letter) + (i + 1 < count ? " " : "");
        return out;
    };
    const std::string text = words('a', 7) + " ., " + std::string(9, 'b') + " cc";
    cKestruneText* t = fonts->CreateText(0, text.c_str(), 0, 100, 0xFFFFFFFF, kTextWrap);
    EXPECT_EQ(t->lineCount, 2);
    // Quads 0..68 are the words, 69 to 72 " ., ", 73 the first 'b'.
    EXPECT_EQ(QuadAt(t, 71).second, 90.0f);
    EXPECT_EQ(QuadAt(t, 72).second, 90.0f);
    EXPECT_EQ(QuadAt(t, 73), std::make_pair(1.0f, 110.0f));
    EXPECT_EQ(t->width, 63 * 10 + 9 * 5 + 2 * 4 + 9 * 10 + 20);

    // A later line closes the same way as the first.
    const std::string longer = text + " " + words('e', 6) + " ., " + std::string(9, 'g');
    cKestruneText* t2 = fonts->CreateText(0, longer.c_str(), 0, 100, 0xFFFFFFFF, kTextWrap);
    EXPECT_EQ(t2->lineCount, 3);
    const int32_t comma = static_cast<int32_t>(longer.rfind(','));
    EXPECT_EQ(QuadAt(t2, comma).second, 110.0f);
    EXPECT_EQ(QuadAt(t2, comma + 1).second, 110.0f);
    EXPECT_EQ(QuadAt(t2, comma + 2), std::make_pair(1.0f, 130.0f));
}

TEST_F(Fonts, AWordWiderThanTheLineBreaksWhereItStopsFitting)
{
    const std::string word(80, 'a');  // 800 pixels
    cKestruneText* t = fonts->CreateText(0, word.c_str(), 0, 100, 0xFFFFFFFF, kTextWrap);
    EXPECT_EQ(t->lineCount, 2);
    EXPECT_EQ(t->width, 800);  // the whole text, not the widest line
    EXPECT_EQ(QuadAt(t, 70).second, 90.0f);  // 71 letters (710 px) fit
    EXPECT_EQ(QuadAt(t, 71), std::make_pair(1.0f, 110.0f));
    EXPECT_EQ(QuadAt(t, 79).first, 81.0f);
}

TEST_F(Fonts, CentringUsesHalfWidthsTruncated)
{
    cKestruneText* odd = fonts->CreateText(0, "a ", 100, 0, 0xFFFFFFFF, kTextCentre);  // width 15
    EXPECT_EQ(QuadAt(odd, 0).first, 100 - 7 + 1);
    cKestruneText* negative = fonts->CreateText(0, "a ", -100, 0, 0xFFFFFFFF, kTextCentre);
    EXPECT_EQ(QuadAt(negative, 0).first, -100 - 7 + 1);

    // Wrapped and centred: each line centres on x without its break character.
    const std::string word(80, 'a');
    cKestruneText* t = fonts->CreateText(0, word.c_str(), 512, 0, 0xFFFFFFFF, kTextWrap | kTextCentre);
    EXPECT_EQ(QuadAt(t, 0).first, 512 - 700 / 2 + 1);
    EXPECT_EQ(QuadAt(t, 71).first, 512 - 90 / 2 + 1);  // the last line has no break character
}

TEST_F(Fonts, DrawTextsByLayerAndRelease)
{
    cKestruneText* a = fonts->CreateText(0, "ab", 0, 0, 0xFFFFFFFF, 0);
    cKestruneText* b = fonts->CreateText(1, "abc", 0, 0, 0x80FFFFFF, 0);
    cKestruneText* c = fonts->CreateText(0, "a", 0, 0, 0xFFFFFFFF, 0);
    c->layer = 1;
    cKestruneText* hidden = fonts->CreateText(0, "abcd", 0, 0, 0xFFFFFFFF, 0);
    hidden->hidden = 1;
    Device().ClearRecord();
    fonts->DrawTexts(0);
    std::vector<DWORD> counts;
    for (const auto& call : Device().Calls()) {
        if (call.name == "DrawPrimitiveUP") {
            counts.push_back(call.args[1]);
            EXPECT_EQ(call.fvf, kTextFvf);
            EXPECT_EQ(call.stride, 28u);
        }
    }
    EXPECT_EQ(counts, (std::vector<DWORD>{4, 6}));
    DWORD op = 0;
    graphics->device->GetTextureStageState(0, D3DTSS_ALPHAOP, &op);
    EXPECT_EQ(op, DWORD(D3DTOP_MODULATE));  // the translucent text came last
    DWORD filter = 0;
    graphics->device->GetTextureStageState(0, D3DTSS_MIPFILTER, &filter);
    EXPECT_EQ(filter, DWORD(D3DTEXF_POINT));

    fonts->ReleaseText(b);
    fonts->ReleaseText(nullptr);
    cKestruneText stranger;
    fonts->ReleaseText(&stranger);
    ASSERT_EQ(fonts->texts.count, 3);
    EXPECT_EQ(fonts->texts.data[0], a);
    EXPECT_EQ(fonts->texts.data[1], c);
    fonts->ReleaseAllTexts();
    EXPECT_EQ(fonts->texts.count, 0);
    Device().ClearRecord();
    fonts->DrawTexts(0);
    EXPECT_TRUE(Device().Calls().empty());
}

TEST_F(RenderWorld, DamagedFontFilesAreRefused)
{
    data.Add("font1", FontBytes(0));
    data.Add("font2", FontBytes(1, 500));  // 500 glyph records claimed
    Start();
    fonts->Load();
    for (const auto& font : fonts->fonts) {
        EXPECT_EQ(font.glyphCount, 0);
        EXPECT_EQ(font.pages[0], nullptr);
    }
    EXPECT_EQ(reports.reports.size(), 2u);

    data = tools::ArchiveBuilder();
    data.Add("font1", FontBytes(5));
    fonts.reset();
    graphics.reset();
    files.reset();
    Start();
    reports.reports.clear();
    fonts->Load();
    EXPECT_EQ(fonts->fonts[0].glyphCount, 0);
    EXPECT_TRUE(reports.Has("File reading failed."));
    // A missing font is reported as the file system reports any missing file.
    ASSERT_EQ(reports.reports.size(), 2u);
    EXPECT_EQ(reports.reports[1].where, "font2");
    EXPECT_EQ(reports.reports[1].text, "File not found.");
    EXPECT_EQ(reports.reports[1].fatal, 0);
    // A missing font leaves it empty and drawing skips it.
    testing::internal::CaptureStdout();
    cKestruneText* t = fonts->CreateText(1, "a", 0, 0, 0xFFFFFFFF, 0);
    testing::internal::GetCapturedStdout();
    EXPECT_EQ(t->quadCount, 0);
    fonts->DrawTexts(0);
}

TEST_F(RenderWorld, FontWriterMakesALoadableFont)
{
    tools::BitmapFontOptions options;
    options.pixelSize = 16;
    std::string error;
    const std::vector<uint8_t> bytes = tools::WriteBitmapFont(options, error);
    ASSERT_FALSE(bytes.empty()) << error;
    data.Add("font1", Bytes(bytes));
    options.pixelSize = 24;
    data.Add("font2", Bytes(tools::WriteBitmapFont(options, error)));
    Start();
    fonts->Load();
    EXPECT_GT(fonts->fonts[0].lineHeight, 10);
    EXPECT_GT(fonts->fonts[1].lineHeight, fonts->fonts[0].lineHeight);
    ASSERT_NE(fonts->FirstPage(0), nullptr);
    testing::internal::CaptureStdout();
    cKestruneText* t = fonts->CreateText(0, "Grüße, Welt!", 0, 0, 0xFFFFFFFF, 0);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "");
    EXPECT_EQ(t->quadCount, 12);
    EXPECT_GT(t->width, 60);

    // Metrics past a signed byte cannot be stored.
    options.pixelSize = 200;
    options.characters.assign(1, u'W');
    EXPECT_TRUE(tools::WriteBitmapFont(options, error).empty());
    EXPECT_EQ(error, "a glyph is larger than 127 pixels");
}

// A font's pages are walked over when the fonts load and read when a text
// of the font is first drawn; a damaged page is still reported at the load.
TEST_F(RenderWorld, FontPagesAreReadWhenATextOfTheFontIsFirstDrawn)
{
    const std::string small = FontBytes(1);
    const size_t pageBytes = kImageHeaderSize + 16 * 16 * 4;
    std::string large = small.substr(0, small.size() - pageBytes);
    large += ImageBytes(Solid(256, 256, 0x80FF2010u), 0, 0, 1, 1);
    data.Add("font1", large);
    data.Add("font2", small.substr(0, small.size() - 100));
    Start();

    const int64_t beforeLoad = BytesRead();
    fonts->Load();
    EXPECT_LT(BytesRead() - beforeLoad, 256 * 256) << "the page's 256 KB wait";
    EXPECT_EQ(fonts->fonts[0].pages[0], nullptr);
    ASSERT_EQ(reports.reports.size(), 1u) << "the cut page of font2";
    EXPECT_EQ(reports.reports[0].text, "File reading failed.");

    testing::internal::CaptureStdout();
    fonts->CreateText(0, "ab", 0, 0, 0xFFFFFFFF, 0);
    fonts->CreateText(1, "ab", 0, 0, 0xFFFFFFFF, 0);
    testing::internal::GetCapturedStdout();
    Device().ClearRecord();
    const int64_t beforeDraw = BytesRead();
    fonts->DrawTexts(0);
    EXPECT_GE(BytesRead() - beforeDraw, 256 * 256 * 4);
    const cKestruneImage* page = fonts->fonts[0].pages[0];
    ASSERT_NE(page, nullptr);
    EXPECT_EQ(page->header.width, 256u);
    D3DLOCKED_RECT locked{};
    ASSERT_EQ(page->FirstTexture()->LockRect(0, &locked, nullptr, D3DLOCK_READONLY), D3D_OK);
    EXPECT_EQ(static_cast<const DWORD*>(locked.pBits)[0], 0x80FF2010u) << "the page's own pixels";
    page->FirstTexture()->UnlockRect(0);
    int draws = 0;
    for (const auto& call : Device().Calls()) draws += call.name == "DrawPrimitiveUP";
    EXPECT_EQ(draws, 1) << "font2 has no page to draw with";

    const int64_t beforeAgain = BytesRead();
    fonts->DrawTexts(0);
    EXPECT_LT(BytesRead() - beforeAgain, 4096) << "read once";
    EXPECT_EQ(fonts->fonts[0].pages[0], page);
    EXPECT_EQ(reports.reports.size(), 1u);
}

}  // namespace
}  // namespace vls::test
