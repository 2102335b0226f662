#include "launcher/components/kit_records.h"

#include <algorithm>

#include "launcher/components/kit_lzrw.h"
#include "platform/vcl/sysutils.h"

namespace kit {

namespace {

constexpr const char* kSignatures[] = {"KITIML30", "KITBML30", "KITWVL30", "KITSLL30", "KITGLL50", "KITRTL50"};
constexpr const char* kExtensions[] = {"iml", "bmp", "wav", "txt", "*", "rtf"};
constexpr const char* kDamaged = "Beschädigter Container";

[[noreturn]] void Damaged() { throw vcl::EReadError(kDamaged); }

std::int64_t Remaining(vcl::TStream* stream) { return stream->Size() - stream->Position(); }

std::uint32_t ReadU32(vcl::TStream* stream)
{
    std::uint8_t b[4];
    stream->ReadBuffer(b, 4);
    return b[0] | (b[1] << 8) | (b[2] << 16) | (static_cast<std::uint32_t>(b[3]) << 24);
}

std::uint8_t ReadU8(vcl::TStream* stream)
{
    std::uint8_t b = 0;
    stream->ReadBuffer(&b, 1);
    return b;
}

void WriteU32(vcl::TStream* stream, std::uint32_t v)
{
    const std::uint8_t b[4] = {static_cast<std::uint8_t>(v), static_cast<std::uint8_t>(v >> 8),
                               static_cast<std::uint8_t>(v >> 16), static_cast<std::uint8_t>(v >> 24)};
    stream->WriteBuffer(b, 4);
}

void WriteU8(vcl::TStream* stream, std::uint8_t v) { stream->WriteBuffer(&v, 1); }

// Reads a count whose entries take at least `entryBytes` each.
std::uint32_t ReadCount(vcl::TStream* stream, std::int64_t entryBytes)
{
    const std::uint32_t count = ReadU32(stream);
    if (static_cast<std::int64_t>(count) * entryBytes > Remaining(stream))
        Damaged();
    return count;
}

}  // namespace

const char* ContainerSignature(TKitContainerKind kind) { return kSignatures[static_cast<int>(kind)]; }
const char* ContainerExtension(TKitContainerKind kind) { return kExtensions[static_cast<int>(kind)]; }

void WriteItemRecord(vcl::TStream* stream, const TKitItemRecord& record)
{
    std::uint8_t flags = record.flags & (kRecMono | kRec4Bit | kRec8Bit);
    if (record.compressed)
        flags |= kRecCompressed;
    if (record.description)
        flags |= kRecDescription;
    if (record.ident)
        flags |= kRecIdent;
    if (record.data)
        flags |= kRecData;
    WriteU8(stream, flags);
    if (record.description) {
        const AnsiString text = record.description->substr(0, 255);
        WriteU8(stream, static_cast<std::uint8_t>(text.size()));
        stream->WriteBuffer(text.data(), static_cast<std::int32_t>(text.size()));
    }
    if (record.ident)
        WriteU32(stream, *record.ident);
    if (record.strip) {
        WriteU32(stream, static_cast<std::uint32_t>(record.strip->height));
        WriteU32(stream, static_cast<std::uint32_t>(record.strip->width));
        WriteU32(stream, static_cast<std::uint32_t>(record.strip->allocBy));
        WriteU8(stream, record.strip->masked ? 1 : 0);
    }
    if (record.data) {
        if (record.compressed) {
            WriteBlockStream(stream, *record.data);
        } else {
            WriteU32(stream, static_cast<std::uint32_t>(record.data->size()));
            stream->WriteBuffer(record.data->data(), static_cast<std::int32_t>(record.data->size()));
        }
    }
}

TKitItemRecord ReadItemRecord(vcl::TStream* stream, bool strip)
{
    TKitItemRecord record;
    const std::uint8_t flags = ReadU8(stream);
    record.flags = flags & (kRecMono | kRec4Bit | kRec8Bit);
    record.compressed = (flags & kRecCompressed) != 0;
    if (flags & kRecDescription) {
        const std::uint8_t length = ReadU8(stream);
        AnsiString text(length, '\0');
        stream->ReadBuffer(text.data(), length);
        record.description = text;
    }
    if (flags & kRecIdent)
        record.ident = ReadU32(stream);
    if (strip) {
        TKitStripHeader header;
        header.height = static_cast<std::int32_t>(ReadU32(stream));
        header.width = static_cast<std::int32_t>(ReadU32(stream));
        header.allocBy = static_cast<std::int32_t>(ReadU32(stream));
        header.masked = ReadU8(stream) != 0;
        record.strip = header;
    }
    if (flags & kRecData) {
        if (record.compressed) {
            record.data = ReadBlockStream(stream);
        } else {
            const std::uint32_t length = ReadU32(stream);
            if (length > Remaining(stream))
                Damaged();
            std::vector<std::uint8_t> data(length);
            stream->ReadBuffer(data.data(), static_cast<std::int32_t>(length));
            record.data = std::move(data);
        }
    }
    return record;
}

void WriteContainerStream(vcl::TStream* stream, const std::vector<TKitItemRecord>& records, bool indexed)
{
    WriteU32(stream, static_cast<std::uint32_t>(records.size()));
    const std::int64_t table = stream->Position();
    std::vector<std::uint32_t> offsets;
    if (indexed)
        for (std::size_t i = 0; i < records.size(); ++i)
            WriteU32(stream, 0);
    for (const auto& record : records) {
        offsets.push_back(static_cast<std::uint32_t>(stream->Position()));
        WriteItemRecord(stream, record);
    }
    if (!indexed)
        return;
    const std::int64_t end = stream->Position();
    stream->SetPosition(table);
    for (const std::uint32_t offset : offsets)
        WriteU32(stream, offset);
    stream->SetPosition(end);
}

std::vector<TKitItemRecord> ReadContainerStream(vcl::TStream* stream, bool indexed, bool strip)
{
    const std::uint32_t count = ReadCount(stream, indexed ? 5 : 1);
    if (indexed) {
        for (std::uint32_t i = 0; i < count; ++i)
            if (ReadU32(stream) >= stream->Size())
                Damaged();
    }
    std::vector<TKitItemRecord> records;
    for (std::uint32_t i = 0; i < count; ++i)
        records.push_back(ReadItemRecord(stream, strip));
    return records;
}

void WriteContainerFile(vcl::TStream* stream, TKitContainerKind kind, const std::vector<TKitItemRecord>& records)
{
    const char* signature = ContainerSignature(kind);
    WriteU8(stream, 8);
    stream->WriteBuffer(signature, 8);
    WriteContainerStream(stream, records, true);
}

std::vector<TKitItemRecord> ReadContainerFile(vcl::TStream* stream, TKitContainerKind kind, const AnsiString& fileName)
{
    char signature[9] = {};
    const bool whole = stream->Read(signature, 9) == 9;
    if (!whole || signature[0] != 8 || std::string(signature + 1, 8) != ContainerSignature(kind))
        throw vcl::EFOpenError(vcl::Format("%s: %s", vcl::consts::SFOpenError, fileName));
    const std::uint32_t count = ReadCount(stream, 5);
    std::vector<std::uint32_t> offsets(count);
    for (auto& offset : offsets)
        offset = ReadU32(stream);
    const std::int64_t firstRecord = stream->Position();
    for (const std::uint32_t offset : offsets)
        if (offset < firstRecord || offset >= stream->Size())
            Damaged();
    const bool strip = kind == TKitContainerKind::ImageList;
    std::vector<TKitItemRecord> records;
    for (const std::uint32_t offset : offsets) {
        stream->SetPosition(offset);
        records.push_back(ReadItemRecord(stream, strip));
    }
    return records;
}

}  // namespace kit
