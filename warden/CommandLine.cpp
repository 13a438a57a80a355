#include "warden/CommandLine.h"

#include "warden/Socks5.h"

#include <array>
#include <charconv>
#include <utility>

namespace warden {

namespace {

std::optional<std::uint16_t> parsePort(std::string_view text)
{
    unsigned value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc{} || end != text.data() + text.size() || value == 0 || value > 65535)
        return std::nullopt;
    return static_cast<std::uint16_t>(value);
}

} // namespace

std::optional<Options> parseCommandLine(std::span<const std::string_view> args)
{
    std::optional<std::string_view> user, key, localPort, exitHost, exitPort;
    const std::array<std::pair<std::string_view, std::optional<std::string_view>*>, 5> valued{{
        {"-name", &user},
        {"-key", &key},
        {"-H", &localPort},
        {"-say", &exitHost},
        {"-port", &exitPort},
    }};

    for (std::size_t i = 0; i < args.size(); ++i) {
        if (args[i] == "-do" || args[i] == "-dirudo")
            continue;
        std::optional<std::string_view>* target = nullptr;
        for (const auto& [flag, slot] : valued)
            if (flag == args[i])
                target = slot;
        if (target == nullptr || target->has_value() || i + 1 == args.size())
            return std::nullopt;
        *target = args[++i];
    }
    if (!user || !key || !localPort || !exitHost || !exitPort)
        return std::nullopt;

    const auto local = parsePort(*localPort);
    const auto exit = parsePort(*exitPort);
    if (!local || !exit || exitHost->empty() || user->size() > socks5::kMaxCredentialLength ||
        key->size() > socks5::kMaxCredentialLength)
        return std::nullopt;
    return Options{std::string(*user), std::string(*key), *local, std::string(*exitHost), *exit};
}

} // namespace warden
