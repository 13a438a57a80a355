#include "platform/Files.h"

#include <algorithm>
#include <array>
#include <filesystem>
#include <fstream>
#include <system_error>

namespace platform {

std::optional<FileHead> readFileHead(const std::string& path, std::size_t limit)
{
    std::error_code failed;
    if (!std::filesystem::is_regular_file(path, failed)) {
        return std::nullopt;
    }
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        return std::nullopt;
    }
    // Read in chunks: the limit is a bound, not a size, so a small file costs its own size
    // and not the limit's worth of zeroed memory.
    FileHead head;
    std::array<char, 16384> chunk{};
    while (head.text.size() < limit && in) {
        in.read(chunk.data(), static_cast<std::streamsize>(std::min(chunk.size(), limit - head.text.size())));
        head.text.append(chunk.data(), static_cast<std::size_t>(in.gcount()));
    }
    if (in.bad()) {
        return std::nullopt;
    }
    // A file of exactly `limit` bytes is whole; one byte more says it is not.
    head.cut = head.text.size() == limit && in.peek() != std::ifstream::traits_type::eof();
    return head;
}

} // namespace platform
