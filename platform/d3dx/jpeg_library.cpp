#include "platform/d3dx/jpeg_library.h"
#include "platform/win32/run_time_library.h"

#include <string>

namespace vls::d3dx {

namespace {

struct Loaded {
    JpegLibrary table;
    bool ok = false;
};

Loaded Load()
{
    Loaded loaded;
    // The library of the interface the header describes: libjpeg.so.62 for
    // version 6b's interface (62), libjpeg.so.8 for version 8's (80).
    constexpr int kVersion = JPEG_LIB_VERSION >= 70 ? JPEG_LIB_VERSION / 10 : JPEG_LIB_VERSION;
    // Without it JPEG pictures are refused as undecodable, so the reason
    // is not kept.
    std::string error;
    void* const handle = OpenRunTimeLibrary(("libjpeg.so." + std::to_string(kVersion)).c_str(), "JPEG library", error);
    if (!handle)
        return loaded;
#define VLS_JPEG_FIND(name) \
    if (!FindRunTimeSymbol(handle, #name, loaded.table.name, "JPEG library", error)) \
        return loaded;
    VLS_JPEG_FUNCTIONS(VLS_JPEG_FIND)
#undef VLS_JPEG_FIND
    loaded.ok = true;
    return loaded;
}

}  // namespace

const JpegLibrary* LoadJpegLibrary()
{
    static const Loaded loaded = Load();
    return loaded.ok ? &loaded.table : nullptr;
}

}  // namespace vls::d3dx
