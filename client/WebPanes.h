// Web panes: the adverts, the shop and notices as panes of the side panel.
// There is no browser control on this system, so a pane keeps the address
// it would show (the panel draws it) and pages leave for the user's browser
// (engine::GetUrlOpener, xdg-open). What is ours is kept whole:
//  - CFixHtmlView: the domain gate. With the gate on, a navigation to a host
//    outside the allowed-domain list is cancelled. The list is a file of
//    64-byte AES-128 records, each one zero-terminated lower-case name.
//  - CGameHtmlCtrl: the game's pane. Links of the game's own schemes
//    ("qvkold:" reloads the pane, "qvknew:" opens the browser) are taken
//    from the navigation and carried out by a CUrlSchemeHandler through
//    UM_URL_COMMAND, with the user's sign parameters when the hall started
//    the client; the error and loaded flags follow the navigation.
//
// Owner: the side panel owns its panes. Threads: UI thread; a pane is a
// message window of that thread.
// Hazards: URLs come from web pages and the list from a file: every record
// is bounded by its 64 bytes, whatever its contents; scheme handlers travel
// as owned payloads and are freed with their message.
#pragma once

#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "platform/MessageWindow.h"

namespace client {

class CGameApp;

inline constexpr uint32_t UM_URL_COMMAND = 0x85B9;
inline constexpr size_t DOMAIN_RECORD_SIZE = 64;
/// More records than any list needs are not read.
inline constexpr size_t DOMAIN_LIST_MAX_RECORDS = 4096;

/// The names of the enciphered records in `bytes` (a short tail is ignored),
/// in lower case; each ends at its first zero or at the record's end.
[[nodiscard]] std::vector<std::string> DecipherDomainRecords(std::span<const uint8_t> bytes);
/// The 64-byte record of one name (for tools and tests).
[[nodiscard]] std::vector<uint8_t> EncipherDomainRecord(std::string_view name);
/// Whether the URL's host may be shown with this list (see CFixHtmlView).
[[nodiscard]] bool IsDomainInList(std::string_view url, const std::vector<std::string>& list);

class CFixHtmlView : public platform::CMessageWindow {
public:
    CFixHtmlView() = default;
    ~CFixHtmlView() override;

    void EnableDomainCheck(bool enable) { m_check_domain = enable; }
    void SetDomainListFile(const std::string& path) { m_domain_file = path; }
    [[nodiscard]] virtual bool IsDomainAllowed(const std::string& url);
    /// Reads the list file into `list`; the number of names (0 when the file
    /// cannot be read).
    virtual size_t LoadDomainList(std::vector<std::string>& list);

    /// Goes to the URL: the pane's address becomes it, with what would be
    /// posted. Post data of length 0 counts up to its first zero.
    virtual void NavigateEx(const std::string& url, uint32_t flags = 0, const std::string& target_frame = {},
                            const std::string& headers = {}, const char* post_data = nullptr, size_t post_length = 0);
    /// Asks before a navigation; true when it is cancelled.
    virtual bool OnBeforeNavigate2(const std::string& url);

    [[nodiscard]] const std::string& GetAddress() const { return m_address; }
    [[nodiscard]] const std::vector<uint8_t>& GetPostData() const { return m_post_data; }

protected:
    intptr_t WindowProc(platform::Message& msg) override;

private:
    bool m_check_domain { false };
    std::string m_domain_file;
    std::string m_address;
    std::vector<uint8_t> m_post_data;
};

/// A browser pane for dialogs and the side panel.
class CHtmlCtrl : public CFixHtmlView {};

class CGameHtmlCtrl;

class CUrlSchemeHandler {
public:
    CUrlSchemeHandler(CGameHtmlCtrl& owner, CGameApp& app, std::string url)
        : m_owner(owner), m_app(app), m_url(std::move(url)) {}
    virtual ~CUrlSchemeHandler() = default;

    [[nodiscard]] virtual bool IsSameWindowScheme() const;
    [[nodiscard]] virtual bool IsNewWindowScheme() const;
    [[nodiscard]] virtual bool IsAboutBlank() const;
    [[nodiscard]] virtual bool IsWebScheme() const;
    [[nodiscard]] virtual bool IsAppScheme() const;
    /// A link of the game's schemes is posted to the owner (which carries it
    /// out later); true then. `self` is this handler, handed over.
    static bool Handle(std::unique_ptr<CUrlSchemeHandler> self);
    /// Opens the page in the browser or reloads the pane with it.
    virtual int Execute();
    /// The URL with everything before its first ':' made "http".
    [[nodiscard]] virtual std::string ToWebUrl() const;

private:
    CGameHtmlCtrl& m_owner;
    CGameApp& m_app;
    std::string m_url;
};

class CGameHtmlCtrl : public CHtmlCtrl {
public:
    explicit CGameHtmlCtrl(CGameApp& app) : m_app(app) {}

    bool OnBeforeNavigate2(const std::string& url) override;
    void OnDocumentComplete(const std::string& url);
    /// The page could not be loaded: the error page shows.
    virtual void OnNavigateError();
    [[nodiscard]] bool HasError() const { return m_error; }
    [[nodiscard]] bool IsLoaded() const { return m_loaded; }

protected:
    intptr_t WindowProc(platform::Message& msg) override;

private:
    CGameApp& m_app;
    bool m_error { false };
    bool m_loaded { false };
};

} // namespace client
