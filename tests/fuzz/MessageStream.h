#pragma once

// Walks a fuzzer's input the way MessageReader reads a peer: one message at a time from
// the front of the stream, the parser shown a growing prefix until it settles on Done or
// Invalid. On the way it checks what the reader relies on, so that however the peer's
// bytes were split into receives, the same messages are read and nothing more.

#include "tests/fuzz/FuzzCheck.h"
#include "warden/Socks5.h"

#include <algorithm>
#include <optional>
#include <span>

namespace warden::fuzz {

using ByteSpan = std::span<const std::uint8_t>;
template <typename T> using Parser = socks5::Parsed<T> (*)(ByteSpan);

// The shortest and the longest a message of one kind can be.
struct Bounds
{
    std::size_t shortest;
    std::size_t longest;
};
inline constexpr Bounds kGreetingBounds{2, 2 + 255};      // VER NMETHODS, up to 255 methods
inline constexpr Bounds kPairBounds{2, 2};                // VER VALUE
inline constexpr Bounds kFrameBounds{8, 4 + 1 + 255 + 2}; // head, a one- to 255-byte name, port
// The reserved byte of a request or reply: sent as zero, ignored when read.
inline constexpr std::size_t kReservedByte = 2;

template <typename T> struct Message
{
    T value;
    ByteSpan bytes; // what it was read from
};

template <typename T> bool sameValue(const T& a, const T& b)
{
    return a == b;
}
inline bool sameValue(const socks5::Request& a, const socks5::Request& b)
{
    return a.command == b.command && a.destination == b.destination;
}
inline bool sameValue(const socks5::Answer& a, const socks5::Answer& b)
{
    return a.reply == b.reply && a.bound == b.bound;
}

// Reads the next message from the front of `stream` and moves `stream` past it; nothing
// when the stream ends before the message does, or the message is invalid.
template <typename T> std::optional<Message<T>> nextMessage(Parser<T> parse, ByteSpan& stream, Bounds bounds)
{
    std::size_t asked = 0;
    for (std::size_t n = 0;; ++n) {
        const socks5::Parsed<T> prefix = parse(stream.first(n));
        if (prefix.status == socks5::ParseStatus::NeedMore) {
            // Asking for what it already has would leave the reader waiting for nothing.
            FUZZ_CHECK(prefix.length > n);
            FUZZ_CHECK(prefix.length <= bounds.longest);
            asked = std::max(asked, prefix.length);
            if (n == stream.size())
                return std::nullopt;
            continue;
        }
        // The whole stream, as a peer that sent everything at once, reads the same.
        const socks5::Parsed<T> whole = parse(stream);
        FUZZ_CHECK(whole.status == prefix.status);
        if (prefix.status == socks5::ParseStatus::Invalid) {
            FUZZ_CHECK(whole.failure == prefix.failure);
            return std::nullopt;
        }
        FUZZ_CHECK(prefix.length == n); // one byte fewer was not enough
        FUZZ_CHECK(n >= bounds.shortest && n <= bounds.longest);
        // A reader that fetches exactly what was asked never takes the next message's bytes.
        FUZZ_CHECK(asked <= n);
        FUZZ_CHECK(whole.length == n && sameValue(whole.value, prefix.value));
        Message<T> message{prefix.value, stream.first(n)};
        stream = stream.subspan(n);
        return message;
    }
}

// A message built again from its value reads back as that value, and is the bytes it was
// read from, but for a byte that carries nothing (`ignored`).
template <typename T>
void checkRebuilt(Parser<T> parse, const socks5::Bytes& rebuilt, const Message<T>& read,
                  std::optional<std::size_t> ignored = std::nullopt)
{
    const socks5::Parsed<T> again = parse(rebuilt);
    FUZZ_CHECK(again.status == socks5::ParseStatus::Done && again.length == rebuilt.size());
    FUZZ_CHECK(sameValue(again.value, read.value));
    FUZZ_CHECK(rebuilt.size() == read.bytes.size());
    for (std::size_t i = 0; i < rebuilt.size(); ++i)
        FUZZ_CHECK(i == ignored || rebuilt[i] == read.bytes[i]);
}

} // namespace warden::fuzz
