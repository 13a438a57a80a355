#include "tests/support/TestHttpServer.h"

#include <arpa/inet.h>
#include <chrono>
#include <netinet/in.h>
#include <optional>
#include <poll.h>
#include <sys/socket.h>
#include <tuple>
#include <unistd.h>

namespace {

bool sendAll(int fd, const std::string& data)
{
    for (std::size_t sent = 0; sent < data.size();) {
        const ssize_t n = ::send(fd, data.data() + sent, data.size() - sent, MSG_NOSIGNAL);
        if (n <= 0) {
            return false;
        }
        sent += static_cast<std::size_t>(n);
    }
    return true;
}

std::string pattern(std::size_t from, std::size_t count)
{
    std::string bytes;
    for (std::size_t i = from; i < from + count; ++i) {
        bytes += TestHttpServer::patternByte(i);
    }
    return bytes;
}

// The parts of a path: "/a/b/c" gives a, b, c.
std::vector<std::string> parts(const std::string& path)
{
    std::vector<std::string> result;
    for (std::size_t at = 1; at <= path.size();) {
        const std::size_t end = std::min(path.find('/', at), path.size());
        result.push_back(path.substr(at, end - at));
        at = end + 1;
    }
    return result;
}

} // namespace

namespace {

// A socket bound to a port of 127.0.0.1 the system picked, and the port.
std::pair<int, std::uint16_t> boundSocket()
{
    const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    ::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address);
    ::getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length);
    return {fd, ntohs(address.sin_port)};
}

} // namespace

TestHttpServer::TestHttpServer()
{
    std::tie(m_listener, m_port) = boundSocket();
    ::listen(m_listener, 16);
    m_acceptor = std::thread([this] { serve(); });
}

std::uint16_t TestHttpServer::unusedPort()
{
    const auto [fd, port] = boundSocket();
    ::close(fd);
    return port;
}

TestHttpServer::~TestHttpServer()
{
    m_stopping = true;
    ::shutdown(m_listener, SHUT_RDWR);
    m_acceptor.join();
    {
        const std::lock_guard lock(m_mutex);
        for (const int client : m_clients) {
            ::shutdown(client, SHUT_RDWR);
        }
    }
    for (std::thread& thread : m_threads) {
        thread.join();
    }
    ::close(m_listener);
}

std::vector<std::string> TestHttpServer::requests() const
{
    const std::lock_guard lock(m_mutex);
    return m_requests;
}

void TestHttpServer::serve(const std::string& path, std::string body)
{
    const std::lock_guard lock(m_mutex);
    m_bodies[path] = std::move(body);
}

void TestHttpServer::serve()
{
    while (!m_stopping) {
        const int client = ::accept4(m_listener, nullptr, nullptr, SOCK_CLOEXEC);
        if (client < 0) {
            return;
        }
        const std::lock_guard lock(m_mutex);
        m_clients.push_back(client);
        m_threads.emplace_back([this, client] {
            answer(client);
            ::close(client);
        });
    }
}

void TestHttpServer::answer(int client)
{
    std::string head;
    char chunk[4096];
    while (head.find("\r\n\r\n") == std::string::npos) {
        const ssize_t n = ::recv(client, chunk, sizeof chunk, 0);
        if (n <= 0) {
            return;
        }
        head.append(chunk, static_cast<std::size_t>(n));
    }
    {
        const std::lock_guard lock(m_mutex);
        m_requests.push_back(head.substr(0, head.find("\r\n\r\n")));
    }
    const std::size_t pathStart = head.find(' ') + 1;
    const std::string wholePath = head.substr(pathStart, head.find(' ', pathStart) - pathStart);
    const std::vector<std::string> path = parts(wholePath);
    const auto number = [&](std::size_t i) { return i < path.size() ? std::stoul(path[i]) : 0ul; };
    const auto headFor = [](const std::string& status, const std::string& length) {
        return "HTTP/1.0 " + status + "\r\n" + (length.empty() ? "" : "Content-Length: " + length + "\r\n") +
               "Connection: close\r\n\r\n";
    };
    const std::string& kind = path.empty() ? "" : path[0];
    std::optional<std::string> registered;
    {
        const std::lock_guard lock(m_mutex);
        if (const auto found = m_bodies.find(wholePath); found != m_bodies.end()) {
            registered = found->second;
        }
    }
    if (registered) {
        sendAll(client, headFor("200 OK", std::to_string(registered->size())) + *registered);
    } else if (kind == "status") {
        const std::string text = path.size() > 2 ? path[2] : "";
        sendAll(client, headFor(path[1] + " Whatever", std::to_string(text.size())) + text);
    } else if (kind == "zero") {
        sendAll(client, headFor("200 OK", "12") + std::string("before\0after", 12));
    } else if (kind == "bytes") {
        sendAll(client, headFor("200 OK", std::to_string(number(1))) + pattern(0, number(1)));
    } else if (kind == "nolength") {
        sendAll(client, headFor("200 OK", "") + pattern(0, number(1)));
    } else if (kind == "broken") {
        sendAll(client, headFor("200 OK", std::to_string(number(1))) + pattern(0, number(2)));
        const linger reset{1, 0};
        ::setsockopt(client, SOL_SOCKET, SO_LINGER, &reset, sizeof reset);
    } else if (kind == "length") {
        sendAll(client, headFor("200 OK", path[1]) + pattern(0, number(2)));
    } else if (kind == "slow") {
        constexpr std::size_t kBlock = 1025;
        sendAll(client, headFor("200 OK", std::to_string(number(1) * kBlock)));
        for (std::size_t i = 0; i < number(1) && !m_stopping && sendAll(client, pattern(i * kBlock, kBlock));
             ++i) {
            std::this_thread::sleep_for(std::chrono::milliseconds(100));
        }
    } else if (kind == "endless") {
        sendAll(client, headFor("200 OK", ""));
        const std::string block = pattern(0, 64 * 1024);
        while (!m_stopping && sendAll(client, block)) {
        }
    } else if (kind == "bigheader") {
        sendAll(client, "HTTP/1.0 200 OK\r\nX-Big: " + std::string(1 << 20, 'x') + "\r\n\r\nbody");
    } else if (kind == "silent" || kind == "stalled") {
        if (kind == "stalled") {
            sendAll(client, headFor("200 OK", std::to_string(number(1))) + pattern(0, number(2)));
        }
        pollfd closed{client, POLLIN, 0};
        while (!m_stopping && ::poll(&closed, 1, 100) == 0) {
        }
    } else {
        sendAll(client, headFor("404 Not Found", "0"));
    }
}
