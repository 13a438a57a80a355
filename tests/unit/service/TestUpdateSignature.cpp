// Known Ed25519 signatures (the published test vectors of the algorithm) through the
// update's check, whichever library does the arithmetic on this system.

#include "service/UpdateSignature.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

namespace {

std::string bytes(const std::string& hex)
{
    std::string out;
    for (std::size_t i = 0; i + 1 < hex.size(); i += 2) {
        out.push_back(static_cast<char>(std::stoi(hex.substr(i, 2), nullptr, 16)));
    }
    return out;
}

struct Vector
{
    const char* publicKey;
    const char* message;
    const char* signature;
};

constexpr Vector kVectors[] = {
    {"d75a980182b10ab7d54bfed3c964073a0ee172f3daa62325af021a68f707511a", "",
     "e5564300c360ac729086e2cc806e828a84877f1eb8e5d974d873e065224901555fb8821590a33bacc61e39701cf9b46b"
     "d25bf5f0595bbe24655141438e7a100b"},
    {"3d4017c3e843895a92b70aa74d1b7ebc9c982ccf2ec4968cc0cd55f12af4660c", "72",
     "92a009a9f0d4cab8720e820b5f642540a2b27b5416503f8fb3762223ebdb69da085ac1e43e15996e458f3613d0f11d8c"
     "387b2eaeb4302aeeb00d291612bb0c00"},
    {"fc51cd8e6218a1a38da47ed00230f0580816ed13ba3303ac5deb911548908025", "af82",
     "6291d657deec24024827e69c3abe01a30ce548a284743a445e3680d7db5ac3ac18ff9b538d16f290ae67f760984dc659"
     "4a7c15e9716ed28dc027beceea1ec40a"},
};

} // namespace

TEST(UpdateSignature, KnownSignaturesVerifyAndAnyChangeIsRefused)
{
    TempDir dir;
    for (const auto& v : kVectors) {
        SCOPED_TRACE(v.publicKey);
        const std::string file = dir.writeFile("update.bin", bytes(v.message));
        const std::string signature = bytes(v.signature);
        EXPECT_TRUE(verifyUpdateSignature(file, signature, v.publicKey));

        std::string flipped = signature;
        flipped[10] = static_cast<char>(flipped[10] ^ 0x01);
        EXPECT_FALSE(verifyUpdateSignature(file, flipped, v.publicKey));
        EXPECT_FALSE(verifyUpdateSignature(file, signature.substr(0, 63), v.publicKey));
        EXPECT_FALSE(verifyUpdateSignature(file, signature + "x", v.publicKey));

        dir.writeFile("update.bin", bytes(v.message) + "!");
        EXPECT_FALSE(verifyUpdateSignature(file, signature, v.publicKey));
    }
    // Another signer's key, a key of the wrong length or with a non-hex digit, a file
    // that is not there.
    const std::string file = dir.writeFile("update.bin", "");
    const std::string signature = bytes(kVectors[0].signature);
    const std::string key = kVectors[0].publicKey;
    EXPECT_FALSE(verifyUpdateSignature(file, signature, kVectors[1].publicKey));
    EXPECT_FALSE(verifyUpdateSignature(file, signature, key.substr(0, 62)));
    EXPECT_FALSE(verifyUpdateSignature(file, signature, "g" + key.substr(1)));
    EXPECT_FALSE(verifyUpdateSignature(dir.file("missing.bin"), signature, key));
}
