// vlsdemo: writes the demo game's data into the current folder.

#include "tools/demo/demo_data.h"

#include <cstdio>
#include <filesystem>
#include <string>

int main()
{
    vls::tools::DemoReport report;
    std::string error;
    const std::filesystem::path folder = std::filesystem::current_path();
    if (!vls::tools::WriteDemoData(folder, report, error)) {
        std::fprintf(stderr, "vlsdemo: %s\n", error.c_str());
        return 1;
    }
    for (const std::string& note : report.notes)
        std::fprintf(stderr, "vlsdemo: %s\n", note.c_str());
    std::printf("vlsdemo: %zu resources and the launcher sounds written to %s\n", report.packed.size(),
                folder.string().c_str());
    return 0;
}
