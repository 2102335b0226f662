// Any bytes as a ".dialogue" resource, or as the payload of a "DLG", "INV"
// or "MSN" savegame block (the first byte picks which): a refusal is fine, a
// crash, a hang or a read past the bytes is not.

#include "engine/script/kestrune_script.h"
#include "engine/ui/kestrune_dialogue.h"
#include "engine/ui/kestrune_inventory.h"
#include "engine/ui/kestrune_messenger.h"
#include "fuzz/silent_engine_link.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size == 0)
        return 0;
    static SilentLink link;
    SetEngineLink(&link);
    SetScriptJumpBudget(100000);
    const std::uint8_t* const bytes = data + 1;
    const std::size_t length = size - 1;
    switch (data[0] % 4) {
    case 0: {
        cKestruneDialogue dialogue;
        if (dialogue.PlayFromMemory(bytes, length, "fuzz") == 0) {
            dialogue.Start();
            for (int i = 0; i < 4; ++i)
                dialogue.AddOption("option", i - 1);
            dialogue.OptionShade(static_cast<std::int32_t>(length));
        }
        break;
    }
    case 1: {
        cKestruneDialogue dialogue;
        dialogue.ReadPayload(bytes, length);
        break;
    }
    case 2: {
        cKestruneInventory inventory;
        inventory.ReadPayload(bytes, length);
        inventory.Pop();
        break;
    }
    default: {
        cKestruneMessenger messenger;
        messenger.ReadPayload(bytes, length);
        break;
    }
    }
    SetEngineLink(nullptr);
    return 0;
}
