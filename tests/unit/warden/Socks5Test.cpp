#include "warden/Socks5.h"

#include <gtest/gtest.h>

#include <string>

namespace warden::socks5 {
namespace {

Bytes bytesOf(std::string_view text)
{
    return Bytes(text.begin(), text.end());
}

// Feeds a parser every prefix of `message` and checks that it asks for more on each,
// never for fewer bytes than it was given, and never for more than the message holds.
template <typename T>
void expectPrefixesNeedMore(Parsed<T> (*parse)(std::span<const std::uint8_t>), const Bytes& message)
{
    for (std::size_t n = 0; n < message.size(); ++n) {
        const auto parsed = parse(std::span(message).first(n));
        ASSERT_EQ(parsed.status, ParseStatus::NeedMore) << "prefix " << n;
        EXPECT_GT(parsed.length, n);
        EXPECT_LE(parsed.length, message.size());
    }
}

TEST(Socks5Greeting, BuildsVersionCountAndMethods)
{
    const Method methods[] = {Method::UsernamePassword, Method::NoAuthentication};
    EXPECT_EQ(buildGreeting(methods), (Bytes{0x05, 0x02, 0x02, 0x00}));
}

TEST(Socks5Greeting, ParsesMethodsAndLength)
{
    const Bytes message{0x05, 0x03, 0x00, 0x01, 0x02, 0xAA};
    expectPrefixesNeedMore(parseGreeting, Bytes(message.begin(), message.end() - 1));
    const auto parsed = parseGreeting(message);
    ASSERT_EQ(parsed.status, ParseStatus::Done);
    EXPECT_EQ(parsed.length, 5u); // the trailing byte belongs to what follows
    EXPECT_EQ(parsed.value, (std::vector<Method>{Method::NoAuthentication, static_cast<Method>(0x01),
                                                 Method::UsernamePassword}));
}

TEST(Socks5Greeting, AcceptsAnEmptyMethodList)
{
    const auto parsed = parseGreeting(Bytes{0x05, 0x00});
    ASSERT_EQ(parsed.status, ParseStatus::Done);
    EXPECT_TRUE(parsed.value.empty());
}

TEST(Socks5Greeting, RejectsOtherVersionsFromTheFirstByte)
{
    EXPECT_EQ(parseGreeting(Bytes{0x04}).status, ParseStatus::Invalid);
    EXPECT_EQ(parseGreeting(bytesOf("GET / HTTP/1.1")).status, ParseStatus::Invalid);
}

TEST(Socks5MethodSelection, RoundTripsAndChecksVersion)
{
    EXPECT_EQ(buildMethodSelection(Method::NoAcceptable), (Bytes{0x05, 0xFF}));
    EXPECT_EQ(parseMethodSelection(Bytes{0x05}).status, ParseStatus::NeedMore);
    const auto chosen = parseMethodSelection(Bytes{0x05, 0x02});
    ASSERT_EQ(chosen.status, ParseStatus::Done);
    EXPECT_EQ(chosen.value, Method::UsernamePassword);
    EXPECT_EQ(parseMethodSelection(bytesOf("HTTP/1.0 400")).status, ParseStatus::Invalid);
}

TEST(Socks5Auth, BuildsLengthPrefixedFields)
{
    EXPECT_EQ(buildAuthRequest("ab", "xyz"), (Bytes{0x01, 0x02, 'a', 'b', 0x03, 'x', 'y', 'z'}));
    EXPECT_EQ(buildAuthRequest("", ""), (Bytes{0x01, 0x00, 0x00}));
    const std::string longest(kMaxCredentialLength, 'k');
    const Bytes request = buildAuthRequest("u", longest);
    ASSERT_EQ(request.size(), 3u + 1 + longest.size());
    EXPECT_EQ(request[3], 0xFF);
}

TEST(Socks5Auth, ReplyStatusZeroMeansAccepted)
{
    const auto accepted = parseAuthReply(Bytes{0x01, 0x00});
    ASSERT_EQ(accepted.status, ParseStatus::Done);
    EXPECT_TRUE(accepted.value);
    const auto refused = parseAuthReply(Bytes{0x01, 0x01});
    ASSERT_EQ(refused.status, ParseStatus::Done);
    EXPECT_FALSE(refused.value);
    // RFC 1929 replies carry the sub-negotiation version, not the SOCKS version.
    EXPECT_EQ(parseAuthReply(Bytes{0x05, 0x00}).status, ParseStatus::Invalid);
}

TEST(Socks5Request, ParsesIPv4)
{
    const Bytes message{0x05, 0x01, 0x00, 0x01, 127, 0, 0, 1, 0x1F, 0x90};
    expectPrefixesNeedMore(parseRequest, message);
    const auto parsed = parseRequest(message);
    ASSERT_EQ(parsed.status, ParseStatus::Done);
    EXPECT_EQ(parsed.length, message.size());
    EXPECT_EQ(parsed.value.command, Command::Connect);
    EXPECT_EQ(parsed.value.destination, (Address{AddressType::IPv4, {127, 0, 0, 1}, 8080}));
}

TEST(Socks5Request, KeepsADomainAsItsName)
{
    Bytes message{0x05, 0x01, 0x00, 0x03, 11};
    const Bytes name = bytesOf("example.org");
    message.insert(message.end(), name.begin(), name.end());
    message.insert(message.end(), {0x01, 0xBB, 0x42});
    expectPrefixesNeedMore(parseRequest, Bytes(message.begin(), message.end() - 1));
    const auto parsed = parseRequest(message);
    ASSERT_EQ(parsed.status, ParseStatus::Done);
    EXPECT_EQ(parsed.length, message.size() - 1);
    EXPECT_EQ(parsed.value.destination, (Address{AddressType::Domain, name, 443}));
    // Built again for the exit, it is byte for byte what the client sent.
    EXPECT_EQ(buildRequest(parsed.value), Bytes(message.begin(), message.end() - 1));
}

TEST(Socks5Request, KeepsUnknownCommandsForTheCallerToRefuse)
{
    const auto bind = parseRequest(Bytes{0x05, 0x02, 0x00, 0x01, 1, 2, 3, 4, 0, 1});
    ASSERT_EQ(bind.status, ParseStatus::Done);
    EXPECT_EQ(bind.value.command, Command::Bind);
    const auto odd = parseRequest(Bytes{0x05, 0x09, 0x00, 0x01, 1, 2, 3, 4, 0, 1});
    ASSERT_EQ(odd.status, ParseStatus::Done);
    EXPECT_EQ(static_cast<int>(odd.value.command), 9);
}

TEST(Socks5Request, MalformedRequestsCarryTheirReply)
{
    const auto badType = parseRequest(Bytes{0x05, 0x01, 0x00, 0x07});
    EXPECT_EQ(badType.status, ParseStatus::Invalid);
    EXPECT_EQ(badType.failure, Reply::AddressTypeNotSupported);

    const auto emptyName = parseRequest(Bytes{0x05, 0x01, 0x00, 0x03, 0x00, 0x00, 0x50});
    EXPECT_EQ(emptyName.status, ParseStatus::Invalid);
    EXPECT_EQ(emptyName.failure, Reply::GeneralFailure);

    const auto badVersion = parseRequest(Bytes{0x04, 0x01});
    EXPECT_EQ(badVersion.status, ParseStatus::Invalid);
    EXPECT_EQ(badVersion.failure, Reply::GeneralFailure);
}

TEST(Socks5Reply, BuildsFailureWithUnspecifiedAddress)
{
    EXPECT_EQ(buildReply({Reply::CommandNotSupported, {}}),
              (Bytes{0x05, 0x07, 0x00, 0x01, 0, 0, 0, 0, 0, 0}));
}

TEST(Socks5Reply, RoundTripsEveryAddressType)
{
    const Address addresses[] = {
        {AddressType::IPv4, {10, 1, 2, 3}, 1080},
        {AddressType::IPv6, Bytes(16, 0xFE), 65535},
        {AddressType::Domain, bytesOf("a"), 1},
        {AddressType::Domain, Bytes(255, 'x'), 443},
    };
    for (const Address& address : addresses) {
        const Bytes message = buildReply({Reply::Succeeded, address});
        expectPrefixesNeedMore(parseReply, message);
        const auto parsed = parseReply(message);
        ASSERT_EQ(parsed.status, ParseStatus::Done);
        EXPECT_EQ(parsed.length, message.size());
        EXPECT_EQ(parsed.value.reply, Reply::Succeeded);
        EXPECT_EQ(parsed.value.bound, address);
    }
}

TEST(Socks5Reply, ParsesTheExitsReasonForFailure)
{
    const auto refused = parseReply(Bytes{0x05, 0x05, 0x00, 0x01, 0, 0, 0, 0, 0, 0});
    ASSERT_EQ(refused.status, ParseStatus::Done);
    EXPECT_EQ(refused.value.reply, Reply::ConnectionRefused);
    EXPECT_EQ(parseReply(bytesOf("HTTP/1.1 200 OK")).status, ParseStatus::Invalid);
}

} // namespace
} // namespace warden::socks5
