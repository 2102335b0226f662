#pragma once

#include <cstdint>
#include <fstream>
#include <string>

namespace vls::test {

// The bytes a live process has read so far through read calls ("rchar" of
// /proc/<pid>/io): "self" for this process; -1 when it cannot be told.
inline std::int64_t BytesRead(const std::string& pid = "self")
{
    std::ifstream counters("/proc/" + pid + "/io");
    std::string name;
    std::int64_t value = -1;
    while (counters >> name >> value) {
        if (name == "rchar:")
            return value;
    }
    return -1;
}

} // namespace vls::test
