#include "platform/granny/gltf_access.h"

#include <algorithm>
#include <cstring>

#include "platform/granny/gr2_layout.h"

namespace vls::gr2 {
namespace {

int ComponentSize(int componentType) {
    switch (componentType) {
    case TINYGLTF_COMPONENT_TYPE_BYTE:
    case TINYGLTF_COMPONENT_TYPE_UNSIGNED_BYTE: return 1;
    case TINYGLTF_COMPONENT_TYPE_SHORT:
    case TINYGLTF_COMPONENT_TYPE_UNSIGNED_SHORT: return 2;
    case TINYGLTF_COMPONENT_TYPE_UNSIGNED_INT:
    case TINYGLTF_COMPONENT_TYPE_FLOAT: return 4;
    default: return 0;
    }
}

int ComponentsOf(int type) {
    switch (type) {
    case TINYGLTF_TYPE_SCALAR: return 1;
    case TINYGLTF_TYPE_VEC2: return 2;
    case TINYGLTF_TYPE_VEC3: return 3;
    case TINYGLTF_TYPE_VEC4: return 4;
    default: return 0;
    }
}

template <class T>
T Load(const unsigned char* p) {
    T value;
    std::memcpy(&value, p, sizeof(T));
    return value;
}

}  // namespace

float AccessorView::Float(std::size_t i, int c) const {
    const unsigned char* p = base + i * stride + static_cast<std::size_t>(c) * ComponentSize(componentType);
    switch (componentType) {
    case TINYGLTF_COMPONENT_TYPE_FLOAT: return Load<float>(p);
    case TINYGLTF_COMPONENT_TYPE_UNSIGNED_BYTE: return normalized ? *p / 255.0f : *p;
    case TINYGLTF_COMPONENT_TYPE_UNSIGNED_SHORT:
        return normalized ? Load<std::uint16_t>(p) / 65535.0f : Load<std::uint16_t>(p);
    case TINYGLTF_COMPONENT_TYPE_BYTE:
        return normalized ? std::max(Load<std::int8_t>(p) / 127.0f, -1.0f) : Load<std::int8_t>(p);
    case TINYGLTF_COMPONENT_TYPE_SHORT:
        return normalized ? std::max(Load<std::int16_t>(p) / 32767.0f, -1.0f) : Load<std::int16_t>(p);
    case TINYGLTF_COMPONENT_TYPE_UNSIGNED_INT: return static_cast<float>(Load<std::uint32_t>(p));
    default: return 0.0f;
    }
}

std::uint32_t AccessorView::UInt(std::size_t i, int c) const {
    const unsigned char* p = base + i * stride + static_cast<std::size_t>(c) * ComponentSize(componentType);
    switch (componentType) {
    case TINYGLTF_COMPONENT_TYPE_UNSIGNED_BYTE: return *p;
    case TINYGLTF_COMPONENT_TYPE_UNSIGNED_SHORT: return Load<std::uint16_t>(p);
    case TINYGLTF_COMPONENT_TYPE_UNSIGNED_INT: return Load<std::uint32_t>(p);
    default: return 0xffffffffu;
    }
}

bool ViewAccessor(const tinygltf::Model& model, int index, int components,
                  const std::vector<int>& allowedTypes, AccessorView* view, std::string* error) {
    auto fail = [&](const char* what) {
        *error = std::string("accessor ") + std::to_string(index) + ": " + what;
        return false;
    };
    if (index < 0 || static_cast<std::size_t>(index) >= model.accessors.size()) return fail("index out of range");
    const tinygltf::Accessor& accessor = model.accessors[index];
    if (accessor.sparse.isSparse) return fail("sparse accessors are not supported");
    if (ComponentsOf(accessor.type) != components) return fail("wrong element type");
    if (std::find(allowedTypes.begin(), allowedTypes.end(), accessor.componentType) == allowedTypes.end())
        return fail("wrong component type");
    if (accessor.count > static_cast<std::size_t>(kMaxAccessorElements)) return fail("too many elements");
    if (accessor.bufferView < 0 || static_cast<std::size_t>(accessor.bufferView) >= model.bufferViews.size())
        return fail("buffer view out of range");
    const tinygltf::BufferView& bufferView = model.bufferViews[accessor.bufferView];
    if (bufferView.buffer < 0 || static_cast<std::size_t>(bufferView.buffer) >= model.buffers.size())
        return fail("buffer out of range");
    const tinygltf::Buffer& buffer = model.buffers[bufferView.buffer];

    const std::uint64_t elementSize = static_cast<std::uint64_t>(ComponentSize(accessor.componentType)) * components;
    const std::uint64_t stride = bufferView.byteStride != 0 ? bufferView.byteStride : elementSize;
    if (stride < elementSize || stride > 252) return fail("bad stride");
    const std::uint64_t viewEnd = static_cast<std::uint64_t>(bufferView.byteOffset) + bufferView.byteLength;
    if (viewEnd > buffer.data.size()) return fail("buffer view past its buffer");
    const std::uint64_t span = accessor.count == 0 ? 0 : stride * (accessor.count - 1) + elementSize;
    if (static_cast<std::uint64_t>(accessor.byteOffset) + span > bufferView.byteLength)
        return fail("elements past their buffer view");

    view->base = buffer.data.data() + bufferView.byteOffset + accessor.byteOffset;
    view->stride = static_cast<std::size_t>(stride);
    view->count = accessor.count;
    view->componentType = accessor.componentType;
    view->components = components;
    view->normalized = accessor.normalized;
    return true;
}

}  // namespace vls::gr2
