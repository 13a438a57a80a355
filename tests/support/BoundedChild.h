#pragma once

#include <chrono>
#include <cstddef>
#include <functional>
#include <optional>

// Runs `body` in a forked child and returns its result (0..255), or nothing when the
// child had to be killed: it ran longer than `limit` or grew more than `maxGrowth` bytes
// beyond the memory it started with. A test of code that might hang or eat memory when it
// is wrong fails this way instead of stalling or exhausting the machine.
std::optional<int> runBounded(const std::function<int()>& body, std::size_t maxGrowth,
                              std::chrono::milliseconds limit);
