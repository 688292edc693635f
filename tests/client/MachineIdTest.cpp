// The machine id from given adapters, from the hall's INI and freshly made;
// the hall's paths from its INI; the adapter list read from a sysfs tree; the
// replay file type in the user store.
#include <gtest/gtest.h>

#include <filesystem>

#include "ClientTempFolder.h"
#include "client/FileAssociation.h"
#include "client/HallPaths.h"
#include "client/MachineId.h"
#include "platform/Ini.h"
#include "platform/UserStore.h"

using client_test::CTempConfigFolder;
using namespace client;

namespace {

class CFakeAdapters final : public INetworkAdapterSource {
public:
    std::optional<std::vector<NetworkAdapter>> adapters;
    [[nodiscard]] std::optional<std::vector<NetworkAdapter>> ListAdapters() const override { return adapters; }
};

std::string StoredId()
{
    return platform::GetProfileString(HALL_INI_SECTION, HALL_INI_UNIQUE_ID_KEY, "", GetHallSystemIniPath());
}

} // namespace

TEST(MachineId, TwoEthernetAdaptersGiveTheFirst31HexDigits)
{
    CTempConfigFolder folder;
    CFakeAdapters source;
    source.adapters = std::vector<NetworkAdapter> {
        { ADAPTER_TYPE_ETHERNET, { 0x00, 0x1A, 0x2B, 0x3C, 0x4D, 0x5E } },
        { ADAPTER_TYPE_WIRELESS, { 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF } },
        { ADAPTER_TYPE_ETHERNET, { 0xA0, 0xB1, 0xC2, 0xD3, 0xE4, 0xF5 } },
    };
    EXPECT_EQ(GetMachineID(source), "001a2b3c4d5ea0b1c2d3e4f50000000");
    EXPECT_EQ(StoredId(), "") << "an id from the adapters is not stored";
}

TEST(MachineId, AddressesBeyondTheBufferAreLeftOut)
{
    CFakeAdapters source;
    source.adapters = std::vector<NetworkAdapter>(30, { ADAPTER_TYPE_ETHERNET, std::vector<uint8_t>(6, 0x11) });
    std::array<uint8_t, ADAPTER_BUFFER_BYTES> buffer {};
    EXPECT_EQ(CollectEthernetMacs(source, buffer), 21);
    EXPECT_EQ(buffer[125], 0x11);
    EXPECT_EQ(buffer[126], 0);
    source.adapters.reset();
    EXPECT_EQ(CollectEthernetMacs(source, buffer), -1);
}

TEST(MachineId, WithoutAdaptersTheStoredIdIsUsedTrimmed)
{
    CTempConfigFolder folder;
    folder.WriteFile("qdrx.ini", "[SYSTEM]\nUniqueID=  stored id 0123456789abcdef0123456789XYZ\n");
    CFakeAdapters source;
    source.adapters = std::vector<NetworkAdapter> {};
    EXPECT_EQ(GetMachineID(source), "stored id 0123456789abcdef01234");
    source.adapters.reset();
    EXPECT_EQ(GetMachineID(source), "stored id 0123456789abcdef01234") << "an unreadable list falls back too";
}

TEST(MachineId, WithoutAnyIdANewOneIsMadeAndStored)
{
    CTempConfigFolder folder;
    CFakeAdapters source;
    source.adapters = std::vector<NetworkAdapter> { { ADAPTER_TYPE_LOOPBACK, { 0, 0, 0, 0, 0, 0 } } };
    const std::string id = GetMachineID(source);
    EXPECT_EQ(id.size(), 30u);
    EXPECT_EQ(id.find_first_not_of("0123456789abcdef"), std::string::npos);
    EXPECT_EQ(StoredId(), id);
    EXPECT_EQ(GetMachineID(source), id) << "the stored id is used the next time";

    folder.WriteFile("qdrx.ini", "[SYSTEM]\nUniqueID=   \n");
    const std::string blank_replaced = GetMachineID(source);
    EXPECT_EQ(blank_replaced.size(), 30u);
    EXPECT_NE(blank_replaced, id);
}

TEST(MachineId, SysfsTreeGivesOnlyWiredDeviceAdapters)
{
    CTempConfigFolder folder;
    const auto adapter = [&](const std::string& name, const std::string& type, const std::string& address,
                             const std::string& index, const char* marker) {
        folder.WriteFile("net/" + name + "/type", type + "\n");
        folder.WriteFile("net/" + name + "/address", address + "\n");
        folder.WriteFile("net/" + name + "/ifindex", index + "\n");
        if (marker)
            std::filesystem::create_directories(folder.Path() + "net/" + name + "/" + marker);
    };
    adapter("lo", "772", "00:00:00:00:00:00", "1", nullptr);
    adapter("eth1", "1", "02:00:00:00:00:02", "3", "device");
    adapter("eth0", "1", "02:00:00:00:00:01", "2", "device");
    adapter("wlan0", "1", "04:00:00:00:00:01", "4", "wireless");
    adapter("veth9", "1", "06:00:00:00:00:01", "5", nullptr);
    adapter("bad", "1", "zz:00", "6", "device");
    folder.WriteFile("net/broken/type", "x");

    const CSysfsAdapterSource source(folder.Path() + "net");
    std::array<uint8_t, ADAPTER_BUFFER_BYTES> buffer {};
    EXPECT_EQ(CollectEthernetMacs(source, buffer), 2);
    EXPECT_EQ(buffer[5], 0x01) << "eth0 comes first by interface index";
    EXPECT_EQ(buffer[11], 0x02);
    EXPECT_EQ(CollectEthernetMacs(CSysfsAdapterSource(folder.Path() + "missing"), buffer), -1);
}

TEST(HallPaths, FolderAndAdvertFileFollowTheHallProgram)
{
    CTempConfigFolder folder;
    EXPECT_EQ(GetHallExePath(), "");
    EXPECT_EQ(GetExeDirPath(), "");
    folder.WriteFile("qdrx.ini", "[SYSTEM]\nExePath=/opt/hall/VuduDiro\n");
    EXPECT_EQ(GetHallExePath(), "/opt/hall/VuduDiro");
    EXPECT_EQ(GetExeDirPath(), "/opt/hall/");
    EXPECT_EQ(GetAdvertDomainFile(), "/opt/hall/Share\\advert\\domain.dat");
    folder.WriteFile("qdrx.ini", "[SYSTEM]\nExePath=D:\\Hall\\VuduDiro.exe\n");
    EXPECT_EQ(GetExeDirPath(), "D:\\Hall\\");
}

TEST(FileAssociation, TypeIconAndCommandGoToTheUserStore)
{
    CTempConfigFolder folder;
    folder.WriteFile("qdrx.ini", "[SYSTEM]\nExePath=/opt/hall/VuduDiro\n");
    WriteFileAssociation(".qvrep", "QvReplay", "replay files", "/opt/hall/share/replayico.ico");
    platform::CUserStore store;
    EXPECT_EQ(store.GetValue(".qvrep"), "QvReplay");
    EXPECT_EQ(store.GetValue("QvReplay"), "replay files");
    EXPECT_EQ(store.GetValue("QvReplay\\DefaultIcon"), "/opt/hall/share/replayico.ico");
    EXPECT_EQ(store.GetValue("QvReplay\\Shell\\Open\\Command"), "/opt/hall/Replayer.exe %1");
}
