#pragma once

// Internal: the memory behind one read file, and the lookup from a record to
// the file that owns it (so instances and controls can keep it alive).

#include <memory>
#include <string>
#include <vector>

#include "platform/granny/granny_types.h"

namespace vls::granny {

// Owns arrays of records; addresses stay put for the arena's life.
class Arena {
public:
    template <class T>
    T* New(std::size_t count = 1) {
        if (count == 0) return nullptr;
        T* p = new T[count]();
        blocks_.emplace_back(p, [](void* q) { delete[] static_cast<T*>(q); });
        return p;
    }
    char const* Text(const std::string& text);

private:
    std::vector<std::unique_ptr<void, void (*)(void*)>> blocks_;
};

class FileStorage {
public:
    FileStorage() = default;
    FileStorage(const FileStorage&) = delete;
    FileStorage& operator=(const FileStorage&) = delete;
    ~FileStorage();

    Arena arena;
    granny_file_info info{};

    // Makes the records of info findable by OwnerOf.
    void Register(const std::shared_ptr<FileStorage>& self);

private:
    std::vector<void const*> registered_;
};

// The file that owns a model, skeleton, mesh or animation; null for records
// that a caller built itself.
std::shared_ptr<FileStorage> OwnerOf(void const* record);

}  // namespace vls::granny

struct granny_file {
    std::shared_ptr<vls::granny::FileStorage> storage;
};
