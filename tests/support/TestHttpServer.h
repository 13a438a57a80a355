#pragma once

#include <atomic>
#include <cstdint>
#include <map>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

// An HTTP server on 127.0.0.1 for the tests, which answers by the path it is asked for and
// misbehaves on request:
//   /status/N/TEXT    status N with TEXT as the body (Content-Length given)
//   /zero             a body with a zero byte in it
//   /bytes/N          N bytes of a counting pattern, Content-Length N
//   /nolength/N       N bytes, no Content-Length, then the end of the connection
//   /broken/N/M       Content-Length N, M bytes, then the connection reset
//   /length/TEXT/N    a Content-Length of TEXT and N bytes
//   /slow/N           N blocks of 1025 bytes, one every 100 ms
//   /endless          bytes without end and without a length
//   /bigheader        a header line of 1 MiB
//   /silent           nothing at all, the connection held open
//   /stalled/N/M      Content-Length N, M bytes, then nothing, the connection held open
// and any path registered with serve() with its body (Content-Length given).
// Every request's head (request line and headers) is kept, in order.
class TestHttpServer
{
public:
    TestHttpServer();
    ~TestHttpServer(); // stops serving and closes every connection

    std::uint16_t port() const { return m_port; }
    std::string url(const std::string& path) const
    {
        return "http://127.0.0.1:" + std::to_string(m_port) + path;
    }
    std::vector<std::string> requests() const;
    // Answers `path` exactly with status 200 and `body` from now on.
    void serve(const std::string& path, std::string body);

    // A port of 127.0.0.1 that nothing listens on.
    static std::uint16_t unusedPort();
    // The byte at `offset` of a /bytes, /slow or /broken body.
    static char patternByte(std::size_t offset) { return static_cast<char>('a' + offset % 26); }

private:
    void serve();
    void answer(int client);

    int m_listener = -1;
    std::uint16_t m_port = 0;
    std::atomic<bool> m_stopping = false;
    mutable std::mutex m_mutex;
    std::vector<std::string> m_requests;
    std::map<std::string, std::string> m_bodies;
    std::vector<int> m_clients;
    std::vector<std::thread> m_threads;
    std::thread m_acceptor;
};
