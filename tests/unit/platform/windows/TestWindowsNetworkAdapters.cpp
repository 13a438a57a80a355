#include "platform/windows/SnmpInterfaceTable.h"
#include "platform/windows/WindowsNetworkAdapters.h"

#include "UnderWine.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <map>
#include <string>

using namespace platform;
using namespace std::string_literals;
using Address = NetworkAdapters::HardwareAddress;

namespace {

const Address kFirst = {0x00, 0x1A, 0x2B, 0x3C, 0x4D, 0x5E};
const Address kSecond = {0x02, 0xAA, 0xBB, 0xCC, 0xDD, 0xEE};

// An SNMP agent of the test's own over a tree of objects; it counts what it and the walk
// allocate and free.
using Oid = std::vector<UINT>;
struct FakeAgent
{
    std::map<Oid, AsnAny> tree;
    std::map<Oid, std::string> octets;
    bool refuses = false;
    int queries = 0;
    int allocations = 0;
} g_agent;

Oid ids(const AsnObjectIdentifier& oid)
{
    return Oid(oid.ids, oid.ids + oid.idLength);
}

void setOid(AsnObjectIdentifier* oid, const Oid& value)
{
    oid->ids = new UINT[value.size()];
    oid->idLength = static_cast<UINT>(value.size());
    std::copy(value.begin(), value.end(), oid->ids);
    ++g_agent.allocations;
}

SNMPAPI WINAPI fakeCopyOid(AsnObjectIdentifier* to, AsnObjectIdentifier* from)
{
    setOid(to, ids(*from));
    return SNMPAPI_NOERROR;
}

SNMPAPI WINAPI fakeCompareOid(AsnObjectIdentifier* a, AsnObjectIdentifier* b, UINT count)
{
    Oid left = ids(*a);
    Oid right = ids(*b);
    left.resize(std::min<std::size_t>(count, left.size()));
    right.resize(std::min<std::size_t>(count, right.size()));
    return left < right ? -1 : (left == right ? 0 : 1);
}

VOID WINAPI fakeFreeAny(AsnAny* value)
{
    if (value->asnType != ASN_INTEGER && value->asnValue.string.dynamic) {
        delete[] value->asnValue.string.stream;
        --g_agent.allocations;
    }
    *value = {};
}

VOID WINAPI fakeFreeVarBind(SnmpVarBind* bind)
{
    if (bind->name.ids) {
        delete[] bind->name.ids;
        --g_agent.allocations;
    }
    bind->name = {};
    fakeFreeAny(&bind->value);
}

// Like the system's agent, it overwrites each value and leaves freeing the old one to the
// caller.
BOOL WINAPI fakeQuery(BYTE, SnmpVarBindList* list, AsnInteger32* errorStatus, AsnInteger32* errorIndex)
{
    ++g_agent.queries;
    *errorStatus = SNMP_ERRORSTATUS_NOERROR;
    *errorIndex = 0;
    for (UINT i = 0; i < list->len && !g_agent.refuses; ++i) {
        SnmpVarBind& bind = list->list[i];
        const Oid name = ids(bind.name);
        const auto next = g_agent.tree.upper_bound(name);
        if (next == g_agent.tree.end()) {
            *errorStatus = SNMP_ERRORSTATUS_NOSUCHNAME;
            return TRUE;
        }
        delete[] bind.name.ids;
        --g_agent.allocations;
        setOid(&bind.name, next->first);
        bind.value = next->second;
        if (const std::string& bytes = g_agent.octets[next->first]; !bytes.empty()) {
            bind.value.asnValue.string = {new BYTE[bytes.size() + 1], static_cast<UINT>(bytes.size()), TRUE};
            std::memcpy(bind.value.asnValue.string.stream, bytes.data(), bytes.size());
            ++g_agent.allocations;
        }
    }
    return !g_agent.refuses;
}

std::vector<Address> walk()
{
    SnmpFunctions snmp;
    snmp.copyOid = fakeCopyOid;
    snmp.compareOid = fakeCompareOid;
    snmp.freeAny = fakeFreeAny;
    snmp.freeVarBind = fakeFreeVarBind;
    snmp.query = fakeQuery;
    return snmpEthernetAddresses(snmp);
}

const Oid kIfNumber = {1, 3, 6, 1, 2, 1, 2, 1, 0};
const Oid kAfterTable = {1, 3, 6, 1, 2, 1, 4, 1, 0};

void put(const Oid& oid, BYTE type, AsnInteger32 number = 0, const std::string& bytes = "")
{
    AsnAny value{};
    value.asnType = type;
    value.asnValue.number = number;
    g_agent.tree[oid] = value;
    g_agent.octets[oid] = bytes;
}

// One row of the interface table: its type (column 3) and its physical address (column 6).
void putInterface(UINT row, AsnInteger32 type, const std::string& address)
{
    put({1, 3, 6, 1, 2, 1, 2, 2, 1, 3, row}, ASN_INTEGER, type);
    put({1, 3, 6, 1, 2, 1, 2, 2, 1, 6, row}, ASN_OCTETSTRING, 0, address);
}

class WindowsNetworkAdaptersTest : public ::testing::Test
{
protected:
    void SetUp() override { g_agent = {}; }
    void TearDown() override { EXPECT_EQ(g_agent.allocations, 0) << "SNMP memory left behind"; }
};

} // namespace

TEST_F(WindowsNetworkAdaptersTest, SnmpTakesTheEthernetRowsWithAnAddress)
{
    put(kIfNumber, ASN_INTEGER, 8);
    putInterface(1, 24, "");                                 // loopback
    putInterface(2, 6, "\x00\x1A\x2B\x3C\x4D\x5E"s);         // taken
    putInterface(3, 6, std::string(6, '\0'));                // no address
    putInterface(4, 23, "\x11\x22\x33\x44\x55\x66");         // not ethernet
    putInterface(5, 6, "\x01\x02\x03\x04");                  // too short to read
    putInterface(6, 6, "\x02\xAA\xBB\xCC\xDD\xEE\xFF\x00"s); // its first six bytes
    put({1, 3, 6, 1, 2, 1, 2, 2, 1, 3, 7}, ASN_INTEGER, 6);
    put({1, 3, 6, 1, 2, 1, 2, 2, 1, 6, 7}, ASN_OPAQUE, 0, "\x0A\x0B\x0C\x0D\x0E\x0F"); // not an address
    put({1, 3, 6, 1, 2, 1, 2, 2, 1, 3, 8}, ASN_GAUGE32, 6);                            // not a type
    put({1, 3, 6, 1, 2, 1, 2, 2, 1, 6, 8}, ASN_OCTETSTRING, 0, "\x0A\x0B\x0C\x0D\x0E\x0F");
    put(kAfterTable, ASN_INTEGER, 2);
    EXPECT_EQ(walk(), (std::vector<Address>{kFirst, kSecond}));
}

TEST_F(WindowsNetworkAdaptersTest, SnmpStopsWhereTheTableEnds)
{
    // An agent that refuses the number of interfaces is not walked.
    put(kIfNumber, ASN_INTEGER, 1);
    putInterface(1, 6, "\x00\x1A\x2B\x3C\x4D\x5E"s);
    g_agent.refuses = true;
    EXPECT_TRUE(walk().empty());
    EXPECT_EQ(g_agent.queries, 1);

    // Wine's agent has no address column: the address walk strays at once into the
    // tables that follow, whose numbers and IP addresses are never read as addresses.
    g_agent = {};
    put(kIfNumber, ASN_INTEGER, 2);
    put({1, 3, 6, 1, 2, 1, 2, 2, 1, 3, 1}, ASN_INTEGER, 24);
    put({1, 3, 6, 1, 2, 1, 2, 2, 1, 3, 2}, ASN_INTEGER, 6);
    put(kAfterTable, ASN_INTEGER, 2);
    put({1, 3, 6, 1, 2, 1, 4, 21, 1, 1, 0, 0, 0, 0}, ASN_IPADDRESS);
    EXPECT_TRUE(walk().empty());
}

TEST(WindowsNetworkAdapters, TheSystemsAdaptersInAStableOrder)
{
    WindowsNetworkAdapters adapters;
    const std::vector<Address> listed = adapters.ethernetAddresses();
    EXPECT_EQ(adapters.ethernetAddresses(), listed);
    // NetBIOS answers on Windows and in wine, which lists the host's interfaces that are up,
    // loopback left out, each with its real address.
    if (const auto netbios = systemNetbiosAddresses()) {
        EXPECT_EQ(*netbios, listed);
    }
    for (const Address& address : underWine() ? listed : std::vector<Address>{}) {
        EXPECT_NE(address, Address{});
    }
    // The SNMP table on its own; in wine it gives nothing (no address column).
    const std::vector<Address> snmp = systemSnmpEthernetAddresses();
    EXPECT_EQ(systemSnmpEthernetAddresses(), snmp);
    EXPECT_EQ(std::count(snmp.begin(), snmp.end(), Address{}), 0);
}
