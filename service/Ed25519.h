#pragma once

#include <array>
#include <cstdint>
#include <string_view>

// Ed25519 signature checks, from whichever library the target system has: libsodium on
// Linux, libgcrypt on Windows.
namespace ed25519 {

using PublicKey = std::array<std::uint8_t, 32>;
inline constexpr std::size_t kSignatureSize = 64;

// True only when `signature` (kSignatureSize bytes) is a valid detached signature of
// `message` by `key`; false for a signature of any other length.
bool verify(std::string_view signature, std::string_view message, const PublicKey& key);

} // namespace ed25519
