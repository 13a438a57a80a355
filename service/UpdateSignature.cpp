#include "service/UpdateSignature.h"

#include <array>
#include <fstream>
#include <iterator>
#include <optional>
#include <sodium.h>

namespace {

std::optional<std::array<unsigned char, crypto_sign_PUBLICKEYBYTES>> publicKey(const std::string& hex)
{
    std::array<unsigned char, crypto_sign_PUBLICKEYBYTES> key{};
    std::size_t length = 0;
    const char* end = nullptr;
    if (sodium_hex2bin(key.data(), key.size(), hex.data(), hex.size(), nullptr, &length, &end) != 0 ||
        length != key.size() || end != hex.data() + hex.size()) {
        return std::nullopt;
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
    static_assert(kUpdateSignatureSize == crypto_sign_BYTES);
    // Idempotent and thread-safe; it fails only where libsodium cannot run at all.
    if (sodium_init() < 0 || signature.size() != crypto_sign_BYTES) {
        return false;
    }
    const auto key = publicKey(publicKeyHex);
    const auto content = wholeFile(path);
    if (!key || !content) {
        return false;
    }
    return crypto_sign_verify_detached(reinterpret_cast<const unsigned char*>(signature.data()),
                                       reinterpret_cast<const unsigned char*>(content->data()),
                                       content->size(), key->data()) == 0;
}
