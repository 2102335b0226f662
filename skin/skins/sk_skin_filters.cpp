#include "skin/skins/sk_skin_filters.h"

#include <zlib.h>

#include <algorithm>
#include <memory>
#include <vector>

#include "skin/graphics/sk_stream_io.h"
#include "skin/skins/sk_object_stream.h"

namespace skin {

VCL_IMPLEMENT_CLASS(TSkSkinFilter, vcl::TPersistent, [](auto& b) { b.Persistent(); })
VCL_IMPLEMENT_CLASS(TSkSkinFilterUncompressed, TSkSkinFilter, [](auto& b) { b.Persistent(); })
VCL_IMPLEMENT_CLASS(TSkSkinFilterCompressed, TSkSkinFilter, [](auto& b) { b.Persistent(); })
VCL_IMPLEMENT_CLASS(TSkSkinFilterUltraCompressed, TSkSkinFilter, [](auto& b) { b.Persistent(); })
VCL_IMPLEMENT_CLASS(TSkSkinFilterMaxCompression, TSkSkinFilterUltraCompressed, [](auto& b) { b.Persistent(); })

namespace {

constexpr std::uint8_t kMagic[4] = {'S', 'K', 'L', 'Z'};

template <class T>
TSkSkinFilter* Make()
{
    return new T();
}

const TSkSkinFilterClass kUncompressed{"uskn", "Uncompressed Skin", &Make<TSkSkinFilterUncompressed>};
const TSkSkinFilterClass kCompressed{"kskn", "Compressed Skin", &Make<TSkSkinFilterCompressed>};
const TSkSkinFilterClass kUltra{"xskn", "Ultra Compressed Skin", &Make<TSkSkinFilterUltraCompressed>};
const TSkSkinFilterClass kMax{"mskn", "Maximum Compressed", &Make<TSkSkinFilterMaxCompression>};

std::vector<const TSkSkinFilterClass*>& Registry()
{
    static std::vector<const TSkSkinFilterClass*> filters{&kUncompressed, &kCompressed, &kUltra, &kMax};
    return filters;
}

std::vector<std::uint8_t> Inflate(const std::vector<std::uint8_t>& input)
{
    z_stream z{};
    if (inflateInit(&z) != Z_OK)
        throw EZDecompressionError("error");
    std::vector<std::uint8_t> out;
    z.next_in = const_cast<Bytef*>(input.data());
    z.avail_in = static_cast<uInt>(input.size());
    int rc = Z_OK;
    std::uint8_t chunk[65536];
    while (rc != Z_STREAM_END) {
        z.next_out = chunk;
        z.avail_out = sizeof(chunk);
        rc = inflate(&z, Z_NO_FLUSH);
        if (rc != Z_OK && rc != Z_STREAM_END) {
            // Damaged data, or data that ends before the zlib stream does.
            inflateEnd(&z);
            throw EZDecompressionError("error");
        }
        out.insert(out.end(), chunk, chunk + (sizeof(chunk) - z.avail_out));
        if (static_cast<std::int64_t>(out.size()) > kMaxInflatedSkin) {
            inflateEnd(&z);
            throw EZDecompressionError("error");
        }
    }
    inflateEnd(&z);
    return out;
}

std::vector<std::uint8_t> Deflate(const std::vector<std::uint8_t>& input, int level)
{
    uLongf size = compressBound(static_cast<uLong>(input.size()));
    std::vector<std::uint8_t> out(size);
    if (compress2(out.data(), &size, input.data(), static_cast<uLong>(input.size()), level) != Z_OK)
        throw vcl::EWriteError(vcl::consts::SWriteError);
    out.resize(size);
    return out;
}

void ReadBitmaps(TSkSkinSource* source, vcl::TStream* stream)
{
    const std::int32_t count = ReadInt32(stream);
    CheckCount(stream, count, 12, "bitmap");
    for (std::int32_t i = 0; i < count; ++i) {
        auto bitmap = std::make_unique<TSkBitmap>();
        bitmap->LoadFromStream(stream);
        // Skin pictures may paint transparent areas magenta.
        bitmap->MaskColor(0x00FF00FF);
        source->Bitmaps().Add(bitmap.release());
    }
}

void AddTopLevel(TSkSkinSource* source, TSkSkinObject* object)
{
    source->AddObject(object);
    object->SetBitmapList(&source->Bitmaps());
    object->ResolveLinks();
}

}  // namespace

const TSkSkinFilterClass* const kFilterUncompressed = &kUncompressed;
const TSkSkinFilterClass* const kFilterCompressed = &kCompressed;
const TSkSkinFilterClass* const kFilterUltraCompressed = &kUltra;
const TSkSkinFilterClass* const kFilterMaxCompression = &kMax;
const TSkSkinFilterClass* const DefaultSkinFilter = &kCompressed;

void RegisterSkinFilter(const TSkSkinFilterClass* cls)
{
    auto& r = Registry();
    if (std::find(r.begin(), r.end(), cls) == r.end())
        r.push_back(cls);
}

void UnregisterSkinFilter(const TSkSkinFilterClass* cls)
{
    auto& r = Registry();
    r.erase(std::remove(r.begin(), r.end(), cls), r.end());
}

const TSkSkinFilterClass* FindSkinFilter(const vcl::AnsiString& fileName)
{
    const vcl::AnsiString ext = vcl::LowerCase(vcl::ExtractFileExt(fileName));
    for (const TSkSkinFilterClass* cls : Registry())
        if (ext == '.' + vcl::LowerCase(cls->extension))
            return cls;
    return nullptr;
}

// ------------------------------------------------------- standard body

void TSkSkinFilter::ReadHeaderStrings(vcl::TStream* stream)
{
    vcl::AnsiString s[5];
    for (auto& v : s)
        ReadStreamString(stream, v);
    Source->SetSkinName(s[0]);
    Source->SetSkinVersion(s[1]);
    Source->SetAuthor(s[2]);
    Source->SetAuthorEMail(s[3]);
    Source->SetAuthorURL(s[4]);
}

void TSkSkinFilter::WriteHeaderStrings(vcl::TStream* stream)
{
    WriteStreamString(stream, Source->SkinName());
    WriteStreamString(stream, Source->SkinVersion());
    WriteStreamString(stream, Source->Author());
    WriteStreamString(stream, Source->AuthorEMail());
    WriteStreamString(stream, Source->AuthorURL());
}

void TSkSkinFilter::ReadSkin(vcl::TStream* stream)
{
    if (!Source)
        return;
    Source->Clear();
    ReadHeaderStrings(stream);
    ReadBitmaps(Source, stream);
    const std::int32_t count = ReadInt32(stream);
    CheckCount(stream, count, 8, "object");
    for (std::int32_t i = 0; i < count; ++i)
        AddTopLevel(Source, ReadSkinObjectText(stream, nullptr));
}

void TSkSkinFilter::WriteSkin(vcl::TStream* stream)
{
    WriteHeaderStrings(stream);
    TSkBitmapList& bitmaps = Source->Bitmaps();
    WriteInt32(stream, bitmaps.Count());
    for (int i = 0; i < bitmaps.Count(); ++i)
        bitmaps.GetBitmap(i)->SaveToStream(stream);
    WriteInt32(stream, Source->GetObjectCount());
    for (int i = 0; i < Source->GetObjectCount(); ++i)
        WriteSkinObjectText(stream, Source->GetObject(i));
}

void TSkSkinFilter::LoadCompressed(vcl::TStream* stream)
{
    // The magic is skipped, not compared: any four bytes before good zlib
    // data load.
    std::uint8_t magic[4];
    stream->ReadBuffer(magic, 4);
    const std::int64_t left = BytesLeft(stream);
    if (left > kMaxInflatedSkin)
        throw EZDecompressionError("error");
    std::vector<std::uint8_t> packed(static_cast<size_t>(left));
    if (left > 0)
        stream->ReadBuffer(packed.data(), static_cast<std::int32_t>(left));
    const std::vector<std::uint8_t> body = Inflate(packed);
    vcl::TMemoryStream memory;
    if (!body.empty())
        memory.WriteBuffer(body.data(), static_cast<std::int32_t>(body.size()));
    memory.SetPosition(0);
    ReadSkin(&memory);
}

void TSkSkinFilter::SaveCompressed(vcl::TStream* stream, int level)
{
    vcl::TMemoryStream body;
    WriteSkin(&body);
    const std::vector<std::uint8_t> packed = Deflate(body.Bytes(), level);
    stream->WriteBuffer(kMagic, 4);
    stream->WriteBuffer(packed.data(), static_cast<std::int32_t>(packed.size()));
}

// ------------------------------------------------------ maximum body

void TSkSkinFilterMaxCompression::ReadSkin(vcl::TStream* stream)
{
    if (!Source)
        return;
    Source->Clear();
    ReadHeaderStrings(stream);
    const std::int32_t count = ReadInt32(stream);
    CheckCount(stream, count, 8, "bitmap");
    for (std::int32_t i = 0; i < count; ++i) {
        vcl::AnsiString name;
        ReadStreamString(stream, name);
        const std::int32_t length = ReadInt32(stream);
        if (length < 0 || length > BytesLeft(stream))
            throw vcl::EReadError(vcl::Format("Skin bitmap file of %d bytes runs past the stream", length));
        vcl::TMemoryStream file;
        if (length > 0)
            file.CopyFrom(stream, length);
        file.SetPosition(0);
        vcl::TBitmap picture;
        picture.LoadFromStream(&file);
        if (picture.Width() > kMaxBitmapSide || picture.Height() > kMaxBitmapSide)
            throw vcl::EReadError("Skin bitmap size is out of range");
        auto bitmap = std::make_unique<TSkBitmap>();
        bitmap->Assign(&picture);
        // Sixteen bits per pixel move the key colour a little; snap it back.
        bitmap->MaskColor(KeyColor);
        bitmap->SetName(name);
        Source->Bitmaps().Add(bitmap.release());
    }
    const std::int32_t objects = ReadInt32(stream);
    CheckCount(stream, objects, 8, "object");
    for (std::int32_t i = 0; i < objects; ++i)
        AddTopLevel(Source, ReadSkinObjectBinary(stream, nullptr));
}

void TSkSkinFilterMaxCompression::WriteSkin(vcl::TStream* stream)
{
    WriteHeaderStrings(stream);
    TSkBitmapList& bitmaps = Source->Bitmaps();
    WriteInt32(stream, bitmaps.Count());
    for (int i = 0; i < bitmaps.Count(); ++i) {
        TSkBitmap* b = bitmaps.GetBitmap(i);
        WriteStreamString(stream, b->Name());
        vcl::TBitmap picture;
        picture.SetPixelFormat(vcl::pf16bit);
        picture.SetSize(b->Width(), b->Height());
        if (!b->Empty())
            b->Draw(picture.Canvas(), 0, 0, false);
        vcl::TMemoryStream file;
        picture.SaveToStream(&file);
        WriteInt32(stream, static_cast<std::int32_t>(file.Size()));
        file.SetPosition(0);
        stream->CopyFrom(&file, file.Size());
    }
    WriteInt32(stream, Source->GetObjectCount());
    for (int i = 0; i < Source->GetObjectCount(); ++i)
        WriteSkinObjectBinary(stream, Source->GetObject(i));
}

}  // namespace skin
