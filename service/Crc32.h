#pragma once

#include <cstddef>
#include <cstdint>
#include <iosfwd>
#include <string>

// The CRC-32 of IEEE 802.3, the checksum of ZIP and PNG (reflected polynomial EDB88320).
// The handshake sends it for the program's own file so the service knows which build runs.

// The running value after `count` more bytes. A finished checksum starts at FFFFFFFF and
// is inverted at the end; this step does neither.
std::uint32_t CrcUpdate(const std::uint8_t* bytes, std::size_t count, std::uint32_t crc);

// The running value after every byte from the stream's current position to its end, read
// in blocks of 2048 bytes. It stops after the first read that delivers less than a full
// block; the stream's state tells the caller whether that was the end or a read error.
std::uint32_t CrcStream(std::istream& stream, std::uint32_t crc);

// The finished checksum of the whole file. Throws std::runtime_error when the file cannot
// be opened or a read fails, so a partial read never passes for the file's checksum.
std::uint32_t FileCrc32(const std::string& path);

// The checksum as the service request writes it: eight upper-case hex digits.
std::string crcText(std::uint32_t crc);

// The checksum text of a file, "00000000" when the file cannot be read: the handshake
// goes on without it rather than failing because its own program file is unreadable.
std::string fileChecksumText(const std::string& path);
