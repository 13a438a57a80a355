#include "platform/linux/LinuxNetworkAdapters.h"

#include "tests/support/TempDir.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <vector>

using Addresses = std::vector<platform::NetworkAdapters::HardwareAddress>;

namespace {

// An interface folder as the kernel shows it; `extra` is one more entry ("wireless", ...).
void addInterface(const TempDir& sys, const std::string& name, const std::string& index,
                  const std::string& address, const std::string& type = "1\n",
                  const std::string& extra = "device")
{
    sys.writeFile(name + "/ifindex", index);
    sys.writeFile(name + "/address", address);
    sys.writeFile(name + "/type", type);
    sys.makeFolder(name + "/" + extra);
}

Addresses listed(const TempDir& sys)
{
    return platform::LinuxNetworkAdapters(sys.path()).ethernetAddresses();
}

} // namespace

TEST(LinuxNetworkAdapters, WiredAdaptersInInterfaceIndexOrder)
{
    TempDir sys;
    EXPECT_TRUE(platform::LinuxNetworkAdapters(sys.file("missing")).ethernetAddresses().empty());
    addInterface(sys, "eth0", "2\n", "00:1a:2b:3c:4d:5e\n");
    addInterface(sys, "aaa", "10\n", "AA:BB:CC:DD:EE:FF\n");
    addInterface(sys, "zzz", "3\n", "02:00:00:00:00:01\n");
    EXPECT_EQ(listed(sys), (Addresses{{0x00, 0x1A, 0x2B, 0x3C, 0x4D, 0x5E},
                                      {0x02, 0x00, 0x00, 0x00, 0x00, 0x01},
                                      {0xAA, 0xBB, 0xCC, 0xDD, 0xEE, 0xFF}}));
}

TEST(LinuxNetworkAdapters, OnlyPhysicalWiredEthernetWithAReadableAddress)
{
    TempDir sys;
    addInterface(sys, "eth0", "2", "00:00:00:00:00:07");
    addInterface(sys, "lo", "1", "00:00:00:00:00:01", "772\n");
    addInterface(sys, "br0", "4", "00:00:00:00:00:09", "1\n", "bridge");
    addInterface(sys, "wlan0", "5", "00:00:00:00:00:0a", "1\n", "wireless");
    sys.makeFolder("wlan0/device");
    addInterface(sys, "wlp2s0", "6", "00:00:00:00:00:0b", "1\n", "phy80211");
    sys.makeFolder("wlp2s0/device");
    addInterface(sys, "zero", "7", "00:00:00:00:00:00");
    const std::vector<std::string> junk = {"",
                                           "00:1a:2b:3c:4d",
                                           "00:1a:2b:3c:4d:5e:6f",
                                           "0g:1a:2b:3c:4d:5e",
                                           "00-1a-2b-3c-4d-5e",
                                           std::string(5000, '1')};
    for (std::size_t i = 0; i < junk.size(); ++i) {
        addInterface(sys, "bad" + std::to_string(i), "3", junk[i]);
    }
    addInterface(sys, "index", "x7", "00:00:00:00:00:08");
    addInterface(sys, "type", "9", "00:00:00:00:00:09", "1x");
    // A pipe where a value belongs must not block the listing.
    sys.makeFolder("fifo/device");
    ASSERT_EQ(mkfifo(sys.file("fifo/type").c_str(), 0600), 0);
    EXPECT_EQ(listed(sys), (Addresses{{0, 0, 0, 0, 0, 7}}));
}
