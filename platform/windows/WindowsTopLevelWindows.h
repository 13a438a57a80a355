#pragma once

#include "platform/TopLevelWindows.h"

namespace platform {

// The top-level windows of the desktop, from the topmost down the Z order (FindWindowA,
// GetWindow), with their titles cut at 255 characters.
class WindowsTopLevelWindows : public TopLevelWindows
{
public:
    std::vector<Window> inZOrder(std::size_t limit) const override;
};

} // namespace platform
