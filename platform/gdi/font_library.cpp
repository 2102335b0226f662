#include "platform/gdi/font_library.h"

#include <dlfcn.h>

#include <cstdio>

namespace vls::gdi {

namespace {

struct Loaded {
    FontLibrary table;
    bool ok = false;
};

void* Open(const char* soname)
{
    void* handle = dlopen(soname, RTLD_NOW | RTLD_LOCAL);
    if (!handle)
        std::fprintf(stderr, "The font libraries cannot be loaded: %s\n", dlerror());
    return handle;
}

template <typename Pointer>
bool Find(void* handle, const char* name, Pointer& out)
{
    out = reinterpret_cast<Pointer>(dlsym(handle, name));
    if (!out)
        std::fprintf(stderr, "The font libraries lack %s.\n", name);
    return out != nullptr;
}

Loaded Load()
{
    Loaded loaded;
    // The names of the interfaces the headers describe (FreeType 2 and
    // fontconfig 2 have kept these since their first releases).
    void* const freetype = Open("libfreetype.so.6");
    void* const fontconfig = freetype ? Open("libfontconfig.so.1") : nullptr;
    if (!fontconfig)
        return loaded;
#define VLS_FONT_FIND(library, name) \
    if (!Find(library, #name, loaded.table.name)) \
        return loaded;
    VLS_FONT_FUNCTIONS(VLS_FONT_FIND)
#undef VLS_FONT_FIND
    loaded.ok = true;
    return loaded;
}

}  // namespace

const FontLibrary* LoadFontLibrary()
{
    static const Loaded loaded = Load();
    return loaded.ok ? &loaded.table : nullptr;
}

}  // namespace vls::gdi
