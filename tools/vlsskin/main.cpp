// vlsskin: writes the launcher's skin, as the form property that carries it,
// into a C++ include file of byte values, so the launcher holds its skin
// the way a form holds its stored properties.

#include <cstdio>
#include <fstream>
#include <string>

#include "tools/launcher_skin.h"
#include "tools/skin_writer.h"

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: vlsskin <output.inc>\n");
        return 2;
    }
    skin::TSkSkinSource source(nullptr);
    vls::tools::BuildLauncherSkin(source);
    const std::vector<std::uint8_t> bytes = vls::tools::WriteSkinFormProperty(source);
    const std::string partial = std::string(argv[1]) + ".part";
    {
        std::ofstream out(partial);
        for (size_t i = 0; i < bytes.size(); ++i)
            out << int(bytes[i]) << (i % 24 == 23 ? ",\n" : ",");
        out << "\n";
        if (!out) {
            std::fprintf(stderr, "vlsskin: cannot write %s\n", partial.c_str());
            return 1;
        }
    }
    if (std::rename(partial.c_str(), argv[1]) != 0) {
        std::fprintf(stderr, "vlsskin: cannot write %s\n", argv[1]);
        return 1;
    }
    return 0;
}
