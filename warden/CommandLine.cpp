#include "warden/CommandLine.h"

#include "warden/ExitValues.h"

#include <array>
#include <charconv>
#include <utility>

namespace warden {

namespace {

// A time in milliseconds written as plain decimal digits, up to an hour, into `time`; an
// absent flag leaves the shipped value. False for anything else.
bool readMilliseconds(std::optional<std::string_view> text, std::chrono::milliseconds& time)
{
    if (!text)
        return true;
    unsigned value = 0;
    const auto [end, error] = std::from_chars(text->data(), text->data() + text->size(), value);
    if (error != std::errc{} || end != text->data() + text->size() || value == 0 || value > 3'600'000)
        return false;
    time = std::chrono::milliseconds(value);
    return true;
}

} // namespace

std::optional<Options> parseCommandLine(std::span<const std::string_view> args)
{
    std::optional<std::string_view> user, key, localPort, exitHost, exitPort, retry, retryMax, handshake;
    const std::array<std::pair<std::string_view, std::optional<std::string_view>*>, 8> valued{{
        {"-name", &user},
        {"-key", &key},
        {"-H", &localPort},
        {"-say", &exitHost},
        {"-port", &exitPort},
        {"-retry", &retry},
        {"-retrymax", &retryMax},
        {"-handshake", &handshake},
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
    Options options{std::string(*user), std::string(*key), *local, std::string(*exitHost),
                    *parsePort(*exitPort)};
    if (!readMilliseconds(retry, options.timing.firstRetry) ||
        !readMilliseconds(retryMax, options.timing.longestRetry) ||
        !readMilliseconds(handshake, options.timing.clientHandshake))
        return std::nullopt;
    return options;
}

} // namespace warden
