#include "service/Cipher.h"

#include <gtest/gtest.h>
#include <numeric>
#include <vector>

namespace {

int byteClass(unsigned char c)
{
    return c >= 128 ? 3 : c >= 64 ? 2 : c >= 32 ? 1 : 0;
}

std::string everyByte()
{
    std::string bytes(256, '\0');
    std::iota(bytes.begin(), bytes.end(), '\0');
    return bytes;
}

} // namespace

TEST(Cipher, RoundTripKeepsEveryByteInItsClassAndControlsUntouched)
{
    const std::string plain = everyByte();
    for (const std::string& key : std::vector<std::string>{"n", "z", "key", "\xFF\x01"}) {
        const std::string secret = DecodeValue(plain, key);
        EXPECT_EQ(DecodeValue(secret, key), plain) << key;
        EXPECT_EQ(secret.substr(0, 32), plain.substr(0, 32)) << key;
        for (std::size_t i = 0; i < plain.size(); ++i) {
            EXPECT_EQ(byteClass(secret[i]), byteClass(plain[i])) << key << " byte " << i;
        }
    }
}

TEST(Cipher, KeyBitsOutsideTheClassMaskAndCyclicKey)
{
    const std::string plain = everyByte();
    // '`' (96) has its five lowest bits clear: 32..63 stay, higher bytes change.
    const std::string backtick = DecodeValue(plain, "`");
    EXPECT_EQ(backtick.substr(0, 64), plain.substr(0, 64));
    EXPECT_NE(backtick.substr(64, 64), plain.substr(64, 64));
    // '@' (64) has its six lowest bits clear: 64..127 stay too, only 128..255 change.
    const std::string at = DecodeValue(plain, "@");
    EXPECT_EQ(at.substr(0, 128), plain.substr(0, 128));
    EXPECT_NE(at.substr(128), plain.substr(128));
    // 'A' ^ ('b' & 63) = 'c', 'A' ^ ('c' & 63) = 'b'.
    EXPECT_EQ(DecodeValue("AAAAA", "bc"), "cbcbc");
    EXPECT_EQ(DecodeValue("", "n"), "");
    EXPECT_EQ(DecodeValue("value", ""), "");
}
