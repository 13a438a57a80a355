#include "service/MachineId.h"

namespace {

const char* const kNoAdapterId = "999999999999999999999999";

} // namespace

std::string macAddressText(const platform::NetworkAdapters::HardwareAddress& address)
{
    static constexpr char kDigits[] = "0123456789ABCDEF";
    std::string text;
    for (const std::uint8_t byte : address) {
        if (!text.empty()) {
            text += '-';
        }
        text += kDigits[byte >> 4];
        text += kDigits[byte & 0xF];
    }
    return text;
}

std::string MacToDigits(const std::string& addressText)
{
    std::string digits;
    for (const char c : addressText) {
        if (c >= '0' && c <= '9') {
            digits += '0';
            digits += c;
        } else if (c >= 'A' && c <= 'F') {
            digits += std::to_string(c - 'A' + 10);
        }
    }
    return digits;
}

std::string GetMachineId(const platform::NetworkAdapters& adapters)
{
    const auto addresses = adapters.ethernetAddresses();
    const std::string digits = addresses.empty() ? "" : MacToDigits(macAddressText(addresses.back()));
    return digits.empty() ? kNoAdapterId : digits;
}
