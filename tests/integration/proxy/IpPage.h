#pragma once

// A "what is my IP" page on 127.0.0.1: every request is answered with the address it came
// from, and the addresses are kept in order, so a test sees what a browser's request
// looked like from the outside.

#include <asio/awaitable.hpp>
#include <asio/io_context.hpp>
#include <asio/ip/tcp.hpp>

#include <cstdint>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

class IpPage
{
public:
    IpPage();
    ~IpPage(); // stops the server and joins its thread

    std::string url() const { return "http://127.0.0.1:" + std::to_string(m_port) + "/ip"; }
    // The addresses the requests came from, in order.
    std::vector<std::string> visitors() const;

private:
    asio::awaitable<void> serve();
    asio::awaitable<void> answer(asio::ip::tcp::socket socket);

    asio::io_context m_io;
    asio::ip::tcp::acceptor m_acceptor;
    std::uint16_t m_port;
    mutable std::mutex m_mutex;
    std::vector<std::string> m_visitors;
    std::thread m_thread;
};
