#include "client/MachineId.h"

#include <algorithm>
#include <charconv>
#include <filesystem>
#include <fstream>
#include <system_error>

#include "client/HallPaths.h"
#include "client/TextFunctions.h"
#include "net/NetUtil.h"
#include "platform/Ini.h"
#include "platform/Text.h"

namespace client {

namespace {

constexpr int ARPHRD_ETHERNET = 1;
constexpr int ARPHRD_LOOPBACK_TYPE = 772;

std::optional<std::string> ReadLine(const std::filesystem::path& path)
{
    std::ifstream file(path);
    std::string line;
    if (!file || !std::getline(file, line))
        return std::nullopt;
    return line;
}

std::optional<long> ReadNumber(const std::filesystem::path& path)
{
    const std::optional<std::string> line = ReadLine(path);
    if (!line)
        return std::nullopt;
    long value = 0;
    const char* end = line->data() + line->size();
    const auto [stop, error] = std::from_chars(line->data(), end, value);
    if (error != std::errc {} || stop == line->data())
        return std::nullopt;
    return value;
}

/// "aa:bb:cc:dd:ee:ff" as bytes; nothing on any malformed part.
std::optional<std::vector<uint8_t>> ParseAddress(const std::string& text)
{
    std::vector<uint8_t> bytes;
    const char* position = text.data();
    const char* end = text.data() + text.size();
    while (position < end) {
        uint8_t byte = 0;
        const auto [stop, error] = std::from_chars(position, std::min(position + 2, end), byte, 16);
        if (error != std::errc {} || stop != position + 2)
            return std::nullopt;
        bytes.push_back(byte);
        position = stop;
        if (position < end && *position++ != ':')
            return std::nullopt;
    }
    return bytes;
}

int AdapterType(const std::filesystem::path& folder, long arp_type)
{
    std::error_code error;
    if (arp_type == ARPHRD_LOOPBACK_TYPE)
        return ADAPTER_TYPE_LOOPBACK;
    if (arp_type != ARPHRD_ETHERNET)
        return ADAPTER_TYPE_OTHER;
    if (std::filesystem::exists(folder / "wireless", error) || std::filesystem::exists(folder / "phy80211", error))
        return ADAPTER_TYPE_WIRELESS;
    // Virtual interfaces (bridges, veth pairs, tunnels) have no device behind
    // them and come and go; they would make the id change.
    if (!std::filesystem::exists(folder / "device", error))
        return ADAPTER_TYPE_OTHER;
    return ADAPTER_TYPE_ETHERNET;
}

} // namespace

std::optional<std::vector<NetworkAdapter>> CSysfsAdapterSource::ListAdapters() const
{
    std::error_code error;
    std::filesystem::directory_iterator folders(m_root, error);
    if (error)
        return std::nullopt;
    std::vector<std::pair<long, NetworkAdapter>> found;
    for (const auto& entry : folders) {
        const std::filesystem::path folder = entry.path();
        const std::optional<long> arp_type = ReadNumber(folder / "type");
        const std::optional<std::string> address_text = ReadLine(folder / "address");
        if (!arp_type || !address_text)
            continue;
        NetworkAdapter adapter;
        adapter.type = AdapterType(folder, *arp_type);
        adapter.address = ParseAddress(*address_text).value_or(std::vector<uint8_t> {});
        found.emplace_back(ReadNumber(folder / "ifindex").value_or(0), std::move(adapter));
    }
    std::stable_sort(found.begin(), found.end(), [](const auto& a, const auto& b) { return a.first < b.first; });
    std::vector<NetworkAdapter> adapters;
    for (auto& [index, adapter] : found)
        adapters.push_back(std::move(adapter));
    return adapters;
}

int CollectEthernetMacs(const INetworkAdapterSource& source, std::array<uint8_t, ADAPTER_BUFFER_BYTES>& buffer)
{
    buffer.fill(0);
    const std::optional<std::vector<NetworkAdapter>> adapters = source.ListAdapters();
    if (!adapters)
        return -1;
    int count = 0;
    size_t used = 0;
    for (const NetworkAdapter& adapter : *adapters) {
        if (adapter.type != ADAPTER_TYPE_ETHERNET || adapter.address.empty())
            continue;
        if (adapter.address.size() > buffer.size() - used)
            break;
        std::copy(adapter.address.begin(), adapter.address.end(), buffer.begin() + used);
        used += adapter.address.size();
        ++count;
    }
    return count;
}

std::string GetMachineID(const INetworkAdapterSource& source)
{
    std::array<uint8_t, ADAPTER_BUFFER_BYTES> buffer {};
    const std::string ini_path = GetHallSystemIniPath();
    std::string id;
    if (CollectEthernetMacs(source, buffer) >= 1) {
        net::BytesToHex(buffer.data(), buffer.size(), id);
        id.resize(MACHINE_ID_LENGTH);
    } else {
        id = platform::CutGbkText(
            platform::GetProfileString(HALL_INI_SECTION, HALL_INI_UNIQUE_ID_KEY, "", ini_path), MACHINE_ID_LENGTH);
    }
    TrimSpaces(id);
    if (id.empty()) {
        char fresh[MACHINE_ID_LENGTH + 1] = {};
        if (net::FillUniqueIdIfEmpty(fresh, sizeof fresh) == 1) {
            id = fresh;
            (void)platform::WriteProfileString(HALL_INI_SECTION, HALL_INI_UNIQUE_ID_KEY, id, ini_path);
        }
    }
    return id;
}

std::string GetMachineID() { return GetMachineID(CSysfsAdapterSource {}); }

} // namespace client
