// Parses the input as the text of "user.reg"; an accepted document must
// survive being written and read again unchanged.

#include "platform/win32/registry/reg_file.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    std::string error;
    const auto document = vls::win32::ParseRegistryText(text, &error);
    if (!document) {
        if (error.empty())
            std::abort();  // a refusal always says why
        return 0;
    }
    for (const auto& key : document->keys) {
        (void)document->FindKey(key.path);
        for (const auto& value : key.values)
            (void)vls::win32::FindValue(key, value.name);
    }
    const std::string written = vls::win32::FormatRegistryText(*document);
    std::string again;
    const auto reread = vls::win32::ParseRegistryText(written, &again);
    if (!reread)
        std::abort();  // what we write we must read
    if (vls::win32::FormatRegistryText(*reread) != written)
        std::abort();
    return 0;
}
