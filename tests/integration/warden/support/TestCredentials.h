#pragma once

// The credentials every exit of the tests accepts.

namespace warden::testing {

inline constexpr char kUser[] = "nimbra";
inline constexpr char kKey[] = "open-sesame";

} // namespace warden::testing
