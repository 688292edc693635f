// skinset: draws the default skin's packages (card faces and backs, ...)
// into a folder, one ".kor" file per package.
//
//   skinset <out-folder>
#include "tools/CardSkin.h"

#include <cstdio>
#include <fstream>
#include <string>

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: skinset <out-folder>\n");
        return 2;
    }
    for (const tools::SkinPackage& package : tools::DrawDefaultSkin()) {
        std::string error;
        const std::vector<uint8_t> bytes = tools::PackSkin(package, error);
        if (bytes.empty()) {
            std::fprintf(stderr, "skinset: %s\n", error.c_str());
            return 1;
        }
        const std::string path = std::string(argv[1]) + "/" + package.file;
        std::ofstream out(path, std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
        if (!out) {
            std::fprintf(stderr, "skinset: cannot write %s\n", path.c_str());
            return 1;
        }
    }
    return 0;
}
