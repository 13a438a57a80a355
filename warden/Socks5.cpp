#include "warden/Socks5.h"

#include <algorithm>

namespace warden::socks5 {

namespace {

template <typename T> Parsed<T> needMore(std::size_t length)
{
    return {ParseStatus::NeedMore, length, T{}, Reply::GeneralFailure};
}

template <typename T> Parsed<T> invalid(Reply failure)
{
    return {ParseStatus::Invalid, 0, T{}, failure};
}

template <typename T> Parsed<T> done(std::size_t length, T value)
{
    return {ParseStatus::Done, length, std::move(value), Reply::GeneralFailure};
}

// Requests and replies share one layout: VER CODE RSV ATYP ADDR PORT.
struct Frame
{
    std::uint8_t code = 0;
    Address address;
};

constexpr std::size_t kFrameHead = 4; // VER CODE RSV ATYP

Bytes buildFrame(std::uint8_t code, const Address& address)
{
    Bytes out{kVersion, code, 0x00, static_cast<std::uint8_t>(address.type)};
    if (address.type == AddressType::Domain)
        out.push_back(static_cast<std::uint8_t>(address.host.size()));
    out.insert(out.end(), address.host.begin(), address.host.end());
    out.push_back(static_cast<std::uint8_t>(address.port >> 8));
    out.push_back(static_cast<std::uint8_t>(address.port & 0xFF));
    return out;
}

Parsed<Frame> parseFrame(std::span<const std::uint8_t> bytes)
{
    if (!bytes.empty() && bytes[0] != kVersion)
        return invalid<Frame>(Reply::GeneralFailure);
    if (bytes.size() < kFrameHead)
        return needMore<Frame>(kFrameHead);

    Frame frame;
    frame.code = bytes[1];
    frame.address.type = static_cast<AddressType>(bytes[3]);
    std::size_t hostOffset = kFrameHead;
    std::size_t hostLength = 0;
    switch (frame.address.type) {
    case AddressType::IPv4:
        hostLength = 4;
        break;
    case AddressType::IPv6:
        hostLength = 16;
        break;
    case AddressType::Domain:
        if (bytes.size() < kFrameHead + 1)
            return needMore<Frame>(kFrameHead + 1);
        hostLength = bytes[kFrameHead];
        if (hostLength == 0)
            return invalid<Frame>(Reply::GeneralFailure);
        hostOffset = kFrameHead + 1;
        break;
    default:
        return invalid<Frame>(Reply::AddressTypeNotSupported);
    }

    const std::size_t length = hostOffset + hostLength + 2;
    if (bytes.size() < length)
        return needMore<Frame>(length);
    const auto host = bytes.subspan(hostOffset, hostLength);
    frame.address.host.assign(host.begin(), host.end());
    frame.address.port = static_cast<std::uint16_t>(bytes[length - 2] << 8 | bytes[length - 1]);
    return done(length, std::move(frame));
}

// Two-byte answers: VER VALUE.
Parsed<std::uint8_t> parsePair(std::span<const std::uint8_t> bytes, std::uint8_t version)
{
    if (!bytes.empty() && bytes[0] != version)
        return invalid<std::uint8_t>(Reply::GeneralFailure);
    if (bytes.size() < 2)
        return needMore<std::uint8_t>(2);
    return done<std::uint8_t>(2, bytes[1]);
}

template <typename T, typename From, typename Convert>
Parsed<T> convert(const Parsed<From>& from, Convert&& convertValue)
{
    if (from.status != ParseStatus::Done)
        return {from.status, from.length, T{}, from.failure};
    return done(from.length, convertValue(from.value));
}

} // namespace

Bytes buildGreeting(std::span<const Method> methods)
{
    Bytes out{kVersion, static_cast<std::uint8_t>(methods.size())};
    for (const Method method : methods)
        out.push_back(static_cast<std::uint8_t>(method));
    return out;
}

Parsed<std::vector<Method>> parseGreeting(std::span<const std::uint8_t> bytes)
{
    using Methods = std::vector<Method>;
    if (!bytes.empty() && bytes[0] != kVersion)
        return invalid<Methods>(Reply::GeneralFailure);
    if (bytes.size() < 2)
        return needMore<Methods>(2);
    const std::size_t length = 2 + std::size_t{bytes[1]};
    if (bytes.size() < length)
        return needMore<Methods>(length);
    Methods methods;
    for (const std::uint8_t method : bytes.subspan(2, bytes[1]))
        methods.push_back(static_cast<Method>(method));
    return done(length, std::move(methods));
}

Bytes buildMethodSelection(Method method)
{
    return {kVersion, static_cast<std::uint8_t>(method)};
}

Parsed<Method> parseMethodSelection(std::span<const std::uint8_t> bytes)
{
    return convert<Method>(parsePair(bytes, kVersion), [](std::uint8_t v) { return static_cast<Method>(v); });
}

Bytes buildAuthRequest(std::string_view user, std::string_view password)
{
    // Sized once and filled in place: growing from a two-byte list trips a false
    // array-bounds warning in g++ 12 at -O3.
    Bytes out(3 + user.size() + password.size());
    out[0] = kAuthVersion;
    out[1] = static_cast<std::uint8_t>(user.size());
    std::copy(user.begin(), user.end(), out.begin() + 2);
    out[2 + user.size()] = static_cast<std::uint8_t>(password.size());
    std::copy(password.begin(), password.end(), out.begin() + 3 + static_cast<std::ptrdiff_t>(user.size()));
    return out;
}

Parsed<bool> parseAuthReply(std::span<const std::uint8_t> bytes)
{
    return convert<bool>(parsePair(bytes, kAuthVersion), [](std::uint8_t status) { return status == 0x00; });
}

Bytes buildRequest(const Request& request)
{
    return buildFrame(static_cast<std::uint8_t>(request.command), request.destination);
}

Parsed<Request> parseRequest(std::span<const std::uint8_t> bytes)
{
    return convert<Request>(parseFrame(bytes), [](const Frame& frame) {
        return Request{static_cast<Command>(frame.code), frame.address};
    });
}

Bytes buildReply(const Answer& answer)
{
    return buildFrame(static_cast<std::uint8_t>(answer.reply), answer.bound);
}

Parsed<Answer> parseReply(std::span<const std::uint8_t> bytes)
{
    return convert<Answer>(parseFrame(bytes), [](const Frame& frame) {
        return Answer{static_cast<Reply>(frame.code), frame.address};
    });
}

} // namespace warden::socks5
