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
    if (platform::replaceFile(m_filePath, logFileContent(m_lines))) {
        return;
    }
    const std::string error = "Cannot create file \"" + m_filePath + "\"";
    if (!m_passingOverFailures) {
        throw std::runtime_error(error);
    }
    // Emptied before it runs: a box shown by it may let other lines be written meanwhile.
    if (const auto show = std::exchange(m_showFailure, nullptr)) {
        show(error);
    }
}

ActivityLog::FailuresShownOnce::FailuresShownOnce(ActivityLog& log,
                                                  std::function<void(const std::string&)> show)
    : m_log(log)
{
    m_log.m_showFailure = std::move(show);
    m_log.m_passingOverFailures = true;
}

ActivityLog::FailuresShownOnce::~FailuresShownOnce()
{
    m_log.m_showFailure = nullptr;
    m_log.m_passingOverFailures = false;
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
