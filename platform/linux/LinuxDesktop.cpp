#include "platform/linux/LinuxDesktop.h"

#include <csignal>
#include <filesystem>
#include <gio/gio.h>
#include <spawn.h>
#include <sys/stat.h>
#include <system_error>
#include <unistd.h>

extern char** environ;

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

bool LinuxDesktop::startProgram(const std::string& path)
{
    // Runnable, and writable, by its owner alone: nobody else may run it or swap it.
    if (::chmod(path.c_str(), S_IRWXU) != 0) {
        return false;
    }
    // A session of its own, so it outlives this program and its terminal; no signal this
    // program blocks or ignores (the termination request, a library's SIGPIPE) stays so.
    posix_spawnattr_t attributes;
    posix_spawnattr_init(&attributes);
    sigset_t none;
    sigset_t all;
    sigemptyset(&none);
    sigfillset(&all);
    posix_spawnattr_setsigmask(&attributes, &none);
    posix_spawnattr_setsigdefault(&attributes, &all);
    posix_spawnattr_setflags(&attributes,
                             POSIX_SPAWN_SETSID | POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF);
    // Standard input, output and error only: no socket, lock or file of this program.
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addclosefrom_np(&actions, STDERR_FILENO + 1);
    char* argv[] = {const_cast<char*>(path.c_str()), nullptr};
    pid_t pid = -1;
    const int failed = posix_spawn(&pid, path.c_str(), &actions, &attributes, argv, environ);
    posix_spawn_file_actions_destroy(&actions);
    posix_spawnattr_destroy(&attributes);
    // Not waited for: this program ends right after, and the system adopts the child.
    return failed == 0;
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
