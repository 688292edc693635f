// Web panes: the allowed-domain list and its checks, the game's URL schemes
// and the opening of pages in the browser (through a recording opener).
#include <gtest/gtest.h>

#include "client/CPlDkApp.h"
#include "client/WebPanes.h"
#include "engine/widgets/UrlOpener.h"
#include "platform/Path.h"
#include "platform/Tick.h"
#include "tests/client/AppFakes.h"
#include "tests/platform/TempFolder.h"

namespace client {
namespace {

class CRecordingOpener final : public engine::IUrlOpener {
public:
    std::vector<std::string> urls;
    bool OpenUrl(std::string_view url) override
    {
        urls.emplace_back(url);
        return true;
    }
};

TEST(WebPanes, HostsAreCheckedAgainstTheListLabelByLabel)
{
    const std::vector<std::string> list { "b.c.d", "x.com", "shop.example.org" };
    const struct {
        const char* url;
        std::vector<std::string> list;
        bool allowed;
    } cases[] = {
        { "http://a.b.c.d/page", list, true },           // without the first label
        { "http://a.b.c.d/page", { "c.d" }, true },      // the last two labels
        { "http://a.b.c.d/page", { "d" }, false },       // the last label alone
        { "http://a.b.c.d/page", { "a.b.c.d" }, true },  // the whole host
        { "HTTP://WWW.X.COM/Index", list, true },
        { "www.x.com/path?q=http://evil.org", list, true }, // no scheme: up to the first '/'
        { "http://x.com.evil.org/", list, false },
        { "http://shop.example.org", list, true },
        { "http://localhost/", { "localhost" }, true },
        { "http://localhost/", list, false },
        { "http:///x.com", list, false },                // empty host
        { "javascript:void(0)", {}, true },
        { "http://x.com/", {}, false },                  // an empty list allows nothing
        { "https://x.com/", list, false },               // only "http://" is taken off
    };
    for (const auto& c : cases)
        EXPECT_EQ(IsDomainInList(c.url, c.list), c.allowed) << c.url;
}

TEST(WebPanes, TheListFileIsReadRecordByRecordWithinItsBytes)
{
    platform::testing::CTempFolder folder;
    std::vector<uint8_t> bytes;
    for (const char* name : { "X.com", "b.c.d" }) {
        const auto record = EncipherDomainRecord(name);
        bytes.insert(bytes.end(), record.begin(), record.end());
    }
    // A record with no zero stays inside its 64 bytes; a short tail is not a record.
    const std::string long_name(64, 'q');
    const auto full = EncipherDomainRecord(long_name);
    bytes.insert(bytes.end(), full.begin(), full.end());
    bytes.insert(bytes.end(), 10, 0x55);
    const std::string path = folder.Path() + "domain.dat";
    {
        platform::FileHandle file = platform::OpenFile(path, "wb");
        ASSERT_TRUE(file);
        ASSERT_EQ(std::fwrite(bytes.data(), 1, bytes.size(), file.get()), bytes.size());
    }
    CFixHtmlView view;
    view.SetDomainListFile(path);
    std::vector<std::string> list;
    EXPECT_EQ(view.LoadDomainList(list), 3u);
    EXPECT_EQ(list, (std::vector<std::string> { "x.com", "b.c.d", long_name }));

    // The gate: on, a host outside the list is refused and the address stays.
    view.EnableDomainCheck(true);
    EXPECT_FALSE(view.OnBeforeNavigate2("http://www.x.com/a"));
    EXPECT_EQ(view.GetAddress(), "http://www.x.com/a");
    EXPECT_TRUE(view.OnBeforeNavigate2("http://evil.org/"));
    EXPECT_EQ(view.GetAddress(), "http://www.x.com/a");
    // An unreadable list refuses everything but script URLs.
    view.SetDomainListFile(folder.Path() + "missing.dat");
    EXPECT_TRUE(view.OnBeforeNavigate2("http://www.x.com/a"));
    EXPECT_FALSE(view.OnBeforeNavigate2("javascript:go()"));
    view.EnableDomainCheck(false);
    EXPECT_FALSE(view.OnBeforeNavigate2("http://evil.org/"));

    view.NavigateEx("http://x.com/post", 0, {}, {}, "a=1\0b", 0);
    EXPECT_EQ(view.GetPostData(), (std::vector<uint8_t> { 'a', '=', '1' }));
}

TEST(WebPanes, SchemesAreRecognisedAndRewritten)
{
    CPlDkApp app;
    CGameHtmlCtrl pane(app);
    const struct {
        const char* url;
        bool same;
        bool fresh;
        bool web;
        bool blank;
        const char* web_url;
    } cases[] = {
        { "qvkold://shop.example/pay?x=1", true, false, false, false, "http://shop.example/pay?x=1" },
        { "QVKNEW://www.x.com/", false, true, false, false, "http://www.x.com/" },
        { "http://www.x.com/", false, false, true, false, "http://www.x.com/" },
        { "About:Blank", false, false, false, true, "http:Blank" },
        { "noscheme", false, false, false, false, "http" },
    };
    for (const auto& c : cases) {
        CUrlSchemeHandler handler(pane, app, c.url);
        EXPECT_EQ(handler.IsSameWindowScheme(), c.same) << c.url;
        EXPECT_EQ(handler.IsNewWindowScheme(), c.fresh) << c.url;
        EXPECT_EQ(handler.IsWebScheme(), c.web) << c.url;
        EXPECT_EQ(handler.IsAboutBlank(), c.blank) << c.url;
        EXPECT_EQ(handler.ToWebUrl(), c.web_url) << c.url;
    }
}

TEST(WebPanes, GameLinksReloadThePaneOrOpenTheBrowser)
{
    CRecordingOpener opener;
    engine::IUrlOpener* previous = engine::SetUrlOpener(&opener);
    client_test::CFakeWaitDialog wait;
    CPlDkApp app;
    app.Records().Launch().user_id = 1001;
    AppLinks links;
    links.wait_dialog = &wait;
    app.SetLinks(links);
    CGameHtmlCtrl pane(app);
    ASSERT_TRUE(pane.Create());
    const auto pump = [] { (void)platform::PumpMessagesUntil([] { return false; }, 50); };

    // Started by the hall: the sign parameters go along.
    EXPECT_TRUE(pane.OnBeforeNavigate2("qvkold://shop.example/pay?x=1"));
    pump();
    EXPECT_EQ(pane.GetAddress(), "http://shop.example/pay?x=1&uid=1001&sign=");
    EXPECT_TRUE(opener.urls.empty());

    app.SetRunMode(RUN_MODE_STAND_ALONE);
    EXPECT_TRUE(pane.OnBeforeNavigate2("qvknew://www.x.com/gift"));
    pump();
    EXPECT_EQ(opener.urls, std::vector<std::string> { "http://www.x.com/gift" });
    EXPECT_EQ(pane.GetAddress(), "http://shop.example/pay?x=1&uid=1001&sign=") << "the pane stays";
    ASSERT_EQ(wait.texts.size(), 1u);
    EXPECT_EQ(wait.texts[0], "正在打开http://www.x.com/gift...");
    EXPECT_EQ(wait.hides, 1) << "no main window to hide it later";

    // A page of the browser's cancel kind marks the error; loading then does not count.
    EXPECT_FALSE(pane.OnBeforeNavigate2("res://ieframe.dll/navcancl.htm"));
    pane.OnDocumentComplete("res://ieframe.dll/navcancl.htm");
    EXPECT_TRUE(pane.HasError());
    EXPECT_FALSE(pane.IsLoaded());
    CGameHtmlCtrl fresh(app);
    fresh.OnDocumentComplete("about:blank");
    EXPECT_FALSE(fresh.IsLoaded());
    fresh.OnDocumentComplete("http://www.x.com/");
    EXPECT_TRUE(fresh.IsLoaded());
    engine::SetUrlOpener(previous);
}

} // namespace
} // namespace client
