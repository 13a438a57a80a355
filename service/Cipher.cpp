#include "service/Cipher.h"

namespace {

// The bits of the key a byte may take without leaving its class.
unsigned char classMask(unsigned char byte)
{
    if (byte >= 128) {
        return 127;
    }
    if (byte >= 64) {
        return 63;
    }
    if (byte >= 32) {
        return 31;
    }
    return 0;
}

} // namespace

std::string DecodeValue(const std::string& value, const std::string& key)
{
    if (key.empty() || value.empty()) {
        return {};
    }
    std::string result(value.size(), '\0');
    for (std::size_t i = 0; i < value.size(); ++i) {
        const auto byte = static_cast<unsigned char>(value[i]);
        const auto keyByte = static_cast<unsigned char>(key[i % key.size()]);
        result[i] = static_cast<char>(byte ^ (keyByte & classMask(byte)));
    }
    return result;
}
