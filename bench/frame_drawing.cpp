// Drawing a frame on the recording device: the frame's own work (sorting the
// draw list, image and text state setting, the call record) without a GPU.

#include "engine/base/kestrune_file_system.h"
#include "engine/render/graphics_host.h"
#include "engine/render/kestrune_fonts.h"
#include "engine/render/kestrune_graphics.h"
#include "engine/render/kestrune_image.h"
#include "platform/d3d8/d3d8_recording.h"
#include "tools/archive_builder.h"
#include "tools/image_writer.h"

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

class SceneHost : public cKestruneNullGraphicsHost {
public:
    bool HasScene() override { return true; }
    uint32_t GameState() override { return 0x1; }
    void SceneSubmit(DynArray<RenderQueueEntry>& list) override
    {
        for (cKestruneImage* image : images) image->Submit(list);
    }
    std::vector<cKestruneImage*> images;
};

std::string ImageBytes(uint32_t w, uint32_t h, float depth)
{
    KestruneImageHeader header;
    header.depth = depth;
    header.alpha = 1;
    const std::vector<uint8_t> bytes = vls::tools::WriteImage(header, {vls::tools::Picture(w, h, 0x80FFFFFF)});
    return std::string(bytes.begin(), bytes.end());
}

void BM_RenderFrame(benchmark::State& state)
{
    setenv("VEILSTRAND_BACKEND", "headless", 1);
    char pattern[] = "/tmp/vls-bench-XXXXXX";
    const std::filesystem::path folder = mkdtemp(pattern);
    const std::filesystem::path previous = std::filesystem::current_path();
    std::filesystem::current_path(folder);
    vls::tools::ArchiveBuilder data;
    data.Add("blackscreen.image", ImageBytes(8, 8, 1.0f));
    const int imageCount = static_cast<int>(state.range(0));
    for (int i = 0; i < imageCount; ++i) data.Add("layer" + std::to_string(i) + ".image", ImageBytes(64, 64, 10.0f + i % 7));
    data.Write(folder);

    SceneHost host;
    SetGraphicsHost(&host);
    {
        cKestruneFileSystem files;
        cKestruneGraphics graphics;
        cKestruneFonts fonts;
        graphics.LoadUIImages(0, 0);
        std::vector<std::unique_ptr<cKestruneImage>> images;
        for (int i = 0; i < imageCount; ++i) {
            const int32_t slot = files.Open(("layer" + std::to_string(i) + ".image").c_str());
            auto image = std::make_unique<cKestruneImage>(0);
            image->Load(slot);
            files.Close(slot);
            host.images.push_back(image.get());
            images.push_back(std::move(image));
        }
        auto* device = D3D8DeviceOf(graphics.device);
        for (auto _ : state) {
            graphics.RenderFrame();
            device->ClearRecord();
        }
        state.SetItemsProcessed(state.iterations());
    }
    SetGraphicsHost(nullptr);
    std::filesystem::current_path(previous);
    std::filesystem::remove_all(folder);
}
BENCHMARK(BM_RenderFrame)->Arg(10)->Arg(100);

}  // namespace
