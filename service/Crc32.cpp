#include "service/Crc32.h"

#include <array>
#include <fstream>
#include <istream>
#include <stdexcept>

namespace {

constexpr std::uint32_t kPolynomial = 0xEDB88320u;
constexpr std::size_t kBlockSize = 2048;

// Entry i is i run through eight bit-steps of the reflected polynomial.
constexpr std::array<std::uint32_t, 256> makeTable()
{
    std::array<std::uint32_t, 256> table{};
    for (std::uint32_t i = 0; i < table.size(); ++i) {
        std::uint32_t value = i;
        for (int bit = 0; bit < 8; ++bit) {
            value = (value & 1u) != 0 ? (value >> 1) ^ kPolynomial : value >> 1;
        }
        table[i] = value;
    }
    return table;
}

// Computed by the compiler: nothing to build at run time, nothing any thread can race on.
constexpr std::array<std::uint32_t, 256> kTable = makeTable();

} // namespace

std::uint32_t CrcUpdate(const std::uint8_t* bytes, std::size_t count, std::uint32_t crc)
{
    for (std::size_t i = 0; i < count; ++i) {
        crc = kTable[(crc ^ bytes[i]) & 0xFFu] ^ (crc >> 8);
    }
    return crc;
}

std::uint32_t CrcStream(std::istream& stream, std::uint32_t crc)
{
    std::array<char, kBlockSize> block;
    std::size_t delivered = kBlockSize;
    while (delivered == kBlockSize) {
        stream.read(block.data(), static_cast<std::streamsize>(block.size()));
        delivered = static_cast<std::size_t>(stream.gcount());
        crc = CrcUpdate(reinterpret_cast<const std::uint8_t*>(block.data()), delivered, crc);
    }
    return crc;
}

std::uint32_t FileCrc32(const std::string& path)
{
    std::ifstream file(path, std::ios::binary);
    if (!file.is_open()) {
        throw std::runtime_error("cannot open " + path);
    }
    const std::uint32_t crc = CrcStream(file, 0xFFFFFFFFu);
    // A read error ends the stream early just as the end of the file does; only the bad
    // bit tells them apart (a folder, for one, opens but cannot be read).
    if (file.bad()) {
        throw std::runtime_error("cannot read " + path);
    }
    return ~crc;
}

std::string crcText(std::uint32_t crc)
{
    static constexpr char kDigits[] = "0123456789ABCDEF";
    std::string text(8, '0');
    for (int i = 7; i >= 0; --i, crc >>= 4) {
        text[static_cast<std::size_t>(i)] = kDigits[crc & 0xFu];
    }
    return text;
}

std::string fileChecksumText(const std::string& path)
{
    try {
        return crcText(FileCrc32(path));
    } catch (const std::exception&) {
        return "00000000";
    }
}
