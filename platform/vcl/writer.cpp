#include <cstring>

#include "platform/vcl/collection.h"
#include "platform/vcl/filer.h"

namespace vcl {

// ------------------------------------------------------------------ TWriter

void TWriter::WriteSignature() { Write(kFilerSignature, 4); }

void TWriter::WriteValue(TValueType value)
{
    const auto v = static_cast<std::uint8_t>(value);
    Write(&v, 1);
}

void TWriter::WriteStr(const AnsiString& value)
{
    const auto n = static_cast<std::uint8_t>(std::min<size_t>(value.size(), 255));
    Write(&n, 1);
    if (n)
        Write(value.data(), n);
}

void TWriter::WriteInteger(std::int64_t value)
{
    if (value >= -128 && value <= 127) {
        WriteValue(vaInt8);
        const auto v = static_cast<std::int8_t>(value);
        Write(&v, 1);
    } else if (value >= -32768 && value <= 32767) {
        WriteValue(vaInt16);
        const auto v = static_cast<std::int16_t>(value);
        Write(&v, 2);
    } else if (value >= INT32_MIN && value <= INT32_MAX) {
        WriteValue(vaInt32);
        const auto v = static_cast<std::int32_t>(value);
        Write(&v, 4);
    } else {
        WriteValue(vaInt64);
        Write(&value, 8);
    }
}

void TWriter::WriteFloat(double value)
{
    WriteValue(vaExtended);
    std::uint8_t e[10];
    DoubleToExtended(value, e);
    Write(e, 10);
}

void TWriter::WriteString(const AnsiString& value)
{
    if (value.size() <= 255) {
        WriteValue(vaString);
        WriteStr(value);
        return;
    }
    WriteValue(vaLString);
    const auto n = static_cast<std::int32_t>(value.size());
    Write(&n, 4);
    Write(value.data(), n);
}

void TWriter::WriteWideString(const WideString& value)
{
    WriteValue(vaWString);
    const auto n = static_cast<std::int32_t>(value.size());
    Write(&n, 4);
    if (n)
        Write(value.data(), n * 2);
}

void TWriter::WriteIdent(const AnsiString& ident)
{
    if (SameText(ident, "False"))
        WriteValue(vaFalse);
    else if (SameText(ident, "True"))
        WriteValue(vaTrue);
    else if (SameText(ident, "nil"))
        WriteValue(vaNil);
    else if (SameText(ident, "Null"))
        WriteValue(vaNull);
    else {
        WriteValue(vaIdent);
        WriteStr(ident);
    }
}

void TWriter::WritePropName(const AnsiString& name) { WriteStr(propPath_ + name); }

void TWriter::DefineProperty(const AnsiString& name, const TReaderProc&, const TWriterProc& write, bool hasData)
{
    if (!hasData || !write)
        return;
    WritePropName(name);
    write(this);
}

void TWriter::DefineBinaryProperty(const AnsiString& name, const TStreamProc&, const TStreamProc& write, bool hasData)
{
    if (!hasData || !write)
        return;
    WritePropName(name);
    TMemoryStream data;
    write(&data);
    WriteValue(vaBinary);
    const auto n = static_cast<std::int32_t>(data.Size());
    Write(&n, 4);
    if (n)
        Write(data.Memory(), n);
}

void TWriter::WriteProperties(TPersistent* instance)
{
    for (const TPropInfo* prop : instance->ClassType()->AllProperties())
        WriteProperty(instance, *prop);
    instance->DefineProperties(this);
}

void TWriter::WriteProperty(TPersistent* instance, const TPropInfo& prop)
{
    if (prop.kind == TTypeKind::Class) {
        TObject* value = prop.getObject(instance);
        if (prop.stored && !prop.stored(instance))
            return;
        if (auto* component = dynamic_cast<TComponent*>(value)) {
            // A reference: written by name when it can be found again.
            if (!prop.setObject)
                return;
            AnsiString name;
            if (component == root_)
                name = component->Name();
            else if (component->Owner() == root_)
                name = component->Name();
            else if (component->Owner() && !component->Owner()->Name().empty())
                name = component->Owner()->Name() + "." + component->Name();
            if (name.empty())
                return;
            WritePropName(prop.name);
            WriteIdent(name);
            return;
        }
        if (auto* collection = dynamic_cast<TCollection*>(value)) {
            WritePropName(prop.name);
            WriteCollection(collection);
            return;
        }
        if (auto* persistent = dynamic_cast<TPersistent*>(value)) {
            const AnsiString saved = propPath_;
            propPath_ = saved + prop.name + ".";
            WriteProperties(persistent);
            propPath_ = saved;
        }
        return;
    }
    if (!prop.IsStoredFor(instance))
        return;
    WritePropName(prop.name);
    switch (prop.kind) {
    case TTypeKind::Integer:
    case TTypeKind::Int64: {
        const std::int64_t v = prop.getOrd(instance);
        std::string ident;
        if (prop.identMap && prop.identMap->toIdent(v, ident))
            WriteIdent(ident);
        else
            WriteInteger(v);
        break;
    }
    case TTypeKind::Char: WriteString(AnsiString(1, static_cast<char>(prop.getOrd(instance)))); break;
    case TTypeKind::Enumeration: {
        const std::int64_t v = prop.getOrd(instance);
        if (prop.enumInfo == BooleanInfo())
            WriteBoolean(v != 0);
        else
            WriteIdent(v >= 0 && v < static_cast<std::int64_t>(prop.enumInfo->names.size()) ? prop.enumInfo->names[static_cast<size_t>(v)] : "");
        break;
    }
    case TTypeKind::Set: {
        WriteValue(vaSet);
        const auto bits = static_cast<std::uint32_t>(prop.getOrd(instance));
        for (size_t i = 0; i < prop.enumInfo->names.size() && i < 32; ++i) {
            if (bits & (1u << i))
                WriteStr(prop.enumInfo->names[i]);
        }
        WriteStr("");
        break;
    }
    case TTypeKind::Float: WriteFloat(prop.getFloat(instance)); break;
    case TTypeKind::String: WriteString(prop.getStr(instance)); break;
    case TTypeKind::WString: WriteWideString(prop.getWStr(instance)); break;
    case TTypeKind::Method: WriteIdent(prop.getMethod(instance)); break;
    case TTypeKind::Class: break;
    }
}

void TWriter::WriteCollection(TCollection* collection)
{
    WriteValue(vaCollection);
    const AnsiString saved = propPath_;
    propPath_.clear();
    for (int i = 0; i < collection->Count(); ++i) {
        WriteListBegin();
        WriteProperties(collection->Items(i));
        WriteListEnd();
    }
    propPath_ = saved;
    WriteListEnd();
}

void TWriter::WriteData(TComponent* instance)
{
    WriteProperties(instance);
    WriteListEnd();
    instance->GetChildren([this](TComponent* child) { WriteComponent(child); }, root_);
    WriteListEnd();
}

void TWriter::WriteComponent(TComponent* component)
{
    WriteStr(component->ClassName());
    WriteStr(component->Name());
    component->WriteState(this);
}

void TWriter::WriteRootComponent(TComponent* root)
{
    root_ = root;
    WriteSignature();
    WriteComponent(root);
}

}  // namespace vcl
