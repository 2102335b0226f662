// The single home of tinygltf's and stb_image's code in this tree. stb_image
// is compiled static here, so it cannot clash with another library's copy.
#define STB_IMAGE_STATIC
#define STB_IMAGE_IMPLEMENTATION
#define STBI_ONLY_PNG
#define STBI_ONLY_JPEG
#include <stb_image.h>

#define TINYGLTF_IMPLEMENTATION
#include "platform/granny/gltf.h"

#include <sstream>

#include "platform/granny/gr2_layout.h"

namespace vls::gr2 {
namespace {

// Decodes to 8-bit RGBA after checking the declared size, so a tiny file
// cannot ask for gigabytes of pixels.
bool LoadImage(tinygltf::Image* image, const int, std::string* error, std::string*, int, int,
               const unsigned char* bytes, int size, void* pixelBudget) {
    int width = 0;
    int height = 0;
    int channels = 0;
    if (size <= 0 || !stbi_info_from_memory(bytes, size, &width, &height, &channels)) {
        *error += "unreadable image data\n";
        return false;
    }
    if (width <= 0 || height <= 0 || width > kMaxTextureSide || height > kMaxTextureSide) {
        *error += "image size out of range\n";
        return false;
    }
    auto* budget = static_cast<std::int64_t*>(pixelBudget);
    *budget -= static_cast<std::int64_t>(width) * height;
    if (*budget < 0) {
        *error += "too many image pixels in one file\n";
        return false;
    }
    stbi_uc* pixels = stbi_load_from_memory(bytes, size, &width, &height, &channels, 4);
    if (pixels == nullptr) {
        *error += "image decoding failed\n";
        return false;
    }
    image->width = width;
    image->height = height;
    image->component = 4;
    image->bits = 8;
    image->pixel_type = TINYGLTF_COMPONENT_TYPE_UNSIGNED_BYTE;
    image->image.assign(pixels, pixels + static_cast<std::size_t>(width) * height * 4);
    stbi_image_free(pixels);
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
