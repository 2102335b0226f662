// Any bytes as a speech line's ".sync" viseme keys: whatever count the text
// claims, the keys stop where the text does.

#include "engine/render/lip_sync_text.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    DynArray<SyncKey> keys;
    ParseSyncKeys(std::string_view(reinterpret_cast<const char*>(data), size), keys);
    // Eight numbers take at least twelve characters ("1-1-1-1-1-1-1-1").
    if (static_cast<std::size_t>(keys.count) * 12 > size + 12) std::abort();
    return 0;
}
