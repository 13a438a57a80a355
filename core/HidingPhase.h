#pragma once

#include <cstdint>

// Whether Warden has confirmed that hiding is on. Only Warden's codes change it; a Warden
// that ends counts as a lost connection, and the options' OK applies the proxy again, only
// while it is On. The values are those of the one byte the phase always was.
enum class HidingPhase : std::uint8_t { NotConfirmed = 0, On = 3 };
