// The desktop's proxy settings written for real: GSettings through GLib's keyfile backend
// in a configuration folder of the test's own, read back with the gsettings tool as
// another program would; KDE's kioslaverc read back as text.

#include "platform/linux/LinuxSystemProxy.h"

#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>

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

TEST(LinuxSystemProxy, GnomeAndKdeSettingsAreWrittenAndReadBack)
{
    LinuxSystemProxy proxy;
    EXPECT_EQ(proxy.activeDialUpConnections(), std::vector<std::string>{});
    EXPECT_FALSE(proxy.setOptions("VPN", kOn)); // no such thing on this system
    // A key the program does not write stays as the user set it.
    ASSERT_EQ(std::system("gsettings set org.gnome.system.proxy.http host 'user.proxy'"), 0);

    ASSERT_TRUE(proxy.setOptions(std::nullopt, kOn));
    proxy.notifyRefresh();
    proxy.notifySettingsChanged();
    EXPECT_EQ(gsettingsGet("org.gnome.system.proxy", "mode"), "'manual'");
    EXPECT_EQ(gsettingsGet("org.gnome.system.proxy.socks", "host"), "'127.0.0.1'");
    EXPECT_EQ(gsettingsGet("org.gnome.system.proxy.socks", "port"), "7070");
    EXPECT_EQ(gsettingsGet("org.gnome.system.proxy", "ignore-hosts"), "['a.example', '<-loopback>']");
    EXPECT_EQ(gsettingsGet("org.gnome.system.proxy.http", "host"), "'user.proxy'");
    EXPECT_NE(fileContent(configFile("kioslaverc")).find("ProxyType=1\n"), std::string::npos);

    // Off: direct; host, port and the list stay.
    ASSERT_TRUE(proxy.setOptions(std::nullopt, kOff));
    proxy.notifyRefresh();
    EXPECT_EQ(gsettingsGet("org.gnome.system.proxy", "mode"), "'none'");
    EXPECT_EQ(gsettingsGet("org.gnome.system.proxy.socks", "host"), "'127.0.0.1'");
    EXPECT_EQ(gsettingsGet("org.gnome.system.proxy", "ignore-hosts"), "['a.example', '<-loopback>']");
    EXPECT_NE(fileContent(configFile("kioslaverc")).find("ProxyType=0\n"), std::string::npos);
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
