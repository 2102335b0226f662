// Any bytes as a video stream: opened from memory, every frame decoded and
// copied, then a jump into the middle. A refusal is fine; a crash, hang or
// stray read is not.

#include "platform/bink/bink.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    HBINK bink = vls::bink::BinkOpenMemory(data, size, BINKALPHA);
    if (!bink)
        return 0;
    if (bink->Width == 0 || bink->Height == 0 || bink->Frames == 0)
        std::abort();
    // Keep each input quick: huge pictures or long streams add nothing.
    const U32 frames = std::min<U32>(bink->Frames, 16);
    std::vector<std::uint32_t> pixels(std::min<std::size_t>(std::size_t(bink->Width) * bink->Height, 1 << 20));
    const U32 rows = static_cast<U32>(pixels.size() / bink->Width);
    for (U32 i = 0; i < frames; ++i) {
        BinkDoFrame(bink);
        BinkCopyToBuffer(bink, pixels.data(), static_cast<S32>(bink->Width * 4), rows, 0, 0, BINKSURFACE32);
        BinkNextFrame(bink);
    }
    BinkGoto(bink, bink->Frames / 2 + 1, 0);
    BinkDoFrame(bink);
    BinkClose(bink);
    return 0;
}
