#include <gtest/gtest.h>

#include <array>

#include "platform/vcl/filer.h"
#include "platform/vcl/graphics.h"
#include "platform/vcl/streams.h"

using namespace vcl;

namespace {

constexpr int kLongestName = 255;

// A component with one integer property for every name length from 1 to 255.
class TNameLengths : public TComponent {
    VCL_DECLARE_CLASS(TNameLengths, TComponent)
public:
    explicit TNameLengths(TComponent* owner) : TComponent(owner) {}
    std::array<int, kLongestName + 1> values{};

private:
    int Unused() const { return 0; }
    void SetUnused(int) {}
};

AnsiString NameOfLength(int n)
{
    AnsiString name;
    for (int i = 0; i < n; ++i)
        name += static_cast<char>((i % 2 ? 'a' : 'A') + i % 26);
    return name;
}

VCL_IMPLEMENT_CLASS(TNameLengths, TComponent, [](auto& b) {
    b.Component();
    for (int n = 1; n <= kLongestName; ++n) {
        const AnsiString name = NameOfLength(n);
        TPropInfo& p = b.Int(name.c_str(), &TNameLengths::Unused, &TNameLengths::SetUnused, 0);
        p.getOrd = [n](const TObject* o) { return static_cast<const TNameLengths*>(o)->values[n]; };
        p.setOrd = [n](TObject* o, std::int64_t v) { static_cast<TNameLengths*>(o)->values[n] = static_cast<int>(v); };
    }
})

void ExpectSameValues(const TNameLengths& a, const TNameLengths& b)
{
    for (int n = 1; n <= kLongestName; ++n)
        EXPECT_EQ(a.values[n], b.values[n]) << "name of " << n << " characters";
}

TEST(StreamNames, EveryNameLengthReadsAndWritesInBothForms)
{
    TNameLengths original(nullptr);
    for (int n = 1; n <= kLongestName; ++n)
        original.values[n] = n * 3 + 1;
    TMemoryStream binary;
    binary.WriteComponent(&original);

    binary.SetPosition(0);
    TNameLengths fromBinary(nullptr);
    binary.ReadComponent(&fromBinary);
    ExpectSameValues(original, fromBinary);

    binary.SetPosition(0);
    TMemoryStream text;
    ObjectBinaryToText(&binary, &text);
    const AnsiString asText(reinterpret_cast<const char*>(text.Memory()), static_cast<size_t>(text.Size()));
    EXPECT_NE(asText.find(NameOfLength(kLongestName) + " = "), AnsiString::npos);
    text.SetPosition(0);
    TMemoryStream back;
    ObjectTextToBinary(&text, &back);
    back.SetPosition(0);
    TNameLengths fromText(nullptr);
    back.ReadComponent(&fromText);
    ExpectSameValues(original, fromText);
}

TEST(StreamNames, NumbersPastSixtyFourBitsAreBadText)
{
    for (const char* text : {"object Form[99999999999999999999]: TNameLengths\r\nend\r\n",
                             "object Form: TNameLengths\r\n  N = 99999999999999999999\r\nend\r\n",
                             "object Form: TNameLengths\r\n  N = -99999999999999999999\r\nend\r\n"}) {
        SCOPED_TRACE(text);
        TStringStream in(text);
        TMemoryStream out;
        EXPECT_THROW(ObjectTextToBinary(&in, &out), EParserError);
    }
    TStringStream fits("object Form: TNameLengths\r\n  N = -9223372036854775808\r\nend\r\n");
    TMemoryStream out;
    EXPECT_NO_THROW(ObjectTextToBinary(&fits, &out));
}

// A font and a colour, as a skin's objects carry them.
class TFontHolder : public TComponent {
    VCL_DECLARE_CLASS(TFontHolder, TComponent)
public:
    explicit TFontHolder(TComponent* owner) : TComponent(owner) {}
    ~TFontHolder() override { delete font_; }
    TFont* Font() const { return font_; }
    void SetFont(TFont* f) { font_->Assign(f); }
    int Color() const { return color_; }
    void SetColor(int c) { color_ = c; }

private:
    TFont* font_ = new TFont();
    int color_ = clBlack;
};

VCL_IMPLEMENT_CLASS(TFontHolder, TComponent, [](auto& b) {
    b.Component();
    b.Object("Font", &TFontHolder::Font, &TFontHolder::SetFont);
    b.Int("Color", &TFontHolder::Color, &TFontHolder::SetColor, clBlack).identMap = ColorIdentMap();
})

AnsiString AsText(TComponent* c)
{
    TMemoryStream binary;
    binary.WriteComponent(c);
    binary.SetPosition(0);
    TMemoryStream text;
    ObjectBinaryToText(&binary, &text);
    return AnsiString(reinterpret_cast<const char*>(text.Memory()), static_cast<size_t>(text.Size()));
}

TEST(StreamForms, FontsAlwaysNameTheirCharsetAndStyle)
{
    TFontHolder holder(nullptr);
    EXPECT_NE(AsText(&holder).find("Font.Charset = DEFAULT_CHARSET"), AnsiString::npos);
    EXPECT_NE(AsText(&holder).find("Font.Style = []"), AnsiString::npos);

    TStringStream in("object H: TFontHolder\r\n  Font.Charset = RUSSIAN_CHARSET\r\n  Font.Style = [fsBold]\r\n"
                     "  Color = clBtnFace\r\nend\r\n");
    TMemoryStream binary;
    ObjectTextToBinary(&in, &binary);
    binary.SetPosition(0);
    TFontHolder read(nullptr);
    binary.ReadComponent(&read);
    EXPECT_EQ(read.Font()->Charset(), RUSSIAN_CHARSET);
    EXPECT_TRUE(read.Font()->Style().Contains(fsBold));
    EXPECT_EQ(static_cast<std::uint32_t>(read.Color()), 0xFF00000Fu);
}

TEST(StreamForms, SystemColoursOfBothFormsAreTheSameColour)
{
    const TColor older = static_cast<TColor>(0x8000000Fu);
    EXPECT_EQ(static_cast<std::uint32_t>(clBtnFace), 0xFF00000Fu);
    EXPECT_EQ(ColorToRGB(older), ColorToRGB(clBtnFace));
    AnsiString ident;
    ASSERT_TRUE(ColorToIdent(older, ident));
    EXPECT_EQ(ident, "clBtnFace");
    EXPECT_EQ(ColorToRGB(static_cast<TColor>(RGB(1, 2, 3))), RGB(1, 2, 3));
}

}  // namespace
