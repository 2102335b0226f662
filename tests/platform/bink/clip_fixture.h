#pragma once

#include "platform/bink/bink.h"
#include "tools/video_writer.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

namespace vls::test {

inline std::vector<std::uint8_t> MakeClip(const tools::VideoClipOptions& options)
{
    std::string error;
    std::vector<std::uint8_t> clip = tools::WriteVideoClip(options, error);
    EXPECT_FALSE(clip.empty()) << error;
    return clip;
}

inline HBINK OpenClip(const std::vector<std::uint8_t>& clip, U32 flags = BINKALPHA)
{
    return vls::bink::BinkOpenMemory(clip.data(), clip.size(), flags);
}

// The frame last decoded, copied at its own size.
inline std::vector<std::uint32_t> CopyFrame(HBINK bink)
{
    std::vector<std::uint32_t> pixels(std::size_t(bink->Width) * bink->Height, 0xDEADBEEF);
    EXPECT_EQ(BinkCopyToBuffer(bink, pixels.data(), static_cast<S32>(bink->Width * 4), bink->Height, 0, 0,
                  BINKSURFACE32),
        0);
    return pixels;
}

} // namespace vls::test
