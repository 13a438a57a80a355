#pragma once

// The SOCKS5 conversation with the exit over an open connection. Every message is sent
// only after the answer to the previous one: some servers take one message per receive
// and hang when a second one arrives in the same segment.

#include "warden/ExitFailure.h"
#include "warden/Socks5.h"

#include <asio/awaitable.hpp>
#include <asio/ip/tcp.hpp>

#include <chrono>
#include <optional>
#include <string>

namespace warden {

struct Credentials
{
    std::string user;
    std::string key;
};

// Offers username/password and no authentication, and authenticates when the exit picks
// the former. Each step gets `stepLimit`; on failure the socket may be closed.
asio::awaitable<std::optional<ExitFailure>> greetExit(asio::ip::tcp::socket& exit, Credentials credentials,
                                                      std::chrono::steady_clock::duration stepLimit);

struct ConnectResult
{
    std::optional<ExitFailure> failure;
    socks5::Answer answer; // valid when there is no failure
    socks5::Bytes early;   // the destination's first data, when it came with the answer
};

// Asks an authenticated exit connection to CONNECT to `destination` as given (a domain
// stays a domain) and reads the exit's answer.
asio::awaitable<ConnectResult> requestConnect(asio::ip::tcp::socket& exit, socks5::Address destination,
                                              std::chrono::steady_clock::duration limit);

} // namespace warden
