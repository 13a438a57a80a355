#pragma once

// The one request the local HTTP sources of the benchmark and the tests understand:
// "GET /bytes/N" asks for N bytes of bulk content, any other path for a short page.

#include <asio/awaitable.hpp>
#include <asio/ip/tcp.hpp>
#include <asio/read_until.hpp>
#include <asio/use_awaitable.hpp>

#include <cstdint>
#include <optional>
#include <string>

namespace bulkhttp {

// The bulk length asked for, or nothing when the request is for the page.
inline asio::awaitable<std::optional<std::uint64_t>> readRequest(asio::ip::tcp::socket& socket)
{
    std::string request;
    co_await asio::async_read_until(socket, asio::dynamic_buffer(request), "\r\n\r\n", asio::use_awaitable);
    const auto pathStart = request.find(' ') + 1;
    const std::string path = request.substr(pathStart, request.find(' ', pathStart) - pathStart);
    if (!path.starts_with("/bytes/"))
        co_return std::nullopt;
    co_return std::stoull(path.substr(7));
}

inline std::string responseHead(std::uint64_t contentLength)
{
    return "HTTP/1.1 200 OK\r\nContent-Length: " + std::to_string(contentLength) +
           "\r\nConnection: close\r\n\r\n";
}

} // namespace bulkhttp
