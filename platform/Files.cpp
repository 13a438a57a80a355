#include "platform/Files.h"

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
    FileHead head;
    head.text.resize(limit);
    in.read(head.text.data(), static_cast<std::streamsize>(limit));
    if (in.bad()) {
        return std::nullopt;
    }
    head.text.resize(static_cast<std::size_t>(in.gcount()));
    // A file of exactly `limit` bytes is whole; one byte more says it is not.
    head.cut = head.text.size() == limit && in.peek() != std::ifstream::traits_type::eof();
    return head;
}

} // namespace platform
