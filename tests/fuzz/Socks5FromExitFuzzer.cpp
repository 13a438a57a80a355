// What an exit answers Warden: its method selection, its verdict on the credentials when
// it chose them, then its reply to the CONNECT; whatever follows is the destination's data.

#include "tests/fuzz/MessageStream.h"

using namespace warden;
using namespace warden::fuzz;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    ByteSpan stream(data, size);
    const auto method = nextMessage(socks5::parseMethodSelection, stream, kPairBounds);
    if (!method)
        return 0;
    checkRebuilt(socks5::parseMethodSelection, socks5::buildMethodSelection(method->value), *method);
    if (method->value == socks5::Method::UsernamePassword) {
        const auto accepted = nextMessage(socks5::parseAuthReply, stream, kPairBounds);
        if (!accepted || !accepted->value)
            return 0;
    } else if (method->value != socks5::Method::NoAuthentication) {
        return 0;
    }

    const auto reply = nextMessage(socks5::parseReply, stream, kFrameBounds);
    if (reply)
        checkRebuilt(socks5::parseReply, socks5::buildReply(reply->value), *reply, kReservedByte);
    return 0;
}
