// A scene's views read their pictures (image layers and depth map) when they
// are first shown: a scene of several large views opens with the bytes of the
// one it shows, and a view shown later looks as if it had been read at once.

#include "tests/engine/render/render_fixture.h"
#include "tests/engine/world/world_fixture.h"
#include "tests/support/bytes_read.h"

#include "engine/script/script_globals.h"
#include "engine/script/script_natives.h"
#include "engine/world/kestrune_scene.h"
#include "engine/world/kestrune_view.h"
#include "engine/world/world_host.h"
#include "tools/scene_writer.h"
#include "tools/script_assembler.h"

#include <filesystem>

namespace vls::test {
namespace {

// A picture whose pixels differ everywhere, so a layer read from the wrong
// place does not pass for the right one.
tools::Picture Ramp(uint32_t w, uint32_t h, uint32_t seed)
{
    tools::Picture picture(w, h);
    for (uint32_t y = 0; y < h; ++y)
        for (uint32_t x = 0; x < w; ++x)
            picture.At(x, y) = 0x80000000u | ((x * 7 + y * 13 + seed) & 0xFFFFFFu);
    return picture;
}

std::vector<uint8_t> Layer(uint32_t pixelType, uint8_t alpha, std::vector<tools::Picture> frames, float depth)
{
    KestruneImageHeader header;
    header.pixelType = pixelType;
    header.alpha = alpha;
    header.depth = depth;
    header.x = 3;
    header.y = 4;
    return tools::WriteImage(header, frames);
}

tools::ViewDescription View(const std::string& name, bool detail, std::vector<std::vector<uint8_t>> layers)
{
    tools::ViewDescription view = CameraView(name, detail);
    view.images = std::move(layers);
    view.mapWidth = 8;
    view.mapHeight = 600;
    for (uint32_t i = 0; i < view.mapWidth * view.mapHeight; ++i)
        view.depths.push_back(static_cast<float>(i % 977) + (detail ? 0.5f : 0.25f));
    return view;
}

// Every kind of layer a view holds back to back: raw pixels with and
// without alpha, several frames, compressed pixels, and a large one.
std::vector<uint8_t> SideView()
{
    return tools::WriteViewResource(View(
        "side", false,
        {Layer(kImagePixelsRaw, 0, {Ramp(30, 20, 1), Ramp(30, 20, 2)}, 50.0f),
         Layer(kImagePixelsRaw, 1, {Ramp(17, 9, 3)}, 40.0f), Layer(kImagePixelsDxt1, 0, {Ramp(64, 32, 4)}, 30.0f),
         Layer(kImagePixelsDxt5, 1, {Ramp(16, 16, 5), Ramp(16, 16, 6), Ramp(16, 16, 7)}, 20.0f),
         Layer(kImagePixelsRaw, 1, {Ramp(512, 400, 8)}, 90.0f)}));
}

std::vector<uint8_t> FrontView()
{
    return tools::WriteViewResource(View("front", false, {Layer(kImagePixelsRaw, 0, {Ramp(8, 8, 9)}, 80.0f)}));
}

std::vector<uint8_t> CloseView()
{
    return tools::WriteViewResource(
        View("close", true, {Layer(kImagePixelsRaw, 1, {Ramp(300, 300, 10)}, 70.0f), Layer(kImagePixelsRaw, 0, {Ramp(4, 4, 11)}, 60.0f)}));
}

std::vector<uint8_t> StudioScene()
{
    tools::SceneDescription scene;
    scene.name = "studio";
    scene.viewNames = {"front", "side", "close"};
    scene.script = tools::AssembleScriptBytes("func on_enter\n ret\n");
    return tools::WriteSceneResource(scene);
}

// The first frame's texture bytes of every frame of every layer, with the
// fields that place them.
std::string Picture(const cKestruneView& view)
{
    std::string out;
    for (int32_t i = 0; i < view.images.count; ++i) {
        const cKestruneImage& image = *view.images.data[i];
        const KestruneImageHeader& h = image.header;
        out += "layer " + std::to_string(h.width) + "x" + std::to_string(h.height) + " a" + std::to_string(h.alpha) + " at "
            + std::to_string(h.x) + "," + std::to_string(h.y) + " depth " + std::to_string(h.depth) + " type "
            + std::to_string(h.pixelType) + " frames " + std::to_string(image.frames.count) + "\n";
        for (int32_t f = 0; f < image.frames.count; ++f) {
            IDirect3DTexture8* const texture = image.frames.data[f];
            D3DSURFACE_DESC desc{};
            D3DLOCKED_RECT locked{};
            if (FAILED(texture->GetLevelDesc(0, &desc)) || FAILED(texture->LockRect(0, &locked, nullptr, D3DLOCK_READONLY)))
                return out + "unreadable texture";
            out.append(static_cast<const char*>(locked.pBits), desc.Size);
            texture->UnlockRect(0);
        }
    }
    out += "map " + std::to_string(view.mapWidth) + "x" + std::to_string(view.mapHeight) + "\n";
    if (view.depthMap)
        out.append(reinterpret_cast<const char*>(view.depthMap),
                   sizeof(float) * static_cast<size_t>(view.mapWidth) * static_cast<size_t>(view.mapHeight));
    return out;
}

class ViewPictureTest : public RenderWorld {
protected:
    void SetUp() override
    {
        SetScriptGlobalTable(&globals);
        SetScriptNativeCache(&natives);
    }
    void TearDown() override
    {
        SetScriptGlobalTable(nullptr);
        SetScriptNativeCache(nullptr);
    }

    void Pack(bool sideLoose = false)
    {
        data.Add("studio.scene", StudioScene());
        data.Add("front.view", FrontView());
        data.Add("close.view", CloseView());
        if (sideLoose)
            data.AddOverride("side.view", Bytes(SideView()));
        else
            data.Add("side.view", SideView());
        Start();
    }

    std::unique_ptr<cKestruneScene> LoadStudio()
    {
        auto scene = std::make_unique<cKestruneScene>();
        const int32_t slot = files->Open("studio.scene");
        EXPECT_GT(slot, 0);
        EXPECT_EQ(scene->Load(slot), 0);
        files->Close(slot);
        return scene;
    }

    // The side view read whole, as it was before pictures waited.
    std::string SideReadAtOnce()
    {
        cKestruneView eager;
        const int32_t slot = files->Open("side.view");
        EXPECT_EQ(eager.Load(slot), 0);
        files->Close(slot);
        return Picture(eager);
    }

    ScriptGlobalTable globals;
    ScriptNativeCache natives;
};

TEST_F(ViewPictureTest, OnlyTheShownViewIsReadAndALaterViewLooksAsIfReadAtOnce)
{
    Pack();
    const auto sideBytes = static_cast<int64_t>(SideView().size());
    const auto closeBytes = static_cast<int64_t>(CloseView().size());

    const int64_t before = BytesRead();
    const auto scene = LoadStudio();
    scene->Enter(0);
    const int64_t opened = BytesRead() - before;
    ASSERT_EQ(scene->views.count, 3);
    cKestruneView& front = *scene->views.data[0];
    cKestruneView& side = *scene->views.data[1];
    cKestruneView& close = *scene->views.data[2];
    EXPECT_EQ(scene->currentView, &front);
    EXPECT_TRUE(front.PictureLoaded());
    EXPECT_EQ(front.images.count, 1);
    EXPECT_NE(front.depthMap, nullptr);
    for (const cKestruneView* waiting : {&side, &close}) {
        EXPECT_FALSE(waiting->PictureLoaded()) << waiting->Name();
        EXPECT_EQ(waiting->images.count, 0) << waiting->Name();
        EXPECT_EQ(waiting->depthMap, nullptr) << waiting->Name();
        EXPECT_EQ(waiting->header.imageCount, waiting == &side ? 5 : 2) << "the header is read at once";
    }
    EXPECT_LT(opened, (sideBytes + closeBytes) / 8) << "bytes read to open the scene";

    const int64_t beforeSwitch = BytesRead();
    scene->SwitchView(1);
    EXPECT_GE(BytesRead() - beforeSwitch, sideBytes - static_cast<int64_t>(kViewHeaderSize))
        << "the side view's picture is read when it is shown";
    EXPECT_TRUE(side.PictureLoaded());
    EXPECT_EQ(side.images.count, 5);
    EXPECT_EQ(Picture(side), SideReadAtOnce());
    const int32_t row = 300 - WorldHost().BandTop();
    EXPECT_EQ(side.SampleFloatMap(5, 300), static_cast<float>((row * 8 + 5) % 977) + 0.25f)
        << "the depth map is there for the sprites";
    EXPECT_FALSE(close.PictureLoaded()) << "the detail view still waits";

    // Shown again, nothing more is read and nothing is doubled.
    scene->SwitchView(0);
    const int64_t beforeAgain = BytesRead();
    scene->SwitchView(1);
    DynArray<RenderQueueEntry> queue;
    scene->Submit(queue);
    EXPECT_LT(BytesRead() - beforeAgain, 4096);
    EXPECT_EQ(side.images.count, 5);
    EXPECT_TRUE(reports.reports.empty());
}

// A damaged view is still refused with its scene, before any pixel is read.
TEST_F(ViewPictureTest, ADamagedPictureRefusesItsSceneAtLoad)
{
    std::vector<uint8_t> side = SideView();
    // The offsets of the parts of the side view, from its own records.
    const tools::ViewDescription probe = View("side", false, {});
    const size_t mapHeaderAt = side.size() - probe.depths.size() * 4 - kViewMapHeaderSize;
    const struct {
        const char* what;
        size_t cutTo;
        const char* report;
    } cases[] = {
        {"the last layer's pixels cut short", mapHeaderAt - 100, "File reading failed."},
        {"a layer's header cut short", kViewHeaderSize + 20, "File reading failed."},
        {"the depth map cut short", side.size() - 4, "View depth map runs past its file."},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        reports.reports.clear();
        data = tools::ArchiveBuilder();
        data.Add("studio.scene", StudioScene());
        data.Add("front.view", FrontView());
        data.Add("close.view", CloseView());
        data.Add("side.view", std::vector<uint8_t>(side.begin(), side.begin() + static_cast<std::ptrdiff_t>(c.cutTo)));
        fonts.reset();
        graphics.reset();
        files.reset();
        Start();
        cKestruneScene scene;
        const int32_t slot = files->Open("studio.scene");
        EXPECT_EQ(scene.Load(slot), -1);
        files->Close(slot);
        EXPECT_TRUE(reports.Has(c.report));
    }
}

// A picture that cannot be read by the time its view is shown is reported
// then, once; the view shows what there is and the game goes on.
TEST_F(ViewPictureTest, APictureLostBeforeItsViewIsShownIsReportedWhenShown)
{
    const struct {
        const char* what;
        bool removed;
        const char* report;
    } cases[] = {
        {"the file removed", true, "File not found."},
        {"the file cut short", false, "File reading failed."},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        reports.reports.clear();
        data = tools::ArchiveBuilder();
        fonts.reset();
        graphics.reset();
        files.reset();
        Pack(true);
        const auto scene = LoadStudio();
        scene->Enter(0);
        ASSERT_TRUE(reports.reports.empty());
        const std::filesystem::path loose = std::filesystem::current_path() / "updates" / "side.view";
        if (c.removed) {
            std::filesystem::remove(loose);
        } else {
            std::filesystem::resize_file(loose, std::filesystem::file_size(loose) / 2);
        }
        scene->SwitchView(1);
        EXPECT_TRUE(reports.Has(c.report));
        EXPECT_EQ(scene->currentView, scene->views.data[1]) << "the view is shown all the same";
        EXPECT_LT(scene->views.data[1]->images.count, 5);
        const size_t reported = reports.reports.size();
        DynArray<RenderQueueEntry> queue;
        scene->Submit(queue);
        scene->SwitchView(0);
        scene->SwitchView(1);
        EXPECT_EQ(reports.reports.size(), reported) << "reported once";
        EXPECT_EQ(scene->views.data[1]->SampleFloatMap(5, 300), -1.0f) << "no depth map: no depth";
    }
}

// A savegame restores its scene's current view with its picture, and a view
// with a mirror layer takes the layer from its picture, shown or not.
TEST_F(ViewPictureTest, ARestoredSceneReadsThePicturesItShowsOrMirrors)
{
    Pack();
    auto scene = LoadStudio();
    scene->Enter(0);
    scene->SwitchView(1);
    scene->views.data[2]->mirrorLayerIndex = 1;
    auto restored = LoadStudio();
    SavegameBlockHeader header;
    ASSERT_TRUE(RoundTripScene(*scene, *restored, (std::filesystem::current_path() / "save.bin").string(), header));
    ASSERT_EQ(restored->currentView, restored->views.data[1]);
    EXPECT_EQ(Picture(*restored->views.data[1]), SideReadAtOnce()) << "the view the save was made in";
    EXPECT_FALSE(restored->views.data[0]->PictureLoaded()) << "the view left before saving waits";
    const cKestruneView& close = *restored->views.data[2];
    ASSERT_NE(close.mirrorLayer, nullptr);
    EXPECT_EQ(close.mirrorLayer->header.width, 4u) << "the second layer became the mirror";
    EXPECT_EQ(close.images.count, 1);
    EXPECT_TRUE(reports.reports.empty());
}

} // namespace
} // namespace vls::test
