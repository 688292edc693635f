#include "engine/widgets/UrlOpener.h"

#include "platform/Process.h"
#include "platform/Text.h"

namespace engine {

namespace {

IUrlOpener* s_installed = nullptr;

bool StartsWithNoCase(std::string_view text, std::string_view prefix)
{
    return text.size() >= prefix.size() && platform::GbkEqualsNoCase(text.substr(0, prefix.size()), prefix);
}

} // namespace

bool CXdgUrlOpener::IsAllowedUrl(std::string_view url)
{
    static constexpr std::string_view schemes[] = { "http://", "https://", "ftp://" };
    bool allowed = false;
    for (const std::string_view scheme : schemes)
        allowed = allowed || (StartsWithNoCase(url, scheme) && url.size() > scheme.size());
    for (const char c : url) {
        const auto byte = static_cast<uint8_t>(c);
        allowed = allowed && byte > 0x20 && byte != 0x7F;
    }
    return allowed;
}

bool CXdgUrlOpener::OpenUrl(std::string_view url)
{
    if (!IsAllowedUrl(url))
        return false;
    const std::optional<platform::ProcessId> started = platform::StartProcess("xdg-open", { std::string(url) });
    if (started)
        platform::ReapProcess(*started);
    return started.has_value();
}

IUrlOpener& GetUrlOpener()
{
    static CXdgUrlOpener s_default;
    return s_installed != nullptr ? *s_installed : s_default;
}

IUrlOpener* SetUrlOpener(IUrlOpener* opener)
{
    IUrlOpener* previous = s_installed;
    s_installed = opener;
    return previous;
}

} // namespace engine
