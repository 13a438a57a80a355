#pragma once

#include "platform/Host.h"

#include <functional>
#include <string>
#include <vector>

// The activity log of the current run: every line is kept in memory and the whole file
// is rewritten on each line, so the file always holds exactly this run's lines.
class ActivityLog
{
public:
    ActivityLog(const platform::Clock& clock, std::string filePath);

    // Appends "[ time stamp ] message" and rewrites the file. Throws std::runtime_error
    // when the file cannot be written, unless a FailuresShownOnce lives; either way the
    // line stays and reaches the file with the next successful write.
    void report(const std::string& message);

    // While one lives, a line that cannot be written does not throw: the first failure is
    // handed to `show` and later ones are passed over, so a log that cannot be written is
    // said once however many lines follow, and the code that writes them goes on.
    class FailuresShownOnce
    {
    public:
        FailuresShownOnce(ActivityLog& log, std::function<void(const std::string& error)> show);
        ~FailuresShownOnce();
        FailuresShownOnce(const FailuresShownOnce&) = delete;
        FailuresShownOnce& operator=(const FailuresShownOnce&) = delete;

    private:
        ActivityLog& m_log;
    };

    const std::vector<std::string>& lines() const { return m_lines; }
    const std::string& filePath() const { return m_filePath; }

private:
    const platform::Clock& m_clock;
    std::string m_filePath;
    std::vector<std::string> m_lines;
    // Set while a FailuresShownOnce lives; emptied once it has shown a failure.
    std::function<void(const std::string& error)> m_showFailure;
    bool m_passingOverFailures = false;
};

// "hh:nn:ss:zzz yyyy/mm/dd": hour, minutes, seconds, milliseconds, year, month, day.
std::string formatLogTimeStamp(const platform::DateTime& time);

// The file's content: each line ends with CR LF, also a line break inside a message, so a
// message of two lines becomes two lines of the file.
std::string logFileContent(const std::vector<std::string>& lines);
