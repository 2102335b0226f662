#include "platform/vcl/filer.h"

#include <cmath>
#include <cstring>
#include <limits>

#include "platform/vcl/collection.h"

namespace vcl {

VCL_IMPLEMENT_CLASS(TFiler, TObject, [](auto&) {})
VCL_IMPLEMENT_CLASS(TReader, TFiler, [](auto&) {})
VCL_IMPLEMENT_CLASS(TWriter, TFiler, [](auto&) {})

namespace {

constexpr std::uint8_t kPrefixMask = 0xF0;
constexpr std::uint8_t kInheritedFlag = 0x01;
constexpr std::uint8_t kChildPosFlag = 0x02;

[[noreturn]] void InvalidImage()
{
    throw EReadError(consts::SInvalidImage);
}

}  // namespace

// ------------------------------------------------------- extended reals

void DoubleToExtended(double value, std::uint8_t out[10])
{
    std::memset(out, 0, 10);
    if (value == 0.0) {
        if (std::signbit(value))
            out[9] = 0x80;
        return;
    }
    std::uint64_t bits;
    std::memcpy(&bits, &value, 8);
    const bool negative = bits >> 63;
    int exponent = static_cast<int>((bits >> 52) & 0x7FF);
    std::uint64_t fraction = bits & ((std::uint64_t{1} << 52) - 1);
    std::uint64_t mantissa;
    int extExponent;
    if (exponent == 0x7FF) {
        extExponent = 0x7FFF;
        mantissa = (std::uint64_t{1} << 63) | (fraction << 11);
    } else if (exponent == 0) {
        // Subnormal double: normalise.
        int shift = 0;
        while (!(fraction & (std::uint64_t{1} << 52))) {
            fraction <<= 1;
            ++shift;
        }
        mantissa = fraction << 11;
        extExponent = 1 - 1023 - shift + 16383;
    } else {
        mantissa = (std::uint64_t{1} << 63) | (fraction << 11);
        extExponent = exponent - 1023 + 16383;
    }
    for (int i = 0; i < 8; ++i)
        out[i] = static_cast<std::uint8_t>(mantissa >> (8 * i));
    const std::uint16_t se = static_cast<std::uint16_t>(extExponent | (negative ? 0x8000 : 0));
    out[8] = static_cast<std::uint8_t>(se);
    out[9] = static_cast<std::uint8_t>(se >> 8);
}

double ExtendedToDouble(const std::uint8_t in[10])
{
    std::uint64_t mantissa = 0;
    for (int i = 0; i < 8; ++i)
        mantissa |= static_cast<std::uint64_t>(in[i]) << (8 * i);
    const std::uint16_t se = static_cast<std::uint16_t>(in[8] | (in[9] << 8));
    const bool negative = se & 0x8000;
    const int exponent = se & 0x7FFF;
    double v;
    if (exponent == 0 && mantissa == 0)
        v = 0.0;
    else if (exponent == 0x7FFF)
        v = (mantissa << 1) ? std::numeric_limits<double>::quiet_NaN() : std::numeric_limits<double>::infinity();
    else
        v = std::ldexp(static_cast<double>(mantissa), exponent - 16383 - 63);
    return negative ? -v : v;
}

// ------------------------------------------------------------------ TReader

void TReader::ReadSignature()
{
    char sig[4];
    if (stream_->Read(sig, 4) != 4 || std::memcmp(sig, kFilerSignature, 4) != 0)
        InvalidImage();
}

TValueType TReader::ReadValue()
{
    std::uint8_t v = 0;
    Read(&v, 1);
    if (v > kLastValueType)
        InvalidImage();
    return static_cast<TValueType>(v);
}

TValueType TReader::NextValue()
{
    const TValueType v = ReadValue();
    stream_->Seek(-1, soFromCurrent);
    return v;
}

// The byte ahead may be the length of a property name rather than a value
// type, so it is compared, not checked as a value type.
bool TReader::EndOfList()
{
    std::uint8_t v = 0;
    Read(&v, 1);
    stream_->Seek(-1, soFromCurrent);
    return v == vaNull;
}

void TReader::ReadListBegin()
{
    if (ReadValue() != vaList)
        throw EReadError(consts::SInvalidPropertyValue);
}

void TReader::ReadListEnd()
{
    if (ReadValue() != vaNull)
        throw EReadError(consts::SInvalidPropertyValue);
}

std::int32_t TReader::ReadLength()
{
    std::int32_t n = 0;
    Read(&n, 4);
    const std::int64_t left = stream_->Size() - stream_->Position();
    if (n < 0 || n > left)
        throw EReadError(consts::SReadError);
    return n;
}

AnsiString TReader::ReadStr()
{
    std::uint8_t n = 0;
    Read(&n, 1);
    AnsiString s(n, '\0');
    if (n)
        Read(s.data(), n);
    return s;
}

std::int64_t TReader::ReadInteger()
{
    switch (ReadValue()) {
    case vaInt8: {
        std::int8_t v;
        Read(&v, 1);
        return v;
    }
    case vaInt16: {
        std::int16_t v;
        Read(&v, 2);
        return v;
    }
    case vaInt32: {
        std::int32_t v;
        Read(&v, 4);
        return v;
    }
    case vaInt64: {
        std::int64_t v;
        Read(&v, 8);
        return v;
    }
    default: throw EReadError(consts::SInvalidPropertyValue);
    }
}

bool TReader::ReadBoolean()
{
    const TValueType v = ReadValue();
    if (v != vaTrue && v != vaFalse)
        throw EReadError(consts::SInvalidPropertyValue);
    return v == vaTrue;
}

double TReader::ReadFloat()
{
    switch (NextValue()) {
    case vaExtended:
    case vaDate: {
        ReadValue();
        std::uint8_t e[10];
        Read(e, 10);
        return ExtendedToDouble(e);
    }
    case vaSingle: {
        ReadValue();
        float f;
        Read(&f, 4);
        return f;
    }
    case vaCurrency: {
        ReadValue();
        std::int64_t c;
        Read(&c, 8);
        return static_cast<double>(c) / 10000.0;
    }
    default: return static_cast<double>(ReadInteger());
    }
}

WideString TReader::ReadWideString()
{
    switch (ReadValue()) {
    case vaString: {
        stream_->Seek(-1, soFromCurrent);
        return AnsiToWide(ReadString());
    }
    case vaLString:
        stream_->Seek(-1, soFromCurrent);
        return AnsiToWide(ReadString());
    case vaWString: {
        std::int32_t n = 0;
        Read(&n, 4);
        const std::int64_t left = stream_->Size() - stream_->Position();
        if (n < 0 || static_cast<std::int64_t>(n) * 2 > left)
            throw EReadError(consts::SReadError);
        WideString s(static_cast<size_t>(n), u'\0');
        if (n)
            Read(s.data(), n * 2);
        return s;
    }
    case vaUTF8String: {
        const std::int32_t n = ReadLength();
        std::string s(static_cast<size_t>(n), '\0');
        if (n)
            Read(s.data(), n);
        return Utf8ToWide(s);
    }
    default: throw EReadError(consts::SInvalidPropertyValue);
    }
}

AnsiString TReader::ReadString()
{
    switch (NextValue()) {
    case vaString:
        ReadValue();
        return ReadStr();
    case vaLString: {
        ReadValue();
        const std::int32_t n = ReadLength();
        AnsiString s(static_cast<size_t>(n), '\0');
        if (n)
            Read(s.data(), n);
        return s;
    }
    case vaWString:
    case vaUTF8String: return WideToAnsi(ReadWideString());
    default: ReadValue(); throw EReadError(consts::SInvalidPropertyValue);
    }
}

AnsiString TReader::ReadIdent()
{
    switch (ReadValue()) {
    case vaIdent: return ReadStr();
    case vaFalse: return "False";
    case vaTrue: return "True";
    case vaNil: return "nil";
    case vaNull: return "Null";
    default: throw EReadError(consts::SInvalidPropertyValue);
    }
}

void TReader::SkipValue()
{
    switch (ReadValue()) {
    case vaNull:
    case vaFalse:
    case vaTrue:
    case vaNil: break;
    case vaList:
        while (!EndOfList())
            SkipValue();
        ReadListEnd();
        break;
    case vaInt8: stream_->Seek(1, soFromCurrent); break;
    case vaInt16: stream_->Seek(2, soFromCurrent); break;
    case vaInt32:
    case vaSingle: stream_->Seek(4, soFromCurrent); break;
    case vaInt64:
    case vaCurrency: stream_->Seek(8, soFromCurrent); break;
    case vaExtended:
    case vaDate: stream_->Seek(10, soFromCurrent); break;
    case vaString:
    case vaIdent: ReadStr(); break;
    case vaLString:
    case vaBinary:
    case vaUTF8String: stream_->Seek(ReadLength(), soFromCurrent); break;
    case vaWString: {
        std::int32_t n = 0;
        Read(&n, 4);
        if (n < 0 || static_cast<std::int64_t>(n) * 2 > stream_->Size() - stream_->Position())
            throw EReadError(consts::SReadError);
        stream_->Seek(static_cast<std::int64_t>(n) * 2, soFromCurrent);
        break;
    }
    case vaSet:
        while (!ReadStr().empty()) {
        }
        break;
    case vaCollection:
        while (!EndOfList()) {
            if (NextValue() == vaInt8 || NextValue() == vaInt16 || NextValue() == vaInt32)
                ReadInteger();
            ReadListBegin();
            while (!EndOfList()) {
                ReadStr();
                SkipValue();
            }
            ReadListEnd();
        }
        ReadListEnd();
        break;
    }
}

void TReader::DefineProperty(const AnsiString& name, const TReaderProc& read, const TWriterProc&, bool)
{
    if (!pendingHandled_ && read && SameText(name, pendingName_)) {
        read(this);
        pendingHandled_ = true;
    }
}

void TReader::DefineBinaryProperty(const AnsiString& name, const TStreamProc& read, const TStreamProc&, bool)
{
    if (pendingHandled_ || !read || !SameText(name, pendingName_))
        return;
    if (ReadValue() != vaBinary)
        throw EReadError(consts::SInvalidPropertyValue);
    const std::int32_t n = ReadLength();
    TMemoryStream data;
    data.SetSize(n);
    if (n)
        Read(data.Memory(), n);
    data.SetPosition(0);
    read(&data);
    pendingHandled_ = true;
}

void TReader::ReadProperties(TPersistent* instance)
{
    while (!EndOfList())
        ReadProperty(instance);
    ReadListEnd();
}

void TReader::ReadProperty(TPersistent* instance)
{
    const AnsiString path = ReadStr();
    if (path.empty())
        InvalidImage();
    TPersistent* target = instance;
    size_t start = 0;
    while (true) {
        const size_t dot = path.find('.', start);
        const AnsiString part = path.substr(start, dot == AnsiString::npos ? AnsiString::npos : dot - start);
        const TPropInfo* prop = target->ClassType()->FindProperty(part);
        if (dot == AnsiString::npos) {
            if (prop) {
                ReadPropValue(target, *prop);
                return;
            }
            // Not published: perhaps the object defines it itself.
            pendingName_ = part;
            pendingHandled_ = false;
            target->DefineProperties(this);
            if (!pendingHandled_)
                throw EReadError(Format(consts::SUnknownProperty, path));
            pendingName_.clear();
            return;
        }
        if (!prop || prop->kind != TTypeKind::Class)
            throw EReadError(Format(consts::SUnknownProperty, path));
        auto* next = dynamic_cast<TPersistent*>(prop->getObject(target));
        if (!next)
            throw EReadError(consts::SInvalidPropertyPath);
        target = next;
        start = dot + 1;
    }
}

void TReader::ReadPropValue(TPersistent* instance, const TPropInfo& prop)
{
    switch (prop.kind) {
    case TTypeKind::Integer:
    case TTypeKind::Int64: {
        if (NextValue() == vaIdent) {
            const AnsiString ident = ReadIdent();
            std::int64_t v = 0;
            if (!prop.identMap || !prop.identMap->fromIdent(ident, v))
                throw EReadError(consts::SInvalidPropertyValue);
            prop.setOrd(instance, v);
            return;
        }
        prop.setOrd(instance, ReadInteger());
        return;
    }
    case TTypeKind::Char: {
        if (NextValue() == vaString || NextValue() == vaLString || NextValue() == vaWString) {
            const AnsiString s = ReadString();
            if (s.size() != 1)
                throw EReadError(consts::SInvalidPropertyValue);
            prop.setOrd(instance, static_cast<unsigned char>(s[0]));
            return;
        }
        prop.setOrd(instance, ReadInteger());
        return;
    }
    case TTypeKind::Enumeration: {
        const AnsiString ident = ReadIdent();
        const int v = prop.enumInfo ? prop.enumInfo->ValueOf(ident) : -1;
        if (v < 0)
            throw EReadError(consts::SInvalidPropertyValue);
        prop.setOrd(instance, v);
        return;
    }
    case TTypeKind::Set: {
        if (ReadValue() != vaSet)
            throw EReadError(consts::SInvalidPropertyValue);
        std::uint32_t bits = 0;
        while (true) {
            const AnsiString ident = ReadStr();
            if (ident.empty())
                break;
            const int v = prop.enumInfo ? prop.enumInfo->ValueOf(ident) : -1;
            if (v < 0 || v >= 32)
                throw EReadError(consts::SInvalidPropertyValue);
            bits |= 1u << v;
        }
        prop.setOrd(instance, bits);
        return;
    }
    case TTypeKind::Float: prop.setFloat(instance, ReadFloat()); return;
    case TTypeKind::String: prop.setStr(instance, ReadString()); return;
    case TTypeKind::WString: prop.setWStr(instance, ReadWideString()); return;
    case TTypeKind::Method: {
        if (NextValue() == vaNil) {
            ReadValue();
            prop.setMethod(instance, std::any(), "");
            return;
        }
        const AnsiString name = ReadIdent();
        if (!BindEvent(instance, prop, root_, name))
            throw EMethodNotFound(Format(consts::SMethodNotFound, name));
        return;
    }
    case TTypeKind::Class: {
        const TValueType next = NextValue();
        if (next == vaCollection) {
            ReadValue();
            auto* collection = dynamic_cast<TCollection*>(prop.getObject(instance));
            if (!collection)
                throw EReadError(consts::SInvalidPropertyValue);
            ReadCollection(collection);
            return;
        }
        if (next == vaNil) {
            ReadValue();
            if (prop.setObject)
                prop.setObject(instance, nullptr);
            return;
        }
        if (next == vaIdent && prop.setObject) {
            fixups_.push_back({instance, &prop, ReadIdent()});
            return;
        }
        throw EReadError(consts::SInvalidPropertyValue);
    }
    }
}

void TReader::ReadCollection(TCollection* collection)
{
    collection->BeginUpdate();
    try {
        collection->Clear();
        while (!EndOfList()) {
            const TValueType v = NextValue();
            if (v == vaInt8 || v == vaInt16 || v == vaInt32)
                ReadInteger();  // the item's order is its place here
            TCollectionItem* item = collection->Add();
            ReadListBegin();
            while (!EndOfList())
                ReadProperty(item);
            ReadListEnd();
        }
        ReadListEnd();
    } catch (...) {
        collection->EndUpdate();
        throw;
    }
    collection->EndUpdate();
}

void TReader::ReadData(TComponent* instance)
{
    while (!EndOfList())
        ReadProperty(instance);
    ReadListEnd();
    TComponent* const savedParent = parent_;
    parent_ = instance->GetChildParent();
    while (!EndOfList())
        ReadComponent(nullptr);
    ReadListEnd();
    parent_ = savedParent;
}

TComponent* TReader::ReadComponent(TComponent* component)
{
    std::uint8_t prefix = 0;
    Read(&prefix, 1);
    bool inherited = false;
    if ((prefix & kPrefixMask) == kPrefixMask) {
        inherited = prefix & kInheritedFlag;
        if (prefix & kChildPosFlag)
            ReadInteger();
    } else {
        stream_->Seek(-1, soFromCurrent);
    }
    const AnsiString className = ReadStr();
    const AnsiString name = ReadStr();
    if (!component) {
        // An inherited child already made by the owner is filled in place.
        component = inherited && owner_ ? owner_->FindComponent(name) : nullptr;
        if (component && !SameText(component->ClassName(), className))
            component = nullptr;
        if (!component) {
            TClass cls = FindClass(className);
            if (!cls->create || !cls->InheritsFrom(TComponent::StaticClass()))
                throw EClassNotFound(Format(consts::SClassNotFound, className));
            component = static_cast<TComponent*>(cls->create(owner_));
            created_.push_back(component);
            component->SetLoadingState(true);
            component->SetName(name);
            if (component->HasParent() && parent_)
                component->SetParentComponent(parent_);
        }
    }
    component->SetLoadingState(true);
    loaded_.push_back(component);
    component->ReadState(this);
    return component;
}

void TReader::ResolveFixups()
{
    for (const Fixup& f : fixups_) {
        TComponent* target = nullptr;
        if (SameText(f.name, root_->Name()))
            target = root_;
        else
            target = FindNestedComponent(root_, f.name);
        if (!target)
            throw EReadError(Format(consts::SInvalidPropertyValue, f.name));
        f.prop->setObject(f.instance, target);
    }
    fixups_.clear();
}

TComponent* TReader::ReadRootComponent(TComponent* root)
{
    ReadSignature();
    std::uint8_t prefix = 0;
    Read(&prefix, 1);
    if ((prefix & kPrefixMask) == kPrefixMask) {
        if (prefix & kChildPosFlag)
            ReadInteger();
    } else {
        stream_->Seek(-1, soFromCurrent);
    }
    const AnsiString className = ReadStr();
    const AnsiString name = ReadStr();
    bool madeRoot = false;
    try {
        if (!root) {
            TClass cls = FindClass(className);
            if (!cls->create || !cls->InheritsFrom(TComponent::StaticClass()))
                throw EClassNotFound(Format(consts::SClassNotFound, className));
            root = static_cast<TComponent*>(cls->create(nullptr));
            madeRoot = true;
            root->SetName(name);
        } else if (!name.empty() && root->Name() != name) {
            root->SetName(name);
        }
        root_ = root;
        owner_ = root;
        root->SetLoadingState(true);
        loaded_.push_back(root);
        root->ReadState(this);
        ResolveFixups();
    } catch (...) {
        // Nothing half-read stays behind: children made here go, and so
        // does the root when we made it.
        for (auto it = created_.rbegin(); it != created_.rend(); ++it)
            delete *it;
        created_.clear();
        if (madeRoot)
            delete root;
        else if (root)
            root->SetLoadingState(false), root->Loaded();
        throw;
    }
    for (TComponent* c : loaded_)
        c->SetLoadingState(false);
    for (TComponent* c : loaded_)
        c->Loaded();
    loaded_.clear();
    created_.clear();
    return root;
}

}  // namespace vcl
