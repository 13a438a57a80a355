#pragma once

#include <string>

namespace platform {

// Replaces the file at `path` with `content`: written beside it and renamed over it, so a
// reader never sees half a file and a crash cannot leave one. The folder must exist. On
// Linux a file that was there keeps its permission bits, and a new one is 0600.
// False when the file could not be written; nothing is left behind then.
bool replaceFile(const std::string& path, const std::string& content);

// Whether `path` is itself a link: a symbolic link, or on Windows any reparse point (a
// junction too). Files of other programs are never read or written through one.
bool isLink(const std::string& path);

} // namespace platform
