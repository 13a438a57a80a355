#include "IpPage.h"

#include <asio/co_spawn.hpp>
#include <asio/detached.hpp>
#include <asio/read_until.hpp>
#include <asio/use_awaitable.hpp>
#include <asio/write.hpp>

using asio::ip::tcp;

IpPage::IpPage()
    : m_acceptor(m_io, tcp::endpoint(asio::ip::address_v4::loopback(), 0)),
      m_port(m_acceptor.local_endpoint().port())
{
    asio::co_spawn(m_io, serve(), asio::detached);
    m_thread = std::thread([this] { m_io.run(); });
}

IpPage::~IpPage()
{
    m_io.stop();
    m_thread.join();
}

std::vector<std::string> IpPage::visitors() const
{
    const std::lock_guard lock(m_mutex);
    return m_visitors;
}

asio::awaitable<void> IpPage::serve()
{
    for (;;) {
        tcp::socket socket = co_await m_acceptor.async_accept(asio::use_awaitable);
        asio::co_spawn(m_io, answer(std::move(socket)), asio::detached);
    }
}

asio::awaitable<void> IpPage::answer(tcp::socket socket)
{
    std::string request;
    co_await asio::async_read_until(socket, asio::dynamic_buffer(request), "\r\n\r\n", asio::use_awaitable);
    std::error_code failed;
    const std::string visitor = socket.remote_endpoint(failed).address().to_string();
    // Browsers ask for a page icon too; only the page counts.
    if (request.starts_with("GET /ip ")) {
        const std::lock_guard lock(m_mutex);
        m_visitors.push_back(visitor);
    }
    const std::string body = "<html><body><p id=\"ip\">" + visitor + "</p></body></html>\n";
    const std::string response =
        "HTTP/1.1 200 OK\r\nContent-Type: text/html\r\nContent-Length: " + std::to_string(body.size()) +
        "\r\nConnection: close\r\n\r\n" + body;
    co_await asio::async_write(socket, asio::buffer(response), asio::use_awaitable);
}
