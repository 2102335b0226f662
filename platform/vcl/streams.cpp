#include "platform/vcl/streams.h"

#include <algorithm>
#include <cstring>
#include <limits>
#include <unistd.h>

#include "platform/vcl/filer.h"
#include "platform/win32/kernel/paths.h"

namespace vcl {

VCL_IMPLEMENT_CLASS(TStream, TObject, [](auto&) {})
VCL_IMPLEMENT_CLASS(TCustomMemoryStream, TStream, [](auto&) {})
VCL_IMPLEMENT_CLASS(TMemoryStream, TCustomMemoryStream, [](auto&) {})
VCL_IMPLEMENT_CLASS(TStringStream, TMemoryStream, [](auto&) {})
VCL_IMPLEMENT_CLASS(TFileStream, TStream, [](auto&) {})

// ---------------------------------------------------------------- TStream

std::int64_t TStream::Size()
{
    const std::int64_t pos = Seek(0, soFromCurrent);
    const std::int64_t size = Seek(0, soFromEnd);
    Seek(pos, soFromBeginning);
    return size;
}

void TStream::SetSize(std::int64_t) {}

void TStream::ReadBuffer(void* buffer, std::int32_t count)
{
    if (count < 0 || (count != 0 && Read(buffer, count) != count))
        throw EReadError(consts::SReadError);
}

void TStream::WriteBuffer(const void* buffer, std::int32_t count)
{
    if (count < 0 || (count != 0 && Write(buffer, count) != count))
        throw EWriteError(consts::SWriteError);
}

std::int64_t TStream::CopyFrom(TStream* source, std::int64_t count)
{
    if (count == 0) {
        source->SetPosition(0);
        count = source->Size();
    }
    std::int64_t done = 0;
    std::vector<std::uint8_t> buffer(64 * 1024);
    while (done < count) {
        const auto n = static_cast<std::int32_t>(std::min<std::int64_t>(count - done, static_cast<std::int64_t>(buffer.size())));
        source->ReadBuffer(buffer.data(), n);
        WriteBuffer(buffer.data(), n);
        done += n;
    }
    return done;
}

void TStream::WriteComponent(TComponent* instance)
{
    TWriter writer(this);
    writer.WriteRootComponent(instance);
}

TComponent* TStream::ReadComponent(TComponent* instance)
{
    TReader reader(this);
    return reader.ReadRootComponent(instance);
}

// ----------------------------------------------------------- memory streams

std::int32_t TCustomMemoryStream::Read(void* buffer, std::int32_t count)
{
    if (count <= 0 || position_ >= static_cast<std::int64_t>(data_.size()))
        return 0;
    const auto n = static_cast<std::int32_t>(std::min<std::int64_t>(count, static_cast<std::int64_t>(data_.size()) - position_));
    std::memcpy(buffer, data_.data() + position_, static_cast<size_t>(n));
    position_ += n;
    return n;
}

std::int64_t TCustomMemoryStream::Seek(std::int64_t offset, TSeekOrigin origin)
{
    switch (origin) {
    case soFromBeginning: position_ = offset; break;
    case soFromCurrent: position_ += offset; break;
    case soFromEnd: position_ = static_cast<std::int64_t>(data_.size()) + offset; break;
    }
    if (position_ < 0)
        position_ = 0;
    return position_;
}

void TCustomMemoryStream::SaveToStream(TStream* stream)
{
    if (!data_.empty())
        stream->WriteBuffer(data_.data(), static_cast<std::int32_t>(data_.size()));
}

void TCustomMemoryStream::SaveToFile(const AnsiString& fileName)
{
    TFileStream file(fileName, fmCreate);
    SaveToStream(&file);
}

std::int32_t TMemoryStream::Write(const void* buffer, std::int32_t count)
{
    if (count <= 0)
        return 0;
    const std::int64_t end = position_ + count;
    if (end > static_cast<std::int64_t>(data_.size()))
        data_.resize(static_cast<size_t>(end));
    std::memcpy(data_.data() + position_, buffer, static_cast<size_t>(count));
    position_ = end;
    return count;
}

void TMemoryStream::SetSize(std::int64_t size)
{
    if (size < 0 || size > std::numeric_limits<std::int32_t>::max())
        throw EStreamError(consts::SOutOfMemory);
    data_.resize(static_cast<size_t>(size));
    position_ = std::min(position_, size);
}

void TMemoryStream::Clear()
{
    data_.clear();
    position_ = 0;
}

void TMemoryStream::LoadFromStream(TStream* stream)
{
    stream->SetPosition(0);
    const std::int64_t size = stream->Size();
    SetSize(size);
    if (size)
        stream->ReadBuffer(data_.data(), static_cast<std::int32_t>(size));
    position_ = 0;
}

void TMemoryStream::LoadFromFile(const AnsiString& fileName)
{
    TFileStream file(fileName, fmOpenRead | fmShareDenyWrite);
    LoadFromStream(&file);
}

TStringStream::TStringStream(const AnsiString& text)
{
    data_.assign(text.begin(), text.end());
}

AnsiString TStringStream::ReadString(std::int32_t count)
{
    AnsiString s(static_cast<size_t>(std::max(0, count)), '\0');
    s.resize(static_cast<size_t>(Read(s.data(), count)));
    return s;
}

void TStringStream::WriteString(const AnsiString& text)
{
    Write(text.data(), static_cast<std::int32_t>(text.size()));
}

// ------------------------------------------------------------- TFileStream

TFileStream::TFileStream(const AnsiString& fileName, std::uint16_t mode) : fileName_(fileName)
{
    const std::optional<std::string> path = vls::win32::MapPath(fileName);
    if (mode == fmCreate) {
        if (path)
            file_ = std::fopen(path->c_str(), "w+b");
        if (!file_)
            throw EFCreateError(Format(consts::SFCreateError, fileName));
        return;
    }
    const char* how = (mode & 3) == fmOpenRead ? "rb" : "r+b";
    if (path)
        file_ = std::fopen(path->c_str(), how);
    if (!file_)
        throw EFOpenError(Format(consts::SFOpenError, fileName));
}

TFileStream::~TFileStream()
{
    if (file_)
        std::fclose(file_);
}

std::int32_t TFileStream::Read(void* buffer, std::int32_t count)
{
    if (count <= 0)
        return 0;
    return static_cast<std::int32_t>(std::fread(buffer, 1, static_cast<size_t>(count), file_));
}

std::int32_t TFileStream::Write(const void* buffer, std::int32_t count)
{
    if (count <= 0)
        return 0;
    return static_cast<std::int32_t>(std::fwrite(buffer, 1, static_cast<size_t>(count), file_));
}

std::int64_t TFileStream::Seek(std::int64_t offset, TSeekOrigin origin)
{
    const int whence = origin == soFromBeginning ? SEEK_SET : origin == soFromCurrent ? SEEK_CUR : SEEK_END;
    if (fseeko(file_, offset, whence) != 0)
        return -1;
    return ftello(file_);
}

void TFileStream::SetSize(std::int64_t size)
{
    std::fflush(file_);
    if (ftruncate(fileno(file_), size) != 0)
        throw EStreamError(consts::SWriteError);
    if (Position() > size)
        Seek(size, soFromBeginning);
}

}  // namespace vcl
