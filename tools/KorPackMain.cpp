// korpack: packs a folder into a ".kor" package and converts PNG images to
// ".pps", for the project's own assets.
//
//   korpack pack <folder> <out.kor> [--pps]   every file under folder; --pps stores PNGs as .pps
//   korpack pps <in.png> <out.pps>            one PNG as a .pps image
#include "tools/AssetPacker.h"

#include <cstdio>
#include <cstring>
#include <fstream>
#include <iterator>

namespace {

int Usage()
{
    std::fprintf(stderr, "usage: korpack pack <folder> <out.kor> [--pps]\n"
                         "       korpack pps <in.png> <out.pps>\n");
    return 2;
}

bool WriteFile(const char* path, const std::vector<uint8_t>& bytes)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
    return static_cast<bool>(out);
}

} // namespace

int main(int argc, char** argv)
{
    if (argc >= 4 && std::strcmp(argv[1], "pack") == 0) {
        const bool pps = argc >= 5 && std::strcmp(argv[4], "--pps") == 0;
        const tools::PackResult result = tools::PackFolder(argv[2], pps ? tools::PngToPps::Yes : tools::PngToPps::No);
        if (!result.ok) {
            std::fprintf(stderr, "korpack: %s\n", result.error.c_str());
            return 1;
        }
        if (!WriteFile(argv[3], result.package)) {
            std::fprintf(stderr, "korpack: cannot write %s\n", argv[3]);
            return 1;
        }
        std::printf("%s: %zu resources, %zu bytes\n", argv[3], result.count, result.package.size());
        return 0;
    }
    if (argc == 4 && std::strcmp(argv[1], "pps") == 0) {
        std::ifstream in(argv[2], std::ios::binary);
        if (!in) {
            std::fprintf(stderr, "korpack: cannot read %s\n", argv[2]);
            return 1;
        }
        const std::vector<uint8_t> png((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        std::string error;
        const std::vector<uint8_t> pps = tools::ConvertPngToPps(png, error);
        if (pps.empty()) {
            std::fprintf(stderr, "korpack: %s: %s\n", argv[2], error.c_str());
            return 1;
        }
        if (!WriteFile(argv[3], pps)) {
            std::fprintf(stderr, "korpack: cannot write %s\n", argv[3]);
            return 1;
        }
        return 0;
    }
    return Usage();
}
