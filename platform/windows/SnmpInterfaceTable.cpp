#include "platform/windows/SnmpInterfaceTable.h"

#include <algorithm>
#include <iterator>
#include <optional>

namespace platform {

namespace {

using HardwareAddress = NetworkAdapters::HardwareAddress;

constexpr AsnInteger32 kEthernetCsmacd = 6;
// An agent that answered without moving on would be walked for ever; no machine has this
// many interfaces.
constexpr int kMaxRows = 4096;

// Request variables, whose names and values the agent replaces with ones it allocates:
// freed with the library's own function when the walk ends, however it ends.
class VarBinds
{
public:
    VarBinds(std::size_t count, const SnmpFunctions& snmp) : m_binds(count), m_snmp(snmp)
    {
        for (SnmpVarBind& bind : m_binds) {
            bind.value.asnType = ASN_NULL;
        }
        m_list.list = m_binds.data();
        m_list.len = static_cast<UINT>(m_binds.size());
    }
    ~VarBinds()
    {
        for (SnmpVarBind& bind : m_binds) {
            m_snmp.freeVarBind(&bind);
        }
    }
    VarBinds(const VarBinds&) = delete;
    VarBinds& operator=(const VarBinds&) = delete;

    SnmpVarBind& operator[](std::size_t i) { return m_binds[i]; }

    // Asks for the objects that follow the current names. The values of the previous
    // answer are freed first; the agent puts fresh ones in their place.
    bool getNext()
    {
        for (SnmpVarBind& bind : m_binds) {
            m_snmp.freeAny(&bind.value);
            bind.value.asnType = ASN_NULL;
        }
        AsnInteger32 errorStatus = 0;
        AsnInteger32 errorIndex = 0;
        return m_snmp.query(SNMP_PDU_GETNEXT, &m_list, &errorStatus, &errorIndex) &&
               errorStatus == SNMP_ERRORSTATUS_NOERROR;
    }

private:
    std::vector<SnmpVarBind> m_binds;
    SnmpVarBindList m_list{};
    const SnmpFunctions& m_snmp;
};

// The first six bytes of an interface's physical address, when the value is an octet
// string that holds them.
std::optional<HardwareAddress> physicalAddress(const AsnAny& value)
{
    const AsnOctetString& octets = value.asnValue.string;
    HardwareAddress address{};
    if (value.asnType != ASN_OCTETSTRING || octets.stream == nullptr || octets.length < address.size()) {
        return std::nullopt;
    }
    std::copy_n(octets.stream, address.size(), address.begin());
    return address;
}

} // namespace

std::vector<NetworkAdapters::HardwareAddress> snmpEthernetAddresses(const SnmpFunctions& snmp)
{
    if (!snmp.copyOid || !snmp.compareOid || !snmp.freeAny || !snmp.freeVarBind || !snmp.query) {
        return {};
    }
    // MIB-II: ifNumber, and the ifType and ifPhysAddress columns of the interface table.
    UINT ifNumberIds[] = {1, 3, 6, 1, 2, 1, 2, 1};
    UINT ifTypeIds[] = {1, 3, 6, 1, 2, 1, 2, 2, 1, 3};
    UINT ifPhysAddressIds[] = {1, 3, 6, 1, 2, 1, 2, 2, 1, 6};
    AsnObjectIdentifier ifNumber{static_cast<UINT>(std::size(ifNumberIds)), ifNumberIds};
    AsnObjectIdentifier ifType{static_cast<UINT>(std::size(ifTypeIds)), ifTypeIds};
    AsnObjectIdentifier ifPhysAddress{static_cast<UINT>(std::size(ifPhysAddressIds)), ifPhysAddressIds};

    // An agent that cannot tell its number of interfaces has no table to walk either.
    VarBinds count(1, snmp);
    if (!snmp.copyOid(&count[0].name, &ifNumber) || !count.getNext()) {
        return {};
    }
    VarBinds row(2, snmp);
    if (!snmp.copyOid(&row[0].name, &ifType) || !snmp.copyOid(&row[1].name, &ifPhysAddress)) {
        return {};
    }
    std::vector<HardwareAddress> addresses;
    for (int i = 0; i < kMaxRows && row.getNext(); ++i) {
        // Each answer names the next row; past the last one, whatever follows the column
        // in the agent's tree.
        if (snmp.compareOid(&row[0].name, &ifType, ifType.idLength) != 0) {
            break;
        }
        const AsnAny& type = row[0].value;
        if (type.asnType != ASN_INTEGER || type.asnValue.number != kEthernetCsmacd) {
            continue;
        }
        if (snmp.compareOid(&row[1].name, &ifPhysAddress, ifPhysAddress.idLength) != 0) {
            break;
        }
        const auto address = physicalAddress(row[1].value);
        if (address && *address != HardwareAddress{}) {
            addresses.push_back(*address);
        }
    }
    return addresses;
}

} // namespace platform
