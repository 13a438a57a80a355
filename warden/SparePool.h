#pragma once

// Keeps authenticated connections to the exit ready, so a new client skips the exit's TCP
// and authentication round trips. A spare the exit closes, or one old enough that the
// exit may drop it mid-use, is replaced in the background.

#include "warden/ExitDialer.h"
#include "warden/ExitFailure.h"

#include <asio/any_io_executor.hpp>
#include <asio/awaitable.hpp>
#include <asio/ip/tcp.hpp>
#include <asio/steady_timer.hpp>

#include <chrono>
#include <cstddef>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

namespace warden {

class SparePool
{
public:
    struct Limits
    {
        std::size_t size = 2;
        // Servers commonly drop a connection that has not sent its request after a
        // negotiation time-out of 20 s or more.
        std::chrono::steady_clock::duration maxAge = std::chrono::seconds(20);
    };
    // Called when a replacement could not be dialed: the exit may be gone.
    using DialFailed = std::function<void(ExitFailure)>;

    SparePool(asio::any_io_executor executor, const ExitDialer& dialer, DialFailed onDialFailed,
              Limits limits);
    SparePool(asio::any_io_executor executor, const ExitDialer& dialer, DialFailed onDialFailed)
        : SparePool(std::move(executor), dialer, std::move(onDialFailed), Limits{})
    {
    }
    ~SparePool();
    SparePool(const SparePool&) = delete;
    SparePool& operator=(const SparePool&) = delete;

    // Starts keeping spares, the first of them the connection that verified the exit.
    void start(asio::ip::tcp::socket verified);
    // Drops every spare and stops replacing them.
    void stop();
    // A spare for a client, and a replacement dial in the background; nothing when the
    // pool is empty.
    std::optional<asio::ip::tcp::socket> take();

    std::size_t size() const { return m_spares.size(); }

private:
    struct Spare;

    void add(asio::ip::tcp::socket socket);
    void watch(const std::shared_ptr<Spare>& spare);
    void retire(const std::shared_ptr<Spare>& spare);
    void refill();
    asio::awaitable<void> dialOne(unsigned generation);

    asio::any_io_executor m_executor;
    const ExitDialer& m_dialer;
    DialFailed m_onDialFailed;
    Limits m_limits;
    std::vector<std::shared_ptr<Spare>> m_spares; // oldest first
    std::size_t m_dialing = 0;
    bool m_running = false;
    // Dials started before the last stop() belong to an older generation and are dropped.
    unsigned m_generation = 0;
};

} // namespace warden
