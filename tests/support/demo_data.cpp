#include "tests/support/demo_data.h"

#include <string>

namespace vls::test {

void CopyDemoArchive(const std::filesystem::path& folder)
{
    for (const auto& entry : std::filesystem::directory_iterator(VLS_DEMO_DIR)) {
        const std::string name = entry.path().filename().string();
        if (entry.is_regular_file() && name.rfind("resource.", 0) == 0)
            std::filesystem::copy_file(entry.path(), folder / name, std::filesystem::copy_options::overwrite_existing);
    }
}

}  // namespace vls::test
