#pragma once
// Shared pieces of the scene board tests: the widget test engine with this
// game's application (four named seats), named skin images made in memory
// and a blitter that records every image drawn on a canvas.

#include <memory>
#include <string>
#include <vector>

#include "client/CPlDkApp.h"
#include "client/ClientText.h"
#include "engine/widgets/WidgetTestSupport.h"
#include "platform/Path.h"
#include "platform/TempFolder.h"

namespace scene::test {

using namespace engine;

// One image drawn on a canvas: which record, where, how large, and the
// source rectangle (frame offsets included in source_y).
struct DrawnImage {
    const ImageRecord* image;
    int32_t x, y, width, height;
    int32_t source_x, source_y, source_width, source_height;
};

class CRecordingBlitter : public ICanvasBlitter {
public:
    explicit CRecordingBlitter(std::vector<DrawnImage>& drawn) : m_drawn(drawn) {}
    void Blit(uint32_t*, int32_t, int32_t, DrawParams& params, const ImageRecord& image, int32_t source_x,
              int32_t source_y, int32_t source_width, int32_t source_height, double, uint32_t) override
    {
        m_drawn.push_back(DrawnImage { &image, params.centre_x - (params.width + 1) / 2,
                                       params.centre_y - (params.height + 1) / 2, params.width, params.height,
                                       source_x, source_y, source_width, source_height });
    }
    std::unique_ptr<uint32_t[]> ScaleNearest(const uint32_t*, int32_t, int32_t, int32_t, int32_t, int32_t, int32_t,
                                             int32_t, int32_t) override
    {
        return nullptr;
    }

private:
    std::vector<DrawnImage>& m_drawn;
};

// The program's folders in a temporary folder while the application lives,
// so that its INI file is the test's own.
class CAppFolders : public platform::testing::CTempFolder {
public:
    CAppFolders()
    {
        platform::SetProgramFolder(Path());
        platform::SetUserDataFolder(Path() + "data/");
    }
    ~CAppFolders()
    {
        platform::SetUserDataFolder("");
        platform::SetProgramFolder("");
    }
};

class BoardTest : public widgettest::WidgetTest {
protected:
    BoardTest()
    {
        CCanvasServices::InstallBlitter(std::make_unique<CRecordingBlitter>(m_drawn));
        for (int chair = 0; chair < client::PLDK_CHAIRS; ++chair)
            client::CopyTextField(m_app.Records().Seat(chair)->name, "player" + std::to_string(chair));
        SetOwnChair(0);
    }
    // The scenes and boards read the application until they go.
    ~BoardTest() override { m_engine.m_objects->Unload(); }
    void SetOwnChair(int chair) { m_app.Records().Launch().chair_no = chair; }
    ImageRecord* AddImage(const std::string& name, uint16_t width, uint16_t height, uint32_t frames = 1)
    {
        auto& record = m_paint->images[name];
        record = picturetest::MakeStrip(width, height, frames);
        return record.get();
    }
    // The card faces (54 frames) and backs of the four card sizes, every
    // image width x height.
    void AddCardImages(uint16_t width, uint16_t height)
    {
        for (const char* size : { "50x68", "71x96", "82x110", "98x132" }) {
            AddImage(std::string("牌正面") + size, width, height, 54);
            AddImage(std::string("牌背面") + size, width, height);
        }
    }
    // A table scene over the area, owned by the engine's objects; the
    // fixture destroys it before the application it reads.
    template <class Scene>
    Scene* AddScene(const EngineRect& area)
    {
        auto owned = std::make_unique<Scene>(m_app);
        Scene* scene = owned.get();
        m_engine.m_objects->AddObject(std::move(owned), nullptr);
        scene->SetArea(area);
        return scene;
    }
    // The drawn images of one record, in order.
    [[nodiscard]] std::vector<DrawnImage> DrawnOf(const ImageRecord* image) const
    {
        std::vector<DrawnImage> found;
        for (const DrawnImage& drawn : m_drawn)
            if (drawn.image == image)
                found.push_back(drawn);
        return found;
    }
    [[nodiscard]] std::vector<std::string> DrawnTexts() const
    {
        std::vector<std::string> texts;
        for (const auto& drawn : m_text->drawn)
            texts.push_back(drawn.text);
        return texts;
    }

    CAppFolders m_folders;
    client::CPlDkApp m_app;
    std::vector<DrawnImage> m_drawn;
};

} // namespace scene::test
