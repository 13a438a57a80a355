#include "core/BypassSettings.h"

#include <algorithm>

namespace bypass {

namespace {
constexpr const char* kSection = "Bypass";
constexpr const char* kCounter = "Counter";
} // namespace

std::vector<std::string> read(const SettingsStore::Snapshot& file)
{
    const int count = std::min(file.readInteger(kSection, kCounter, 0), kMaxLines);
    std::vector<std::string> lines;
    for (int i = 1; i <= count; ++i) {
        lines.push_back(file.readString(kSection, std::to_string(i), ""));
    }
    return lines;
}

void write(SettingsStore& settings, const std::vector<std::string>& lines)
{
    std::vector<std::pair<std::string, std::string>> values;
    values.emplace_back(kCounter, std::to_string(lines.size()));
    for (std::size_t i = 0; i < lines.size(); ++i) {
        values.emplace_back(std::to_string(i + 1), lines[i]);
    }
    settings.writeStrings(kSection, values);
}

} // namespace bypass
