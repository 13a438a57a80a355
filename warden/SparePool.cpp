#include "warden/SparePool.h"

#include <asio/co_spawn.hpp>
#include <asio/detached.hpp>

#include <algorithm>

namespace warden {

using asio::ip::tcp;

// Handlers hold the spare, not the pool: one that runs after the spare left the pool
// (taken, retired, pool stopped or destroyed) sees `inPool` false and does nothing.
struct SparePool::Spare
{
    Spare(tcp::socket s, const asio::any_io_executor& executor) : socket(std::move(s)), expiry(executor) {}
    tcp::socket socket;
    asio::steady_timer expiry;
    bool inPool = true;
};

SparePool::SparePool(asio::any_io_executor executor, const ExitDialer& dialer, DialFailed onDialFailed,
                     Limits limits)
    : m_executor(std::move(executor)), m_dialer(dialer), m_onDialFailed(std::move(onDialFailed)),
      m_limits(limits)
{
}

SparePool::~SparePool()
{
    stop();
}

void SparePool::start(tcp::socket verified)
{
    m_running = true;
    add(std::move(verified));
    refill();
}

void SparePool::stop()
{
    m_running = false;
    ++m_generation;
    m_dialing = 0;
    for (const auto& spare : m_spares) {
        spare->inPool = false;
        spare->expiry.cancel();
        std::error_code ignored;
        spare->socket.close(ignored);
    }
    m_spares.clear();
}

SparePool::Replacement& SparePool::Replacement::operator=(Replacement&& other) noexcept
{
    if (this != &other) {
        dial();
        m_pool = std::exchange(other.m_pool, nullptr);
    }
    return *this;
}

void SparePool::Replacement::dial()
{
    if (SparePool* pool = std::exchange(m_pool, nullptr))
        pool->refill();
}

std::optional<SparePool::Taken> SparePool::take()
{
    if (m_spares.empty())
        return std::nullopt;
    // The youngest spare is the one the exit is least likely to be about to drop.
    const auto spare = m_spares.back();
    m_spares.pop_back();
    spare->inPool = false;
    spare->expiry.cancel();
    std::error_code ignored;
    spare->socket.cancel(ignored);
    if (m_spares.empty()) {
        refill();
        return Taken{std::move(spare->socket), Replacement()};
    }
    return Taken{std::move(spare->socket), Replacement(this)};
}

void SparePool::add(tcp::socket socket)
{
    if (!m_running || m_spares.size() >= m_limits.size)
        return;
    auto spare = std::make_shared<Spare>(std::move(socket), m_executor);
    m_spares.push_back(spare);
    watch(spare);
}

// An idle authenticated connection has nothing to say: readability means the exit closed
// it (or sent something unasked), either way it is no longer fit for a client.
void SparePool::watch(const std::shared_ptr<Spare>& spare)
{
    spare->socket.async_wait(tcp::socket::wait_read, [this, spare](const std::error_code&) {
        if (spare->inPool)
            retire(spare);
    });
    spare->expiry.expires_after(m_limits.maxAge);
    spare->expiry.async_wait([this, spare](const std::error_code& error) {
        if (!error && spare->inPool)
            retire(spare);
    });
}

void SparePool::retire(const std::shared_ptr<Spare>& spare)
{
    spare->inPool = false;
    spare->expiry.cancel();
    std::error_code ignored;
    spare->socket.close(ignored);
    std::erase(m_spares, spare);
    refill();
}

void SparePool::refill()
{
    while (m_running && m_spares.size() + m_dialing < m_limits.size) {
        ++m_dialing;
        asio::co_spawn(m_executor, dialOne(m_generation), asio::detached);
    }
}

asio::awaitable<void> SparePool::dialOne(unsigned generation)
{
    DialResult result = co_await m_dialer.dial();
    if (generation != m_generation)
        co_return; // stop() came in between; its count of dials started over
    --m_dialing;
    if (result.socket) {
        add(std::move(*result.socket));
    } else if (m_running) {
        m_onDialFailed(result.failure);
    }
}

} // namespace warden
