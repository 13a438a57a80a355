#include "platform/linux/LinuxSystemProxy.h"

#include "platform/Files.h"
#include "platform/IniText.h"
#include "platform/linux/XdgPaths.h"

#include <gio/gio.h>

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <fstream>
#include <system_error>

namespace platform {

namespace {

constexpr const char* kGnomeProxySchema = "org.gnome.system.proxy";
constexpr const char* kKdeGroup = "Proxy Settings";
// kioslaverc holds a few KiB; a damaged one is not read beyond this.
constexpr std::size_t kMaxKioslavercSize = 1024 * 1024;

bool gnomeSchemaInstalled()
{
    GSettingsSchemaSource* source = g_settings_schema_source_get_default();
    GSettingsSchema* schema =
        source ? g_settings_schema_source_lookup(source, kGnomeProxySchema, TRUE) : nullptr;
    if (schema == nullptr) {
        return false;
    }
    g_settings_schema_unref(schema);
    return true;
}

// GSettings aborts the program on a schema it does not know, so it is asked first.
bool writeGnome(const DesktopProxy& proxy)
{
    if (!gnomeSchemaInstalled()) {
        return false;
    }
    GSettings* settings = g_settings_new(kGnomeProxySchema);
    GSettings* socks = g_settings_get_child(settings, "socks");
    // All keys reach the backend together, so a reader never sees half a change.
    g_settings_delay(settings);
    g_settings_delay(socks);
    g_settings_set_string(settings, "mode", proxy.manual ? "manual" : "none");
    if (proxy.manual) {
        g_settings_set_string(socks, "host", proxy.socksHost.c_str());
        g_settings_set_int(socks, "port", proxy.socksPort);
    }
    if (proxy.ignoreHosts) {
        std::vector<const char*> hosts;
        for (const std::string& host : *proxy.ignoreHosts) {
            hosts.push_back(host.c_str());
        }
        hosts.push_back(nullptr);
        g_settings_set_strv(settings, "ignore-hosts", hosts.data());
    }
    g_settings_apply(socks);
    g_settings_apply(settings);
    g_object_unref(socks);
    g_object_unref(settings);
    return true;
}

bool inKdeSession()
{
    std::string desktops = environmentValue("XDG_CURRENT_DESKTOP");
    std::transform(desktops.begin(), desktops.end(), desktops.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    desktops = ":" + desktops + ":";
    return desktops.find(":kde:") != std::string::npos;
}

// kioslaverc is written directly, as KDE's own dialog writes it, so no KDE tool is needed
// (and none that exists only in one Plasma version).
bool writeKde(const DesktopProxy& proxy)
{
    const std::string configHome = xdgConfigHome();
    if (configHome.empty()) {
        return false;
    }
    const std::string path = configHome + "/kioslaverc";
    std::error_code failed;
    const bool exists = std::filesystem::exists(path, failed);
    if (!exists && !inKdeSession()) {
        return false;
    }
    std::string text;
    if (exists) {
        if (!std::filesystem::is_regular_file(path, failed)) {
            return false;
        }
        std::ifstream in(path, std::ios::binary);
        text.resize(kMaxKioslavercSize);
        in.read(text.data(), static_cast<std::streamsize>(text.size()));
        if (in.gcount() == static_cast<std::streamsize>(text.size())) {
            return false; // too big to be KDE's: not rewritten from a part of it
        }
        text.resize(static_cast<std::size_t>(in.gcount()));
    } else {
        ensuredXdgConfigHome();
    }
    return replaceFile(path, kioslavercWith(text, proxy));
}

bool sessionBusAvailable()
{
    // Without a bus, GLib would try to start one; a session that has none needs no signal.
    if (!environmentValue("DBUS_SESSION_BUS_ADDRESS").empty()) {
        return true;
    }
    const std::string runtime = environmentValue("XDG_RUNTIME_DIR");
    std::error_code failed;
    return !runtime.empty() && std::filesystem::is_socket(runtime + "/bus", failed);
}

} // namespace

DesktopProxy desktopProxy(const SystemProxy::Options& options)
{
    DesktopProxy proxy;
    proxy.manual = options.flags == SystemProxy::kThroughProxy;
    const std::string prefix = "socks=";
    const std::string address =
        options.server.rfind(prefix, 0) == 0 ? options.server.substr(prefix.size()) : "";
    const std::size_t colon = address.rfind(':');
    proxy.socksHost = address.substr(0, colon);
    if (colon != std::string::npos) {
        const std::string port = address.substr(colon + 1);
        if (!port.empty() && port.size() <= 5 &&
            std::all_of(port.begin(), port.end(), [](char c) { return c >= '0' && c <= '9'; }) &&
            std::stoi(port) <= 65535) {
            proxy.socksPort = std::stoi(port);
        }
    }
    if (options.bypass) {
        proxy.ignoreHosts.emplace();
        std::size_t start = 0;
        while (start <= options.bypass->size()) {
            const std::size_t comma = std::min(options.bypass->find(',', start), options.bypass->size());
            if (comma > start) {
                proxy.ignoreHosts->push_back(options.bypass->substr(start, comma - start));
            }
            start = comma + 1;
        }
    }
    return proxy;
}

std::string kioslavercWith(const std::string& text, const DesktopProxy& proxy)
{
    IniText ini(text);
    std::vector<std::pair<std::string, std::string>> values = {{"ProxyType", proxy.manual ? "1" : "0"}};
    if (proxy.manual) {
        values.emplace_back("socksProxy",
                            "socks://" + proxy.socksHost + " " + std::to_string(proxy.socksPort));
    }
    if (proxy.ignoreHosts) {
        std::string list;
        for (const std::string& host : *proxy.ignoreHosts) {
            list += (list.empty() ? "" : ",") + host;
        }
        values.emplace_back("NoProxyFor", list);
    }
    ini.setValues(kKdeGroup, values);
    return ini.text();
}

std::optional<std::vector<std::string>> LinuxSystemProxy::activeDialUpConnections()
{
    return std::vector<std::string>{};
}

bool LinuxSystemProxy::setOptions(const std::optional<std::string>& connection, const Options& options)
{
    if (connection) {
        return false; // there are none on this system
    }
    const DesktopProxy proxy = desktopProxy(options);
    const bool gnome = writeGnome(proxy);
    const bool kde = writeKde(proxy);
    return gnome || kde;
}

void LinuxSystemProxy::notifyRefresh()
{
    // Writes still queued in GSettings reach the backend (and so the other programs) now.
    g_settings_sync();
}

void LinuxSystemProxy::notifySettingsChanged()
{
    if (!sessionBusAvailable()) {
        return;
    }
    GDBusConnection* bus = g_bus_get_sync(G_BUS_TYPE_SESSION, nullptr, nullptr);
    if (bus == nullptr) {
        return;
    }
    // KDE's programs read kioslaverc again when told so on the session bus.
    g_dbus_connection_emit_signal(bus, nullptr, "/KIO/Scheduler", "org.kde.KIO.Scheduler",
                                  "reparseSlaveConfiguration", g_variant_new("(s)", ""), nullptr);
    g_dbus_connection_flush_sync(bus, nullptr, nullptr);
    g_object_unref(bus);
}

} // namespace platform
