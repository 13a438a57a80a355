#include "tools/nimbra-service/ServiceConfig.h"

#include "tools/nimbra-service/Version.h"
#include "tools/nimbra-service/WholeFile.h"

#include <charconv>
#include <filesystem>
#include <map>

namespace nimbra_service {

namespace {

// Parsed like any file, so the demo cannot drift from what a file may say.
constexpr std::string_view kDemoConfig = R"(# The built-in demo: two exits on loopback.
exit = 127.0.0.2 2
exit = 127.0.0.3 1
port = 1080
user = nimbra
key = nimbra-demo
cipher = n
newest-version = 1.33
update-signing-key = 000102030405060708090a0b0c0d0e0f101112131415161718191a1b1c1d1e1f
)";

// No configuration is anywhere near this; --config /dev/zero must not fill the memory.
constexpr std::size_t kMaxFileSize = 1024 * 1024;
// SOCKS5 carries a user, a key and a host name in at most 255 bytes each.
constexpr std::size_t kMaxFieldLength = 255;
constexpr std::string_view kBlank = " \t";

std::string_view trimmed(std::string_view text)
{
    const std::size_t first = text.find_first_not_of(kBlank);
    if (first == std::string_view::npos) {
        return {};
    }
    return text.substr(first, text.find_last_not_of(kBlank) - first + 1);
}

// Control characters would break the answer's lines or the log; a tab only separates.
bool hasControlCharacter(std::string_view text, bool tabAllowed)
{
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if ((byte < 32 || byte == 127) && !(tabAllowed && c == '\t')) {
            return true;
        }
    }
    return false;
}

std::optional<SigningSeed> seedFromHex(std::string_view hex)
{
    SigningSeed seed{};
    if (hex.size() != 2 * seed.size()) {
        return std::nullopt;
    }
    for (std::size_t i = 0; i < seed.size(); ++i) {
        const auto [end, error] = std::from_chars(hex.data() + 2 * i, hex.data() + 2 * i + 2, seed[i], 16);
        if (error != std::errc{} || end != hex.data() + 2 * i + 2) {
            return std::nullopt;
        }
    }
    return seed;
}

std::string exitProblem(ServiceConfig& config, std::string_view value)
{
    const std::size_t gap = value.find_first_of(kBlank);
    const std::string_view host = value.substr(0, gap);
    const std::string_view country = gap == std::string_view::npos ? "" : trimmed(value.substr(gap));
    const auto countryNumber = decimalNumber(country, 999'999'999);
    if (!countryNumber || country.find_first_of(kBlank) != std::string_view::npos) {
        return "'exit' must be HOST COUNTRY, COUNTRY a number";
    }
    if (host.size() > kMaxFieldLength) {
        return "the exit's host is longer than 255 bytes";
    }
    config.exits.push_back({std::string(host), static_cast<int>(*countryNumber)});
    return {};
}

// A credential: text without control characters, 1..255 bytes.
std::string credentialProblem(std::string& field, std::string_view name, std::string_view value)
{
    if (hasControlCharacter(value, false)) {
        return "'" + std::string(name) + "' holds a control character";
    }
    if (value.size() > kMaxFieldLength) {
        return "'" + std::string(name) + "' is longer than 255 bytes";
    }
    field = value;
    return {};
}

// Applies one line to `config`: the problem with it, or empty when it fits.
std::string apply(ServiceConfig& config, std::string_view name, std::string_view value)
{
    if (name == "exit") {
        return exitProblem(config, value);
    }
    if (name == "port") {
        const auto port = decimalNumber(value, 65535);
        if (!port || *port == 0) {
            return "'port' must be a number 1..65535";
        }
        config.port = static_cast<std::uint16_t>(*port);
        return {};
    }
    if (name == "user") {
        return credentialProblem(config.user, name, value);
    }
    if (name == "key") {
        return credentialProblem(config.key, name, value);
    }
    if (name == "cipher") {
        if (value.size() != 1 || value[0] < 'a' || value[0] > 'z') {
            return "'cipher' must be one lower-case letter a..z";
        }
        config.cipher = value;
        return {};
    }
    if (name == "service-not-available") {
        if (value != "0" && value != "1") {
            return "'service-not-available' must be 0 or 1";
        }
        config.serviceNotAvailable = value == "1";
        return {};
    }
    if (name == "newest-version") {
        if (!isVersionNumber(value)) {
            return "'newest-version' must be digits joined by dots, such as 1.33";
        }
        config.newestVersion = value;
        return {};
    }
    if (name == "update-file") {
        if (hasControlCharacter(value, false)) {
            return "'update-file' holds a control character";
        }
        config.updateFile = value;
        return {};
    }
    if (name == "update-signing-key") {
        config.updateSigningSeed = seedFromHex(value);
        return config.updateSigningSeed ? "" : "'update-signing-key' must be 64 hex digits";
    }
    return "unknown name '" + std::string(name) + "'";
}

} // namespace

std::optional<ServiceConfig> parseConfig(std::string_view text, const std::string& origin, std::string& error)
{
    ServiceConfig config;
    std::map<std::string, int, std::less<>> firstLine;
    int lineNumber = 0;
    for (std::size_t at = 0; at < text.size();) {
        const std::size_t end = std::min(text.find('\n', at), text.size());
        std::string_view line = text.substr(at, end - at);
        at = end + 1;
        ++lineNumber;
        if (line.ends_with('\r')) {
            line.remove_suffix(1);
        }
        const auto fault = [&](const std::string& problem) {
            error = origin + ":" + std::to_string(lineNumber) + ": " + problem;
            return std::nullopt;
        };
        if (hasControlCharacter(line, true)) {
            return fault("control character in the line");
        }
        line = trimmed(line);
        if (line.empty() || line.starts_with('#')) {
            continue;
        }
        const std::size_t equals = line.find('=');
        const std::string_view name = trimmed(line.substr(0, equals));
        if (equals == std::string_view::npos || name.empty()) {
            return fault("expected 'name = value'");
        }
        const std::string_view value = trimmed(line.substr(equals + 1));
        if (value.empty()) {
            return fault("'" + std::string(name) + "' has no value");
        }
        if (const auto seen = firstLine.find(name); seen != firstLine.end() && name != "exit") {
            return fault("'" + std::string(name) + "' given again (first on line " +
                         std::to_string(seen->second) + ")");
        }
        if (const std::string problem = apply(config, name, value); !problem.empty()) {
            return fault(problem);
        }
        firstLine.emplace(name, lineNumber);
    }
    for (const char* required : {"port", "user", "key"}) {
        if (!firstLine.contains(std::string_view(required))) {
            error = origin + ": no '" + required + "' line";
            return std::nullopt;
        }
    }
    return config;
}

std::optional<ServiceConfig> loadConfigFile(const std::string& path, std::string& error)
{
    const auto text = readWholeFile(path, kMaxFileSize, "a configuration file", error);
    if (!text) {
        return std::nullopt;
    }
    auto config = parseConfig(*text, path, error);
    if (config && !config->updateFile.empty()) {
        config->updateFile = (std::filesystem::path(path).parent_path() / config->updateFile).string();
    }
    return config;
}

ServiceConfig demoConfig()
{
    std::string error;
    return parseConfig(kDemoConfig, "built-in demo", error).value();
}

SigningSeed updateSigningSeedOf(const ServiceConfig& config)
{
    return config.updateSigningSeed ? *config.updateSigningSeed : *demoConfig().updateSigningSeed;
}

std::optional<unsigned> decimalNumber(std::string_view text, unsigned max)
{
    unsigned value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (text.empty() || error != std::errc{} || end != text.data() + text.size() || value > max) {
        return std::nullopt;
    }
    return value;
}

} // namespace nimbra_service
