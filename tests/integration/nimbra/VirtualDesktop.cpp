#include "VirtualDesktop.h"

#include <filesystem>
#include <regex>
#include <sstream>
#include <stdexcept>
#include <thread>

using namespace std::chrono_literals;
using warden::testing::ChildProcess;

namespace {

using Clock = std::chrono::steady_clock;

template <typename Condition> bool waitUntil(const Condition& condition, double seconds)
{
    const auto deadline = Clock::now() + std::chrono::milliseconds(static_cast<long>(seconds * 1000));
    while (!condition()) {
        if (Clock::now() >= deadline) {
            return false;
        }
        std::this_thread::sleep_for(50ms);
    }
    return true;
}

} // namespace

VirtualDesktop::VirtualDesktop()
{
    // The first display number from 120 that no server holds.
    int number = 120;
    while (std::filesystem::exists("/tmp/.X11-unix/X" + std::to_string(number)) ||
           std::filesystem::exists("/tmp/.X" + std::to_string(number) + "-lock")) {
        ++number;
    }
    m_display = ":" + std::to_string(number);
    m_xvfb = std::make_unique<ChildProcess>(
        std::vector<std::string>{"Xvfb", m_display, "-screen", "0", "1024x768x24", "-nolisten", "tcp"},
        false);
    if (!waitUntil([&] { return std::filesystem::exists("/tmp/.X11-unix/X" + std::to_string(number)); },
                   20)) {
        throw std::runtime_error("Xvfb did not start on " + m_display);
    }
    m_trayer = std::make_unique<ChildProcess>(
        std::vector<std::string>{"env", "DISPLAY=" + m_display, "trayer", "--edge", "bottom", "--align",
                                 "right", "--widthtype", "request", "--height", "24"},
        false);
    if (!waitForWindow("panel", 20)) {
        throw std::runtime_error("trayer did not start on " + m_display);
    }
}

VirtualDesktop::~VirtualDesktop()
{
    m_trayer.reset();
    m_xvfb.reset();
}

std::string VirtualDesktop::run(std::vector<std::string> argv) const
{
    argv.insert(argv.begin(), {"env", "DISPLAY=" + m_display});
    ChildProcess tool(argv);
    std::string output;
    while (const auto line = tool.readLine(10s)) {
        output += *line + "\n";
    }
    tool.waitExit(10s);
    return output;
}

std::vector<VirtualDesktop::Window> VirtualDesktop::windows(const std::string& title) const
{
    // 0x400049 "Select IP": ("nimbra" "Nimbra")  342x298+341+235  +341+235
    static const std::regex child(R"re(^\s*(0x[0-9a-f]+) "(.*)": .* (\d+)x(\d+)\+(-?\d+)\+(-?\d+)\s+\S+$)re");
    std::vector<Window> found;
    std::istringstream listing(run({"xwininfo", "-root", "-children"}));
    for (std::string line; std::getline(listing, line);) {
        std::smatch match;
        if (!std::regex_match(line, match, child) || match[2] != title) {
            continue;
        }
        if (run({"xwininfo", "-id", match[1]}).find("Map State: IsViewable") == std::string::npos) {
            continue;
        }
        found.push_back({match[1], match[2], std::stoi(match[5]), std::stoi(match[6]), std::stoi(match[3]),
                         std::stoi(match[4])});
    }
    return found;
}

std::optional<VirtualDesktop::Window> VirtualDesktop::waitForWindow(const std::string& title,
                                                                    double seconds) const
{
    std::optional<Window> found;
    waitUntil(
        [&] {
            const std::vector<Window> shown = windows(title);
            if (!shown.empty()) {
                found = shown.front();
            }
            return found.has_value();
        },
        seconds);
    return found;
}

bool VirtualDesktop::waitUntilGone(const std::string& title, double seconds) const
{
    return waitUntil([&] { return windows(title).empty(); }, seconds);
}

void VirtualDesktop::click(int x, int y, int button) const
{
    run({"xdotool", "mousemove", std::to_string(x), std::to_string(y), "click", std::to_string(button)});
}

void VirtualDesktop::pressKeys(const Window& window, const std::vector<std::string>& keys) const
{
    run({"xdotool", "windowfocus", "--sync", window.id});
    // A command of its own, so the keys name no window and all go through the test extension.
    std::vector<std::string> argv = {"xdotool", "key"};
    argv.insert(argv.end(), keys.begin(), keys.end());
    run(argv);
}

bool VirtualDesktop::chooseTrayMenuItem(int index, int itemCount) const
{
    // The notification area holds the one icon, which fills it.
    const std::optional<Window> panel = waitForWindow("panel", 5);
    if (!panel) {
        return false;
    }
    const std::string x = std::to_string(panel->x + panel->width / 2);
    const std::string y = std::to_string(panel->y + panel->height / 2);
    // The pop-up menu is the tall window of the program's title; a frame of a few pixels
    // surrounds rows of one height. A click the icon missed (it may arrive while the
    // program is busy) is given again.
    std::optional<Window> menu;
    for (int attempt = 0; attempt < 3 && !menu; ++attempt) {
        // The pointer rests on the icon before the click: the menu opens where the program
        // last saw it, and a release over an item of a menu opened elsewhere would choose it.
        run({"xdotool", "mousemove", x, y, "sleep", "0.3", "click", "3"});
        waitUntil(
            [&] {
                for (const Window& shown : windows("Nimbra")) {
                    if (shown.height > 20 * itemCount && shown.width < 300) {
                        menu = shown;
                    }
                }
                return menu.has_value();
            },
            5);
    }
    if (!menu) {
        return false;
    }
    const int row = menu->height / itemCount;
    click(menu->x + menu->width / 2, menu->y + (menu->height - row * itemCount) / 2 + row * index + row / 2);
    return true;
}

void VirtualDesktop::screenshot(const std::string& path) const
{
    run({"import", "-window", "root", path});
}
