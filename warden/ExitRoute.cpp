#include "warden/ExitRoute.h"

namespace warden {

using asio::ip::tcp;
using socks5::Reply;

ExitRoute::ExitRoute(ExitMonitor& monitor, const ExitDialer& dialer, StatusLine& status)
    : m_monitor(monitor), m_dialer(dialer), m_status(status)
{
}

asio::awaitable<ExitRoute::Route> ExitRoute::open(socks5::Address destination)
{
    if (auto spare = m_monitor.spares().take()) {
        ConnectResult result = co_await requestConnect(spare->socket, destination, m_dialer.stepLimit());
        // A spare the exit closed just as it was taken: a fresh connection serves the
        // client instead, and the client never learns of it.
        if (result.failure != ExitFailure::Refused)
            co_return finish(std::move(spare->socket), std::move(result), std::move(spare->replacement));
    }

    DialResult dialed = co_await m_dialer.dial();
    if (!dialed.socket) {
        m_monitor.exitFailed(dialed.failure);
        co_return Route{std::nullopt, {Reply::GeneralFailure, {}}, {}};
    }
    ConnectResult result = co_await requestConnect(*dialed.socket, destination, m_dialer.stepLimit());
    co_return finish(std::move(*dialed.socket), std::move(result), {});
}

// The exit took the connection and the credentials, so a failure from here on concerns
// the destination: the client hears the exit's reason, the tray a rate-limited line.
ExitRoute::Route ExitRoute::finish(tcp::socket exit, ConnectResult result, SparePool::Replacement replacement)
{
    if (!result.failure && result.answer.reply == Reply::Succeeded)
        return Route{std::move(exit), std::move(result.answer), std::move(replacement),
                     std::move(result.early)};

    if (m_destinationReports.allow(RateLimit::Clock::now()))
        m_status.report(status::kDestinationFailed);
    Reply reply = Reply::GeneralFailure;
    if (result.failure == ExitFailure::TimedOut)
        reply = Reply::HostUnreachable;
    else if (!result.failure && result.answer.reply <= Reply::AddressTypeNotSupported)
        reply = result.answer.reply;
    return Route{std::nullopt, {reply, {}}, {}};
}

} // namespace warden
