// The single home of tinygltf's code in this tree. Pictures are decoded by
// the extension library's decoder (libspng, libjpeg-turbo), capped in size.
#define TINYGLTF_IMPLEMENTATION
#include "platform/granny/gltf.h"

#include <algorithm>
#include <sstream>

#include "platform/d3dx/picture_decode.h"
#include "platform/granny/gr2_layout.h"

namespace vls::gr2 {
namespace {

// S3TC blocks are kept as they are once their extras describe exactly the
// bytes given: the size in range, a known sub-format, and each level's byte
// count the one its size needs.
bool LoadDxt(tinygltf::Image* image, std::string* error, const unsigned char* bytes, int size, std::int64_t* budget) {
    const tinygltf::Value& extras = image->extras;
    const tinygltf::Value& width = extras.Get(kExtrasWidth);
    const tinygltf::Value& height = extras.Get(kExtrasHeight);
    const tinygltf::Value& format = extras.Get(kExtrasDxt);
    const tinygltf::Value& levels = extras.Get(kExtrasLevels);
    if (!width.IsNumber() || !height.IsNumber() || !format.IsNumber() || !levels.IsArray()) {
        *error += "S3TC image without its description\n";
        return false;
    }
    const double w = width.GetNumberAsDouble(), h = height.GetNumberAsDouble(), kind = format.GetNumberAsDouble();
    if (!(w >= 1 && w <= kMaxTextureSide && h >= 1 && h <= kMaxTextureSide) || !(kind >= 0 && kind <= 3) ||
        w != static_cast<int>(w) || h != static_cast<int>(h) || kind != static_cast<int>(kind)) {
        *error += "S3TC image size or format out of range\n";
        return false;
    }
    const int blockBytes = kind < 2 ? 8 : 16;
    int levelWidth = static_cast<int>(w), levelHeight = static_cast<int>(h);
    const int count = static_cast<int>(levels.ArrayLen());
    std::int64_t total = 0;
    for (int i = 0; i < count; ++i) {
        const std::int64_t expected =
            static_cast<std::int64_t>(std::max(1, (levelWidth + 3) / 4)) * std::max(1, (levelHeight + 3) / 4) * blockBytes;
        if (!levels.Get(i).IsNumber() || levels.Get(i).GetNumberAsDouble() != static_cast<double>(expected)) {
            *error += "S3TC level size does not match its image\n";
            return false;
        }
        total += expected;
        levelWidth = std::max(1, levelWidth / 2);
        levelHeight = std::max(1, levelHeight / 2);
    }
    if (count < 1 || count > 16 || total != size) {
        *error += "S3TC levels do not fill the image data\n";
        return false;
    }
    *budget -= static_cast<std::int64_t>(w) * static_cast<std::int64_t>(h);
    if (*budget < 0) {
        *error += "too many image pixels in one file\n";
        return false;
    }
    image->width = static_cast<int>(w);
    image->height = static_cast<int>(h);
    image->component = 0;
    image->bits = 0;
    image->image.assign(bytes, bytes + size);
    return true;
}

// Decodes to 8-bit RGBA after checking the declared size, so a tiny file
// cannot ask for gigabytes of pixels.
bool LoadImage(tinygltf::Image* image, const int, std::string* error, std::string*, int, int,
               const unsigned char* bytes, int size, void* pixelBudget) {
    if (image->mimeType == kMimeDxt) {
        if (size <= 0) {
            *error += "unreadable image data\n";
            return false;
        }
        return LoadDxt(image, error, bytes, size, static_cast<std::int64_t*>(pixelBudget));
    }
    auto* budget = static_cast<std::int64_t*>(pixelBudget);
    const std::int64_t cap = std::min<std::int64_t>(std::int64_t{kMaxTextureSide} * kMaxTextureSide, *budget);
    d3dx::DecodedPicture picture;
    std::string reason;
    if (size <= 0 || !d3dx::DecodePicture(bytes, static_cast<std::size_t>(size), std::max<std::int64_t>(cap, 0), picture,
                                          &reason)) {
        *error += "image refused: " + reason + "\n";
        return false;
    }
    if (picture.width > kMaxTextureSide || picture.height > kMaxTextureSide) {
        *error += "image size out of range\n";
        return false;
    }
    *budget -= static_cast<std::int64_t>(picture.width) * picture.height;
    image->width = picture.width;
    image->height = picture.height;
    image->component = 4;
    image->bits = 8;
    image->pixel_type = TINYGLTF_COMPONENT_TYPE_UNSIGNED_BYTE;
    image->image = std::move(picture.rgba);
    return true;
}

}  // namespace

bool ParseGlb(const unsigned char* bytes, std::size_t size, tinygltf::Model* model, std::string* error) {
    if (size > 0x7fffffffu) {
        *error = "file too large";
        return false;
    }
    tinygltf::TinyGLTF loader;
    std::int64_t pixelBudget = kMaxFilePixels;
    loader.SetImageLoader(&LoadImage, &pixelBudget);
    std::string warning;
    if (!loader.LoadBinaryFromMemory(model, error, &warning, bytes, static_cast<unsigned int>(size))) {
        if (error->empty()) *error = "not a glTF binary file";
        return false;
    }
    return true;
}

bool WriteGlb(const tinygltf::Model& model, std::string* out) {
    tinygltf::TinyGLTF writer;
    std::ostringstream stream;
    if (!writer.WriteGltfSceneToStream(&model, stream, false, true)) return false;
    *out = stream.str();
    return true;
}

}  // namespace vls::gr2
