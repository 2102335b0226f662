// vlsarchive: packs files into a data folder ("resource.map", the numbered
// archives and the "updates" folder).
//   vlsarchive FOLDER NAME=FILE[@SUFFIX]... [--override NAME=FILE]...

#include "tools/archive_builder.h"

#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>

namespace {

bool ReadFile(const std::string& path, std::string& bytes)
{
    std::ifstream in(path, std::ios::binary);
    if (!in)
        return false;
    bytes.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    return true;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc < 2) {
        std::fprintf(stderr, "usage: vlsarchive FOLDER NAME=FILE[@SUFFIX]... [--override NAME=FILE]...\n");
        return 2;
    }
    vls::tools::ArchiveBuilder builder;
    bool loose = false;
    for (int i = 2; i < argc; ++i) {
        std::string argument = argv[i];
        if (argument == "--override") {
            loose = true;
            continue;
        }
        const std::size_t equals = argument.find('=');
        if (equals == std::string::npos) {
            std::fprintf(stderr, "vlsarchive: expected NAME=FILE, got %s\n", argv[i]);
            return 2;
        }
        const std::string name = argument.substr(0, equals);
        std::string file = argument.substr(equals + 1);
        std::string suffix = "001";
        if (const std::size_t at = file.rfind('@'); at != std::string::npos && !loose) {
            suffix = file.substr(at + 1);
            file.resize(at);
        }
        std::string bytes;
        if (!ReadFile(file, bytes)) {
            std::fprintf(stderr, "vlsarchive: cannot read %s\n", file.c_str());
            return 1;
        }
        if (loose)
            builder.AddOverride(name, bytes);
        else
            builder.Add(name, bytes, suffix);
        loose = false;
    }
    if (!builder.Write(argv[1])) {
        std::fprintf(stderr, "vlsarchive: cannot write into %s\n", argv[1]);
        return 1;
    }
    return 0;
}
