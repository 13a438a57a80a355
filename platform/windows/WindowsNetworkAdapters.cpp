#include "platform/windows/WindowsNetworkAdapters.h"

#include "platform/windows/NetbiosAdapters.h"
#include "platform/windows/SnmpInterfaceTable.h"

#include <string>
#include <utility>

namespace platform {

namespace {

// A library of the system folder, loaded by its full path there: a file of the same name in
// the application or the current folder is never picked up instead. A missing library is
// an answer, not a reason for the system to put an error box in front of the user.
HMODULE loadSystemLibrary(const char* name)
{
    char folder[MAX_PATH] = {};
    const UINT length = GetSystemDirectoryA(folder, sizeof(folder));
    if (length == 0 || length >= sizeof(folder)) {
        return nullptr;
    }
    const std::string path = std::string(folder) + "\\" + name;
    const DWORD previousMode = GetThreadErrorMode();
    SetThreadErrorMode(previousMode | SEM_NOOPENFILEERRORBOX, nullptr);
    const HMODULE module = LoadLibraryA(path.c_str());
    SetThreadErrorMode(previousMode, nullptr);
    return module;
}

// A function of a loaded library, or null. GetProcAddress's generic type goes through
// void(*)(), the one function type a cast from and to is not warned about.
template <typename Function> Function libraryFunction(HMODULE module, const char* name)
{
    return module ? reinterpret_cast<Function>(reinterpret_cast<void (*)()>(GetProcAddress(module, name)))
                  : nullptr;
}

// A library loaded for one listing and released when it is done.
class ScopedLibrary
{
public:
    explicit ScopedLibrary(const char* name) : m_module(loadSystemLibrary(name)) {}
    ~ScopedLibrary()
    {
        if (m_module) {
            FreeLibrary(m_module);
        }
    }
    ScopedLibrary(const ScopedLibrary&) = delete;
    ScopedLibrary& operator=(const ScopedLibrary&) = delete;

    template <typename Function> Function function(const char* name) const
    {
        return libraryFunction<Function>(m_module, name);
    }

private:
    HMODULE m_module;
};

NetbiosFunction netbiosFunction()
{
    // Loaded on first use and kept while the program runs.
    static const NetbiosFunction netbios =
        libraryFunction<NetbiosFunction>(loadSystemLibrary("netapi32.dll"), "Netbios");
    return netbios;
}

} // namespace

std::optional<std::vector<NetworkAdapters::HardwareAddress>> systemNetbiosAddresses()
{
    return netbiosAdapterAddresses(netbiosFunction());
}

std::vector<NetworkAdapters::HardwareAddress> systemSnmpEthernetAddresses()
{
    const ScopedLibrary utilities("snmpapi.dll");
    const ScopedLibrary agent("inetmib1.dll");
    SnmpFunctions snmp;
    snmp.copyOid = utilities.function<decltype(snmp.copyOid)>("SnmpUtilOidCpy");
    snmp.compareOid = utilities.function<decltype(snmp.compareOid)>("SnmpUtilOidNCmp");
    snmp.freeAny = utilities.function<decltype(snmp.freeAny)>("SnmpUtilAsnAnyFree");
    snmp.freeVarBind = utilities.function<decltype(snmp.freeVarBind)>("SnmpUtilVarBindFree");
    snmp.query = agent.function<PFNSNMPEXTENSIONQUERY>("SnmpExtensionQuery");
    const auto init = agent.function<PFNSNMPEXTENSIONINIT>("SnmpExtensionInit");
    HANDLE trapEvent = nullptr;
    AsnObjectIdentifier supportedView{};
    if (!init || !init(GetTickCount(), &trapEvent, &supportedView)) {
        return {};
    }
    std::vector<NetworkAdapters::HardwareAddress> addresses = snmpEthernetAddresses(snmp);
    // An agent that can be closed is, before its library goes: it may hold threads or
    // notifications that would otherwise run into unloaded code.
    if (const auto close = agent.function<PFNSNMPEXTENSIONCLOSE>("SnmpExtensionClose")) {
        close();
    }
    return addresses;
}

std::vector<NetworkAdapters::HardwareAddress> WindowsNetworkAdapters::ethernetAddresses() const
{
    // The SNMP table is asked only when NetBIOS found no adapter at all, not when it found
    // adapters whose status could not be read.
    if (auto addresses = systemNetbiosAddresses()) {
        return std::move(*addresses);
    }
    return systemSnmpEthernetAddresses();
}

} // namespace platform
