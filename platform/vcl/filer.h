#pragma once

// Component streaming in the class library's binary form: the signature
// "TPF0", then per component its class name, its name, its properties
// (name and typed value) up to an end marker, its children and an end
// marker. Everything read is checked: a bad signature, an unknown value
// type, a length running past the stream, an unknown class or property
// raise EReadError (or its kin) and no half-read component survives.

#include <cstdint>
#include <functional>
#include <vector>

#include "platform/vcl/classes.h"
#include "platform/vcl/streams.h"

namespace vcl {

class TCollection;

enum TValueType : std::uint8_t {
    vaNull, vaList, vaInt8, vaInt16, vaInt32, vaExtended, vaString, vaIdent, vaFalse, vaTrue, vaBinary, vaSet,
    vaLString, vaNil, vaCollection, vaSingle, vaCurrency, vaDate, vaWString, vaInt64, vaUTF8String
};
constexpr std::uint8_t kLastValueType = vaUTF8String;
// The first four bytes of every component stream.
inline constexpr char kFilerSignature[4] = {'T', 'P', 'F', '0'};

using TReaderProc = std::function<void(TReader*)>;
using TWriterProc = std::function<void(TWriter*)>;
using TStreamProc = std::function<void(TStream*)>;

class TFiler : public TObject {
    VCL_DECLARE_CLASS(TFiler, TObject)
public:
    explicit TFiler(TStream* stream) : stream_(stream) {}
    // A property of the instance's own making: `read` is called when the
    // stream holds it; `write` when `hasData`.
    virtual void DefineProperty(const AnsiString& name, const TReaderProc& read, const TWriterProc& write, bool hasData) = 0;
    virtual void DefineBinaryProperty(const AnsiString& name, const TStreamProc& read, const TStreamProc& write,
                                      bool hasData) = 0;
    TComponent* Root() const { return root_; }
    TStream* Stream() const { return stream_; }

protected:
    TStream* stream_;
    TComponent* root_ = nullptr;
};

class TReader : public TFiler {
    VCL_DECLARE_CLASS(TReader, TFiler)
public:
    // The component that the components being read are put in.
    TComponent* Parent() const { return parent_; }
    explicit TReader(TStream* stream) : TFiler(stream) {}

    // Reads the root from the stream: into `root` when given, else a new
    // instance of the stored class, which the caller then owns.
    TComponent* ReadRootComponent(TComponent* root);
    void ReadData(TComponent* instance);
    TComponent* ReadComponent(TComponent* component);
    void ReadSignature();

    TValueType NextValue();
    TValueType ReadValue();
    bool EndOfList();
    void ReadListBegin();
    void ReadListEnd();
    std::int64_t ReadInteger();  // any integer value type
    std::int64_t ReadInt64() { return ReadInteger(); }
    bool ReadBoolean();
    double ReadFloat();
    AnsiString ReadString();   // any string value type, as 8-bit text
    WideString ReadWideString();
    AnsiString ReadIdent();     // identifiers, False/True/nil/Null
    AnsiString ReadStr();       // a length-prefixed short string
    void Read(void* buffer, std::int32_t count) { stream_->ReadBuffer(buffer, count); }
    void SkipValue();

    void DefineProperty(const AnsiString& name, const TReaderProc& read, const TWriterProc& write, bool hasData) override;
    void DefineBinaryProperty(const AnsiString& name, const TStreamProc& read, const TStreamProc& write,
                              bool hasData) override;

    void ReadProperties(TPersistent* instance);
    void ReadCollection(TCollection* collection);

private:
    void ReadProperty(TPersistent* instance);
    void ReadPropValue(TPersistent* instance, const TPropInfo& prop);
    std::int32_t ReadLength();  // checked against what the stream still holds
    void ResolveFixups();

    struct Fixup {
        TPersistent* instance;
        const TPropInfo* prop;
        AnsiString name;
    };
    TComponent* owner_ = nullptr;
    TComponent* parent_ = nullptr;
    std::vector<TComponent*> loaded_;
    std::vector<TComponent*> created_;
    std::vector<Fixup> fixups_;
    AnsiString pendingName_;
    bool pendingHandled_ = false;
};

class TWriter : public TFiler {
    VCL_DECLARE_CLASS(TWriter, TFiler)
public:
    explicit TWriter(TStream* stream) : TFiler(stream) {}

    void WriteRootComponent(TComponent* root);
    void WriteComponent(TComponent* component);
    void WriteData(TComponent* instance);
    void WriteSignature();

    void WriteValue(TValueType value);
    void WriteListBegin() { WriteValue(vaList); }
    void WriteListEnd() { WriteValue(vaNull); }
    void WriteInteger(std::int64_t value);
    void WriteBoolean(bool value) { WriteValue(value ? vaTrue : vaFalse); }
    void WriteFloat(double value);
    void WriteString(const AnsiString& value);
    void WriteWideString(const WideString& value);
    void WriteIdent(const AnsiString& ident);
    void WriteStr(const AnsiString& value);  // a length-prefixed short string
    void Write(const void* buffer, std::int32_t count) { stream_->WriteBuffer(buffer, count); }

    void DefineProperty(const AnsiString& name, const TReaderProc& read, const TWriterProc& write, bool hasData) override;
    void DefineBinaryProperty(const AnsiString& name, const TStreamProc& read, const TStreamProc& write,
                              bool hasData) override;

    void WriteProperties(TPersistent* instance);
    void WriteCollection(TCollection* collection);

private:
    void WriteProperty(TPersistent* instance, const TPropInfo& prop);
    void WritePropName(const AnsiString& name);
    AnsiString propPath_;
};

// 80-bit extended reals as the stream stores them.
void DoubleToExtended(double value, std::uint8_t out[10]);
double ExtendedToDouble(const std::uint8_t in[10]);

// The text form: "object Name: TClass" ... "end".
void ObjectBinaryToText(TStream* input, TStream* output);
void ObjectTextToBinary(TStream* input, TStream* output);

}  // namespace vcl
