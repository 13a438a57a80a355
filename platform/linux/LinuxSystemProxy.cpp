#include "platform/linux/LinuxSystemProxy.h"

#include "platform/Files.h"
#include "platform/IniText.h"
#include "platform/linux/XdgPaths.h"

#include <gio/gio.h>

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <optional>
#include <string_view>
#include <system_error>
#include <utility>

namespace platform {

namespace {

constexpr const char* kGnomeProxySchema = "org.gnome.system.proxy";
constexpr const char* kKdeGroup = "Proxy Settings";
// kioslaverc holds a few KiB; a damaged one is not read beyond this.
constexpr std::size_t kMaxKioslavercSize = 1024 * 1024;

// The per-scheme children of the GNOME schema, and the keys of KDE's group, that name a
// proxy of their own for one kind of address.
constexpr const char* kGnomeSchemes[] = {"http", "https", "ftp"};
constexpr const char* kKdeSchemeKeys[] = {"httpProxy", "httpsProxy", "ftpProxy"};

// Every GNOME key the program writes: the name userSettings gives it, the child of the
// schema it is in (none for the schema itself), the key.
struct GnomeKey
{
    const char* name;
    const char* child;
    const char* key;
};
constexpr GnomeKey kGnomeKeys[] = {
    {"gnome:mode", nullptr, "mode"},       {"gnome:ignore-hosts", nullptr, "ignore-hosts"},
    {"gnome:socks.host", "socks", "host"}, {"gnome:socks.port", "socks", "port"},
    {"gnome:http", "http", "host"},        {"gnome:https", "https", "host"},
    {"gnome:ftp", "ftp", "host"},
};
// Every key of KDE's group the program writes, with what the key means when it is missing.
constexpr std::pair<const char*, const char*> kKdeKeys[] = {
    {"ProxyType", "0"}, {"socksProxy", ""}, {"NoProxyFor", ""},
    {"httpProxy", ""},  {"httpsProxy", ""}, {"ftpProxy", ""},
};
constexpr std::string_view kKdePrefix = "kde:";

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

std::string gnomeString(GSettings* settings, const char* key)
{
    gchar* value = g_settings_get_string(settings, key);
    std::string text = value ? value : "";
    g_free(value);
    return text;
}

// The settings object a key is in: the schema itself or one of its children; a reference
// of its own either way.
GSettings* gnomeOwner(GSettings* schema, const GnomeKey& key)
{
    return key.child ? g_settings_get_child(schema, key.child) : G_SETTINGS(g_object_ref(schema));
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
    std::vector<GSettings*> schemes;
    if (proxy.manual) {
        // Browsers take an HTTP, HTTPS or FTP proxy before the SOCKS one: none may be left set.
        for (const char* scheme : kGnomeSchemes) {
            GSettings* child = g_settings_get_child(settings, scheme);
            g_settings_delay(child);
            if (!gnomeString(child, "host").empty()) {
                g_settings_set_string(child, "host", "");
            }
            schemes.push_back(child);
        }
    }
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
    for (GSettings* child : schemes) {
        g_settings_apply(child);
        g_object_unref(child);
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

// kioslaverc as it is on disk. Nothing when there is no configuration folder, or the file
// is there but is no small regular file that can be read: it is then neither taken as
// empty nor written over.
struct Kioslaverc
{
    std::string path;
    bool exists = false;
    std::string text;
};
std::optional<Kioslaverc> readKioslaverc()
{
    const std::string configHome = xdgConfigHome();
    if (configHome.empty()) {
        return std::nullopt;
    }
    Kioslaverc file{configHome + "/kioslaverc", false, ""};
    std::error_code failed;
    file.exists = std::filesystem::exists(file.path, failed);
    if (failed) {
        return std::nullopt;
    }
    if (!file.exists) {
        return file;
    }
    // A file too big to be KDE's is not rewritten from a part of it.
    std::optional<FileHead> head = readFileHead(file.path, kMaxKioslavercSize);
    if (!head || head->cut) {
        return std::nullopt;
    }
    file.text = std::move(head->text);
    return file;
}

bool writeKioslaverc(const Kioslaverc& file, const std::string& text)
{
    if (!file.exists) {
        ensuredXdgConfigHome();
    }
    return replaceFile(file.path, text);
}

// kioslaverc is written directly, as KDE's own dialog writes it, so no KDE tool is needed
// (and none that exists only in one Plasma version).
bool writeKde(const DesktopProxy& proxy)
{
    const std::optional<Kioslaverc> file = readKioslaverc();
    if (!file || (!file->exists && !inKdeSession())) {
        return false;
    }
    return writeKioslaverc(*file, kioslavercWith(file->text, proxy));
}

// The GNOME keys named in `settings` set to their values; true when there were none.
bool restoreGnome(const std::map<std::string, std::string>& settings)
{
    const bool named = std::any_of(std::begin(kGnomeKeys), std::end(kGnomeKeys),
                                   [&settings](const GnomeKey& key) { return settings.count(key.name) > 0; });
    if (!named) {
        return true;
    }
    if (!gnomeSchemaInstalled()) {
        return false;
    }
    bool written = true;
    GSettings* schema = g_settings_new(kGnomeProxySchema);
    std::vector<GSettings*> owners;
    for (const GnomeKey& key : kGnomeKeys) {
        const auto value = settings.find(key.name);
        if (value == settings.end()) {
            continue;
        }
        GSettings* owner = gnomeOwner(schema, key);
        // All keys reach the backend together, as when the proxy is switched.
        g_settings_delay(owner);
        GVariant* current = g_settings_get_value(owner, key.key);
        GVariant* restored = g_variant_is_of_type(current, G_VARIANT_TYPE_STRING)
                                 ? g_variant_new_string(value->second.c_str())
                                 : g_variant_parse(g_variant_get_type(current), value->second.c_str(),
                                                   nullptr, nullptr, nullptr);
        g_variant_unref(current);
        if (restored == nullptr) {
            written = false; // no value this key can take
        } else {
            g_variant_take_ref(restored);
            written = g_settings_set_value(owner, key.key, restored) && written;
            g_variant_unref(restored);
        }
        owners.push_back(owner);
    }
    for (GSettings* owner : owners) {
        g_settings_apply(owner);
        g_object_unref(owner);
    }
    g_object_unref(schema);
    g_settings_sync();
    return written;
}

// The KDE keys named in `settings` set to their values; true when there were none.
bool restoreKde(const std::map<std::string, std::string>& settings)
{
    const bool named = std::any_of(std::begin(kKdeKeys), std::end(kKdeKeys), [&settings](const auto& key) {
        return settings.count(std::string(kKdePrefix) + key.first) > 0;
    });
    if (!named) {
        return true;
    }
    const std::optional<Kioslaverc> file = readKioslaverc();
    if (!file) {
        return false;
    }
    IniText ini(file->text);
    // A key that already means what it meant is left alone, missing ones included.
    std::vector<std::pair<std::string, std::string>> changed;
    for (const auto& [key, missing] : kKdeKeys) {
        const auto value = settings.find(std::string(kKdePrefix) + key);
        if (value != settings.end() && ini.value(kKdeGroup, key).value_or(missing) != value->second) {
            changed.emplace_back(key, value->second);
        }
    }
    ini.setValues(kKdeGroup, changed);
    return changed.empty() || writeKioslaverc(*file, ini.text());
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
    if (proxy.manual) {
        // As GNOME's: a proxy of the scheme's own would be taken before the SOCKS one.
        for (const char* key : kKdeSchemeKeys) {
            const std::optional<std::string> set = ini.value(kKdeGroup, key);
            if (set && !set->empty()) {
                values.emplace_back(key, "");
            }
        }
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

std::map<std::string, std::string> LinuxSystemProxy::userSettings()
{
    std::map<std::string, std::string> settings;
    if (gnomeSchemaInstalled()) {
        GSettings* schema = g_settings_new(kGnomeProxySchema);
        for (const GnomeKey& key : kGnomeKeys) {
            GSettings* owner = gnomeOwner(schema, key);
            GVariant* value = g_settings_get_value(owner, key.key);
            // Strings as they are; anything else (a port, a list) in GVariant's text form.
            if (g_variant_is_of_type(value, G_VARIANT_TYPE_STRING)) {
                settings[key.name] = g_variant_get_string(value, nullptr);
            } else {
                gchar* text = g_variant_print(value, FALSE);
                settings[key.name] = text;
                g_free(text);
            }
            g_variant_unref(value);
            g_object_unref(owner);
        }
        g_object_unref(schema);
    }
    // kioslaverc only where the program would write it, and only when it can be read.
    const std::optional<Kioslaverc> file = readKioslaverc();
    if (file && (file->exists || inKdeSession())) {
        const IniText ini(file->text);
        for (const auto& [key, missing] : kKdeKeys) {
            settings[std::string(kKdePrefix) + key] = ini.value(kKdeGroup, key).value_or(missing);
        }
    }
    return settings;
}

bool LinuxSystemProxy::restoreSettings(const std::map<std::string, std::string>& settings)
{
    const bool gnome = restoreGnome(settings);
    const bool kde = restoreKde(settings);
    return gnome && kde;
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
