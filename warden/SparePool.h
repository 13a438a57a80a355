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
#include <utility>
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

    // Dials the replacement for a taken spare when told to, or when destroyed. While
    // another spare is left, a replacement waits until the client that took the spare is
    // under way: an exit such as dante hands each new connection through the same few
    // processes, so a replacement negotiating at that moment delays the client.
    class Replacement
    {
    public:
        Replacement() = default;
        explicit Replacement(SparePool* pool) : m_pool(pool) {}
        Replacement(Replacement&& other) noexcept : m_pool(std::exchange(other.m_pool, nullptr)) {}
        Replacement& operator=(Replacement&& other) noexcept;
        ~Replacement() { dial(); }

        void dial();

    private:
        SparePool* m_pool = nullptr;
    };

    struct Taken
    {
        asio::ip::tcp::socket socket;
        Replacement replacement;
    };

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
    // A spare for a client; nothing when the pool is empty. Taking the last spare dials
    // its replacement at once.
    std::optional<Taken> take();

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
