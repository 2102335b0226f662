#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <zlib.h>

#include "skin/graphics/sk_stream_io.h"
#include "platform/vcl/filer.h"
#include "skin/skins/sk_object_stream.h"
#include "skin/skins/sk_skin_filters.h"
#include "tests/skin/skins/skin_fixture.h"
#include "tests/support/temp_dir.h"

using namespace skin;

namespace {

std::vector<std::uint8_t> Bytes(const char* s) { return std::vector<std::uint8_t>(s, s + std::strlen(s)); }

void LoadBytes(TSkSkinSource& source, const TSkSkinFilterClass* cls, const std::vector<std::uint8_t>& bytes)
{
    TSkSkinSource fresh(nullptr);
    vcl::TMemoryStream s;
    if (!bytes.empty())
        s.WriteBuffer(bytes.data(), static_cast<std::int32_t>(bytes.size()));
    s.SetPosition(0);
    std::unique_ptr<TSkSkinFilter> filter(cls->create());
    filter->Source = &fresh;
    filter->LoadFromStream(&s);
    source.SwapContent(fresh);
}

void ExpectSameSkin(TSkSkinSource& a, TSkSkinSource& b, int precision)
{
    EXPECT_EQ(a.SkinName(), b.SkinName());
    EXPECT_EQ(a.AuthorURL(), b.AuthorURL());
    ASSERT_EQ(a.Bitmaps().Count(), b.Bitmaps().Count());
    for (int i = 0; i < a.Bitmaps().Count(); ++i) {
        TSkBitmap* x = a.Bitmaps().GetBitmap(i);
        TSkBitmap* y = b.Bitmaps().GetBitmap(i);
        EXPECT_EQ(x->Name(), y->Name());
        ASSERT_EQ(x->Width(), y->Width());
        ASSERT_EQ(x->Height(), y->Height());
        for (int py = 0; py < x->Height(); ++py)
            for (int px = 0; px < x->Width(); ++px) {
                const TPixel p = x->GetPixel(px, py), q = y->GetPixel(px, py);
                if (IsKeyColor(p)) {
                    EXPECT_EQ(q, KeyColor);
                    continue;
                }
                for (int shift = 0; shift < 24; shift += 8)
                    EXPECT_NEAR(static_cast<int>((p >> shift) & 0xFF), static_cast<int>((q >> shift) & 0xFF), precision);
            }
    }
    ASSERT_EQ(a.GetObjectCount(), b.GetObjectCount());
    for (int i = 0; i < a.GetObjectCount(); ++i) {
        TSkSkinObject* x = a.GetObject(i);
        TSkSkinObject* y = b.GetObject(i);
        EXPECT_EQ(x->ClassName(), y->ClassName());
        EXPECT_EQ(x->Name(), y->Name());
        EXPECT_EQ(x->GetCount(), y->GetCount());
        EXPECT_EQ(x->Color(), y->Color());
        EXPECT_EQ(x->Width(), y->Width());
    }
}

}  // namespace

class SkinFormats : public ::testing::TestWithParam<const char*> {};

TEST_P(SkinFormats, WrittenByTheWriterAndReadBackEqual)
{
    TSkSkinSource original(nullptr);
    test::BuildTestSkin(original);
    const bool sixteen = std::string(GetParam()) == "mskn";
    // The 16-bit format is written from a loaded skin, whose magenta is
    // already the key colour.
    if (sixteen)
        for (int i = 0; i < original.Bitmaps().Count(); ++i)
            original.Bitmaps().GetBitmap(i)->MaskColor(0x00FF00FF);
    const std::vector<std::uint8_t> bytes = vls::tools::WriteSkinStream(original, GetParam());
    const bool compressed = std::string(GetParam()) != "uskn";
    EXPECT_EQ(bytes.size() >= 4 && std::memcmp(bytes.data(), "SKLZ", 4) == 0, compressed);

    TSkSkinSource back(nullptr);
    LoadBytes(back, FindSkinFilter(std::string("x.") + GetParam()), bytes);
    // Magenta pixels of the pictures came back as the key colour.
    EXPECT_EQ(back.Bitmaps().GetBitmap(0)->GetPixel(0, 0), KeyColor);
    EXPECT_EQ(back.Bitmaps().GetBitmap(0)->GetPixel(1, 1), KeyColor);
    TSkSkinSource expected(nullptr);
    test::BuildTestSkin(expected);
    for (int i = 0; i < expected.Bitmaps().Count(); ++i)
        expected.Bitmaps().GetBitmap(i)->MaskColor(0x00FF00FF);
    // Sixteen bits per pixel keep five bits a channel and drop alpha.
    if (sixteen)
        for (int i = 0; i < expected.Bitmaps().Count(); ++i)
            for (int y = 0; y < expected.Bitmaps().GetBitmap(i)->Height(); ++y)
                for (int x = 0; x < expected.Bitmaps().GetBitmap(i)->Width(); ++x) {
                    TPixel* p = expected.Bitmaps().GetBitmap(i)->PixelPtr(x, y);
                    if (!IsKeyColor(*p))
                        *p |= 0xFF000000u;
                }
    ExpectSameSkin(expected, back, sixteen ? 8 : 0);

    TSkSkinObject* form = back.GetFormObject();
    ASSERT_TRUE(form);
    EXPECT_EQ(form->FindObject("title")->ClassName(), "TSkTextObject");
    EXPECT_EQ(static_cast<TSkTextObject*>(form->FindObject("Title"))->FontHot()->Color(), vcl::clRed);
    EXPECT_EQ(form->FindObject("Caption")->Height(), 22);
    EXPECT_EQ(form->FindObject("Caption")->Font()->Charset(), DEFAULT_CHARSET);
    EXPECT_EQ(form->FindObject("Title")->BitmapList, &back.Bitmaps());
}

INSTANTIATE_TEST_SUITE_P(AllFour, SkinFormats, ::testing::Values("uskn", "kskn", "xskn", "mskn"));

TEST(SkinStream, LevelsAndMagic)
{
    TSkSkinSource s(nullptr);
    test::BuildTestSkin(s);
    const auto fast = vls::tools::WriteSkinStream(s, "kskn");
    EXPECT_EQ(fast[4], 0x78);
    EXPECT_EQ(fast[5], 0x01);
    const auto best = vls::tools::WriteSkinStream(s, "xskn");
    EXPECT_EQ(best[5], 0xDA);
    // Any four bytes before good zlib data load.
    auto other = fast;
    std::memcpy(other.data(), "ABCD", 4);
    TSkSkinSource back(nullptr);
    LoadBytes(back, kFilterCompressed, other);
    EXPECT_EQ(back.GetObjectCount(), 2);
}

TEST(SkinStream, EmptySkinIsFiveStringsAndTwoZeroCounts)
{
    TSkSkinSource s(nullptr);
    s.SetSkinName("");
    s.SetSkinVersion("");
    s.SetAuthor("");
    s.SetAuthorEMail("");
    s.SetAuthorURL("");
    const auto bytes = vls::tools::WriteSkinStream(s, "uskn");
    EXPECT_EQ(bytes, std::vector<std::uint8_t>(28, 0));
    TSkSkinSource back(nullptr);
    LoadBytes(back, kFilterUncompressed, bytes);
    EXPECT_EQ(back.GetObjectCount(), 0);
}

TEST(SkinStream, FilterByExtension)
{
    EXPECT_EQ(FindSkinFilter("a\\b.KSKN"), kFilterCompressed);
    EXPECT_EQ(FindSkinFilter("skin.mskn"), kFilterMaxCompression);
    EXPECT_EQ(FindSkinFilter("skin.uskn"), kFilterUncompressed);
    EXPECT_EQ(FindSkinFilter("skin.bmp"), nullptr);
    EXPECT_EQ(FindSkinFilter("skin"), nullptr);
}

TEST(SkinStream, ChildrenInTextFormUnderAnObjectsHeader)
{
    // "Objects" may hold children as class name + text strings: header 1.
    vcl::TMemoryStream objects;
    WriteInt32(&objects, 1);
    WriteStreamString(&objects, "TSkSkinObject");
    WriteStreamString(&objects, "object Face: TSkSkinObject\n  Width = 7\nend\n");
    objects.SetPosition(0);
    TSkSkinObject parent(nullptr);
    parent.ReadObjects(&objects);
    ASSERT_EQ(parent.GetCount(), 1);
    EXPECT_EQ(parent.GetObject(0)->Name(), "Face");
    EXPECT_EQ(parent.GetObject(0)->Width(), 7);

    vcl::TMemoryStream none;
    WriteInt32(&none, 0x000F0000);
    none.SetPosition(0);
    TSkSkinObject empty(nullptr);
    empty.ReadObjects(&none);
    EXPECT_EQ(empty.GetCount(), 0);
}

TEST(SkinStream, FilesChooseTheirFormatAndKeepTheSkinOnUnknownOnes)
{
    vls::test::TempDir dir;
    TSkSkinSource s(nullptr);
    test::BuildTestSkin(s);
    const std::string file = (dir.path() / "look.XSKN").string();
    s.SaveToFile(file);
    TSkSkinSource back(nullptr);
    back.LoadFromFile(file);
    EXPECT_EQ(back.GetObjectCount(), 2);
    // An unknown extension saves as Compressed and loads nothing.
    const std::string other = (dir.path() / "look.skin").string();
    s.SaveToFile(other);
    back.LoadFromFile(other);
    EXPECT_EQ(back.GetObjectCount(), 2);
    back.LoadFromFile((dir.path() / "missing.kskn").string());
    EXPECT_EQ(back.GetObjectCount(), 2);
}

// ------------------------------------------------------- damaged streams

namespace {

std::vector<std::uint8_t> Deflated(const std::vector<std::uint8_t>& body)
{
    uLongf size = compressBound(static_cast<uLong>(body.size()));
    std::vector<std::uint8_t> out(size);
    compress2(out.data(), &size, body.data(), static_cast<uLong>(body.size()), 1);
    out.resize(size);
    std::vector<std::uint8_t> stream = Bytes("SKLZ");
    stream.insert(stream.end(), out.begin(), out.end());
    return stream;
}

std::vector<std::uint8_t> Body(const std::function<void(vcl::TMemoryStream&)>& fill)
{
    vcl::TMemoryStream s;
    for (int i = 0; i < 5; ++i)
        WriteStreamString(&s, "x");
    fill(s);
    return s.Bytes();
}

std::vector<std::uint8_t> NestedObjects(int depth)
{
    // Binary children, each holding the next one in its own "Objects".
    TSkSkinObject root(nullptr);
    root.SetName("R");
    TSkSkinObject* at = &root;
    for (int i = 0; i < depth; ++i) {
        at = new TSkSkinObject(at);
        at->SetName("N");
    }
    return Body([&](vcl::TMemoryStream& s) {
        WriteInt32(&s, 0);
        WriteInt32(&s, 1);
        vcl::TMemoryStream inner;
        inner.WriteComponent(&root);
        WriteStreamString(&s, "TSkSkinObject");
        // The top level is text: write the binary form as text.
        inner.SetPosition(0);
        vcl::TStringStream text("");
        vcl::ObjectBinaryToText(&inner, &text);
        WriteStreamString(&s, text.DataString());
    });
}

}  // namespace

TEST(SkinStream, DamagedStreamsFailCleanlyAndKeepTheOldSkin)
{
    TSkSkinSource good(nullptr);
    test::BuildTestSkin(good);
    const auto valid = vls::tools::WriteSkinStream(good, "kskn");
    const auto plain = vls::tools::WriteSkinStream(good, "uskn");

    struct Case {
        const char* what;
        const TSkSkinFilterClass* filter;
        std::vector<std::uint8_t> bytes;
    };
    std::vector<Case> cases;
    cases.push_back({"empty stream", kFilterCompressed, {}});
    cases.push_back({"magic only", kFilterCompressed, Bytes("SKLZ")});
    cases.push_back({"truncated zlib", kFilterCompressed, {valid.begin(), valid.begin() + static_cast<long>(valid.size() / 2)}});
    auto badZlib = valid;
    for (size_t i = 10; i < badZlib.size(); i += 7)
        badZlib[i] ^= 0x5A;
    cases.push_back({"bad zlib", kFilterCompressed, badZlib});
    cases.push_back({"no zlib at all", kFilterCompressed, Bytes("SKLZ this is not deflate data")});
    for (size_t cut : {size_t{3}, size_t{30}, plain.size() / 2, plain.size() - 1})
        cases.push_back({"truncated body", kFilterUncompressed, {plain.begin(), plain.begin() + static_cast<long>(cut)}});
    cases.push_back({"huge bitmap count", kFilterCompressed,
                     Deflated(Body([](vcl::TMemoryStream& s) { WriteInt32(&s, 0x7FFFFFFF); }))});
    cases.push_back({"negative object count", kFilterCompressed, Deflated(Body([](vcl::TMemoryStream& s) {
                         WriteInt32(&s, 0);
                         WriteInt32(&s, -1);
                     }))});
    cases.push_back({"huge string", kFilterUncompressed, Body([](vcl::TMemoryStream& s) { WriteInt32(&s, 0x7FFFFFF0); })});
    cases.push_back({"huge bitmap", kFilterCompressed, Deflated(Body([](vcl::TMemoryStream& s) {
                         WriteInt32(&s, 1);
                         WriteStreamString(&s, "b");
                         WriteInt32(&s, 60000);
                         WriteInt32(&s, 60000);
                     }))});
    cases.push_back({"unknown class", kFilterCompressed, Deflated(Body([](vcl::TMemoryStream& s) {
                         WriteInt32(&s, 0);
                         WriteInt32(&s, 1);
                         WriteStreamString(&s, "TNoSuchSkinObject");
                         WriteStreamString(&s, "object A: TNoSuchSkinObject\nend\n");
                     }))});
    cases.push_back({"bad component text", kFilterUncompressed, Body([](vcl::TMemoryStream& s) {
                         WriteInt32(&s, 0);
                         WriteInt32(&s, 1);
                         WriteStreamString(&s, "TSkSkinObject");
                         WriteStreamString(&s, "object A: TSkSkinObject\n  Width = 'x\n");
                     })});
    cases.push_back({"deep nesting", kFilterUncompressed, NestedObjects(kMaxSkinNesting + 5)});
    cases.push_back({"mskn bitmap that is no BMP", kFilterMaxCompression, Deflated(Body([](vcl::TMemoryStream& s) {
                         WriteInt32(&s, 1);
                         WriteStreamString(&s, "b");
                         WriteInt32(&s, 4);
                         WriteInt32(&s, 0);
                     }))});

    for (const Case& c : cases) {
        TSkSkinSource source(nullptr);
        test::BuildTestSkin(source);
        EXPECT_THROW(LoadBytes(source, c.filter, c.bytes), vcl::Exception) << c.what;
        EXPECT_EQ(source.GetObjectCount(), 2) << c.what;
        EXPECT_EQ(source.Bitmaps().Count(), 2) << c.what;
        EXPECT_EQ(source.SkinName(), "Test Skin") << c.what;
    }
}

TEST(SkinStream, NestingWithinTheLimitLoads)
{
    TSkSkinSource source(nullptr);
    LoadBytes(source, kFilterUncompressed, NestedObjects(kMaxSkinNesting - 2));
    EXPECT_EQ(source.GetObjectCount(), 1);
}

TEST(SkinStream, DuplicateSiblingNamesFail)
{
    const auto bytes = Body([](vcl::TMemoryStream& s) {
        WriteInt32(&s, 0);
        WriteInt32(&s, 1);
        WriteStreamString(&s, "TSkSkinObject");
        WriteStreamString(&s, "object A: TSkSkinObject\nend\n");
    });
    // Two top-level objects may share a name; two children may not.
    vcl::TMemoryStream objects;
    WriteInt32(&objects, 2);
    for (int i = 0; i < 2; ++i) {
        WriteStreamString(&objects, "TSkSkinObject");
        WriteStreamString(&objects, "object Same: TSkSkinObject\nend\n");
    }
    objects.SetPosition(0);
    TSkSkinObject parent(nullptr);
    EXPECT_THROW(parent.ReadObjects(&objects), vcl::Exception);
    EXPECT_EQ(parent.GetCount(), 1);
    TSkSkinSource ok(nullptr);
    LoadBytes(ok, kFilterUncompressed, bytes);
    EXPECT_EQ(ok.GetObjectCount(), 1);
}
