#pragma once

// The update the service offers for download: the configured file, read and signed once
// at start and then served from memory, and the signature file a release ships beside it.

#include "tools/nimbra-service/ServiceConfig.h"
#include "tools/nimbra-service/Signing.h"

#include <cstddef>
#include <optional>
#include <string>

namespace nimbra_service {

// Far above any build of the program; a larger file is a wrong path, not an update.
inline constexpr std::size_t kMaxUpdateSize = 256 * 1024 * 1024;

struct SignedUpdate
{
    std::string bytes;
    Signature signature;
};

// The file at `path` as an update: not empty (the program would replace itself with
// nothing) and at most kMaxUpdateSize bytes. Otherwise nothing, with `error` set to
// "PATH: problem".
std::optional<std::string> readUpdateFile(const std::string& path, std::string& error);

// The configured update file, signed with the configured seed (or the demo's).
std::optional<SignedUpdate> loadSignedUpdate(const ServiceConfig& config, std::string& error);

// Writes `signature` to `path` + ".sig" and returns that path; nothing, with `error` set,
// when it cannot be written (no partial file is left then).
std::optional<std::string> writeSignatureFile(const std::string& path, const Signature& signature,
                                              std::string& error);

} // namespace nimbra_service
