#pragma once

// Reading a whole file the service was pointed at, bounded: a wrong path (a disk image,
// /dev/zero) must end in a clear message, not fill the memory.

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace nimbra_service {

// The bytes of the file at `path` when there are at most `maxSize` of them; otherwise
// nothing, with `error` set to "PATH: problem". `what` names what the file should be in
// the problem, such as "a configuration file".
std::optional<std::string> readWholeFile(const std::string& path, std::size_t maxSize, std::string_view what,
                                         std::string& error);

} // namespace nimbra_service
