#pragma once

#include "platform/Host.h"

namespace platform {

class WindowsClock : public Clock
{
public:
    DateTime localNow() const override;
    DateTime utcNow() const override;
};

} // namespace platform
