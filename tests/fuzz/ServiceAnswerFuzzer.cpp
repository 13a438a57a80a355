// Any text as the service's answer: it is read without a crash or a giant list, its lines
// hold no line break, and the list has exactly the entries the count names.

#include "service/ServiceAnswer.h"
#include "tests/fuzz/FuzzCheck.h"

#include <cstdint>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string text(reinterpret_cast<const char*>(data), size);
    const std::vector<std::string> lines = answerLines(text);
    for (const std::string& line : lines)
        FUZZ_CHECK(line.find_first_of("\r\n") == std::string::npos);
    FUZZ_CHECK(lines.size() <= text.size());

    const ServiceAnswer answer = readServiceAnswer(lines, "n");
    FUZZ_CHECK(answer.count <= static_cast<int>(lines.size()));
    FUZZ_CHECK(answer.servers.size() == (answer.count > 0 ? static_cast<std::size_t>(answer.count) : 0u));
    for (const TServer& server : answer.servers)
        FUZZ_CHECK(server.Country == "United States" || server.Country == "United Kingdom" ||
                   server.Country == "Unknown");
    return 0;
}
