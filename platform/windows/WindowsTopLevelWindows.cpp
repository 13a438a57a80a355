#include "platform/windows/WindowsTopLevelWindows.h"

#include <windows.h>

namespace platform {

std::vector<TopLevelWindows::Window> WindowsTopLevelWindows::inZOrder(std::size_t limit) const
{
    std::vector<Window> windows;
    // No class and no title: the first top-level window in Z order.
    for (HWND window = limit > 0 ? FindWindowA(nullptr, nullptr) : nullptr;
         window != nullptr && windows.size() < limit; window = GetWindow(window, GW_HWNDNEXT)) {
        char title[256] = {};
        const int length = GetWindowTextA(window, title, sizeof(title));
        windows.push_back({reinterpret_cast<std::uintptr_t>(window),
                           std::string(title, length > 0 ? static_cast<std::size_t>(length) : 0)});
    }
    return windows;
}

} // namespace platform
