#pragma once

#include <string>

namespace platform {

// Takes the per-user single-instance lock `name` and holds it until the process ends.
// Returns false when another process already holds it.
bool acquireSingleInstance(const std::string& name);

} // namespace platform
