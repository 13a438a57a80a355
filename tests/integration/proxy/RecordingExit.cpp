#include "RecordingExit.h"

#include "support/TestCredentials.h"

#include <asio/co_spawn.hpp>
#include <asio/detached.hpp>
#include <asio/experimental/awaitable_operators.hpp>
#include <asio/read.hpp>
#include <asio/redirect_error.hpp>
#include <asio/use_awaitable.hpp>
#include <asio/write.hpp>

#include <algorithm>
#include <array>
#include <optional>
#include <span>

using asio::ip::tcp;
namespace socks5 = warden::socks5;

namespace {

// Reads exactly one message of the kind `parse` reads, as many bytes as it asks for.
template <typename T>
asio::awaitable<socks5::Parsed<T>> readMessage(tcp::socket& socket,
                                               socks5::Parsed<T> (*parse)(std::span<const std::uint8_t>))
{
    socks5::Bytes bytes;
    for (;;) {
        socks5::Parsed<T> parsed = parse(bytes);
        if (parsed.status != socks5::ParseStatus::NeedMore || parsed.length <= bytes.size()) {
            co_return parsed;
        }
        const std::size_t had = bytes.size();
        bytes.resize(parsed.length);
        co_await asio::async_read(socket, asio::buffer(bytes.data() + had, bytes.size() - had),
                                  asio::use_awaitable);
    }
}

// The RFC 1929 request, field by field: VER ULEN UNAME PLEN PASSWD.
asio::awaitable<socks5::Bytes> readAuthRequest(tcp::socket& socket)
{
    socks5::Bytes request(2);
    co_await asio::async_read(socket, asio::buffer(request), asio::use_awaitable);
    request.resize(2 + request[1] + 1);
    co_await asio::async_read(socket, asio::buffer(request.data() + 2, request.size() - 2),
                              asio::use_awaitable);
    const std::size_t passwordAt = request.size();
    request.resize(passwordAt + request.back());
    co_await asio::async_read(socket, asio::buffer(request.data() + passwordAt, request.size() - passwordAt),
                              asio::use_awaitable);
    co_return request;
}

std::string hostText(const socks5::Address& address)
{
    switch (address.type) {
    case socks5::AddressType::IPv4: {
        std::array<std::uint8_t, 4> bytes;
        std::copy(address.host.begin(), address.host.end(), bytes.begin());
        return asio::ip::address_v4(bytes).to_string();
    }
    case socks5::AddressType::IPv6: {
        std::array<std::uint8_t, 16> bytes;
        std::copy(address.host.begin(), address.host.end(), bytes.begin());
        return asio::ip::address_v6(bytes).to_string();
    }
    case socks5::AddressType::Domain:
        break;
    }
    return std::string(address.host.begin(), address.host.end());
}

// Where a destination may be reached: a loopback address as it stands, "localhost" and the
// names below ".localhost" at 127.0.0.1 (no resolver is asked); nothing for the rest.
std::optional<asio::ip::address_v4> loopbackTarget(const socks5::Address& address)
{
    const std::string host = hostText(address);
    if (address.type == socks5::AddressType::Domain &&
        (host == "localhost" || host.ends_with(".localhost"))) {
        return asio::ip::address_v4::loopback();
    }
    if (address.type == socks5::AddressType::IPv6) {
        return std::nullopt;
    }
    // A client may send an address as text in a name.
    std::error_code failed;
    const asio::ip::address_v4 v4 = asio::ip::make_address_v4(host, failed);
    if (failed || !v4.is_loopback()) {
        return std::nullopt;
    }
    return v4;
}

asio::awaitable<void> reply(tcp::socket& client, socks5::Reply code)
{
    const socks5::Bytes message = socks5::buildReply({code, {}});
    co_await asio::async_write(client, asio::buffer(message), asio::use_awaitable);
}

// One direction until its end, which is passed on as a half-close; an error closes both
// sockets, which ends the other direction too.
asio::awaitable<void> pump(tcp::socket& from, tcp::socket& to)
{
    std::array<char, 16384> buffer;
    std::error_code failed;
    for (;;) {
        const std::size_t got = co_await from.async_read_some(
            asio::buffer(buffer), asio::redirect_error(asio::use_awaitable, failed));
        if (failed) {
            break;
        }
        co_await asio::async_write(to, asio::buffer(buffer.data(), got),
                                   asio::redirect_error(asio::use_awaitable, failed));
        if (failed) {
            break;
        }
    }
    std::error_code ignored;
    if (failed == asio::error::eof) {
        to.shutdown(tcp::socket::shutdown_send, ignored);
    } else {
        from.close(ignored);
        to.close(ignored);
    }
}

} // namespace

RecordingExit::RecordingExit()
    : m_acceptor(m_io, tcp::endpoint(asio::ip::address_v4::loopback(), 0)),
      m_port(m_acceptor.local_endpoint().port())
{
    asio::co_spawn(m_io, serve(), asio::detached);
    m_thread = std::thread([this] { m_io.run(); });
}

RecordingExit::~RecordingExit()
{
    m_io.stop();
    m_thread.join();
}

std::vector<RecordingExit::Connect> RecordingExit::connects() const
{
    const std::lock_guard lock(m_mutex);
    return m_connects;
}

asio::awaitable<void> RecordingExit::serve()
{
    for (;;) {
        tcp::socket client = co_await m_acceptor.async_accept(asio::use_awaitable);
        asio::co_spawn(m_io, session(std::move(client)), asio::detached);
    }
}

asio::awaitable<void> RecordingExit::session(tcp::socket client)
{
    try {
        const auto greeting = co_await readMessage(client, &socks5::parseGreeting);
        const bool offersPassword =
            greeting.status == socks5::ParseStatus::Done &&
            std::ranges::find(greeting.value, socks5::Method::UsernamePassword) != greeting.value.end();
        const socks5::Method method =
            offersPassword ? socks5::Method::UsernamePassword : socks5::Method::NoAcceptable;
        co_await asio::async_write(client, asio::buffer(socks5::buildMethodSelection(method)),
                                   asio::use_awaitable);
        if (!offersPassword) {
            co_return;
        }
        const bool accepted = co_await readAuthRequest(client) ==
                              socks5::buildAuthRequest(warden::testing::kUser, warden::testing::kKey);
        const socks5::Bytes status{socks5::kAuthVersion, static_cast<std::uint8_t>(accepted ? 0x00 : 0x01)};
        co_await asio::async_write(client, asio::buffer(status), asio::use_awaitable);
        if (!accepted) {
            co_return;
        }

        const auto request = co_await readMessage(client, &socks5::parseRequest);
        if (request.status != socks5::ParseStatus::Done) {
            co_await reply(client, request.failure);
            co_return;
        }
        const socks5::Address& destination = request.value.destination;
        {
            const std::lock_guard lock(m_mutex);
            m_connects.push_back({destination.type, hostText(destination), destination.port});
        }
        if (request.value.command != socks5::Command::Connect) {
            co_await reply(client, socks5::Reply::CommandNotSupported);
            co_return;
        }
        const std::optional<asio::ip::address_v4> target = loopbackTarget(destination);
        if (!target) {
            co_await reply(client, socks5::Reply::NotAllowed);
            co_return;
        }
        tcp::socket outgoing(m_io);
        std::error_code failed;
        co_await outgoing.async_connect({*target, destination.port},
                                        asio::redirect_error(asio::use_awaitable, failed));
        if (failed) {
            co_await reply(client, socks5::Reply::ConnectionRefused);
            co_return;
        }
        co_await reply(client, socks5::Reply::Succeeded);
        using namespace asio::experimental::awaitable_operators;
        co_await (pump(client, outgoing) && pump(outgoing, client));
    } catch (const std::system_error&) {
        // The client left half-way: nothing to record beyond what was.
    }
}
