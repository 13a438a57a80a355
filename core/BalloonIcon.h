#pragma once

#include <cstdint>

// The icon of a tray balloon: the logic chooses it, the tray icon shows it.
enum class BalloonIcon : std::uint8_t { None = 0, Information = 1, Warning = 2, Error = 3 };
