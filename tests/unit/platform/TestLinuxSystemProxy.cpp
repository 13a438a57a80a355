// The desktop's proxy settings written for real: GSettings through GLib's keyfile backend
// in a configuration folder of the test's own, read back with the gsettings tool as
// another program would; KDE's kioslaverc read back as text.

#include "platform/linux/LinuxSystemProxy.h"

#include "tests/support/TempDir.h"

#include <glib.h>
#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <thread>

using namespace platform;

namespace {

TempDir* gHome = nullptr;

std::string configFile(const std::string& name)
{
    return gHome->file("config/" + name);
}

// What `gsettings get SCHEMA KEY` prints, without its line break.
std::string gsettingsGet(const std::string& schema, const std::string& key)
{
    const std::string command = "gsettings get " + schema + " " + key + " 2>&1";
    std::unique_ptr<FILE, int (*)(FILE*)> pipe(popen(command.c_str(), "r"), pclose);
    std::string output;
    char buffer[512];
    while (pipe && std::fgets(buffer, sizeof buffer, pipe.get())) {
        output += buffer;
    }
    while (!output.empty() && output.back() == '\n') {
        output.pop_back();
    }
    return output;
}

// Whether `condition` comes true within a few seconds while GLib's main context runs, as
// the program's event loop runs it: GSettings learns there of changes made by another
// program.
template <typename Condition> bool seenSoon(Condition condition)
{
    const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    while (!condition()) {
        if (std::chrono::steady_clock::now() > end) {
            return false;
        }
        while (g_main_context_iteration(nullptr, FALSE)) {
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return true;
}

const SystemProxy::Options kOn{SystemProxy::kThroughProxy, "socks=127.0.0.1:7070", "a.example,,<-loopback>,"};
const SystemProxy::Options kOff{SystemProxy::kDirect, "socks=", std::nullopt};

} // namespace

TEST(DesktopProxy, HostPortAndTheBypassItemsWithoutEmptyOnes)
{
    const DesktopProxy on = desktopProxy(kOn);
    EXPECT_TRUE(on.manual);
    EXPECT_EQ(on.socksHost, "127.0.0.1");
    EXPECT_EQ(on.socksPort, 7070);
    EXPECT_EQ(on.ignoreHosts, (std::vector<std::string>{"a.example", "<-loopback>"}));
    const DesktopProxy odd = desktopProxy({SystemProxy::kThroughProxy, "socks=h:99999", ""});
    EXPECT_EQ(odd.socksPort, 0);
    EXPECT_EQ(odd.ignoreHosts, std::vector<std::string>{});
    EXPECT_FALSE(desktopProxy(kOff).manual);
    EXPECT_EQ(desktopProxy(kOff).ignoreHosts, std::nullopt);
}

TEST(Kioslaverc, TheProxyGroupAsKdeWritesItEverythingElseKept)
{
    const std::string before = "[General]\nKeep=1\n\n[Proxy Settings]\nAuthMode=0\nProxyType=4\n"
                               "socksProxy=socks://old 1\n\n[Other]\nx=y\n";
    const std::string on = kioslavercWith(before, desktopProxy(kOn));
    EXPECT_EQ(on, "[General]\nKeep=1\n\n[Proxy Settings]\nAuthMode=0\nProxyType=1\n"
                  "socksProxy=socks://127.0.0.1 7070\nNoProxyFor=a.example,<-loopback>\n\n[Other]\nx=y\n");
    // Switching off touches the type alone.
    EXPECT_EQ(kioslavercWith(on, desktopProxy(kOff)),
              "[General]\nKeep=1\n\n[Proxy Settings]\nAuthMode=0\nProxyType=0\n"
              "socksProxy=socks://127.0.0.1 7070\nNoProxyFor=a.example,<-loopback>\n\n[Other]\nx=y\n");
}

TEST(Kioslaverc, SwitchingOnEmptiesTheSchemeProxiesThatAreSetOnly)
{
    const std::string before = "[Proxy Settings]\nProxyType=1\nhttpProxy=http://proxy.corp 3128\n"
                               "httpsProxy=\nftpProxy = ftp://f 21\n\n[Other]\nhttpProxy=keep\n";
    const std::string on = kioslavercWith(before, desktopProxy(kOn));
    // A missing or empty key is no proxy: it is not written.
    EXPECT_EQ(
        on,
        "[Proxy Settings]\nProxyType=1\nhttpProxy=\nhttpsProxy=\nftpProxy=\n"
        "socksProxy=socks://127.0.0.1 7070\nNoProxyFor=a.example,<-loopback>\n\n[Other]\nhttpProxy=keep\n");
    EXPECT_EQ(kioslavercWith(on, desktopProxy(kOn)), on);
    EXPECT_EQ(kioslavercWith(before, desktopProxy(kOff)),
              "[Proxy Settings]\nProxyType=0\nhttpProxy=http://proxy.corp 3128\n"
              "httpsProxy=\nftpProxy = ftp://f 21\n\n[Other]\nhttpProxy=keep\n");
}

TEST(LinuxSystemProxy, GnomeAndKdeSettingsAreWrittenAndReadBack)
{
    LinuxSystemProxy proxy;
    EXPECT_EQ(proxy.activeDialUpConnections(), std::vector<std::string>{});
    EXPECT_FALSE(proxy.setOptions("VPN", kOn)); // no such thing on this system

    ASSERT_TRUE(proxy.setOptions(std::nullopt, kOn));
    proxy.notifyRefresh();
    proxy.notifySettingsChanged();
    EXPECT_EQ(gsettingsGet("org.gnome.system.proxy", "mode"), "'manual'");
    EXPECT_EQ(gsettingsGet("org.gnome.system.proxy.socks", "host"), "'127.0.0.1'");
    EXPECT_EQ(gsettingsGet("org.gnome.system.proxy.socks", "port"), "7070");
    EXPECT_EQ(gsettingsGet("org.gnome.system.proxy", "ignore-hosts"), "['a.example', '<-loopback>']");
    EXPECT_NE(fileContent(configFile("kioslaverc")).find("ProxyType=1\n"), std::string::npos);

    // Off: direct; host, port and the list stay.
    ASSERT_TRUE(proxy.setOptions(std::nullopt, kOff));
    proxy.notifyRefresh();
    EXPECT_EQ(gsettingsGet("org.gnome.system.proxy", "mode"), "'none'");
    EXPECT_EQ(gsettingsGet("org.gnome.system.proxy.socks", "host"), "'127.0.0.1'");
    EXPECT_EQ(gsettingsGet("org.gnome.system.proxy", "ignore-hosts"), "['a.example', '<-loopback>']");
    EXPECT_NE(fileContent(configFile("kioslaverc")).find("ProxyType=0\n"), std::string::npos);
}

TEST(LinuxSystemProxy, WhatTheUserHadIsReadBeforeAndPutBackAsItWas)
{
    LinuxSystemProxy proxy;
    // The user's own configuration, set by another program: an automatic configuration,
    // an HTTP proxy for a scheme of its own, their own bypass list.
    ASSERT_EQ(
        std::system("gsettings set org.gnome.system.proxy mode 'auto' && "
                    "gsettings set org.gnome.system.proxy autoconfig-url 'http://wpad.corp/proxy.pac' && "
                    "gsettings set org.gnome.system.proxy ignore-hosts \"['intranet.corp', 'localhost']\" && "
                    "gsettings set org.gnome.system.proxy.socks host '' && "
                    "gsettings set org.gnome.system.proxy.socks port 0 && "
                    "gsettings set org.gnome.system.proxy.http host 'proxy.corp' && "
                    "gsettings set org.gnome.system.proxy.http port 3128 && "
                    "gsettings set org.gnome.system.proxy.https host 'secure.corp' && "
                    "gsettings set org.gnome.system.proxy.ftp host ''"),
        0);
    const std::string kioslaverc =
        "[Proxy Settings]\nProxyType=2\nProxy Config Script=http://wpad.corp/proxy.pac\n"
        "NoProxyFor=intranet.corp\nhttpProxy=http://proxy.corp 3128\n"
        "httpsProxy=\n\n[Other]\nftpProxy=keep\n";
    gHome->writeFile("config/kioslaverc", kioslaverc);
    const std::map<std::string, std::string> users = {
        {"gnome:mode", "auto"},
        {"gnome:ignore-hosts", "['intranet.corp', 'localhost']"},
        {"gnome:socks.host", ""},
        {"gnome:socks.port", "0"},
        {"gnome:http", "proxy.corp"},
        {"gnome:https", "secure.corp"},
        {"gnome:ftp", ""},
        {"kde:ProxyType", "2"},
        {"kde:socksProxy", ""},
        {"kde:NoProxyFor", "intranet.corp"},
        {"kde:httpProxy", "http://proxy.corp 3128"},
        {"kde:httpsProxy", ""},
        {"kde:ftpProxy", ""},
    };
    ASSERT_TRUE(seenSoon([&] { return proxy.userSettings() == users; }));

    // On: no per-scheme proxy is left to be taken before the SOCKS one.
    ASSERT_TRUE(proxy.setOptions(std::nullopt, kOn));
    proxy.notifyRefresh();
    EXPECT_EQ(gsettingsGet("org.gnome.system.proxy.http", "host"), "''");
    EXPECT_EQ(gsettingsGet("org.gnome.system.proxy.https", "host"), "''");
    EXPECT_EQ(gsettingsGet("org.gnome.system.proxy.http", "port"), "3128");
    EXPECT_EQ(gsettingsGet("org.gnome.system.proxy.socks", "host"), "'127.0.0.1'");
    EXPECT_EQ(gsettingsGet("org.gnome.system.proxy", "mode"), "'manual'");
    EXPECT_EQ(fileContent(configFile("kioslaverc")),
              "[Proxy Settings]\nProxyType=1\nProxy Config Script=http://wpad.corp/proxy.pac\n"
              "NoProxyFor=a.example,<-loopback>\nhttpProxy=\nhttpsProxy=\nsocksProxy=socks://127.0.0.1 7070\n"
              "\n[Other]\nftpProxy=keep\n");

    // Off, then everything as it was; names of no setting of ours are passed over.
    ASSERT_TRUE(proxy.setOptions(std::nullopt, kOff));
    std::map<std::string, std::string> restored = users;
    restored["gnome:socks"] = "x";
    restored["http"] = "x";
    EXPECT_TRUE(proxy.restoreSettings(restored));
    EXPECT_EQ(gsettingsGet("org.gnome.system.proxy", "mode"), "'auto'");
    EXPECT_EQ(gsettingsGet("org.gnome.system.proxy", "autoconfig-url"), "'http://wpad.corp/proxy.pac'");
    EXPECT_EQ(gsettingsGet("org.gnome.system.proxy", "ignore-hosts"), "['intranet.corp', 'localhost']");
    EXPECT_EQ(gsettingsGet("org.gnome.system.proxy.http", "host"), "'proxy.corp'");
    EXPECT_EQ(gsettingsGet("org.gnome.system.proxy.socks", "port"), "0");
    EXPECT_EQ(proxy.userSettings(), users);
    // The key the program added stays, meaning what its absence meant.
    EXPECT_EQ(fileContent(configFile("kioslaverc")),
              "[Proxy Settings]\nProxyType=2\nProxy Config Script=http://wpad.corp/proxy.pac\n"
              "NoProxyFor=intranet.corp\nhttpProxy=http://proxy.corp 3128\nhttpsProxy=\nsocksProxy=\n"
              "\n[Other]\nftpProxy=keep\n");

    // A value no key can take is not written, and said.
    EXPECT_FALSE(proxy.restoreSettings({{"gnome:socks.port", "many"}}));
    EXPECT_EQ(gsettingsGet("org.gnome.system.proxy.socks", "port"), "0");
    // An unreadable kioslaverc is neither read as empty nor written.
    std::filesystem::remove(configFile("kioslaverc"));
    std::filesystem::create_directory(configFile("kioslaverc"));
    EXPECT_EQ(proxy.userSettings().count("kde:ProxyType"), 0u);
    EXPECT_FALSE(proxy.restoreSettings({{"kde:ProxyType", "2"}}));
    std::filesystem::remove(configFile("kioslaverc"));
}

TEST(LinuxSystemProxy, AKioslavercThatIsNoSmallFileIsLeftAlone)
{
    LinuxSystemProxy proxy;
    const std::string path = configFile("kioslaverc");
    std::filesystem::remove(path);
    std::filesystem::create_directory(path);
    EXPECT_TRUE(proxy.setOptions(std::nullopt, kOn)); // GNOME's part still went through
    EXPECT_TRUE(std::filesystem::is_directory(path));
    std::filesystem::remove(path);
    const std::string huge = "[Proxy Settings]\nProxyType=0\n" + std::string(1 << 20, '#');
    gHome->writeFile("config/kioslaverc", huge);
    proxy.setOptions(std::nullopt, kOn);
    EXPECT_EQ(fileContent(path), huge);
    std::filesystem::remove(path);
}

// GLib reads its environment once: the test's own configuration folder, the keyfile
// backend (holding junk to begin with, as a damaged file would) and a KDE session are set
// before anything asks GLib.
int main(int argc, char** argv)
{
    testing::InitGoogleTest(&argc, argv);
    TempDir home;
    gHome = &home;
    home.writeFile("config/glib-2.0/settings/keyfile", std::string("\x01\x02[[[junk\n=\n\xff", 12));
    setenv("HOME", home.path().c_str(), 1);
    setenv("XDG_CONFIG_HOME", home.file("config").c_str(), 1);
    setenv("GSETTINGS_BACKEND", "keyfile", 1);
    setenv("XDG_CURRENT_DESKTOP", "KDE", 1);
    unsetenv("DBUS_SESSION_BUS_ADDRESS");
    unsetenv("XDG_RUNTIME_DIR");
    return RUN_ALL_TESTS();
}
