#pragma once

// The SOCKS5 messages Warden exchanges (RFC 1928) and the username/password
// sub-negotiation (RFC 1929), as pure functions over bytes. Parsers accept a prefix of a
// message and say how many bytes they need in total, so a reader can fetch exactly one
// message and never consume bytes that belong to the data that follows it.

#include <cstddef>
#include <cstdint>
#include <span>
#include <string_view>
#include <vector>

namespace warden::socks5 {

using Bytes = std::vector<std::uint8_t>;

inline constexpr std::uint8_t kVersion = 0x05;
inline constexpr std::uint8_t kAuthVersion = 0x01;

enum class Method : std::uint8_t {
    NoAuthentication = 0x00,
    UsernamePassword = 0x02,
    NoAcceptable = 0xFF,
};

enum class Command : std::uint8_t {
    Connect = 0x01,
    Bind = 0x02,
    UdpAssociate = 0x03,
};

enum class AddressType : std::uint8_t {
    IPv4 = 0x01,
    Domain = 0x03,
    IPv6 = 0x04,
};

enum class Reply : std::uint8_t {
    Succeeded = 0x00,
    GeneralFailure = 0x01,
    NotAllowed = 0x02,
    NetworkUnreachable = 0x03,
    HostUnreachable = 0x04,
    ConnectionRefused = 0x05,
    TtlExpired = 0x06,
    CommandNotSupported = 0x07,
    AddressTypeNotSupported = 0x08,
};

// A destination or bound address as it travels on the wire: 4 or 16 octets, or the
// bytes of a domain name (1 to 255), which Warden passes on without resolving it.
struct Address
{
    AddressType type = AddressType::IPv4;
    Bytes host = Bytes(4, 0);
    std::uint16_t port = 0;

    bool operator==(const Address&) const = default;
};

struct Request
{
    Command command = Command::Connect;
    Address destination;
};

struct Answer
{
    Reply reply = Reply::GeneralFailure;
    Address bound;
};

enum class ParseStatus {
    NeedMore,
    Done,
    Invalid,
};

template <typename T> struct Parsed
{
    ParseStatus status = ParseStatus::NeedMore;
    // NeedMore: the total length the message needs as far as its bytes tell so far.
    // Done: the length of the message.
    std::size_t length = 0;
    T value{};
    // Invalid: the reply that tells the sender what was wrong.
    Reply failure = Reply::GeneralFailure;
};

// Client greeting: VER NMETHODS METHODS...
Bytes buildGreeting(std::span<const Method> methods);
Parsed<std::vector<Method>> parseGreeting(std::span<const std::uint8_t> bytes);

// Server's method selection: VER METHOD
Bytes buildMethodSelection(Method method);
Parsed<Method> parseMethodSelection(std::span<const std::uint8_t> bytes);

// RFC 1929: VER ULEN UNAME PLEN PASSWD; both fields hold at most 255 bytes.
inline constexpr std::size_t kMaxCredentialLength = 255;
Bytes buildAuthRequest(std::string_view user, std::string_view password);
// RFC 1929 reply: VER STATUS; the value tells whether the credentials were accepted.
Parsed<bool> parseAuthReply(std::span<const std::uint8_t> bytes);

// Request: VER CMD RSV ATYP DST.ADDR DST.PORT. The command byte is kept as sent, so the
// caller can answer an unknown one with CommandNotSupported.
Bytes buildRequest(const Request& request);
Parsed<Request> parseRequest(std::span<const std::uint8_t> bytes);

// Reply: VER REP RSV ATYP BND.ADDR BND.PORT
Bytes buildReply(const Answer& answer);
Parsed<Answer> parseReply(std::span<const std::uint8_t> bytes);

} // namespace warden::socks5
