#include <cstddef>
#include <cstdio>
#include <filesystem>

// libjpeg's header needs size_t and FILE declared before it.
#include <jpeglib.h>

#include "client/ClientText.h"
#include "client/panel/CAdvertBar.h"
#include "client/panel/CInputBar.h"
#include "client/panel/CWebPane.h"
#include "client/panel/CharacterImage.h"
#include "client/panel/PanelText.h"
#include "client/panel/ScreenshotJpeg.h"
#include "engine/core/CanvasObject.h"
#include "engine/core/RenderRequest.h"
#include "engine/media/GDIPaintModule.h"
#include "engine/widgets/GuiButton.h"
#include "engine/widgets/GuiScrollBar.h"
#include "engine/widgets/RichEditBox.h"
#include "platform/MessageIds.h"
#include "panel/PanelTestSupport.h"
#include "platform/ByteReader.h"
#include "platform/Ini.h"

using namespace paneltest;
using panel::CAdvertBar;

namespace {

// A chat body as the server sends it: the user id in word 0, the line at byte 48.
std::vector<uint8_t> ChatBody(int32_t user_id, std::string_view text, size_t size = 128)
{
    std::vector<uint8_t> body(size);
    platform::StoreU32LE(body.data(), static_cast<uint32_t>(user_id));
    std::memcpy(body.data() + 48, text.data(), std::min(text.size(), size - 48));
    return body;
}

} // namespace

TEST_F(PanelTest, ChatLinesAndNoticesGoIntoTheChatBox)
{
    Seat(0, 501, "张三");
    const std::vector<uint8_t> chat = ChatBody(501, "你好");
    const std::span<const uint8_t> chat_span(chat);
    m_panel->SendPanelEvent(client::GAMEMSG_PLAYER_CHAT, reinterpret_cast<uintptr_t>(&chat_span));
    // Copied text gives each line break as one '\n'.
    EXPECT_EQ(ChatText(), " 张三说：你好\n");
    // The table's copy of the own line was shown when it was sent.
    m_app->Records().Launch().user_id = 777;
    const std::vector<uint8_t> own = ChatBody(777, "我的");
    const std::span<const uint8_t> own_span(own);
    m_panel->SendPanelEvent(client::GAMEMSG_PLAYER_CHAT, reinterpret_cast<uintptr_t>(&own_span));
    EXPECT_EQ(ChatText(), " 张三说：你好\n");

    m_app->ShowSystemMessage(" <c=255>系统<c=0>消息\r\n");
    EXPECT_EQ(ChatText(), " 张三说：你好\n 系统消息\n");

    std::vector<uint8_t> notice(8);
    const std::string text = "护身符生效";
    notice.insert(notice.end(), text.begin(), text.end());
    const std::span<const uint8_t> notice_span(notice);
    m_panel->SendPanelEvent(client::GAMEMSG_AMULET_NOTICE, reinterpret_cast<uintptr_t>(&notice_span));
    EXPECT_NE(ChatText().find(" 护身符生效\n"), std::string::npos);
    // A downloaded notice is the server's markup: "<notify>" shows nothing.
    const std::string downloaded = "<notify><c=255>今晚维护\r\n";
    m_panel->SendPanelEvent(client::GAMEMSG_NOTICE_TEXT, reinterpret_cast<uintptr_t>(downloaded.c_str()));
    EXPECT_NE(ChatText().find("\n今晚维护\n"), std::string::npos) << ChatText();

    // Bodies too short for their fields add nothing.
    const std::string before = ChatText();
    const std::vector<uint8_t> short_chat = ChatBody(501, "", 48);
    const std::span<const uint8_t> short_span(short_chat);
    m_panel->SendPanelEvent(client::GAMEMSG_PLAYER_CHAT, reinterpret_cast<uintptr_t>(&short_span));
    m_panel->SendPanelEvent(client::GAMEMSG_CHAT_RECORD, reinterpret_cast<uintptr_t>(&short_span));
    m_panel->SendPanelEvent(client::GAMEMSG_PLAYER_CHAT, 0);
    EXPECT_EQ(ChatText(), before);
}

TEST_F(PanelTest, HostileChatStaysOnePlainBoundedLine)
{
    Seat(0, 501, "<b>张三");
    // Markup, a link, line breaks and no terminating zero up to the body's end.
    std::string hostile = "<url=http://evil.example>点我</url>#r\r\n<c=255><size=200>";
    hostile.resize(2000, 'x');
    const std::vector<uint8_t> chat = ChatBody(501, hostile, 48 + hostile.size());
    m_panel->AddPlayerChatLine(chat);
    const std::string shown = ChatText();
    EXPECT_EQ(shown.rfind(" <b>张三说：<url=http://evil.example>点我</url>#r<c=255><size=200>", 0), 0u) << shown;
    // The line is cut to the chat field (61 bytes) and ends the one line.
    EXPECT_LE(shown.size(), 80u);
    EXPECT_EQ(shown.find('\n'), shown.size() - 1);
    EXPECT_TRUE(m_panel->GetChatBox()->GetLinkMap().empty());
    EXPECT_EQ(m_panel->GetChatBox()->GetStyle().size, panel::CSubSystemPanel::CHAT_FONT_SIZE);
}

TEST_F(PanelTest, EscapedTextKeepsTwoByteCharactersWhole)
{
    const struct {
        std::string in;
        std::string out;
    } cases[] = {
        { "a<b>c", "a#<b#>c" },
        { "#r/x", "##r#/x" },
        { "line\r\nbreak\x01", "linebreak" },
        // The second byte of a two-byte character may be '<' in other
        // encodings' eyes; here it is 0x5C or 0x7C and must stay whole.
        { "\x95\x5C\x95\x7C", "\x95\x5C\x95\x7C" },
        { "end\x81", "end" },
    };
    for (const auto& c : cases)
        EXPECT_EQ(panel::EscapeMarkup(c.in), c.out) << c.in;
    // A body's text stops at its zero, at the body's end and at its limit
    // (between characters); past the body there is none.
    const uint8_t body[] = { 'a', 'b', 0xB0, 0xA1, 0, 'z' };
    const struct {
        size_t skip;
        size_t max;
        const char* text;
    } texts[] = { { 0, 512, "ab\xB0\xA1" }, { 0, 3, "ab" }, { 5, 512, "z" }, { 6, 512, "" }, { 7, 512, "" } };
    for (const auto& t : texts) {
        platform::CByteReader in(body);
        in.Skip(t.skip);
        EXPECT_EQ(client::ReadRestText(in, t.max), t.text) << t.skip;
    }
}

TEST_F(PanelTest, OwnLinesAndQuickChatPhrasesAreSentAndShown)
{
    Seat(3, 0, "");
    panel::CInputBar* input = m_panel->GetInputBar();
    ASSERT_NE(input, nullptr);
    EXPECT_EQ(m_panel->FindObjectByName("InputBar"), input);
    ASSERT_EQ(input->GetQuickChatPhrases().size(), 10u);
    input->SetInputText("   ");
    input->Submit();
    EXPECT_EQ(ChatText(), "");
    input->SetInputText(std::string(100, 'a'));
    EXPECT_EQ(input->GetInputText().size(), panel::CInputBar::MAX_LINE_BYTES);
    input->Submit();
    EXPECT_EQ(input->GetInputText(), "");
    input->SendPhrase(0);
    input->SendPhrase(99);
    const std::string shown = ChatText();
    EXPECT_NE(shown.find(std::string(61, 'a') + "\n"), std::string::npos);
    EXPECT_NE(shown.find(input->GetQuickChatPhrases()[0] + "\n"), std::string::npos);
}

TEST_F(PanelTest, EnterInTheEditBoxSendsTheTypedLineAsText)
{
    engine::CRichEditBox* box = m_panel->GetInputBar()->GetEditBox();
    ASSERT_NE(box, nullptr);
    box->TakeFocus();
    for (const char c : std::string_view("hi<c=255>")) {
        engine::InputState input;
        input.character[0] = static_cast<uint8_t>(c);
        box->OnChar(input);
    }
    EXPECT_EQ(box->OnKey(platform::VK_RETURN), 1);
    EXPECT_EQ(ChatText(), " 说：hi<c=255>\n");
    EXPECT_EQ(m_panel->GetInputBar()->GetInputText(), "");
}

TEST_F(PanelTest, AdvertBarNavigatesShowsScoresAndCyclesBack)
{
    ASSERT_TRUE(platform::WriteProfileString("GAMESET", "AdvertACSencond", "7", m_app->GetGameIniPath()));
    ASSERT_TRUE(platform::WriteProfileString("GAMESET", "AdvertACMaxCount", "1", m_app->GetGameIniPath()));
    auto* bar = dynamic_cast<CAdvertBar*>(m_panel->RegisterObject(std::make_unique<CAdvertBar>(*m_app)));
    ASSERT_NE(bar, nullptr);
    bar->SetArea(engine::EngineRect { 560, 0, 800, 200 });
    EXPECT_EQ(bar->GetCycleSeconds(), 7);
    EXPECT_EQ(bar->GetCycleCount(), 1);
    EXPECT_EQ(bar->GetCurrentTab(), CAdvertBar::TAB_ADVERT);

    // The address is lent for the call; the pane shows it.
    const std::string address = "http://ads.example/page";
    CAdvertBar* panel_bar = m_panel->GetAdvertBar();
    m_panel->SendPanelEvent(client::GAMEMSG_ADVERT_URL, reinterpret_cast<uintptr_t>(&address));
    EXPECT_EQ(panel_bar->GetWebPage()->GetAddress(), address);
    EXPECT_TRUE(panel_bar->GetWebPage()->IsActive());
    EXPECT_TRUE(m_opener.opened.empty()); // never opened unasked
    EXPECT_TRUE(panel_bar->GetWebPage()->OpenInBrowser());
    EXPECT_EQ(m_opener.opened, (std::vector<std::string> { address }));

    // The first advert-bar event starts the bar (stand-alone: no page).
    m_app->SetRunMode(client::RUN_MODE_STAND_ALONE);
    bar->SendEvent(engine::EngineEvent { bar->GetId(), client::GAMEMSG_ADVERT_BAR, 0, 0 });
    EXPECT_EQ(bar->GetCurrentTab(), CAdvertBar::TAB_ADVERT);
    EXPECT_EQ(bar->GetWebPage()->GetAddress(), "");
    // After a round: the score tab, then back to the advert once.
    bar->SendEvent(engine::EngineEvent { bar->GetId(), client::GAMEMSG_ADVERT_BAR, 0, 0 });
    EXPECT_EQ(bar->GetCurrentTab(), CAdvertBar::TAB_SCORE);
    EXPECT_TRUE(bar->GetScoreTabButton()->IsChecked());
    EXPECT_TRUE(bar->GetScoreTable()->IsActive());
    EXPECT_FALSE(bar->GetWebPage()->IsActive());
    Run(6900);
    EXPECT_EQ(bar->GetCurrentTab(), CAdvertBar::TAB_SCORE);
    Run(200);
    EXPECT_EQ(bar->GetCurrentTab(), CAdvertBar::TAB_ADVERT);
    EXPECT_TRUE(bar->GetAdvertTabButton()->IsChecked());
    bar->ShowScoreTab();
    Run(8000);
    EXPECT_EQ(bar->GetCurrentTab(), CAdvertBar::TAB_SCORE);
    EXPECT_EQ(bar->GetCycleCount(), 0);
}

// The advert address comes from the server: the page draws it as written.
TEST_F(PanelTest, TheAdvertAddressIsDrawnAsWritten)
{
    const std::string address = "http://ads.example/<color=255><size=40>page";
    m_text->drawn.clear();
    m_panel->SendPanelEvent(client::GAMEMSG_ADVERT_URL, reinterpret_cast<uintptr_t>(&address));
    EXPECT_EQ(m_panel->GetAdvertBar()->GetWebPage()->GetAddress(), address);
    widgettest::ExpectDrawnAsWritten(*m_text, address, "advert page");
}

TEST_F(PanelTest, ScoreHistoryShowsEachRoundAndScrolls)
{
    Seat(0, 501, "张三");
    client::RoundHistory& history = m_app->Records().History();
    history.round_count = 12;
    history.values[0][11] = -35;
    history.totals[0] = 120;
    CAdvertBar* bar = m_panel->GetAdvertBar();
    bar->ShowScoreTab();
    Run();
    const auto drawn = [this](const std::string& text) {
        return std::any_of(m_text->drawn.begin(), m_text->drawn.end(), [&](const auto& d) { return d.text == text; });
    };
    EXPECT_TRUE(drawn("张三"));
    EXPECT_TRUE(drawn("120"));
    EXPECT_TRUE(drawn("第1局"));
    EXPECT_FALSE(drawn("第12局")); // off to the right until scrolled
    EXPECT_EQ(bar->GetScoreContentWidth(), CAdvertBar::NAME_COLUMN_WIDTH + CAdvertBar::TOTAL_COLUMN_WIDTH
                                               + 12 * CAdvertBar::ROUND_COLUMN_WIDTH);
    // Scrolled to the end: the last round shows in the bar's 240 pixels.
    const double end = bar->GetScoreContentWidth() - 240.0;
    const double values[3] = { end, 240.0, end + 240.0 };
    m_text->drawn.clear();
    bar->SendEvent(engine::EngineEvent { bar->GetId(), engine::VELOTRIX_EVENT_SCROLL_CHANGED,
                                         reinterpret_cast<uintptr_t>(values), 0 });
    EXPECT_TRUE(drawn("第12局"));
    EXPECT_TRUE(drawn("-35"));
}

// A long name is cut to its column: it never runs under the total, and it
// keeps every character that fits (2 px are kept free at either edge).
TEST_F(PanelTest, LongNamesInTheScoreTableKeepToTheirColumn)
{
    constexpr int32_t ROOM = CAdvertBar::NAME_COLUMN_WIDTH - 2 * 2;
    const char* names[] = { "张三李四王五赵六孙七周八吴九郑十", "WWWWWWWWWWWWWWWWWWWWWWWWWWWWWWW",
                            "<<<<<<<<<<<<<<<<<<<<<<<<<<<<<<<", "张三" };
    for (int chair = 0; chair < 4; ++chair)
        Seat(chair, 501 + chair, names[chair]);
    m_app->Records().History().round_count = 1;
    CAdvertBar* bar = m_panel->GetAdvertBar();
    m_text->drawn.clear();
    bar->ShowScoreTab();
    Run();
    const engine::CCanvasObject* table = bar->GetScoreTable();
    for (const char* name : names) {
        const std::string plain = engine::CCanvasObject::PlainText(name);
        // The name whole, or a cut of it ending in "..".
        const auto drawn = std::find_if(m_text->drawn.begin(), m_text->drawn.end(), [&](const auto& d) {
            return d.text == plain
                || (d.text.ends_with("..") && plain.starts_with(std::string_view(d.text).substr(0, d.text.size() - 2)));
        });
        ASSERT_NE(drawn, m_text->drawn.end()) << name;
        EXPECT_GE(drawn->x, 0) << drawn->text;
        EXPECT_LE(drawn->x + table->TextWidth(drawn->text, engine::CCanvasObject::TagWidth::Count),
                  CAdvertBar::NAME_COLUMN_WIDTH)
            << drawn->text;
        if (drawn->text == plain)
            continue;
        // Cut no earlier than it must: one more character of the name and the
        // ".." would not fit.
        const size_t cut = drawn->text.size() - 2;
        const size_t next = static_cast<uint8_t>(plain[cut]) >= 0x80 ? 2 : 1;
        EXPECT_GT(table->TextWidth(plain.substr(0, cut + next) + "..", engine::CCanvasObject::TagWidth::Count), ROOM)
            << drawn->text;
    }
    EXPECT_TRUE(std::any_of(m_text->drawn.begin(), m_text->drawn.end(),
                            [](const auto& d) { return d.text == "张三"; })); // a short name stays whole
}

// Wherever the bar is dragged, the table shows whole round columns only (no
// fragment beside the total or at the edge); the bar's arrows step a round.
TEST_F(PanelTest, ScoreHistoryScrollsByWholeRoundsAndItsArrowsStepOne)
{
    m_app->Records().History().round_count = 12;
    CAdvertBar* bar = m_panel->GetAdvertBar();
    bar->ShowScoreTab();
    Run();
    const auto headers = [this] {
        std::vector<std::string> shown;
        for (const auto& d : m_text->drawn)
            if (d.text.rfind("第", 0) == 0)
                shown.push_back(d.text);
        return shown;
    };
    const int32_t whole = (240 - CAdvertBar::NAME_COLUMN_WIDTH - CAdvertBar::TOTAL_COLUMN_WIDTH) / CAdvertBar::ROUND_COLUMN_WIDTH;
    ASSERT_EQ(bar->GetWholeRoundColumns(), whole);
    const double total = bar->GetScoreContentWidth();
    for (double position = 0; position <= total - 240; position += 10) {
        const double values[3] = { position, 240.0, total };
        m_text->drawn.clear();
        bar->SendEvent(engine::EngineEvent { bar->GetId(), engine::VELOTRIX_EVENT_SCROLL_CHANGED,
                                             reinterpret_cast<uintptr_t>(values), 0 });
        EXPECT_EQ(headers().size(), size_t(whole)) << position;
    }
    const struct {
        uint32_t arrow;
        const char* first;
    } steps[] = { { engine::VELOTRIX_EVENT_SCROLL_LEFT, "第10局" }, { engine::VELOTRIX_EVENT_SCROLL_LEFT, "第9局" },
                  { engine::VELOTRIX_EVENT_SCROLL_RIGHT, "第10局" } };
    for (const auto& step : steps) {
        m_text->drawn.clear();
        bar->SendEvent(engine::EngineEvent { bar->GetId(), step.arrow, 0, 0 });
        ASSERT_FALSE(headers().empty());
        EXPECT_EQ(headers().front(), step.first);
    }
    // The bar carries the skin's arrows at its ends.
    EXPECT_NE(bar->GetScoreBar()->GetFirstButton(), nullptr);
    EXPECT_NE(bar->GetScoreBar()->GetSecondButton(), nullptr);
}

TEST_F(PanelTest, JpegFilesHoldThePictureTopRowFirst)
{
    // Eight red rows on top, eight blue ones below (whole blocks, so the
    // colours do not mix).
    std::vector<uint8_t> rgb;
    for (int i = 0; i < 16 * 8; ++i)
        rgb.insert(rgb.end(), { 255, 0, 0 });
    for (int i = 0; i < 16 * 8; ++i)
        rgb.insert(rgb.end(), { 0, 0, 255 });
    const std::string path = m_folder / "shot.jpg";
    ASSERT_EQ(panel::WriteJpegFile(path, rgb, 16, 16, 75), 1);

    std::FILE* file = std::fopen(path.c_str(), "rb");
    ASSERT_NE(file, nullptr);
    jpeg_decompress_struct info {};
    jpeg_error_mgr error {};
    info.err = jpeg_std_error(&error);
    jpeg_create_decompress(&info);
    jpeg_stdio_src(&info, file);
    ASSERT_EQ(jpeg_read_header(&info, TRUE), JPEG_HEADER_OK);
    jpeg_start_decompress(&info);
    EXPECT_EQ(info.output_width, 16u);
    EXPECT_EQ(info.output_height, 16u);
    std::vector<uint8_t> row(info.output_width * 3);
    JSAMPROW rows[1] = { row.data() };
    jpeg_read_scanlines(&info, rows, 1);
    EXPECT_GT(row[0], 200);
    EXPECT_LT(row[2], 60);
    while (info.output_scanline < info.output_height)
        jpeg_read_scanlines(&info, rows, 1);
    EXPECT_LT(row[0], 60);
    EXPECT_GT(row[2], 200);
    jpeg_finish_decompress(&info);
    jpeg_destroy_decompress(&info);
    std::fclose(file);

    // Refusals: sizes that do not match the pixels, an unwritable path.
    EXPECT_EQ(panel::WriteJpegFile(m_folder / "bad.jpg", rgb, 16, 17, 75), 0);
    EXPECT_FALSE(std::filesystem::exists(m_folder / "bad.jpg"));
    EXPECT_EQ(panel::WriteJpegFile(m_folder / "missing/dir/x.jpg", rgb, 16, 16, 75), 0);
    ASSERT_EQ(m_boxes.GetShown().size(), 1u);
    EXPECT_EQ(m_boxes.GetShown()[0].text.rfind("JpegFile :\nCan't open ", 0), 0u);
    // Without a shown picture the screenshot command writes nothing.
    EXPECT_EQ(m_panel->SaveScreenshot(), "");
}

TEST(Screenshot, TheShownPictureBecomesRgbRows)
{
    engine::GDIPaintModule paint;
    paint.SetSize(3, 2);
    paint.Clear(0x00FF8040); // 0x00BBGGRR
    auto request = std::make_unique<engine::RenderRequest>();
    request->view_centre_x = 1;
    request->view_centre_y = 1;
    request->rects = { engine::EngineRect { 0, 0, 3, 2 } };
    paint.FlushDirty(std::move(request));
    const panel::RgbImage image = panel::CapturePresentation(paint);
    ASSERT_EQ(image.width, 3);
    ASSERT_EQ(image.height, 2);
    ASSERT_EQ(image.pixels.size(), 18u);
    EXPECT_EQ(image.pixels[0], 0x40);
    EXPECT_EQ(image.pixels[1], 0x80);
    EXPECT_EQ(image.pixels[2], 0xFF);
}

TEST_F(PanelTest, CharacterPicturesExistOnlyForRealCharacters)
{
    const std::string folder = m_app->GetCharacterDir(5);
    ASSERT_EQ(folder.rfind(m_folder.Path(), 0), 0u) << folder;
    ASSERT_TRUE(platform::MakeDirectoryTree(folder));
    platform::FileHandle file = platform::OpenFile(folder + "large.png", "wb");
    ASSERT_NE(file, nullptr);
    file.reset();
    const struct {
        int32_t character;
        int32_t type;
        bool found;
    } cases[] = { { 5, 3, true }, { 5, 1, false }, { 5, 2, false }, { 1, 3, false }, { 0, 3, false } };
    for (const auto& c : cases) {
        std::string name = "stale";
        panel::GetCharacterImagePath(*m_app, name, c.character, c.type);
        EXPECT_EQ(name.empty(), !c.found) << c.character << " " << c.type;
    }
}

TEST(Screenshot, CapturedRowsBecomeRgbTopRowFirstAtEitherDepth)
{
    // 16 bits: three pixels a row, rows padded to 8 bytes; fields of 31, 30,
    // 1 and 0. The odd width must not skew the second row.
    const auto word = [](int r, int g, int b) { return static_cast<uint16_t>((r << 10) | (g << 5) | b); };
    const uint16_t bottom[4] = { word(31, 31, 31), word(30, 1, 0), word(0, 0, 0), 0xFFFF };
    const uint16_t top[4] = { word(1, 30, 31), word(0, 31, 1), word(31, 0, 30), 0xFFFF };
    std::vector<uint8_t> bits16;
    for (const uint16_t* row : { bottom, top })
        for (int i = 0; i < 4; ++i)
            bits16.insert(bits16.end(), { static_cast<uint8_t>(row[i]), static_cast<uint8_t>(row[i] >> 8) });
    // 32 bits: B, G, R, x bytes, two pixels a row, rows padded to 12 bytes.
    const std::vector<uint8_t> bits32 = { 1, 2, 3, 0, 4, 5, 6, 0, 9, 9, 9, 9, 7, 8, 9, 0, 10, 11, 12, 0, 9, 9, 9, 9 };
    const struct {
        panel::ScreenBits bits;
        std::vector<uint8_t> rgb; // empty: refused
    } cases[] = {
        { { bits16, 3, 2, 8, 16, true },
          { 16, 248, 255, 0, 255, 16, 255, 0, 248, 255, 255, 255, 248, 16, 0, 0, 0, 0 } },
        { { bits32, 2, 2, 12, 32, false }, { 3, 2, 1, 6, 5, 4, 9, 8, 7, 12, 11, 10 } },
        { { bits32, 2, 2, 12, 32, true }, { 9, 8, 7, 12, 11, 10, 3, 2, 1, 6, 5, 4 } },
        { { bits32, 2, 2, 12, 24, false }, {} },                     // other depths write nothing
        { { bits32, 3, 2, 8, 32, false }, {} },                      // rows longer than their stride
        { { std::span(bits32).first(19), 2, 2, 12, 32, false }, {} }, // the last row cut short
    };
    for (size_t i = 0; i < std::size(cases); ++i) {
        const panel::RgbImage image = panel::ConvertScreenBits(cases[i].bits);
        EXPECT_EQ(image.pixels, cases[i].rgb) << i;
        EXPECT_EQ(image.width, cases[i].rgb.empty() ? 0 : cases[i].bits.width) << i;
    }
}

TEST_F(PanelTest, AdvertBarTabsSwitchByPointerClicks)
{
    // Tab pictures of four frames, as the skin's; the captions lie over them.
    for (const char* name : { "btn_AdvertTab", "btn_ScoreTab" })
        m_paint->images[name] = picturetest::MakeStrip(64, 20, 4);
    auto* bar = dynamic_cast<CAdvertBar*>(m_panel->RegisterObject(std::make_unique<CAdvertBar>(*m_app)));
    ASSERT_NE(bar, nullptr);
    bar->SetArea(engine::EngineRect { 560, 0, 800, 200 });
    Run();
    const struct {
        engine::CGuiButton* tab;
        int32_t shown;
    } clicks[] = { { bar->GetScoreTabButton(), CAdvertBar::TAB_SCORE },
                   { bar->GetAdvertTabButton(), CAdvertBar::TAB_ADVERT } };
    for (const auto& click : clicks) {
        ASSERT_GT(click.tab->GetWidth(), 0);
        // Through the pointer: moved onto the caption, pressed and released.
        ClickAt(static_cast<int32_t>(click.tab->GetX()), static_cast<int32_t>(click.tab->GetY()));
        EXPECT_EQ(bar->GetCurrentTab(), click.shown);
        EXPECT_TRUE(click.tab->IsChecked()) << click.shown;
    }
}
