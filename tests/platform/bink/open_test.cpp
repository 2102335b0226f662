#include "tests/platform/bink/clip_fixture.h"
#include "tests/support/temp_dir.h"

#include "platform/bink/bink_player.h"
#include "platform/win32/kernel/files.h"
#include "platform/win32/kernel/handles.h"

#include <algorithm>
#include <cstdlib>
#include <string>

namespace vls::test {
namespace {

using Pixels = tools::VideoClipOptions::Pixels;

TEST(BinkOpen, MemoryClipReportsItsHeader)
{
    tools::VideoClipOptions options;
    options.width = 48;
    options.height = 20;
    options.frames = 7;
    const auto clip = MakeClip(options);
    HBINK bink = OpenClip(clip);
    ASSERT_NE(bink, nullptr) << BinkGetError();
    EXPECT_EQ(bink->Width, 48u);
    EXPECT_EQ(bink->Height, 20u);
    EXPECT_EQ(bink->Frames, 7u);
    EXPECT_EQ(bink->FrameNum, 1u);
    EXPECT_EQ(bink->LastFrameNum, 0u);
    EXPECT_EQ(bink->FrameRate, 25u);
    EXPECT_EQ(bink->FrameRateDiv, 1u);
    EXPECT_EQ(bink->NumTracks, 0u);
    EXPECT_EQ(bink->Paused, 0u);
    EXPECT_STREQ(BinkGetError(), "");
    BinkClose(bink);
}

struct AlphaCase {
    const char* name;
    Pixels pixels;
    U32 flags;
    U32 hasAlpha;
    bool exact; // lossless RGB: every byte is known
};

class BinkAlpha : public ::testing::TestWithParam<AlphaCase> {};

TEST_P(BinkAlpha, KnownFrameCopiesWithOrWithoutAlpha)
{
    const AlphaCase& param = GetParam();
    tools::VideoClipOptions options;
    options.width = 40;
    options.height = 24;
    options.frames = 4;
    options.pixels = param.pixels;
    const auto clip = MakeClip(options);
    HBINK bink = OpenClip(clip, param.flags);
    ASSERT_NE(bink, nullptr) << BinkGetError();
    EXPECT_EQ(bink->HasAlpha, param.hasAlpha);
    BinkGoto(bink, 3, 0);
    BinkDoFrame(bink);
    EXPECT_EQ(bink->LastFrameNum, 3u);
    const auto pixels = CopyFrame(bink);
    for (const auto& [x, y] : {std::pair{0, 0}, {39, 0}, {17, 9}, {39, 23}}) {
        const std::uint32_t want = tools::PatternPixel(2, x, y);
        const std::uint32_t got = pixels[std::size_t(y) * 40 + x];
        const std::uint32_t wantAlpha = param.hasAlpha ? want >> 24 : 0xFF;
        EXPECT_EQ(got >> 24, wantAlpha) << x << "," << y;
        if (param.exact) {
            EXPECT_EQ(got & 0xFFFFFF, want & 0xFFFFFF) << x << "," << y;
        } else {
            for (int shift : {0, 8, 16})
                EXPECT_NEAR(int(got >> shift & 0xFF), int(want >> shift & 0xFF), 12) << x << "," << y;
        }
    }
    BinkClose(bink);
}

INSTANTIATE_TEST_SUITE_P(Formats, BinkAlpha,
    ::testing::Values(AlphaCase{"rgb_alpha", Pixels::Bgra, BINKALPHA, 1, true},
        AlphaCase{"rgb_opaque", Pixels::Bgr, BINKALPHA, 0, true},
        AlphaCase{"alpha_not_asked", Pixels::Bgra, 0, 0, true},
        AlphaCase{"yuv_alpha", Pixels::Yuva420, BINKALPHA, 1, false},
        AlphaCase{"yuv_opaque", Pixels::Yuv420, BINKALPHA, 0, false}),
    [](const auto& info) { return std::string(info.param.name); });

// An archive-like file: other bytes before the clip and another clip after
// it, so a read past the entry would be seen as extra frames.
struct ArchiveFile {
    std::filesystem::path path;
    std::uint32_t offset = 0;
};

ArchiveFile WriteArchive(const TempDir& dir, const std::vector<std::uint8_t>& clip, std::size_t keep)
{
    std::string bytes(1000, '\x5A');
    bytes.append(reinterpret_cast<const char*>(clip.data()), keep);
    bytes.append(reinterpret_cast<const char*>(clip.data()), clip.size());
    return {dir.write("data.001", bytes), 1000};
}

HANDLE OpenAt(const ArchiveFile& file)
{
    const HANDLE handle = CreateFileA(file.path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0,
        nullptr);
    EXPECT_NE(handle, INVALID_HANDLE_VALUE);
    SetFilePointer(handle, static_cast<LONG>(file.offset), nullptr, FILE_BEGIN);
    return handle;
}

class BinkHandleOpen : public ::testing::TestWithParam<U32> {};

TEST_P(BinkHandleOpen, PlaysTheEntryAndNothingAfterIt)
{
    TempDir dir;
    tools::VideoClipOptions options;
    options.frames = 6;
    options.keyInterval = 3;
    const auto clip = MakeClip(options);
    const ArchiveFile file = WriteArchive(dir, clip, clip.size());
    const HANDLE handle = OpenAt(file);
    HBINK bink = BinkOpen(static_cast<const char*>(handle), BINKFILEHANDLE | BINKALPHA | GetParam());
    ASSERT_NE(bink, nullptr) << BinkGetError();
    // A preloaded stream no longer needs the handle.
    if (GetParam() & BINKPRELOADALL)
        CloseHandle(handle);
    EXPECT_EQ(bink->Frames, 6u);
    for (U32 frame = 1; frame <= 6; ++frame) {
        BinkDoFrame(bink);
        const auto pixels = CopyFrame(bink);
        EXPECT_EQ(pixels[10 * 64 + 20], tools::PatternPixel(int(frame) - 1, 20, 10)) << frame;
        BinkNextFrame(bink);
    }
    EXPECT_EQ(bink->FrameNum, 1u) << "past the last frame it starts again";
    BinkGoto(bink, 5, 0);
    BinkDoFrame(bink);
    EXPECT_EQ(CopyFrame(bink)[0], tools::PatternPixel(4, 0, 0));
    BinkClose(bink);
    if (!(GetParam() & BINKPRELOADALL))
        CloseHandle(handle);
}

INSTANTIATE_TEST_SUITE_P(StreamedAndPreloaded, BinkHandleOpen,
    ::testing::Values(BINKFRAMERATE, BINKFRAMERATE | BINKPRELOADALL));

// The Matroska segment's size made "unknown", so the clip no longer says
// where it ends and only its entry's bounds can stop a read.
void ForgetDeclaredLength(std::vector<std::uint8_t>& clip)
{
    static constexpr std::uint8_t kSegment[] = {0x18, 0x53, 0x80, 0x67};
    const auto at = std::search(clip.begin(), clip.end(), kSegment, kSegment + 4) + 4;
    ASSERT_LT(at, clip.end());
    int length = 1;
    while (!(*at & (0x80 >> (length - 1))))
        ++length;
    *at = static_cast<std::uint8_t>(0xFF >> (length - 1));
    std::fill(at + 1, at + length, 0xFF);
    ASSERT_EQ(vls::bink::DeclaredStreamLength(clip), -1);
}

struct LargeArchiveCase {
    const char* name;
    bool declaresLength;
    U32 flags;
};

class BinkLargeArchive : public ::testing::TestWithParam<LargeArchiveCase> {};

// A small clip before many megabytes of other entries: opening it reads
// its own bytes only, and a preloaded clip keeps exactly them.
TEST_P(BinkLargeArchive, ReadsAndKeepsOnlyTheEntry)
{
    const LargeArchiveCase& param = GetParam();
    TempDir dir;
    tools::VideoClipOptions options;
    options.frames = 4;
    auto clip = MakeClip(options);
    if (!param.declaresLength)
        ForgetDeclaredLength(clip);
    std::string bytes(1000, '\x5A');
    bytes.append(clip.begin(), clip.end());
    bytes.append(std::size_t(16) << 20, '\x33');
    const ArchiveFile file{dir.write("data.001", bytes), 1000};
    const HANDLE handle = OpenAt(file);
    HBINK bink = vls::bink::BinkOpenHandle(handle, std::int64_t(clip.size()), BINKALPHA | param.flags);
    ASSERT_NE(bink, nullptr) << BinkGetError();
    const auto& stream = bink->player->stream();
    EXPECT_EQ(stream.size(), std::int64_t(clip.size()));
    // The head is read once more than the rest, to learn the declared length.
    const std::int64_t entryAndHead = std::int64_t(clip.size()) + vls::bink::StreamBytes::kHeadSize;
    if (param.flags & BINKPRELOADALL) {
        CloseHandle(handle);
        EXPECT_LE(stream.bytesRead(), entryAndHead);
        EXPECT_EQ(stream.bytesHeld(), clip.size());
    } else {
        EXPECT_EQ(stream.bytesHeld(), 0u);
    }
    EXPECT_EQ(bink->Frames, 4u);
    for (U32 frame = 1; frame <= 4; ++frame) {
        BinkDoFrame(bink);
        EXPECT_EQ(CopyFrame(bink)[3 * 64 + 9], tools::PatternPixel(int(frame) - 1, 9, 3)) << frame;
        BinkNextFrame(bink);
    }
    // Playing may read parts again, never what lies past the entry.
    EXPECT_LE(stream.bytesRead(), 3 * std::int64_t(clip.size()));
    BinkClose(bink);
    if (!(param.flags & BINKPRELOADALL))
        CloseHandle(handle);
}

INSTANTIATE_TEST_SUITE_P(Entries, BinkLargeArchive,
    ::testing::Values(LargeArchiveCase{"preloaded", true, BINKPRELOADALL},
        LargeArchiveCase{"streamed", true, 0},
        LargeArchiveCase{"preloaded_length_unknown", false, BINKPRELOADALL},
        LargeArchiveCase{"streamed_length_unknown", false, 0}),
    [](const auto& info) { return std::string(info.param.name); });

// Without an entry length, a stream that declares its own is still read no
// further than that before it is preloaded.
TEST(BinkOpen, PreloadByHandleStopsAtTheDeclaredLength)
{
    TempDir dir;
    tools::VideoClipOptions options;
    options.frames = 3;
    const auto clip = MakeClip(options);
    std::string bytes(1000, '\x5A');
    bytes.append(clip.begin(), clip.end());
    bytes.append(std::size_t(8) << 20, '\x33');
    const ArchiveFile file{dir.write("data.001", bytes), 1000};
    const HANDLE handle = OpenAt(file);
    HBINK bink = BinkOpen(static_cast<const char*>(handle), BINKFILEHANDLE | BINKPRELOADALL);
    CloseHandle(handle);
    ASSERT_NE(bink, nullptr) << BinkGetError();
    EXPECT_LE(bink->player->stream().bytesRead(), std::int64_t(clip.size()) + vls::bink::StreamBytes::kHeadSize);
    EXPECT_EQ(bink->player->stream().bytesHeld(), clip.size());
    EXPECT_EQ(bink->Frames, 3u);
    BinkClose(bink);
}

TEST(BinkOpen, ByFileName)
{
    TempDir dir;
    tools::VideoClipOptions options;
    options.frames = 3;
    const auto clip = MakeClip(options);
    const auto path = dir.write("intro.mkv", std::string(clip.begin(), clip.end()));
    HBINK bink = BinkOpen(path.c_str(), 0);
    ASSERT_NE(bink, nullptr) << BinkGetError();
    EXPECT_EQ(bink->Frames, 3u);
    BinkClose(bink);
    EXPECT_EQ(BinkOpen((dir / "missing.mkv").c_str(), 0), nullptr);
    EXPECT_STRNE(BinkGetError(), "");
}

TEST(BinkOpen, FrameRateOverrideOnlyWhenAsked)
{
    tools::VideoClipOptions options;
    options.frames = 2;
    const auto clip = MakeClip(options);
    BinkSetFrameRate(15, 1);
    HBINK overridden = OpenClip(clip, BINKFRAMERATE);
    HBINK own = OpenClip(clip, 0);
    BinkSetFrameRate(0, 1);
    HBINK zeroRate = OpenClip(clip, BINKFRAMERATE);
    ASSERT_TRUE(overridden && own && zeroRate);
    EXPECT_EQ(overridden->FrameRate, 15u);
    EXPECT_EQ(own->FrameRate, 25u);
    EXPECT_EQ(zeroRate->FrameRate, 25u) << "a rate of 0 keeps the stream's own";
    for (HBINK bink : {overridden, own, zeroRate})
        BinkClose(bink);
}

TEST(BinkOpen, EntryEndingBeforeItsDataFailsWithoutReadingOn)
{
    TempDir dir;
    tools::VideoClipOptions options;
    options.frames = 5;
    const auto clip = MakeClip(options);
    // The entry is cut in the middle; the next entry follows at once.
    const ArchiveFile cut = WriteArchive(dir, clip, clip.size() / 2);
    const HANDLE handle = OpenAt(cut);
    HBINK bink = BinkOpen(static_cast<const char*>(handle), BINKFILEHANDLE | BINKALPHA);
    if (bink) {
        // Whatever it made of the bytes, it never shows the neighbour's frames
        // as its own.
        EXPECT_LT(bink->Frames, 5u);
        BinkClose(bink);
    }
    EXPECT_STRNE(BinkGetError(), "");
    CloseHandle(handle);

    // At the end of a file the cut is seen for certain.
    const auto path = dir.write("short.mkv", std::string(clip.begin(), clip.begin() + clip.size() / 2));
    EXPECT_EQ(BinkOpen(path.c_str(), 0), nullptr);
    EXPECT_NE(std::string(BinkGetError()).find("truncated"), std::string::npos) << BinkGetError();
}

TEST(BinkOpen, BadHandlesAndEmptyInputFail)
{
    EXPECT_EQ(BinkOpen(static_cast<const char*>(INVALID_HANDLE_VALUE), BINKFILEHANDLE), nullptr);
    EXPECT_STRNE(BinkGetError(), "");
    EXPECT_EQ(BinkOpen(nullptr, BINKFILEHANDLE), nullptr);
    EXPECT_EQ(BinkOpen(nullptr, 0), nullptr);
    EXPECT_EQ(vls::bink::BinkOpenMemory(nullptr, 0, 0), nullptr);
    EXPECT_STRNE(BinkGetError(), "");

    // A stream whose header declares more bytes than it holds.
    const std::uint8_t declaresMore[16] = {'B', 'I', 'K', 'i', 0xE8, 0x03, 0, 0, 12, 0, 0, 0};
    EXPECT_EQ(vls::bink::BinkOpenMemory(declaresMore, sizeof declaresMore, 0), nullptr);
    EXPECT_NE(std::string(BinkGetError()).find("truncated"), std::string::npos) << BinkGetError();

    // A handle already at the end of its file has no stream to give.
    TempDir dir;
    const auto path = dir.write("empty.001", "0123456789");
    const HANDLE handle = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    SetFilePointer(handle, 10, nullptr, FILE_BEGIN);
    EXPECT_EQ(BinkOpen(static_cast<const char*>(handle), BINKFILEHANDLE), nullptr);
    EXPECT_STRNE(BinkGetError(), "");
    CloseHandle(handle);
}

struct DamageCase {
    const char* name;
    std::function<void(std::vector<std::uint8_t>&)> damage;
};

class BinkDamage : public ::testing::TestWithParam<DamageCase> {};

// Damaged streams either fail to open with a reason, or open and play to
// their end, frame by frame, without crashing or reading out of bounds.
TEST_P(BinkDamage, FailsOrPlaysToTheEnd)
{
    tools::VideoClipOptions options;
    options.frames = 8;
    options.keyInterval = 4;
    options.audioRate = 8000;
    auto clip = MakeClip(options);
    GetParam().damage(clip);
    HBINK bink = OpenClip(clip);
    if (!bink) {
        EXPECT_STRNE(BinkGetError(), "");
        return;
    }
    EXPECT_LE(bink->Frames, 8u);
    for (U32 i = 0; i < bink->Frames + 2; ++i) {
        BinkDoFrame(bink);
        std::vector<std::uint32_t> pixels(std::size_t(bink->Width) * bink->Height);
        BinkCopyToBuffer(bink, pixels.data(), static_cast<S32>(bink->Width * 4), bink->Height, 0, 0, BINKSURFACE32);
        BinkNextFrame(bink);
    }
    BinkGoto(bink, bink->Frames / 2 + 1, 0);
    BinkDoFrame(bink);
    BinkClose(bink);
}

void FlipBytes(std::vector<std::uint8_t>& clip, std::size_t from, std::size_t every)
{
    for (std::size_t i = from; i < clip.size(); i += every)
        clip[i] ^= 0xA5;
}

INSTANTIATE_TEST_SUITE_P(Inputs, BinkDamage,
    ::testing::Values(DamageCase{"empty", [](auto& c) { c.clear(); }},
        DamageCase{"header_only", [](auto& c) { c.resize(40); }},
        DamageCase{"cut_in_half", [](auto& c) { c.resize(c.size() / 2); }},
        DamageCase{"last_byte_missing", [](auto& c) { c.pop_back(); }},
        DamageCase{"noise", [](auto& c) {
                       std::srand(7);
                       for (auto& byte : c)
                           byte = static_cast<std::uint8_t>(std::rand());
                   }},
        DamageCase{"flipped_in_the_data", [](auto& c) { FlipBytes(c, c.size() / 3, 97); }},
        DamageCase{"flipped_everywhere", [](auto& c) { FlipBytes(c, 5, 31); }},
        DamageCase{"declared_size_huge", [](auto& c) {
                       // The segment size field of the container says far more than there is.
                       for (std::size_t i = 0; i + 4 < c.size() && i < 64; ++i)
                           if (c[i] == 0x18 && c[i + 1] == 0x53 && c[i + 2] == 0x80 && c[i + 3] == 0x67)
                               c[i + 4] = 0x01, c[i + 5] = 0x7F;
                   }}),
    [](const auto& info) { return std::string(info.param.name); });

} // namespace
} // namespace vls::test
