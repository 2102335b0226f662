#include "engine/ui/kestrune_dialogue.h"

#include "engine/base/datafile_bytes.h"
#include "engine/script/savegame_block.h"
#include "engine/ui/ui_block.h"
#include "platform/crt/crt_io.h"

namespace {
constexpr size_t kRecordHeadSize = cKestruneDialogue::kRecordNameSize + 4;
}

// The count byte holds only the low 8 bits of the number of records, so the
// reader takes records while the payload has them, not as many as the byte
// says: 128 records or more come back as they were written.
void cKestruneDialogue::SaveBlock(int file) const
{
    std::vector<uint8_t> payload;
    DatafileByteWriter writer(payload);
    writer.U8(static_cast<uint8_t>(records.size() & 0xFF));
    for (const DialogueRecord& record : records) {
        writer.FixedText(record.name.GetText(), kRecordNameSize);
        writer.U32(static_cast<uint32_t>(record.flags.size()));
        for (const uint32_t flag : record.flags)
            writer.U32(flag);
    }
    WriteSavegameBlockHeader(file, "DLG", "", static_cast<uint32_t>(payload.size()));
    _write(file, payload.data(), static_cast<unsigned>(payload.size()));
}

void cKestruneDialogue::ReadPayload(const uint8_t* bytes, size_t size)
{
    records.clear();
    chosenRecord = -1;
    DatafileByteReader reader(bytes, size);
    reader.U8();
    while (reader.Remaining() >= kRecordHeadSize) {
        DialogueRecord record;
        record.name = reader.FixedText(kRecordNameSize).c_str();
        const uint32_t count = reader.U32();
        // A count the payload cannot hold ends the block.
        if (count > reader.Remaining() / 4)
            break;
        const size_t flagsAt = reader.Position();
        record.flags.resize(count);
        for (uint32_t& flag : record.flags)
            flag = reader.U32();
        // Records of an older form carry no flags: a first value above 1 is
        // the next record's name, so reading goes back over it.
        if (count > 0 && record.flags[0] > 1) {
            reader = DatafileByteReader(bytes, size);
            reader.Take(flagsAt);
        }
        records.push_back(std::move(record));
    }
    chosenRecord = static_cast<int32_t>(records.size()) - 1;
}

void cKestruneDialogue::LoadBlock(SavegameBlockHeader& header, int file)
{
    if (!CheckSavegameBlockTag(header, "DLG"))
        return;
    const std::vector<uint8_t> payload = ReadBlockPayload(file, header);
    ReadPayload(payload.data(), payload.size());
    ReadSavegameBlockHeader(file, header);
}
