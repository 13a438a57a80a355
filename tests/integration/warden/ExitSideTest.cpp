#include "support/Async.h"
#include "support/FakeExit.h"
#include "support/Loopback.h"
#include "support/TestCredentials.h"

#include "warden/ExitDialer.h"
#include "warden/SparePool.h"

#include <optional>

namespace warden {
namespace {

using socks5::Bytes;
using testing::eventually;
using testing::FakeExit;
using testing::runToEnd;

// Short, so the cases of an exit that never answers end quickly.
constexpr std::chrono::milliseconds kQuickStep{300};
// Windows refuses a connection to a loopback port nobody listens on only after retrying
// for about two seconds (Linux, and wine on it, at once): the cases that expect a refusal
// give it that time.
constexpr std::chrono::seconds kRefusalStep{5};

class ExitSide : public ::testing::Test
{
protected:
    ExitSettings settingsFor(std::uint16_t port, std::string key = testing::kKey,
                             std::chrono::steady_clock::duration stepLimit = kQuickStep)
    {
        return ExitSettings{"127.0.0.1", port, {testing::kUser, std::move(key)}, stepLimit};
    }

    // Dials once; the failure, or nothing when an authenticated connection came back.
    std::optional<ExitFailure> dialOnce(const ExitSettings& settings, std::vector<int>* progress = nullptr)
    {
        ExitDialer dialer(m_io.get_executor(), settings);
        std::optional<ExitFailure> failure;
        const bool ended = runToEnd(m_io, [&]() -> asio::awaitable<void> {
            const ExitDialer::Progress record = [progress](const status::Event& event) {
                if (progress)
                    progress->push_back(event.code);
            };
            DialResult result = co_await dialer.dial(&record);
            if (!result.socket)
                failure = result.failure;
        }());
        EXPECT_TRUE(ended);
        return failure;
    }

    asio::io_context m_io;
};

TEST_F(ExitSide, DialAuthenticatesAndReportsEachStep)
{
    FakeExit exit(m_io, testing::authenticate);
    std::vector<int> progress;
    EXPECT_EQ(dialOnce(settingsFor(exit.port()), &progress), std::nullopt);
    // An address literal is not resolved.
    EXPECT_EQ(progress, (std::vector<int>{160032, 160238}));
}

TEST_F(ExitSide, DialWithoutAuthenticationWhenTheExitNeedsNone)
{
    FakeExit exit(m_io, [](FakeExit::Socket s) {
        return testing::answerGreeting(std::move(s), {0x05, 0x00});
    });
    EXPECT_EQ(dialOnce(settingsFor(exit.port())), std::nullopt);
}

TEST_F(ExitSide, DialClassifiesWhatGoesWrong)
{
    FakeExit authenticating(m_io, testing::authenticate);
    EXPECT_EQ(dialOnce(settingsFor(authenticating.port(), "wrong")), ExitFailure::Rejected);

    const struct
    {
        const char* what;
        Bytes answer;
        ExitFailure failure;
    } answers[] = {
        {"no acceptable method", {0x05, 0xFF}, ExitFailure::Rejected},
        {"a method not offered", {0x05, 0x01}, ExitFailure::NotSocks},
        {"an HTTP server", Bytes{'H', 'T', 'T', 'P', '/', '1'}, ExitFailure::NotSocks},
        {"SOCKS4", {0x00, 0x5A}, ExitFailure::NotSocks},
        {"more than the answer", {0x05, 0x00, 0x05}, ExitFailure::NotSocks},
    };
    for (const auto& c : answers) {
        FakeExit exit(m_io, [answer = c.answer](FakeExit::Socket s) {
            return testing::answerGreeting(std::move(s), answer);
        });
        EXPECT_EQ(dialOnce(settingsFor(exit.port())), c.failure) << c.what;
    }

    FakeExit mute(m_io, testing::stayMute);
    EXPECT_EQ(dialOnce(settingsFor(mute.port())), ExitFailure::TimedOut);

    FakeExit closing(m_io, [](FakeExit::Socket s) -> asio::awaitable<void> {
        s->close();
        co_return;
    });
    EXPECT_EQ(dialOnce(settingsFor(closing.port())), ExitFailure::Refused);

    EXPECT_EQ(dialOnce(settingsFor(testing::freeLoopbackPort(), testing::kKey, kRefusalStep)),
              ExitFailure::Refused);
}

TEST_F(ExitSide, TheDestinationsFirstWordsArriveWithTheExitsAnswer)
{
    FakeExit exit(
        m_io, [](FakeExit::Socket s) { return testing::connectWithBanner(std::move(s), "220 ready\r\n"); });
    ExitDialer dialer(m_io.get_executor(), settingsFor(exit.port()));
    ConnectResult result;
    ASSERT_TRUE(runToEnd(m_io, [&]() -> asio::awaitable<void> {
        DialResult dialed = co_await dialer.dial();
        socks5::Address destination; // a named value: g++ 12 frees temporaries of a co_await twice
        if (dialed.socket)
            result = co_await requestConnect(*dialed.socket, std::move(destination), dialer.stepLimit());
    }()));
    ASSERT_EQ(result.failure, std::nullopt);
    EXPECT_EQ(result.answer.reply, socks5::Reply::Succeeded);
    EXPECT_EQ(std::string(result.early.begin(), result.early.end()), "220 ready\r\n");
}

class SparePoolTest : public ExitSide
{
protected:
    // A pool started the way verification starts it, with one authenticated connection.
    void startPool(std::uint16_t port, SparePool::Limits limits,
                   std::chrono::steady_clock::duration stepLimit = kQuickStep)
    {
        m_dialer.emplace(m_io.get_executor(), settingsFor(port, testing::kKey, stepLimit));
        m_pool.emplace(
            m_io.get_executor(), *m_dialer, [this](ExitFailure failure) { m_failures.push_back(failure); },
            limits);
        ASSERT_TRUE(runToEnd(m_io, [&]() -> asio::awaitable<void> {
            DialResult first = co_await m_dialer->dial();
            if (first.socket)
                m_pool->start(std::move(*first.socket));
        }()));
    }

    // Runs the io_context until `condition` holds, for at most `limit`.
    bool runUntil(const std::function<bool()>& condition,
                  std::chrono::steady_clock::duration limit = testing::kRunLimit)
    {
        bool held = false;
        const bool ended = runToEnd(
            m_io, [&]() -> asio::awaitable<void> { held = co_await eventually(condition, limit); }());
        return ended && held;
    }

    std::optional<ExitDialer> m_dialer;
    std::optional<SparePool> m_pool;
    std::vector<ExitFailure> m_failures;
};

TEST_F(SparePoolTest, KeepsTwoSparesAndReplacesTakenOnes)
{
    FakeExit exit(m_io, testing::authenticate);
    startPool(exit.port(), {});
    ASSERT_TRUE(runUntil([&] { return m_pool->size() == 2; }));
    EXPECT_EQ(exit.accepted(), 2);

    // With a spare left, the replacement waits until the taker is under way (or gone).
    auto first = m_pool->take();
    ASSERT_TRUE(first);
    EXPECT_TRUE(first->socket.is_open());
    EXPECT_FALSE(runUntil([&] { return exit.accepted() > 2; }, std::chrono::milliseconds(200)));
    EXPECT_EQ(m_pool->size(), 1u);
    first.reset();
    ASSERT_TRUE(runUntil([&] { return m_pool->size() == 2; }));
    EXPECT_EQ(exit.accepted(), 3);

    // Taking the last spare fills the pool again at once; the replacements still owed
    // then find it full.
    auto second = m_pool->take();
    auto third = m_pool->take();
    ASSERT_TRUE(second && third);
    ASSERT_TRUE(runUntil([&] { return m_pool->size() == 2; }));
    second->replacement.dial();
    third.reset();
    EXPECT_FALSE(runUntil([&] { return exit.accepted() > 5; }, std::chrono::milliseconds(200)));
    EXPECT_TRUE(m_failures.empty());
}

TEST_F(SparePoolTest, ReplacesSparesTheExitCloses)
{
    // The first connections are closed by the exit right after authentication.
    const auto closeFirst = std::make_shared<int>(4);
    FakeExit exit(m_io, [closeFirst](FakeExit::Socket s) {
        return --*closeFirst >= 0 ? testing::authenticateThenClose(std::move(s))
                                  : testing::authenticate(std::move(s));
    });
    startPool(exit.port(), {});
    ASSERT_TRUE(runUntil([&] { return exit.accepted() == 6 && m_pool->size() == 2; }));
    EXPECT_TRUE(m_failures.empty());
}

TEST_F(SparePoolTest, ReplacesSparesBeforeTheExitTimesThemOut)
{
    FakeExit exit(m_io, testing::authenticate);
    startPool(exit.port(), {2, std::chrono::milliseconds(50)});
    ASSERT_TRUE(runUntil([&] { return exit.accepted() >= 8; }));
    EXPECT_LE(m_pool->size(), 2u);
}

TEST_F(SparePoolTest, ReportsWhenReplacementsFailAndStopsOnRequest)
{
    FakeExit exit(m_io, testing::authenticate);
    startPool(exit.port(), {}, kRefusalStep);
    ASSERT_TRUE(runUntil([&] { return m_pool->size() == 2; }));

    exit.kill(); // the spares see the exit go, their replacements are refused
    ASSERT_TRUE(runUntil([&] { return !m_failures.empty(); }));
    EXPECT_EQ(m_failures.front(), ExitFailure::Refused);
    m_pool->stop();
    EXPECT_EQ(m_pool->size(), 0u);
    EXPECT_FALSE(m_pool->take());
}

} // namespace
} // namespace warden
