// Reads the input as a BMP file and, when it is accepted, writes it back out.

#include "platform/gdi/bmp.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <span>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    vls::gdi::Surface picture(1, 1);
    vls::gdi::BmpInfo info;
    std::string error;
    if (!vls::gdi::ReadBmp(std::span<const std::uint8_t>(data, size), picture, info, error)) {
        if (error.empty())
            std::abort();  // a refusal always says why
        return 0;
    }
    if (picture.Width() != info.width || picture.Height() != info.height)
        std::abort();
    (void)vls::gdi::WriteBmp(picture, 24);
    return 0;
}
