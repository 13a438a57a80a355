#pragma once

// Loopback addresses and ports for tests: every server a test starts listens on
// 127.0.0.0/8, on a port the kernel just reported free.

#include <chrono>
#include <cstdint>
#include <string>

namespace warden::testing {

// A port nothing listens on at 127.0.0.1 right now.
std::uint16_t freeLoopbackPort();

// Waits until something accepts connections at host:port.
bool waitUntilListening(const std::string& host, std::uint16_t port, std::chrono::milliseconds timeout);

// A connected TCP socket to host:port, or -1.
int connectTo(const std::string& host, std::uint16_t port);

} // namespace warden::testing
