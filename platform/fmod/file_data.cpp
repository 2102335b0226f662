#include "platform/fmod/file_data.h"

#include "platform/fmod/fmod.h"
#include "platform/win32/kernel/paths.h"

#include <algorithm>
#include <fstream>
#include <optional>
#include <string>

namespace vls::fmod {

namespace {

// Sound files are capped well above anything the programs ship, so a huge
// or endless "file" cannot exhaust memory.
constexpr std::uint64_t kMaxSoundFileBytes = 512ull << 20;

// Callers name files the Windows way; the kernel layer's mapping finds them.
std::ifstream OpenFile(const char* name)
{
    const std::optional<std::string> path = vls::win32::MapPath(name);
    if (!path)
        return {};
    return std::ifstream(*path, std::ios::binary);
}

} // namespace

bool LoadSoundBytes(const char* name_or_data, unsigned int mode, int offset, int length,
                    std::vector<std::uint8_t>& out, int& error)
{
    if (!name_or_data || offset < 0 || length < 0) {
        error = FMOD_ERR_INVALID_PARAM;
        return false;
    }
    if (mode & FSOUND_LOADMEMORY) {
        if (offset >= length) {
            error = FMOD_ERR_INVALID_PARAM;
            return false;
        }
        const auto* bytes = reinterpret_cast<const std::uint8_t*>(name_or_data);
        out.assign(bytes + offset, bytes + length);
        return true;
    }
    std::ifstream file = OpenFile(name_or_data);
    if (!file) {
        error = FMOD_ERR_FILE_NOTFOUND;
        return false;
    }
    file.seekg(0, std::ios::end);
    const std::streamoff size = file.tellg();
    if (size < 0 || offset > size) {
        error = FMOD_ERR_FILE_BAD;
        return false;
    }
    std::uint64_t count = static_cast<std::uint64_t>(size - offset);
    if (length > 0)
        count = std::min<std::uint64_t>(count, static_cast<std::uint64_t>(length));
    if (count > kMaxSoundFileBytes) {
        error = FMOD_ERR_MEMORY;
        return false;
    }
    out.resize(static_cast<std::size_t>(count));
    file.seekg(offset);
    file.read(reinterpret_cast<char*>(out.data()), static_cast<std::streamsize>(count));
    if (!file) {
        error = FMOD_ERR_FILE_BAD;
        return false;
    }
    return true;
}

} // namespace vls::fmod
