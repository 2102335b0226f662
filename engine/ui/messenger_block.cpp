#include "engine/ui/kestrune_messenger.h"

#include "engine/base/datafile_bytes.h"
#include "engine/script/savegame_block.h"
#include "engine/ui/ui_block.h"
#include "platform/crt/crt_io.h"

void cKestruneMessenger::SaveBlock(int file) const
{
    std::vector<uint8_t> payload;
    DatafileByteWriter writer(payload);
    for (const ContactEntry& contact : contacts) {
        writer.FixedText(contact.name.GetText(), kNameSize);
        writer.FixedText(contact.pictureName.GetText(), kNameSize);
        writer.FixedText(contact.modelName.GetText(), kNameSize);
        writer.U32(contact.speechColour);
    }
    WriteSavegameBlockHeader(file, "MSN", "", static_cast<uint32_t>(payload.size()));
    _write(file, payload.data(), static_cast<unsigned>(payload.size()));
}

void cKestruneMessenger::ReadPayload(const uint8_t* bytes, size_t size)
{
    DropContacts();
    DatafileByteReader reader(bytes, size);
    // A trailing part shorter than a record is not a contact.
    while (reader.Remaining() >= kRecordSize) {
        const std::string name = reader.FixedText(kNameSize);
        const std::string picture = reader.FixedText(kNameSize);
        const std::string model = reader.FixedText(kNameSize);
        const uint32_t colour = reader.U32();
        AddItem(name.c_str(), picture.c_str(), "", model.c_str(), colour);
    }
}

void cKestruneMessenger::LoadBlock(SavegameBlockHeader& header, int file)
{
    if (!CheckSavegameBlockTag(header, "MSN"))
        return;
    const std::vector<uint8_t> payload = ReadBlockPayload(file, header);
    ReadPayload(payload.data(), payload.size());
    ReadSavegameBlockHeader(file, header);
}
