#include "client/WebPanes.h"

#include <algorithm>
#include <cstring>

#include "client/CGameApp.h"
#include "client/ClientKeys.h"
#include "net/AesCipher.h"
#include "platform/Path.h"
#include "platform/Text.h"

namespace client {

namespace {

constexpr size_t BLOCKS_PER_RECORD = DOMAIN_RECORD_SIZE / net::CAesCipher::BLOCK_SIZE;

std::string Lower(std::string_view text)
{
    return platform::GbkToLowerAscii(text);
}

bool StartsWithNoCase(std::string_view text, std::string_view prefix)
{
    return text.size() >= prefix.size() && platform::GbkEqualsNoCase(text.substr(0, prefix.size()), prefix);
}

bool Contains(const std::vector<std::string>& list, const std::string& name)
{
    return std::find(list.begin(), list.end(), name) != list.end();
}

net::CAesCipher DomainCipher()
{
    net::CAesCipher cipher;
    (void)cipher.MakeKey(DOMAIN_LIST_KEY_BLOCK, DOMAIN_LIST_KEY_BITS);
    return cipher;
}

} // namespace

std::vector<std::string> DecipherDomainRecords(std::span<const uint8_t> bytes)
{
    std::vector<std::string> names;
    const net::CAesCipher cipher = DomainCipher();
    const size_t count = std::min(bytes.size() / DOMAIN_RECORD_SIZE, DOMAIN_LIST_MAX_RECORDS);
    for (size_t i = 0; i < count; ++i) {
        uint8_t record[DOMAIN_RECORD_SIZE] {};
        if (!cipher.DecryptBlocks(bytes.data() + i * DOMAIN_RECORD_SIZE, record, BLOCKS_PER_RECORD))
            break;
        // A record without its zero ends at its 64th byte.
        const auto* text = reinterpret_cast<const char*>(record);
        names.push_back(Lower(std::string_view(text, strnlen(text, DOMAIN_RECORD_SIZE))));
    }
    return names;
}

std::vector<uint8_t> EncipherDomainRecord(std::string_view name)
{
    std::vector<uint8_t> record(DOMAIN_RECORD_SIZE, 0);
    std::memcpy(record.data(), name.data(), std::min(name.size(), DOMAIN_RECORD_SIZE));
    (void)DomainCipher().EncryptBlocks(record.data(), record.data(), BLOCKS_PER_RECORD);
    return record;
}

bool IsDomainInList(std::string_view url, const std::vector<std::string>& list)
{
    std::string_view host = url;
    if (StartsWithNoCase(host, "http://"))
        host.remove_prefix(7);
    host = host.substr(0, host.find('/'));
    if (host.empty())
        return false;
    if (StartsWithNoCase(host, "javascript:"))
        return true;
    if (list.empty())
        return false;
    std::string h = Lower(host);
    if (Contains(list, h))
        return true;
    const size_t first_dot = h.find('.');
    if (first_dot == std::string::npos)
        return false;
    if (Contains(list, h.substr(first_dot + 1)))
        return true;
    // The last two labels.
    const size_t last_dot = h.rfind('.');
    const size_t before_last = last_dot == 0 ? std::string::npos : h.rfind('.', last_dot - 1);
    if (before_last == std::string::npos)
        return false;
    return Contains(list, h.substr(before_last + 1));
}

// --- CFixHtmlView

CFixHtmlView::~CFixHtmlView()
{
    Destroy();
}

size_t CFixHtmlView::LoadDomainList(std::vector<std::string>& list)
{
    list.clear();
    const auto bytes = platform::ReadFileBytes(m_domain_file, DOMAIN_LIST_MAX_RECORDS * DOMAIN_RECORD_SIZE);
    if (bytes)
        list = DecipherDomainRecords(*bytes);
    return list.size();
}

bool CFixHtmlView::IsDomainAllowed(const std::string& url)
{
    std::vector<std::string> list;
    (void)LoadDomainList(list);
    return IsDomainInList(url, list);
}

void CFixHtmlView::NavigateEx(const std::string& url, uint32_t, const std::string&, const std::string&,
                              const char* post_data, size_t post_length)
{
    m_address = url;
    m_post_data.clear();
    if (post_data != nullptr) {
        const size_t length = post_length != 0 ? post_length : std::strlen(post_data);
        m_post_data.assign(post_data, post_data + length);
    }
}

bool CFixHtmlView::OnBeforeNavigate2(const std::string& url)
{
    if (m_check_domain && !IsDomainAllowed(url))
        return true;
    m_address = url;
    return false;
}

intptr_t CFixHtmlView::WindowProc(platform::Message&)
{
    return 0;
}

// --- CUrlSchemeHandler

bool CUrlSchemeHandler::IsSameWindowScheme() const { return StartsWithNoCase(m_url, "qvkold:"); }
bool CUrlSchemeHandler::IsNewWindowScheme() const { return StartsWithNoCase(m_url, "qvknew:"); }
bool CUrlSchemeHandler::IsAppScheme() const { return StartsWithNoCase(m_url, "qvkapp:"); }
bool CUrlSchemeHandler::IsWebScheme() const { return StartsWithNoCase(m_url, "http:"); }
bool CUrlSchemeHandler::IsAboutBlank() const { return Lower(m_url) == "about:blank"; }

bool CUrlSchemeHandler::Handle(std::unique_ptr<CUrlSchemeHandler> self)
{
    if (!self || (!self->IsSameWindowScheme() && !self->IsNewWindowScheme()))
        return false;
    const platform::WindowHandle owner = self->m_owner.GetHandle();
    (void)platform::PostMessage(owner, UM_URL_COMMAND, 0, 0,
                                std::make_unique<platform::ValuePayload<std::unique_ptr<CUrlSchemeHandler>>>(
                                    std::move(self)));
    return true;
}

std::string CUrlSchemeHandler::ToWebUrl() const
{
    const size_t colon = m_url.find(':');
    return colon == std::string::npos ? std::string("http") : "http" + m_url.substr(colon);
}

int CUrlSchemeHandler::Execute()
{
    const std::string url = ToWebUrl();
    const bool with_sign = m_app.GetRunMode() == RUN_MODE_HALL;
    if (IsNewWindowScheme())
        m_app.OpenURL(url, with_sign);
    else if (IsSameWindowScheme())
        m_owner.NavigateEx(m_app.GetSignParams(url, with_sign));
    return 1;
}

// --- CGameHtmlCtrl

bool CGameHtmlCtrl::OnBeforeNavigate2(const std::string& url)
{
    if (CUrlSchemeHandler::Handle(std::make_unique<CUrlSchemeHandler>(*this, m_app, url)))
        return true;
    if (Lower(url).find("navcancl.") != std::string::npos)
        m_error = true;
    return CHtmlCtrl::OnBeforeNavigate2(url);
}

void CGameHtmlCtrl::OnDocumentComplete(const std::string& url)
{
    if (!url.empty() && Lower(url).find("about:blank") == std::string::npos && !m_error)
        m_loaded = true;
}

void CGameHtmlCtrl::OnNavigateError()
{
    m_error = true;
}

intptr_t CGameHtmlCtrl::WindowProc(platform::Message& msg)
{
    if (msg.id == UM_URL_COMMAND) {
        using Payload = platform::ValuePayload<std::unique_ptr<CUrlSchemeHandler>>;
        if (auto* handler = msg.PayloadAs<Payload>(); handler && handler->value)
            (void)handler->value->Execute();
        return 0;
    }
    return CHtmlCtrl::WindowProc(msg);
}

} // namespace client
