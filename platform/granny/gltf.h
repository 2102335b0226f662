#pragma once

// The one way this tree includes tinygltf, so that every file sees the same
// configuration: no file system (a resource never reaches outside itself),
// no built-in image codecs (gltf_impl.cpp decodes with bounds of its own).

// tinygltf 2.7 uses std::ofstream in its writers even without file-system
// support, and then no longer includes <fstream> itself.
#include <fstream>

#define TINYGLTF_NO_FS
#define TINYGLTF_NO_STB_IMAGE
#define TINYGLTF_NO_STB_IMAGE_WRITE
#define TINYGLTF_NO_EXTERNAL_IMAGE
#include <tiny_gltf.h>

namespace vls::gr2 {

// Parses glTF binary content. False with a message on any fault.
bool ParseGlb(const unsigned char* bytes, std::size_t size, tinygltf::Model* model, std::string* error);

// Serialises a model as glTF binary content (buffer 0 becomes the binary chunk).
bool WriteGlb(const tinygltf::Model& model, std::string* out);

}  // namespace vls::gr2
