#include "core/ActivityLog.h"

#include "platform/Files.h"

#include <cstdio>
#include <stdexcept>
#include <utility>

ActivityLog::ActivityLog(const platform::Clock& clock, std::string filePath)
    : m_clock(clock), m_filePath(std::move(filePath))
{
}

void ActivityLog::report(const std::string& message)
{
    m_lines.push_back("[ " + formatLogTimeStamp(m_clock.localNow()) + " ] " + message);
    // Replaced whole, never opened in place: a pipe or a device planted under the log's
    // name cannot hold up the program, and a reader never sees half a line.
    if (!platform::replaceFile(m_filePath, logFileContent(m_lines))) {
        throw std::runtime_error("Cannot create file \"" + m_filePath + "\"");
    }
}

std::string formatLogTimeStamp(const platform::DateTime& t)
{
    char text[32];
    std::snprintf(text, sizeof text, "%02d:%02d:%02d:%03d %04d/%02d/%02d", t.hour, t.minute, t.second,
                  t.millisecond, t.year, t.month, t.day);
    return text;
}

std::string logFileContent(const std::vector<std::string>& lines)
{
    std::string content;
    for (const std::string& line : lines) {
        for (std::size_t i = 0; i < line.size(); ++i) {
            const char c = line[i];
            if (c == '\r' || c == '\n') {
                content += "\r\n";
                if (c == '\r' && i + 1 < line.size() && line[i + 1] == '\n') {
                    ++i;
                }
            } else {
                content += c;
            }
        }
        content += "\r\n";
    }
    return content;
}
