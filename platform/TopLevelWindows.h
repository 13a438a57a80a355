#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace platform {

// The desktop's top-level windows.
class TopLevelWindows
{
public:
    struct Window
    {
        std::uint64_t handle = 0;
        std::string title;
    };

    virtual ~TopLevelWindows() = default;

    // The top-level windows in Z order, topmost first, at most `limit` of them; none
    // where there is no desktop to ask.
    virtual std::vector<Window> inZOrder(std::size_t limit) const = 0;
};

} // namespace platform
