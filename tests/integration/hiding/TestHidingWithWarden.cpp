// Hiding from start to finish with the real Warden and a microsocks exit: the tray
// program's logic polls Warden as its timer would, with the window and the desktop's
// proxy settings stood in for by recording fakes.

#include "core/WardenControl.h"
#include "platform/linux/LinuxChildProcesses.h"
#include "support/Chain.h"
#include "support/Loopback.h"
#include "support/TestCredentials.h"
#include "tests/support/FakeHost.h"
#include "tests/support/FakeView.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <thread>

using namespace std::chrono_literals;
using warden::testing::freeLoopbackPort;
using warden::testing::Microsocks;

namespace {

using Clock = std::chrono::steady_clock;

// An application folder of the test's own whose "warden" runs the real one with the
// program's command line and shorter pauses between its retries, so an outage of many
// retries passes in a second or two.
std::string quickWardenFolder(const TempDir& dir)
{
    std::string line = "exec '" + std::string(std::getenv("NIMBRA_APP_DIR")) + "/warden' \"$@\"";
    for (const std::string& flag : warden::testing::kQuickRetries) {
        line += " " + flag;
    }
    const std::string script = dir.writeFile("app/warden", "#!/bin/sh\n" + line + "\n");
    std::filesystem::permissions(script, std::filesystem::perms::owner_exec,
                                 std::filesystem::perm_options::add);
    return dir.file("app/");
}

class HidingWithWarden : public testing::Test
{
protected:
    HidingWithWarden()
        : m_host{m_fake.clock,      m_fake.folders,
                 m_fake.desktop,    m_fake.autostart,
                 m_fake.systemInfo, m_fake.systemProxy,
                 m_fake.windows,    m_processes,
                 m_fake.adapters,   platform::systemHost().http,
                 m_fake.chromium},
          m_log(m_fake.clock, m_dir.file("report.txt")),
          m_control(m_host, m_view, m_log, m_servers,
                    {quickWardenFolder(m_dir), std::to_string(m_localPort), m_dir.file("restore.json")})
    {
    }
    ~HidingWithWarden() override { m_control.Sweep(); }

    // Ticks as timRead does while it is on (faster, the test has no second to lose) until
    // `condition` holds or `limit` has passed.
    bool tickUntil(const std::function<bool()>& condition, std::chrono::seconds limit)
    {
        const auto deadline = Clock::now() + limit;
        while (!condition() && Clock::now() < deadline) {
            if (m_view.timerOn(MainTimer::Read)) {
                m_control.timReadTimer();
            }
            std::this_thread::sleep_for(50ms);
        }
        return condition();
    }

    bool hidingOn() { return !m_view.statuses.empty() && m_view.statuses.back().kind == DiruDOStatus::On; }
    std::size_t logged(const std::string& message)
    {
        return std::ranges::count_if(m_log.lines(),
                                     [&](const std::string& line) { return line.ends_with("] " + message); });
    }

    TempDir m_dir;
    FakeHost m_fake;
    platform::LinuxChildProcesses m_processes;
    platform::Host m_host;
    FakeView m_view;
    ExitServers m_servers;
    std::uint16_t m_localPort = freeLoopbackPort();
    ActivityLog m_log;
    WardenControl m_control;
};

} // namespace

TEST_F(HidingWithWarden, FromDiruDOToHidingOnThroughALostExitAndBack)
{
    Microsocks exit(freeLoopbackPort());
    m_control.DiruDO("127.0.0.1", std::to_string(exit.port()), warden::testing::kUser, warden::testing::kKey);
    EXPECT_EQ(m_view.statuses.front().kind, DiruDOStatus::Busy);
    ASSERT_TRUE(tickUntil([&] { return hidingOn(); }, 30s));
    EXPECT_EQ(m_control.hidingPhase(), HidingPhase::On);
    EXPECT_EQ(m_fake.systemProxy.calls[1],
              "options (default) 2 socks=127.0.0.1:" + std::to_string(m_localPort) + " (keep)");
    EXPECT_EQ(logged("Connecting..."), 1u);

    exit.stop();
    EXPECT_TRUE(tickUntil([&] { return logged("Disconnected from Internet") == 1; }, 30s));
    exit.start();
    EXPECT_TRUE(tickUntil([&] { return logged("Diru DO ON") == 2; }, 60s));
    EXPECT_TRUE(hidingOn());
}

TEST_F(HidingWithWarden, AnExitDownThroughManyRetriesShowsOneBoxThenHidingComesOnByItself)
{
    const std::uint16_t exitPort = freeLoopbackPort();
    m_control.DiruDO("127.0.0.1", std::to_string(exitPort), warden::testing::kUser, warden::testing::kKey);
    // Past Warden's alarm at the fifth failure in a row, and on at the longest pause.
    ASSERT_TRUE(tickUntil([&] { return logged("Reconnect...") >= 8; }, 30s));
    EXPECT_EQ(logged("Mission failed"), 1u);
    EXPECT_EQ(m_view.boxes.size(), 1u);
    ASSERT_FALSE(m_view.statuses.empty());
    EXPECT_EQ(m_view.statuses.back().kind, DiruDOStatus::Off);

    Microsocks exit(exitPort);
    EXPECT_TRUE(tickUntil([&] { return hidingOn(); }, 30s));
    EXPECT_EQ(m_view.boxes.size(), 1u);
}
