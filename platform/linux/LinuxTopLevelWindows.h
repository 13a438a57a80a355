#pragma once

#include "platform/TopLevelWindows.h"

namespace platform {

// The X11 windows of the display in $DISPLAY: the window manager's client list in
// stacking order where it keeps one, else the root window's children; titles from
// _NET_WM_NAME, else WM_NAME. None without a display.
class LinuxTopLevelWindows : public TopLevelWindows
{
public:
    std::vector<Window> inZOrder(std::size_t limit) const override;
};

} // namespace platform
