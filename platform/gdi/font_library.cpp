#include "platform/gdi/font_library.h"
#include "platform/win32/run_time_library.h"

#include <cstdio>
#include <string>

namespace vls::gdi {

namespace {

struct Loaded {
    FontLibrary table;
    bool ok = false;
};

constexpr const char* kWhat = "font libraries";

// A library that cannot be used is said on standard error once, and every
// font then takes fixed cells.
void* Open(const char* soname)
{
    std::string error;
    void* const handle = OpenRunTimeLibrary(soname, kWhat, error);
    if (!handle)
        std::fprintf(stderr, "%s\n", error.c_str());
    return handle;
}

template <typename Pointer>
bool Find(void* handle, const char* name, Pointer& out)
{
    std::string error;
    const bool found = FindRunTimeSymbol(handle, name, out, kWhat, error);
    if (!found)
        std::fprintf(stderr, "%s\n", error.c_str());
    return found;
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
