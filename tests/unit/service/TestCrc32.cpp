#include "service/Crc32.h"

#include "tests/support/TempDir.h"

#include <fstream>
#include <gtest/gtest.h>
#include <sstream>
#include <vector>
#include <zlib.h>

namespace {

// Bytes to read that count the block reads asked of them.
struct CountingSource : std::stringbuf
{
    using std::stringbuf::stringbuf;
    int reads = 0;
    std::streamsize xsgetn(char* out, std::streamsize wanted) override
    {
        ++reads;
        return std::stringbuf::xsgetn(out, wanted);
    }
};

} // namespace

TEST(Crc32, KnownValuesTheirTextAndStreamRounds)
{
    TempDir dir;
    EXPECT_EQ(fileChecksumText(dir.writeFile("check", "123456789")), "CBF43926");
    EXPECT_EQ(fileChecksumText(dir.writeFile("empty", "")), "00000000");
    EXPECT_EQ(crcText(0xABCDu), "0000ABCD");
    // A full block is followed by one more read, which comes back empty.
    for (const auto& [size, rounds] : {std::pair{0, 1}, {2047, 1}, {2048, 2}, {4097, 3}}) {
        const std::string bytes(static_cast<std::size_t>(size), 'x');
        CountingSource source(bytes, std::ios::in);
        std::istream stream(&source);
        const auto expected = CrcUpdate(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size(), 7);
        EXPECT_EQ(CrcStream(stream, 7), expected) << size;
        EXPECT_EQ(source.reads, rounds) << size;
    }
    std::istringstream rest("skip123456789");
    rest.ignore(4);
    EXPECT_EQ(~CrcStream(rest, 0xFFFFFFFFu), 0xCBF43926u);
}

TEST(Crc32, LargeFileMatchesZlib)
{
    TempDir dir;
    std::ofstream out(dir.file("large"), std::ios::binary);
    std::vector<unsigned char> chunk(1 << 20);
    uLong expected = crc32(0, Z_NULL, 0);
    std::uint32_t state = 12345;
    for (int i = 0; i < 100; ++i) {
        for (auto& byte : chunk) {
            state = state * 1664525u + 1013904223u;
            byte = static_cast<unsigned char>(state >> 24);
        }
        const uInt length = i == 99 ? chunk.size() - 1000 : chunk.size(); // no whole number of blocks
        out.write(reinterpret_cast<const char*>(chunk.data()), length);
        expected = crc32(expected, chunk.data(), length);
    }
    out.close();
    EXPECT_EQ(FileCrc32(dir.file("large")), expected);
}

TEST(Crc32, UnreadableFileThrowsAndItsTextIsZeros)
{
    TempDir dir;
    EXPECT_THROW(FileCrc32(dir.file("missing")), std::runtime_error);
    EXPECT_EQ(fileChecksumText(dir.file("missing")), "00000000");
    // A folder opens but cannot be read: an error, not the checksum of nothing.
    EXPECT_THROW(FileCrc32(dir.path()), std::runtime_error);
}
