#include "service/UpdateSignature.h"

#include "service/Ed25519.h"

#include <fstream>
#include <iterator>
#include <optional>

namespace {

int hexDigit(char c)
{
    if (c >= '0' && c <= '9') {
        return c - '0';
    }
    if (c >= 'a' && c <= 'f') {
        return c - 'a' + 10;
    }
    if (c >= 'A' && c <= 'F') {
        return c - 'A' + 10;
    }
    return -1;
}

// The key from exactly 64 hex digits; nothing for any other text.
std::optional<ed25519::PublicKey> publicKey(const std::string& hex)
{
    ed25519::PublicKey key{};
    if (hex.size() != key.size() * 2) {
        return std::nullopt;
    }
    for (std::size_t i = 0; i < key.size(); ++i) {
        const int high = hexDigit(hex[2 * i]);
        const int low = hexDigit(hex[2 * i + 1]);
        if (high < 0 || low < 0) {
            return std::nullopt;
        }
        key[i] = static_cast<std::uint8_t>(high << 4 | low);
    }
    return key;
}

std::optional<std::string> wholeFile(const std::string& path)
{
    std::ifstream file(path, std::ios::binary);
    if (!file) {
        return std::nullopt;
    }
    std::string content{std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
    if (file.bad()) {
        return std::nullopt;
    }
    return content;
}

} // namespace

bool verifyUpdateSignature(const std::string& path, const std::string& signature,
                           const std::string& publicKeyHex)
{
    static_assert(kUpdateSignatureSize == ed25519::kSignatureSize);
    if (signature.size() != kUpdateSignatureSize) {
        return false;
    }
    const auto key = publicKey(publicKeyHex);
    const auto content = wholeFile(path);
    return key && content && ed25519::verify(signature, *content, *key);
}
