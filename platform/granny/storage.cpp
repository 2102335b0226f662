#include "platform/granny/storage.h"

#include <unordered_map>

namespace vls::granny {
namespace {

// Never destroyed, so files freed during program exit still find it.
std::unordered_map<void const*, std::weak_ptr<FileStorage>>& Owners() {
    static auto* owners = new std::unordered_map<void const*, std::weak_ptr<FileStorage>>;
    return *owners;
}

}  // namespace

char const* Arena::Text(const std::string& text) {
    char* p = New<char>(text.size() + 1);
    text.copy(p, text.size());
    return p;
}

FileStorage::~FileStorage() {
    for (void const* record : registered_) Owners().erase(record);
}

void FileStorage::Register(const std::shared_ptr<FileStorage>& self) {
    auto add = [&](void const* record) {
        Owners()[record] = self;
        registered_.push_back(record);
    };
    for (granny_int32 i = 0; i < info.ModelCount; ++i) add(info.Models[i]);
    for (granny_int32 i = 0; i < info.SkeletonCount; ++i) add(info.Skeletons[i]);
    for (granny_int32 i = 0; i < info.MeshCount; ++i) add(info.Meshes[i]);
    for (granny_int32 i = 0; i < info.AnimationCount; ++i) add(info.Animations[i]);
}

std::shared_ptr<FileStorage> OwnerOf(void const* record) {
    const auto found = Owners().find(record);
    return found == Owners().end() ? nullptr : found->second.lock();
}

}  // namespace vls::granny
