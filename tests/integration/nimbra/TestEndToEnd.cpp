// The whole program as a user meets it: a home of its own, a display with a notification
// area, the reference service with two exits on loopback, and every step done with the
// mouse and the keyboard as a user would. The browsers are real; their requests reach a "what is my IP"
// page on 127.0.0.1 that says where they came from.

#include "Browsers.h"
#include "NimbraProcess.h"
#include "VirtualDesktop.h"

#include "support/Chain.h"
#include "support/ChildProcess.h"
#include "support/Loopback.h"
#include "support/TestCredentials.h"
#include "tests/support/TempDir.h"
#include "tests/support/TestHttpServer.h"

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <csignal>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iostream>
#include <sstream>
#include <thread>

using namespace std::chrono_literals;
using warden::testing::ChildProcess;
using warden::testing::freeLoopbackPort;
using warden::testing::Microsocks;

namespace {

TempDir* gHome = nullptr;
constexpr double kWait = 90; // generous: the sanitizer build starts slowly

// A name of the service that no ignore list holds, so requests to it follow the desktop's
// proxy; only the program's own /etc/hosts knows it.
constexpr const char* kServiceName = "nimbra-service.test";

// The tray menu as shown: "Report" is hidden.
enum TrayItem { kDiruDO, kStopDiruDO, kSelectIP, kSeeMyIP, kOptions, kHelp, kAbout, kExit, kTrayItems };

int occurrences(const std::string& text, const std::string& what)
{
    int count = 0;
    for (std::size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1)) {
        ++count;
    }
    return count;
}

// The processes whose program is the Warden of `folder` (the build's application folder
// unless given) and whose command line names `port`.
std::vector<pid_t> wardenProcesses(std::uint16_t port, std::string folder = {})
{
    if (folder.empty()) {
        folder = std::getenv("NIMBRA_APP_DIR");
    }
    std::vector<pid_t> found;
    for (const auto& entry : std::filesystem::directory_iterator("/proc")) {
        const std::string name = entry.path().filename();
        if (name.find_first_not_of("0123456789") != std::string::npos) {
            continue;
        }
        std::string commandLine = fileContent(entry.path() / "cmdline");
        std::replace(commandLine.begin(), commandLine.end(), '\0', ' ');
        if (commandLine.rfind(folder + "/warden ", 0) == 0 &&
            commandLine.find(" -H " + std::to_string(port) + " ") != std::string::npos) {
            found.push_back(std::stoi(name));
        }
    }
    return found;
}

// The reference service, configured with the test's two exits.
class ReferenceService
{
public:
    ReferenceService(std::uint16_t port, std::uint16_t exitPort, const std::string& folder)
    {
        const std::string config = folder + "/service.conf";
        std::ofstream(config) << "exit = 127.0.0.2 2\nexit = 127.0.0.3 1\nport = " << exitPort
                              << "\nuser = " << warden::testing::kUser << "\nkey = " << warden::testing::kKey
                              << "\ncipher = n\nnewest-version = 1.33\n";
        m_process = std::make_unique<ChildProcess>(
            std::vector<std::string>{std::string(std::getenv("NIMBRA_APP_DIR")) + "/nimbra-service",
                                     "--listen", "127.0.0.1:" + std::to_string(port), "--config", config},
            false);
        if (!warden::testing::waitUntilListening("127.0.0.1", port, 20s)) {
            throw std::runtime_error("the reference service did not start");
        }
    }

private:
    std::unique_ptr<ChildProcess> m_process;
};

// One user's session: the home, the display, the service and its exits, and Nimbra.
class Session : public testing::Test
{
protected:
    Session()
        : m_servicePort(freeLoopbackPort()), m_exitPort(freeLoopbackPort()), m_wardenPort(freeLoopbackPort()),
          m_exitUK(m_exitPort, "127.0.0.2"), m_exitUS(m_exitPort, "127.0.0.3"), m_nimbra(gHome->path())
    {
        // Warden on a port of the test's own, and the page on 127.0.0.1 through it too.
        std::filesystem::remove_all(gHome->file(".config/Nimbra"));
        gHome->writeFile(".config/Nimbra/dirudo.ini",
                         "[Config]\r\nInternalPort=" + std::to_string(m_wardenPort) +
                             "\r\n[Bypass]\r\nCounter=1\r\n1=<-loopback>\r\n");
    }

    void startService()
    {
        m_service = std::make_unique<ReferenceService>(m_servicePort, m_exitPort, gHome->path());
    }

    // The service by its address, or by a name only Nimbra's own /etc/hosts knows; then in
    // a GNOME session, whose proxy settings the program's own requests follow.
    void startNimbra(NimbraProcess& nimbra, std::uint16_t servicePort, bool byName = false)
    {
        const std::string hosts = gHome->file("hosts");
        std::map<std::string, std::string> variables = {
            {"QT_QPA_PLATFORM", "xcb"},
            {"DISPLAY", m_desktop.display()},
            {"XDG_CURRENT_DESKTOP", "KDE"},
            {"KDE_SESSION_VERSION", "5"},
            {"NIMBRA_SERVICE", "http://127.0.0.1:" + std::to_string(servicePort)}};
        if (byName) {
            gHome->writeFile("hosts", "127.0.0.1 localhost\n127.0.0.1 " + std::string(kServiceName) + "\n");
            variables["NIMBRA_SERVICE"] =
                "http://" + std::string(kServiceName) + ":" + std::to_string(servicePort);
            variables["XDG_CURRENT_DESKTOP"] = "GNOME";
            variables["DESKTOP_SESSION"] = "gnome";
            variables.erase("KDE_SESSION_VERSION");
        }
        nimbra.start(variables, byName ? hosts : "");
    }
    void startNimbra(bool byName = false) { startNimbra(m_nimbra, m_servicePort, byName); }

    // Leaves with "Exit" from the tray menu: the program ends well and its log says so.
    void exitFromTheMenu() { exitFromTheMenu(m_nimbra); }
    void exitFromTheMenu(NimbraProcess& nimbra)
    {
        ASSERT_TRUE(m_desktop.chooseTrayMenuItem(kExit, kTrayItems));
        EXPECT_EQ(nimbra.waitForExit(kWait), 0);
        const std::string last = report();
        ASSERT_GE(last.size(), 12u);
        EXPECT_EQ(last.substr(last.size() - 12), "Closing...\r\n");
    }

    // Presses `keys` in the dialog titled `title` once it shows.
    bool pressIn(const std::string& title, const std::vector<std::string>& keys)
    {
        const auto dialog = m_desktop.waitForWindow(title, kWait);
        if (dialog) {
            m_desktop.pressKeys(*dialog, keys);
        }
        return dialog.has_value();
    }

    std::string report() const { return fileContent(m_nimbra.reportPath()); }

    // Waits until the report holds `text` `count` times.
    testing::AssertionResult waitForReport(const std::string& text, int count = 1) const
    {
        const auto deadline =
            std::chrono::steady_clock::now() + std::chrono::seconds(static_cast<int>(kWait));
        while (occurrences(report(), text) < count) {
            if (std::chrono::steady_clock::now() > deadline) {
                return testing::AssertionFailure() << "no \"" << text << "\" #" << count << " in:\n"
                                                   << report();
            }
            std::this_thread::sleep_for(50ms);
        }
        return testing::AssertionSuccess();
    }

    // Picks the exit in row `row` of the IP selection dialog and confirms it: back from OK
    // (which has the focus) to the list, its first row, down to `row`, and Return for OK.
    bool selectExit(int row)
    {
        std::vector<std::string> keys = {"shift+Tab", "Home"};
        keys.insert(keys.end(), static_cast<std::size_t>(row), "Down");
        keys.push_back("Return");
        return pressIn("Select IP", keys) && m_desktop.waitUntilGone("Select IP", 10);
    }

    // The program's message box, told from the balloons of the same title by its height.
    std::optional<VirtualDesktop::Window> waitForBox(double seconds = kWait)
    {
        const auto deadline =
            std::chrono::steady_clock::now() + std::chrono::milliseconds(static_cast<int>(seconds * 1000));
        while (std::chrono::steady_clock::now() < deadline) {
            for (const VirtualDesktop::Window& box : m_desktop.windows("Nimbra")) {
                if (box.height > 75) {
                    return box;
                }
            }
            std::this_thread::sleep_for(50ms);
        }
        return std::nullopt;
    }

    // Answers the program's box with Return, which presses the button that has the focus
    // when it opens: its first, OK of a box that informs and Yes of one that asks Yes or No.
    bool answerBox()
    {
        const auto box = waitForBox();
        if (box) {
            m_desktop.pressKeys(*box, {"Return"});
        }
        return box.has_value();
    }

    // Chromium in each desktop named and, with `firefox`, Firefox ESR, started together,
    // each sees `address`.
    void expectBrowsersSee(const IpPage& page, const std::vector<std::string>& chromiumDesktops, bool firefox,
                           const std::string& address) const
    {
        const std::string screenshot = firefox ? gHome->file("page.png") : "";
        for (const auto& [browser, seen] : browsers::seenTogether(page, chromiumDesktops, screenshot)) {
            EXPECT_EQ(seen, address) << browser;
        }
    }

    std::string proxySettings() const
    {
        return fileContent(gHome->file(".config/glib-2.0/settings/keyfile")) + "\n" +
               fileContent(gHome->file(".config/kioslaverc")) + "\n" +
               fileContent(m_firefoxProfile + "user.js");
    }

    void expectProxyOn() const
    {
        const std::string settings = proxySettings();
        const std::string port = std::to_string(m_wardenPort);
        EXPECT_NE(settings.find("mode='manual'"), std::string::npos) << settings;
        EXPECT_NE(settings.find("port=" + port), std::string::npos) << settings;
        EXPECT_NE(settings.find("ProxyType=1"), std::string::npos) << settings;
        EXPECT_NE(settings.find("socksProxy=socks://127.0.0.1 " + port), std::string::npos) << settings;
        EXPECT_NE(settings.find("\"network.proxy.socks_port\"," + port + ")"), std::string::npos) << settings;
    }

    void expectProxyOff() const
    {
        const std::string settings = proxySettings();
        EXPECT_NE(settings.find("mode='none'"), std::string::npos) << settings;
        EXPECT_NE(settings.find("ProxyType=0"), std::string::npos) << settings;
        EXPECT_NE(settings.find("\"network.proxy.socks_port\", 0)"), std::string::npos) << settings;
    }

    bool wardenPortFree() const { return warden::testing::connectTo("127.0.0.1", m_wardenPort) < 0; }
    // Warden has ended and its port is free. An ending process's command line reads empty
    // a moment before its sockets close, so both are waited for.
    bool wardenGone(std::chrono::seconds limit) const
    {
        const auto deadline = std::chrono::steady_clock::now() + limit;
        while (!wardenProcesses(m_wardenPort).empty() || !wardenPortFree()) {
            if (std::chrono::steady_clock::now() >= deadline) {
                return false;
            }
            std::this_thread::sleep_for(50ms);
        }
        return true;
    }

    std::uint16_t m_servicePort;
    std::uint16_t m_exitPort;
    std::uint16_t m_wardenPort;
    Microsocks m_exitUK;
    Microsocks m_exitUS;
    VirtualDesktop m_desktop;
    std::unique_ptr<ReferenceService> m_service;
    NimbraProcess m_nimbra;
    static inline std::string m_firefoxProfile;
};

} // namespace

TEST_F(Session, FromTheFirstStartToExit)
{
    IpPage page;
    m_firefoxProfile = browsers::prepareFirefoxProfile(gHome->path());
    ASSERT_FALSE(m_firefoxProfile.empty());
    startService();
    startNimbra();

    // The handshake lists both exits; the first is picked, Warden comes up, proxy on.
    ASSERT_TRUE(selectExit(0));
    ASSERT_TRUE(waitForReport("Diru DO ON"));
    EXPECT_NE(report().find("Select IP: 127.0.0.2"), std::string::npos);
    expectProxyOn();
    m_desktop.screenshot(gHome->file("hiding.png"));
    expectBrowsersSee(page, {"GNOME", "KDE"}, true, "127.0.0.2");

    // Another exit, from the tray menu.
    ASSERT_TRUE(m_desktop.chooseTrayMenuItem(kSelectIP, kTrayItems));
    ASSERT_TRUE(selectExit(1));
    ASSERT_TRUE(waitForReport("Diru DO ON", 2));
    expectBrowsersSee(page, {"GNOME"}, true, "127.0.0.3");

    // Stopped, the browsers go direct; started again, through the exit.
    ASSERT_TRUE(m_desktop.chooseTrayMenuItem(kStopDiruDO, kTrayItems));
    ASSERT_TRUE(waitForReport("User stopped Diru DO"));
    expectProxyOff();
    expectBrowsersSee(page, {"KDE"}, true, "127.0.0.1");
    ASSERT_TRUE(m_desktop.chooseTrayMenuItem(kDiruDO, kTrayItems));
    ASSERT_TRUE(waitForReport("Diru DO ON", 3));
    expectProxyOn();
    EXPECT_EQ(browsers::chromiumSees(page, "GNOME"), "127.0.0.3");

    // The exit goes away: the next request finds out, Warden says so and tries again; once
    // the exit is back, so is hiding.
    m_exitUS.stop();
    browsers::run(
        {"curl", "-s", "-m", "10", "-x", "socks5h://127.0.0.1:" + std::to_string(m_wardenPort), page.url()},
        20s);
    ASSERT_TRUE(waitForReport("Disconnected from Internet"));
    ASSERT_TRUE(waitForReport("Connection Failed 160034"));
    m_exitUS.start();
    ASSERT_TRUE(answerBox());
    ASSERT_TRUE(waitForReport("Diru DO ON", 4));
    EXPECT_EQ(browsers::chromiumSees(page, "GNOME"), "127.0.0.3");

    // Warden killed: the connection is lost, and reconnecting brings hiding back.
    const std::vector<pid_t> wardens = wardenProcesses(m_wardenPort);
    ASSERT_EQ(wardens.size(), 1u);
    ::kill(wardens.front(), SIGKILL);
    ASSERT_TRUE(waitForReport("Connection lost"));
    ASSERT_TRUE(answerBox());
    ASSERT_TRUE(waitForReport("Diru DO ON", 5));
    EXPECT_EQ(browsers::chromiumSees(page, "KDE"), "127.0.0.3");

    // Exit: the proxy is off everywhere, Warden is gone and its port free.
    exitFromTheMenu();
    expectProxyOff();
    EXPECT_TRUE(wardenGone(5s));
}

TEST_F(Session, TheServiceDownAtFirstThenBackThroughReconnect)
{
    startNimbra();
    // Unreachable at all three addresses: the firewall advice, with Reconnect.
    ASSERT_TRUE(m_desktop.waitForWindow("Nimbra Unblock", kWait));
    EXPECT_NE(report().find("Please unblock Nimbra"), std::string::npos);
    startService();
    ASSERT_TRUE(pressIn("Nimbra Unblock", {"alt+r"})); // &Reconnect
    ASSERT_TRUE(selectExit(0));
    ASSERT_TRUE(waitForReport("Diru DO ON"));
    EXPECT_NE(wardenProcesses(m_wardenPort).size(), 0u);
    exitFromTheMenu();
}

TEST_F(Session, AServiceAnsweringJunkLeavesTheProgramUsable)
{
    // Every request is answered with a page that is not the service's.
    TestHttpServer junk;
    startNimbra(m_nimbra, junk.port());
    ASSERT_TRUE(m_desktop.waitForWindow("Nimbra Unblock", kWait));
    EXPECT_FALSE(junk.requests().empty());
    EXPECT_NE(report().find("SilentUpdate Failed!"), std::string::npos);
    // Escape closes it as its Close button does.
    ASSERT_TRUE(pressIn("Nimbra Unblock", {"Escape"}));
    ASSERT_TRUE(m_desktop.waitUntilGone("Nimbra Unblock", kWait));
    exitFromTheMenu();
}

TEST_F(Session, AKilledNimbraLocksNobodyOutAndTheUsersOwnSettingsComeBack)
{
    if (geteuid() != 0) {
        GTEST_SKIP() << "a service reached by name needs an /etc/hosts of Nimbra's own, which needs root";
    }
    // What the user had before Nimbra: an HTTP proxy and ignore lists of their own.
    gHome->writeFile(".config/glib-2.0/settings/keyfile",
                     "[system/proxy]\nmode='none'\nignore-hosts=['intranet.corp', 'localhost']\n\n"
                     "[system/proxy/http]\nhost='proxy.corp'\nport=3128\n");
    gHome->writeFile(".config/kioslaverc", "[Proxy Settings]\nProxyType=0\nNoProxyFor=intranet.corp\n");
    startService();
    startNimbra(true);
    ASSERT_TRUE(selectExit(0));
    ASSERT_TRUE(waitForReport("Diru DO ON"));
    ASSERT_EQ(wardenProcesses(m_wardenPort).size(), 1u);
    m_nimbra.kill();
    // Warden notices its pipe's far end is gone and ends; its port is free at once.
    EXPECT_TRUE(wardenGone(20s));
    // The desktop still points at the Warden that is gone.
    EXPECT_NE(proxySettings().find("port=" + std::to_string(m_wardenPort)), std::string::npos);

    // The new run first switches back what the killed one left, then reaches its service
    // by name and hides again.
    startNimbra(true);
    ASSERT_TRUE(waitForReport("Restoring the settings an earlier run left changed"));
    ASSERT_TRUE(selectExit(1));
    ASSERT_TRUE(waitForReport("Select IP: 127.0.0.3"));
    ASSERT_TRUE(waitForReport("Diru DO ON"));
    exitFromTheMenu();
    const std::string settings = proxySettings();
    EXPECT_NE(settings.find("mode='none'"), std::string::npos) << settings;
    EXPECT_NE(settings.find("ProxyType=0"), std::string::npos) << settings;
    EXPECT_NE(settings.find("ignore-hosts=['intranet.corp', 'localhost']"), std::string::npos) << settings;
    EXPECT_NE(settings.find("host='proxy.corp'"), std::string::npos) << settings;
    EXPECT_NE(settings.find("NoProxyFor=intranet.corp\n"), std::string::npos) << settings;
}

TEST_F(Session, AnUnwritableDataFolderIsReportedAndNothingIsWritten)
{
    // Even for root: a file where the data folder belongs cannot be made a folder.
    std::filesystem::remove_all(gHome->file(".config/Nimbra"));
    gHome->writeFile(".config/Nimbra", "not a folder");
    startNimbra();
    ASSERT_TRUE(answerBox()); // "Can not create Application Data Folder"
    EXPECT_EQ(m_nimbra.waitForExit(kWait), 1);
    EXPECT_EQ(fileContent(gHome->file(".config/Nimbra")), "not a folder");
    std::filesystem::remove(gHome->file(".config/Nimbra"));
}

TEST_F(Session, AReadOnlyUserJsStillLetsTheDesktopHide)
{
    // A home of its own, whose Firefox profile has a user.js that cannot be replaced:
    // immutable for root, in a read-only folder otherwise.
    TempDir home;
    home.writeFile(".config/Nimbra/dirudo.ini", fileContent(gHome->file(".config/Nimbra/dirudo.ini")));
    home.writeFile(".mozilla/firefox/profiles.ini",
                   "[Profile0]\nName=locked\nIsRelative=1\nPath=locked.profile\nDefault=1\n");
    home.writeFile(".mozilla/firefox/installs.ini", "[3B6073811A6ABF12]\nDefault=locked.profile\nLocked=1\n");
    home.writeFile(".mozilla/firefox/locked.profile/prefs.js", "");
    const std::string userJs =
        home.writeFile(".mozilla/firefox/locked.profile/user.js", "// the user's own\n");
    const std::string folder = home.file(".mozilla/firefox/locked.profile");
    // Locked for the test's length, unlocked whatever happens so the home can go.
    struct Lock
    {
        std::string file;
        std::string folder;
        bool root = geteuid() == 0;
        Lock(std::string f, std::string d) : file(std::move(f)), folder(std::move(d))
        {
            root ? void(browsers::run({"chattr", "+i", file}, 10s)) : void(chmod(folder.c_str(), 0555));
        }
        ~Lock()
        {
            root ? void(browsers::run({"chattr", "-i", file}, 10s)) : void(chmod(folder.c_str(), 0755));
        }
    } lock(userJs, folder);
    startService();
    NimbraProcess nimbra(home.path());
    startNimbra(nimbra, m_servicePort);
    ASSERT_TRUE(selectExit(0));
    // "Can not change Firefox proxy settings!" once; hiding comes on for the desktop.
    ASSERT_TRUE(answerBox());
    EXPECT_FALSE(nimbra.waitForReport("Diru DO ON", kWait).empty());
    const std::string keyfile = home.file(".config/glib-2.0/settings/keyfile");
    EXPECT_NE(fileContent(keyfile).find("mode='manual'"), std::string::npos);
    EXPECT_EQ(fileContent(userJs), "// the user's own\n");
    // Leaving says it once more (unless the box's answer is already on its way) and ends.
    ASSERT_TRUE(m_desktop.chooseTrayMenuItem(kExit, kTrayItems));
    if (waitForBox(10)) {
        answerBox();
    }
    EXPECT_EQ(nimbra.waitForExit(kWait), 0);
    EXPECT_NE(fileContent(keyfile).find("mode='none'"), std::string::npos);
    EXPECT_EQ(fileContent(userJs), "// the user's own\n");
}

// The Debian package of this build, installed as a user's system has it: started from its
// menu entry, it finds Warden and its skin beside the real executable, writes the log-on
// entry with that executable, and leaves nothing behind when removed. Needs root (dpkg),
// and a system without the package installed already.
TEST_F(Session, TheInstalledPackageStartsFromItsMenuEntryAndLeavesNothingWhenRemoved)
{
#if defined(__SANITIZE_ADDRESS__)
    GTEST_SKIP() << "a sanitizer build is not what a package ships";
#endif
    const auto shell = [](const std::string& command) { return browsers::run({"sh", "-c", command}, 300s); };
    if (geteuid() != 0 || shell("for p in dpkg cpack lintian; do command -v $p; done | wc -l") != "3\n") {
        GTEST_SKIP() << "installing a package needs root, dpkg, cpack and lintian";
    }
    if (shell("dpkg-query -W -f '${Status}\\n' nimbra 2>/dev/null") == "install ok installed\n" ||
        std::filesystem::exists("/usr/lib/nimbra") || std::filesystem::exists("/usr/bin/nimbra")) {
        GTEST_SKIP() << "Nimbra is installed on this system already: it is left as it is";
    }
    TempDir packages;
    const std::string build = std::string(std::getenv("NIMBRA_APP_DIR")) + "/..";
    const std::string cpackSaid =
        shell("cpack -G DEB --config " + build + "/CPackConfig.cmake -B " + packages.path() + " 2>&1");
    std::string deb = shell("ls " + packages.path() + "/nimbra_*.deb");
    ASSERT_FALSE(deb.empty()) << cpackSaid;
    deb.pop_back();
    EXPECT_EQ(shell("lintian --fail-on error " + deb + " >/dev/null 2>&1; echo $?"), "0\n")
        << shell("lintian " + deb + " 2>&1");

    // Removed again whatever happens.
    struct Installed
    {
        std::function<std::string(const std::string&)> shell;
        ~Installed() { shell("dpkg -r nimbra >/dev/null 2>&1"); }
    } installed{shell};
    const std::string dpkgSaid = shell("dpkg -i " + deb + " 2>&1");
    ASSERT_EQ(shell("dpkg-query -W -f '${Status}\\n' nimbra"), "install ok installed\n") << dpkgSaid;
    const std::string files = shell("dpkg -L nimbra");

    // The menu entry's command, found on the search path as the desktop finds it.
    const std::string entry = fileContent("/usr/share/applications/org.nimbraproject.Nimbra.desktop");
    const std::size_t exec = entry.find("\nExec=");
    ASSERT_NE(exec, std::string::npos) << entry;
    const std::string command = entry.substr(exec + 6, entry.find('\n', exec + 1) - exec - 6);
    std::string program = shell("PATH=/usr/bin:/bin command -v " + command);
    ASSERT_EQ(program, "/usr/bin/nimbra\n");
    program.pop_back();

    // No log-on entry before the start, so the one found later is the program's own.
    const std::string autostart = gHome->file(".config/autostart/Nimbra.desktop");
    std::filesystem::remove(autostart);
    startService();
    NimbraProcess nimbra(gHome->path(), program);
    startNimbra(nimbra, m_servicePort);
    ASSERT_TRUE(selectExit(0));
    ASSERT_TRUE(waitForReport("Diru DO ON"));
    EXPECT_EQ(wardenProcesses(m_wardenPort, "/usr/lib/nimbra").size(), 1u);
    m_desktop.screenshot(packages.file("tray.png"));

    // Options, "Start with Windows", OK: the entry starts the installed program.
    ASSERT_TRUE(m_desktop.chooseTrayMenuItem(kOptions, kTrayItems));
    const auto form = waitForBox(); // the main form, told from the balloon by its height
    ASSERT_TRUE(form);
    m_desktop.pressKeys(*form, {"alt+s"}); // "&Start with Windows" on the General page
    m_desktop.pressKeys(*form, {"alt+o"}); // "&OK"
    for (int i = 0; i < kWait * 20 && !std::filesystem::exists(autostart); ++i) {
        std::this_thread::sleep_for(50ms);
    }
    EXPECT_NE(fileContent(autostart).find("\nExec=\"/usr/lib/nimbra/nimbra\""), std::string::npos)
        << fileContent(autostart);
    exitFromTheMenu(nimbra);

    shell("dpkg -r nimbra >/dev/null 2>&1");
    EXPECT_NE(shell("dpkg-query -W -f '${Status}\\n' nimbra 2>&1"), "install ok installed\n");
    std::istringstream listed(files);
    for (std::string path; std::getline(listed, path);) {
        EXPECT_TRUE(std::filesystem::is_directory(path) || !std::filesystem::exists(path)) << path;
    }
    EXPECT_FALSE(std::filesystem::exists("/usr/lib/nimbra"));
    std::filesystem::remove(autostart);
}

// Every program the test starts lives in the test's own home.
int main(int argc, char** argv)
{
    testing::InitGoogleTest(&argc, argv);
    TempDir home;
    gHome = &home;
    browsers::useHome(home.path());
    return RUN_ALL_TESTS();
}
