// What a client sends Warden: a greeting, then, when it offers no authentication as Warden
// requires, its request; whatever follows is the connection's own data.

#include "tests/fuzz/MessageStream.h"

#include <algorithm>

using namespace warden;
using namespace warden::fuzz;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    ByteSpan stream(data, size);
    const auto greeting = nextMessage(socks5::parseGreeting, stream, kGreetingBounds);
    if (!greeting)
        return 0;
    checkRebuilt(socks5::parseGreeting, socks5::buildGreeting(greeting->value), *greeting);
    if (std::ranges::find(greeting->value, socks5::Method::NoAuthentication) == greeting->value.end())
        return 0;

    // Warden builds the request again for the exit: the destination must go out unchanged.
    const auto request = nextMessage(socks5::parseRequest, stream, kFrameBounds);
    if (request)
        checkRebuilt(socks5::parseRequest, socks5::buildRequest(request->value), *request, kReservedByte);
    return 0;
}
