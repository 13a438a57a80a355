// Warden as the tray program runs it: curl -> Warden -> microsocks -> a local web server.

#include "support/Chain.h"
#include "support/HttpSource.h"
#include "support/Loopback.h"
#include "support/RawClient.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <memory>
#include <unistd.h>
#include <vector>

namespace warden::testing {
namespace {

using std::chrono::milliseconds;
using std::chrono::seconds;
using namespace std::string_literals;

const std::string kGreeting = "\x05\x01\x00"s;

std::string readFile(const std::filesystem::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

// The offset of the first byte of the file that differs from the pattern, or its size.
std::uint64_t patternPrefix(const std::filesystem::path& path)
{
    std::ifstream in(path, std::ios::binary);
    std::vector<char> chunk(1 << 20);
    std::uint64_t offset = 0;
    while (in.read(chunk.data(), static_cast<std::streamsize>(chunk.size())) || in.gcount() > 0) {
        for (std::streamsize i = 0; i < in.gcount(); ++i, ++offset)
            if (static_cast<std::uint8_t>(chunk[static_cast<std::size_t>(i)]) != patternByte(offset))
                return offset;
    }
    return offset;
}

class Chain : public ::testing::Test
{
protected:
    void SetUp() override
    {
        m_warden = std::make_unique<WardenProcess>(m_exit.port(), kKey, "127.0.0.1", kQuickRetries);
        ASSERT_TRUE(m_warden->waitFor(160138));
    }

    void TearDown() override { std::filesystem::remove(m_output); }

    std::string url(const std::string& host, const std::string& path) const
    {
        return "http://" + host + ":" + std::to_string(m_source.port()) + path;
    }

    int fetch(const std::string& url) const { return curlThrough(m_warden->localPort(), url, m_output); }

    HttpSource m_source;
    Microsocks m_exit{freeLoopbackPort()};
    std::unique_ptr<WardenProcess> m_warden;
    const std::filesystem::path m_output =
        std::filesystem::temp_directory_path() / ("warden-chain-" + std::to_string(::getpid()));
};

TEST_F(Chain, ReportsEachStepAsItHappensUntilReady)
{
    // Read through the pipe while Warden runs: each line was flushed when it happened.
    EXPECT_FALSE(m_warden->process().waitExit(milliseconds(0)));
    EXPECT_EQ(m_warden->codes(), (std::vector<int>{160032, 160238, 160239, 160138}));
    for (const auto& line : m_warden->lines())
        EXPECT_TRUE(isStatusLine(line)) << line;
}

TEST_F(Chain, CurlFetchesAPageByteForByteByAddressAndByName)
{
    ASSERT_EQ(fetch(url("127.0.0.1", "/index.html")), 0);
    EXPECT_EQ(readFile(m_output), kPage);
    // With --socks5-hostname the name travels to the exit, which resolves it.
    ASSERT_EQ(fetch(url("localhost", "/index.html")), 0);
    EXPECT_EQ(readFile(m_output), kPage);
}

TEST_F(Chain, AHundredMebibytesArriveIntact)
{
    constexpr std::uint64_t kLength = 100ull << 20;
    ASSERT_EQ(fetch(url("127.0.0.1", "/bytes/" + std::to_string(kLength))), 0);
    EXPECT_EQ(std::filesystem::file_size(m_output), kLength);
    EXPECT_EQ(patternPrefix(m_output), kLength);
}

TEST_F(Chain, AnAbandonedDownloadEndsOnlyItsOwnRelay)
{
    // Warden goes on writing into a connection the client has ended and then reset: a
    // broken pipe, which must end that one relay and not the process.
    RawClient client("127.0.0.1", m_warden->localPort());
    client.send(kGreeting);
    ASSERT_EQ(client.receive(2, seconds(5)), "\x05\x00"s);
    const std::uint16_t port = m_source.port();
    client.send("\x05\x01\x00\x01\x7F\x00\x00\x01"s + char(port >> 8) + char(port & 0xFF));
    ASSERT_EQ(client.receive(10, seconds(10)).size(), 10u);
    client.send("GET /bytes/1073741824 HTTP/1.1\r\nHost: 127.0.0.1\r\n\r\n");
    ASSERT_EQ(client.receive(64 * 1024, seconds(10)).size(), 64u * 1024);
    client.abandon();

    ASSERT_EQ(fetch(url("127.0.0.1", "/")), 0);
    EXPECT_EQ(readFile(m_output), kPage);
    EXPECT_FALSE(m_warden->process().waitExit(milliseconds(0)));
}

TEST_F(Chain, ListensOn127001Only)
{
    EXPECT_TRUE(RawClient("127.0.0.1", m_warden->localPort()).connected());
    EXPECT_FALSE(RawClient("127.0.0.2", m_warden->localPort()).connected());
}

TEST_F(Chain, ReportsTheLostExitAndIsReadyAgainWhenItIsBack)
{
    m_exit.stop();
    ASSERT_TRUE(m_warden->waitFor(160037));
    ASSERT_TRUE(m_warden->waitFor(160034)); // the first retry finds nobody there
    m_exit.start();
    ASSERT_TRUE(m_warden->waitFor(160138));
    const auto codes = m_warden->codes();
    const std::vector<int> lastRetry(codes.end() - 5, codes.end());
    EXPECT_EQ(lastRetry, (std::vector<int>{160199, 160032, 160238, 160239, 160138}));
    ASSERT_EQ(fetch(url("127.0.0.1", "/")), 0);
    EXPECT_EQ(readFile(m_output), kPage);
}

TEST_F(Chain, MisbehavingClientsAreDroppedWhileOthersAreServed)
{
    RawClient slow("127.0.0.1", m_warden->localPort());
    slow.send("\x05"); // half a greeting, then nothing

    RawClient http("127.0.0.1", m_warden->localPort());
    http.send("GET / HTTP/1.1\r\n\r\n");
    EXPECT_TRUE(http.closedWithin(seconds(5)));

    RawClient wantsAuth("127.0.0.1", m_warden->localPort());
    wantsAuth.send("\x05\x01\x02");
    EXPECT_EQ(wantsAuth.receive(2, seconds(5)), "\x05\xFF");
    EXPECT_TRUE(wantsAuth.closedWithin(seconds(5)));

    const struct
    {
        const char* what;
        std::string request;
        char reply;
    } refused[] = {
        {"BIND", "\x05\x02\x00\x01\x7F\x00\x00\x01\x00\x50"s, '\x07'},
        {"UDP ASSOCIATE", "\x05\x03\x00\x01\x00\x00\x00\x00\x00\x00"s, '\x07'},
        {"unknown address type", "\x05\x01\x00\x09"s, '\x08'},
        {"empty domain", "\x05\x01\x00\x03\x00\x00\x50"s, '\x01'},
    };
    for (const auto& c : refused) {
        RawClient client("127.0.0.1", m_warden->localPort());
        client.send(kGreeting);
        EXPECT_EQ(client.receive(2, seconds(5)), "\x05\x00"s) << c.what;
        client.send(c.request);
        const std::string reply = client.receive(10, seconds(5));
        ASSERT_EQ(reply.size(), 10u) << c.what;
        EXPECT_EQ(reply[1], c.reply) << c.what;
        EXPECT_TRUE(client.closedWithin(seconds(5))) << c.what;
    }

    ASSERT_EQ(fetch(url("127.0.0.1", "/")), 0);
    EXPECT_EQ(readFile(m_output), kPage);
    EXPECT_FALSE(slow.closedWithin(milliseconds(0))); // still within its 10 s
}

TEST_F(Chain, AClientThatDoesNotFinishItsHandshakeIsClosedAtTheLimit)
{
    WardenProcess warden(m_exit.port(), kKey, "127.0.0.1", {"-handshake", "500"});
    ASSERT_TRUE(warden.waitFor(160138));
    RawClient slow("127.0.0.1", warden.localPort());
    slow.send("\x05"); // half a greeting, then nothing
    RawClient greeted("127.0.0.1", warden.localPort());
    greeted.send(kGreeting); // a greeting, then no request
    EXPECT_EQ(greeted.receive(2, seconds(5)), "\x05\x00"s);
    EXPECT_TRUE(slow.closedWithin(seconds(5)));
    EXPECT_TRUE(greeted.closedWithin(seconds(5)));
}

TEST_F(Chain, AClientThatSendsEverythingAtOnceIsServed)
{
    // Greeting, request and the page request in one segment, as an impatient client
    // does: nothing after the handshake may be lost on the way to the exit.
    const std::uint16_t port = m_source.port();
    RawClient client("127.0.0.1", m_warden->localPort());
    client.send(kGreeting + "\x05\x01\x00\x01\x7F\x00\x00\x01"s + char(port >> 8) + char(port & 0xFF) +
                "GET / HTTP/1.1\r\nHost: 127.0.0.1\r\n\r\n");
    EXPECT_EQ(client.receive(2, seconds(5)), "\x05\x00"s);
    const std::string reply = client.receive(10, seconds(5));
    ASSERT_EQ(reply.size(), 10u);
    EXPECT_EQ(reply[1], '\x00');
    const std::string response = client.receive(4096, seconds(5));
    EXPECT_TRUE(response.ends_with(kPage)) << response;
}

TEST_F(Chain, PassesTheExitsRefusalOnAndReportsItAtMostOncePerTenSeconds)
{
    const std::uint16_t closedPort = freeLoopbackPort();
    for (int i = 0; i < 3; ++i) {
        RawClient client("127.0.0.1", m_warden->localPort());
        client.send(kGreeting);
        ASSERT_EQ(client.receive(2, seconds(5)), "\x05\x00"s);
        client.send("\x05\x01\x00\x01\x7F\x00\x00\x01"s + char(closedPort >> 8) + char(closedPort & 0xFF));
        const std::string reply = client.receive(10, seconds(10));
        ASSERT_GE(reply.size(), 2u);
        EXPECT_EQ(reply[1], '\x05'); // connection refused, as microsocks put it
    }
    EXPECT_TRUE(m_warden->waitFor(160207));
    EXPECT_FALSE(m_warden->waitFor(160207, seconds(1)));
}

TEST_F(Chain, ClientsBeyondTheCapAreClosedAtOnce)
{
    constexpr std::size_t kCap = 4096;
    std::vector<std::unique_ptr<RawClient>> idle;
    for (std::size_t i = 0; i < kCap; ++i) {
        idle.push_back(std::make_unique<RawClient>("127.0.0.1", m_warden->localPort()));
        ASSERT_TRUE(idle.back()->connected()) << i;
    }
    RawClient extra("127.0.0.1", m_warden->localPort());
    ASSERT_TRUE(extra.connected());
    EXPECT_TRUE(extra.closedWithin(seconds(5)));
    EXPECT_FALSE(idle.front()->closedWithin(milliseconds(0)));

    // Room again once they are gone (Warden notices their leaving a moment later).
    idle.clear();
    int status = -1;
    for (int attempt = 0; attempt < 50 && status != 0; ++attempt) {
        if (attempt > 0)
            ::usleep(100'000);
        status = fetch(url("127.0.0.1", "/"));
    }
    EXPECT_EQ(status, 0);
}

} // namespace
} // namespace warden::testing
