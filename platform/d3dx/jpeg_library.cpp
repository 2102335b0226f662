#include "platform/d3dx/jpeg_library.h"

#include <dlfcn.h>

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
    void* const handle = dlopen(("libjpeg.so." + std::to_string(kVersion)).c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!handle)
        return loaded;
#define VLS_JPEG_FIND(name) \
    loaded.table.name = reinterpret_cast<decltype(&::name)>(dlsym(handle, #name)); \
    if (!loaded.table.name) \
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
