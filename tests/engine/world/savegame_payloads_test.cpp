// The owners' payloads in a savegame are whole only when their counts
// account for their length exactly.
#include "engine/base/datafile_bytes.h"
#include "engine/script/savegame_block.h"
#include "engine/world/savegame_payloads.h"

#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <string>
#include <vector>

namespace vls::test {
namespace {

using Bytes = std::vector<std::uint8_t>;

struct Case {
    const char* what;
    const char* tag;
    const char* name;
    std::function<void(DatafileByteWriter&)> write;
    bool whole;
};

void Dialogue(DatafileByteWriter& w, std::uint8_t records, std::uint32_t count, std::uint32_t flagsWritten)
{
    w.U8(records);
    w.FixedText("greeting", 64);
    w.U32(count);
    for (std::uint32_t i = 0; i < flagsWritten; ++i)
        w.U32(i % 2);
}

void View(DatafileByteWriter& w, std::uint32_t mirrors, std::uint32_t overlays, std::size_t recordBytes)
{
    w.U32(1);
    w.I32(-1);
    w.U32(0);
    w.U32(mirrors);
    w.U32(overlays);
    const Bytes records(recordBytes, 0);
    w.Bytes(records.data(), records.size());
}

// A controller's fixed part, then its walk: the fixed walk record counts
// the path records after it.
void Walk(DatafileByteWriter& w, std::size_t fixed, std::int32_t counted, std::uint32_t written)
{
    const Bytes head(fixed, 0);
    w.Bytes(head.data(), head.size());
    w.I32(counted);
    const Bytes rest(84 + written * 112, 0);
    w.Bytes(rest.data(), rest.size());
}

void Zeros(DatafileByteWriter& w, std::size_t n)
{
    const Bytes zeros(n, 0);
    w.Bytes(zeros.data(), zeros.size());
}

TEST(SavegamePayloads, CountsMustAccountForTheLengthExactly)
{
    const std::vector<Case> cases = {
        {"dialogue record", "DLG", "", [](auto& w) { Dialogue(w, 1, 3, 3); }, true},
        {"dialogue without records", "DLG", "", [](auto& w) { w.U8(0); }, true},
        {"dialogue record of the older form", "DLG", "", [](auto& w) { Dialogue(w, 2, 2, 0); w.FixedText("next", 64); w.U32(0); }, true},
        {"dialogue flags cut", "DLG", "", [](auto& w) { Dialogue(w, 1, 3, 2); }, false},
        {"dialogue with bytes over", "DLG", "", [](auto& w) { Dialogue(w, 1, 3, 3); w.U8(0); }, false},
        {"dialogue count byte", "DLG", "", [](auto& w) { Dialogue(w, 2, 3, 3); }, false},
        {"empty dialogue payload", "DLG", "", [](auto&) {}, false},
        {"inventory", "INV", "", [](auto& w) { w.U8(65); w.U8(65); Zeros(w, 130); }, true},
        {"inventory list cut", "INV", "", [](auto& w) { w.U8(65); w.U8(65); Zeros(w, 129); }, false},
        {"inventory without counts", "INV", "", [](auto& w) { w.U8(0); }, false},
        {"view", "VIE", "wide", [](auto& w) { View(w, 1, 1, 16 + 308); }, true},
        {"view overlay cut", "VIE", "wide", [](auto& w) { View(w, 1, 1, 16 + 307); }, false},
        {"view counts more mirrors", "VIE", "wide", [](auto& w) { View(w, 2, 1, 16 + 308); }, false},
        {"view shorter than its counts", "VIE", "wide", [](auto& w) { Zeros(w, 12); }, false},
        {"object", "OBJ", "door", [](auto& w) { Zeros(w, 92); }, true},
        {"object of a later writer", "OBJ", "door", [](auto& w) { Zeros(w, 100); }, true},
        {"object cut", "OBJ", "door", [](auto& w) { Zeros(w, 91); }, false},
        {"walking controller", "PCR", "PCtrlDefault", [](auto& w) { Walk(w, 516, 2, 2); }, true},
        {"walking controller's path cut", "PCR", "PCtrlDefault", [](auto& w) { Walk(w, 516, 2, 1); }, false},
        {"walking controller's negative count", "PCR", "PCtrlDefault", [](auto& w) { Walk(w, 516, -1, 0); }, false},
        {"walking controller cut", "PCR", "PCtrlDefault", [](auto& w) { Zeros(w, 516); }, false},
        {"diver", "PCR", "PCtrlDiver", [](auto& w) { Walk(w, 64, 1, 1); }, true},
        {"diver with bytes over", "PCR", "PCtrlDiver", [](auto& w) { Walk(w, 64, 0, 1); }, false},
        {"boat", "PCR", "PCtrlZodiac", [](auto& w) { Zeros(w, 284); }, true},
        {"boat cut", "PCR", "PCtrlZodiac", [](auto& w) { Zeros(w, 283); }, false},
        {"robot", "PCR", "PCtrlInfobot", [](auto&) {}, true},
        {"robot with a payload", "PCR", "PCtrlInfobot", [](auto& w) { Zeros(w, 4); }, false},
        {"controller of another kind", "PCR", "PCtrlOther", [](auto& w) { Zeros(w, 3); }, true},
        {"block this check does not judge", "MSP", "", [](auto& w) { Zeros(w, 3); }, true},
    };
    for (const Case& c : cases) {
        Bytes payload;
        DatafileByteWriter writer(payload);
        c.write(writer);
        SavegameBlockHeader header;
        std::memcpy(header.tag, c.tag, 3);
        std::strncpy(header.name, c.name, sizeof header.name - 1);
        header.length = static_cast<std::uint32_t>(payload.size());
        payload.push_back(0); // a payload of length 0 still has an address
        EXPECT_EQ(OwnerPayloadFits(header, payload.data()), c.whole) << c.what;
    }
}

} // namespace
} // namespace vls::test
