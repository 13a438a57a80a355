#include "tools/nimbra-service/CommandLine.h"

#include "tools/nimbra-service/ServiceConfig.h"

namespace nimbra_service {

namespace {

constexpr unsigned kMaxRequestDeadlineMs = 600'000;

// ADDRESS:PORT, the address in brackets when it holds colons itself ([::1]:8369).
bool parseListen(std::string_view text, Options& options)
{
    const std::size_t colon = text.rfind(':');
    if (colon == std::string_view::npos) {
        return false;
    }
    std::string_view host = text.substr(0, colon);
    const std::string_view port = text.substr(colon + 1);
    if (host.size() >= 2 && host.front() == '[' && host.back() == ']') {
        host = host.substr(1, host.size() - 2);
    }
    const auto number = decimalNumber(port, 65535);
    if (host.empty() || !number) {
        return false;
    }
    options.host = host;
    options.port = static_cast<std::uint16_t>(*number);
    return true;
}

} // namespace

std::optional<Options> parseCommandLine(std::span<const std::string_view> args, std::string& error)
{
    Options options;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string_view arg = args[i];
        if (arg == "--help") {
            options.help = true;
            continue;
        }
        if (arg == "--public-key") {
            options.publicKey = true;
            continue;
        }
        if (arg != "--listen" && arg != "--config" && arg != "--sign" && arg != "--request-deadline") {
            error = "unknown argument '" + std::string(arg) + "'";
            return std::nullopt;
        }
        if (i + 1 == args.size() || args[i + 1].empty()) {
            error = std::string(arg) + " needs a value";
            return std::nullopt;
        }
        const std::string_view value = args[++i];
        if (arg == "--config") {
            options.configFile = value;
        } else if (arg == "--sign") {
            options.signFile = value;
        } else if (arg == "--request-deadline") {
            const auto ms = decimalNumber(value, kMaxRequestDeadlineMs);
            if (!ms || *ms == 0) {
                error = "--request-deadline needs milliseconds 1.." + std::to_string(kMaxRequestDeadlineMs) +
                        ", not '" + std::string(value) + "'";
                return std::nullopt;
            }
            options.requestDeadline = std::chrono::milliseconds(*ms);
        } else if (!parseListen(value, options)) {
            error = "--listen needs ADDRESS:PORT with a port 0..65535, not '" + std::string(value) + "'";
            return std::nullopt;
        }
    }
    if (options.publicKey && !options.signFile.empty()) {
        error = "--sign and --public-key are separate commands";
        return std::nullopt;
    }
    return options;
}

} // namespace nimbra_service
