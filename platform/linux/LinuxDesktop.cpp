#include "platform/linux/LinuxDesktop.h"

#include <filesystem>
#include <gio/gio.h>
#include <system_error>

namespace platform {

std::string LinuxDesktop::defaultBrowserCommand() const
{
    GAppInfo* browser = g_app_info_get_default_for_uri_scheme("http");
    if (!browser) {
        return "";
    }
    const char* commandLine = g_app_info_get_commandline(browser);
    std::string command = commandLine ? commandLine : "";
    g_object_unref(browser);
    return command;
}

void LinuxDesktop::shellOpen(const std::string& target)
{
    const std::string uri = uriForTarget(target);
    if (uri.empty()) {
        return;
    }
    // Like the other launches, a failure is not reported: there is nobody to tell.
    GError* error = nullptr;
    g_app_info_launch_default_for_uri(uri.c_str(), nullptr, &error);
    g_clear_error(&error);
}

void LinuxDesktop::shellOpenWith(const std::string& program, const std::string& argument)
{
    // No shell: the argument reaches the program as it is. Without
    // G_SPAWN_DO_NOT_REAP_CHILD GLib starts the program through an intermediate child
    // that it reaps at once, so the program is detached and leaves no zombie.
    gchar* argv[] = {const_cast<gchar*>(program.c_str()), const_cast<gchar*>(argument.c_str()), nullptr};
    GError* error = nullptr;
    g_spawn_async(nullptr, argv, nullptr, G_SPAWN_SEARCH_PATH, nullptr, nullptr, nullptr, &error);
    g_clear_error(&error);
}

std::string uriForTarget(const std::string& target)
{
    if (target.empty()) {
        return "";
    }
    if (g_uri_peek_scheme(target.c_str())) {
        return target;
    }
    std::error_code failed;
    const std::filesystem::path absolute = std::filesystem::absolute(target, failed);
    if (failed) {
        return "";
    }
    gchar* uri = g_filename_to_uri(absolute.c_str(), nullptr, nullptr);
    if (!uri) {
        return "";
    }
    std::string result = uri;
    g_free(uri);
    return result;
}

} // namespace platform
