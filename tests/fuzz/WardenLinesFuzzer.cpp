// Warden's output cut into reads at any places: the lines are the same as from the whole
// text at once, and no line holds a line break.

#include "core/WardenLines.h"
#include "tests/fuzz/FuzzCheck.h"

#include <cstdint>
#include <string_view>

// The first two bytes choose where the reads end; the rest is the output.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size < 2)
        return 0;
    std::uint32_t state = (data[0] << 8 | data[1]) + 1u;
    const std::string_view text(reinterpret_cast<const char*>(data) + 2, size - 2);

    WardenLines whole;
    whole.append(text);
    whole.finish();

    WardenLines pieces;
    for (std::size_t at = 0; at < text.size();) {
        state = state * 1103515245u + 12345u;
        const std::size_t length = 1 + (state >> 16) % 8;
        pieces.append(text.substr(at, length));
        at += length;
    }
    pieces.finish();

    FUZZ_CHECK(pieces.lines() == whole.lines());
    for (const std::string& line : whole.lines())
        FUZZ_CHECK(line.find_first_of("\r\n") == std::string::npos);
    return 0;
}
