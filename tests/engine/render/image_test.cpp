#include "tests/engine/render/render_fixture.h"
#include "tests/support/reused_script.h"
#include "tools/script_assembler.h"

#include <cmath>

namespace vls::test {
namespace {

using Images = RenderWorld;

const KestruneImageVertex* Quad(cKestruneImage& image, std::vector<KestruneImageVertex>& copy)
{
    BYTE* bits = nullptr;
    image.vertexBuffer->Lock(0, 0, &bits, 0);
    copy.assign(reinterpret_cast<KestruneImageVertex*>(bits), reinterpret_cast<KestruneImageVertex*>(bits) + 4);
    image.vertexBuffer->Unlock();
    return copy.data();
}

TEST(ImageFormat, TextureSides)
{
    const uint32_t cases[][2] = {{0, 8},     {1, 8},     {8, 8},     {9, 16},     {16, 16},   {17, 32},
                                 {300, 512}, {512, 512}, {513, 1024}, {600, 1024}, {1024, 1024}, {5000, 1024}};
    for (const auto& c : cases) EXPECT_EQ(ImageTextureSide(c[0]), c[1]) << c[0];
}

TEST_F(Images, RawImageLayout)
{
    tools::Picture picture(600, 300, 0xFF102030);
    picture.At(0, 0) = 0x80FF0000;
    picture.At(599, 299) = 0x4000FF00;
    data.Add("wide.image", ImageBytes(picture, 10, 20, 50.0f, 1));
    Start();
    auto image = LoadImage("wide.image");
    ASSERT_NE(image, nullptr);
    EXPECT_EQ(image->TextureWidth(), 1024u);
    EXPECT_EQ(image->TextureHeight(), 512u);
    ASSERT_EQ(image->frames.count, 1);

    std::vector<KestruneImageVertex> copy;
    const KestruneImageVertex* v = Quad(*image, copy);
    // Bottom-left, bottom-right, top-left, top-right; y from the band top.
    EXPECT_EQ(v[0].x, 10);
    EXPECT_EQ(v[0].y, 448);
    EXPECT_EQ(v[1].x, 610);
    EXPECT_EQ(v[2].y, 148);
    EXPECT_FLOAT_EQ(v[1].u, 600.0f / 1024 + 0.0001f);
    EXPECT_FLOAT_EQ(v[1].v, 300.0f / 512 + 0.0001f);
    EXPECT_FLOAT_EQ(v[2].u, 0.0001f);
    EXPECT_EQ(v[3].colour, 0xFFFFFFFFu);
    // Depth 50 between near 1 and far 100.
    const float z = 100.0f / 99.0f - (100.0f / 99.0f) / 50.0f;
    EXPECT_FLOAT_EQ(v[0].z, z);
    EXPECT_FLOAT_EQ(v[0].rhw, 1.0f / z);

    // Pixels land as B, G, R, A; alpha kept when the header says so.
    D3DLOCKED_RECT locked{};
    ASSERT_EQ(image->frames.data[0]->LockRect(0, &locked, nullptr, D3DLOCK_READONLY), D3D_OK);
    const auto* row0 = static_cast<const DWORD*>(locked.pBits);
    const auto* row299 = reinterpret_cast<const DWORD*>(static_cast<const BYTE*>(locked.pBits) + 299 * locked.Pitch);
    EXPECT_EQ(row0[0], 0x80FF0000u);
    EXPECT_EQ(row0[1], 0xFF102030u);
    EXPECT_EQ(row299[599], 0x4000FF00u);
    image->frames.data[0]->UnlockRect(0);
}

TEST_F(Images, QuadOperations)
{
    data.Add("small.image", ImageBytes(Solid(20, 10, 0xFFFFFFFF)));
    Start();
    auto image = LoadImage("small.image");
    ASSERT_NE(image, nullptr);
    std::vector<KestruneImageVertex> copy;

    image->SetPosition(100, 200, -1, -1);
    const KestruneImageVertex* v = Quad(*image, copy);
    EXPECT_EQ(v[3].x, 120);
    EXPECT_EQ(v[0].y, 210);
    image->SetPosition(100, 200, -2, 5);  // only exactly -1 means "own size"
    v = Quad(*image, copy);
    EXPECT_EQ(v[1].x, 98);
    EXPECT_EQ(v[1].y, 205);

    image->SetAlpha(300);
    EXPECT_EQ(Quad(*image, copy)[2].colour, 0xFFFFFFFFu);
    image->SetAlpha(-5);
    EXPECT_EQ(Quad(*image, copy)[2].colour, 0x00FFFFFFu);
    image->SetAlpha(0x42);
    EXPECT_EQ(Quad(*image, copy)[0].colour, 0x42FFFFFFu);

    image->SetSourceRect(4, 2, 12, 6);  // texture 32 x 16
    v = Quad(*image, copy);
    EXPECT_FLOAT_EQ(v[0].u, 4.0f / 32 + 0.0001f);
    EXPECT_FLOAT_EQ(v[0].v, 6.0f / 16 + 0.0001f);
    EXPECT_FLOAT_EQ(v[3].u, 12.0f / 32 + 0.0001f);
    EXPECT_FLOAT_EQ(v[3].v, 2.0f / 16 + 0.0001f);

    // Nearer than near + 0.1 is drawn at near + 0.101; beyond far at far.
    host.nearPlane = 2.0f;
    host.farPlane = 50.0f;
    image->SetDepth(0.5f);
    const float d = 2.101f;
    EXPECT_NEAR(Quad(*image, copy)[1].z, 50.0f / 48.0f - (100.0f / 48.0f) / d, 1e-5);
    image->SetDepth(80.0f);
    EXPECT_FLOAT_EQ(Quad(*image, copy)[1].z, 50.0f / 48.0f - (100.0f / 48.0f) / 50.0f);

    cKestruneImage empty;
    EXPECT_EQ(empty.SetPosition(0, 0, 1, 1), -1);
    EXPECT_EQ(empty.SetAlpha(1), -1);
    EXPECT_EQ(empty.SetDepth(1), -1);
    EXPECT_EQ(empty.SetSourceRect(0, 0, 1, 1), -1);
}

TEST_F(Images, DamagedHeadersAreRefusedWithoutWritingPastTheTexture)
{
    KestruneImageHeader wide;
    wide.width = 1025;
    wide.height = 4;
    std::vector<uint8_t> header(kImageHeaderSize);
    WriteImageHeader(wide, header.data());
    data.Add("toowide.image", Bytes(header) + std::string(1025 * 4 * 3, '\0'));

    KestruneImageHeader frames;
    frames.width = 4;
    frames.height = 4;
    frames.frameCount = 1000000;
    WriteImageHeader(frames, header.data());
    data.Add("frames.image", Bytes(header) + std::string(4 * 4 * 3 * 2, '\0'));

    KestruneImageHeader dxt;
    dxt.width = 16;
    dxt.height = 16;
    dxt.pixelType = kImagePixelsDxt5;
    WriteImageHeader(dxt, header.data());
    data.Add("shortdxt.image", Bytes(header) + std::string(100, '\0'));  // needs 256 bytes
    data.Add("short.image", "abc");

    KestruneImageHeader empty;  // no pixels per frame, countless frames
    empty.width = 0;
    empty.height = 4;
    empty.frameCount = 0xFFFFFFFF;
    WriteImageHeader(empty, header.data());
    data.Add("empty.image", Bytes(header));
    empty.pixelType = 9;
    WriteImageHeader(empty, header.data());
    data.Add("unknown.image", Bytes(header));
    Start();
    for (const char* name :
         {"toowide.image", "frames.image", "shortdxt.image", "short.image", "empty.image", "unknown.image"}) {
        reports.reports.clear();
        const int32_t slot = files->Open(name);
        cKestruneImage image;
        EXPECT_EQ(image.Load(slot), -1) << name;
        files->Close(slot);
        EXPECT_EQ(image.frames.count, 0) << name;
        ASSERT_FALSE(reports.reports.empty()) << name;
        EXPECT_EQ(reports.reports.back().text, "File reading failed.");
        EXPECT_EQ(reports.reports.back().module, "image");
        EXPECT_EQ(reports.reports.back().fatal, 0);
    }
}

TEST_F(Images, DxtSideAbove1024KeepsA1024Texture)
{
    KestruneImageHeader dxt;
    dxt.width = 1100;
    dxt.height = 4;
    dxt.pixelType = kImagePixelsDxt1;
    std::vector<uint8_t> header(kImageHeaderSize);
    WriteImageHeader(dxt, header.data());
    data.Add("wide.image", Bytes(header) + std::string((1024 / 4) * (8 / 4) * 8, '\0'));
    Start();
    auto image = LoadImage("wide.image");
    ASSERT_NE(image, nullptr);
    ASSERT_EQ(image->frames.count, 1);
    D3DSURFACE_DESC desc{};
    image->frames.data[0]->GetLevelDesc(0, &desc);
    EXPECT_EQ(desc.Width, 1024u);
    EXPECT_EQ(desc.Height, 8u);
}

TEST_F(Images, FrameCountZeroIsOneFrame)
{
    KestruneImageHeader header;
    header.width = 2;
    header.height = 2;
    header.frameCount = 0;
    std::vector<uint8_t> bytes(kImageHeaderSize);
    WriteImageHeader(header, bytes.data());
    data.Add("zero.image", Bytes(bytes) + std::string(12, '\x7f'));
    Start();
    auto image = LoadImage("zero.image");
    ASSERT_NE(image, nullptr);
    EXPECT_EQ(image->frames.count, 1);
    EXPECT_EQ(image->FrameCount(), 1);
}

TEST_F(Images, DxtPixelsWithAndWithoutDeviceSupport)
{
    tools::Picture picture(8, 8, 0xFFFF0000);
    for (uint32_t y = 0; y < 8; ++y)
        for (uint32_t x = 4; x < 8; ++x) picture.At(x, y) = 0xFF0000FF;
    data.Add("dxt1.image", ImageBytes(picture, 0, 0, 10.0f, 0, kImagePixelsDxt1));
    data.Add("dxt4.image", ImageBytes(picture, 0, 0, 10.0f, 1, kImagePixelsDxt4));
    for (const bool support : {true, false}) {
        D3D8TestOptions().dxt = support;
        Start();
        EXPECT_EQ(graphics->dxtSupported, support ? 1 : 0);
        for (const char* name : {"dxt1.image", "dxt4.image"}) {
            auto image = LoadImage(name);
            ASSERT_NE(image, nullptr) << name;
            D3DSURFACE_DESC desc{};
            image->frames.data[0]->GetLevelDesc(0, &desc);
            if (support) {
                EXPECT_EQ(desc.Format, std::string(name) == "dxt1.image" ? D3DFMT_DXT1 : D3DFMT_DXT4);
                continue;
            }
            ASSERT_EQ(desc.Format, D3DFMT_A8R8G8B8);
            D3DLOCKED_RECT locked{};
            image->frames.data[0]->LockRect(0, &locked, nullptr, D3DLOCK_READONLY);
            const auto* row = static_cast<const DWORD*>(locked.pBits);
            EXPECT_EQ(row[1], 0xFFFF0000u) << name;
            EXPECT_EQ(row[6], 0xFF0000FFu) << name;
            image->frames.data[0]->UnlockRect(0);
        }
        fonts.reset();
        graphics.reset();
        files.reset();
    }
}

TEST_F(Images, RenderStatesFollowTheAlphaFlags)
{
    data.Add("opaque.image", ImageBytes(Solid(4, 4, 0xFFFFFFFF), 0, 0, 10.0f, 0));
    data.Add("alpha.image", ImageBytes(Solid(4, 4, 0x80FFFFFF), 0, 0, 10.0f, 1));
    Start();
    const struct {
        const char* name;
        uint8_t vertexAlpha;
        DWORD blend, alphaOp;
        bool diffuseArg;
    } cases[] = {
        {"opaque.image", 0, FALSE, D3DTOP_DISABLE, false},
        {"opaque.image", 1, TRUE, D3DTOP_SELECTARG2, true},
        {"alpha.image", 0, TRUE, D3DTOP_SELECTARG1, false},
        {"alpha.image", 1, TRUE, D3DTOP_MODULATE, true},
    };
    for (const auto& c : cases) {
        auto image = LoadImage(c.name);
        image->vertexAlpha = c.vertexAlpha;
        image->alphaTest = 0;
        graphics->device->SetTextureStageState(0, D3DTSS_COLORARG2, D3DTA_CURRENT);
        Device().ClearRecord();
        image->Render(0);
        DWORD v = 0;
        graphics->device->GetRenderState(D3DRS_ALPHABLENDENABLE, &v);
        EXPECT_EQ(v, c.blend) << c.name << " " << int(c.vertexAlpha);
        graphics->device->GetRenderState(D3DRS_ALPHATESTENABLE, &v);
        EXPECT_EQ(v, FALSE);
        graphics->device->GetTextureStageState(0, D3DTSS_ALPHAOP, &v);
        EXPECT_EQ(v, c.alphaOp) << c.name << " " << int(c.vertexAlpha);
        graphics->device->GetTextureStageState(0, D3DTSS_COLORARG2, &v);
        EXPECT_EQ(v, c.diffuseArg ? D3DTA_DIFFUSE : D3DTA_CURRENT);
        graphics->device->GetTextureStageState(0, D3DTSS_COLOROP, &v);
        EXPECT_EQ(v, DWORD(D3DTOP_SELECTARG1));
        const auto& calls = Device().Calls();
        ASSERT_FALSE(calls.empty());
        EXPECT_EQ(calls.back().name, "DrawPrimitive");
        EXPECT_EQ(calls.back().fvf, 0x144u);
        EXPECT_EQ(calls.back().stride, 28u);
    }
}

class Animation : public RenderWorld {
protected:
    void SetUp() override
    {
        KestruneImageHeader header;
        header.frameRate = 10;
        header.depth = 10.0f;
        std::vector<uint8_t> bytes = tools::WriteImage(
            header, {Solid(2, 2, 0xFF000000), Solid(2, 2, 0xFF111111), Solid(2, 2, 0xFF222222)});
        data.Add("three.image", Bytes(bytes));
        bytes = tools::WriteImage(header, {Solid(2, 2, 0xFF000000), Solid(2, 2, 0xFF111111)});
        data.Add("two.image", Bytes(bytes));
        Start();
    }
    // Advances the clock by one frame period and updates.
    void Step(cKestruneImage& image)
    {
        host.now += 100;
        image.Update();
    }
    cKestruneScript callbackScript;
    cKestruneScript* const script = &callbackScript;
};

TEST_F(Animation, PlayOnceStopsAndCallsBackOnce)
{
    host.now = 1000;
    auto image = LoadImage("two.image");
    image->endCallbackScript = script;
    image->endCallbackName = "done";
    image->SetPlayMode(kImagePlayOnce, 0);
    std::vector<int32_t> shown;
    for (int i = 0; i < 4; ++i) {
        DynArray<RenderQueueEntry> list;
        image->Submit(list);
        shown.push_back(list.count ? std::clamp(image->currentFrame, 0, 1) : -1);
        Step(*image);
    }
    EXPECT_EQ(shown, (std::vector<int32_t>{0, 1, 1, -1}));
    EXPECT_EQ(image->currentFrame, 1);
    EXPECT_EQ(image->playMode, kImageStopped);
    ASSERT_EQ(host.runs.size(), 1u);
    EXPECT_EQ(host.runs[0].first, script);
    EXPECT_EQ(host.runs[0].second, "done");
    Step(*image);
    EXPECT_EQ(host.runs.size(), 1u);
}

// An overlay's callbacks outlive the scene script that set them when the
// scene goes; the next scene's script, made at the same address, must not
// get them.
TEST_F(Animation, CallbacksOfAGoneScriptDoNotRunInTheScriptMadeAtItsAddress)
{
    ReusedScriptStorage scripts(tools::AssembleScriptBytes("func done\n ret\n end\n"));
    ASSERT_TRUE(scripts.loaded);
    host.now = 1000;
    auto image = LoadImage("three.image");
    image->endCallbackScript = scripts.Current();
    image->endCallbackName = "done";
    image->frameCallbackScript = scripts.Current();
    image->frameCallbackName = "done";
    image->frameCallbackFrame = 1;
    image->SetPlayMode(kImagePlayOnce, 0);
    scripts.Replace();
    for (int i = 0; i < 4; ++i)
        Step(*image);
    EXPECT_EQ(image->playMode, kImageStopped);
    EXPECT_TRUE(host.runs.empty());
    EXPECT_FALSE(image->endCallbackScript) << "used up all the same";
    EXPECT_FALSE(image->frameCallbackScript);
}

TEST_F(Animation, LoopAndPingPongTurnOneStepLate)
{
    const struct {
        int32_t mode;
        std::vector<int32_t> frames;
    } cases[] = {
        {kImageLoop, {1, 2, 3, 1, 2, 3, 1}},
        {kImagePingPong, {1, 2, 3, 1, 0, -1, 1, 2}},
    };
    for (const auto& c : cases) {
        host.now = 5000;
        auto image = LoadImage("three.image");
        image->SetPlayMode(c.mode, 0);
        std::vector<int32_t> frames;
        for (size_t i = 0; i < c.frames.size(); ++i) {
            Step(*image);
            frames.push_back(image->currentFrame);
        }
        EXPECT_EQ(frames, c.frames) << "mode " << c.mode;
    }
}

TEST_F(Animation, FrameCallbackFiresWhenCrossed)
{
    host.now = 1000;
    auto image = LoadImage("three.image");
    image->frameCallbackScript = script;
    image->frameCallbackName = "at2";
    image->frameCallbackFrame = 2;
    image->SetPlayMode(kImageLoop, 0);
    host.now += 250;  // two frames at once: 0 -> 2 crosses nothing yet
    image->Update();
    EXPECT_EQ(image->currentFrame, 2);
    ASSERT_EQ(host.runs.size(), 1u);  // the final check: frame 2 reached
    EXPECT_EQ(host.runs[0].second, "at2");
    EXPECT_EQ(image->frameCallbackFrame, -1);

    // Crossing on the way: callback at 1, jump from 0 by 3.
    auto other = LoadImage("three.image");
    other->frameCallbackScript = script;
    other->frameCallbackName = "at1";
    other->frameCallbackFrame = 1;
    other->SetPlayMode(kImagePlayOnce, 0);
    host.runs.clear();
    host.now += 300;
    other->Update();
    ASSERT_GE(host.runs.size(), 1u);
    EXPECT_EQ(host.runs[0].second, "at1");
}

TEST_F(Animation, StillModeAndSetFrame)
{
    auto image = LoadImage("three.image");
    EXPECT_EQ(image->playMode, kImageStill);
    image->SetFrame(2);
    EXPECT_EQ(image->currentFrame, 2);
    image->SetFrame(3);  // past the end: ignored
    EXPECT_EQ(image->currentFrame, 2);
    host.now += 10000;
    image->Update();
    EXPECT_EQ(image->currentFrame, 2);
    image->SetPlayMode(kImageStopped, 0);
    DynArray<RenderQueueEntry> list;
    image->Submit(list);
    EXPECT_EQ(list.count, 0);
}

// A video image whose stream no decoder can open.
std::string UnplayableVideoImage()
{
    KestruneImageHeader header;
    header.width = 16;
    header.height = 16;
    header.pixelType = kImagePixelsBink;
    std::vector<uint8_t> bytes(kImageHeaderSize);
    WriteImageHeader(header, bytes.data());
    return Bytes(bytes) + "BIKi....";
}

TEST_F(Images, VideoImagesReportThatVideoIsUnavailable)
{
    data.Add("clip.image", UnplayableVideoImage());
    Start();
    EXPECT_EQ(LoadImage("clip.image"), nullptr);
    ASSERT_FALSE(reports.reports.empty());
    EXPECT_EQ(reports.reports.back().text.rfind("Video stream init failed. ", 0), 0u);
    EXPECT_EQ(reports.reports.back().fatal, 1);
}

}  // namespace
}  // namespace vls::test

#include "engine/render/image_resource.h"
#include "platform/bink/bink.h"
#include "platform/bink/bink_player.h"
#include "tools/video_writer.h"

#include <chrono>
#include <thread>

namespace vls::test {
namespace {

constexpr uint32_t kVideoTypes[] = {kImagePixelsBink, kImagePixelsBinkStreamed};

// A video image of the given pixel type: its header, then the clip.
std::string VideoImage(const std::vector<uint8_t>& clip, uint32_t type, int rate)
{
    KestruneImageHeader header;
    header.width = 64;
    header.height = 32;
    header.frameRate = rate;
    header.pixelType = type;
    std::vector<uint8_t> bytes(kImageHeaderSize);
    WriteImageHeader(header, bytes.data());
    return Bytes(bytes) + Bytes(clip);
}

TEST_F(Images, VideoImagePlaysIntoItsTextureAndEnds)
{
    cKestruneScript callbackScript;
    tools::VideoClipOptions options;
    options.width = 64;
    options.height = 32;
    options.frames = 6;
    options.rate = 50;
    options.paint = tools::PatternPixel;
    std::string error;
    const std::vector<uint8_t> clip = tools::WriteVideoClip(options, error);
    ASSERT_FALSE(clip.empty()) << error;
    for (const uint32_t type : kVideoTypes)
        data.Add("clip" + std::to_string(type) + ".image", VideoImage(clip, type, 50));
    Start();
    for (const uint32_t type : kVideoTypes) {
        auto image = LoadImage(("clip" + std::to_string(type) + ".image").c_str());
        ASSERT_NE(image, nullptr) << type;
        ASSERT_NE(image->bink, nullptr);
        EXPECT_EQ(image->header.alpha, 1);
        EXPECT_EQ(image->videoFile == INVALID_HANDLE_VALUE, type == kImagePixelsBink);
        image->endCallbackScript = &callbackScript;
        image->endCallbackName = "over";
        host.runs.clear();
        image->SetPlayMode(kImagePlayOnce, 0);
        const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(5);
        while (image->playMode != kImageStopped && std::chrono::steady_clock::now() < until) {
            image->Update();
            std::this_thread::sleep_for(std::chrono::milliseconds(2));
        }
        EXPECT_EQ(image->playMode, kImageStopped);
        EXPECT_EQ(image->ended, 1);
        ASSERT_EQ(host.runs.size(), 1u);
        EXPECT_EQ(host.runs[0].second, "over");
        // The texture holds the last decoded frame: blue tells its number.
        D3DLOCKED_RECT locked{};
        ASSERT_EQ(image->frames.data[0]->LockRect(0, &locked, nullptr, D3DLOCK_READONLY), D3D_OK);
        const DWORD pixel = reinterpret_cast<const DWORD*>(static_cast<const BYTE*>(locked.pBits) + 5 * locked.Pitch)[7];
        image->frames.data[0]->UnlockRect(0);
        EXPECT_EQ((pixel >> 16) & 0xFF, 7u);               // red = x
        EXPECT_EQ((pixel >> 8) & 0xFF, 5u);                // green = y
        EXPECT_EQ(pixel & 0xFF, static_cast<DWORD>(image->currentFrame));
    }
}

// A three-frame clip as "clip<type>.image" of each video type, each followed
// by an entry of `after` bytes; the clip, or empty when it cannot be made.
template <typename Data>
std::vector<uint8_t> AddClipsBeforeLargeEntries(Data& data, int rate, std::size_t after)
{
    tools::VideoClipOptions options;
    options.frames = 3;
    std::string error;
    const std::vector<uint8_t> clip = tools::WriteVideoClip(options, error);
    for (const uint32_t type : kVideoTypes) {
        data.Add("clip" + std::to_string(type) + ".image", VideoImage(clip, type, rate));
        data.Add("after" + std::to_string(type), std::string(after, '\x33'));
    }
    return clip;
}

// A small video in an archive whose other entries run to many megabytes:
// opening it reads its entry only, and a preloaded one keeps just its clip.
TEST_F(Images, VideoInALargeArchiveReadsOnlyItsEntry)
{
    const std::vector<uint8_t> clip = AddClipsBeforeLargeEntries(data, 25, std::size_t(12) << 20);
    ASSERT_FALSE(clip.empty());
    Start();
    for (const uint32_t type : kVideoTypes) {
        auto image = LoadImage(("clip" + std::to_string(type) + ".image").c_str());
        ASSERT_NE(image, nullptr) << type;
        ASSERT_NE(image->bink, nullptr);
        const auto& stream = static_cast<HBINK>(image->bink)->player->stream();
        EXPECT_EQ(stream.size(), std::int64_t(clip.size())) << type;
        EXPECT_LE(stream.bytesRead(), std::int64_t(clip.size()) + vls::bink::StreamBytes::kHeadSize) << type;
        EXPECT_EQ(stream.bytesHeld(), type == kImagePixelsBink ? clip.size() : 0u) << type;
    }
}

// A video left for its first use holds its entry's handle and no stream; the
// first play opens the stream within the entry, recomputes the alpha flag from
// it and plays to the end as a video opened at load does. A stream that cannot
// be opened is reported then, as fatal as at load, and leaves a still picture.
TEST_F(Images, VideoOpenedOnFirstUseOpensItsStreamWhenPlayed)
{
    const std::vector<uint8_t> clip = AddClipsBeforeLargeEntries(data, 50, std::size_t(4) << 20);
    ASSERT_FALSE(clip.empty());
    data.Add("damaged.image", UnplayableVideoImage());
    Start();

    for (const uint32_t type : kVideoTypes) {
        const std::unique_ptr<cKestruneImage> image(
            LoadImageResource(("clip" + std::to_string(type) + ".image").c_str(), true));
        ASSERT_NE(image, nullptr) << type;
        EXPECT_EQ(image->bink, nullptr);
        EXPECT_NE(image->videoFile, INVALID_HANDLE_VALUE);
        EXPECT_EQ(image->header.alpha, 0);

        image->SetPlayMode(kImagePlayOnce, 0);
        ASSERT_NE(image->bink, nullptr) << type;
        EXPECT_EQ(image->header.alpha, 1);
        EXPECT_EQ(image->videoFile == INVALID_HANDLE_VALUE, type == kImagePixelsBink);
        EXPECT_EQ(static_cast<HBINK>(image->bink)->player->stream().size(), std::int64_t(clip.size())) << type;
        const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(5);
        while (image->playMode != kImageStopped && std::chrono::steady_clock::now() < until) {
            image->Update();
            std::this_thread::sleep_for(std::chrono::milliseconds(2));
        }
        EXPECT_EQ(image->ended, 1) << type;
    }
    EXPECT_TRUE(reports.reports.empty());

    const std::unique_ptr<cKestruneImage> image(LoadImageResource("damaged.image", true));
    ASSERT_NE(image, nullptr);
    EXPECT_TRUE(reports.reports.empty());
    image->SetPlayMode(kImageLoop, 0);
    ASSERT_EQ(reports.reports.size(), 1u);
    EXPECT_EQ(reports.reports[0].text.rfind("Video stream init failed. ", 0), 0u);
    EXPECT_EQ(reports.reports[0].fatal, 1);
    EXPECT_EQ(image->bink, nullptr);
    image->Update();
    image->Render(1);
    EXPECT_EQ(reports.reports.size(), 1u);
}

}  // namespace
}  // namespace vls::test
