#pragma once

#include "support/ChildProcess.h"

#include <memory>
#include <optional>
#include <string>
#include <vector>

// A display of the test's own (Xvfb) with a notification area (trayer) at its bottom
// right, and the user's hand on it: windows found by title, clicks and keys sent with
// xdotool. There is no window manager, so every top-level window sits where its program put
// it and the root's children are the windows the user sees.
class VirtualDesktop
{
public:
    struct Window
    {
        std::string id;
        std::string title;
        int x = 0;
        int y = 0;
        int width = 0;
        int height = 0;
    };

    VirtualDesktop();
    ~VirtualDesktop();
    VirtualDesktop(const VirtualDesktop&) = delete;
    VirtualDesktop& operator=(const VirtualDesktop&) = delete;

    // ":N", for the DISPLAY of the programs under test.
    const std::string& display() const { return m_display; }

    // The shown top-level windows with exactly this title, top of the stack first.
    std::vector<Window> windows(const std::string& title) const;
    // The first shown window with this title within `seconds`.
    std::optional<Window> waitForWindow(const std::string& title, double seconds) const;
    bool waitUntilGone(const std::string& title, double seconds) const;

    void click(int x, int y, int button = 1) const;
    // Gives `window` the keyboard focus and presses `keys` in turn (xdotool's names:
    // "Return", "shift+Tab", "alt+r"). The keys come from the X server's test extension, so
    // a window that goes at a key's press leaves no key held down.
    void pressKeys(const Window& window, const std::vector<std::string>& keys) const;
    // Opens the tray icon's menu with a right click and clicks its item `index` (from 0,
    // counting only the items shown).
    bool chooseTrayMenuItem(int index, int itemCount) const;
    void screenshot(const std::string& path) const;

private:
    std::string run(std::vector<std::string> argv) const;

    std::string m_display;
    std::unique_ptr<warden::testing::ChildProcess> m_xvfb;
    std::unique_ptr<warden::testing::ChildProcess> m_trayer;
};
