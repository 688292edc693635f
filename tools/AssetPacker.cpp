#include "tools/AssetPacker.h"

#include "engine/core/EnginePath.h"
#include "engine/core/NameKey.h"
#include "engine/media/ImageDecoder.h"
#include "engine/media/PpsCodec.h"
#include "engine/media/ResPackage.h"
#include "engine/media/ResourceCategory.h"
#include "platform/Text.h"

#include <algorithm>
#include <fstream>
#include <iterator>
#include <set>

namespace tools {

namespace {

std::vector<uint8_t> ReadFile(const std::filesystem::path& path, bool& ok)
{
    std::ifstream in(path, std::ios::binary);
    std::vector<uint8_t> bytes(std::istreambuf_iterator<char>(in), {});
    ok = in.is_open() && !in.bad();
    return bytes;
}

} // namespace

std::vector<uint8_t> ConvertPngToPps(const std::vector<uint8_t>& png, std::string& error)
{
    auto decoder = engine::CreateSdlImageDecoder();
    engine::ImageRecord record;
    if (engine::DecodeImageRecord(*decoder, png, engine::ImageFileFormat::Png, record) != 1) {
        error = "not a readable PNG";
        return {};
    }
    // Transparency present: a colour key, or pixels of alpha 0.
    if (record.HasAlpha() && !record.IsPaletteImage()) {
        for (uint32_t i = 0; i < record.pixel_bytes / 4; ++i) {
            if (record.pixels[i * 4 + 3] == 0) {
                record.flags |= engine::IMAGE_FLAG_TRANSPARENT;
                break;
            }
        }
    }
    std::vector<uint8_t> pps = engine::EncodePps(record, nullptr, engine::PPS_METHOD_BEST);
    if (pps.empty())
        error = "the image cannot be stored as .pps";
    return pps;
}

PackResult PackFolder(const std::filesystem::path& folder, PngToPps convert)
{
    PackResult result;
    std::error_code error;
    std::vector<std::filesystem::path> files;
    for (auto it = std::filesystem::recursive_directory_iterator(folder, error);
         !error && it != std::filesystem::recursive_directory_iterator(); it.increment(error)) {
        if (it->is_regular_file(error))
            files.push_back(it->path());
    }
    if (error) {
        result.error = "cannot read folder " + folder.string() + ": " + error.message();
        return result;
    }
    std::sort(files.begin(), files.end());
    std::vector<engine::ResPackageSource> sources;
    std::set<std::string> names;
    for (const auto& file : files) {
        const auto gbk = platform::Utf8ToGbk(file.filename().string());
        if (!gbk) {
            result.error = "file name is not convertible to GBK: " + file.string();
            return result;
        }
        bool read_ok = false;
        engine::ResPackageSource source;
        source.data = ReadFile(file, read_ok);
        if (!read_ok) {
            result.error = "cannot read " + file.string();
            return result;
        }
        std::string extension = engine::GetFileExtLower(*gbk);
        if (convert == PngToPps::Yes && extension == ".png") {
            std::string why;
            source.data = ConvertPngToPps(source.data, why);
            if (source.data.empty()) {
                result.error = file.string() + ": " + why;
                return result;
            }
            extension = ".pps";
        }
        source.name = engine::ResourceNameOf(*gbk);
        source.type = engine::StringHash(extension);
        if (!names.insert(source.name).second) {
            result.error = "two files share the resource name of " + file.string();
            return result;
        }
        sources.push_back(std::move(source));
    }
    result.package = engine::BuildResPackage(sources);
    if (result.package.empty()) {
        result.error = "the files do not fit one package (4 GiB at most)";
        return result;
    }
    result.count = sources.size();
    result.ok = true;
    return result;
}

} // namespace tools
