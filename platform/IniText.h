#pragma once

#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// The text of an INI file (the settings file, the desktop's configuration files, a
// browser's profile lists), read and edited one key at a time the way the system's
// private-profile functions do it: sections and keys compare without regard to case and
// to the blanks around them, the first section of a name and the first key of a name in
// it count, blanks and one pair of matching quotes around a value are not part of it.
// An edit changes or adds one line; every other line, comments, lines without "=" and
// sections the program does not know included, stays byte for byte.
class IniText
{
public:
    explicit IniText(std::string_view text = {});

    // The value of section/key; nothing when there is no such key.
    std::optional<std::string> value(std::string_view section, std::string_view key) const;
    // The names of the sections in file order, blanks around them dropped, repeats kept.
    std::vector<std::string> sections() const;
    // Every key of the section with its value, the first of each name; keys as
    // iniNameKey() gives them.
    std::map<std::string, std::string> values(std::string_view section) const;

    // Replaces the line of each section/key, or adds the key after the last line of the
    // section, or the section at the end. A line break in a value would start a new line
    // of the file, so a value ends before the first one.
    void setValue(std::string_view section, std::string_view key, std::string_view value);
    void setValues(std::string_view section, const std::vector<std::pair<std::string, std::string>>& values);

    std::string text() const;

private:
    struct Line
    {
        std::string text; // without its line break
        std::string lineBreak;
    };
    struct Section
    {
        bool found = false;
        std::size_t end = 0; // one past the section's last non-blank line
        // Lower-cased key -> index of its first line.
        std::map<std::string, std::size_t> keys;
    };
    Section find(std::string_view section) const;

    std::vector<Line> m_lines;
    std::string m_newLine; // what new lines end with: the file's own line break
};

// A section or key name in the form names compare in: blanks around it dropped, ASCII
// letters in lower case.
std::string iniNameKey(std::string_view name);
