#include "platform/windows/WindowsTopLevelWindows.h"

#include "UnderWine.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>
#include <type_traits>

using namespace platform;

namespace {

using Window = std::unique_ptr<std::remove_pointer_t<HWND>, decltype(&DestroyWindow)>;

// A hidden top-level window of the test's own; hidden windows are in the Z order too.
Window createWindow(const std::string& title)
{
    return Window(CreateWindowExA(0, "STATIC", title.c_str(), WS_OVERLAPPEDWINDOW, 0, 0, 100, 100, nullptr,
                                  nullptr, nullptr, nullptr),
                  &DestroyWindow);
}

std::string titleOf(const std::vector<TopLevelWindows::Window>& windows, HWND window)
{
    const auto found = std::find_if(windows.begin(), windows.end(), [window](const auto& w) {
        return w.handle == reinterpret_cast<std::uintptr_t>(window);
    });
    return found == windows.end() ? "(not found)" : found->title;
}

} // namespace

TEST(WindowsTopLevelWindows, FindsTheTestsOwnWindowsWithTheirTitles)
{
    const std::string title =
        "Nimbra test " + std::to_string(GetCurrentProcessId()) + "-" + std::to_string(GetTickCount64());
    const Window window = createWindow(title);
    const Window longWindow = createWindow(title + std::string(300, 'x'));
    if (!window && underWine()) {
        // Wine makes windows only with a display driver: X11 where there is a display, else
        // the null driver, chosen in the prefix with HKCU\Software\Wine\Drivers
        // "Graphics"="null".
        GTEST_SKIP() << "wine has no display driver in this prefix";
    }
    ASSERT_TRUE(window && longWindow);

    WindowsTopLevelWindows windows;
    const auto all = windows.inZOrder(1001);
    EXPECT_EQ(titleOf(all, window.get()), title);
    // Titles are read up to 255 characters.
    EXPECT_EQ(titleOf(all, longWindow.get()), (title + std::string(300, 'x')).substr(0, 255));
    // The walk stops at the limit.
    EXPECT_TRUE(windows.inZOrder(0).empty());
    EXPECT_EQ(windows.inZOrder(1).size(), 1u);
}
