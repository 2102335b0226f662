#pragma once

// Streams. Read and Write move as many bytes as they can and say how many;
// ReadBuffer and WriteBuffer move all or raise the stream errors, so a short
// stream never passes for a full one.

#include <cstdint>
#include <cstdio>
#include <vector>

#include "platform/vcl/classes.h"

namespace vcl {

enum TSeekOrigin { soFromBeginning = 0, soFromCurrent = 1, soFromEnd = 2 };

class TStream : public TObject {
    VCL_DECLARE_CLASS(TStream, TObject)
public:
    virtual std::int32_t Read(void* buffer, std::int32_t count) = 0;
    virtual std::int32_t Write(const void* buffer, std::int32_t count) = 0;
    virtual std::int64_t Seek(std::int64_t offset, TSeekOrigin origin) = 0;

    std::int64_t Position() { return Seek(0, soFromCurrent); }
    void SetPosition(std::int64_t pos) { Seek(pos, soFromBeginning); }
    virtual std::int64_t Size();
    virtual void SetSize(std::int64_t size);

    void ReadBuffer(void* buffer, std::int32_t count);         // EReadError when short
    void WriteBuffer(const void* buffer, std::int32_t count);  // EWriteError when short
    // Copies count bytes from source (0: all of it from its start).
    std::int64_t CopyFrom(TStream* source, std::int64_t count);

    // Components in the binary form ("TPF0").
    void WriteComponent(TComponent* instance);
    TComponent* ReadComponent(TComponent* instance);
};

class TCustomMemoryStream : public TStream {
    VCL_DECLARE_CLASS(TCustomMemoryStream, TStream)
public:
    std::int32_t Read(void* buffer, std::int32_t count) override;
    std::int64_t Seek(std::int64_t offset, TSeekOrigin origin) override;
    std::int64_t Size() override { return static_cast<std::int64_t>(data_.size()); }
    void SaveToStream(TStream* stream);
    void SaveToFile(const AnsiString& fileName);
    std::uint8_t* Memory() { return data_.data(); }
    const std::vector<std::uint8_t>& Bytes() const { return data_; }

protected:
    std::vector<std::uint8_t> data_;
    std::int64_t position_ = 0;
};

class TMemoryStream : public TCustomMemoryStream {
    VCL_DECLARE_CLASS(TMemoryStream, TCustomMemoryStream)
public:
    TMemoryStream() = default;
    std::int32_t Write(const void* buffer, std::int32_t count) override;
    void SetSize(std::int64_t size) override;
    void Clear();
    void LoadFromStream(TStream* stream);
    void LoadFromFile(const AnsiString& fileName);
};

class TStringStream : public TMemoryStream {
    VCL_DECLARE_CLASS(TStringStream, TMemoryStream)
public:
    explicit TStringStream(const AnsiString& text);
    AnsiString DataString() const { return AnsiString(data_.begin(), data_.end()); }
    AnsiString ReadString(std::int32_t count);
    void WriteString(const AnsiString& text);
};

// Open modes and share flags of the class library.
constexpr std::uint16_t fmCreate = 0xFFFF;
constexpr std::uint16_t fmOpenRead = 0x0000;
constexpr std::uint16_t fmOpenWrite = 0x0001;
constexpr std::uint16_t fmOpenReadWrite = 0x0002;
constexpr std::uint16_t fmShareCompat = 0x0000;
constexpr std::uint16_t fmShareExclusive = 0x0010;
constexpr std::uint16_t fmShareDenyWrite = 0x0020;
constexpr std::uint16_t fmShareDenyRead = 0x0030;
constexpr std::uint16_t fmShareDenyNone = 0x0040;

// A file named the Windows way (drive letters and backslashes go through the
// kernel layer's path mapping).
class TFileStream : public TStream {
    VCL_DECLARE_CLASS(TFileStream, TStream)
public:
    TFileStream(const AnsiString& fileName, std::uint16_t mode);  // EFCreateError / EFOpenError
    ~TFileStream() override;
    std::int32_t Read(void* buffer, std::int32_t count) override;
    std::int32_t Write(const void* buffer, std::int32_t count) override;
    std::int64_t Seek(std::int64_t offset, TSeekOrigin origin) override;
    void SetSize(std::int64_t size) override;
    const AnsiString& FileName() const { return fileName_; }

private:
    AnsiString fileName_;
    std::FILE* file_ = nullptr;
};

}  // namespace vcl
