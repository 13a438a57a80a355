#include "service/AnswerLines.h"

#include <cstdint>
#include <stdexcept>

namespace {

char asciiLower(char c)
{
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

bool sameName(const std::string& a, const std::string& b)
{
    if (a.size() != b.size()) {
        return false;
    }
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (asciiLower(a[i]) != asciiLower(b[i])) {
            return false;
        }
    }
    return true;
}

// The text after "=" of the first line named `name`; false when there is none.
bool findValue(const std::vector<std::string>& lines, const std::string& name, std::string& value)
{
    for (const std::string& line : lines) {
        const std::size_t equals = line.find('=');
        if (equals != std::string::npos && sameName(line.substr(0, equals), name)) {
            value = line.substr(equals + 1);
            return true;
        }
    }
    return false;
}

int digitValue(char c)
{
    if (c >= '0' && c <= '9') {
        return c - '0';
    }
    c = asciiLower(c);
    return c >= 'a' && c <= 'f' ? c - 'a' + 10 : 99;
}

} // namespace

// Reads a whole number the way the service's values have always been read: leading
// blanks, an optional sign, then decimal digits or "$"/"0x" and hexadecimal digits.
int WholeNumber(const std::string& text)
{
    const auto notANumber = [&text]() {
        return std::invalid_argument("'" + text + "' is not a valid integer value");
    };
    std::size_t i = text.find_first_not_of(' ');
    if (i == std::string::npos) {
        throw notANumber();
    }
    const bool negative = text[i] == '-';
    if (text[i] == '-' || text[i] == '+') {
        ++i;
    }
    int base = 10;
    if (i < text.size() && text[i] == '$') {
        base = 16;
        ++i;
    } else if (text.compare(i, 2, "0x") == 0 || text.compare(i, 2, "0X") == 0) {
        base = 16;
        i += 2;
    }
    if (i == text.size()) {
        throw notANumber();
    }
    std::int64_t magnitude = 0;
    for (; i < text.size(); ++i) {
        const int digit = digitValue(text[i]);
        if (digit >= base) {
            throw notANumber();
        }
        magnitude = magnitude * base + digit;
        if (magnitude > std::int64_t{INT32_MAX} + 1) {
            throw notANumber();
        }
    }
    const std::int64_t value = negative ? -magnitude : magnitude;
    if (value > INT32_MAX) {
        throw notANumber();
    }
    return static_cast<int>(value);
}

std::string LeadingVersion(const std::string& text)
{
    return text.substr(0, text.find_first_not_of("0123456789."));
}

int GetIntValue(const std::vector<std::string>& lines, const std::string& name)
{
    std::string value;
    if (!findValue(lines, name, value) || value.empty()) {
        return 0;
    }
    return WholeNumber(value);
}

bool GetFlagValue(const std::vector<std::string>& lines, const std::string& name)
{
    std::string value;
    return findValue(lines, name, value) && value == "1";
}

std::string GetTextValue(const std::vector<std::string>& lines, const std::string& name)
{
    std::string value;
    findValue(lines, name, value);
    return value;
}
