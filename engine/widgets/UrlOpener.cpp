#include "engine/widgets/UrlOpener.h"

#include <spawn.h>
#include <sys/wait.h>

#include <thread>

#include "platform/Text.h"

extern char** environ;

namespace engine {

namespace {

IUrlOpener* s_installed = nullptr;

bool StartsWithNoCase(std::string_view text, std::string_view prefix)
{
    return text.size() >= prefix.size() && platform::GbkEqualsNoCase(text.substr(0, prefix.size()), prefix);
}

} // namespace

std::string CXdgUrlOpener::CheckedUtf8Url(std::string_view url)
{
    static constexpr std::string_view schemes[] = { "http://", "https://", "ftp://" };
    bool allowed = false;
    for (const std::string_view scheme : schemes)
        allowed = allowed || (StartsWithNoCase(url, scheme) && url.size() > scheme.size());
    if (!allowed)
        return {};
    for (const char c : url) {
        const auto byte = static_cast<uint8_t>(c);
        if (byte <= 0x20 || byte == 0x7F)
            return {};
    }
    auto utf8 = platform::GbkToUtf8(url);
    return utf8 ? std::move(*utf8) : std::string();
}

bool CXdgUrlOpener::OpenUrl(std::string_view url)
{
    std::string checked = CheckedUtf8Url(url);
    if (checked.empty())
        return false;
    std::string program = "xdg-open";
    char* argv[] = { program.data(), checked.data(), nullptr };
    pid_t pid = 0;
    if (posix_spawnp(&pid, program.c_str(), nullptr, nullptr, argv, environ) != 0)
        return false;
    // The browser launcher is reaped off the UI thread so no zombie stays.
    std::thread([pid] { (void)waitpid(pid, nullptr, 0); }).detach();
    return true;
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
