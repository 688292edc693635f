// The machine id by which the server knows this computer: the hardware
// addresses of its Ethernet adapters as hex, else the id stored in the hall's
// INI, else a new random id that is then stored there.
// Owner: none (free functions); the adapter list comes through
// INetworkAdapterSource so tests can give their own. Any thread.
// Hazards: the id is at most 31 characters. Writing the new id to the hall's
// INI may fail silently (the id is still returned).
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace client {

/// Adapter kinds as the machine id counts them; only Ethernet adapters count.
inline constexpr int ADAPTER_TYPE_OTHER = 1;
inline constexpr int ADAPTER_TYPE_ETHERNET = 6;
inline constexpr int ADAPTER_TYPE_WIRELESS = 71;
inline constexpr int ADAPTER_TYPE_LOOPBACK = 24;

inline constexpr size_t ADAPTER_BUFFER_BYTES = 128;
inline constexpr size_t MACHINE_ID_LENGTH = 31;

struct NetworkAdapter {
    int type = ADAPTER_TYPE_OTHER;
    std::vector<uint8_t> address;
};

class INetworkAdapterSource {
public:
    virtual ~INetworkAdapterSource() = default;
    /// The computer's adapters in a stable order, or nothing when the list
    /// cannot be read.
    [[nodiscard]] virtual std::optional<std::vector<NetworkAdapter>> ListAdapters() const = 0;
};

/// The adapters under /sys/class/net (or another folder, for tests), in
/// interface-index order. A wired interface backed by a device is Ethernet;
/// wireless, loopback and virtual interfaces (bridges, veth, tunnels) are not.
class CSysfsAdapterSource final : public INetworkAdapterSource {
public:
    explicit CSysfsAdapterSource(std::string root = "/sys/class/net") : m_root(std::move(root)) { }
    [[nodiscard]] std::optional<std::vector<NetworkAdapter>> ListAdapters() const override;

private:
    std::string m_root;
};

/// Fills the zeroed buffer with the Ethernet adapters' addresses one after the
/// other (addresses that do not fit whole are left out) and returns their
/// number; -1 when the adapter list cannot be read.
int CollectEthernetMacs(const INetworkAdapterSource& source, std::array<uint8_t, ADAPTER_BUFFER_BYTES>& buffer);

/// The machine id from the given adapters and the hall's INI.
[[nodiscard]] std::string GetMachineID(const INetworkAdapterSource& source);
/// The machine id from this computer's adapters.
[[nodiscard]] std::string GetMachineID();

} // namespace client
