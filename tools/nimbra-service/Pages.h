#pragma once

// The web pages the program links to: the home page, the firewall advice and the contact
// page. Small, static and in UTF-8.

#include <optional>
#include <string_view>

namespace nimbra_service {

// The HTML page at `path` (without a query), or nothing when there is none.
std::optional<std::string_view> pageAt(std::string_view path);

} // namespace nimbra_service
