// Any bytes as an ".image" resource, as a font file and as a picture file for
// the extension library: a refusal is fine, a crash, hang or stray read or
// write is not.

#include "engine/base/kestrune_file_system.h"
#include "engine/render/kestrune_fonts.h"
#include "engine/render/kestrune_graphics.h"
#include "engine/render/kestrune_image.h"
#include "platform/d3dx/d3dx8tex.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <unistd.h>

namespace {

cKestruneGraphics* StartOnce()
{
    static cKestruneGraphics* graphics = [] {
        char pattern[] = "/tmp/vls-fuzz-image-XXXXXX";
        const std::filesystem::path folder = mkdtemp(pattern);
        setenv("VEILSTRAND_BACKEND", "headless", 1);
        setenv("VEILSTRAND_CONFIG", folder.c_str(), 1);
        std::filesystem::create_directories(folder / "updates");
        std::filesystem::current_path(folder);
        // The run log is not wanted here.
        std::freopen("/dev/null", "w", stdout);
        return new cKestruneGraphics();
    }();
    return graphics;
}

void WriteFile(const char* name, const std::uint8_t* data, std::size_t size)
{
    std::ofstream out(std::string("updates/") + name, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    cKestruneGraphics* graphics = StartOnce();
    WriteFile("a.image", data, size);
    WriteFile("font1", data, size);
    {
        cKestruneFileSystem files;
        const std::int32_t slot = files.Open("a.image");
        if (slot > 0) {
            cKestruneImage image(0);
            image.Load(slot);
            files.Close(slot);
            image.SetPlayMode(3, 0);
            image.Render(1);
        }
        cKestruneFonts fonts;
        fonts.Load();
        fonts.CreateText(0, "Fuzz, fuzz. Fuzz!", 10, 10, 0xFFFFFFFF, kTextWrap | kTextCentre);
        fonts.DrawTexts(0);
    }
    IDirect3DTexture8* texture = nullptr;
    if (SUCCEEDED(D3DXCreateTextureFromFileInMemoryEx(graphics->device, data, static_cast<UINT>(size), 0, 0, 1, 0,
                                                      D3DFMT_UNKNOWN, D3DPOOL_MANAGED, D3DX_FILTER_NONE,
                                                      D3DX_FILTER_NONE, 0, nullptr, nullptr, &texture))) {
        texture->Release();
    }
    return 0;
}
