#pragma once

// Ed25519 signatures of the update: the program checks the file it downloads against the
// public key built into it, so only the holder of the matching seed can make an update it
// installs.

#include <array>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>

namespace nimbra_service {

using SigningSeed = std::array<std::uint8_t, 32>;
using PublicKey = std::array<std::uint8_t, 32>;
using Signature = std::array<std::uint8_t, 64>;

PublicKey publicKeyOf(const SigningSeed& seed);

// The detached signature of all of `bytes` with the key pair of `seed`.
Signature sign(std::string_view bytes, const SigningSeed& seed);

// Lower-case hex digits, two a byte.
std::string toHex(std::span<const std::uint8_t> bytes);

} // namespace nimbra_service
