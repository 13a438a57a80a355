#include "tools/nimbra-service/UpdateFile.h"

#include "tools/nimbra-service/WholeFile.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fstream>

namespace nimbra_service {

std::optional<std::string> readUpdateFile(const std::string& path, std::string& error)
{
    auto bytes = readWholeFile(path, kMaxUpdateSize, "an update", error);
    if (bytes && bytes->empty()) {
        error = path + ": is empty, not an update";
        return std::nullopt;
    }
    return bytes;
}

std::optional<SignedUpdate> loadSignedUpdate(const ServiceConfig& config, std::string& error)
{
    auto bytes = readUpdateFile(config.updateFile, error);
    if (!bytes) {
        return std::nullopt;
    }
    const Signature signature = sign(*bytes, updateSigningSeedOf(config));
    return SignedUpdate{std::move(*bytes), signature};
}

std::optional<std::string> writeSignatureFile(const std::string& path, const Signature& signature,
                                              std::string& error)
{
    const std::string sigPath = path + ".sig";
    const auto fault = [&](int reason) {
        error = sigPath + ": cannot be written: " + std::strerror(reason);
        return std::nullopt;
    };
    std::ofstream file(sigPath, std::ios::binary | std::ios::trunc);
    if (!file) {
        return fault(errno);
    }
    file.write(reinterpret_cast<const char*>(signature.data()),
               static_cast<std::streamsize>(signature.size()));
    file.close();
    if (!file) {
        // A cut signature would only fail the program's check later; better none at all.
        const int reason = errno;
        std::remove(sigPath.c_str());
        return fault(reason);
    }
    return sigPath;
}

} // namespace nimbra_service
