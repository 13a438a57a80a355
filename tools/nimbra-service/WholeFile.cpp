#include "tools/nimbra-service/WholeFile.h"

#include <array>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>

namespace nimbra_service {

std::optional<std::string> readWholeFile(const std::string& path, std::size_t maxSize, std::string_view what,
                                         std::string& error)
{
    const auto fault = [&](const std::string& problem) {
        error = path + ": " + problem;
        return std::nullopt;
    };
    const std::string tooLarge =
        "larger than " + std::to_string(maxSize / (1024 * 1024)) + " MiB, too large for " + std::string(what);
    std::error_code notFolder;
    if (std::filesystem::is_directory(path, notFolder)) {
        return fault("is a folder, not " + std::string(what));
    }
    // A regular file's size is known before reading; a pipe or a device is only counted.
    std::error_code sizeUnknown;
    const std::uintmax_t size = std::filesystem::file_size(path, sizeUnknown);
    if (!sizeUnknown && size > maxSize) {
        return fault(tooLarge);
    }
    std::ifstream file(path, std::ios::binary);
    if (!file) {
        return fault("cannot be read: " + std::string(std::strerror(errno)));
    }
    std::string bytes;
    bytes.reserve(sizeUnknown ? 0 : static_cast<std::size_t>(size));
    std::array<char, 64 * 1024> chunk{};
    while (file.read(chunk.data(), chunk.size()) || file.gcount() > 0) {
        bytes.append(chunk.data(), static_cast<std::size_t>(file.gcount()));
        if (bytes.size() > maxSize) {
            return fault(tooLarge);
        }
    }
    if (file.bad()) {
        return fault("cannot be read");
    }
    return bytes;
}

} // namespace nimbra_service
