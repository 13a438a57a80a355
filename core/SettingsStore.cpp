#include "core/SettingsStore.h"

#include "platform/Files.h"
#include "platform/IniText.h"

#include <cctype>
#include <climits>
#include <filesystem>
#include <stdexcept>

SettingsStore::SettingsStore(std::string path, FileReader read)
    : m_path(std::move(path)), m_read(std::move(read))
{
}

std::string SettingsStore::Snapshot::readString(const std::string& section, const std::string& key,
                                                const std::string& fallback) const
{
    auto cached = m_sections.find(iniNameKey(section));
    if (cached == m_sections.end()) {
        cached = m_sections.emplace(iniNameKey(section), m_ini.values(section)).first;
    }
    const auto value = cached->second.find(iniNameKey(key));
    return value == cached->second.end() ? fallback : value->second;
}

int SettingsStore::Snapshot::readInteger(const std::string& section, const std::string& key,
                                         int fallback) const
{
    return parseSettingsInteger(readString(section, key, ""), fallback);
}

SettingsStore::Snapshot SettingsStore::snapshot() const
{
    const std::optional<platform::FileHead> file = m_read(m_path, kMaxFileSize);
    return Snapshot(IniText(file ? file->text : ""));
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
    const std::optional<platform::FileHead> file = m_read(m_path, kMaxFileSize);
    // Written from its first part, the file would lose the rest of it.
    if (file && file->cut) {
        throw std::runtime_error("Unable to write to " + m_path + ": the file is larger than 1 MiB");
    }
    // Something that is there but cannot be read is not replaced as if it were empty.
    std::error_code failed;
    if (!file &&
        std::filesystem::symlink_status(m_path, failed).type() != std::filesystem::file_type::not_found) {
        throw std::runtime_error("Unable to write to " + m_path + ": it cannot be read");
    }
    IniText ini(file ? file->text : "");
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
