#pragma once

// Program version numbers as the handshake carries them: groups of decimal digits joined
// by single dots, such as "1.3369".

#include <string_view>

namespace nimbra_service {

bool isVersionNumber(std::string_view text);

// Below zero, zero or above zero as `a` is older than, the same as or newer than `b`.
// Groups compare as numbers of any length, a missing group as 0: "1.5" < "1.10" and
// "1.33" == "1.33.0". Both must be version numbers.
int compareVersions(std::string_view a, std::string_view b);

} // namespace nimbra_service
