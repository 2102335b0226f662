// vlsasm: assembles the text form of a compiled script into its stream, or
// disassembles a stream back into text.
//   vlsasm assemble SOURCE OUTPUT
//   vlsasm disassemble STREAM

#include "engine/script/script_format.h"
#include "tools/archive_builder.h"
#include "tools/script_assembler.h"

#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>

namespace {

bool ReadFile(const char* path, std::string& bytes)
{
    std::ifstream in(path, std::ios::binary);
    if (!in)
        return false;
    bytes.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    return true;
}

int Usage()
{
    std::fprintf(stderr, "usage: vlsasm assemble SOURCE OUTPUT\n       vlsasm disassemble STREAM\n");
    return 2;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc < 3)
        return Usage();
    const std::string command = argv[1];
    std::string input;
    if (!ReadFile(argv[2], input)) {
        std::fprintf(stderr, "vlsasm: cannot read %s\n", argv[2]);
        return 1;
    }
    if (command == "assemble" && argc == 4) {
        ScriptStream stream;
        std::string error;
        if (!vls::tools::AssembleScript(input, stream, error)) {
            std::fprintf(stderr, "%s: %s\n", argv[2], error.c_str());
            return 1;
        }
        if (!vls::tools::WriteFileReplacing(argv[3], EncodeScriptStream(stream))) {
            std::fprintf(stderr, "vlsasm: cannot write %s\n", argv[3]);
            return 1;
        }
        return 0;
    }
    if (command == "disassemble" && argc == 3) {
        ScriptStream stream;
        if (!ParseScriptStream(reinterpret_cast<const std::uint8_t*>(input.data()), input.size(), stream)) {
            std::fprintf(stderr, "%s: not a whole compiled script\n", argv[2]);
            return 1;
        }
        std::fputs(vls::tools::DisassembleScript(stream).c_str(), stdout);
        return 0;
    }
    return Usage();
}
