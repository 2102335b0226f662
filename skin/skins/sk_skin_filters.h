#pragma once

// The four skin stream formats and the registry that picks one by file
// extension: "uskn" (the body as it is), "kskn" and "xskn" ("SKLZ" and the
// body deflated at level 1 or 9) and "mskn" ("SKLZ", level 9, with the
// bitmaps as 16-bit BMP files and the objects in binary form).

#include "platform/vcl/streams.h"
#include "skin/skins/sk_skin_source.h"

namespace skin {

// An inflated body larger than this is taken for damage (a zlib bomb).
constexpr std::int64_t kMaxInflatedSkin = 256 * 1024 * 1024;

// The zlib reader's failure.
class EZDecompressionError : public vcl::Exception {
public:
    using vcl::Exception::Exception;
};

class TSkSkinFilter : public vcl::TPersistent {
    VCL_DECLARE_CLASS(TSkSkinFilter, vcl::TPersistent)
public:
    TSkSkinFilter() = default;
    TSkSkinSource* Source = nullptr;

    virtual void ReadSkin(vcl::TStream* stream);
    virtual void WriteSkin(vcl::TStream* stream);
    virtual void LoadFromStream(vcl::TStream*) {}
    virtual void SaveToStream(vcl::TStream*) {}

protected:
    void ReadHeaderStrings(vcl::TStream* stream);
    void WriteHeaderStrings(vcl::TStream* stream);
    // "SKLZ" (read without comparing) and a zlib stream of the body.
    void LoadCompressed(vcl::TStream* stream);
    void SaveCompressed(vcl::TStream* stream, int level);
};

class TSkSkinFilterUncompressed : public TSkSkinFilter {
    VCL_DECLARE_CLASS(TSkSkinFilterUncompressed, TSkSkinFilter)
public:
    void LoadFromStream(vcl::TStream* stream) override { ReadSkin(stream); }
    void SaveToStream(vcl::TStream* stream) override { WriteSkin(stream); }
};

class TSkSkinFilterCompressed : public TSkSkinFilter {
    VCL_DECLARE_CLASS(TSkSkinFilterCompressed, TSkSkinFilter)
public:
    void LoadFromStream(vcl::TStream* stream) override { LoadCompressed(stream); }
    void SaveToStream(vcl::TStream* stream) override { SaveCompressed(stream, 1); }
};

class TSkSkinFilterUltraCompressed : public TSkSkinFilter {
    VCL_DECLARE_CLASS(TSkSkinFilterUltraCompressed, TSkSkinFilter)
public:
    void LoadFromStream(vcl::TStream* stream) override { LoadCompressed(stream); }
    void SaveToStream(vcl::TStream* stream) override { SaveCompressed(stream, 9); }
};

class TSkSkinFilterMaxCompression : public TSkSkinFilterUltraCompressed {
    VCL_DECLARE_CLASS(TSkSkinFilterMaxCompression, TSkSkinFilterUltraCompressed)
public:
    void ReadSkin(vcl::TStream* stream) override;
    void WriteSkin(vcl::TStream* stream) override;
};

// A filter class as the registry holds it: its extension and description
// are known without an instance.
struct TSkSkinFilterClass {
    const char* extension;
    const char* description;
    TSkSkinFilter* (*create)();
};
extern const TSkSkinFilterClass* const kFilterUncompressed;
extern const TSkSkinFilterClass* const kFilterCompressed;
extern const TSkSkinFilterClass* const kFilterUltraCompressed;
extern const TSkSkinFilterClass* const kFilterMaxCompression;
extern const TSkSkinFilterClass* const DefaultSkinFilter;

void RegisterSkinFilter(const TSkSkinFilterClass* cls);
void UnregisterSkinFilter(const TSkSkinFilterClass* cls);
const TSkSkinFilterClass* FindSkinFilter(const vcl::AnsiString& fileName);

}  // namespace skin
