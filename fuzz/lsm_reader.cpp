// Any bytes as a model's ".lsm" lip-sync weights: a refusal or a partial read
// is fine, a crash, hang or read past the text is not.

#include "engine/render/lip_sync_text.h"

#include <cstddef>
#include <cstdint>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    int32_t weights[16] = {};
    ParseLipSyncWeights(std::string_view(reinterpret_cast<const char*>(data), size), weights);
    return 0;
}
