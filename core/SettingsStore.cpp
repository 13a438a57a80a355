#include "core/SettingsStore.h"

#include "platform/Files.h"
#include "platform/IniText.h"

#include <cctype>
#include <climits>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <stdexcept>

namespace {

// The file as it is now; a missing or unreadable file is an empty one, and so is
// anything that is not a regular file (a folder, a device, a pipe that would wait for a
// writer for ever).
IniText load(const std::string& path)
{
    std::error_code failed;
    if (!std::filesystem::is_regular_file(path, failed)) {
        return IniText();
    }
    std::ifstream in(path, std::ios::binary);
    return IniText(std::string(std::istreambuf_iterator<char>(in), {}));
}

} // namespace

struct SettingsStore::Snapshot::Data
{
    IniText ini;
    // Sections read so far, so that reading many keys reads the file's lines once.
    mutable std::map<std::string, std::map<std::string, std::string>> sections;
};

SettingsStore::Snapshot::Snapshot(std::unique_ptr<Data> data) : m_data(std::move(data)) {}
SettingsStore::Snapshot::~Snapshot() = default;

std::string SettingsStore::Snapshot::readString(const std::string& section, const std::string& key,
                                                const std::string& fallback) const
{
    auto cached = m_data->sections.find(iniNameKey(section));
    if (cached == m_data->sections.end()) {
        cached = m_data->sections.emplace(iniNameKey(section), m_data->ini.values(section)).first;
    }
    const auto value = cached->second.find(iniNameKey(key));
    return value == cached->second.end() ? fallback : value->second;
}

int SettingsStore::Snapshot::readInteger(const std::string& section, const std::string& key,
                                         int fallback) const
{
    return parseSettingsInteger(readString(section, key, ""), fallback);
}

SettingsStore::SettingsStore(std::string path) : m_path(std::move(path)) {}

SettingsStore::Snapshot SettingsStore::snapshot() const
{
    return Snapshot(std::make_unique<Snapshot::Data>(Snapshot::Data{load(m_path), {}}));
}

std::string SettingsStore::readString(const std::string& section, const std::string& key,
                                      const std::string& fallback) const
{
    return snapshot().readString(section, key, fallback);
}

int SettingsStore::readInteger(const std::string& section, const std::string& key, int fallback) const
{
    return snapshot().readInteger(section, key, fallback);
}

void SettingsStore::writeString(const std::string& section, const std::string& key, const std::string& value)
{
    writeStrings(section, {{key, value}});
}

void SettingsStore::writeInteger(const std::string& section, const std::string& key, int value)
{
    writeString(section, key, std::to_string(value));
}

void SettingsStore::writeStrings(const std::string& section,
                                 const std::vector<std::pair<std::string, std::string>>& values)
{
    IniText ini = load(m_path);
    ini.setValues(section, values);
    if (!platform::replaceFile(m_path, ini.text())) {
        throw std::runtime_error("Unable to write to " + m_path);
    }
}

int parseSettingsInteger(const std::string& text, int fallback)
{
    std::size_t i = 0;
    while (i < text.size() && (text[i] == ' ' || text[i] == '\t')) {
        ++i;
    }
    bool negative = false;
    if (i < text.size() && (text[i] == '-' || text[i] == '+')) {
        negative = text[i] == '-';
        ++i;
    }
    int base = 10;
    if (i < text.size() && text[i] == '$') {
        base = 16;
        ++i;
    } else if (i + 1 < text.size() && text[i] == '0' && (text[i + 1] == 'x' || text[i + 1] == 'X')) {
        base = 16;
        i += 2;
    }
    if (i == text.size()) {
        return fallback;
    }
    long long value = 0;
    for (; i < text.size(); ++i) {
        const unsigned char c = static_cast<unsigned char>(text[i]);
        int digit = -1;
        if (std::isdigit(c)) {
            digit = c - '0';
        } else if (base == 16 && std::isxdigit(c)) {
            digit = std::tolower(c) - 'a' + 10;
        }
        if (digit < 0) {
            return fallback;
        }
        value = value * base + digit;
        if (value > static_cast<long long>(INT_MAX) + 1) {
            return fallback;
        }
    }
    if (negative) {
        value = -value;
    }
    if (value > INT_MAX || value < INT_MIN) {
        return fallback;
    }
    return static_cast<int>(value);
}
