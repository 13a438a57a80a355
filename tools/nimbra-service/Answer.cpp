#include "tools/nimbra-service/Answer.h"

#include "service/Cipher.h"
#include "tools/nimbra-service/Version.h"

#include <algorithm>
#include <array>
#include <optional>

namespace nimbra_service {

namespace {

// The program appends this to its version number in the query: version 1.33 asks as 1.3369.
constexpr std::string_view kVersionSuffix = "69";

bool isDigit(char c)
{
    return c >= '0' && c <= '9';
}

bool isUpperHexDigit(char c)
{
    return isDigit(c) || (c >= 'A' && c <= 'F');
}

bool isDigits(std::string_view text)
{
    return !text.empty() && std::all_of(text.begin(), text.end(), isDigit);
}

// The attempt (0, 1 or 2) and the checksum of the request, eight upper-case hex digits.
bool isAttemptAndChecksum(std::string_view text)
{
    return text.size() == 9 && text[0] >= '0' && text[0] <= '2' &&
           std::all_of(text.begin() + 1, text.end(), isUpperHexDigit);
}

constexpr std::size_t kVersionField = 2;

struct Field
{
    std::string_view name;
    bool (*isValid)(std::string_view value);
    std::optional<std::string_view> value = std::nullopt;
};

// The fields checked, in the order the program sends them (the version third); `sn`
// (always empty) and any other field are left alone.
std::array<Field, 5> checkedFields()
{
    return {{
        {"id", [](std::string_view v) { return v.size() == 24 && isDigits(v); }},
        {"productid", [](std::string_view v) { return v == "1"; }},
        {"version", isVersionNumber},
        {"language", isDigits},
        {"i", isAttemptAndChecksum},
    }};
}

std::string line(std::string_view name, std::string_view value)
{
    return std::string(name) + "=" + std::string(value) + "\r\n";
}

} // namespace

std::string handshakeAnswer(const ServiceConfig& config, std::string_view query)
{
    auto fields = checkedFields();
    for (std::size_t at = 0; at <= query.size();) {
        const std::size_t end = std::min(query.find('&', at), query.size());
        const std::string_view pair = query.substr(at, end - at);
        at = end + 1;
        const std::size_t equals = pair.find('=');
        const std::string_view name = pair.substr(0, equals);
        const std::string_view value = equals == std::string_view::npos ? "" : pair.substr(equals + 1);
        for (Field& field : fields) {
            if (field.name != name) {
                continue;
            }
            // A field given twice is ambiguous: which one would the program mean?
            if (field.value) {
                return line("Error", "bad request: " + std::string(name));
            }
            field.value = value;
        }
    }
    for (const Field& field : fields) {
        if (!field.value || !field.isValid(*field.value)) {
            return line("Error", "bad request: " + std::string(field.name));
        }
    }
    const std::string_view version = *fields[kVersionField].value;

    const std::string newest = config.newestVersion + std::string(kVersionSuffix);
    const auto encipher = [&config](const std::string& value) { return DecodeValue(value, config.cipher); };
    std::string answer = line("B", "1");
    answer += line("ServiceNotAvailable", config.serviceNotAvailable ? "1" : "0");
    if (compareVersions(version, newest) < 0) {
        answer += line("NewVersion", "1");
    }
    answer += line("C", std::to_string(config.exits.size()));
    answer += line("P", encipher(std::to_string(config.port)));
    answer += line("U", encipher(config.user));
    answer += line("K", encipher(config.key));
    for (std::size_t i = 0; i < config.exits.size(); ++i) {
        const std::string number = std::to_string(i + 1);
        answer += line("H" + number, encipher(config.exits[i].host));
        answer += line("L" + number, std::to_string(config.exits[i].country));
    }
    answer += line("E", "1");
    return answer;
}

} // namespace nimbra_service
