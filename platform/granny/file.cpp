#include <algorithm>
#include <cstdio>

#include "platform/granny/granny.h"
#include "platform/granny/gr2_reader.h"
#include "platform/granny/storage.h"

granny_data_type_definition GrannyPNT332VertexType[] = {
    {GrannyReal32Member, "Position", 3},
    {GrannyReal32Member, "Normal", 3},
    {GrannyReal32Member, "TextureCoordinates0", 2},
    {GrannyEndMember, nullptr, 0},
};

granny_data_type_definition GrannyPWNT3432VertexType[] = {
    {GrannyReal32Member, "Position", 3},
    {GrannyReal32Member, "BoneWeights", 4},
    {GrannyUInt8Member, "BoneIndices", 4},
    {GrannyReal32Member, "Normal", 3},
    {GrannyReal32Member, "TextureCoordinates0", 2},
    {GrannyEndMember, nullptr, 0},
};

granny_pixel_layout const GrannyRGBA8888PixelFormat = {4, {0, 8, 16, 24}, {8, 8, 8, 8}};
granny_pixel_layout const GrannyBGRA8888PixelFormat = {4, {16, 8, 0, 24}, {8, 8, 8, 8}};

granny_file* GrannyReadEntireFileFromMemory(granny_int32 MemorySize, void const* Memory) {
    if (Memory == nullptr || MemorySize <= 0) return nullptr;
    std::string error;
    auto storage = vls::granny::ReadGr2(static_cast<const unsigned char*>(Memory),
                                        static_cast<std::size_t>(MemorySize), &error);
    if (!storage) {
        std::fprintf(stderr, "granny: model file refused: %s\n", error.c_str());
        return nullptr;
    }
    return new granny_file{std::move(storage)};
}

granny_file_info* GrannyGetFileInfo(granny_file* File) { return File == nullptr ? nullptr : &File->storage->info; }

void GrannyFreeFileSection(granny_file*, granny_int32) {}

void GrannyFreeFile(granny_file* File) { delete File; }

// Only whole-byte, 8-bit components are stored; the layout's shifts place
// each component within a little-endian pixel word.
granny_bool32 GrannyCopyTextureImage(granny_texture const* Texture, granny_int32 ImageIndex,
                                     granny_int32 MIPIndex, granny_pixel_layout const* Layout,
                                     granny_int32 DestWidth, granny_int32 DestHeight,
                                     granny_int32 DestStride, void* Pixels) {
    if (Texture == nullptr || Layout == nullptr || Pixels == nullptr) return false;
    // S3TC levels are handed over as blocks; they are not pixels to copy.
    if (Texture->Encoding != GrannyRawTextureEncoding) return false;
    if (ImageIndex < 0 || ImageIndex >= Texture->ImageCount) return false;
    const granny_texture_image& image = Texture->Images[ImageIndex];
    if (MIPIndex < 0 || MIPIndex >= image.MIPLevelCount) return false;
    const granny_texture_mip_level& level = image.MIPLevels[MIPIndex];
    const int bytesPerPixel = Layout->BytesPerPixel;
    if (bytesPerPixel != 3 && bytesPerPixel != 4) return false;
    for (int c = 0; c < 4; ++c) {
        const int shift = Layout->ShiftForComponent[c];
        if (Layout->BitsForComponent[c] != 0 &&
            (Layout->BitsForComponent[c] != 8 || shift % 8 != 0 || shift < 0 || shift / 8 >= bytesPerPixel))
            return false;
    }
    const int levelWidth = std::max(Texture->Width >> MIPIndex, 1);
    const int levelHeight = std::max(Texture->Height >> MIPIndex, 1);
    if (static_cast<long long>(level.Stride) * levelHeight > level.PixelByteCount || level.Stride < levelWidth * 4)
        return false;
    if (DestWidth < 0 || DestHeight < 0 || static_cast<long long>(DestStride) < static_cast<long long>(DestWidth) * bytesPerPixel)
        return false;
    const int width = std::min(levelWidth, static_cast<int>(DestWidth));
    const int height = std::min(levelHeight, static_cast<int>(DestHeight));
    const auto* source = static_cast<const unsigned char*>(level.PixelBytes);
    auto* dest = static_cast<unsigned char*>(Pixels);
    for (int y = 0; y < height; ++y) {
        const unsigned char* from = source + static_cast<std::size_t>(y) * level.Stride;
        unsigned char* to = dest + static_cast<std::size_t>(y) * DestStride;
        for (int x = 0; x < width; ++x, from += 4, to += bytesPerPixel) {
            for (int c = 0; c < 4; ++c)
                if (Layout->BitsForComponent[c] != 0) to[Layout->ShiftForComponent[c] / 8] = from[c];
        }
    }
    return true;
}

granny_bool32 GrannyVersionsMatch(granny_int32 MajorVersion, granny_int32 MinorVersion, granny_int32 Customization,
                                  granny_int32 BuildNumber) {
    return MajorVersion == GrannyProductMajorVersion && MinorVersion == GrannyProductMinorVersion &&
           Customization == GrannyProductCustomization && BuildNumber == GrannyProductBuildNumber;
}
