#pragma once

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace launcher::test {

// A text-table file of `lines`, as UTF-16 with a byte-order mark.
inline void WriteTable(const std::filesystem::path& file, const std::vector<std::u16string>& lines)
{
    std::u16string text = u"\xFEFF";
    for (const auto& l : lines)
        text += l + u"\r\n";
    std::ofstream(file, std::ios::binary)
        .write(reinterpret_cast<const char*>(text.data()), static_cast<std::streamsize>(text.size() * 2));
}

}  // namespace launcher::test
