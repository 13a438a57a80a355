#include "service/MachineId.h"

#include "tests/support/FakeHost.h"

#include <gtest/gtest.h>

TEST(MachineId, DigitsOfTheLastAdapter)
{
    FakeNetworkAdapters adapters;
    EXPECT_EQ(GetMachineId(adapters), "999999999999999999999999");
    adapters.addresses = {{0x00, 0x1A, 0x2B, 0x3C, 0x4D, 0x5E}};
    EXPECT_EQ(macAddressText(adapters.addresses[0]), "00-1A-2B-3C-4D-5E");
    EXPECT_EQ(GetMachineId(adapters), "000001100211031204130514");
    adapters.addresses.insert(adapters.addresses.begin(), {0x11, 0x22, 0x33, 0x44, 0x55, 0x66});
    adapters.addresses.push_back({0xFF, 0xEE, 0x09, 0x00, 0xA0, 0x0B});
    EXPECT_EQ(GetMachineId(adapters), "151514140009000010000011");
    EXPECT_EQ(MacToDigits("0F:a G-9"), "001509");
}
