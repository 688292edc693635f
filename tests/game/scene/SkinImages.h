#pragma once
// The default skin drawn at build time (bin/skins), read into a test's named
// images: tests that judge the table's layout see the pictures a player sees.

#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <utility>

#include <gtest/gtest.h>

#include "engine/core/NameKey.h"
#include "engine/media/PpsCodec.h"
#include "engine/media/ResourceModule.h"
#include "engine/core/pictures/PictureTestSupport.h"

namespace scene::test {

/// Reads the named pictures of a skin package into `images`. Each picture is
/// decoded once per test program and copied after (the sanitiser builds
/// decode slowly, and most tests of a fixture read the same pictures).
inline void LoadSkinImages(std::map<std::string, std::unique_ptr<engine::ImageRecord>>& images, const char* package,
                           std::initializer_list<std::string> names)
{
    static std::mutex decoded_lock;
    static std::map<std::pair<std::string, std::string>, engine::ImageRecord> decoded;
    const std::lock_guard lock(decoded_lock);
    std::optional<engine::ResourceModule> module;
    for (const std::string& name : names) {
        auto known = decoded.find({ package, name });
        if (known == decoded.end()) {
            if (!module) {
                module.emplace();
                ASSERT_GT(module->LoadPackage(std::string(PLDK_SKINS_DIR) + "/" + package), 0) << package;
            }
            const engine::ResourceRecord* data = module->ReadData(engine::MakeNameKey(name + ".imge"));
            ASSERT_NE(data, nullptr) << name;
            engine::ImageRecord image;
            ASSERT_GT(engine::DecodePps(data->Bytes(), image), 0u) << name;
            known = decoded.emplace(std::pair { package, name }, std::move(image)).first;
        }
        auto image = std::make_unique<engine::ImageRecord>();
        engine::CopyImageRecord(&known->second, image.get(), false);
        image->pixels = picturetest::CopyPixels(known->second.pixels.get(), known->second.pixel_bytes);
        image->pixel_bytes = known->second.pixel_bytes;
        images[name] = std::move(image);
    }
}

} // namespace scene::test
