#include "service/Ed25519.h"

#include <sodium.h>

namespace ed25519 {

bool verify(std::string_view signature, std::string_view message, const PublicKey& key)
{
    static_assert(kSignatureSize == crypto_sign_BYTES && PublicKey{}.size() == crypto_sign_PUBLICKEYBYTES);
    // Idempotent and thread-safe; it fails only where libsodium cannot run at all.
    if (sodium_init() < 0 || signature.size() != kSignatureSize) {
        return false;
    }
    return crypto_sign_verify_detached(reinterpret_cast<const unsigned char*>(signature.data()),
                                       reinterpret_cast<const unsigned char*>(message.data()), message.size(),
                                       key.data()) == 0;
}

} // namespace ed25519
