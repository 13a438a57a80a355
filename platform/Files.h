#pragma once

#include <cstddef>
#include <optional>
#include <string>

namespace platform {

// The start of a file, as readFileHead gives it.
struct FileHead
{
    std::string text;
    // The file holds more than `text`: it is larger than the limit it was read with.
    bool cut = false;
};

// The regular file at `path`, read no further than its first `limit` bytes, so a damaged or
// planted giant file costs no more than the limit. Nothing when there is no regular file to
// read there: missing, unreadable, a folder, a device, or a pipe (which would wait for a
// writer for ever).
std::optional<FileHead> readFileHead(const std::string& path, std::size_t limit);

// Replaces the file at `path` with `content`: written beside it and renamed over it, so a
// reader never sees half a file and a crash cannot leave one. The folder must exist. On
// Linux a file that was there keeps its permission bits, and a new one is 0600.
// False when the file could not be written; nothing is left behind then.
bool replaceFile(const std::string& path, const std::string& content);

// Whether `path` is itself a link: a symbolic link, or on Windows any reparse point (a
// junction too). Files of other programs are never read or written through one.
bool isLink(const std::string& path);

} // namespace platform
