// One engine frame with eight animated, lit, shadowed characters over a
// scene picture: the sprites' update (sampling, lip-sync-free pose building)
// and the frame's drawing (skinning into the shared buffers, stencil
// shadows), on the recording device and on the OpenGL device. The figures are
// the small test figure (216 vertices, 15 bones) or a game-sized one (about
// 3,000 vertices, 40 bones, every bone animated); the game-sized frame also
// runs on a recording device that checks every call but keeps no vertex
// bytes, so its figure is the engine's own work alone. Reported is
// the CPU time of the calling thread per frame, median and 95th percentile,
// which is what the engine's own 25 ms frame budget pays; the OpenGL
// driver's own threads are not counted.

#include "engine/base/kestrune_file_system.h"
#include "engine/render/graphics_host.h"
#include "engine/render/kestrune_graphics.h"
#include "engine/render/kestrune_image.h"
#include "engine/render/kestrune_mesh_animation.h"
#include "engine/render/kestrune_mesh_sprite.h"
#include "engine/render/kestrune_sprites.h"
#include "engine/render/sprite_world.h"
#include "platform/d3d8/d3d8_recording.h"
#include "platform/d3d8/d3d8_window.h"
#include "tools/archive_builder.h"
#include "tools/gr2_figure.h"
#include "tools/image_writer.h"

#include <SDL.h>
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <memory>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

constexpr int kCharacters = 8;

class FrameHost : public cKestruneNullGraphicsHost {
public:
    bool HasScene() override { return true; }
    uint32_t GameState() override { return 0x2; }
    void SceneSubmit(DynArray<RenderQueueEntry>& list) override
    {
        for (cKestruneImage* image : images) image->Submit(list);
    }
    float CameraNear() override { return cKestruneSprites::Current()->camera.NearClipPlane; }
    float CameraFar() override { return cKestruneSprites::Current()->camera.FarClipPlane; }
    void GetCamera(D3DXMATRIX& view, D3DXMATRIX& projection) override
    {
        cKestruneSprites::Current()->FrameCamera(view, projection);
    }
    void CollectMeshSprites(DynArray<RenderQueueEntry>& list) override
    {
        cKestruneSprites::Current()->CollectMeshSprites(list);
    }
    void RenderMeshSprite(void* sprite, const D3DXMATRIX& world, int32_t withShadow) override
    {
        static_cast<cKestruneMeshSprite*>(sprite)->Render(world, static_cast<uint8_t>(withShadow));
    }
    std::vector<cKestruneImage*> images;
};

class Characters : public cKestruneNullSpriteWorld {
public:
    void SubmitCharacters(DynArray<RenderQueueEntry>& queue) override
    {
        for (cKestruneMeshSprite* sprite : sprites) sprite->Submit(queue);
    }
    float FrameDeltaSeconds() override { return 0.025f; }
    std::vector<cKestruneMeshSprite*> sprites;
};

std::string Bytes(const std::vector<uint8_t>& v) { return std::string(v.begin(), v.end()); }

std::string Picture(uint32_t w, uint32_t h, uint32_t argb, float depth)
{
    KestruneImageHeader header;
    header.depth = depth;
    return Bytes(vls::tools::WriteImage(header, {vls::tools::Picture(w, h, argb)}));
}

double ThreadMs()
{
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return t.tv_sec * 1e3 + t.tv_nsec / 1e6;
}

enum class Figure { Small, Detailed };

void RunFrames(benchmark::State& state, bool openGl, Figure figure = Figure::Small, bool keepVertices = true)
{
    SDL_Window* window = nullptr;
    if (openGl) {
        if (!std::getenv("DISPLAY") && !std::getenv("SDL_VIDEODRIVER")) setenv("SDL_VIDEODRIVER", "offscreen", 1);
        if (SDL_InitSubSystem(SDL_INIT_VIDEO) != 0) {
            state.SkipWithError("no video");
            return;
        }
        SDL_GL_SetAttribute(SDL_GL_CONTEXT_MAJOR_VERSION, 2);
        SDL_GL_SetAttribute(SDL_GL_CONTEXT_MINOR_VERSION, 1);
        SDL_GL_SetAttribute(SDL_GL_CONTEXT_PROFILE_MASK, SDL_GL_CONTEXT_PROFILE_COMPATIBILITY);
        static SDL_Window* current = nullptr;
        window = SDL_CreateWindow("vls bench", 0, 0, 1024, 768, SDL_WINDOW_OPENGL | SDL_WINDOW_HIDDEN);
        current = window;
        D3D8SetWindowResolver([](HWND) -> void* { return current; });
        unsetenv("VEILSTRAND_BACKEND");
    } else {
        setenv("VEILSTRAND_BACKEND", "headless", 1);
    }
    char pattern[] = "/tmp/vls-bench-XXXXXX";
    const std::filesystem::path folder = mkdtemp(pattern);
    const std::filesystem::path previous = std::filesystem::current_path();
    std::filesystem::current_path(folder);
    vls::tools::ArchiveBuilder data;
    data.Add("blackscreen.image", Picture(8, 8, 0xFF000000, 1.0f));
    data.Add("scene.image", Picture(1024, 512, 0xFF4070B0, 50.0f));
    data.Add("shadow2.image", Picture(16, 16, 0x80000000, 1.0f));
    const bool detailed = figure == Figure::Detailed;
    data.Add("figure.gr2", vls::tools::WriteGr2(detailed ? vls::tools::MakeDetailedFigureScene()
                                                          : vls::tools::MakeFigureScene()));
    data.Add("walk.gr2", vls::tools::WriteGr2(detailed ? vls::tools::MakeDetailedWalkScene()
                                                        : vls::tools::MakeWalkScene()));
    data.Write(folder);

    FrameHost host;
    Characters characters;
    SetGraphicsHost(&host);
    SetSpriteWorld(&characters);
    {
        cKestruneFileSystem files;
        cKestruneGraphics graphics;
        cKestruneSprites sprites;
        sprites.Init();
        graphics.LoadUIImages(0, 0);
        granny_camera camera = sprites.camera;
        D3DXMATRIX view, projection;
        const D3DXVECTOR3 eye(0, 1.6f, -6.0f), at(0, 0.8f, 0), up(0, 1, 0);
        D3DXMatrixLookAtLH(&view, &eye, &at, &up);
        D3DXMatrixPerspectiveFovLH(&projection, 0.9f, 4.0f / 3.0f, 1.0f, 100.0f);
        std::memcpy(camera.View4x4, &view, 64);
        std::memcpy(camera.Projection4x4, &projection, 64);
        sprites.SetCamera(camera);
        sprites.ambient[0] = sprites.ambient[1] = sprites.ambient[2] = 0.5f;
        sprites.AddLight(-2, 0, 1, 2, 1, 0.8f, 0.6f);
        sprites.AddLight(2, 1, 1, 2, 0.6f, 0.8f, 1);
        sprites.shadowVector[0] = -0.3f;
        sprites.shadowVector[1] = -1.0f;

        const int32_t slot = files.Open("scene.image");
        cKestruneImage scene(0);
        scene.Load(slot);
        files.Close(slot);
        host.images.push_back(&scene);

        std::vector<std::unique_ptr<cKestruneMeshSprite>> owned;
        std::vector<std::unique_ptr<cKestruneMeshAnimation>> walks;
        for (int i = 0; i < kCharacters; ++i) {
            auto sprite = std::make_unique<cKestruneMeshSprite>();
            sprite->Load("figure");
            sprite->SetRotation(0, 0.4f * i, 0);
            sprite->SetPosition(-2.8f + 0.8f * i, 0, 0.5f * (i % 3));
            auto walk = std::make_unique<cKestruneMeshAnimation>(sprite.get(), 0);
            walk->Load("walk");
            walk->loop = 1;
            walk->Play(0.0f);
            characters.sprites.push_back(sprite.get());
            owned.push_back(std::move(sprite));
            walks.push_back(std::move(walk));
        }
        auto* device = D3D8DeviceOf(graphics.device);
        device->KeepDrawnVertices(keepVertices);
        std::vector<double> frames;
        double triangles = 0;
        for (auto _ : state) {
            const double start = ThreadMs();
            for (auto& sprite : owned) sprite->Update(0.025f, 0);
            graphics.RenderFrame();
            frames.push_back(ThreadMs() - start);
            state.PauseTiming();
            // What the frame drew, so the figure's size shows in the result.
            triangles = 0;
            for (const auto& call : device->Frames().empty() ? device->Calls() : device->Frames().back())
                if (call.name == "DrawIndexedPrimitive" && call.args.size() == 5) triangles += call.args[4];
            device->ClearRecord();
            state.ResumeTiming();
        }
        state.counters["triangles_per_frame"] = triangles;
        std::sort(frames.begin(), frames.end());
        if (!frames.empty()) {
            state.counters["cpu_median_ms"] = frames[frames.size() / 2];
            state.counters["cpu_p95_ms"] = frames[std::min(frames.size() - 1, frames.size() * 95 / 100)];
        }
        walks.clear();
        owned.clear();
    }
    SetSpriteWorld(nullptr);
    SetGraphicsHost(nullptr);
    std::filesystem::current_path(previous);
    std::filesystem::remove_all(folder);
    if (window) {
        D3D8SetWindowResolver(nullptr);
        SDL_DestroyWindow(window);
    }
}

void BM_EightCharactersRecording(benchmark::State& state) { RunFrames(state, false); }
void BM_EightCharactersOpenGl(benchmark::State& state) { RunFrames(state, true); }
void BM_EightDetailedCharactersChecking(benchmark::State& state) { RunFrames(state, false, Figure::Detailed, false); }
void BM_EightDetailedCharactersRecording(benchmark::State& state) { RunFrames(state, false, Figure::Detailed); }
void BM_EightDetailedCharactersOpenGl(benchmark::State& state) { RunFrames(state, true, Figure::Detailed); }

}  // namespace

BENCHMARK(BM_EightCharactersRecording)->Unit(benchmark::kMillisecond)->Iterations(400);
BENCHMARK(BM_EightCharactersOpenGl)->Unit(benchmark::kMillisecond)->Iterations(400);
BENCHMARK(BM_EightDetailedCharactersChecking)->Unit(benchmark::kMillisecond)->Iterations(400);
BENCHMARK(BM_EightDetailedCharactersRecording)->Unit(benchmark::kMillisecond)->Iterations(400);
BENCHMARK(BM_EightDetailedCharactersOpenGl)->Unit(benchmark::kMillisecond)->Iterations(400);
