#pragma once

// Stream records of the family's containers: the item record, the container
// stream of a form and the container file. Every count, length and offset
// read is checked against what the stream holds; damage raises EReadError
// and a foreign signature EFOpenError.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "platform/vcl/streams.h"

namespace kit {

using vcl::AnsiString;

enum class TKitContainerKind { ImageList, BitmapList, WaveList, StringList, GLL, RTL };

const char* ContainerSignature(TKitContainerKind kind);  // "KITIML30" ...
const char* ContainerExtension(TKitContainerKind kind);  // "iml" ...

// Flag bits of an item record.
inline constexpr std::uint8_t kRecCompressed = 0x01;
inline constexpr std::uint8_t kRecDescription = 0x02;
inline constexpr std::uint8_t kRecIdent = 0x04;
inline constexpr std::uint8_t kRecData = 0x08;
inline constexpr std::uint8_t kRecMono = 0x10;
inline constexpr std::uint8_t kRec4Bit = 0x20;
inline constexpr std::uint8_t kRec8Bit = 0x40;

// The fields an image-strip item adds before its data.
struct TKitStripHeader {
    std::int32_t height = 16;
    std::int32_t width = 16;
    std::int32_t allocBy = 4;
    bool masked = false;
};

struct TKitItemRecord {
    std::uint8_t flags = 0;  // the pixel-format bits only; the others follow the fields
    bool compressed = false;
    std::optional<AnsiString> description;  // at most 255 characters are stored
    std::optional<std::uint32_t> ident;
    std::optional<std::vector<std::uint8_t>> data;
    std::optional<TKitStripHeader> strip;  // image-strip items only
};

void WriteItemRecord(vcl::TStream* stream, const TKitItemRecord& record);
TKitItemRecord ReadItemRecord(vcl::TStream* stream, bool strip);

// A 32-bit count, with `indexed` an offset table, then the records.
void WriteContainerStream(vcl::TStream* stream, const std::vector<TKitItemRecord>& records, bool indexed);
std::vector<TKitItemRecord> ReadContainerStream(vcl::TStream* stream, bool indexed, bool strip);

// The signature, a 32-bit count, the offsets and the records.
void WriteContainerFile(vcl::TStream* stream, TKitContainerKind kind, const std::vector<TKitItemRecord>& records);
std::vector<TKitItemRecord> ReadContainerFile(vcl::TStream* stream, TKitContainerKind kind, const AnsiString& fileName);

}  // namespace kit
