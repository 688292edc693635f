// skinset: draws the default skin into a folder: one ".kor" file per
// package (images and sounds) and the loose files beside them (the advert
// bar's background bitmap, the skin INI and the bitmap it names).
//
//   skinset <out-folder> [--preview <png-folder>]
//
// With --preview every image is also written as a PNG sheet of its frames.
#include "tools/CardSkin.h"
#include "tools/SkinPreview.h"
#include "platform/Text.h"

#include <cstdio>
#include <fstream>
#include <string>
#include <string_view>

namespace {

// Writes a file of the folder; the name is GBK, the file system's UTF-8.
bool WriteFile(const std::string& folder, const std::string& name, const std::vector<uint8_t>& bytes)
{
    const std::string path = folder + "/" + platform::GbkToUtf8(name).value_or(name);
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
    if (!out)
        std::fprintf(stderr, "skinset: cannot write %s\n", path.c_str());
    return bool(out);
}

} // namespace

int main(int argc, char** argv)
{
    const bool preview = argc == 4 && std::string_view(argv[2]) == "--preview";
    if (argc != 2 && !preview) {
        std::fprintf(stderr, "usage: skinset <out-folder> [--preview <png-folder>]\n");
        return 2;
    }
    const std::string folder = argv[1];
    for (const tools::SkinPackage& package : tools::DrawDefaultSkin()) {
        std::string error;
        const std::vector<uint8_t> bytes = tools::PackSkin(package, error);
        if (bytes.empty()) {
            std::fprintf(stderr, "skinset: %s\n", error.c_str());
            return 1;
        }
        if (!WriteFile(folder, package.file, bytes))
            return 1;
        for (const tools::SkinImage& image : package.images) {
            if (preview && !tools::WritePreviewSheet(argv[3], image, error)) {
                std::fprintf(stderr, "skinset: %s\n", error.c_str());
                return 1;
            }
        }
    }
    for (const tools::SkinFile& file : tools::DrawLooseFiles()) {
        if (!WriteFile(folder, file.file, file.bytes))
            return 1;
    }
    return 0;
}
