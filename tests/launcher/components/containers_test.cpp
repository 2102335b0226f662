#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "launcher/components/kit_container.h"
#include "launcher/components/kit_image_list.h"
#include "launcher/components/kit_lzrw.h"
#include "launcher/components/kit_records.h"
#include "launcher/components/kit_wave.h"
#include "platform/vcl/streams.h"
#include "platform/win32/kernel/paths.h"
#include "platform/win32/winmm/mmsystem.h"
#include "tests/support/temp_dir.h"

using namespace kit;
using Bytes = std::vector<std::uint8_t>;

namespace {

Bytes FromString(const std::string& s) { return Bytes(s.begin(), s.end()); }

Bytes StreamBytes(const std::function<void(vcl::TStream*)>& write)
{
    vcl::TMemoryStream stream;
    write(&stream);
    return stream.Bytes();
}

vcl::TMemoryStream* StreamOf(const Bytes& bytes)
{
    auto* stream = new vcl::TMemoryStream();
    if (!bytes.empty())
        stream->WriteBuffer(bytes.data(), static_cast<std::int32_t>(bytes.size()));
    stream->SetPosition(0);
    return stream;
}

Bytes Wave(int channels = 2, std::uint32_t rate = 22050)
{
    Bytes w = FromString(std::string("RIFF\x24\0\0\0WAVEfmt \x10\0\0\0", 20));
    const std::uint8_t fmt[16] = {1, 0, static_cast<std::uint8_t>(channels), 0, static_cast<std::uint8_t>(rate),
                                  static_cast<std::uint8_t>(rate >> 8), 0, 0, 0, 0, 0, 0, 4, 0, 16, 0};
    w.insert(w.end(), fmt, fmt + 16);
    const Bytes data = FromString(std::string("data\x04\0\0\0\x01\x02\x03\x04", 12));
    w.insert(w.end(), data.begin(), data.end());
    return w;
}

TEST(LzrwTest, BlocksRoundTrip)
{
    std::mt19937 random(7);
    Bytes noise(5000);
    for (auto& b : noise)
        b = static_cast<std::uint8_t>(random());
    std::string text;
    for (int i = 0; i < 400; ++i)
        text += "the launcher reads its text table; ";
    const struct {
        const char* name;
        Bytes data;
        bool stored;
    } cases[] = {
        {"one byte", {42}, true},
        {"noise", noise, true},
        {"text", FromString(text.substr(0, 10000)), false},
        {"long run", Bytes(4095 + 300, 0xAB), false},
        {"short runs", FromString(std::string(15, 'x') + std::string(16, 'y') + "z"), false},
        {"run at the end", FromString("abc" + std::string(40, '.')), false},
    };
    for (const auto& c : cases) {
        const Bytes block = CompressBlock(c.data);
        EXPECT_EQ(block[0], c.stored ? kLzrwStored : kLzrwCompressed) << c.name;
        EXPECT_LE(block.size(), c.data.size() + 1) << c.name;
        EXPECT_EQ(DecompressBlock(block), c.data) << c.name;
    }
    // A run of 24: one item, its control bit at the top, count 24 - 16.
    EXPECT_EQ(CompressBlock(Bytes(24, 'a')), (Bytes{64, 0x80, 0x00, 0, 0, 8, 'a'}));
}

TEST(LzrwTest, BlockStreamsCutIntoPieces)
{
    Bytes data(kLzrwBlockSize * 2 + 100);
    for (std::size_t i = 0; i < data.size(); ++i)
        data[i] = static_cast<std::uint8_t>((i * 7) % 251 ^ (i >> 9));
    const Bytes written = StreamBytes([&](vcl::TStream* s) { WriteBlockStream(s, data); });
    std::unique_ptr<vcl::TMemoryStream> stream(StreamOf(written));
    EXPECT_EQ(ReadBlockStream(stream.get()), data);
    EXPECT_EQ(stream->Position(), stream->Size());
    const std::uint32_t total = written[0] | (written[1] << 8) | (written[2] << 16) | (written[3] << 24);
    EXPECT_EQ(total, written.size() - 4);
}

void PutU32(Bytes& b, std::uint32_t v)
{
    for (int i = 0; i < 4; ++i)
        b.push_back(static_cast<std::uint8_t>(v >> (8 * i)));
}

// A stored block one byte longer than a whole piece.
Bytes OversizedStoredBlock()
{
    const auto n = static_cast<std::uint32_t>(kLzrwBlockSize + 2);
    Bytes b;
    PutU32(b, n + 4);
    PutU32(b, n);
    b.push_back(kLzrwStored);
    b.resize(8 + n, 'z');
    return b;
}

TEST(LzrwTest, DamagedBlocksAreRefused)
{
    const Bytes good = StreamBytes([](vcl::TStream* s) { WriteBlockStream(s, FromString(std::string(100, 'q') + "tail")); });
    const struct {
        const char* name;
        Bytes bytes;
    } cases[] = {
        {"empty", {}},
        {"total past the end", {0xFF, 0, 0, 0, 1, 0, 0, 0, 128}},
        {"block longer than the total", {5, 0, 0, 0, 9, 0, 0, 0, 128}},
        {"zero-length block", {4, 0, 0, 0, 0, 0, 0, 0}},
        {"unknown flag", {5, 0, 0, 0, 1, 0, 0, 0, 7}},
        {"copy before the start", {8, 0, 0, 0, 4, 0, 0, 0, 64, 0x80, 0x00, 0x10}},
        {"copy cut short", {7, 0, 0, 0, 3, 0, 0, 0, 64, 0x80, 0x00}},
        {"run cut short", {9, 0, 0, 0, 5, 0, 0, 0, 64, 0x80, 0x00, 0x00, 0x00}},
        {"copy past the output", {10, 0, 0, 0, 6, 0, 0, 0, 64, 0x40, 0x00, 'a', 0x00, 0x20}},
        {"stored block too long", OversizedStoredBlock()},
        {"short block before another", {12, 0, 0, 0, 2, 0, 0, 0, 128, 'a', 2, 0, 0, 0, 128, 'b'}},
        {"truncated stream", Bytes(good.begin(), good.end() - 1)},
    };
    for (const auto& c : cases) {
        std::unique_ptr<vcl::TMemoryStream> stream(StreamOf(c.bytes));
        EXPECT_THROW(ReadBlockStream(stream.get()), vcl::EReadError) << c.name;
    }
}

TEST(ContainerTest, StringAndWaveListsRoundTripThroughFiles)
{
    vls::test::ScopedConfig config;
    vls::test::TempDir dir;
    TKitStringList strings(nullptr);
    auto* a = static_cast<TKitStringListItem*>(strings.Add());
    a->Items()->Add("first");
    a->Items()->Add("second");
    a->SetIdent(7);
    a->SetDescription("greeting");
    strings.SetDefaultCompressed(true);
    auto* b = static_cast<TKitStringListItem*>(strings.Add());
    for (int i = 0; i < 200; ++i)
        b->Items()->Add("line " + std::to_string(i % 10));
    b->SetIdent(9);
    strings.Add();  // an empty item: no data

    const AnsiString file = vls::win32::ToWindowsPath((dir / "texts.txt").string());
    strings.SaveToFile(file);
    TKitStringList loaded(nullptr);
    loaded.LoadFromFile(file);
    ASSERT_EQ(loaded.Count(), 3);
    EXPECT_EQ(loaded.StringItem(0)->Items()->GetTextStr(), "first\r\nsecond\r\n");
    EXPECT_EQ(loaded.StringItem(0)->Description(), "greeting");
    EXPECT_FALSE(loaded.StringItem(0)->Compressed());
    EXPECT_TRUE(loaded.StringItem(1)->Compressed());
    EXPECT_EQ(loaded.StringItem(1)->Items()->Count(), 200);
    EXPECT_EQ(loaded.FindByIdent(9), loaded.Items(1));
    EXPECT_EQ(loaded.StringItem(2)->Items()->Count(), 0);

    TKitWaveList waves(nullptr);
    static_cast<TKitWaveListItem*>(waves.Add())->Wave()->SetData(Wave());
    vcl::TMemoryStream stream;
    waves.SaveToStream(&stream);
    stream.SetPosition(0);
    TKitWaveList again(nullptr);
    again.LoadFromStream(&stream);
    ASSERT_EQ(again.Count(), 1);
    EXPECT_EQ(again.WaveItem(0)->Wave()->Data(), Wave());
    EXPECT_EQ(again.WaveItem(0)->Wave()->SampleRate(), 22050u);

    // A file of another kind names itself in the error.
    try {
        again.LoadFromFile(file);
        FAIL();
    } catch (const vcl::EFOpenError& e) {
        EXPECT_EQ(e.Message, "Datei %s kann nicht geöffnet werden: " + file);
    }
    EXPECT_EQ(again.Count(), 1);
}

TEST(ContainerTest, DamagedContainersAreRefused)
{
    TKitStringList list(nullptr);
    static_cast<TKitStringListItem*>(list.Add())->Items()->Add("kept");
    const Bytes good = StreamBytes([](vcl::TStream* s) {
        TKitItemRecord r;
        r.ident = 1;
        r.data = FromString("abc");
        WriteContainerFile(s, TKitContainerKind::StringList, {r});
    });
    auto patched = [&](std::size_t at, std::uint32_t value) {
        Bytes b = good;
        for (int i = 0; i < 4; ++i)
            b.at(at + i) = static_cast<std::uint8_t>(value >> (8 * i));
        return b;
    };
    // Layout: 9 signature, 4 count, 4 offset, then flags, ident, length, data.
    const struct {
        const char* name;
        Bytes bytes;
    } cases[] = {
        {"count past the end", patched(9, 1000)},
        {"count near the limit", patched(9, 0xFFFFFFFF)},
        {"offset past the end", patched(13, 5000)},
        {"offset into the table", patched(13, 10)},
        {"data length past the end", patched(22, 4)},
        {"huge data length", patched(22, 0x7FFFFFFF)},
        {"cut inside the record", Bytes(good.begin(), good.end() - 2)},
        {"cut inside the table", Bytes(good.begin(), good.begin() + 15)},
    };
    for (const auto& c : cases) {
        std::unique_ptr<vcl::TMemoryStream> stream(StreamOf(c.bytes));
        EXPECT_THROW(ReadContainerFile(stream.get(), TKitContainerKind::StringList, "x"), vcl::EReadError) << c.name;
    }
    std::unique_ptr<vcl::TMemoryStream> stream(StreamOf(good));
    EXPECT_EQ(ReadContainerFile(stream.get(), TKitContainerKind::StringList, "x").at(0).data, FromString("abc"));
    std::unique_ptr<vcl::TMemoryStream> damaged(StreamOf(patched(9, 3)));
    EXPECT_THROW(list.LoadFromStream(damaged.get()), vcl::EReadError);
    EXPECT_EQ(list.StringItem(0)->Items()->Get(0), "kept");
}

TEST(ContainerTest, ImageStripRecordsKeepTheirHeader)
{
    TKitItemRecord r;
    r.flags = kRec8Bit;
    r.description = std::string(300, 'd');
    r.strip = TKitStripHeader{24, 32, 8, true};
    r.data = Bytes{1, 0, 0, 0};
    const Bytes bytes = StreamBytes([&](vcl::TStream* s) { WriteItemRecord(s, r); });
    EXPECT_EQ(bytes[0], kRec8Bit | kRecDescription | kRecData);
    std::unique_ptr<vcl::TMemoryStream> stream(StreamOf(bytes));
    const TKitItemRecord back = ReadItemRecord(stream.get(), true);
    EXPECT_EQ(back.description->size(), 255u);
    EXPECT_EQ(back.strip->width, 32);
    EXPECT_TRUE(back.strip->masked);
    EXPECT_EQ(back.flags, kRec8Bit);
    EXPECT_EQ(back.data, r.data);
}

TEST(KitWaveTest, ChecksHeadersAndKeepsTheOldWave)
{
    TKitWave wave;
    wave.SetData(Wave(1, 11025));
    EXPECT_TRUE(wave.IsPCM());
    EXPECT_EQ(wave.Channels(), 1);
    EXPECT_EQ(wave.SampleRate(), 11025u);
    EXPECT_THROW(wave.SetData(FromString(std::string("RIFX\0\0\0\0WAVEfmt ", 16))), EInvalidWave);
    EXPECT_THROW(wave.SetData(FromString("RIFF")), EErrorCheckingWave);
    Bytes noFmt = FromString(std::string("RIFF\0\0\0\0WAVEdata\xFF\0\0\0", 20));
    EXPECT_THROW(wave.SetData(noFmt), EErrorCheckingWave);
    EXPECT_EQ(wave.Data(), Wave(1, 11025));
    wave.SetData(Wave(6, 8000));
    EXPECT_EQ(wave.Channels(), 0);
}

TEST(KitWaveTest, ReplacingOrFreeingTheDataStopsItsSound)
{
    auto play = [](TKitWave& w) {
        sndPlaySoundA(reinterpret_cast<LPCSTR>(w.Data().data()), SND_MEMORY | SND_ASYNC);
        return vls::winmm::CurrentSound() != nullptr;
    };
    auto wave = std::make_unique<TKitWave>();
    wave->SetData(Wave(1, 11025));
    ASSERT_TRUE(play(*wave));
    EXPECT_THROW(wave->SetData(FromString("RIFF")), EErrorCheckingWave);
    EXPECT_NE(vls::winmm::CurrentSound(), nullptr);  // a refused wave changes nothing
    wave->SetData(Wave(2, 22050));
    EXPECT_EQ(vls::winmm::CurrentSound(), nullptr);
    ASSERT_TRUE(play(*wave));
    wave->Clear();
    EXPECT_EQ(vls::winmm::CurrentSound(), nullptr);
    wave->SetData(Wave(1, 8000));
    ASSERT_TRUE(play(*wave));
    wave.reset();
    EXPECT_EQ(vls::winmm::CurrentSound(), nullptr);
}

}  // namespace

namespace {

TEST(ContainerTest, BitmapItemsKeepPixelsAndSaveFormat)
{
    TKitBitmapList list(nullptr);
    auto* item = static_cast<TKitBitmapListItem*>(list.Add());
    item->Bitmap()->SetSize(3, 2);
    item->Bitmap()->Canvas()->SetPixel(1, 1, 0x00FF00);
    item->SetSavePixelFormat(spf4bit);
    item->SetCompressed(true);
    vcl::TMemoryStream stream;
    list.SaveToStream(&stream);
    stream.SetPosition(0);
    TKitBitmapList loaded(nullptr);
    loaded.LoadFromStream(&stream);
    ASSERT_EQ(loaded.Count(), 1);
    EXPECT_EQ(loaded.BitmapItem(0)->SavePixelFormat(), spf4bit);
    EXPECT_EQ(loaded.BitmapItem(0)->Bitmap()->Width(), 3);
    EXPECT_EQ(loaded.BitmapItem(0)->Bitmap()->Canvas()->Pixels(1, 1), static_cast<vcl::TColor>(0x00FF00));
}

}  // namespace


namespace {

vcl::TBitmap* Filled(int w, int h, std::uint32_t pixel)
{
    auto* b = new vcl::TBitmap();
    b->SetSize(w, h);
    std::fill(b->Pixels(), b->Pixels() + w * h, pixel);
    return b;
}

TEST(ImageListTest, StripsCheckSizesAndRoundTrip)
{
    TKitImageList list(nullptr);
    auto* item = static_cast<TKitImageListItem*>(list.Add());
    item->SetWidth(4);
    item->SetHeight(2);
    item->SetMasked(true);
    std::unique_ptr<vcl::TBitmap> red(Filled(4, 2, 0xFFFF0000)), blue(Filled(4, 2, 0xFF0000FF)),
        mask(Filled(4, 2, 0xFF000000)), wrong(Filled(5, 2, 0));
    EXPECT_EQ(item->Add(red.get(), mask.get()), 0);
    EXPECT_EQ(item->Add(blue.get(), mask.get()), 1);
    try {
        item->Add(wrong.get(), mask.get());
        FAIL();
    } catch (const vcl::EInvalidOperation& e) {
        EXPECT_EQ(e.Message, "Ungültige Bildgröße");
    }
    EXPECT_THROW(item->Add(red.get(), nullptr), vcl::EInvalidOperation);

    vcl::TMemoryStream stream;
    list.SaveToStream(&stream);
    stream.SetPosition(0);
    TKitImageList loaded(nullptr);
    loaded.LoadFromStream(&stream);
    TKitImageListItem* back = loaded.ImageItem(0);
    EXPECT_EQ(back->Count(), 2);
    EXPECT_TRUE(back->Masked());
    EXPECT_EQ(back->Strip()->Width(), 8);
    EXPECT_EQ(back->Strip()->Pixels()[5] & 0xFFFFFF, 0x0000FFu);
    EXPECT_EQ(back->MaskStrip()->Width(), 8);

    // 32768 / 4096 images fill a strip; one more is refused.
    auto* wide = static_cast<TKitImageListItem*>(list.Add());
    wide->SetWidth(4096);
    wide->SetHeight(1);
    std::unique_ptr<vcl::TBitmap> slice(Filled(4096, 1, 0));
    for (int i = 0; i < 8; ++i)
        wide->Add(slice.get(), nullptr);
    try {
        wide->Add(slice.get(), nullptr);
        FAIL();
    } catch (const vcl::EInvalidOperation& e) {
        EXPECT_EQ(e.Message, "Zu viele Bilder");
    }
}

}  // namespace
