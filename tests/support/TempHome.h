#pragma once

#include "tests/support/ScopedEnv.h"
#include "tests/support/TempDir.h"

#include <optional>

// A user whose home is the empty folder <dir>/home (not made yet) and who has no
// XDG_CONFIG_HOME, for the life of the object.
struct TempHome
{
    TempDir dir;
    ScopedEnv home{"HOME", dir.file("home")};
    ScopedEnv configHome{"XDG_CONFIG_HOME", std::nullopt};
};
