#include "HttpSource.h"

#include "bench/BulkHttp.h"

#include <asio/co_spawn.hpp>
#include <asio/detached.hpp>
#include <asio/use_awaitable.hpp>
#include <asio/write.hpp>

#include <algorithm>
#include <string>
#include <vector>

namespace warden::testing {

using asio::ip::tcp;

std::uint8_t patternByte(std::uint64_t offset)
{
    return static_cast<std::uint8_t>((offset * 0x9E3779B97F4A7C15ull) >> 56);
}

namespace {

asio::awaitable<void> answer(tcp::socket socket)
{
    const std::optional<std::uint64_t> pattern = co_await bulkhttp::readRequest(socket);
    const std::uint64_t length = pattern.value_or(kPage.size());
    const std::string head = bulkhttp::responseHead(length);
    co_await asio::async_write(socket, asio::buffer(head), asio::use_awaitable);
    if (!pattern) {
        co_await asio::async_write(socket, asio::buffer(kPage), asio::use_awaitable);
        co_return;
    }
    std::vector<std::uint8_t> chunk(256 * 1024);
    for (std::uint64_t sent = 0; sent < length;) {
        const std::size_t n = static_cast<std::size_t>(std::min<std::uint64_t>(chunk.size(), length - sent));
        for (std::size_t i = 0; i < n; ++i)
            chunk[i] = patternByte(sent + i);
        co_await asio::async_write(socket, asio::buffer(chunk.data(), n), asio::use_awaitable);
        sent += n;
    }
}

asio::awaitable<void> serve(tcp::acceptor& acceptor)
{
    for (;;) {
        tcp::socket socket = co_await acceptor.async_accept(asio::use_awaitable);
        asio::co_spawn(acceptor.get_executor(), answer(std::move(socket)), asio::detached);
    }
}

} // namespace

HttpSource::HttpSource()
    : m_acceptor(m_io, tcp::endpoint(asio::ip::address_v4::loopback(), 0)),
      m_port(m_acceptor.local_endpoint().port())
{
    asio::co_spawn(m_io, serve(m_acceptor), asio::detached);
    m_thread = std::thread([this] { m_io.run(); });
}

HttpSource::~HttpSource()
{
    m_io.stop();
    m_thread.join();
}

} // namespace warden::testing
