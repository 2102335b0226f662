#include "skin/skins/sk_object_stream.h"

#include <memory>

#include "platform/vcl/filer.h"
#include "skin/graphics/sk_stream_io.h"

namespace skin {

namespace {

thread_local int nesting = 0;

struct NestingGuard {
    NestingGuard()
    {
        if (++nesting > kMaxSkinNesting) {
            --nesting;
            throw vcl::EReadError("Skin objects nest too deep");
        }
    }
    ~NestingGuard() { --nesting; }
};

TSkSkinObject* CreateFromClassName(vcl::TStream* stream, vcl::TComponent* owner)
{
    vcl::AnsiString className;
    ReadStreamString(stream, className);
    const vcl::TClass cls = FindSkinObjectClass(className);
    if (!cls || !cls->create)
        throw vcl::EReadError(vcl::Format("Skin object class %s is not registered", className));
    return static_cast<TSkSkinObject*>(cls->create(owner));
}

// Reads the component form into a new object; a failure frees it.
TSkSkinObject* ReadInto(vcl::TStream* stream, vcl::TComponent* owner, bool text)
{
    NestingGuard guard;
    std::unique_ptr<TSkSkinObject> object(CreateFromClassName(stream, owner));
    vcl::TMemoryStream binary;
    if (text) {
        vcl::AnsiString source;
        ReadStreamString(stream, source);
        vcl::TStringStream input(source);
        vcl::ObjectTextToBinary(&input, &binary);
    } else {
        const std::int32_t length = ReadInt32(stream);
        if (length < 0 || length > BytesLeft(stream))
            throw vcl::EReadError(vcl::Format("Skin object of %d bytes runs past the stream", length));
        if (length > 0)
            binary.CopyFrom(stream, length);
    }
    binary.SetPosition(0);
    binary.ReadComponent(object.get());
    object->SetCharset(DEFAULT_CHARSET);
    return object.release();
}

}  // namespace

void WriteSkinObjectText(vcl::TStream* stream, TSkSkinObject* object)
{
    if (!object)
        return;
    WriteStreamString(stream, object->ClassName());
    vcl::TMemoryStream binary;
    binary.WriteComponent(object);
    binary.SetPosition(0);
    vcl::TStringStream text("");
    vcl::ObjectBinaryToText(&binary, &text);
    WriteStreamString(stream, text.DataString());
}

void WriteSkinObjectBinary(vcl::TStream* stream, TSkSkinObject* object)
{
    if (!object)
        return;
    WriteStreamString(stream, object->ClassName());
    vcl::TMemoryStream binary;
    binary.WriteComponent(object);
    WriteInt32(stream, static_cast<std::int32_t>(binary.Size()));
    binary.SetPosition(0);
    if (binary.Size() > 0)
        stream->CopyFrom(&binary, binary.Size());
}

TSkSkinObject* ReadSkinObjectText(vcl::TStream* stream, vcl::TComponent* owner)
{
    return ReadInto(stream, owner, true);
}

TSkSkinObject* ReadSkinObjectBinary(vcl::TStream* stream, vcl::TComponent* owner)
{
    return ReadInto(stream, owner, false);
}

}  // namespace skin
