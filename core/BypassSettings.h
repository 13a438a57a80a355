#pragma once

#include "core/SettingsStore.h"

#include <string>
#include <vector>

// The bypass list as the settings file keeps it: [Bypass] Counter=n and the keys 1..n.
namespace bypass {

// A damaged file could name billions of lines; more than this many are never read, so
// such a file cannot stall the start-up.
inline constexpr int kMaxLines = 10000;

// Lines 1..Counter of the file as one read gave it; a missing key gives an empty line; a
// Counter of zero, below zero or not a number gives no lines.
std::vector<std::string> read(const SettingsStore::Snapshot& file);

// Writes Counter and the keys 1..lines.size(). Keys of an earlier, longer list stay in
// the file; they are never read again.
void write(SettingsStore& settings, const std::vector<std::string>& lines);

} // namespace bypass
