#pragma once

#include "platform/NetworkAdapters.h"

#include <windows.h>

#include <snmp.h>

namespace platform {

// The functions of an SNMP extension agent and of the SNMP utility library that the walk
// of the interface table uses.
struct SnmpFunctions
{
    SNMPAPI(SNMP_FUNC_TYPE* copyOid)(AsnObjectIdentifier*, AsnObjectIdentifier*) = nullptr;
    SNMPAPI(SNMP_FUNC_TYPE* compareOid)(AsnObjectIdentifier*, AsnObjectIdentifier*, UINT) = nullptr;
    VOID(SNMP_FUNC_TYPE* freeAny)(AsnAny*) = nullptr;
    VOID(SNMP_FUNC_TYPE* freeVarBind)(SnmpVarBind*) = nullptr;
    PFNSNMPEXTENSIONQUERY query = nullptr;
};

// The addresses of the ethernet interfaces (type 6) of the agent's MIB-II interface table,
// in table order; all-zero addresses and values that are not what the table defines are
// left out. None when the agent cannot tell its number of interfaces.
std::vector<NetworkAdapters::HardwareAddress> snmpEthernetAddresses(const SnmpFunctions& snmp);

} // namespace platform
