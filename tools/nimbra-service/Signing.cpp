#include "tools/nimbra-service/Signing.h"

#include <sodium.h>

#include <stdexcept>

namespace nimbra_service {

namespace {

// The key pair of `seed`; the caller wipes the secret half once done with it.
struct KeyPair
{
    PublicKey publicKey{};
    std::array<std::uint8_t, crypto_sign_SECRETKEYBYTES> secretKey{};

    explicit KeyPair(const SigningSeed& seed)
    {
        static_assert(sizeof(SigningSeed) == crypto_sign_SEEDBYTES &&
                      sizeof(PublicKey) == crypto_sign_PUBLICKEYBYTES);
        // Idempotent and thread-safe; it fails only on a system libsodium cannot run on.
        if (sodium_init() < 0) {
            throw std::runtime_error("libsodium cannot start");
        }
        crypto_sign_seed_keypair(publicKey.data(), secretKey.data(), seed.data());
    }
    ~KeyPair() { sodium_memzero(secretKey.data(), secretKey.size()); }
    KeyPair(const KeyPair&) = delete;
    KeyPair& operator=(const KeyPair&) = delete;
};

} // namespace

PublicKey publicKeyOf(const SigningSeed& seed)
{
    return KeyPair(seed).publicKey;
}

Signature sign(std::string_view bytes, const SigningSeed& seed)
{
    static_assert(sizeof(Signature) == crypto_sign_BYTES);
    const KeyPair keys(seed);
    Signature signature{};
    crypto_sign_detached(signature.data(), nullptr, reinterpret_cast<const unsigned char*>(bytes.data()),
                         bytes.size(), keys.secretKey.data());
    return signature;
}

std::string toHex(std::span<const std::uint8_t> bytes)
{
    constexpr std::string_view kDigits = "0123456789abcdef";
    std::string hex;
    hex.reserve(2 * bytes.size());
    for (const std::uint8_t byte : bytes) {
        hex += kDigits[byte >> 4];
        hex += kDigits[byte & 0x0F];
    }
    return hex;
}

} // namespace nimbra_service
