#include "platform/bink/ffmpeg_library.h"
#include "platform/win32/run_time_library.h"

#include <string>

namespace vls::bink {

namespace {

#define VLS_STRING(x) #x
#define VLS_SONAME(library, major) "lib" #library ".so." VLS_STRING(major)

// The names the build was compiled against: a library of another major
// version has another interface, so it is never taken in their place.
struct Soname {
    const char* avutil = VLS_SONAME(avutil, LIBAVUTIL_VERSION_MAJOR);
    const char* swresample = VLS_SONAME(swresample, LIBSWRESAMPLE_VERSION_MAJOR);
    const char* swscale = VLS_SONAME(swscale, LIBSWSCALE_VERSION_MAJOR);
    const char* avcodec = VLS_SONAME(avcodec, LIBAVCODEC_VERSION_MAJOR);
    const char* avformat = VLS_SONAME(avformat, LIBAVFORMAT_VERSION_MAJOR);
};

struct Handles {
    void* avutil = nullptr;
    void* swresample = nullptr;
    void* swscale = nullptr;
    void* avcodec = nullptr;
    void* avformat = nullptr;
};

struct Loaded {
    FfmpegLibrary table;
    bool ok = false;
    std::string error;
};

constexpr const char* kWhat = "video libraries";

bool Open(void*& handle, const char* soname, std::string& error)
{
    handle = OpenRunTimeLibrary(soname, kWhat, error);
    return handle != nullptr;
}

Loaded Load()
{
    Loaded loaded;
    const Soname soname;
    Handles handles;
    if (!Open(handles.avutil, soname.avutil, loaded.error) || !Open(handles.swresample, soname.swresample, loaded.error)
        || !Open(handles.swscale, soname.swscale, loaded.error) || !Open(handles.avcodec, soname.avcodec, loaded.error)
        || !Open(handles.avformat, soname.avformat, loaded.error))
        return loaded;
#define VLS_FFMPEG_FIND(library, name) \
    if (!FindRunTimeSymbol(handles.library, #name, loaded.table.name, kWhat, loaded.error)) \
        return loaded;
    VLS_FFMPEG_FUNCTIONS(VLS_FFMPEG_FIND)
#undef VLS_FFMPEG_FIND
    loaded.ok = true;
    return loaded;
}

} // namespace

const FfmpegLibrary* LoadFfmpeg(const char** error)
{
    static const Loaded loaded = Load();
    if (error)
        *error = loaded.error.c_str();
    if (!loaded.ok)
        return nullptr;
    return &loaded.table;
}

} // namespace vls::bink
