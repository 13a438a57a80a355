#include "service/Ed25519.h"

#include <climits>
#include <gcrypt.h>

namespace ed25519 {

namespace {

// An S-expression that owns what it holds.
struct Sexp
{
    gcry_sexp_t value = nullptr;
    ~Sexp() { gcry_sexp_release(value); }
};

bool libraryReady()
{
    // gcry_check_version must come first and once, before any thread uses the library.
    static const bool ready = [] {
        if (!gcry_check_version(GCRYPT_VERSION)) {
            return false;
        }
        gcry_control(GCRYCTL_INITIALIZATION_FINISHED, 0);
        return true;
    }();
    return ready;
}

} // namespace

bool verify(std::string_view signature, std::string_view message, const PublicKey& key)
{
    // The library takes lengths as int: a longer message could only be checked in part.
    if (signature.size() != kSignatureSize || message.size() > static_cast<std::size_t>(INT_MAX) ||
        !libraryReady()) {
        return false;
    }
    // Ed25519 signs the message itself (no hash first): the "eddsa" flag with the message
    // as its value.
    Sexp publicKey, signed_, data;
    if (gcry_sexp_build(&publicKey.value, nullptr, "(public-key (ecc (curve Ed25519) (flags eddsa) (q %b)))",
                        static_cast<int>(key.size()), key.data()) != 0 ||
        gcry_sexp_build(&signed_.value, nullptr, "(sig-val (eddsa (r %b) (s %b)))", 32, signature.data(), 32,
                        signature.data() + 32) != 0 ||
        gcry_sexp_build(&data.value, nullptr, "(data (flags eddsa) (hash-algo sha512) (value %b))",
                        static_cast<int>(message.size()), message.data()) != 0) {
        return false;
    }
    return gcry_pk_verify(signed_.value, data.value, publicKey.value) == 0;
}

} // namespace ed25519
