#pragma once

#include <string>

namespace platform {

// Replaces the file at `path` with `content`: written beside it and renamed over it, so a
// reader never sees half a file and a crash cannot leave one. The folder must exist. On
// Linux a file that was there keeps its permission bits, and a new one is 0600.
// False when the file could not be written; nothing is left behind then.
bool replaceFile(const std::string& path, const std::string& content);

} // namespace platform
