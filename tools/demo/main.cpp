// vlsdemo: writes the demo game's data into the current folder, and with a
// folder argument the launcher's files into that folder (the launcher's
// own), with the demo set up as the game it starts.

#include "tools/demo/demo_data.h"
#include "tools/demo/launcher_demo.h"

#include <cstdio>
#include <filesystem>
#include <string>

int main(int argc, char** argv)
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
    if (argc > 1) {
        if (!vls::tools::WriteLauncherDemo(argv[1], folder, error)) {
            std::fprintf(stderr, "vlsdemo: %s\n", error.c_str());
            return 1;
        }
        std::printf("vlsdemo: the launcher's files written to %s\n", argv[1]);
    }
    return 0;
}
