#pragma once

// The handshake: the program's query of /update1.php checked, and the service's answer to
// it. The answer is NAME=VALUE lines ending in CR LF, from B=1 to E=1; the program takes
// an answer without those markers as no answer at all.

#include "tools/nimbra-service/ServiceConfig.h"

#include <string>
#include <string_view>

namespace nimbra_service {

// The answer to `query`, the request's text after '?' exactly as it came (the program
// does not percent-encode it). A query that is not the program's gets one line
// "Error=bad request: FIELD" naming the first field at fault, and no markers.
std::string handshakeAnswer(const ServiceConfig& config, std::string_view query);

} // namespace nimbra_service
