#include "StunServer.h"

#include <asio/co_spawn.hpp>
#include <asio/detached.hpp>
#include <asio/redirect_error.hpp>
#include <asio/use_awaitable.hpp>

#include <array>
#include <optional>
#include <span>
#include <vector>

using asio::ip::udp;

namespace {

constexpr std::uint16_t kBindingRequest = 0x0001;
constexpr std::uint16_t kBindingSuccess = 0x0101;
constexpr std::uint16_t kXorMappedAddress = 0x0020;
constexpr std::uint32_t kMagicCookie = 0x2112A442;
constexpr std::size_t kHeaderSize = 20;

std::uint32_t bigEndian(std::span<const std::uint8_t> bytes)
{
    std::uint32_t value = 0;
    for (const std::uint8_t byte : bytes) {
        value = value << 8 | byte;
    }
    return value;
}

void append(std::vector<std::uint8_t>& out, std::uint32_t value, int bytes)
{
    for (int shift = (bytes - 1) * 8; shift >= 0; shift -= 8) {
        out.push_back(static_cast<std::uint8_t>(value >> shift));
    }
}

// The binding success response to a binding request from the IPv4 `sender`: the header with
// the request's transaction id and one XOR-MAPPED-ADDRESS. Nothing for anything else.
std::optional<std::vector<std::uint8_t>> bindingResponse(std::span<const std::uint8_t> request,
                                                         const udp::endpoint& sender)
{
    if (request.size() < kHeaderSize || bigEndian(request.subspan(0, 2)) != kBindingRequest ||
        bigEndian(request.subspan(4, 4)) != kMagicCookie || !sender.address().is_v4()) {
        return std::nullopt;
    }
    std::vector<std::uint8_t> response;
    append(response, kBindingSuccess, 2);
    append(response, 12, 2); // the attribute's header and value
    append(response, kMagicCookie, 4);
    response.insert(response.end(), request.begin() + 8, request.begin() + kHeaderSize);
    append(response, kXorMappedAddress, 2);
    append(response, 8, 2);
    append(response, 0x0001, 2); // a reserved byte, then the family: IPv4
    append(response, sender.port() ^ (kMagicCookie >> 16), 2);
    append(response, sender.address().to_v4().to_uint() ^ kMagicCookie, 4);
    return response;
}

} // namespace

StunServer::StunServer()
    : m_socket(m_io, udp::endpoint(asio::ip::address_v4::loopback(), 0)),
      m_port(m_socket.local_endpoint().port())
{
    asio::co_spawn(m_io, serve(), asio::detached);
    m_thread = std::thread([this] { m_io.run(); });
}

StunServer::~StunServer()
{
    m_io.stop();
    m_thread.join();
}

asio::awaitable<void> StunServer::serve()
{
    std::array<std::uint8_t, 2048> datagram;
    for (;;) {
        udp::endpoint sender;
        std::error_code failed;
        const std::size_t size = co_await m_socket.async_receive_from(
            asio::buffer(datagram), sender, asio::redirect_error(asio::use_awaitable, failed));
        if (failed == asio::error::operation_aborted) {
            co_return;
        }
        if (failed) {
            continue; // an ICMP error for an earlier answer; the next datagram counts
        }
        ++m_received;
        if (const auto response = bindingResponse(std::span(datagram.data(), size), sender)) {
            co_await m_socket.async_send_to(asio::buffer(*response), sender,
                                            asio::redirect_error(asio::use_awaitable, failed));
        }
    }
}
