// The entity facade over the real resource and paint modules: packages and
// loose files made available through it, images found, written as ".pps",
// released, and a missing image's run-log line.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "engine/core/CanvasObject.h"
#include "engine/core/GuiContainer.h"
#include "engine/core/InputModule.h"
#include "engine/core/VelotrixWnd.h"
#include "engine/media/MediaServices.h"
#include "engine/core/ModuleServices.h"
#include "engine/core/pictures/PictureTestSupport.h"
#include "engine/media/GDIPaintModule.h"
#include "engine/media/PpsCodec.h"
#include "engine/media/ResPackage.h"
#include "engine/media/ResourceModule.h"
#include "platform/ByteOrder.h"
#include "platform/Message.h"
#include "platform/Tick.h"
#include "tests/platform/TempFolder.h"

using namespace engine;
using enginetest::CRecordingObject;
using picturetest::ActionFixture;

namespace {

std::vector<uint8_t> PpsOf(uint16_t width, uint16_t height)
{
    const auto record = picturetest::MakeStrip(width, height, 1);
    return EncodePps(*record, nullptr, PPS_METHOD_BEST);
}

void WriteBytes(const std::string& path, const std::vector<uint8_t>& bytes)
{
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
}

size_t Count(const std::string& text, const std::string& what)
{
    size_t count = 0;
    for (size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1))
        ++count;
    return count;
}

// A cursor file of one 4 x 4 entry of 32-bit pixels (a BMP without its file
// header: info header, rows bottom-up, then the mask), hot spot (1, 2).
std::vector<uint8_t> MakeCursorFile()
{
    std::vector<uint8_t> image(40 + 4 * 4 * 4 + 4 * 4, 0);
    platform::StoreU32LE(&image[0], 40);
    platform::StoreU32LE(&image[4], 4);
    platform::StoreU32LE(&image[8], 8); // colour rows and mask rows
    platform::StoreU16LE(&image[12], 1);
    platform::StoreU16LE(&image[14], 32);
    for (size_t i = 0; i < 16; ++i) {
        image[40 + i * 4 + 2] = 0xFF; // red
        image[40 + i * 4 + 3] = 0xFF;
    }
    std::vector<uint8_t> file(6 + 16, 0);
    platform::StoreU16LE(&file[2], 2);
    platform::StoreU16LE(&file[4], 1);
    file[6] = 4;
    file[7] = 4;
    platform::StoreU16LE(&file[10], 1);
    platform::StoreU16LE(&file[12], 2);
    platform::StoreU32LE(&file[14], uint32_t(image.size()));
    platform::StoreU32LE(&file[18], uint32_t(file.size()));
    file.insert(file.end(), image.begin(), image.end());
    return file;
}

class CRecordingInputHost : public IInputHost {
public:
    bool IsPointerInWindow() const override { return true; }
    void SetCursor(uintptr_t cursor) override { cursors.push_back(cursor); }
    void ShowCursor(bool) override {}
    std::vector<uintptr_t> cursors;
};

class EntityMediaTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_EQ(m_engine.m_core.LoadModule(std::make_unique<ResourceModule>(), true, true), VELOTRIX_RETURN_OK);
        ASSERT_EQ(m_engine.m_core.LoadModule(std::make_unique<GDIPaintModule>(), true, true), VELOTRIX_RETURN_OK);
        m_entity = m_engine.Add<CRecordingObject>(10, 10, 4, 4);
    }

    // Declared first: the folder outlives the engine that writes its log there.
    platform::testing::CTempLogFolder m_folder;
    ActionFixture m_engine;
    CRecordingObject* m_entity { nullptr };
};

} // namespace

TEST_F(EntityMediaTest, PackageAndLooseFileGiveImagesOfTheirSize)
{
    WriteBytes(m_folder / "skin.kor",
               BuildResPackage({ ResPackageSource { "card.imge", StringHash(".pps"), PpsOf(12, 7) } }));
    WriteBytes(m_folder / "loose.pps", PpsOf(5, 9));
    EXPECT_EQ(m_entity->LoadResourcePackage(m_folder / "skin.kor"), 1);
    EXPECT_NE(m_entity->AddResourceFile(m_folder / "loose.pps"), 0u);
    EXPECT_EQ(m_entity->AddResourceFile(m_folder / "named.pps"), 0u); // no such file
    EXPECT_NE(m_entity->AddResourceFile(m_folder / "loose.pps", "other"), 0u);

    ImageRef ref;
    m_entity->GetImage(ref, "card", 0);
    EXPECT_EQ(ref.width, 12);
    EXPECT_EQ(ref.height, 7);
    m_entity->GetImage(ref, "loose", 0);
    EXPECT_EQ(ref.width, 5);
    EXPECT_EQ(ref.height, 9);
    m_entity->GetImage(ref, "other", 0);
    EXPECT_EQ(ref.height, 9);
    EXPECT_FALSE(m_entity->FindResource("card.imge").empty());
    EXPECT_TRUE(m_entity->FindResource("card").empty()); // the name goes with its category text
    EXPECT_EQ(Count(m_folder.ReadLogs(), "does not exists!"), 0u);
}

TEST_F(EntityMediaTest, MissingImageIsEmptyAndLoggedOnce)
{
    ImageRef ref;
    ref.width = 3;
    m_entity->GetImage(ref, "nothing", 0);
    EXPECT_EQ(ref.record, nullptr);
    EXPECT_EQ(ref.width, 0);
    EXPECT_EQ(Count(m_folder.ReadLogs(), "res \"nothing\" does not exists!"), 1u);
}

TEST_F(EntityMediaTest, SavedPpsReadsBackAndReleasedImagesGo)
{
    WriteBytes(m_folder / "skin.kor",
               BuildResPackage({ ResPackageSource { "card.imge", StringHash(".pps"), PpsOf(12, 7) } }));
    ASSERT_EQ(m_entity->LoadResourcePackage(m_folder / "skin.kor"), 1);

    EXPECT_EQ(m_entity->SaveImageAsPps("card", m_folder / "card.pps"), 1);
    std::ifstream in(m_folder / "card.pps", std::ios::binary);
    const std::vector<uint8_t> saved((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    ImageRecord decoded;
    EXPECT_NE(DecodePps(saved, decoded), 0u);
    EXPECT_EQ(decoded.width, 12);
    EXPECT_EQ(decoded.height, 7);
    EXPECT_EQ(m_entity->SaveImageAsPps("nothing", m_folder / "nothing.pps"), 0);
    EXPECT_FALSE(std::filesystem::exists(m_folder / "nothing.pps"));

    // Released with its resource: the image cannot be had again.
    EXPECT_EQ(m_entity->ReleaseImage("card", true), 1);
    EXPECT_TRUE(m_entity->FindResource("card.imge").empty());
    ImageRef ref;
    EXPECT_EQ(m_entity->GetImage(ref, "card", 0).record, nullptr);

    // The module's own memory road under its second signature.
    NameKey key;
    const std::vector<uint8_t> bytes = PpsOf(4, 4);
    EXPECT_EQ(m_entity->GetResourceModule()->AddResource(key, "QRCode_Image.pps", bytes.data(), bytes.size()), 1);
    EXPECT_EQ(key, MakeNameKey("QRCode_Image.imge"));
    EXPECT_EQ(m_entity->GetImage(ref, "QRCode_Image", 0).width, 4);
}

TEST_F(EntityMediaTest, CursorFileBecomesTheCursor)
{
    CRecordingInputHost host;
    auto input = std::make_unique<InputModule>();
    input->SetHost(&host);
    ASSERT_EQ(m_engine.m_core.LoadModule(std::move(input), true, false), VELOTRIX_RETURN_OK);
    WriteBytes(m_folder / "hand.cur", MakeCursorFile());
    WriteBytes(m_folder / "broken.cur", { 0, 0, 2, 0, 1, 0 });

    ASSERT_TRUE(m_entity->SetCursorFromFile(m_folder / "hand.cur"));
    ASSERT_FALSE(host.cursors.empty());
    const uintptr_t first = host.cursors.back();
    EXPECT_NE(first, 0u);
    EXPECT_NE(first, platform::IDC_ARROW);

    // A second file cursor takes the place of the first, which is freed.
    ASSERT_TRUE(m_entity->SetCursorFromFile(m_folder / "hand.cur"));
    EXPECT_NE(host.cursors.back(), first);
    EXPECT_FALSE(platform::DestroyCursor(first)); // already gone

    EXPECT_FALSE(m_entity->SetCursorFromFile(m_folder / "broken.cur"));
    EXPECT_FALSE(m_entity->SetCursorFromFile(m_folder / "missing.cur"));
    m_entity->SetCursorHandle(platform::IDC_ARROW);
}

TEST(EntityInRunningEngine, RootReachesTheMediaAndABoardFadesIn)
{
    ::setenv("SDL_VIDEODRIVER", "offscreen", 1);
    ::setenv("SDL_AUDIODRIVER", "dummy", 1);
    platform::testing::CTempLogFolder folder;
    WriteBytes(folder / "skin.kor",
               BuildResPackage({ ResPackageSource { "card.imge", StringHash(".pps"), PpsOf(12, 7) } }));
    InstallMediaServices();
    {
        CVelotrixWnd window;
        platform::NativeWindowOptions options;
        options.title = "engine";
        options.width = 320;
        options.height = 240;
        options.show = platform::WindowShow::Hidden;
        ASSERT_EQ(window.Create(options), 1) << platform::CNativeWindow::LastError();
        ASSERT_NE(window.StartEngine(std::make_unique<CGuiContainer>(), nullptr), 0u);
        CGuiContainer* root = window.GetRootObject();
        ASSERT_NE(root, nullptr);

        EXPECT_EQ(root->LoadResourcePackage(folder / "skin.kor"), 1);
        ImageRef ref;
        EXPECT_EQ(root->GetImage(ref, "card", 0).width, 12);
        EXPECT_EQ(ref.height, 7);
        ASSERT_NE(root->GetMusicModule(), nullptr);
        root->ShowSystemBoard("ready", 0);
        CCanvasObject* board = root->FindSystemBoard();
        ASSERT_NE(board, nullptr);
        const uint32_t start = platform::GetTickCount();
        while (board->GetAlpha() < 1.0 && !platform::HasElapsed(start, platform::GetTickCount(), 3000)) {
            platform::PumpWaitingMessages();
            platform::WaitMessage(2);
        }
        EXPECT_DOUBLE_EQ(board->GetAlpha(), 1.0); // the engine's frames ran the fade
        EXPECT_TRUE(board->IsActive());
        window.Destroy();
    }
    CVelotrixWnd::SetModuleFactory(nullptr);
    CCanvasServices::Reset();
}
