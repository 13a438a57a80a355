#include "platform/windows/WinInetHttp.h"

#include "platform/windows/WindowsSystemProxy.h"

#include <asio.hpp>
#include <gtest/gtest.h>

#include <chrono>
#include <map>
#include <mutex>
#include <thread>

using namespace platform;

namespace {

// A minimal HTTP server on 127.0.0.1 for one test: it reads each request's head (and a
// body of the length it names), keeps them, answers the page registered for the path,
// with or without a Content-Length, and closes the connection.
class PageServer
{
public:
    struct Page
    {
        std::string body;
        bool withLength = true;
    };

    explicit PageServer(std::map<std::string, Page> pages)
        : m_pages(std::move(pages)), m_acceptor(m_io, {asio::ip::make_address("127.0.0.1"), 0})
    {
        accept();
        m_thread = std::thread([this] { m_io.run(); });
    }
    ~PageServer()
    {
        m_io.stop();
        m_thread.join();
    }

    int port() const { return m_acceptor.local_endpoint().port(); }
    std::string url(const std::string& path) const
    {
        return "http://127.0.0.1:" + std::to_string(port()) + path;
    }
    // Each request: its head, then its body.
    std::vector<std::pair<std::string, std::string>> requests() const
    {
        std::lock_guard lock(m_mutex);
        return m_requests;
    }

private:
    void accept()
    {
        m_acceptor.async_accept([this](std::error_code failed, asio::ip::tcp::socket socket) {
            if (!failed) {
                answer(socket);
                accept();
            }
        });
    }

    void answer(asio::ip::tcp::socket& socket)
    {
        asio::streambuf received;
        std::error_code failed;
        const std::size_t headSize = asio::read_until(socket, received, "\r\n\r\n", failed);
        if (failed) {
            return;
        }
        const std::string all(asio::buffers_begin(received.data()), asio::buffers_end(received.data()));
        const std::string head = all.substr(0, headSize);
        std::string body = all.substr(headSize);
        const std::size_t lengthAt = head.find("\r\nContent-Length: ");
        const std::size_t length = lengthAt == std::string::npos ? 0 : std::stoul(head.substr(lengthAt + 18));
        if (body.size() < length) {
            std::string rest(length - body.size(), '\0');
            asio::read(socket, asio::buffer(rest), failed);
            body += rest;
        }
        const std::size_t pathAt = head.find(' ') + 1;
        const auto page = m_pages.find(head.substr(pathAt, head.find(' ', pathAt) - pathAt));
        const Page answered = page != m_pages.end() ? page->second : Page{"no such page"};
        {
            std::lock_guard lock(m_mutex);
            m_requests.emplace_back(head, body);
        }
        std::string answer = page != m_pages.end() ? "HTTP/1.0 200 OK\r\n" : "HTTP/1.0 404 Not Found\r\n";
        if (answered.withLength) {
            answer += "Content-Length: " + std::to_string(answered.body.size()) + "\r\n";
        }
        answer += "\r\n" + answered.body;
        asio::write(socket, asio::buffer(answer), failed);
        socket.shutdown(asio::ip::tcp::socket::shutdown_both, failed);
    }

    const std::map<std::string, Page> m_pages;
    asio::io_context m_io;
    asio::ip::tcp::acceptor m_acceptor;
    std::thread m_thread;
    mutable std::mutex m_mutex;
    std::vector<std::pair<std::string, std::string>> m_requests;
};

// Everything left in a body.
std::string readAll(HttpBody& body)
{
    std::string text;
    char block[1024];
    for (std::size_t got; (got = body.read(block, sizeof block)) > 0;) {
        text.append(block, got);
    }
    return text;
}

std::string requestLine(const std::string& head)
{
    return head.substr(0, head.find("\r\n"));
}

std::string headerLine(const std::string& head, const std::string& name)
{
    const std::size_t at = head.find("\r\n" + name + ":");
    return at == std::string::npos ? "" : head.substr(at + 2, head.find("\r\n", at + 2) - at - 2);
}

// A port of 127.0.0.1 that nothing listens on.
int unusedPort()
{
    asio::io_context io;
    asio::ip::tcp::acceptor acceptor(io, {asio::ip::make_address("127.0.0.1"), 0});
    return acceptor.local_endpoint().port();
}

// A body of every byte value, zero included, longer than a few blocks.
std::string binaryBody()
{
    std::string body;
    for (int i = 0; i < 5000; ++i) {
        body += static_cast<char>((i * 7) % 256);
    }
    return body;
}

} // namespace

TEST(WinInetHttp, AWholeUrlGivesItsBodyByteForByteWhateverTheStatus)
{
    PageServer server({{"/page.bin", {binaryBody()}}});
    WinInetHttp http;
    const auto session = http.open("Test Agent/1.0");
    ASSERT_TRUE(session);
    // Blocks are filled whole, whatever the server's packets: 4 of 1024, then the rest.
    const auto body = session->openUrl(server.url("/page.bin"));
    ASSERT_TRUE(body);
    std::string received;
    std::vector<std::size_t> blocks;
    char block[1024];
    for (std::size_t got; (got = body->read(block, sizeof block)) > 0;) {
        received.append(block, got);
        blocks.push_back(got);
    }
    EXPECT_EQ(received, binaryBody());
    EXPECT_EQ(blocks, (std::vector<std::size_t>{1024, 1024, 1024, 1024, 5000 - 4 * 1024}));

    const auto again = session->openUrl(server.url("/page.bin"));
    ASSERT_TRUE(again);
    const auto missing = session->openUrl(server.url("/missing"));
    ASSERT_TRUE(missing);
    EXPECT_EQ(readAll(*missing), "no such page");

    const auto requests = server.requests();
    ASSERT_EQ(requests.size(), 3u);
    EXPECT_EQ(requestLine(requests[0].first), "GET /page.bin HTTP/1.1");
    EXPECT_EQ(headerLine(requests[0].first, "User-Agent"), "User-Agent: Test Agent/1.0");
    // The same page twice came from the server twice, not from a cache.
    EXPECT_EQ(requestLine(requests[1].first), "GET /page.bin HTTP/1.1");
}

TEST(WinInetHttp, ARequestCarriesItsVerbPathVersionHeadersAndBody)
{
    PageServer server({{"/form", {"answer"}}, {"/nolength", {"until the end", false}}});
    WinInetHttp http;
    const auto session = http.open("Test Agent/1.0");
    ASSERT_TRUE(session);
    const auto connection = session->connect("127.0.0.1", server.port(), "", "");
    ASSERT_TRUE(connection);

    const auto post = connection->openRequest("POST", "/form", "HTTP/1.0", "http://referrer.example/",
                                              {"Accept: */*"}, true);
    ASSERT_TRUE(post);
    ASSERT_TRUE(post->send("Content-Type: application/x-www-form-urlencoded", "a=1&b=two"));
    EXPECT_EQ(post->contentLength(), "6");
    EXPECT_EQ(readAll(*post), "answer");

    const auto get =
        connection->openRequest("GET", "/nolength", "HTTP/1.0", "", {"text/plain", "text/html"}, false);
    ASSERT_TRUE(get);
    ASSERT_TRUE(get->send("", ""));
    EXPECT_EQ(get->contentLength(), std::nullopt);
    EXPECT_EQ(readAll(*get), "until the end");

    const auto requests = server.requests();
    ASSERT_EQ(requests.size(), 2u);
    const std::string& postHead = requests[0].first;
    EXPECT_EQ(requestLine(postHead), "POST /form HTTP/1.0");
    EXPECT_EQ(headerLine(postHead, "User-Agent"), "User-Agent: Test Agent/1.0");
    // The accept type is sent as given, prefix and all.
    EXPECT_EQ(headerLine(postHead, "Accept"), "Accept: Accept: */*");
    EXPECT_EQ(headerLine(postHead, "Referer"), "Referer: http://referrer.example/");
    EXPECT_EQ(headerLine(postHead, "Content-Type"), "Content-Type: application/x-www-form-urlencoded");
    EXPECT_EQ(headerLine(postHead, "Pragma"), "Pragma: no-cache");
    EXPECT_EQ(requests[0].second, "a=1&b=two");

    const std::string& getHead = requests[1].first;
    EXPECT_EQ(requestLine(getHead), "GET /nolength HTTP/1.0");
    EXPECT_EQ(headerLine(getHead, "Accept"), "Accept: text/plain, text/html");
    EXPECT_EQ(headerLine(getHead, "Referer"), "");
    EXPECT_EQ(headerLine(getHead, "Pragma"), "");
    EXPECT_EQ(requests[1].second, "");

    // An error page is an answer too: its status tells it from the page asked for.
    EXPECT_EQ(post->status(), 200);
    const auto missing = connection->openRequest("GET", "/missing", "HTTP/1.0", "", {"*/*"}, true);
    ASSERT_TRUE(missing && missing->send("", ""));
    EXPECT_EQ(missing->status(), 404);
}

TEST(WinInetHttp, TheProgramsOwnProxyNamedByTheSystemIsPassedOver)
{
    // The system left pointing at a Warden that is gone.
    PageServer server({{"/page", {"direct", true}}});
    WindowsSystemProxy system;
    const auto users = system.userSettings();
    const std::string own = "127.0.0.1:" + std::to_string(unusedPort());
    ASSERT_TRUE(system.setOptions(std::nullopt, {SystemProxy::kThroughProxy, "socks=" + own, std::nullopt}));
    WinInetHttp http;
    http.setOwnProxy(own);
    const auto session = http.open("");
    ASSERT_TRUE(session);
    const auto body = session->openUrl(server.url("/page"));
    EXPECT_TRUE(body && readAll(*body) == "direct");
    EXPECT_TRUE(system.restoreSettings(users));
}

TEST(WinInetHttp, NothingListeningGivesNoBodyAndNoAnswer)
{
    const int port = unusedPort();
    WinInetHttp http;
    const auto session = http.open("");
    ASSERT_TRUE(session);
    // Under wine the failure is 12029 (no connection could be made).
    EXPECT_FALSE(session->openUrl("http://127.0.0.1:" + std::to_string(port) + "/"));
    const auto connection = session->connect("127.0.0.1", port, "", "");
    ASSERT_TRUE(connection); // a connection is only made when a request goes out
    const auto request = connection->openRequest("GET", "/", "HTTP/1.0", "", {"*/*"}, true);
    ASSERT_TRUE(request);
    EXPECT_FALSE(request->send("", ""));
    EXPECT_EQ(request->contentLength(), std::nullopt);
    EXPECT_EQ(request->status(), 0);
    char block[16];
    EXPECT_EQ(request->read(block, sizeof block), 0u);
    EXPECT_FALSE(session->connect("127.0.0.1", 70000, "", ""));
}

TEST(WinInetHttp, AServerThatNeverAnswersIsGivenUpOnAfterTheSilenceLimit)
{
    // Connections wait in the listener's backlog: made, and never answered. Only the
    // request on a connection: wine's whole-URL open ignores the session's time-outs.
    asio::io_context io;
    asio::ip::tcp::acceptor silent(io, {asio::ip::make_address("127.0.0.1"), 0});
    const int port = silent.local_endpoint().port();
    WinInetHttp http;
    http.setSilenceLimit(std::chrono::milliseconds(300));
    const auto session = http.open("");
    ASSERT_TRUE(session);
    const auto connection = session->connect("127.0.0.1", port, "", "");
    ASSERT_TRUE(connection);
    const auto request = connection->openRequest("GET", "/", "HTTP/1.0", "", {"*/*"}, true);
    ASSERT_TRUE(request);
    EXPECT_FALSE(request->send("", ""));
    EXPECT_EQ(request->status(), 0);
}
