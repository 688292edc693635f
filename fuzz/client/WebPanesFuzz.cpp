// Feeds arbitrary bytes to the web panes' readers: as an allowed-domain list
// file (every name stays within its 64-byte record) and as a URL checked
// against that list and against a list holding parts of the URL itself.
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "client/WebPanes.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::vector<std::string> names = client::DecipherDomainRecords(std::span<const uint8_t>(data, size));
    if (names.size() > size / client::DOMAIN_RECORD_SIZE)
        __builtin_trap();
    for (const std::string& name : names) {
        if (name.size() > client::DOMAIN_RECORD_SIZE)
            __builtin_trap();
    }
    const std::string_view url(reinterpret_cast<const char*>(data), size);
    (void)client::IsDomainInList(url, names);
    std::vector<std::string> parts;
    for (size_t start = 0; start < url.size() && parts.size() < 8; start = url.find('.', start + 1)) {
        parts.emplace_back(url.substr(start, 16));
        if (url.find('.', start + 1) == std::string_view::npos)
            break;
    }
    (void)client::IsDomainInList(url, parts);
    // A record made from the input reads back as the input's first name.
    const std::vector<uint8_t> record = client::EncipherDomainRecord(url.substr(0, url.find('\0')));
    if (client::DecipherDomainRecords(record).size() != 1)
        __builtin_trap();
    return 0;
}
