#pragma once

// Pages on 127.0.0.1 that tell a test what a browser showed of itself.
// - "/ip", a "what is my IP" page: every request is answered with the address it came from,
//   and the addresses are kept in order, so a test sees what a browser's request looked
//   like from the outside.
// - "/webrtc", a page that gathers WebRTC candidates with the STUN server its address names
//   and reports them back, as a page that looks for the visitor's own address does. Its load
//   waits for the report (an image the server holds until then), so a browser that ends
//   once the page has loaded has reported before it ends.

#include <asio/awaitable.hpp>
#include <asio/io_context.hpp>
#include <asio/ip/tcp.hpp>

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <map>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

class IpPage
{
public:
    IpPage();
    ~IpPage(); // stops the server and joins its thread

    std::uint16_t port() const { return m_port; }
    std::string url() const { return "http://127.0.0.1:" + std::to_string(m_port) + "/ip"; }
    // The addresses the requests came from, in order; with `agent`, only those of requests
    // whose User-Agent holds it, so browsers that visit at the same time are told apart.
    std::vector<std::string> visitors(const std::string& agent = {}) const;

    // The WebRTC page at `host` (a name or an address that leads to 127.0.0.1), using the
    // STUN server at 127.0.0.1:stunPort.
    std::string webRtcUrl(const std::string& host, std::uint16_t stunPort) const;
    // How often the WebRTC page has been served; its next load gets this number.
    int webRtcLoads() const;
    // The candidates load number `load` reported, one a line ("(none)" when it gathered
    // none); nothing when it has not reported within `limit`.
    std::optional<std::string> webRtcReport(int load, std::chrono::milliseconds limit) const;

private:
    asio::awaitable<void> serve();
    asio::awaitable<void> answer(asio::ip::tcp::socket socket);
    // Holds the page's image until load `load` has reported, or a while at most.
    asio::awaitable<void> holdUntilReported(int load);
    bool reported(int load) const;

    asio::io_context m_io;
    asio::ip::tcp::acceptor m_acceptor;
    std::uint16_t m_port;
    mutable std::mutex m_mutex;
    mutable std::condition_variable m_reportArrived;
    struct Visitor
    {
        std::string address;
        std::string agent;
    };
    std::vector<Visitor> m_visitors;
    int m_webRtcLoads = 0;
    std::map<int, std::string> m_reports;
    std::thread m_thread;
};
