// The stand-in table's scene notice as the client's QR-code panel shows it:
// the code's picture, drawn at its shown size on the panel's white ground,
// reads back as the notice's text with an independent reader (zbarimg, from
// Debian's zbar-tools).
#include <unistd.h>

#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "engine/core/EngineEntity.h"
#include "engine/core/EngineTestSupport.h"
#include "engine/core/ImageObject.h"
#include "engine/media/GDIPaintModule.h"
#include "engine/media/MediaServices.h"
#include "engine/media/ResourceModule.h"
#include "game/scene/QrCodePanel.h"
#include "peers/server/SceneNotice.h"
#include "platform/DailyLog.h"
#include "platform/TempFolder.h"

namespace {

constexpr const char* ZBARIMG = "/usr/bin/zbarimg";
/// The panel's white ground reaches this far around the shown code.
constexpr int32_t GROUND = 4;

// What zbarimg reads in a picture: its raw texts, one per line.
std::string ReadCodes(const std::string& path)
{
    std::string out;
    if (FILE* pipe = ::popen((std::string(ZBARIMG) + " --raw -q " + path + " 2>/dev/null").c_str(), "r")) {
        char buffer[256];
        while (std::fgets(buffer, sizeof buffer, pipe) != nullptr)
            out += buffer;
        (void)::pclose(pipe);
    }
    return out;
}

TEST(QrNotice, TheShownCodeReadsBackAsTheTablesText)
{
    if (::access(ZBARIMG, X_OK) != 0)
        GTEST_SKIP() << "zbarimg (Debian's zbar-tools) is not installed: the code is not read back";
    platform::testing::CTempFolder folder;
    platform::CDailyLog::Instance().SetFolder(folder.Path());
    engine::InstallMediaServices();
    enginetest::EngineFixture engine { false };
    ASSERT_EQ(engine.m_core.LoadModule(std::make_unique<engine::ResourceModule>(), true, true),
              engine::VELOTRIX_RETURN_OK);
    ASSERT_EQ(engine.m_core.LoadModule(std::make_unique<engine::GDIPaintModule>(), true, true),
              engine::VELOTRIX_RETURN_OK);
    auto* scene = engine.Add<engine::CEngineEntity>(400, 300, 10, 10);
    scene::CQrCodePanel panel(*scene);
    ASSERT_NE(panel.CreatePanel(), nullptr);

    panel.OnSceneNotice(peers::SceneNoticeRecord(peers::SceneNoticeText()));
    const engine::CImageObject* code = panel.GetCodeImage();
    ASSERT_NE(code, nullptr);
    engine::ImageRef image;
    scene->GetImage(image, scene::QR_IMAGE_NAME, 0);
    ASSERT_NE(image.record, nullptr);
    const engine::ImageRecord& record = *image.record;
    ASSERT_FALSE(record.IsPaletteImage());
    ASSERT_GE(record.pixel_bytes, uint32_t(record.width) * record.height * 4);

    // The picture as the panel shows it (scaled to the object's size), on
    // the white ground around it, as a grey map.
    const auto shown = static_cast<int32_t>(code->GetWidth());
    const int32_t side = shown + 2 * GROUND;
    std::vector<uint8_t> grey(size_t(side) * size_t(side), 0xFF);
    for (int32_t y = 0; y < shown; ++y)
        for (int32_t x = 0; x < shown; ++x) {
            const size_t from = (size_t(y * record.height / shown) * record.width + size_t(x * record.width / shown)) * 4;
            grey[size_t(y + GROUND) * size_t(side) + size_t(x + GROUND)] = record.pixels[from + 1];
        }
    const std::string path = folder.Path() + "/code.pgm";
    std::ofstream(path, std::ios::binary) << "P5\n" << side << " " << side << "\n255\n"
                                          << std::string(grey.begin(), grey.end());
    EXPECT_EQ(ReadCodes(path), std::string(peers::SceneNoticeText()) + "\n");
    platform::CDailyLog::Instance().SetFolder({});
}

} // namespace
