#include "platform/linux/OsRelease.h"

#include <cstddef>
#include <sstream>

namespace platform {

namespace {

// os-release values are shell assignments: in double quotes \ escapes ", \, $ and `;
// in single quotes nothing is escaped.
std::string unquoted(const std::string& value)
{
    if (value.size() >= 2 && value.front() == '\'' && value.back() == '\'') {
        return value.substr(1, value.size() - 2);
    }
    if (value.size() < 2 || value.front() != '"' || value.back() != '"') {
        return value;
    }
    std::string out;
    for (std::size_t i = 1; i + 1 < value.size(); ++i) {
        if (value[i] == '\\' && i + 2 < value.size()) {
            ++i;
        }
        out += value[i];
    }
    return out;
}

} // namespace

std::string prettyNameOfOsRelease(const std::string& text)
{
    const std::string key = "PRETTY_NAME=";
    std::istringstream lines(text);
    std::string line;
    while (std::getline(lines, line)) {
        if (!line.empty() && line.back() == '\r') {
            line.pop_back();
        }
        if (line.compare(0, key.size(), key) == 0) {
            return unquoted(line.substr(key.size()));
        }
    }
    return "";
}

} // namespace platform
