#pragma once

#include <array>
#include <string>

namespace platform {

// The system's own message-box button captions, accelerator ampersands included, in the
// order of their string ids 800 to 806: OK, Cancel, Abort, Retry, Ignore, Yes, No. A caption
// the system cannot supply is empty.
std::array<std::string, 7> messageBoxButtonCaptions();

} // namespace platform
