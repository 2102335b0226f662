#pragma once

// Internal: bounded reads of glTF accessors. A view is only made when every
// element it names lies inside its buffer.

#include <cstddef>
#include <string>
#include <vector>

#include "platform/granny/gltf.h"

namespace vls::gr2 {

struct AccessorView {
    const unsigned char* base = nullptr;
    std::size_t stride = 0;
    std::size_t count = 0;
    int componentType = 0;
    int components = 0;
    bool normalized = false;

    // Component c of element i, as float (normalised integers scaled to 0..1).
    float Float(std::size_t i, int c) const;
    // Component c of element i as an unsigned integer (integer types only).
    std::uint32_t UInt(std::size_t i, int c) const;
};

// Checks type and place of the accessor; allowedTypes lists acceptable
// component types.
bool ViewAccessor(const tinygltf::Model& model, int index, int components,
                  const std::vector<int>& allowedTypes, AccessorView* view, std::string* error);

}  // namespace vls::gr2
