#include "launcher/components/kit_lzrw.h"

#include <algorithm>
#include <array>

#include "platform/vcl/sysutils.h"

namespace kit {

namespace {

constexpr std::size_t kMaxDistance = 4095;
constexpr std::size_t kMinCopy = 3;
constexpr std::size_t kMaxCopy = 18;
constexpr std::size_t kMinRun = 16;
constexpr std::size_t kMaxRun = 4095;
constexpr std::uint16_t kEmpty = 65535;

std::size_t Hash(const std::uint8_t* p)
{
    const std::uint32_t h = ((((static_cast<std::uint32_t>(p[0]) << 4) ^ p[1]) << 4) ^ p[2]);
    return ((h * 40543u) >> 4) & 0xFFF;
}

[[noreturn]] void Damaged() { throw vcl::EReadError(kBadBlock); }

std::uint32_t ReadU32(vcl::TStream* stream)
{
    std::uint8_t b[4];
    stream->ReadBuffer(b, 4);
    return b[0] | (b[1] << 8) | (b[2] << 16) | (static_cast<std::uint32_t>(b[3]) << 24);
}

void WriteU32(vcl::TStream* stream, std::uint32_t v)
{
    const std::uint8_t b[4] = {static_cast<std::uint8_t>(v), static_cast<std::uint8_t>(v >> 8),
                               static_cast<std::uint8_t>(v >> 16), static_cast<std::uint8_t>(v >> 24)};
    stream->WriteBuffer(b, 4);
}

}  // namespace

std::vector<std::uint8_t> CompressBlock(std::span<const std::uint8_t> source)
{
    const std::size_t n = source.size();
    std::vector<std::uint8_t> out;
    out.reserve(n + n / 8 + 4);
    out.push_back(kLzrwCompressed);
    std::vector<std::uint16_t> table;
    try {
        table.assign(4096, kEmpty);
    } catch (const std::bad_alloc&) {
        throw vcl::EInvalidPointer(kLzrwError);
    }

    std::size_t controlAt = out.size();
    std::uint16_t control = 0;
    int items = 0;
    out.push_back(0);
    out.push_back(0);
    const auto finishGroup = [&](bool last) {
        const std::uint16_t word = static_cast<std::uint16_t>(control << (16 - items));
        out[controlAt] = static_cast<std::uint8_t>(word >> 8);
        out[controlAt + 1] = static_cast<std::uint8_t>(word);
        control = 0;
        items = 0;
        if (!last) {
            controlAt = out.size();
            out.push_back(0);
            out.push_back(0);
        }
    };

    std::size_t pos = 0;
    while (pos < n) {
        if (items == 16)
            finishGroup(false);
        std::size_t run = 1;
        while (pos + run < n && run < kMaxRun && source[pos + run] == source[pos])
            ++run;
        if (run >= kMinRun) {
            const std::size_t count = run - kMinRun;
            out.push_back(0);
            out.push_back(static_cast<std::uint8_t>(count >> 8));
            out.push_back(static_cast<std::uint8_t>(count));
            out.push_back(source[pos]);
            control = static_cast<std::uint16_t>((control << 1) | 1);
            ++items;
            pos += run;
            continue;
        }
        std::size_t length = 0;
        std::size_t distance = 0;
        if (pos + kMinCopy <= n) {
            const std::size_t h = Hash(&source[pos]);
            const std::uint16_t earlier = table[h];
            table[h] = static_cast<std::uint16_t>(pos);
            if (earlier != kEmpty && pos - earlier <= kMaxDistance && earlier < pos) {
                const std::size_t limit = std::min(kMaxCopy, n - pos);
                while (length < limit && source[earlier + length] == source[pos + length])
                    ++length;
                distance = pos - earlier;
            }
        }
        if (length >= kMinCopy) {
            out.push_back(static_cast<std::uint8_t>(distance >> 4));
            out.push_back(static_cast<std::uint8_t>(((distance & 0xF) << 4) | (length - kMinCopy)));
            control = static_cast<std::uint16_t>((control << 1) | 1);
            pos += length;
        } else {
            out.push_back(source[pos]);
            control = static_cast<std::uint16_t>(control << 1);
            ++pos;
        }
        ++items;
    }
    finishGroup(true);

    if (out.size() >= n + 1) {
        out.assign(1, kLzrwStored);
        out.insert(out.end(), source.begin(), source.end());
    }
    return out;
}

std::vector<std::uint8_t> DecompressBlock(std::span<const std::uint8_t> block, std::size_t maxOutput)
{
    if (block.empty())
        Damaged();
    std::vector<std::uint8_t> out;
    if (block[0] == kLzrwStored) {
        if (block.size() - 1 > maxOutput)
            Damaged();
        out.assign(block.begin() + 1, block.end());
        return out;
    }
    if (block[0] != kLzrwCompressed)
        Damaged();
    std::size_t in = 1;
    const std::size_t n = block.size();
    while (in < n) {
        if (in + 2 > n)
            Damaged();
        const unsigned control = (block[in] << 8) | block[in + 1];
        in += 2;
        for (int bit = 15; bit >= 0 && in < n; --bit) {
            if ((control & (1u << bit)) == 0) {
                if (out.size() >= maxOutput)
                    Damaged();
                out.push_back(block[in++]);
                continue;
            }
            if (in + 2 > n)
                Damaged();
            const std::size_t distance = (static_cast<std::size_t>(block[in]) << 4) | (block[in + 1] >> 4);
            if (distance == 0) {
                if (in + 4 > n)
                    Damaged();
                const std::size_t run = ((static_cast<std::size_t>(block[in + 1]) << 8) | block[in + 2]) + kMinRun;
                if (out.size() + run > maxOutput)
                    Damaged();
                out.insert(out.end(), run, block[in + 3]);
                in += 4;
                continue;
            }
            const std::size_t length = (block[in + 1] & 0xF) + kMinCopy;
            in += 2;
            if (distance > out.size() || out.size() + length > maxOutput)
                Damaged();
            const std::size_t from = out.size() - distance;
            for (std::size_t i = 0; i < length; ++i)
                out.push_back(out[from + i]);
        }
    }
    return out;
}

void WriteBlockStream(vcl::TStream* stream, std::span<const std::uint8_t> data)
{
    std::vector<std::vector<std::uint8_t>> blocks;
    std::size_t total = 0;
    for (std::size_t at = 0; at < data.size(); at += kLzrwBlockSize) {
        blocks.push_back(CompressBlock(data.subspan(at, std::min(kLzrwBlockSize, data.size() - at))));
        total += 4 + blocks.back().size();
    }
    WriteU32(stream, static_cast<std::uint32_t>(total));
    for (const auto& block : blocks) {
        WriteU32(stream, static_cast<std::uint32_t>(block.size()));
        stream->WriteBuffer(block.data(), static_cast<std::int32_t>(block.size()));
    }
}

std::vector<std::uint8_t> ReadBlockStream(vcl::TStream* stream)
{
    const std::uint32_t total = ReadU32(stream);
    if (total > stream->Size() - stream->Position())
        Damaged();
    std::vector<std::uint8_t> data;
    std::uint32_t left = total;
    bool sawShortBlock = false;
    while (left > 0) {
        if (left < 4)
            Damaged();
        const std::uint32_t length = ReadU32(stream);
        left -= 4;
        if (length == 0 || length > left)
            Damaged();
        std::vector<std::uint8_t> block(length);
        stream->ReadBuffer(block.data(), static_cast<std::int32_t>(length));
        left -= length;
        // Only the last block may be shorter than a whole piece.
        if (sawShortBlock)
            Damaged();
        const std::vector<std::uint8_t> piece = DecompressBlock(block);
        if (piece.empty())
            Damaged();
        sawShortBlock = piece.size() < kLzrwBlockSize;
        data.insert(data.end(), piece.begin(), piece.end());
    }
    return data;
}

}  // namespace kit
