#include "platform/linux/LinuxTopLevelWindows.h"

#include "platform/linux/XdgPaths.h"

#include <xcb/xcb.h>
#include <xcb/xcb_ewmh.h>

#include <algorithm>
#include <cstdlib>
#include <memory>

namespace platform {

namespace {

template <typename T> using Reply = std::unique_ptr<T, decltype(&std::free)>;

// The windows a window manager keeps in _NET_CLIENT_LIST_STACKING (bottom first), or the
// root's children (bottom first too) where no manager keeps that list.
std::vector<xcb_window_t> windowsBottomFirst(xcb_connection_t* connection, xcb_ewmh_connection_t& ewmh,
                                             xcb_window_t root)
{
    xcb_ewmh_get_windows_reply_t clients{};
    if (xcb_ewmh_get_client_list_stacking_reply(&ewmh, xcb_ewmh_get_client_list_stacking(&ewmh, 0), &clients,
                                                nullptr)) {
        std::vector<xcb_window_t> windows(clients.windows, clients.windows + clients.windows_len);
        xcb_ewmh_get_windows_reply_wipe(&clients);
        return windows;
    }
    Reply<xcb_query_tree_reply_t> tree(
        xcb_query_tree_reply(connection, xcb_query_tree(connection, root), nullptr), &std::free);
    if (!tree) {
        return {};
    }
    const xcb_window_t* children = xcb_query_tree_children(tree.get());
    return {children, children + xcb_query_tree_children_length(tree.get())};
}

std::string propertyText(xcb_get_property_reply_t* reply)
{
    if (reply == nullptr || reply->format != 8) {
        return "";
    }
    const auto* text = static_cast<const char*>(xcb_get_property_value(reply));
    return {text, static_cast<std::size_t>(xcb_get_property_value_length(reply))};
}

} // namespace

std::vector<TopLevelWindows::Window> LinuxTopLevelWindows::inZOrder(std::size_t limit) const
{
    if (environmentValue("DISPLAY").empty()) {
        return {};
    }
    int screenNumber = 0;
    xcb_connection_t* connection = xcb_connect(nullptr, &screenNumber);
    if (xcb_connection_has_error(connection)) {
        xcb_disconnect(connection);
        return {};
    }
    xcb_ewmh_connection_t ewmh{};
    std::vector<Window> windows;
    if (xcb_ewmh_init_atoms_replies(&ewmh, xcb_ewmh_init_atoms(connection, &ewmh), nullptr)) {
        const xcb_window_t root = ewmh.screens[screenNumber]->root;
        std::vector<xcb_window_t> found = windowsBottomFirst(connection, ewmh, root);
        std::reverse(found.begin(), found.end());
        found.resize(std::min(found.size(), limit));
        // All titles are asked for at once: one round trip instead of one per window.
        std::vector<xcb_get_property_cookie_t> netNames;
        std::vector<xcb_get_property_cookie_t> names;
        for (const xcb_window_t window : found) {
            netNames.push_back(
                xcb_get_property(connection, 0, window, ewmh._NET_WM_NAME, ewmh.UTF8_STRING, 0, 256));
            names.push_back(
                xcb_get_property(connection, 0, window, XCB_ATOM_WM_NAME, XCB_GET_PROPERTY_TYPE_ANY, 0, 256));
        }
        for (std::size_t i = 0; i < found.size(); ++i) {
            Reply<xcb_get_property_reply_t> netName(xcb_get_property_reply(connection, netNames[i], nullptr),
                                                    &std::free);
            Reply<xcb_get_property_reply_t> name(xcb_get_property_reply(connection, names[i], nullptr),
                                                 &std::free);
            std::string title = propertyText(netName.get());
            windows.push_back({found[i], title.empty() ? propertyText(name.get()) : title});
        }
        xcb_ewmh_connection_wipe(&ewmh);
    }
    xcb_disconnect(connection);
    return windows;
}

} // namespace platform
