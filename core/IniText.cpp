#include "core/IniText.h"

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

IniText::Position IniText::find(std::string_view section, std::string_view key) const
{
    Position found;
    std::size_t i = 0;
    // The first section of that name.
    for (; i < m_lines.size() && !found.sectionFound; ++i) {
        const auto name = sectionName(m_lines[i].text);
        found.sectionFound = name && sameName(*name, trimmed(section));
    }
    found.sectionEnd = i;
    for (; found.sectionFound && i < m_lines.size() && !sectionName(m_lines[i].text); ++i) {
        if (!trimmed(m_lines[i].text).empty()) {
            found.sectionEnd = i + 1;
        }
        const auto entry = keyLine(m_lines[i].text);
        if (!found.key && entry && sameName(entry->first, trimmed(key))) {
            found.key = i;
        }
    }
    return found;
}

std::optional<std::string> IniText::value(std::string_view section, std::string_view key) const
{
    const Position found = find(section, key);
    if (!found.key) {
        return std::nullopt;
    }
    return unquoted(keyLine(m_lines[*found.key].text)->second);
}

void IniText::setValue(std::string_view section, std::string_view key, std::string_view value)
{
    value = value.substr(0, value.find_first_of("\r\n"));
    const std::string line = std::string(trimmed(key)) + "=" + std::string(value);
    const Position found = find(section, key);
    if (found.key) {
        m_lines[*found.key].text = line;
        return;
    }
    // The line before the new ones must end, also when it was the file's unterminated last.
    const auto terminate = [this](std::size_t before) {
        if (before > 0 && m_lines[before - 1].lineBreak.empty()) {
            m_lines[before - 1].lineBreak = m_newLine;
        }
    };
    if (found.sectionFound) {
        terminate(found.sectionEnd);
        m_lines.insert(m_lines.begin() + static_cast<std::ptrdiff_t>(found.sectionEnd),
                       Line{line, m_newLine});
        return;
    }
    terminate(m_lines.size());
    m_lines.push_back(Line{"[" + std::string(trimmed(section)) + "]", m_newLine});
    m_lines.push_back(Line{line, m_newLine});
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
