#include "warden/CommandLine.h"

#include "warden/ExitValues.h"

#include <array>
#include <utility>

namespace warden {

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
    if (!local || !acceptsExit(*exitHost, *exitPort, *user, *key))
        return std::nullopt;
    return Options{std::string(*user), std::string(*key), *local, std::string(*exitHost),
                   *parsePort(*exitPort)};
}

} // namespace warden
