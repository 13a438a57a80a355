#pragma once

#include <string>

namespace platform {

// The PRETTY_NAME of an os-release file's text, its shell quoting undone; empty when
// the text has none.
std::string prettyNameOfOsRelease(const std::string& text);

} // namespace platform
