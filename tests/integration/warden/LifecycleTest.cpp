// How Warden starts, fails and ends: usage errors, exits that do not work, a taken port,
// and the end of the program that started it.

#include "support/Chain.h"
#include "support/FakeExit.h"
#include "support/Loopback.h"
#include "support/RawClient.h"

#include "warden/CommandLine.h"
#include "warden/Warden.h"

#include <asio/ip/tcp.hpp>
#include <gtest/gtest.h>

#include <csignal>
#include <cstdio>
#include <fstream>
#include <functional>
#include <sstream>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <thread>

namespace warden::testing {
namespace {

using std::chrono::milliseconds;
using std::chrono::seconds;

TEST(Lifecycle, UsageErrorsPrintOneLineAndExitWithStatus2)
{
    const std::vector<std::vector<std::string>> cases = {
        {"-name", "u", "-key", "k", "-H", "9050", "-port", "1080", "-say"},
        {"-name", "u", "-key", "k", "-H", "9050", "-port", "1080", "-say", "h", "-verbose"},
    };
    for (auto args : cases) {
        args.insert(args.begin(), wardenPath());
        ChildProcess warden(args);
        EXPECT_EQ(warden.readLine(seconds(5)), std::string(kUsage));
        EXPECT_EQ(warden.readLine(seconds(5)), std::nullopt); // and nothing else
        EXPECT_EQ(warden.waitExit(seconds(5)), 2);
    }
}

TEST(Lifecycle, AWrongKeyIsReportedAsRejected)
{
    Microsocks exit(freeLoopbackPort());
    WardenProcess warden(exit.port(), "not-the-key");
    ASSERT_TRUE(warden.waitFor(160244));
    EXPECT_EQ(warden.codes(), (std::vector<int>{160032, 160238, 160244}));
}

TEST(Lifecycle, AnExitNameIsResolvedFirst)
{
    // Only where "localhost" means 127.0.0.1 alone: the tests stay on 127.0.0.0/8.
    asio::io_context io;
    asio::ip::tcp::resolver resolver(io);
    for (const auto& entry : resolver.resolve("localhost", "1"))
        if (!entry.endpoint().address().is_v4() || !entry.endpoint().address().is_loopback())
            GTEST_SKIP() << "localhost resolves to " << entry.endpoint().address().to_string();

    Microsocks exit(freeLoopbackPort());
    WardenProcess warden(exit.port(), kKey, "localhost");
    ASSERT_TRUE(warden.waitFor(160138));
    EXPECT_EQ(warden.codes(), (std::vector<int>{160036, 160032, 160238, 160239, 160138}));
}

TEST(Lifecycle, AnAbsentExitIsRetriedReportedOnceAndFiveFailuresRaiseTheAlarm)
{
    WardenProcess warden(freeLoopbackPort(), kKey, "127.0.0.1", kQuickRetries);
    ASSERT_TRUE(warden.waitFor(171001)); // after pauses of 50, 100, 200 and 400 ms
    std::vector<int> expected{160032, 160034};
    for (int i = 0; i < 4; ++i)
        expected.insert(expected.end(), {160199, 160032});
    expected.push_back(171001);
    EXPECT_EQ(warden.codes(), expected);
    // Each retry says its pause.
    EXPECT_EQ(warden.lines()[2], "160199 retrying in 50 ms");
}

// An exit that answers the greeting with an HTTP error, on its own thread.
class HttpSpeakingExit
{
public:
    HttpSpeakingExit()
        : m_exit(m_io,
                 [](FakeExit::Socket s) {
                     const std::string reply = "HTTP/1.0 400 Bad Request\r\n\r\n";
                     return answerGreeting(std::move(s), socks5::Bytes(reply.begin(), reply.end()));
                 }),
          m_thread([this] { m_io.run(); })
    {
    }
    ~HttpSpeakingExit()
    {
        m_io.stop();
        m_thread.join();
    }
    std::uint16_t port() const { return m_exit.port(); }

private:
    asio::io_context m_io;
    FakeExit m_exit;
    std::thread m_thread;
};

TEST(Lifecycle, AnExitThatDoesNotSpeakSocks5IsReported)
{
    HttpSpeakingExit exit;
    WardenProcess warden(exit.port());
    ASSERT_TRUE(warden.waitFor(160243));
    EXPECT_EQ(warden.codes(), (std::vector<int>{160032, 160238, 160243}));
}

TEST(Lifecycle, ATakenLocalPortIsReportedAndEndsWarden)
{
    asio::io_context io;
    asio::ip::tcp::acceptor taken(io, {asio::ip::address_v4::loopback(), 0});
    const std::uint16_t port = taken.local_endpoint().port();
    ChildProcess warden({wardenPath(), "-name", kUser, "-key", kKey, "-do", "-H", std::to_string(port),
                         "-dirudo", "-port", std::to_string(freeLoopbackPort()), "-say", "127.0.0.1"});
    const auto line = warden.readLine(seconds(5));
    ASSERT_TRUE(line);
    EXPECT_TRUE(line->starts_with("160243 ")) << *line;
    EXPECT_EQ(warden.waitExit(seconds(5)), 1);
}

TEST(Lifecycle, EndsWithTheProgramThatStartedIt)
{
    Microsocks exit(freeLoopbackPort());
    const std::uint16_t localPort = freeLoopbackPort();
    // Orphans are handed to this process, so the test can reap Warden once its parent is gone.
    ASSERT_EQ(::prctl(PR_SET_CHILD_SUBREAPER, 1), 0);
    ChildProcess parent({"sh", "-c", "\"$@\" & echo $!; exec sleep 60", "sh", wardenPath(), "-name", kUser,
                         "-key", kKey, "-do", "-H", std::to_string(localPort), "-dirudo", "-port",
                         std::to_string(exit.port()), "-say", "127.0.0.1"});
    // Warden's pid and its status lines share the pipe, in whatever order they came.
    pid_t warden = 0;
    bool ready = false;
    for (int i = 0; i < 10 && warden == 0; ++i) {
        const auto line = parent.readLine(seconds(5));
        ASSERT_TRUE(line);
        if (!line->empty() && line->find_first_not_of("0123456789") == std::string::npos)
            warden = std::stoi(*line);
        else
            ready = ready || line->starts_with("160138 ");
    }
    ASSERT_NE(warden, 0);
    ASSERT_TRUE(ready || parent.waitForLine("160138 ", seconds(15)));

    parent.kill();
    int raw = 0;
    pid_t reaped = 0;
    for (int i = 0; i < 500 && reaped == 0; ++i) {
        reaped = ::waitpid(warden, &raw, WNOHANG);
        if (reaped == 0)
            std::this_thread::sleep_for(milliseconds(10));
    }
    if (reaped == 0)
        ::kill(warden, SIGKILL);
    ::prctl(PR_SET_CHILD_SUBREAPER, 0);
    ASSERT_EQ(reaped, warden) << "Warden outlived its parent";
    EXPECT_TRUE(WIFSIGNALED(raw) && WTERMSIG(raw) == SIGKILL);
    EXPECT_FALSE(RawClient("127.0.0.1", localPort).connected()); // the port is free again
}

// Established connections of this machine to 127.0.0.1:port, from /proc/net/tcp.
int connectionsTo(std::uint16_t port)
{
    std::ifstream table("/proc/net/tcp");
    char remote[16];
    std::snprintf(remote, sizeof remote, "0100007F:%04X", port);
    int count = 0;
    for (std::string line; std::getline(table, line);) {
        std::istringstream fields(line);
        std::string slot, local, peer, state;
        fields >> slot >> local >> peer >> state;
        count += peer == remote && state == "01";
    }
    return count;
}

// Waits until `condition` holds; false after about 15 s.
bool waitUntil(const std::function<bool()>& condition)
{
    for (int i = 0; i < 1500; ++i) {
        if (condition())
            return true;
        std::this_thread::sleep_for(milliseconds(10));
    }
    return false;
}

TEST(Lifecycle, EndsInOrderWithSessionsAndSparesAlive)
{
    // A destination that never speaks: a session that took a spare while another was left
    // keeps the replacement pending to the end, so ending Warden has to destroy the
    // session before the spare pool.
    asio::io_context io;
    asio::ip::tcp::acceptor silent(io, {asio::ip::address_v4::loopback(), 0});
    const std::uint16_t destination = silent.local_endpoint().port();
    Microsocks exit(freeLoopbackPort());
    const Options options{kUser, kKey, freeLoopbackPort(), "127.0.0.1", exit.port()};
    std::ostringstream lines;
    StatusLine status(lines);
    auto warden = std::make_unique<Warden>(options, status);
    ASSERT_TRUE(warden->start());
    std::thread serving([&] { warden->run(); });

    const std::string connect = std::string("\x05\x01\x00\x05\x01\x00\x01\x7f\x00\x00\x01", 11) +
                                char(destination >> 8) + char(destination & 0xFF);
    std::vector<std::unique_ptr<RawClient>> clients;
    const auto relayOneMore = [&] {
        auto client = std::make_unique<RawClient>("127.0.0.1", options.localPort);
        client->send(connect);
        // The method choice and the CONNECT's success: the session is relaying.
        EXPECT_EQ(client->receive(12, seconds(15)).substr(0, 4), std::string("\x05\x00\x05\x00", 4));
        clients.push_back(std::move(client));
    };
    EXPECT_TRUE(waitUntil([&] { return connectionsTo(exit.port()) == 2; })); // both spares
    relayOneMore(); // takes one spare of two: its replacement waits for a first answer
    relayOneMore(); // takes the last: two replacements are dialed at once
    EXPECT_TRUE(waitUntil([&] { return connectionsTo(exit.port()) == 4; }));

    warden->stop();
    serving.join();
    warden.reset(); // under the sanitizers, any touch of freed memory fails here
    for (auto& client : clients)
        EXPECT_TRUE(client->closedWithin(seconds(5)));
}

} // namespace
} // namespace warden::testing
