#pragma once
// The default skin drawn at build time (bin/skins), read into a test's named
// images: tests that judge the table's layout see the pictures a player sees.

#include <map>
#include <memory>
#include <string>

#include <gtest/gtest.h>

#include "engine/core/NameKey.h"
#include "engine/media/PpsCodec.h"
#include "engine/media/ResourceModule.h"

namespace scene::test {

/// Reads the named pictures of a skin package into `images`.
inline void LoadSkinImages(std::map<std::string, std::unique_ptr<engine::ImageRecord>>& images, const char* package,
                           std::initializer_list<std::string> names)
{
    engine::ResourceModule module;
    ASSERT_GT(module.LoadPackage(std::string(PLDK_SKINS_DIR) + "/" + package), 0) << package;
    for (const std::string& name : names) {
        const engine::ResourceRecord* data = module.ReadData(engine::MakeNameKey(name + ".imge"));
        ASSERT_NE(data, nullptr) << name;
        auto image = std::make_unique<engine::ImageRecord>();
        ASSERT_GT(engine::DecodePps(data->Bytes(), *image), 0u) << name;
        images[name] = std::move(image);
    }
}

} // namespace scene::test
