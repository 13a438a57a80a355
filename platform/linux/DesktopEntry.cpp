#include "platform/linux/DesktopEntry.h"

#include <cstddef>
#include <sstream>

namespace platform {

namespace {

std::string escapeString(const std::string& text)
{
    std::string out;
    for (const char c : text) {
        switch (c) {
        case '\\':
            out += "\\\\";
            break;
        case '\n':
            out += "\\n";
            break;
        case '\r':
            out += "\\r";
            break;
        case '\t':
            out += "\\t";
            break;
        default:
            out += c;
        }
    }
    return out;
}

std::string unescapeString(const std::string& text)
{
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '\\' || i + 1 == text.size()) {
            out += text[i];
            continue;
        }
        switch (text[++i]) {
        case 's':
            out += ' ';
            break;
        case 'n':
            out += '\n';
            break;
        case 'r':
            out += '\r';
            break;
        case 't':
            out += '\t';
            break;
        case '\\':
            out += '\\';
            break;
        default:
            out += '\\', out += text[i];
        }
    }
    return out;
}

bool isQuotedSpecial(char c)
{
    return c == '"' || c == '`' || c == '$' || c == '\\';
}

// The first argument of an unescaped command line, its quoting undone.
std::string firstArgument(const std::string& commandLine)
{
    std::size_t i = commandLine.find_first_not_of(" \t");
    if (i == std::string::npos) {
        return "";
    }
    if (commandLine[i] != '"') {
        return commandLine.substr(i, commandLine.find_first_of(" \t", i) - i);
    }
    std::string argument;
    for (++i; i < commandLine.size() && commandLine[i] != '"'; ++i) {
        if (commandLine[i] == '\\' && i + 1 < commandLine.size() && isQuotedSpecial(commandLine[i + 1])) {
            ++i;
        }
        argument += commandLine[i];
    }
    return argument;
}

// Field codes are expanded after the quoting is undone; "%%" stands for one "%".
std::string withoutDoubledPercent(const std::string& argument)
{
    std::string out;
    for (std::size_t i = 0; i < argument.size(); ++i) {
        out += argument[i];
        if (argument[i] == '%' && i + 1 < argument.size() && argument[i + 1] == '%') {
            ++i;
        }
    }
    return out;
}

std::string trimmed(const std::string& text)
{
    const std::size_t first = text.find_first_not_of(" \t\r");
    if (first == std::string::npos) {
        return "";
    }
    return text.substr(first, text.find_last_not_of(" \t\r") - first + 1);
}

} // namespace

std::string execValueForProgram(const std::string& program)
{
    std::string quoted = "\"";
    for (const char c : program) {
        if (isQuotedSpecial(c)) {
            quoted += '\\';
        }
        quoted += c;
        if (c == '%') {
            quoted += '%';
        }
    }
    quoted += '"';
    return escapeString(quoted);
}

std::string programOfExecValue(const std::string& execValue)
{
    return withoutDoubledPercent(firstArgument(unescapeString(execValue)));
}

std::map<std::string, std::string> desktopEntryKeys(const std::string& text)
{
    std::map<std::string, std::string> keys;
    std::istringstream lines(text);
    std::string line;
    bool inMainGroup = false;
    while (std::getline(lines, line)) {
        const std::string content = trimmed(line);
        if (content.empty() || content.front() == '#') {
            continue;
        }
        if (content.front() == '[') {
            inMainGroup = content == "[Desktop Entry]";
            continue;
        }
        const std::size_t equals = content.find('=');
        if (inMainGroup && equals != std::string::npos) {
            keys[trimmed(content.substr(0, equals))] = trimmed(content.substr(equals + 1));
        }
    }
    return keys;
}

std::string autostartEntryText(const std::string& name, const std::string& program)
{
    std::string text = "[Desktop Entry]\nType=Application\n";
    text += "Name=" + escapeString(name) + "\n";
    text += "Exec=" + execValueForProgram(program) + "\n";
    text += "X-GNOME-Autostart-enabled=true\n";
    return text;
}

bool autostartEntryActive(const std::string& text)
{
    const std::map<std::string, std::string> keys = desktopEntryKeys(text);
    const auto value = [&keys](const std::string& key) {
        const auto found = keys.find(key);
        return found == keys.end() ? std::string() : found->second;
    };
    return !programOfExecValue(value("Exec")).empty() && value("Hidden") != "true" &&
           value("X-GNOME-Autostart-enabled") != "false";
}

} // namespace platform
