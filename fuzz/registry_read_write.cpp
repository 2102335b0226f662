// Puts the input in the settings folder as "user.reg" and reads and writes
// it through the registry calls: every value read before a change reads the
// same after it, the change itself reads back, and a file that is refused is
// kept aside while a fresh one takes its place.

#include "fuzz/scratch_folder.h"
#include "platform/win32/registry/reg_file.h"
#include "platform/win32/registry/registry.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

std::filesystem::path Start()
{
    const std::filesystem::path config = MakeScratchFolder("vls-fuzz-registry");
    setenv("VEILSTRAND_CONFIG", config.c_str(), 1);
    return config / "user.reg";
}

struct Seen {
    std::string key;
    std::string name;
    DWORD type = 0;
    std::vector<BYTE> data;
};

// Reads a value through the calls; false when it is not there.
bool Query(const std::string& keyPath, const std::string& name, DWORD& type, std::vector<BYTE>& data)
{
    HKEY key = nullptr;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, keyPath.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS)
        return false;
    DWORD size = 0;
    LONG status = RegQueryValueExA(key, name.c_str(), nullptr, &type, nullptr, &size);
    if (status == ERROR_SUCCESS) {
        data.assign(size, 0);
        status = RegQueryValueExA(key, name.c_str(), nullptr, &type, data.data(), &size);
        data.resize(size);
    }
    RegCloseKey(key);
    return status == ERROR_SUCCESS;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    static const std::filesystem::path file = Start();
    std::filesystem::remove(file.string() + ".damaged");
    {
        std::ofstream out(file, std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
    }
    const std::string text(reinterpret_cast<const char*>(data), size);
    const auto document = vls::win32::ParseRegistryText(text, nullptr);

    // What the calls read first, for a few values whose names the API can
    // carry (no NUL inside).
    std::vector<Seen> before;
    if (document) {
        for (const auto& key : document->keys) {
            for (const auto& value : key.values) {
                if (before.size() >= 16 || key.path.find('\0') != std::string::npos
                    || value.name.find('\0') != std::string::npos)
                    break;
                Seen seen{key.path, value.name, 0, {}};
                if (!Query(seen.key, seen.name, seen.type, seen.data))
                    std::abort();  // a value of the file is there to read
                before.push_back(std::move(seen));
            }
        }
    }

    HKEY key = nullptr;
    if (RegCreateKeyA(HKEY_CURRENT_USER, "Software\\Quarrybend\\Veilstrand", &key) != ERROR_SUCCESS)
        std::abort();
    const DWORD number = static_cast<DWORD>(size);
    if (RegSetValueExA(key, "FuzzWritten", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&number), 4) != ERROR_SUCCESS)
        std::abort();
    RegCloseKey(key);

    DWORD type = 0;
    std::vector<BYTE> bytes;
    if (!Query("Software\\Quarrybend\\Veilstrand", "FuzzWritten", type, bytes) || type != REG_DWORD
        || bytes.size() != 4 || std::memcmp(bytes.data(), &number, 4) != 0)
        std::abort();
    for (const Seen& seen : before) {
        if (vls::win32::EqualsIgnoringAsciiCase(seen.name, "FuzzWritten")
            && vls::win32::EqualsIgnoringAsciiCase(seen.key, "Software\\Quarrybend\\Veilstrand"))
            continue;
        if (!Query(seen.key, seen.name, type, bytes) || type != seen.type || bytes != seen.data)
            std::abort();  // a rewrite lost or changed a value
    }
    // A refused file is kept aside, and only then.
    if (!document != std::filesystem::exists(file.string() + ".damaged"))
        std::abort();
    return 0;
}
