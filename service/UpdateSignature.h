#pragma once

#include <string>

// The length of an Ed25519 detached signature; a signature of any other length is refused.
inline constexpr std::size_t kUpdateSignatureSize = 64;

// True only when `signature` is an Ed25519 detached signature, by the key `publicKeyHex`
// (64 hex digits), over the whole content of the file at `path`. A file that cannot be
// read, a signature of the wrong length or a malformed key is never verified.
bool verifyUpdateSignature(const std::string& path, const std::string& signature,
                           const std::string& publicKeyHex);
