// Screenshots of the whole system on a private X server (Xvfb): the client,
// started by the stand-in hall against the stand-in server, plays a round by
// its own automatic play; the window is captured mid-round and with the
// result box up, then the round's replay is opened in the client, played
// with a click on the replay board's play button and captured at its end.
// Mid-round a chat line is typed into the side panel and looked for in its
// chat box; between rounds the window's close button ends the client.
// Each picture is written as a JPEG (the client's own writer) into the build
// folder and checked for drawn content where the hands, the seat boards and
// the result box must be.
#include <algorithm>
#include <filesystem>
#include <map>
#include <vector>

#include "client/panel/ScreenshotJpeg.h"
#include "game/scene/ReplayImage.h"
#include "platform/Text.h"
#include "tests/app/SessionSupport.h"
#include "tests/engine/media/image/XScreen.h"

namespace {

using namespace e2e_test;

constexpr int SCREEN_WIDTH = 1280;
constexpr int SCREEN_HEIGHT = 1024;
/// The replay board's play button in the client's window (its default size,
/// 1050 x 600, with the board in the table's top left corner under the info
/// box): the first of the row along the board's top.
constexpr int PLAY_BUTTON_X = 26;
constexpr int PLAY_BUTTON_Y = 68;
/// The chat input field on the side panel, and the chat box above it.
constexpr int CHAT_FIELD_X = 870;
constexpr int CHAT_FIELD_Y = 586;
constexpr const char* CHAT_LINE = "hello table 47";
/// The window's close button, from its top right corner.
constexpr int CLOSE_BUTTON_FROM_RIGHT = 13;
constexpr int CLOSE_BUTTON_Y = 12;
/// How long the client takes to open a replay and show its board.
constexpr uint32_t OPENING_MS = 5000;

/// One captured window: 0x00RRGGBB pixels, rows top first.
struct Picture {
    int width = 0;
    int height = 0;
    std::vector<uint32_t> pixels;

    [[nodiscard]] uint32_t At(int x, int y) const { return pixels[static_cast<size_t>(y) * width + x]; }
};

/// A part of a picture, in fractions of its width and height.
struct Region {
    const char* what;
    double left;
    double top;
    double right;
    double bottom;
};

/// The pixels of a region in the colour of the player's own chat lines (red).
size_t CountOwnLinePixels(const Picture& picture, const Region& region)
{
    size_t count = 0;
    for (int y = static_cast<int>(region.top * picture.height); y < static_cast<int>(region.bottom * picture.height); ++y)
        for (int x = static_cast<int>(region.left * picture.width); x < static_cast<int>(region.right * picture.width);
             ++x) {
            const uint32_t pixel = picture.At(x, y);
            count += ((pixel >> 16) & 0xFF) > 180 && ((pixel >> 8) & 0xFF) < 90 && (pixel & 0xFF) < 90 ? 1 : 0;
        }
    return count;
}

/// How much is drawn in a region: its distinct colours (in steps of 8 per
/// channel), the share of its most common colour and of near-white pixels.
struct Content {
    size_t colours = 0;
    double commonest = 1.0;
    double bright = 0.0;
};

Content Measure(const Picture& picture, const Region& region)
{
    std::map<uint32_t, size_t> counts;
    size_t total = 0;
    size_t bright = 0;
    const int x0 = static_cast<int>(region.left * picture.width);
    const int x1 = static_cast<int>(region.right * picture.width);
    const int y0 = static_cast<int>(region.top * picture.height);
    const int y1 = static_cast<int>(region.bottom * picture.height);
    for (int y = y0; y < y1; ++y) {
        for (int x = x0; x < x1; ++x) {
            const uint32_t pixel = picture.At(x, y);
            ++counts[pixel & 0xF8F8F8];
            ++total;
            if ((pixel & 0xFF) > 200 && ((pixel >> 8) & 0xFF) > 200 && ((pixel >> 16) & 0xFF) > 200)
                ++bright;
        }
    }
    Content content;
    if (total == 0)
        return content;
    size_t most = 0;
    for (const auto& [colour, count] : counts)
        most = std::max(most, count);
    content.colours = counts.size();
    content.commonest = static_cast<double>(most) / static_cast<double>(total);
    content.bright = static_cast<double>(bright) / static_cast<double>(total);
    return content;
}

class Screenshots : public CSession {
protected:
    Screenshots()
    {
        std::filesystem::create_directories(PLDK_SCREENSHOT_FOLDER);
    }

    /// Starts the X server; false (the test skips) when there is none.
    bool StartDisplay()
    {
        if (!std::filesystem::exists(imagetest::XVFB) || !m_display.Start(std::to_string(SCREEN_WIDTH) + "x"
                                                                           + std::to_string(SCREEN_HEIGHT) + "x24"))
            return false;
        ::setenv("DISPLAY", m_display.Name().c_str(), 1);
        ::setenv("SDL_VIDEODRIVER", "x11", 1);
        // SDL's software renderer: the GL stack is not loaded.
        ::setenv("SDL_RENDER_DRIVER", "software", 1);
        ::setenv("SDL_FRAMEBUFFER_ACCELERATION", "0", 1);
        return true;
    }

    /// The client's window as it is on the screen now, also written as
    /// `name`.jpg into the screenshot folder.
    Picture Capture(const std::string& name)
    {
        Picture picture;
        imagetest::WindowArea area;
        std::vector<uint32_t> screen;
        if (!imagetest::FindLargestWindow(m_display.Name(), area)
            || !imagetest::ReadScreen(m_display.Name(), SCREEN_WIDTH, SCREEN_HEIGHT, screen))
            return picture;
        area.width = std::min(area.width, SCREEN_WIDTH - std::max(area.x, 0));
        area.height = std::min(area.height, SCREEN_HEIGHT - std::max(area.y, 0));
        area.x = std::max(area.x, 0);
        area.y = std::max(area.y, 0);
        m_window = area;
        picture.width = area.width;
        picture.height = area.height;
        std::vector<uint8_t> rgb;
        for (int y = 0; y < area.height; ++y) {
            for (int x = 0; x < area.width; ++x) {
                const uint32_t pixel = screen[static_cast<size_t>(area.y + y) * SCREEN_WIDTH + area.x + x];
                picture.pixels.push_back(pixel);
                rgb.push_back(static_cast<uint8_t>(pixel >> 16));
                rgb.push_back(static_cast<uint8_t>(pixel >> 8));
                rgb.push_back(static_cast<uint8_t>(pixel));
            }
        }
        const std::string path = std::string(PLDK_SCREENSHOT_FOLDER) + "/" + name + ".jpg";
        EXPECT_EQ(panel::WriteJpegFile(path, rgb, picture.width, picture.height, 90), 1) << path;
        return picture;
    }

    static bool IsDrawn(const Picture& picture, std::initializer_list<Region> regions)
    {
        return picture.width > 400 && std::all_of(regions.begin(), regions.end(), [&](const Region& region) {
                   const Content content = Measure(picture, region);
                   return content.colours >= 12u && content.commonest < 0.9;
               });
    }

    /// Every region shows drawn content, not an empty backdrop.
    static void ExpectDrawn(const Picture& picture, std::initializer_list<Region> regions, const std::string& shot)
    {
        ASSERT_GT(picture.width, 400) << shot << ": no window on the screen";
        for (const Region& region : regions) {
            const Content content = Measure(picture, region);
            EXPECT_GE(content.colours, 12u) << shot << ": " << region.what;
            EXPECT_LT(content.commonest, 0.9) << shot << ": " << region.what;
        }
    }

    imagetest::CXvfb m_display;
    imagetest::WindowArea m_window;
};

TEST_F(Screenshots, TheTableMidRoundTheResultBoxAndTheReplayedRoundShowCardsAndBoards)
{
    if (!StartDisplay())
        GTEST_SKIP() << "Xvfb is not installed or did not start (scripts/packages-test.txt): no screenshots";
    const std::string port = StartServer();
    ASSERT_FALSE(port.empty()) << ServerLog();
    ASSERT_TRUE(StartClient(port));

    // Mid-round: a dozen plays and passes made, the round not over.
    ASSERT_TRUE(WaitUntil([&] { return CountLines(ServerLog(), "event ") >= 12 || HallEnded(); }, 120000)) << Logs();
    ASSERT_EQ(ServerLog().find("score changes"), std::string::npos) << "the round ended too soon to be seen";
    const Picture table = Capture("table-mid-round");
    // The own hand along the bottom, the seat boards of the other chairs on
    // the left, at the top and on the right of the table.
    ExpectDrawn(table,
                { { "own hand", 0.15, 0.78, 0.6, 0.94 }, { "left seat", 0.0, 0.3, 0.12, 0.7 },
                  { "top seat", 0.28, 0.0, 0.5, 0.18 }, { "right seat", 0.66, 0.3, 0.78, 0.7 },
                  { "played cards", 0.15, 0.2, 0.6, 0.6 } },
                "table mid-round");
    EXPECT_GT(Measure(table, { "own hand", 0.17, 0.8, 0.6, 0.92 }).bright, 0.3) << "no card faces in the hand";
    // The side panel's chat box and input field stand over the table; a line
    // typed into the field and sent shows in the box.
    const Region chat_box { "chat box", 0.775, 0.31, 1.0, 0.95 };
    ExpectDrawn(table, { { "input field and buttons", 0.775, 0.955, 1.0, 1.0 } }, "table mid-round");
    EXPECT_GT(Measure(table, chat_box).bright, 0.5) << "no chat box on the side panel";
    const size_t red_before = CountOwnLinePixels(table, chat_box);
    EXPECT_TRUE(imagetest::ClickAt(m_display.Name(), m_window.x + CHAT_FIELD_X, m_window.y + CHAT_FIELD_Y));
    EXPECT_TRUE(imagetest::TypeText(m_display.Name(), std::string(CHAT_LINE) + "\n"));
    ::usleep(1500 * 1000); // the box redraws a few frames later
    EXPECT_GT(CountOwnLinePixels(Capture("chat-line"), chat_box), red_before + 100)
        << "the sent line is not drawn in the chat box (see chat-line.jpg)";

    ASSERT_TRUE(WaitForRoundEnd(150000)) << Logs();
    ::usleep(2000 * 1000); // the result box comes up
    const Picture result = Capture("result-box");
    ExpectDrawn(result, { { "result box", 0.25, 0.3, 0.5, 0.7 } }, "result box");
    // Between rounds the window's close button ends the client at once: no
    // one at the table is asked.
    EXPECT_TRUE(imagetest::ClickAt(m_display.Name(), m_window.x + m_window.width - CLOSE_BUTTON_FROM_RIGHT,
                                   m_window.y + CLOSE_BUTTON_Y));
    EXPECT_TRUE(WaitUntil([&] { return HallEnded(); }, 20000)) << "the close button did not end the client\n" << Logs();
    EXPECT_EQ(CloseClient(), 0) << HallLog();
    EXPECT_EQ(StopServer(), 0);
    const auto settled = FourNumbersAfter(ServerLog(), "score changes ");
    ASSERT_TRUE(settled.has_value());

    // The replay in the client: opened from its command line, played with
    // the board's play button, it ends with the same settlement.
    const std::string path = LineAfter(ServerLog(), "replay saved ");
    const std::string gbk_path = platform::Utf8ToGbk(path).value_or("");
    scene::CReplayImage image(scene::ReplayVariant::Standard);
    ASSERT_TRUE(scene::ReadReplayFile(image, gbk_path, "pldk", 5, 0).IsLoaded()) << path;
    const uint32_t length_ms = image.GetHeaderFields().last_elapsed;
    UseDataFolder("replay-data");
    // Engine frames of 5 ms: the opening, the round at its pace and a margin
    // (the window's close button ends it sooner).
    const std::string frames = std::to_string((length_ms + OPENING_MS + 15000) / 5);
    m_replay_client = platform::StartProcess(PLDK_CLIENT_PROGRAM, { gbk_path, "--frames", frames });
    ASSERT_TRUE(m_replay_client.has_value());
    // On a loaded machine the client may take longer than its usual opening
    // to draw: the table is looked at once drawn, or at the end of the wait.
    const std::initializer_list<Region> opening_regions { { "replay board", 0.012, 0.1, 0.13, 0.215 },
                                                          { "hands", 0.17, 0.8, 0.6, 0.92 } };
    ::usleep(OPENING_MS * 1000);
    Picture opened;
    (void)WaitUntil([&] { return IsDrawn(opened = Capture("replay-opened"), opening_regions); }, 60000);
    ExpectDrawn(opened, opening_regions, "replay opened");
    EXPECT_TRUE(imagetest::ClickAt(m_display.Name(), m_window.x + PLAY_BUTTON_X, m_window.y + PLAY_BUTTON_Y));
    ::usleep(4000 * 1000);
    ExpectDrawn(Capture("replay-playing"), { { "played cards", 0.15, 0.2, 0.6, 0.6 } }, "replay playing");
    EXPECT_TRUE(WaitUntil([&] { return ClientLog().find("round result: ") != std::string::npos; }, length_ms + 20000))
        << "the replay did not reach its result after the play button was pressed (see replay-opened.jpg)\n"
        << ClientLog();
    EXPECT_EQ(FourNumbersAfter(ClientLog(), "round result: score changes "), settled);
    ::usleep(2000 * 1000);
    const Picture replayed = Capture("replay-result-box");
    ExpectDrawn(replayed, { { "result box", 0.25, 0.3, 0.5, 0.7 } }, "replayed result box");
    // The window's close button ends the client.
    EXPECT_TRUE(imagetest::ClickAt(m_display.Name(), m_window.x + m_window.width - CLOSE_BUTTON_FROM_RIGHT,
                                   m_window.y + CLOSE_BUTTON_Y));
    EXPECT_EQ(platform::WaitProcess(*m_replay_client, 60000), 0);
    m_replay_client.reset();
    EXPECT_EQ(SanitizerReports(), "");
}

} // namespace
