#include "service/ServiceAnswer.h"

#include "service/AnswerLines.h"
#include "service/Cipher.h"
#include "warden/ExitValues.h"

#include <charconv>
#include <stdexcept>

namespace {

// A number value; one that is not a whole number counts as 0.
int numberOrZero(const std::string& value)
{
    try {
        return value.empty() ? 0 : WholeNumber(value);
    } catch (const std::invalid_argument&) {
        return 0;
    }
}

// The entry number n of a line named `letter` + n (n in decimal without leading zeros,
// the letter in any case), or 0 when the line is not such a line.
std::size_t entryNumber(const std::string& line, std::size_t equals, char letter)
{
    if (equals < 2 || (line[0] | 0x20) != letter || line[1] == '0') {
        return 0;
    }
    std::size_t number = 0;
    const auto [end, error] = std::from_chars(line.data() + 1, line.data() + equals, number);
    return error == std::errc() && end == line.data() + equals ? number : 0;
}

} // namespace

bool isServiceAnswer(const std::string& text)
{
    return text.find("B=1") != std::string::npos && text.find("E=1") != std::string::npos;
}

std::vector<std::string> answerLines(const std::string& text)
{
    std::vector<std::string> lines;
    std::size_t start = 0;
    for (std::size_t at = 0; at < text.size(); ++at) {
        if (text[at] == '\r' || text[at] == '\n') {
            lines.push_back(text.substr(start, at - start));
            if (text[at] == '\r' && at + 1 < text.size() && text[at + 1] == '\n') {
                ++at;
            }
            start = at + 1;
        }
    }
    if (start < text.size()) {
        lines.push_back(text.substr(start));
    }
    return lines;
}

std::string countryName(int number)
{
    switch (number) {
    case 1:
        return "United States";
    case 2:
        return "United Kingdom";
    default:
        return "Unknown";
    }
}

ServiceAnswer readServiceAnswer(const std::vector<std::string>& lines, const std::string& cipherKey)
{
    ServiceAnswer answer;
    answer.serviceNotAvailable = GetFlagValue(lines, "ServiceNotAvailable");
    answer.newVersion = GetFlagValue(lines, "NewVersion");
    answer.count = std::min(numberOrZero(GetTextValue(lines, "C")), static_cast<int>(lines.size()));
    if (answer.count <= 0) {
        return answer;
    }
    answer.exitPort = DecodeValue(GetTextValue(lines, "P"), cipherKey);
    answer.exitUser = DecodeValue(GetTextValue(lines, "U"), cipherKey);
    answer.exitKey = DecodeValue(GetTextValue(lines, "K"), cipherKey);

    // One pass finds the first line of every "H"n and "L"n, rather than a search through
    // all lines per entry.
    const auto count = static_cast<std::size_t>(answer.count);
    std::vector<const std::string*> hosts(count + 1, nullptr);
    std::vector<const std::string*> countries(count + 1, nullptr);
    for (const std::string& line : lines) {
        const std::size_t equals = line.find('=');
        if (equals == std::string::npos) {
            continue;
        }
        for (auto [letter, found] : {std::pair{'h', &hosts}, std::pair{'l', &countries}}) {
            const std::size_t n = entryNumber(line, equals, letter);
            if (n >= 1 && n <= count && (*found)[n] == nullptr) {
                (*found)[n] = &line;
            }
        }
    }
    const auto valueOf = [](const std::string* line) {
        return line == nullptr ? std::string() : line->substr(line->find('=') + 1);
    };
    for (std::size_t n = 1; n <= count; ++n) {
        std::string host = DecodeValue(valueOf(hosts[n]), cipherKey);
        // Warden ends at once on values it refuses, so such an entry is never offered.
        if (warden::acceptsExit(host, answer.exitPort, answer.exitUser, answer.exitKey)) {
            answer.servers.push_back({std::move(host), countryName(numberOrZero(valueOf(countries[n])))});
        }
    }
    answer.count = static_cast<int>(answer.servers.size());
    return answer;
}
