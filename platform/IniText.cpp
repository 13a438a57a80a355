#include "platform/IniText.h"

#include <algorithm>
#include <cctype>

namespace {

std::string_view trimmed(std::string_view text)
{
    const auto blank = [](char c) { return c == ' ' || c == '\t'; };
    while (!text.empty() && blank(text.front())) {
        text.remove_prefix(1);
    }
    while (!text.empty() && blank(text.back())) {
        text.remove_suffix(1);
    }
    return text;
}

bool sameName(std::string_view a, std::string_view b)
{
    return std::ranges::equal(a, b, [](char x, char y) {
        return std::tolower(static_cast<unsigned char>(x)) == std::tolower(static_cast<unsigned char>(y));
    });
}

// The name of a section header line ("[name]", blanks around it ignored), or nothing.
std::optional<std::string_view> sectionName(std::string_view line)
{
    line = trimmed(line);
    if (line.empty() || line.front() != '[') {
        return std::nullopt;
    }
    line.remove_prefix(1);
    return trimmed(line.substr(0, line.find(']')));
}

// Key and raw value of a "key=value" line; nothing for comments and lines without "=".
std::optional<std::pair<std::string_view, std::string_view>> keyLine(std::string_view line)
{
    const std::string_view content = trimmed(line);
    const std::size_t equals = content.find('=');
    if (content.empty() || content.front() == ';' || equals == std::string_view::npos) {
        return std::nullopt;
    }
    return std::pair{trimmed(content.substr(0, equals)), content.substr(equals + 1)};
}

std::string unquoted(std::string_view value)
{
    value = trimmed(value);
    if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') &&
        value.back() == value.front()) {
        value = value.substr(1, value.size() - 2);
    }
    return std::string(value);
}

#ifdef _WIN32
constexpr const char* kSystemNewLine = "\r\n";
#else
constexpr const char* kSystemNewLine = "\n";
#endif

} // namespace

IniText::IniText(std::string_view text)
{
    while (!text.empty()) {
        const std::size_t end = text.find_first_of("\r\n");
        Line line{std::string(text.substr(0, end)), ""};
        if (end != std::string_view::npos) {
            const std::size_t breakLength = text.compare(end, 2, "\r\n") == 0 ? 2 : 1;
            line.lineBreak = std::string(text.substr(end, breakLength));
            text.remove_prefix(end + breakLength);
        } else {
            text = {};
        }
        if (m_newLine.empty()) {
            m_newLine = line.lineBreak;
        }
        m_lines.push_back(std::move(line));
    }
    if (m_newLine.empty()) {
        m_newLine = kSystemNewLine;
    }
}

IniText::Section IniText::find(std::string_view section) const
{
    Section found;
    std::size_t i = 0;
    // The first section of that name.
    for (; i < m_lines.size() && !found.found; ++i) {
        const auto name = sectionName(m_lines[i].text);
        found.found = name && sameName(*name, trimmed(section));
    }
    found.end = i;
    for (; found.found && i < m_lines.size() && !sectionName(m_lines[i].text); ++i) {
        if (!trimmed(m_lines[i].text).empty()) {
            found.end = i + 1;
        }
        if (const auto entry = keyLine(m_lines[i].text)) {
            found.keys.emplace(iniNameKey(entry->first), i); // the first of a name stays
        }
    }
    return found;
}

std::optional<std::string> IniText::value(std::string_view section, std::string_view key) const
{
    const Section found = find(section);
    const auto line = found.keys.find(iniNameKey(key));
    if (line == found.keys.end()) {
        return std::nullopt;
    }
    return unquoted(keyLine(m_lines[line->second].text)->second);
}

std::vector<std::string> IniText::sections() const
{
    std::vector<std::string> names;
    for (const Line& line : m_lines) {
        if (const auto name = sectionName(line.text)) {
            names.emplace_back(*name);
        }
    }
    return names;
}

std::map<std::string, std::string> IniText::values(std::string_view section) const
{
    std::map<std::string, std::string> values;
    for (const auto& [key, line] : find(section).keys) {
        values.emplace(key, unquoted(keyLine(m_lines[line].text)->second));
    }
    return values;
}

void IniText::setValue(std::string_view section, std::string_view key, std::string_view value)
{
    setValues(section, {{std::string(key), std::string(value)}});
}

void IniText::setValues(std::string_view section,
                        const std::vector<std::pair<std::string, std::string>>& values)
{
    const Section found = find(section);
    std::vector<Line> added;
    std::map<std::string, std::size_t> addedAt; // a key given twice: its later value counts
    for (const auto& [key, value] : values) {
        const std::string name = iniNameKey(key);
        const std::string_view oneLine = std::string_view(value).substr(0, value.find_first_of("\r\n"));
        std::string line = std::string(trimmed(key)) + "=" + std::string(oneLine);
        if (const auto existing = found.keys.find(name); existing != found.keys.end()) {
            m_lines[existing->second].text = std::move(line);
        } else if (const auto pending = addedAt.find(name); pending != addedAt.end()) {
            added[pending->second].text = std::move(line);
        } else {
            addedAt.emplace(name, added.size());
            added.push_back(Line{std::move(line), m_newLine});
        }
    }
    if (added.empty()) {
        return;
    }
    std::size_t at = found.found ? found.end : m_lines.size();
    if (!found.found) {
        added.insert(added.begin(), Line{"[" + std::string(trimmed(section)) + "]", m_newLine});
    }
    // The line before the new ones must end, also when it was the file's unterminated last.
    if (at > 0 && m_lines[at - 1].lineBreak.empty()) {
        m_lines[at - 1].lineBreak = m_newLine;
    }
    m_lines.insert(m_lines.begin() + static_cast<std::ptrdiff_t>(at), added.begin(), added.end());
}

std::string IniText::text() const
{
    std::string text;
    for (const Line& line : m_lines) {
        text += line.text;
        text += line.lineBreak;
    }
    return text;
}

std::string iniNameKey(std::string_view name)
{
    std::string key(trimmed(name));
    for (char& c : key) {
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    }
    return key;
}
