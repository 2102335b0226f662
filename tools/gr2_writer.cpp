#include "tools/gr2_writer.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <stdexcept>

#include "platform/granny/gr2_layout.h"
#include "tools/dxt_encoder.h"

namespace vls::tools {
namespace {

constexpr int kFloat = 5126;
constexpr int kUnsignedShort = 5123;
constexpr int kUnsignedInt = 5125;
constexpr int kArrayBuffer = 34962;
constexpr int kElementArrayBuffer = 34963;

std::string Quote(const std::string& text) {
    std::string out = "\"";
    for (const char c : text) {
        const auto u = static_cast<unsigned char>(c);
        if (c == '"' || c == '\\') {
            out += '\\';
            out += c;
        } else if (u < 0x20) {
            char escaped[8];
            std::snprintf(escaped, sizeof(escaped), "\\u%04x", u);
            out += escaped;
        } else {
            out += c;
        }
    }
    return out + "\"";
}

std::string Number(double value) {
    char text[32];
    std::snprintf(text, sizeof(text), "%.9g", value);
    return text;
}

template <class Range, class Format>
std::string List(const Range& items, Format format) {
    std::string out = "[";
    bool first = true;
    for (const auto& item : items) {
        if (!first) out += ",";
        out += format(item);
        first = false;
    }
    return out + "]";
}

std::string Numbers(const float* values, int count) {
    std::string out = "[";
    for (int i = 0; i < count; ++i) out += (i ? "," : "") + Number(values[i]);
    return out + "]";
}

void PutU32(std::vector<std::uint8_t>& out, std::uint32_t value) {
    for (int i = 0; i < 4; ++i) out.push_back(static_cast<std::uint8_t>(value >> (8 * i)));
}

void PutU32BigEndian(std::vector<std::uint8_t>& out, std::uint32_t value) {
    for (int i = 3; i >= 0; --i) out.push_back(static_cast<std::uint8_t>(value >> (8 * i)));
}

std::uint32_t Crc32(const std::uint8_t* data, std::size_t size) {
    std::uint32_t crc = 0xffffffffu;
    for (std::size_t i = 0; i < size; ++i) {
        crc ^= data[i];
        for (int k = 0; k < 8; ++k) crc = (crc >> 1) ^ (0xedb88320u & (0u - (crc & 1u)));
    }
    return ~crc;
}

void PngChunk(std::vector<std::uint8_t>& out, const char* type, const std::vector<std::uint8_t>& data) {
    PutU32BigEndian(out, static_cast<std::uint32_t>(data.size()));
    const std::size_t start = out.size();
    out.insert(out.end(), type, type + 4);
    out.insert(out.end(), data.begin(), data.end());
    PutU32BigEndian(out, Crc32(out.data() + start, out.size() - start));
}

// Collects the binary chunk and the JSON lists that describe it.
class GlbBuilder {
public:
    int AddView(const void* data, std::size_t size, int target) {
        while (bin_.size() % 4 != 0) bin_.push_back(0);
        const std::size_t offset = bin_.size();
        const auto* bytes = static_cast<const std::uint8_t*>(data);
        bin_.insert(bin_.end(), bytes, bytes + size);
        std::string view = "{\"buffer\":0,\"byteOffset\":" + std::to_string(offset) +
                           ",\"byteLength\":" + std::to_string(size);
        if (target != 0) view += ",\"target\":" + std::to_string(target);
        views_.push_back(view + "}");
        return static_cast<int>(views_.size()) - 1;
    }

    // Floats with `components` per element; min/max are written for VEC3 and SCALAR.
    int AddFloats(const std::vector<float>& values, int components, int target, bool bounds) {
        const int view = AddView(values.data(), values.size() * sizeof(float), target);
        const std::size_t count = components ? values.size() / components : 0;
        static const char* kTypes[] = {"", "SCALAR", "VEC2", "VEC3", "VEC4"};
        std::string accessor = "{\"bufferView\":" + std::to_string(view) + ",\"componentType\":" +
                               std::to_string(kFloat) + ",\"count\":" + std::to_string(count) + ",\"type\":\"" +
                               kTypes[components] + "\"";
        if (bounds && count > 0) {
            std::vector<float> low(values.begin(), values.begin() + components);
            std::vector<float> high = low;
            for (std::size_t i = 0; i < count; ++i)
                for (int c = 0; c < components; ++c) {
                    low[c] = std::min(low[c], values[i * components + c]);
                    high[c] = std::max(high[c], values[i * components + c]);
                }
            accessor += ",\"min\":" + Numbers(low.data(), components) + ",\"max\":" + Numbers(high.data(), components);
        }
        accessors_.push_back(accessor + "}");
        return static_cast<int>(accessors_.size()) - 1;
    }

    int AddJoints(const std::vector<std::uint16_t>& values) {
        const int view = AddView(values.data(), values.size() * sizeof(std::uint16_t), kArrayBuffer);
        accessors_.push_back("{\"bufferView\":" + std::to_string(view) + ",\"componentType\":" +
                             std::to_string(kUnsignedShort) + ",\"count\":" + std::to_string(values.size() / 4) +
                             ",\"type\":\"VEC4\"}");
        return static_cast<int>(accessors_.size()) - 1;
    }

    int AddIndices(const std::vector<std::uint32_t>& values) {
        const int view = AddView(values.data(), values.size() * sizeof(std::uint32_t), kElementArrayBuffer);
        accessors_.push_back("{\"bufferView\":" + std::to_string(view) + ",\"componentType\":" +
                             std::to_string(kUnsignedInt) + ",\"count\":" + std::to_string(values.size()) +
                             ",\"type\":\"SCALAR\"}");
        return static_cast<int>(accessors_.size()) - 1;
    }

    std::vector<std::uint8_t> Finish(std::string json) {
        json += ",\"bufferViews\":" + List(views_, [](const std::string& s) { return s; });
        json += ",\"accessors\":" + List(accessors_, [](const std::string& s) { return s; });
        // The reader wants a binary chunk of at least one word, even when empty.
        while (bin_.size() % 4 != 0 || bin_.empty()) bin_.push_back(0);
        json += ",\"buffers\":[{\"byteLength\":" + std::to_string(bin_.size()) + "}]}";
        while (json.size() % 4 != 0) json += ' ';

        std::vector<std::uint8_t> out;
        out.insert(out.end(), {'g', 'l', 'T', 'F'});
        PutU32(out, 2);
        PutU32(out, static_cast<std::uint32_t>(12 + 8 + json.size() + 8 + bin_.size()));
        PutU32(out, static_cast<std::uint32_t>(json.size()));
        PutU32(out, 0x4E4F534Au);  // JSON
        out.insert(out.end(), json.begin(), json.end());
        PutU32(out, static_cast<std::uint32_t>(bin_.size()));
        PutU32(out, 0x004E4942u);  // BIN
        out.insert(out.end(), bin_.begin(), bin_.end());
        return out;
    }

private:
    std::vector<std::uint8_t> bin_;
    std::vector<std::string> views_;
    std::vector<std::string> accessors_;
};

struct NodeOut {
    std::string name;
    const Gr2Bone* bone = nullptr;  // null for a mesh node (identity transform)
    std::vector<int> children;
    int mesh = -1;
    int skin = -1;
};

std::string MeshJson(GlbBuilder& glb, const Gr2Mesh& mesh) {
    std::vector<float> positions, normals, uvs, weights;
    std::vector<std::uint16_t> joints;
    for (const Gr2Vertex& v : mesh.vertices) {
        positions.insert(positions.end(), v.position.begin(), v.position.end());
        normals.insert(normals.end(), v.normal.begin(), v.normal.end());
        uvs.insert(uvs.end(), v.uv.begin(), v.uv.end());
        weights.insert(weights.end(), v.weights.begin(), v.weights.end());
        for (int j : v.joints) joints.push_back(static_cast<std::uint16_t>(j));
    }
    std::string attributes = std::string("{\"") + gr2::kAttributePosition +
                             "\":" + std::to_string(glb.AddFloats(positions, 3, kArrayBuffer, true));
    attributes += std::string(",\"") + gr2::kAttributeNormal +
                  "\":" + std::to_string(glb.AddFloats(normals, 3, kArrayBuffer, false));
    attributes += std::string(",\"") + gr2::kAttributeTexCoord +
                  "\":" + std::to_string(glb.AddFloats(uvs, 2, kArrayBuffer, false));
    if (mesh.skinned) {
        attributes += std::string(",\"") + gr2::kAttributeJoints + "\":" + std::to_string(glb.AddJoints(joints));
        attributes += std::string(",\"") + gr2::kAttributeWeights +
                      "\":" + std::to_string(glb.AddFloats(weights, 4, kArrayBuffer, false));
    }
    attributes += "}";
    std::string primitives = "[";
    for (std::size_t g = 0; g < mesh.groups.size(); ++g) {
        const Gr2Group& group = mesh.groups[g];
        primitives += (g ? ",{" : "{") + std::string("\"attributes\":") + attributes +
                      ",\"indices\":" + std::to_string(glb.AddIndices(group.indices)) + ",\"mode\":4";
        if (group.material >= 0) primitives += ",\"material\":" + std::to_string(group.material);
        primitives += "}";
    }
    return "{\"name\":" + Quote(mesh.name) + ",\"primitives\":" + primitives + "]}";
}

std::string TrackChannels(GlbBuilder& glb, const Gr2Track& track, int node, std::vector<std::string>* samplers) {
    std::string channels;
    auto add = [&](const std::vector<float>& times, const std::vector<float>& values, int components,
                   const char* path) {
        if (times.empty()) return;
        const int input = glb.AddFloats(times, 1, 0, true);
        const int output = glb.AddFloats(values, components, 0, false);
        samplers->push_back("{\"input\":" + std::to_string(input) + ",\"output\":" + std::to_string(output) +
                            ",\"interpolation\":\"LINEAR\"}");
        if (!channels.empty()) channels += ",";
        channels += "{\"sampler\":" + std::to_string(samplers->size() - 1) + ",\"target\":{\"node\":" +
                    std::to_string(node) + ",\"path\":\"" + path + "\"}}";
    };
    auto flat = [](const auto& keys) {
        std::vector<float> out;
        for (const auto& key : keys) out.insert(out.end(), key.begin(), key.end());
        return out;
    };
    add(track.positionTimes, flat(track.positions), 3, "translation");
    add(track.rotationTimes, flat(track.rotations), 4, "rotation");
    add(track.scaleTimes, flat(track.scales), 3, "scale");
    return channels;
}

}  // namespace

std::vector<std::uint8_t> EncodePngRgba(int width, int height, const std::vector<std::uint8_t>& rgba) {
    std::vector<std::uint8_t> out = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1a, '\n'};
    std::vector<std::uint8_t> header;
    PutU32BigEndian(header, static_cast<std::uint32_t>(width));
    PutU32BigEndian(header, static_cast<std::uint32_t>(height));
    header.insert(header.end(), {8, 6, 0, 0, 0});  // 8-bit RGBA, no interlace
    PngChunk(out, "IHDR", header);

    std::vector<std::uint8_t> raw;
    const std::size_t row = static_cast<std::size_t>(width) * 4;
    for (int y = 0; y < height; ++y) {
        raw.push_back(0);  // no filter
        raw.insert(raw.end(), rgba.begin() + y * row, rgba.begin() + (y + 1) * row);
    }
    // zlib stream of stored (uncompressed) deflate blocks.
    std::vector<std::uint8_t> z = {0x78, 0x01};
    std::size_t at = 0;
    do {
        const std::size_t length = std::min<std::size_t>(raw.size() - at, 65535);
        const bool last = at + length == raw.size();
        z.push_back(last ? 1 : 0);
        z.push_back(static_cast<std::uint8_t>(length));
        z.push_back(static_cast<std::uint8_t>(length >> 8));
        z.push_back(static_cast<std::uint8_t>(~length));
        z.push_back(static_cast<std::uint8_t>(~length >> 8));
        z.insert(z.end(), raw.begin() + at, raw.begin() + at + length);
        at += length;
    } while (at < raw.size());
    std::uint32_t a = 1, b = 0;
    for (std::uint8_t byte : raw) {
        a = (a + byte) % 65521;
        b = (b + a) % 65521;
    }
    PutU32BigEndian(z, (b << 16) | a);
    PngChunk(out, "IDAT", z);
    PngChunk(out, "IEND", {});
    return out;
}

// S3TC levels one after another in one buffer view; the extras say how the
// bytes divide.
static std::string DxtImage(GlbBuilder& glb, const Gr2Texture& t) {
    std::vector<std::uint8_t> bytes;
    std::string sizes;
    std::vector<std::uint8_t> level = t.rgba;
    int width = t.width, height = t.height;
    for (int i = 0; i < std::max(1, t.mipLevels); ++i) {
        const std::vector<std::uint8_t> blocks = EncodeDxt(width, height, level, static_cast<DxtKind>(t.dxt));
        bytes.insert(bytes.end(), blocks.begin(), blocks.end());
        sizes += (i ? "," : "") + std::to_string(blocks.size());
        level = HalveRgba(width, height, level);
        width = std::max(1, width / 2);
        height = std::max(1, height / 2);
    }
    return "{\"name\":" + Quote(t.name) + ",\"mimeType\":\"" + gr2::kMimeDxt + "\",\"bufferView\":" +
           std::to_string(glb.AddView(bytes.data(), bytes.size(), 0)) + ",\"extras\":{\"" + gr2::kExtrasWidth +
           "\":" + std::to_string(t.width) + ",\"" + gr2::kExtrasHeight + "\":" + std::to_string(t.height) + ",\"" +
           gr2::kExtrasDxt + "\":" + std::to_string(t.dxt) + ",\"" + gr2::kExtrasLevels + "\":[" + sizes + "]}}";
}

std::vector<std::uint8_t> WriteGr2(const Gr2Scene& scene) {
    GlbBuilder glb;
    std::string json = "{\"asset\":{\"version\":\"2.0\",\"generator\":\"vls gr2 writer\"}";

    json += ",\"images\":" + List(scene.textures, [&](const Gr2Texture& t) {
        if (t.dxt >= 0) return DxtImage(glb, t);
        const std::vector<std::uint8_t> png = EncodePngRgba(t.width, t.height, t.rgba);
        return "{\"name\":" + Quote(t.name) + ",\"mimeType\":\"image/png\",\"bufferView\":" +
               std::to_string(glb.AddView(png.data(), png.size(), 0)) + "}";
    });
    std::vector<int> textureIndex;
    for (std::size_t i = 0; i < scene.textures.size(); ++i) textureIndex.push_back(static_cast<int>(i));
    json += ",\"textures\":" + List(textureIndex, [](int i) { return "{\"source\":" + std::to_string(i) + "}"; });
    json += ",\"materials\":" + List(scene.materials, [](const Gr2Material& m) {
        std::string out = "{\"name\":" + Quote(m.name);
        if (m.texture >= 0)
            out += ",\"pbrMetallicRoughness\":{\"baseColorTexture\":{\"index\":" + std::to_string(m.texture) + "}}";
        return out + "}";
    });

    // Nodes: each model's bones in order, then one node per mesh.
    std::vector<NodeOut> nodes;
    std::vector<std::string> meshes;
    std::vector<std::string> skins;
    std::vector<std::pair<std::string, int>> boneNodes;  // name -> node, for animation targets
    for (const Gr2Model& model : scene.models) {
        const int first = static_cast<int>(nodes.size());
        for (const Gr2Bone& bone : model.bones) {
            if (bone.parent >= 0) nodes[first + bone.parent].children.push_back(static_cast<int>(nodes.size()));
            boneNodes.emplace_back(bone.name, static_cast<int>(nodes.size()));
            nodes.push_back({bone.name, &bone, {}, -1, -1});
        }
        for (const Gr2Mesh& mesh : model.meshes) {
            NodeOut node{mesh.name, nullptr, {}, static_cast<int>(meshes.size()), -1};
            meshes.push_back(MeshJson(glb, mesh));
            if (mesh.skinned) {
                node.skin = static_cast<int>(skins.size());
                skins.push_back("{\"joints\":" + List(mesh.joints, [&](int j) { return std::to_string(first + j); }) +
                                "}");
            }
            nodes[first + (mesh.skinned ? 0 : mesh.bone)].children.push_back(static_cast<int>(nodes.size()));
            nodes.push_back(node);
        }
    }
    json += ",\"nodes\":" + List(nodes, [](const NodeOut& n) {
        std::string out = "{\"name\":" + Quote(n.name);
        if (n.bone != nullptr) {
            out += ",\"translation\":" + Numbers(n.bone->position.data(), 3);
            out += ",\"rotation\":" + Numbers(n.bone->orientation.data(), 4);
            out += ",\"scale\":" + Numbers(n.bone->scale.data(), 3);
        }
        if (!n.children.empty()) out += ",\"children\":" + List(n.children, [](int c) { return std::to_string(c); });
        if (n.mesh >= 0) out += ",\"mesh\":" + std::to_string(n.mesh);
        if (n.skin >= 0) out += ",\"skin\":" + std::to_string(n.skin);
        return out + "}";
    });
    json += ",\"meshes\":" + List(meshes, [](const std::string& s) { return s; });
    json += ",\"skins\":" + List(skins, [](const std::string& s) { return s; });

    json += ",\"animations\":" + List(scene.animations, [&](const Gr2Animation& animation) {
        std::vector<std::string> samplers;
        std::string channels;
        for (const Gr2Track& track : animation.tracks) {
            const auto found = std::find_if(boneNodes.begin(), boneNodes.end(),
                                            [&](const auto& entry) { return entry.first == track.bone; });
            if (found == boneNodes.end()) throw std::invalid_argument("animation track for unknown bone " + track.bone);
            const std::string more = TrackChannels(glb, track, found->second, &samplers);
            if (!more.empty()) channels += (channels.empty() ? "" : ",") + more;
        }
        std::string extras;
        if (animation.duration >= 0.0f) extras += std::string("\"") + gr2::kExtrasDuration + "\":" + Number(animation.duration);
        if (animation.rootMotion) extras += std::string(extras.empty() ? "" : ",") + "\"" + gr2::kExtrasRootMotion + "\":true";
        return "{\"name\":" + Quote(animation.name) + ",\"channels\":[" + channels + "],\"samplers\":" +
               List(samplers, [](const std::string& s) { return s; }) + ",\"extras\":{" + extras + "}}";
    });

    std::vector<int> roots;
    for (std::size_t m = 0, node = 0; m < scene.models.size(); ++m) {
        roots.push_back(static_cast<int>(node));
        node += scene.models[m].bones.size() + scene.models[m].meshes.size();
    }
    json += ",\"scenes\":[{\"nodes\":" + List(roots, [](int r) { return std::to_string(r); }) + "}],\"scene\":0";
    return glb.Finish(json);
}

bool SaveGr2(const std::string& path, const Gr2Scene& scene) {
    const std::vector<std::uint8_t> bytes = WriteGr2(scene);
    const std::string temp = path + ".tmp";
    {
        std::ofstream out(temp, std::ios::binary | std::ios::trunc);
        if (!out) return false;
        out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
        if (!out) return false;
    }
    return std::rename(temp.c_str(), path.c_str()) == 0;
}

}  // namespace vls::tools
