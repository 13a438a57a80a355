#include "platform/windows/NetbiosAdapters.h"

#include <algorithm>
#include <iterator>

namespace platform {

namespace {

using HardwareAddress = NetworkAdapters::HardwareAddress;

// What a status query answers: the adapter's status, its address first, and the names it
// holds.
struct AdapterStatus
{
    ADAPTER_STATUS adapter;
    NAME_BUFFER names[30];
};

std::optional<HardwareAddress> adapterAddress(NetbiosFunction netbios, UCHAR lana)
{
    NCB reset{};
    reset.ncb_command = NCBRESET;
    reset.ncb_lana_num = lana;
    if (netbios(&reset) != NRC_GOODRET) {
        return std::nullopt;
    }
    AdapterStatus status{};
    NCB query{};
    query.ncb_command = NCBASTAT;
    query.ncb_lana_num = lana;
    // "*" and fifteen blanks: the adapter is asked about the local machine.
    std::fill(std::begin(query.ncb_callname), std::end(query.ncb_callname), ' ');
    query.ncb_callname[0] = '*';
    query.ncb_buffer = reinterpret_cast<PUCHAR>(&status);
    query.ncb_length = sizeof(status);
    if (netbios(&query) != NRC_GOODRET) {
        return std::nullopt;
    }
    HardwareAddress address{};
    std::copy_n(status.adapter.adapter_address, address.size(), address.begin());
    return address;
}

} // namespace

std::optional<std::vector<NetworkAdapters::HardwareAddress>> netbiosAdapterAddresses(NetbiosFunction netbios)
{
    LANA_ENUM lanas{};
    NCB enumerate{};
    enumerate.ncb_command = NCBENUM;
    enumerate.ncb_buffer = reinterpret_cast<PUCHAR>(&lanas);
    enumerate.ncb_length = sizeof(lanas);
    if (netbios == nullptr || netbios(&enumerate) != NRC_GOODRET || lanas.length == 0) {
        return std::nullopt;
    }
    std::vector<HardwareAddress> addresses;
    const std::size_t count = std::min<std::size_t>(lanas.length, std::size(lanas.lana));
    for (std::size_t i = 0; i < count; ++i) {
        if (const auto address = adapterAddress(netbios, lanas.lana[i])) {
            addresses.push_back(*address);
        }
    }
    return addresses;
}

} // namespace platform
